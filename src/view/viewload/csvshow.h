// The CSV table of the text view: the working form (0x06 between fields,
// csv/csv_fileform.h) turned into the text the rich edit shows (TAB between
// fields, optionally without quotes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace viewload {

struct CsvShowOptions {
  bool hideQuotes = false;       // the document's m_bHideQuotes
  std::uint32_t firstRow = 0;    // first row shown (m_nPageTopRow of a paged table)
  std::uint32_t maxRows = 0;     // rows shown at most (m_nBmpfile of a paged table); 0 = all
};

struct CsvShowStats {
  std::uint32_t rowsShown = 0;
  std::uint32_t rowsTotal = 0;   // rows of the buffer (as the scanner counts them)
  bool paged = false;            // rows before firstRow or after the window were left out
};

// Appends the shown text of the working buffer `buf` (`len` bytes, ends at
// the first NUL too) to `out`: rows end in CR LF, 0x06 becomes TAB. With
// hideQuotes, double quotes are left out of every field, except that a
// doubled quote inside a quoted part shows as one. The buffer is not changed.
void AppendCsvShown(const std::uint8_t* buf, std::size_t len, const CsvShowOptions& options,
                    std::string& out, CsvShowStats* stats = nullptr);

// The length of a text shown at once: the whole text when it is at most
// `limit` bytes (limit <= 0: no limit); otherwise the text up to the last
// line end within the limit (or, in one long line, up to the last whole
// Shift-JIS character within it), and *cut set.
std::size_t ShownTextLength(const char* text, std::size_t len, long long limit, bool* cut);

}  // namespace viewload
