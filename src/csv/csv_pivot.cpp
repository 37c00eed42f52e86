#include "csv/csv_pivot.h"

#include <cstring>

#include "csv/csv_buffer.h"

namespace csv {
namespace {

constexpr std::size_t kMaxCells = 6;

struct Cell {
  const std::uint8_t* p;
  std::uint32_t n;
};

// The fields of the row [b, e).
void CutFields(const std::uint8_t* b, const std::uint8_t* e, std::vector<Cell>* f) {
  f->clear();
  for (;;) {
    const void* s = std::memchr(b, CSV_FIELD_SEP, static_cast<std::size_t>(e - b));
    const std::uint8_t* fe = s ? static_cast<const std::uint8_t*>(s) : e;
    f->push_back(Cell{b, static_cast<std::uint32_t>(fe - b)});
    if (!s) break;
    b = fe + 1;
  }
}

bool Is(const std::string& s, const std::string& key) { return s == key || s == "other"; }

void AddCell(std::vector<std::size_t>* cells, std::size_t at) {
  if (at == SIZE_MAX || cells->size() >= kMaxCells) return;
  for (std::size_t c : *cells) {
    if (c == at) return;
  }
  cells->push_back(at);
}

template <typename Pred>
std::size_t First(const std::vector<PivotEntry>& list, Pred pred) {
  for (std::size_t k = 0; k < list.size(); ++k) {
    if (pred(list[k])) return k;
  }
  return SIZE_MAX;
}

}  // namespace

PivotKey ReadPivotKey(const std::uint8_t* b, const std::uint8_t* e, const PivotLayout& layout) {
  PivotKey key;
  std::uint32_t j = 0;
  for (;; ++j) {
    const void* s = std::memchr(b, CSV_FIELD_SEP, static_cast<std::size_t>(e - b));
    const std::uint8_t* fe = s ? static_cast<const std::uint8_t*>(s) : e;
    if (j >= layout.keyStart0 && j < layout.keyStart0 + static_cast<std::uint32_t>(layout.levels)) {
      std::size_t n = static_cast<std::size_t>(fe - b);
      if (n > kPivotKeyBytes) n = kPivotKeyBytes;
      key.t[j - layout.keyStart0].assign(reinterpret_cast<const char*>(b), n);
    }
    if (!s || j + 1 >= layout.keyStart0 + static_cast<std::uint32_t>(layout.levels)) break;
    b = fe + 1;
  }
  return key;
}

std::vector<std::size_t> PivotCells(const PivotKey& key, int levels, const std::vector<PivotEntry>& list,
                                    const PivotOperand& op) {
  std::vector<std::size_t> cells;
  const std::size_t totalEntry = list.empty() ? SIZE_MAX : list.size() - 1;
  const std::string& over = op.overflowLabel;
  const std::string& tot = op.totalLabel;
  if (levels <= 1) {
    const std::string& i = key.t[0];
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return Is(e.t[0], i) || e.t[0] == over; }));
  } else if (levels == 2) {
    const std::string& o = key.t[0];
    const std::string& i = key.t[1];
    bool seen = false;
    std::size_t own = SIZE_MAX;
    for (std::size_t k = 0; k < list.size() && own == SIZE_MAX; ++k) {
      const PivotEntry& e = list[k];
      if ((Is(e.t[1], i) && (e.t[0] == o || (e.t[0] == "other" && !seen))) || e.t[0] == over) own = k;
      if (e.t[0] == o) seen = true;
    }
    AddCell(&cells, own);
    std::size_t sub = First(list, [&](const PivotEntry& e) { return e.t[0] == o && e.t[1] == "total"; });
    if (sub == SIZE_MAX) {
      seen = false;
      for (std::size_t k = 0; k < list.size() && sub == SIZE_MAX; ++k) {
        if (list[k].t[0] == o) seen = true;
        else if (!seen && list[k].t[0] == over && list[k].t[1] == "total") sub = k;
      }
    }
    AddCell(&cells, sub);
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return e.t[0] == tot && Is(e.t[1], i); }));
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return e.t[0] == tot && e.t[1] == "total"; }));
  } else {
    const std::string& o = key.t[0];
    const std::string& m = key.t[1];
    const std::string& i = key.t[2];
    AddCell(&cells, First(list, [&](const PivotEntry& e) {
              return (e.t[0] == o && Is(e.t[1], m) && Is(e.t[2], i)) || e.t[0] == over;
            }));
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return e.t[0] == o && e.t[1] == m && e.t[2] == "total"; }));
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return e.t[0] == o && e.t[1] == "Total" && e.t[2] == "--"; }));
    AddCell(&cells, totalEntry);
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return e.t[0] == tot && Is(e.t[1], m) && Is(e.t[2], i); }));
    AddCell(&cells, First(list, [&](const PivotEntry& e) { return e.t[0] == tot && Is(e.t[1], m) && e.t[2] == "total"; }));
    return cells;
  }
  AddCell(&cells, totalEntry);
  return cells;
}

bool WritePivotRows(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::size_t first, std::size_t end,
                    const PivotLayout& layout, const std::vector<PivotEntry>& list, const PivotOperand& op,
                    OutWriter& out) {
  static const char* const kRepeat[3] = {"", "$", "$$"};
  const int inner = layout.levels - 1;
  std::vector<Cell> f;
  std::string line;
  if (first < end) {
    CutFields(t + rows[first].start, t + rows[first].end, &f);
    for (std::uint32_t j = 0; j < layout.labels; ++j) {
      if (j) line.push_back(static_cast<char>(CSV_FIELD_SEP));
      if (j < f.size()) line.append(reinterpret_cast<const char*>(f[j].p), f[j].n);
    }
    bool lead = layout.labels > 0;
    for (const PivotEntry& e : list) {
      for (std::uint32_t r = 0; r < layout.values; ++r) {
        if (lead) line.push_back(static_cast<char>(CSV_FIELD_SEP));
        lead = true;
        line.append(e.t[inner]).append(kRepeat[r]);
      }
    }
    out.Put(line);
  }
  // Rows come sorted, so a row's cells are those of the row before it when
  // their keys agree.
  PivotKey lastKey;
  std::vector<std::size_t> cells;
  bool haveCells = false;
  std::vector<std::uint8_t> filled(list.size(), 0);
  for (std::size_t r = first + 1; r < end && !out.Failed(); ++r) {
    const std::uint8_t* b = t + rows[r].start;
    const std::uint8_t* e = t + rows[r].end;
    const PivotKey key = ReadPivotKey(b, e, layout);
    if (!haveCells || key.t[0] != lastKey.t[0] || key.t[1] != lastKey.t[1] || key.t[2] != lastKey.t[2]) {
      for (std::size_t c : cells) filled[c] = 0;
      cells = PivotCells(key, layout.levels, list, op);
      for (std::size_t c : cells) filled[c] = 1;
      lastKey = key;
      haveCells = true;
    }
    CutFields(b, e, &f);
    line.assign("\r\n");
    for (std::uint32_t j = 0; j < layout.labels; ++j) {
      if (j) line.push_back(static_cast<char>(CSV_FIELD_SEP));
      if (j < f.size()) line.append(reinterpret_cast<const char*>(f[j].p), f[j].n);
    }
    bool lead = layout.labels > 0;
    for (std::size_t k = 0; k < list.size(); ++k) {
      for (std::uint32_t v = 0; v < layout.values; ++v) {
        if (lead) line.push_back(static_cast<char>(CSV_FIELD_SEP));
        lead = true;
        if (!filled[k]) continue;
        if (layout.count) {
          line.push_back('0');
        } else {
          const std::size_t at = layout.labels + v;
          if (at < f.size()) line.append(reinterpret_cast<const char*>(f[at].p), f[at].n);
        }
      }
    }
    out.Put(line);
  }
  return !out.Failed();
}

}  // namespace csv
