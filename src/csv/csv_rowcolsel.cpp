// The text logic of the row and column order dialog.
#include "csv/csv_rowcolsel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "csv/csv_cellbreaks.h"
#include "fw/sjis.h"

namespace csv {
namespace {

constexpr std::uint8_t kSeparator = 0x06;
// Numbers read from an order text saturate here (no column reaches it).
constexpr long kNumberCap = 1000000000L;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EndsWith(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

std::string ColumnLabel(std::size_t column) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4zu: ", column);
  return buf;
}

// The number of the digits text[b, e), saturated.
long ReadNumber(const std::string& text, std::size_t b, std::size_t e) {
  long v = 0;
  for (std::size_t i = b; i < e; ++i) v = std::min(kNumberCap, v * 10 + (text[i] - '0'));
  return v;
}

// The caret moved back to the start of the character it stands in.
std::size_t SnapCaret(const std::string& text, std::size_t caret) {
  if (caret >= text.size()) return text.size();
  std::size_t pos = 0;
  const int len = static_cast<int>(text.size());
  while (pos < caret) {
    const std::size_t next = pos + static_cast<std::size_t>(fw::SjisCharLength(text.data(), len, static_cast<int>(pos)));
    if (next > caret) break;
    pos = next;
  }
  return pos;
}

// Marks (`mark` '*') or frees (':') every entry whose number lies in
// [lo, hi]; the changed entries are noted.
void MarkEntries(std::vector<std::string>& entries, long lo, long hi, char mark, RowColEdit& edit) {
  if (lo > hi) std::swap(lo, hi);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    std::string& entry = entries[k];
    if (entry.size() < 5) continue;
    const long n = RowColEntryNumber(entry);
    if (n < lo || n > hi || entry[4] == mark) continue;
    entry[4] = mark;
    edit.changed.push_back(k);
  }
}

// The lines of a title text (CR, LF or CR LF ends one; empty lines skipped).
std::vector<std::string> TitleLines(const std::string& titles, std::size_t maxLines) {
  std::vector<std::string> lines;
  std::size_t b = 0;
  while (b < titles.size() && lines.size() < maxLines) {
    std::size_t e = titles.find_first_of("\r\n", b);
    if (e == std::string::npos) e = titles.size();
    if (e > b) lines.push_back(titles.substr(b, e - b));
    b = e;
    if (b < titles.size() && titles[b] == '\r') ++b;
    if (b < titles.size() && titles[b] == '\n') ++b;
  }
  return lines;
}

// The title of a title-text line: what follows its first ": ".
std::string TitleOf(const std::string& line) {
  const std::size_t p = line.find(": ");
  return p == std::string::npos ? std::string() : line.substr(p + 2);
}

}  // namespace

std::string CutAtCharBoundary(const std::string& s, std::size_t max) {
  if (s.size() <= max) return s;
  const int len = static_cast<int>(s.size());
  std::size_t pos = 0;
  while (pos < max) {
    const std::size_t next = pos + static_cast<std::size_t>(fw::SjisCharLength(s.data(), len, static_cast<int>(pos)));
    if (next > max) break;
    pos = next;
  }
  return s.substr(0, pos);
}

std::size_t ByteOffsetOfChar(const std::string& text, std::size_t chars) {
  const int len = static_cast<int>(text.size());
  std::size_t pos = 0;
  for (std::size_t n = 0; n < chars && pos < text.size(); ++n)
    pos += static_cast<std::size_t>(fw::SjisCharLength(text.data(), len, static_cast<int>(pos)));
  return pos;
}

std::size_t CharCountBefore(const std::string& text, std::size_t bytes) {
  const int len = static_cast<int>(text.size());
  std::size_t pos = 0, n = 0;
  while (pos < bytes && pos < text.size()) {
    pos += static_cast<std::size_t>(fw::SjisCharLength(text.data(), len, static_cast<int>(pos)));
    ++n;
  }
  return n;
}

std::string RowColTitleText(const std::uint8_t* text, std::size_t len, std::size_t start, bool cellCodes) {
  std::string out = ColumnLabel(1);
  std::size_t column = 1;
  bool full = false;
  for (std::size_t i = start; text && i < len; ++i) {
    if (out.size() >= kRowColTitleMax) {
      full = true;
      break;
    }
    std::uint8_t c = text[i];
    if (c == kSeparator || c == '\t') {
      out += "\r\n";
      out += ColumnLabel(++column);
      continue;
    }
    if (cellCodes && IsCellBreakCode(c)) c = ' ';
    out += static_cast<char>(c);
    if (c == '\r' || c == '\n') break;
  }
  if (full) {
    const std::size_t lf = out.rfind('\n');
    out.resize(lf == std::string::npos ? 0 : lf + 1);
  }
  return out;
}

std::vector<std::string> RowColEntries(const std::string& titles, std::size_t width) {
  std::vector<std::string> entries;
  for (const std::string& line : TitleLines(titles, kRowColEntryMax)) {
    std::string plain;
    plain.reserve(line.size());
    for (char c : line) {
      if (c != '"') plain += c;
    }
    entries.push_back(CutAtCharBoundary(plain, width));
  }
  return entries;
}

int RowColEntryNumber(const std::string& entry) {
  int n = 0;
  for (std::size_t i = 0; i < 4 && i < entry.size(); ++i) {
    if (entry[i] == ' ') continue;
    if (!IsDigit(entry[i])) break;
    n = n * 10 + (entry[i] - '0');
  }
  return n;
}

namespace {

// Bytes [from, from + count) of two entries, unsigned; a shorter entry
// sorts first (as a NUL-padded record would).
int CompareBytes(const std::string& a, const std::string& b, std::size_t from, std::size_t count) {
  const std::size_t la = a.size() > from ? std::min(count, a.size() - from) : 0;
  const std::size_t lb = b.size() > from ? std::min(count, b.size() - from) : 0;
  const std::size_t n = std::min(la, lb);
  const int c = n ? std::memcmp(a.data() + from, b.data() + from, n) : 0;
  if (c != 0) return c;
  return la < lb ? -1 : la > lb ? 1 : 0;
}

}  // namespace

void SortRowColEntries(std::vector<std::string>& entries, int kind) {
  if (kind == 1) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string& a, const std::string& b) { return CompareBytes(a, b, 5, 50) < 0; });
  } else if (kind == 2) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string& a, const std::string& b) { return CompareBytes(a, b, 5, 50) > 0; });
  } else if (kind == 3) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string& a, const std::string& b) { return CompareBytes(a, b, 0, 5) < 0; });
  }
}

namespace {

bool PickLine(RowColEdit& edit, std::vector<std::string>& entries, std::size_t line, bool* picked) {
  edit.changed.clear();
  edit.select = -1;
  edit.caret = SnapCaret(edit.text, edit.caret);
  if (line >= entries.size() || entries[line].size() < 5) return false;
  std::string& entry = entries[line];
  const int number = RowColEntryNumber(entry);
  if (number <= 0) return false;
  if (!*picked) {
    *picked = true;
    if (edit.text == "1-") {
      edit.text.clear();
      edit.caret = 0;
    }
  }
  const std::string num = std::to_string(number);
  std::string& text = edit.text;

  // Range mode: the text ends in a number and "-"; the pick ends the range
  // (always at the end of the text, wherever the caret stands).
  if (!text.empty() && text.back() == '-') {
    const std::size_t dash = text.size() - 1;
    std::size_t b = dash;
    while (b > 0 && IsDigit(text[b - 1])) --b;
    if (b == dash) return false;
    const long first = ReadNumber(text, b, dash);
    if (number < first || text.size() + num.size() > kRowColOrderMax) return false;
    text += num;
    edit.caret = text.size();
    MarkEntries(entries, first, number, '*', edit);
    edit.select = static_cast<int>(line);
    return true;
  }

  std::string left = text.substr(0, edit.caret);
  std::string right = text.substr(edit.caret);
  if (!left.empty() && left.back() == ',') {
    left.pop_back();
    right.insert(0, ",");
  }
  if (entry[4] != '*') {
    std::string next;
    std::size_t caret = 0;
    if (text.empty()) {
      next = num;
      caret = num.size();
    } else if (left.empty()) {
      next = num + (!right.empty() && right[0] == ',' ? "" : ",") + right;
      caret = num.size();
    } else {
      // A caret inside an item splits it: the number stays an item of its own.
      next = left + "," + num + (!right.empty() && right[0] != ',' ? "," : "") + right;
      caret = left.size() + 1 + num.size();
    }
    if (next.size() > kRowColOrderMax) return false;
    text = next;
    edit.caret = caret;
    entry[4] = '*';
    edit.changed.push_back(line);
    return true;
  }

  // A marked title: its number goes as a whole item with one comma. A
  // number that stands only inside a range stays, and so does its mark.
  std::size_t found = std::string::npos;
  for (std::size_t pos = 0; pos <= text.size();) {
    std::size_t end = text.find(',', pos);
    if (end == std::string::npos) end = text.size();
    if (end - pos == num.size() && text.compare(pos, num.size(), num) == 0) {
      found = pos;
      break;
    }
    pos = end + 1;
  }
  if (found == std::string::npos) return false;
  const std::size_t itemEnd = found + num.size();
  if (found == 0) {
    text.erase(0, itemEnd < text.size() ? itemEnd + 1 : itemEnd);
    edit.caret = 0;
  } else {
    text.erase(found - 1, itemEnd - (found - 1));
    edit.caret = found - 1;
  }
  entry[4] = ':';
  edit.changed.push_back(line);
  return true;
}

}  // namespace

bool RowColPick(RowColEdit& edit, std::vector<std::string>& entries, std::size_t line, bool* picked) {
  const bool changed = PickLine(edit, entries, line, picked);
  // A broken lead byte before an inserted or removed comma pairs with it
  // in the new text: the caret stands at the start of that character.
  edit.caret = SnapCaret(edit.text, edit.caret);
  return changed;
}

void RowColRange(RowColEdit& edit) {
  std::string& text = edit.text;
  const std::size_t e = text.size();
  std::size_t b = e;
  while (b > 0 && IsDigit(text[b - 1])) --b;
  if (b < e && (b == 0 || text[b - 1] == ',') && text.size() < kRowColOrderMax) text += '-';
  edit.caret = text.size();
}

void RowColRest(RowColEdit& edit) {
  std::string& text = edit.text;
  if (!text.empty() && text.back() == ',' && text.size() + 1 <= kRowColOrderMax) {
    text += '*';
  } else if (!text.empty() && IsDigit(text.back()) && text.size() + 2 <= kRowColOrderMax) {
    text += ",*";
  }
  edit.caret = text.size();
}

void RowColDelete(RowColEdit& edit) {
  std::string& text = edit.text;
  if (!text.empty() && text.back() != '*' && text.back() != ',' && !EndsWith(text, "#del") &&
      text.size() + 4 <= kRowColOrderMax) {
    text += "#del";
  }
  edit.caret = text.size();
}

void RowColTakeBack(RowColEdit& edit, std::vector<std::string>& entries) {
  edit.changed.clear();
  edit.select = -1;
  std::string& text = edit.text;
  edit.caret = text.size();
  if (text.empty()) return;
  std::size_t e = text.size();
  while (e > 0 && !IsDigit(text[e - 1])) --e;
  if (e == 0) {
    text.clear();
    edit.caret = 0;
    return;
  }
  std::size_t b = e;
  while (b > 0 && IsDigit(text[b - 1])) --b;
  const long last = ReadNumber(text, b, e);
  long first = last;
  std::size_t itemBegin = b;
  if (b > 1 && text[b - 1] == '-' && IsDigit(text[b - 2])) {
    std::size_t r = b - 1;
    while (r > 0 && IsDigit(text[r - 1])) --r;
    first = ReadNumber(text, r, b - 1);
    itemBegin = r;
  }
  // The item goes with its comma; an item after anything else (the digit
  // of "sortup2") goes alone.
  if (itemBegin == 0) {
    text.clear();
  } else {
    text.resize(text[itemBegin - 1] == ',' ? itemBegin - 1 : itemBegin);
  }
  edit.caret = text.size();
  MarkEntries(entries, first, last, ':', edit);
}

std::string RowColVerticalCopy(const std::string& titles) { return CutAtCharBoundary(titles, kRowColClipBlock - 1); }

std::string RowColHorizontalCopy(const std::string& titles, const std::string& order) {
  const std::vector<std::string> lines = TitleLines(CutAtCharBoundary(titles, kRowColCopySource), kRowColCopySource);
  std::string out;
  if (order.empty() || order == "1-") {
    for (std::size_t i = 0; i < lines.size() && out.size() < kRowColClipBlock; ++i) {
      if (i > 0) out += ',';
      out += '[';
      for (char c : TitleOf(lines[i])) {
        if (c != '"') out += c;
      }
      out += ']';
    }
    return CutAtCharBoundary(out, kRowColClipBlock - 1);
  }
  const int len = static_cast<int>(order.size());
  for (std::size_t i = 0; i < order.size() && out.size() < kRowColClipBlock;) {
    if (IsDigit(order[i])) {
      std::size_t e = i;
      while (e < order.size() && IsDigit(order[e])) ++e;
      const long n = ReadNumber(order, i, e);
      if (n >= 1 && static_cast<std::size_t>(n) <= lines.size()) {
        std::string title = TitleOf(lines[static_cast<std::size_t>(n) - 1]);
        if (!title.empty() && title[0] == '"') title.erase(0, 1);
        if (!title.empty() && title.back() == '"') title.pop_back();
        out += '[' + title + ']';
      }
      i = e;
      continue;
    }
    const std::size_t step = static_cast<std::size_t>(fw::SjisCharLength(order.data(), len, static_cast<int>(i)));
    out.append(order, i, step);
    i += step;
  }
  return CutAtCharBoundary(out, kRowColClipBlock - 1);
}

}  // namespace csv
