// The PDF reader's structure dump: the file's own bytes copied as text, each
// stream's content decoded and shown as hexadecimal rows or as text, for a
// PDF opened in the nested open mode 2 (the run's entry is
// PdfConverter::RunStructureDump, in pdf_dump.cpp).
//
// The helpers here write one stream's shown bytes; each stops at the bound
// it is given, and every byte goes through the LoadBuffer.
#pragma once

#include <cstdint>

#include "convert/load_buffer.h"

namespace convert {

constexpr std::int32_t kDumpHexCap = 256;        // bytes shown in the full form
constexpr std::int32_t kDumpHexRow = 16;         // bytes of a hexadecimal row
constexpr std::int32_t kDumpOutMargin = 2000;    // the dump stops this far before "outdata"
constexpr std::int32_t kDumpTakeBack = 90;       // bytes taken back before the full notice
constexpr std::int32_t kDumpTextMargin = 10000;  // the text form stops this far before the bound
constexpr std::int32_t kDumpControlStop = 100;   // the text form stops at this many control bytes

// The two first bytes of a compressed stream the dump accepts: six zlib
// heads, and a JPEG's.
bool IsPdfStreamHead(std::uint8_t a, std::uint8_t b);

// Rows of 16 bytes, each "\r\n" ("\r\n$~ " in the compact form) and the bytes
// as two lower-case digits and a blank. The full form shows at most 256
// bytes, and exactly 256 shown end with the dotted line. Nothing is written
// once the output reaches `bound`.
void DumpHexRows(const std::uint8_t* bytes, std::int32_t n, bool compact, std::int64_t bound, LoadBuffer& out);

// The text form: a CR alone becomes CR LF, other control bytes but LF the
// byte + 0xB1. It stops, with the dotted line, when the control-byte count
// (up 1 for bytes below 7 or 14-31, down 10 for each parenthesis) reaches 100
// or the output reaches `bound` - 10,000.
void DumpTextForm(const std::uint8_t* bytes, std::int32_t n, std::int64_t bound, LoadBuffer& out);

}  // namespace convert
