// The sparse line index of the CSV working buffer: the byte offset after
// every s-th line feed, so that a row's start is found by counting at most
// s - 1 line feeds (s = 1 up to 65,536 lines, 8 up to 524,288, else 128).
#pragma once

#include <cstdint>
#include <vector>

namespace csv {
struct TableFields;
}

namespace macro {

constexpr int kLineIndexEntries = 65536;

struct MacroLineIndex {
  // Entry 0 is the step s; entry k (1-65,536) the offset after k x s line
  // feeds, or -1 when the text has fewer.
  std::vector<std::int32_t> entries;
  // What the entries were built from: the table's scan generation, buffer
  // and length. Any change rebuilds them.
  std::uint32_t generation = 0;
  const std::uint8_t* text = nullptr;
  std::uint32_t length = 0;
  // Entries 1 .. filled were written by the last build; the rest are -1
  // (a rebuild resets only those).
  int filled = 0;
};

// The step for a text of `lines` line feeds.
int MacroLineIndexStep(std::uint64_t lines);

// Builds the index over `text` (`length` bytes), with the step its line
// count gives (or `step` when it is 1, 8 or 128).
void MacroBuildLineIndex(MacroLineIndex* index, const std::uint8_t* text, std::uint32_t length, int step = 0);

// The index of the table's buffer, rebuilt when the table was re-indexed
// or its buffer or length changed since. Returns the entries (step first).
const std::int32_t* MacroTableLineIndex(MacroLineIndex* index, const csv::TableFields& table);

// The byte offset in table.m_pTextBuf after `line` line feeds, counted from
// the start: 0 for a line below 1, m_nTextLen when the text has fewer lines.
// `entries` is an index built over the same buffer (nullptr: count from 0).
int LineOffsetFromTable(const csv::TableFields& table, int line, const std::int32_t* entries);

}  // namespace macro
