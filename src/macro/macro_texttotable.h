// The view's conversion of text lines into a CSV table (the CSV convert
// command, a new table from selected lines, the selection shown as a table):
// lines with TAB or '|' separators, or text laid out in columns with blanks,
// become the working form of csv::Table (0x06 between fields, CR LF between
// rows). The window side picks the range and hands over the text; the
// survey, the choice of separator and the cutting are here, on bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace csv {
class Table;
}

namespace macro {

// Memory places, shown after string 152 as " 057" .. " 060".
constexpr int kTextTableMemSplit = 57;      // the column split and join buffer
constexpr int kTextTableMemSeparated = 58;  // the table of separated lines
constexpr int kTextTableMemColumns = 59;    // the table of column-aligned lines
constexpr int kTextTableMemFinal = 60;      // the table's final size

// Results of the conversion (the view's member returns the same values).
enum TextTableResult : int {
  kTextTableDone = 0,        // the working buffer holds the table
  kTextTableReopenCsv = 1,   // a text file with bars: opened again as a CSV file instead
  kTextTableNoMemory = -1,   // memory short (reported with the place); the table unchanged
  kTextTableStopped = -2,    // the user said No, or the file could not be read again
};

enum class TextTableSeparator : std::uint8_t { kNone, kTab, kBar };

// Layout modes of the column-aligned conversion.
constexpr int kTextTableLayoutNormal = 4;
constexpr int kTextTableLayoutQuiet = 40;  // how 2: no question about a text shown in part

// What the survey of the first lines found. Lines are numbered from 0 in the
// text handed over (the control's lines of the range).
struct TextTableSurvey {
  int maxTabs = 0;              // the most TABs of one surveyed line
  int maxBars = 0;              // the most '|' of one surveyed line (trail bytes not counted)
  int firstBarLine = -1;        // the first line with more than 3 '|' (-1: none)
  int linesSurveyed = 0;
  TextTableSeparator separator = TextTableSeparator::kNone;
};

// Surveys lines `first`.. of `text` (`length` bytes, a NUL ends it earlier):
// up to 10 lines, one more for every line read while no non-blank byte has
// been seen, never past `last` (inclusive; -1: no limit); stops early after a
// line with 4 or more TABs or '|'. TAB is the separator when a line holds 2
// TABs, else '|' when a line holds 4 bars, else none.
TextTableSurvey SurveyTextTable(const std::uint8_t* text, std::size_t length, int first, int last);

// The range's end without a selection: the last line holding at least 4
// words in its first 100 bytes, looked for upwards over the last 10 lines of
// the text; the text's last line when none does.
int DefaultTextTableEnd(const std::uint8_t* text, std::size_t length);

// The number of lines of `text` (a last line without a line end counts).
int CountTextLines(const std::uint8_t* text, std::size_t length);

struct TextTableRequest {
  int how = 0;         // 2: layout mode 40 (no question about a partial text)
  int firstLine = 0;   // 0-based lines of `text`, inclusive
  int lastLine = -1;   // -1: to the text's end
};

struct TextTableOutcome {
  int result = kTextTableDone;  // TextTableResult
  int memoryPlace = 0;          // with kTextTableNoMemory: 58, 59 or 60
  TextTableSeparator separator = TextTableSeparator::kNone;
  std::uint32_t fieldCount = 0;  // m_nFieldCount after the conversion
  std::uint32_t rowCount = 0;    // m_nRowCount: rows of the range
  int titleLine = 0;             // 1-based row of the table's first line (m_nCurLine)
};

// Converts `text` into `table` (its content replaced and indexed again).
// Lines before the range and after it are copied as they are ('|' becomes a
// blank with the '|' separator); inside it a separator becomes 0x06, trailing
// blanks of a field are cut, a field with a comma outside double quotes goes
// in double quotes and an empty field of the table's first line becomes "_".
// With '|', " --P" and "[She" lines become block head lines "!#XLaA:P" and
// two of their bytes, and "+---" lines and blank lines are dropped. Without
// a separator the columns come from DetectColumnLayout and ScanTextRange.
// On failure `table` is unchanged.
TextTableOutcome ConvertTextLinesToTable(const std::uint8_t* text, std::size_t length, const TextTableRequest& req,
                                         csv::Table* table);

}  // namespace macro
