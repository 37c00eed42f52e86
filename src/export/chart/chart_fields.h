// Readers of a chart definition and of the cells it points at, working in
// place on the table text (the view's m_pTextBuf / m_nTextLen), and the
// series reference with the head of its number cache.
//
// Definition lines are read one field at a time: fields are separated by
// 0x06 or "^" and end at any byte below 32. The separator search is
// double-byte aware with the full Shift-JIS lead-byte set (0x81-0x9F,
// 0xE0-0xFC): a "^" that is the second byte of a character is no separator,
// and the bounded copies never cut a character in two, those led by
// 0xF0-0xF9 included. Nothing is ever
// read at or past `len`.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "csv/csv_buffer.h"
#include "fw/cstring.h"

namespace chart {

// The table text the readers work on.
struct ChartText {
  const char* text = nullptr;      // m_pTextBuf
  std::uint32_t len = 0;           // m_nTextLen (bytes in use)
  std::uint32_t fieldCount = 0;    // m_nFieldCount (columns)
};

inline ChartText ChartTextOf(const csv::TableFields& t) {
  return ChartText{reinterpret_cast<const char*>(t.m_pTextBuf), t.m_pTextBuf ? t.m_nTextLen : 0, t.m_nFieldCount};
}

// "No default": ChartFieldInt gives 0 and ChartFieldText "".
constexpr int kChartNoDefault = -99;
// Longest field text (bytes) and longest cell text.
constexpr std::size_t kChartFieldMax = 80;
constexpr std::size_t kChartCellMax = 99;

// True for a lead byte of the readers' double-byte test.
bool ChartLeadByte(unsigned char c);

// Field `n` (from 0) of the definition value at offset `p`, at most 80 bytes,
// never cut inside a double-byte character. p below 1, or a line that ends
// before the field, gives the default ("%d" of d; "" for kChartNoDefault).
// For n = 0 a last "p" is dropped ("12p" reads 12).
std::string ChartFieldText(const ChartText& t, std::int64_t p, int n, int d);

// Field `n` as a non-negative integer: the digits up to the first other byte
// (a leading "-" is passed over: "-5" gives 5, "3.5" gives 3, an empty field
// 0). p below 1 or a missing field gives d (0 for kChartNoDefault).
// Saturates at INT32_MAX.
int ChartFieldInt(const ChartText& t, std::int64_t p, int n, int d);

// Cell text modes.
constexpr int kChartCellLabel = 1;   // label text
constexpr int kChartCellNumber = 0;  // number text (any mode other than 1)

// The cell at `offset` up to its first byte below 32, at most 99 bytes, never
// cut inside a double-byte character. Label mode leaves out double quotes and
// ends at the first "^" that is no second byte. Number mode keeps only
// digits, "-" and "."; when what it kept is not a number (ChartIsNumberText)
// the result is "", so the caller treats the cell as empty. The text is raw:
// escape it (exportcore::AppendXmlEscaped) where it enters XML.
std::string ChartCellText(const ChartText& t, std::uint32_t offset, int mode);

// A number text of the number mode: an optional "-" first, digits with at
// most one ".", and at least one digit ("12", "-0.5", ".5", "5.").
bool ChartIsNumberText(const std::string& s);

// The numbers of a definition line (position, size): entries 0-9 the items,
// entry k + 8 the "%" offset of item k.
constexpr std::size_t kChartNumberEntries = 18;
using ChartNumbers = std::array<std::int32_t, kChartNumberEntries>;

// Reads up to ten items at offset p into `list` (cleared first): decimal
// numbers ("-" or a preceding item ended by "@" makes one negative), column
// letters (always negative; "C5" gives the two items -3 and -5), "n%m" (the
// item -n, m in entry k + 8). "/" or a byte below 32 other than 0x06 ends
// the list; "^" and 0x06 separate items.
void ChartNumberList(const ChartText& t, std::int64_t p, ChartNumbers& list);

// Offsets of the cells of a series, in reading order, 0 after the last one.
// At most kChartMaxCells are recorded, so the 0 always stays inside.
constexpr std::size_t kCellOffsetEntries = 100;
constexpr std::size_t kChartMaxCells = kCellOffsetEntries - 1;
using CellOffsetList = std::array<std::uint32_t, kCellOffsetEntries>;

// The run's sheets, indexed by sheet number (entry 0 unused): the names
// (xlsx::XlsxRun::XlsxSheetNames; empty when a sheet has no name of its own)
// and the offsets where each sheet's data begin (XlsxSheetStart; the caller
// puts sheet 1's own start in entry 1).
struct ChartSheetList {
  const std::string* names = nullptr;
  const std::uint32_t* starts = nullptr;
  std::size_t count = 0;  // entries of both arrays
};

// Where the readers show a message ("No exist sheet '%s'").
struct ChartHost {
  virtual ~ChartHost() = default;
  virtual void ShowMessage(const CString& text) = 0;
};

// Per run: the host (may be null) and the sheet names already reported, so
// each missing name is shown once in a run. The caller owns one per run.
struct ChartMessages {
  ChartHost* host = nullptr;
  std::set<std::string> reported;
};

// The data reference at offset p: a sheet selector ("ce..." skips five
// bytes; "c" the default sheet; "s" and digits; "!" and a name ended by ".";
// anything else the default sheet), then ranges ("B2:B5"; a column may be a number parted from its
// row by a comma or blank: "27,1" is AA1) separated by "^" or 0x06. Returns
// "<c:f>(ref!$B$2:$B$5,...)</c:f><c:numCache><c:formatCode>#,##0</c:formatCode><c:ptCount val="n"/>"
// with the sheet reference quoted and escaped ('it''s', A&amp;B) or
// "sheet%d" for an unnamed sheet. `cells` gets the offsets of the cells of
// the ranges, row by row (with `starSkip`, cells starting with "*" are left
// out), at most 99, then 0; `pointCount` (when given) the number recorded,
// which is the ptCount. Iterate by that count: offset 0 (the first cell of a
// sheet that starts the text) is a real cell. `sheetIndex` gets the sheet
// number used. A name that matches no sheet shows the message once per run
// and uses sheet 1. Without any range the formula is "<c:f></c:f>" and the
// count 0.
std::string XlsxSeriesFormula(const ChartText& t, std::int64_t p, const ChartSheetList& sheets, CellOffsetList& cells,
                              int& sheetIndex, int defaultSheet, bool starSkip, ChartMessages& messages,
                              int* pointCount = nullptr);

}  // namespace chart
