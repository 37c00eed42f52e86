// The pre-scan of an XLSX export: the sheet heads of the CSV text with their
// names and start offsets, and the sheet-list line ("$$") that orders and
// names the sheets.
//
// Sheet names follow the rules the workbook format sets: '*', '/', ':', '?'
// and a lone '\' become '#', '[' and ']' become '(' and ')'; a name is at
// most 31 characters (a double-byte character counts as one) with any
// " (n)" suffix, which is kept whole by shortening the part before it; a
// repeat is found ignoring the case of ASCII letters. A lead byte takes the
// next byte with it only when that byte is a trail byte.
#pragma once

#include <cstdint>
#include <string>

#include "export/xlsx/xlsx_run.h"

namespace xlsx {

// The name text of a head from `p` (at most `n` bytes): up to a byte below
// 0x20 or a lone '^', at most 30 characters, with the replacements above and
// "\^" as '^'.
std::string XlsxHeadNameText(const char* p, std::size_t n);

// `base` (Shift-JIS) followed by `suffix`, cut to 31 characters by
// shortening `base`; a character is never split.
std::string XlsxFitSheetName(const std::string& base, const std::string& suffix = std::string());

// Names equal but for the case of ASCII letters (never a trail byte).
bool XlsxSameSheetName(const std::string& a, const std::string& b);

// The name a sheet-list item gives ('"' and control bytes dropped, the
// replacements and the 31-character cut applied).
std::string XlsxListName(const std::string& raw);

// Scans `text` (`len` bytes; a NUL also ends it) and fills the names,
// starts, sheet 1's start and first row number, and the head count of
// `run`; returns the offset of the last "$$" line, or -1 when there is none.
long long XlsxPreScan(const char* text, std::uint32_t len, XlsxRun& run);

// Reads the sheet-list line at `offset` (its "$$" included) into the
// first-sheet number, XlsxSheetOrder, XlsxSheetNames and XlsxExtraNames.
void XlsxReadSheetList(const char* text, std::uint32_t len, std::uint32_t offset, XlsxRun& run);

}  // namespace xlsx
