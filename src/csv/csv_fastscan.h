// Block-wise scans of the CSV load: the bytes that change a scanner's state
// are rare, so 16 bytes are tested at a time (SSE2, the x64 baseline) and
// only the positions that matter are looked at one by one. Each routine has
// a plain byte loop beside it that gives the same result (tests compare the
// two), used where SSE2 is missing and when the fast paths are switched off.
#pragma once

#include <cstddef>
#include <cstdint>

namespace csv {

// Off: every routine runs its byte loop (tests compare both ways).
void SetFastScans(bool on);
bool FastScansOn();

// Position of the first byte in [pos, end) that is one of a, b, c, d; `end`
// when there is none.
std::size_t FindFirstOf(const std::uint8_t* text, std::size_t pos, std::size_t end, std::uint8_t a,
                        std::uint8_t b, std::uint8_t c, std::uint8_t d);

// The same for a set of up to eight bytes (`count` of them).
std::size_t FindFirstOfSet(const std::uint8_t* text, std::size_t pos, std::size_t end, const std::uint8_t* set,
                           int count);

// Position of the first CR, LF or NUL in [pos, end) (`end` when none);
// *separators gets the 0x06 bytes before it.
std::size_t FindRowEndCountingSeparators(const std::uint8_t* text, std::size_t pos, std::size_t end,
                                         std::uint32_t* separators);

// Position of the first byte below 0x20 in [pos, end); `end` when none.
std::size_t FindControlByte(const std::uint8_t* text, std::size_t pos, std::size_t end);

// The plain rows of the index's data rows, counted in bulk. A row is plain
// when it starts with neither '~' nor '!', holds no '^' and no NUL, has at
// least `minSeparators` 0x06 bytes and ends at a CR or LF before `end` (a
// CR LF is one end). From the row start `pos`, the run of plain rows is
// measured; the start of its last row is returned and *rows gets the rows
// before it (0, with `pos` returned, when the run has fewer than two rows).
// Nothing at or past `end` is read.
std::size_t SkipPlainRows(const std::uint8_t* text, std::size_t pos, std::size_t end, std::uint32_t minSeparators,
                          std::uint32_t* rows);
std::size_t SkipPlainRowsBytewise(const std::uint8_t* text, std::size_t pos, std::size_t end,
                                  std::uint32_t minSeparators, std::uint32_t* rows);

// The working form of CSV file text: `len` bytes of `src` to `dst` (may be
// `src`), every comma outside double quotes turned into 0x06 and a 0x06 of
// the file inside quotes into a comma. A double quote toggles the quote
// state; a line end (CR or LF) ends it.
void CommasToSeparators(const std::uint8_t* src, std::size_t len, std::uint8_t* dst);
void CommasToSeparatorsBytewise(const std::uint8_t* src, std::size_t len, std::uint8_t* dst);

}  // namespace csv
