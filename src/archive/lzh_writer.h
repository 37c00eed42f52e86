// LZH archives written by the LZH library stand-in: level-2 headers with
// their header CRC, CRC-16 of each member, members compressed as "-lh5-"
// (stored as "-lh0-" when that does not make them smaller), folders as
// "-lhd-" entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_walk.h"
#include "archive/zip_extract.h"

namespace arc {

// "-lh5-" data of a block of bytes (8 KiB window, matches of 3-256 bytes).
std::vector<uint8_t> EncodeLh5(const uint8_t* data, size_t size);

// Writes the entries (names made relative: drive and leading separators
// dropped) into a new archive. Files of 4 GiB or more and totals that could
// pass 4 GiB are refused before the archive is created ("053", "055"); "025"
// when it does not open, "026" when a member cannot be read.
ArcOutcome WriteLzh(const std::string& archive, const std::vector<WalkEntry>& entries);

}  // namespace arc
