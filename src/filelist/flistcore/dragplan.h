// The block a drag of marked entries out of a list pane offers: a CF_HDROP
// list (DROPFILES header of 20 bytes, then 8-bit names each with its NUL and
// a closing NUL) of the marked entries up to the cursor, held to 2,500
// bytes. Portable; the pane's member hands the block to the OLE data source.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filelist/flistcore/entries.h"

namespace flist {

constexpr std::size_t kDropHeaderBytes = 20;
constexpr std::size_t kDropBlockBytes = 2500;
constexpr std::size_t kDropGlobalBytes = 10000;

// The full paths of the marked entries 0 to `cursor` (inclusive), in list
// order; `pathOf(i)` gives entry i's path.
std::vector<std::string> MarkedPathsUpTo(const EntryTable& t, int cursor,
                                         const std::function<std::string(int)>& pathOf);

// The drop block: exactly 2,500 bytes (zero-filled after the list), with
// the header (offset 20, point 0,0, not client coordinates, 8-bit names)
// and as many paths as fit with the closing NUL; the first path that would
// not fit ends the list (empty paths are left out). *taken: the paths in it.
std::vector<std::uint8_t> BuildDropBlock(const std::vector<std::string>& paths, std::size_t* taken = nullptr);

// The paths a drop block carries (for checks): the NUL-separated names
// from its header's offset up to the empty one; empty for a block that is
// too short or whose offset lies outside it.
std::vector<std::string> ReadDropBlock(const std::vector<std::uint8_t>& block);

}  // namespace flist
