// The row and column lists of the table commands ("2,5-7", "3-", "4,*",
// "(10-2)", "x2:1-5", "rev"): one scanner for the grammar all readers share,
// and the index-list reader. The row deletion and the row order
// (csv_rows.h) and the column rewrite (csv_columns.h) read their lists with
// the same scanner.
//
// Shared grammar: items are separated by ','. A number is a run of decimal
// digits, saturating at kListNumberCap. "a-b" or "a_b" is the range from a
// to b; a missing b runs to the last valid number; a missing a is 1 (the
// deletion reads "-b" as the single row b). "(x+y)" and "(x-y)" stand for
// a number; a result below 1 names nothing. A range whose end lies below
// its start names nothing. A number below 1 names nothing; range ends are
// cut to the valid numbers. The second byte of a Shift-JIS character is
// never a grammar character, and every character outside the grammar is
// skipped (so "3#del" reads as "3").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace csv {

constexpr std::uint32_t kListNumberCap = 999999999;
// The column that no row has ('[' in a column list).
constexpr std::uint32_t kNoColumn = 9999;
// Group size that means the item's whole range.
constexpr std::uint32_t kWholeGroup = 9999;

enum class ListReader {
  kIndex,   // CsvParseIndexList and the column lists: '[' gives 9999, '*'
  kDelete,  // row deletion: ']' starts a range past the last row
  kOrder,   // row order: '*', '[' skipped to ']', 'x'/'n' repeats
  kColumns, // column rewrite: '*', '[' gives 9999, 'x'/'n' repeats
};

struct ListItem {
  std::uint32_t first = 0;  // first..last, 1-based and inclusive; empty when
  std::uint32_t last = 0;   // first is 0 or first > last
  bool star = false;        // '*': every number not listed yet
  bool noColumn = false;    // '[' of an index list: the entry 9999
  // Order reader: each group of `group` numbers of the range is written
  // `repeat` times in a row; `numbered` numbers the copies from 1.
  std::uint32_t repeat = 1;
  std::uint32_t group = 1;
  bool numbered = false;
  bool Empty() const { return first == 0 || first > last; }
};

class ListScanner {
 public:
  // `lastValue` is the last valid number (the column count or the row
  // count). `flag` is the row order's flag (1: '[' keeps an open range).
  ListScanner(const std::string& spec, ListReader reader, std::uint32_t lastValue, int flag = 0);
  // The next item; false after the last. Items that name nothing come back
  // empty.
  bool Next(ListItem* item);
  // True when an 'x'/'n' prefix was read after the last item that named
  // something (a prefix on its own at the end of the list).
  bool TrailingPrefix() const { return m_prefixPending; }

 private:
  std::uint32_t ReadNumber();
  std::uint32_t ReadParen();
  bool Trail(std::size_t i) const;
  void ReadPrefix();

  std::string m_s;
  ListReader m_reader;
  std::uint32_t m_last;
  int m_flag;
  std::size_t m_pos = 0;
  std::string m_trail;  // 1 at the second byte of a double-byte character
  // The repeat prefix persists from item to item until the next one.
  std::uint32_t m_repeat = 1, m_group = 1;
  bool m_numbered = false, m_prefixPending = false;
};

// Reads `spec` into `out` (capacity + 1 entries): at most `capacity`
// entries, then a 0 entry; returns the entries written. Ranges stop at
// `capacity`. '[' adds kNoColumn; '*' adds every number from 1 to maxValue
// not listed yet, ascending. Single numbers above maxValue are kept as
// entries (they name no column, like kNoColumn).
int CsvParseIndexList(const std::string& spec, std::uint32_t maxValue, std::uint32_t capacity,
                      std::uint32_t* out);

// A list text without its leading and trailing blanks and TABs.
std::string CsvTrimListText(const std::string& s);

}  // namespace csv
