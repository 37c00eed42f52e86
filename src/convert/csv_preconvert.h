// The CSV pre-conversion of the renderer: a comma file's bytes turned, one
// output byte for each input byte, into the table form the CSV view reads:
// field commas become 0x06, TAB becomes "~", line ends inside quotes become
// ":", and a quoted stretch of more than 90 commas is broken into lines.
#pragma once

#include <cstddef>
#include <cstdint>

namespace convert {

// Commas in one quoted stretch after which the stretch is broken.
constexpr int kCsvQuotedCommaBreak = 91;

// Writes exactly `length` bytes to `out` (which may not overlap `in`).
//  - TAB becomes "~";
//  - a comma outside quotes becomes 0x06; inside quotes it stays, unless the
//    byte before it is a double quote;
//  - at the 91st comma of one quoted stretch (the count restarts at every
//    comma outside quotes) the byte before becomes CR, the comma LF, and the
//    quotes end;
//  - CR and LF inside quotes become ":";
//  - a byte after a Shift-JIS lead byte (0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC) is
//    a trail byte and never itself a lead byte; one of 0x40 or more passes
//    as it is; one below 0x40 blanks the lead byte already written and is
//    converted by the rules above.
void PreconvertCsv(const std::uint8_t* in, std::size_t length, std::uint8_t* out);

}  // namespace convert
