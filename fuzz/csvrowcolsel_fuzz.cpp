// The row and column order dialog's text functions on random rows, order
// texts, carets and picks. Input: byte 0 the width of the list entries,
// byte 1 the count of edits, then two bytes per edit (what, and the line or
// caret), then the order text up to a NUL, then the title row.
//
// Checks: the title text starts with column 1, stays under its limit and,
// when cut, ends after a line feed; entries hold no double quote, never pass
// the width and, when cut, end on a character boundary; every edit
// keeps the caret inside the text and on a character boundary, keeps the
// text under the edit's limit, changes only mark bytes of the entries, and
// a pick that adds or takes out a number leaves that entry's mark as the
// text says; the sorts keep the entries; the copies stay inside the block
// and end on a character boundary.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "csv/csv_rowcolsel.h"

namespace {

bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The title-text lines without double quotes (CR, LF or CR LF ends a line;
// empty lines skipped), at most `max`.
std::vector<std::string> PlainLines(const std::string& t, std::size_t max) {
  std::vector<std::string> out;
  std::string cur;
  for (std::size_t i = 0; i <= t.size() && out.size() < max; ++i) {
    if (i == t.size() || t[i] == '\r' || t[i] == '\n') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else if (t[i] != '"') {
      cur += t[i];
    }
  }
  return out;
}

// True when `pos` starts a character of `s` (or is its end).
bool OnBoundary(const std::string& s, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos) i += Lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
  return i == pos;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// Whether `num` stands in `text` as a whole comma-separated item.
bool HasItem(const std::string& text, const std::string& num) {
  for (std::size_t pos = 0; pos <= text.size();) {
    std::size_t end = text.find(',', pos);
    if (end == std::string::npos) end = text.size();
    if (text.compare(pos, end - pos, num) == 0) return true;
    pos = end + 1;
  }
  return false;
}

// True when two entries differ at most in their mark byte.
bool SameButMark(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (i != 4 && a[i] != b[i]) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t width = 1 + data[0] % 60;
  const std::size_t edits = data[1] % 40;
  std::size_t p = 2;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> ops;
  for (std::size_t i = 0; i < edits && p + 1 < size; ++i, p += 2) ops.emplace_back(data[p], data[p + 1]);
  std::string order;
  while (p < size && data[p] != 0) order += static_cast<char>(data[p++]);
  if (p < size) ++p;
  const std::uint8_t* row = data + p;
  const std::size_t rowLen = size - p;

  // The title text from a random start inside the row.
  const std::size_t start = rowLen ? data[0] % (rowLen + 1) : 0;
  const std::string titles = csv::RowColTitleText(row, rowLen, start, (data[1] & 0x80) != 0);
  Check(titles.compare(0, 6, "   1: ") == 0 || titles.empty() || titles.back() == '\n');
  Check(titles.size() <= csv::kRowColTitleMax + 16);

  std::vector<std::string> entries = csv::RowColEntries(titles, width);
  const std::vector<std::string> plain = PlainLines(titles, csv::kRowColEntryMax);
  Check(entries.size() == plain.size());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::string& e = entries[k];
    if (plain[k].size() <= width) {
      Check(e == plain[k]);
    } else {
      // Cut: a prefix that ends on a character boundary, at most one byte short.
      Check(plain[k].compare(0, e.size(), e) == 0 && e.size() + 1 >= width && e.size() <= width);
      Check(OnBoundary(plain[k], e.size()));
    }
  }

  csv::RowColEdit edit;
  edit.text = order.size() > csv::kRowColOrderMax ? order.substr(0, csv::kRowColOrderMax) : order;
  edit.caret = edit.text.size();
  bool picked = false;
  // The entries as they stand, to hold every edit to mark bytes only (copied
  // again only after a sort).
  std::vector<std::string> before = entries;
  for (const auto& op : ops) {
    const std::string textBefore = edit.text;
    switch (op.first % 9) {
      case 0:
      case 1: {
        const std::size_t line = entries.empty() ? op.second : op.second % (entries.size() + 1);
        const bool wasMarked = line < entries.size() && entries[line].size() > 4 && entries[line][4] == '*';
        const bool rangeMode = !textBefore.empty() && textBefore.back() == '-';
        if (csv::RowColPick(edit, entries, line, &picked) && !rangeMode && textBefore != "1-") {
          const std::string num = std::to_string(csv::RowColEntryNumber(entries[line]));
          Check(entries[line][4] == (wasMarked ? ':' : '*'));
          if (!wasMarked) Check(HasItem(edit.text, num));
        }
        for (std::size_t k : edit.changed) Check(k < entries.size());
        Check(edit.select < static_cast<int>(entries.size()));
        break;
      }
      case 2: csv::RowColRange(edit); break;
      case 3: csv::RowColRest(edit); break;
      case 4: csv::RowColDelete(edit); break;
      case 5: csv::RowColTakeBack(edit, entries); break;
      case 6: edit.caret = op.second; break;  // anywhere, also outside the text
      case 7: {
        const int kind = 1 + op.second % 3;
        for (std::size_t k = 0; k < entries.size(); ++k) Check(SameButMark(entries[k], before[k]));
        std::vector<std::string> a = entries;
        csv::SortRowColEntries(entries, kind);
        std::vector<std::string> b = entries;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        Check(a == b);
        for (std::size_t k = 1; k < entries.size(); ++k) {
          const std::string& x = entries[k - 1];
          const std::string& y = entries[k];
          if (kind == 3) Check(x.substr(0, 5) <= y.substr(0, 5));
          if (kind == 1) Check((x.size() > 5 ? x.substr(5, 50) : "") <= (y.size() > 5 ? y.substr(5, 50) : ""));
          if (kind == 2) Check((x.size() > 5 ? x.substr(5, 50) : "") >= (y.size() > 5 ? y.substr(5, 50) : ""));
        }
        before = entries;
        continue;
      }
      default: {
        const std::string v = csv::RowColVerticalCopy(titles);
        const std::string h = csv::RowColHorizontalCopy(titles, edit.text);
        Check(v.size() < csv::kRowColClipBlock && h.size() < csv::kRowColClipBlock);
        if (titles.size() < csv::kRowColClipBlock) {
          Check(v == titles);
        } else {
          Check(titles.compare(0, v.size(), v) == 0 && v.size() + 2 >= csv::kRowColClipBlock && OnBoundary(titles, v.size()));
        }
        break;
      }
    }
    if (op.first % 9 <= 5) {  // the edits and picks put the caret
      Check(edit.caret <= edit.text.size());
      Check(OnBoundary(edit.text, edit.caret));
    }
    Check(edit.text.size() <= std::max(csv::kRowColOrderMax, textBefore.size()));
    // Edits change marks only (the entries an edit names here, all of them
    // below and at every sort).
    Check(entries.size() == before.size());
    for (std::size_t k : edit.changed) Check(SameButMark(entries[k], before[k]));
  }
  for (std::size_t k = 0; k < entries.size(); ++k) Check(SameButMark(entries[k], before[k]));
  // The character and byte positions agree (at the caret, the ends and a
  // few positions the input chooses).
  std::vector<std::size_t> at = {0, edit.caret, edit.text.size()};
  for (std::size_t i = 0; i < 8 && i < size; ++i) at.push_back(edit.text.empty() ? 0 : data[size - 1 - i] % (edit.text.size() + 1));
  for (std::size_t b : at) {
    if (b > edit.text.size() || !OnBoundary(edit.text, b)) continue;
    Check(csv::ByteOffsetOfChar(edit.text, csv::CharCountBefore(edit.text, b)) == b);
  }
  return 0;
}
