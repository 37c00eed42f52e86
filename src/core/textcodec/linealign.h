// Aligning an edited text with the text a file was read as, line by line: a
// line diff, so that a save can tell which lines of the edited text are lines
// of the file left as they were.
//
// The old text is known only by its lines' hashes (LineHash). The lines the
// two texts share at the start and at the end are paired first (one pass over
// the text, so an unchanged text costs O(n)). The lines between them, with a
// few shared lines on each side (the window), are diffed:
//
//   small window  exactly (the common subsequence lengths of every head and
//                 tail): one best pairing, and for each pair whether another
//                 best pairing leaves the new line unpaired or gives it a
//                 line with other bytes;
//   large window  Myers's diff, bounded in work and memory, with the lines
//                 found once in both parts as anchors where the bound is
//                 reached; a second diff from the other end doubts every
//                 pair the two disagree on. What no bound allows stays
//                 unpaired, which only ever costs a kept line its bytes.
//
// A diff pairs lines that read the same, but the same text often allows more
// than one pairing as good (a line inserted next to a line that reads the
// same: which of the two was typed?). A kept line's bytes must go only where
// every such pairing puts them, so such pairs are reported as doubtful. Beyond
// the window, an inserted or deleted block that could slide over a run of
// shared lines (its first lines read as the lines after it, or its last lines
// as those before it) makes those run lines doubtful.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace textcodec {

// Work units (snake steps and diagonals of Myers's diff, lines hashed for
// anchors) one AlignLines call may spend on the lines between the shared
// start and end, beyond a share per line; and the largest edit distance
// Myers's diff follows in one part (its memory grows with the square).
constexpr std::size_t kAlignWorkBudget = std::size_t{1} << 26;
constexpr std::size_t kAlignMaxEdits = 1000;
// The exact diff (and its test of every pairing) is taken when the lines
// between the shared start and end, with kAlignContext shared lines on each
// side, make at most this many cells (two tables of 16-bit lengths).
constexpr std::size_t kAlignExactCells = std::size_t{1} << 21;
constexpr std::size_t kAlignRefineCells = std::size_t{1} << 26;  // all exact parts of one large window
constexpr std::size_t kAlignContext = 32;
constexpr std::size_t kAlignContextRun = 1024;  // ... more while the lines at its edge are equal

// A line's identity in the diff: a 64-bit hash of its bytes, line end included.
std::uint64_t LineHash(const char* p, std::size_t n);

// End of the line of p[0..n) that starts at `pos`: after its LF, or n.
std::size_t NextLineEnd(const char* p, std::size_t n, std::size_t pos);

// Old lines [oldBegin, oldBegin + count) are new lines [newBegin, newBegin +
// count), bytes [byteBegin, byteEnd) of the new text.
struct LineRun {
  std::size_t oldBegin = 0, newBegin = 0, count = 0;
  std::size_t byteBegin = 0, byteEnd = 0;
};

struct LineAlignment {
  std::vector<LineRun> runs;          // in order; ranges neither overlap nor touch
  std::vector<std::size_t> doubtful;  // paired old lines (ascending) another pairing as good changes
  std::size_t newCount = 0;           // lines of the new text
};

// Whether old lines i and k are written with the same bytes (lines that read
// the same but were read from different bytes are not).
using SameBytes = std::function<bool(std::size_t i, std::size_t k)>;

// Aligns the lines of text[0..len) with the old lines (their hashes).
// `exactCells` is the window size up to which the exact diff is taken.
LineAlignment AlignLines(const std::uint64_t* oldHashes, std::size_t oldCount, const char* text, std::size_t len,
                         const SameBytes& same, std::size_t exactCells = kAlignExactCells);


}  // namespace textcodec
