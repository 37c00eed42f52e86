// The value list of the narrowing selection dialog: every distinct value of
// one column of the working buffer with its number of occurrences, grouped
// by its first `width` bytes, sorted, and the condition text that picking
// values builds. The dialog (view/narrow_select_dlg.h) only shows and acts.
//
// A record is 110 bytes: bytes 0-99 the value (NUL-terminated), 100-107 the
// count as "%8d", 108 a NUL, 109 the choice mark ('*' chosen, ' ' not).
// At most 1000 records; a new value after the 1000th turns the last
// record's text into "-- Over 999 items --" and ends the scan.
//
// Reading a field (working form: 0x06 between fields, quotes kept):
// - the title row (first line) is never listed;
// - at the field's first byte a double quote followed by another quote or a
//   control byte is text, any other opening quote is skipped; an empty cell
//   gives "NULL" (a line with fewer fields gives nothing);
// - bytes below 0x20 are dropped; at most min(width, 99) bytes are kept;
// - an in-cell line-break code (csv_cellbreaks.h) ends the value, so a
//   multi-line cell is one value: the part before its first break;
// - a lead byte (0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC, tracked pairwise) left
//   without its trail byte is dropped, then a trailing double quote not
//   preceded by another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace csv {

constexpr int kValueRecords = 1000;
constexpr int kValueRecordSize = 110;
constexpr int kValueTextMax = 99;   // text bytes a record holds before its NUL
constexpr int kValueWidthStart = 100;
constexpr const char* kValueOverText = "-- Over 999 items --";

enum ValueSort { kSortAsRead = 0, kSortUp = 1, kSortDown = 2, kSortCount = 3 };

// The lead-byte set of the value list.
bool IsValueLeadByte(std::uint8_t c);

// The value of one field as the list reads it; empty when the line has no
// such field (or it reads as nothing). `cellCodes`: the buffer's 0x7F and
// 0x0E are in-cell breaks (false when they are data).
std::string ReadListValue(const std::uint8_t* field, const std::uint8_t* end, int width, bool cellCodes);

class ValueTable {
 public:
  // Rebuilds from the working buffer `text` (`len` bytes; a NUL also ends
  // a line) for the 0-based `column`, grouping at `width` (1-100). Marks
  // are cleared. A buffer of 4 MB or more is counted in pieces on up to
  // four threads, with the one-pass result.
  void Build(const std::uint8_t* text, std::size_t len, int column, int width, bool cellCodes = true);

  int Used() const { return static_cast<int>(rec_.size() / kValueRecordSize); }
  bool Full() const { return Used() >= kValueRecords; }
  bool Overflowed() const { return overflow_; }

  std::string Text(int i) const;
  int Count(int i) const;
  bool Marked(int i) const;
  void SetMark(int i, bool chosen);
  void ClearMarks();

  // Ascending, descending (bytes 0-109 compared as unsigned), or by count
  // (count, then mark, then value, all descending). Records equal in all
  // their bytes keep their order. kSortAsRead leaves the order.
  void Sort(int mode);

  // The list line of record i: the 8 count characters (the 1000th record's
  // 8th blanked), the mark, a TAB, a blank and the value.
  std::string Line(int i) const;
  std::vector<std::string> Lines() const;
  // "%d" of the records in use, or "Over" when all 1000 are.
  std::string ItemCountText() const;

  const char* Record(int i) const { return rec_.data() + static_cast<std::size_t>(i) * kValueRecordSize; }

 private:
  char* Rec(int i) { return rec_.data() + static_cast<std::size_t>(i) * kValueRecordSize; }

  std::vector<char> rec_;  // Used() records, zero-filled beyond their fields
  bool overflow_ = false;
};

// The width after ">" (+1) or "<" (-1): from 100 both give 6; then held
// within 1-99.
int StepValueWidth(int width, int delta);

// --- The condition text -------------------------------------------------
// The value a list line stands for: the line after its first 11 characters,
// with "|" in front unless it is "NULL".
std::string ConditionValueOfLine(const std::string& line);
// Adds v to the condition c (`initial`: the text the dialog opened with).
std::string AddConditionValue(const std::string& c, const std::string& v, const std::string& initial);
// Takes v out of c.
std::string RemoveConditionValue(const std::string& c, const std::string& v);
// Occurrences of "||" and "&&" together.
int CountConditionJoiners(const std::string& c);
constexpr int kConditionJoinerWarn = 40;
constexpr const char* kConditionJoinerText = "Over max 40 of && or ||";

// Toggling list line i (double-click or "N"): flips the mark of record i
// and changes the condition; *warn is set when the condition then holds 40
// or more joiners after an addition. Returns the new condition.
std::string ToggleValue(ValueTable& table, int i, const std::string& cond, const std::string& initial, bool* warn);

}  // namespace csv
