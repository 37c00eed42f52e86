// Splitting bracketed lists of table cells into rows.
#include "csv/csv_bracketed.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "fw/sjis.h"

namespace csv {
namespace {

// Full-width brackets and the ideographic comma in Shift-JIS.
constexpr unsigned char kWideLead = 0x81;
constexpr unsigned char kWideOpen = 0x69, kWideClose = 0x6A, kWideComma = 0x41;

enum class Unit { kText, kOpen, kClose, kSep };

// The kind of the character at i and its length in bytes.
Unit UnitAt(const std::string& f, std::size_t i, std::size_t* len) {
  const auto c = static_cast<unsigned char>(f[i]);
  if (fw::IsSjisLeadByte(c) && i + 1 < f.size()) {
    *len = 2;
    const auto d = static_cast<unsigned char>(f[i + 1]);
    if (c == kWideLead && d == kWideOpen) return Unit::kOpen;
    if (c == kWideLead && d == kWideClose) return Unit::kClose;
    if (c == kWideLead && d == kWideComma) return Unit::kSep;
    return Unit::kText;
  }
  *len = 1;
  if (c == '(') return Unit::kOpen;
  if (c == ')') return Unit::kClose;
  if (c == ',' || c == ':') return Unit::kSep;
  return Unit::kText;
}

// A field cut into text outside lists and lists of items.
struct Piece {
  bool list = false;
  std::string text;                // outside a list
  std::vector<std::string> items;  // a list's items, "d=" prefixes applied
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when a list of `f` is still open at its end.
bool OpenAtEnd(const std::string& f) {
  int depth = 0;
  for (std::size_t i = 0, len = 0; i < f.size(); i += len) {
    const Unit u = UnitAt(f, i, &len);
    if (u == Unit::kOpen) ++depth;
    if (u == Unit::kClose && depth > 0) --depth;
  }
  return depth > 0;
}

// Cuts `f` into pieces; returns the most items of any of its lists (0: none).
std::size_t CutField(const std::string& f, std::vector<Piece>* pieces) {
  pieces->clear();
  std::size_t most = 0;
  int depth = 0;
  Piece cur;
  for (std::size_t i = 0, len = 0; i < f.size(); i += len) {
    const Unit u = UnitAt(f, i, &len);
    if (depth == 0) {
      if (u == Unit::kOpen) {
        if (!cur.text.empty()) pieces->push_back(cur);
        cur = Piece();
        cur.list = true;
        cur.items.emplace_back();
        depth = 1;
      } else {
        cur.text.append(f, i, len);
      }
      continue;
    }
    if (u == Unit::kOpen) ++depth;
    if (u == Unit::kClose && --depth == 0) {
      most = std::max(most, cur.items.size());
      pieces->push_back(cur);
      cur = Piece();
      continue;
    }
    if (u == Unit::kSep && depth == 1) {
      cur.items.emplace_back();
    } else if (u == Unit::kSep) {
      cur.items.back() += ':';
    } else {
      cur.items.back().append(f, i, len);
    }
  }
  if (cur.list) most = std::max(most, cur.items.size());  // open up to the end
  if (cur.list || !cur.text.empty()) pieces->push_back(cur);
  // "d=" remembered for the rest of the field.
  char remembered = 0;
  for (Piece& p : *pieces) {
    if (!p.list) continue;
    for (std::string& item : p.items) {
      if (!item.empty() && IsDigit(item[0]) && item.size() > 1 && item[1] == '=') {
        remembered = item[0];
      } else if (!item.empty() && IsDigit(item[0])) {
        if (remembered) item = std::string(1, remembered) + "=" + item;
      } else {
        remembered = 0;
      }
    }
  }
  return most;
}

// The output, grown as needed.
struct Out {
  std::uint8_t* p = nullptr;
  std::size_t len = 0, cap = 0;
  ~Out() { fw::Free(p); }
  bool Put(const void* bytes, std::size_t n) {
    if (n > cap - len) {
      std::size_t want = cap * 2 > len + n ? cap * 2 : len + n + 1000;
      void* q = fw::Realloc(p, want);
      if (q == nullptr) return false;
      p = static_cast<std::uint8_t*>(q);
      cap = want;
    }
    if (n) std::memcpy(p + len, bytes, n);
    len += n;
    return true;
  }
  bool Put(const std::string& s) { return Put(s.data(), s.size()); }
};

struct Line {
  std::uint32_t start, end, next;  // content [start, end), next line at next
};

Line LineAt(const std::uint8_t* t, std::uint32_t n, std::uint32_t i) {
  Line l{i, i, n};
  while (l.end < n && t[l.end] != '\r' && t[l.end] != '\n') ++l.end;
  l.next = l.end;
  if (l.next < n && t[l.next] == '\r') ++l.next;
  if (l.next < n && t[l.next] == '\n') ++l.next;
  return l;
}

std::vector<std::string> SplitFields(const std::uint8_t* t, const Line& l) {
  std::vector<std::string> fields(1);
  for (std::uint32_t i = l.start; i < l.end; ++i) {
    if (t[i] == CSV_FIELD_SEP) {
      fields.emplace_back();
    } else {
      fields.back() += static_cast<char>(t[i]);
    }
  }
  return fields;
}

bool Chosen(std::size_t index, int firstCol, int lastCol) {
  const long long col = static_cast<long long>(index) + 1;
  return col >= firstCol && col <= lastCol;
}

}  // namespace

int SplitBracketedField(Table& table, int firstRow, int lastRow, int firstCol, int lastCol) {
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = table.UsedLength();
  if (lastRow <= 0) lastRow = 0x7FFFFFFF;
  if (lastCol < 0) lastCol = 9999;
  if (firstCol < 1) firstCol = 1;

  Out out;
  std::uint64_t first = 2ull * n + 1000;
  out.p = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(first)));
  if (out.p == nullptr) return kSplitWorkBufferFailed;
  out.cap = static_cast<std::size_t>(first);

  std::vector<Piece> pieces;
  long long row = 1;
  for (std::uint32_t i = 0; i < n && t[i] != 0; ++row) {
    Line l = LineAt(t, n, i);
    if (row < firstRow || row > lastRow) {
      if (!out.Put(t + l.start, l.next - l.start)) return kSplitWorkBufferFailed;
      i = l.next;
      continue;
    }
    // The row and the continuation rows of its open lists.
    std::vector<std::string> fields = SplitFields(t, l);
    const std::string ending(reinterpret_cast<const char*>(t + l.end), l.next - l.end);
    std::uint32_t spanEnd = l.next;
    std::size_t bytes = l.end - l.start;
    for (int k = 0; k < kSplitContinuations && spanEnd < n && t[spanEnd] != 0 && row < lastRow; ++k) {
      bool open = false;
      for (std::size_t c = 0; c < fields.size(); ++c) open = open || (Chosen(c, firstCol, lastCol) && OpenAtEnd(fields[c]));
      if (!open) break;
      const Line more = LineAt(t, n, spanEnd);
      const std::vector<std::string> next = SplitFields(t, more);
      for (std::size_t c = 0; c < fields.size(); ++c) {
        if (!Chosen(c, firstCol, lastCol) || !OpenAtEnd(fields[c]) || c >= next.size()) continue;
        fields[c] += next[c].compare(0, 1, "\"") == 0 ? next[c].substr(1) : next[c];
      }
      bytes += more.next - more.start;
      spanEnd = more.next;
      ++row;
    }
    // Cut the chosen fields; the most items of any list gives the copies.
    std::vector<std::vector<Piece>> cut(fields.size());
    std::size_t copies = 0;
    for (std::size_t c = 0; c < fields.size(); ++c) {
      if (Chosen(c, firstCol, lastCol)) copies = std::max(copies, CutField(fields[c], &cut[c]));
    }
    if (copies == 0 || bytes > static_cast<std::size_t>(kSplitLineBytes)) {
      if (!out.Put(t + l.start, spanEnd - l.start)) return kSplitWorkBufferFailed;
      i = spanEnd;
      continue;
    }
    for (std::size_t k = 0; k < copies; ++k) {
      std::string copy;
      for (std::size_t c = 0; c < fields.size(); ++c) {
        if (c) copy += static_cast<char>(CSV_FIELD_SEP);
        if (!Chosen(c, firstCol, lastCol) || cut[c].empty()) {
          copy += fields[c];
          continue;
        }
        for (const Piece& p : cut[c]) copy += p.list ? (k < p.items.size() ? p.items[k] : std::string()) : p.text;
      }
      copy += ending.empty() && k + 1 < copies ? std::string("\r\n") : ending;
      if (!out.Put(copy)) return kSplitWorkBufferFailed;
    }
    i = spanEnd;
  }
  if (!table.Assign(out.p, out.len, 1000)) return kSplitFinalBufferFailed;
  return 0;
}

}  // namespace csv
