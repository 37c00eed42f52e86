// HTML and XML files as text: one engine with two tables of differences.
// Tags are dropped, entities and character sets decoded, tables laid out as
// aligned columns, headings, bold, underline, italic and list items marked,
// and every link target numbered with a label and listed at the end.
//
// Portable: the source is a byte range, the switches are values, and every
// byte written goes through the LoadBuffer within the output bound.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/load_buffer.h"

namespace convert {

// The document's markup switches and bounds for one run.
struct MarkupWords {
  int mode = 0;                      // cell separator: 2 the byte 0x08, 1 '|', else a blank
  int openContext = 0;               // 2: the source view (bytes copied)
  std::int32_t tblMax = 5000;        // "n_tbl": cell lines of the table grid
  std::int64_t outdata = 2000000;    // output bound (0 or less: none)
  std::int32_t m_nTxtsiz = 5;        // "txtsiz": below 5 it sets the cell width
  std::uint32_t m_bKeepLayout = 1;   // "keeplay": 0 folds line ends and tabs away
  std::uint32_t m_bLinkList = 1;     // "linklst": number link targets and list them
  std::int32_t m_nTextOnly = 0;      // "txtonly"
  std::int32_t m_nTextOnlyLines = 0; // "txtonln": 1 with txtonly, cells flow as lines
  std::uint32_t m_bAsciiSymbols = 0; // "asciisy": arrows, bullets and quotes in ASCII
  std::uint32_t m_bNoCharConv = 0;   // "nocconv": no character conversion
};

// How a run ended.
struct MarkupResult {
  std::int64_t size = 0;   // bytes in `out`
  bool cut = false;        // stopped before the end of the source (string 239 written)
  bool noMemory = false;   // the grid was not had: string 152 and the code are the text
  int links = 0;           // link targets listed
};

// The bytes written by the cut notice (string 239) at most.
constexpr std::size_t kMarkupNoticeRoom = 40;

MarkupResult RenderHtmlAsText(const std::uint8_t* src, std::size_t length, const MarkupWords& words,
                              LoadBuffer& out);
MarkupResult RenderXmlAsText(const std::uint8_t* src, std::size_t length, const MarkupWords& words,
                             LoadBuffer& out);

// The two characters of link target k's label (1-640): '0' + k / 10 below
// 100, '7' + k / 10 below 360, else '=' + k / 10; then '0' + k % 10.
void LinkLabel(int k, char* x, char* y);

}  // namespace convert
