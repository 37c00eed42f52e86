#include "csv/csv_valuelist.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "csv/csv_cellbreaks.h"

namespace csv {

namespace {

constexpr std::uint8_t kSep = 0x06;
constexpr int kCountAt = 100;  // bytes 100-107: count, 108: NUL, 109: mark
constexpr int kMarkAt = 109;
constexpr int kCountMax = 99999999;  // what 8 characters show
constexpr std::size_t kHashSlots = 4096;  // power of two, over twice the records

bool IsLineEnd(std::uint8_t c) { return c == '\r' || c == '\n' || c == 0; }

std::uint32_t HashBytes(const char* p, std::size_t n) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<std::uint8_t>(p[i])) * 16777619u;
  return h;
}

}  // namespace

bool IsValueLeadByte(std::uint8_t c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC); }

std::string ReadListValue(const std::uint8_t* field, const std::uint8_t* end, int width, bool cellCodes) {
  if (field >= end) return "NULL";
  const std::size_t limit = static_cast<std::size_t>(std::clamp(width, 1, kValueTextMax));
  std::string v;
  const std::uint8_t* p = field;
  if (*p == '"') {
    // An opening quote is skipped unless another quote or a control byte
    // (or the field's end) follows; a break code is cell text, not a control.
    const bool keep = p + 1 >= end || p[1] == '"' || (p[1] < 0x20 && !(cellCodes && IsCellBreakCode(p[1])));
    if (keep) v.push_back('"');
    ++p;
  }
  for (; p < end && v.size() < limit; ++p) {
    const std::uint8_t b = *p;
    if (cellCodes && IsCellBreakCode(b)) break;
    if (b >= 0x20) v.push_back(static_cast<char>(b));
  }
  // A lead byte cut from its trail byte goes.
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (!IsValueLeadByte(static_cast<std::uint8_t>(v[i]))) continue;
    if (i + 1 == v.size()) {
      v.pop_back();
      break;
    }
    ++i;
  }
  if (v.size() >= 2 && v.back() == '"' && v[v.size() - 2] != '"') v.pop_back();
  return v;
}

void ValueTable::Build(const std::uint8_t* text, std::size_t len, int column, int width, bool cellCodes) {
  rec_.clear();
  overflow_ = false;
  if (!text || column < 0) return;
  std::vector<std::int64_t> counts;
  std::vector<std::int32_t> slots(kHashSlots, -1);
  const std::uint8_t* p = text;
  const std::uint8_t* const end = text + len;
  bool title = true;
  while (p < end) {
    // One line: find field `column`, then the line's end.
    const std::uint8_t* fieldBegin = nullptr;
    const std::uint8_t* fieldEnd = nullptr;
    int seps = 0;
    const std::uint8_t* q = p;
    if (column == 0) fieldBegin = p;
    for (; q < end && !IsLineEnd(*q); ++q) {
      if (*q != kSep) continue;
      ++seps;
      if (fieldBegin && !fieldEnd) fieldEnd = q;
      if (seps == column) fieldBegin = q + 1;
    }
    if (fieldBegin && !fieldEnd) fieldEnd = q;
    // A line without separators has no cells to list (a blank line).
    const bool hasCell = fieldBegin && (seps > 0 || fieldBegin < fieldEnd);
    p = q;
    if (p < end) {
      const std::uint8_t e = *p++;
      if (e != 0 && p < end && (*p == '\r' || *p == '\n')) ++p;
    }
    if (title) {
      title = false;
      continue;
    }
    if (!hasCell) continue;
    const std::string v = ReadListValue(fieldBegin, fieldEnd, width, cellCodes);
    if (v.empty()) continue;
    // Look the value up by its bytes (the record's text is at most 99).
    std::size_t s = HashBytes(v.data(), v.size()) & (kHashSlots - 1);
    int found = -1;
    while (slots[s] >= 0) {
      const char* r = Record(slots[s]);
      if (std::strlen(r) == v.size() && std::memcmp(r, v.data(), v.size()) == 0) {
        found = slots[s];
        break;
      }
      s = (s + 1) & (kHashSlots - 1);
    }
    if (found >= 0) {
      ++counts[static_cast<std::size_t>(found)];
      continue;
    }
    if (Used() >= kValueRecords) {
      char* last = Rec(kValueRecords - 1);
      std::memset(last, 0, kCountAt);
      std::memcpy(last, kValueOverText, std::strlen(kValueOverText));
      overflow_ = true;
      break;
    }
    const int at = Used();
    rec_.resize(rec_.size() + kValueRecordSize, 0);
    std::memcpy(Rec(at), v.data(), v.size());
    counts.push_back(1);
    slots[s] = at;
  }
  for (int i = 0; i < Used(); ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%8d", static_cast<int>(std::min<std::int64_t>(counts[static_cast<std::size_t>(i)], kCountMax)));
    std::memcpy(Rec(i) + kCountAt, buf, 8);
    Rec(i)[kCountAt + 8] = 0;
    Rec(i)[kMarkAt] = ' ';
  }
}

std::string ValueTable::Text(int i) const {
  if (i < 0 || i >= Used()) return std::string();
  const char* r = Record(i);
  return std::string(r, strnlen(r, kCountAt));
}

int ValueTable::Count(int i) const {
  if (i < 0 || i >= Used()) return 0;
  return std::atoi(std::string(Record(i) + kCountAt, 8).c_str());
}

bool ValueTable::Marked(int i) const { return i >= 0 && i < Used() && Record(i)[kMarkAt] == '*'; }

void ValueTable::SetMark(int i, bool chosen) {
  if (i >= 0 && i < Used()) Rec(i)[kMarkAt] = chosen ? '*' : ' ';
}

void ValueTable::ClearMarks() {
  for (int i = 0; i < Used(); ++i) Rec(i)[kMarkAt] = ' ';
}

void ValueTable::Sort(int mode) {
  if (mode != kSortUp && mode != kSortDown && mode != kSortCount) return;
  std::vector<int> order(static_cast<std::size_t>(Used()));
  std::iota(order.begin(), order.end(), 0);
  const char* base = rec_.data();
  auto rec = [base](int i) { return reinterpret_cast<const unsigned char*>(base + static_cast<std::size_t>(i) * kValueRecordSize); };
  // Only the record's own 110 bytes are compared; equal records keep their
  // order (stable sort).
  if (mode == kSortCount) {
    std::stable_sort(order.begin(), order.end(), [&rec](int a, int b) {
      const int c = std::memcmp(rec(a) + kCountAt, rec(b) + kCountAt, kValueRecordSize - kCountAt);
      if (c != 0) return c > 0;
      return std::memcmp(rec(a), rec(b), kCountAt) > 0;
    });
  } else {
    const bool up = mode == kSortUp;
    std::stable_sort(order.begin(), order.end(), [&rec, up](int a, int b) {
      const int c = std::memcmp(rec(a), rec(b), kValueRecordSize);
      return up ? c < 0 : c > 0;
    });
  }
  std::vector<char> sorted(rec_.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    std::memcpy(sorted.data() + k * kValueRecordSize, Record(order[k]), kValueRecordSize);
  }
  rec_.swap(sorted);
}

std::string ValueTable::Line(int i) const {
  if (i < 0 || i >= Used()) return std::string();
  const char* r = Record(i);
  std::string line(r + kCountAt, 8);
  if (i == kValueRecords - 1) line[7] = ' ';
  line.push_back(r[kMarkAt]);
  line += "\t ";
  line += Text(i);
  return line;
}

std::vector<std::string> ValueTable::Lines() const {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(Used()));
  for (int i = 0; i < Used(); ++i) out.push_back(Line(i));
  return out;
}

std::string ValueTable::ItemCountText() const { return Full() ? std::string("Over") : std::to_string(Used()); }

int StepValueWidth(int width, int delta) {
  if (width >= kValueWidthStart) return 6;
  return std::clamp(width + delta, 1, 99);
}

std::string ConditionValueOfLine(const std::string& line) {
  const std::string v = line.size() > 11 ? line.substr(11) : std::string();
  return v == "NULL" ? v : "|" + v;
}

namespace {

bool EndsWith(const std::string& s, const std::string& t) {
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool StartsWith(const std::string& s, const std::string& t) { return s.compare(0, t.size(), t) == 0 && s.size() >= t.size(); }

int CountOf(const std::string& s, const char* t) {
  int n = 0;
  for (std::size_t at = s.find(t); at != std::string::npos; at = s.find(t, at + 2)) ++n;
  return n;
}

}  // namespace

std::string AddConditionValue(const std::string& c, const std::string& v, const std::string& initial) {
  if (c.size() < 3) return v;
  if (EndsWith(c, "||") || EndsWith(c, "&&")) return c + " " + v;
  if (EndsWith(c, "|| ") || EndsWith(c, "&& ")) return c + v;
  if (c == initial) return v;
  return c + " || " + v;
}

std::string RemoveConditionValue(const std::string& c, const std::string& v) {
  if (c == v) return std::string();
  if (EndsWith(c, " " + v)) {
    std::string r = c.substr(0, c.size() - v.size() - 1);
    if (EndsWith(r, " ||")) r.resize(r.size() - 3);
    return r;
  }
  if (StartsWith(c, v + " ")) {
    std::string r = c.substr(v.size() + 1);
    if (StartsWith(r, "|| ")) r.erase(0, 3);
    return r;
  }
  const std::string mid = " || " + v + " ";
  std::string r = c;
  for (std::size_t at = r.find(mid); at != std::string::npos; at = r.find(mid, at + 1)) r.replace(at, mid.size(), " ");
  return r;
}

int CountConditionJoiners(const std::string& c) { return CountOf(c, "||") + CountOf(c, "&&"); }

std::string ToggleValue(ValueTable& table, int i, const std::string& cond, const std::string& initial, bool* warn) {
  if (warn) *warn = false;
  if (i < 0 || i >= table.Used()) return cond;
  const std::string v = ConditionValueOfLine(table.Line(i));
  if (!table.Marked(i)) {
    table.SetMark(i, true);
    const std::string c = AddConditionValue(cond, v, initial);
    if (warn) *warn = CountConditionJoiners(c) >= kConditionJoinerWarn;
    return c;
  }
  table.SetMark(i, false);
  return RemoveConditionValue(cond, v);
}

}  // namespace csv
