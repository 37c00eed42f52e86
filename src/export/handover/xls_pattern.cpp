#include "export/handover/xls_pattern.h"

#include <vector>

#include "fw/codepage.h"

namespace handover {
namespace {

enum class Form { kUtf16, kSjis };

struct Placeholder {
  std::size_t pos;
  Form form;
  int row;
  int col;
  std::size_t budget;  // bytes from pos that may be written
};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

unsigned char Byte(const std::string& t, std::size_t i) { return static_cast<unsigned char>(t[i]); }

// The placeholder at `p`, if one stands there (every byte it reads lies
// inside the template).
bool ReadPlaceholder(const std::string& t, std::size_t p, Placeholder* out) {
  const std::size_t n = t.size();
  if (p < kPatternSearchStart || p + 1 >= n) return false;
  const unsigned char b0 = Byte(t, p), b1 = Byte(t, p + 1);
  if (b0 == 0x83 && b1 == 0x22) {
    if (p + 8 >= n) return false;
    if (!IsDigit(Byte(t, p + 2)) || !IsDigit(Byte(t, p + 4)) || !IsDigit(Byte(t, p + 6)) || !IsDigit(Byte(t, p + 8)))
      return false;
    const unsigned char flag = Byte(t, p - 1);
    if (flag > 1) return false;
    *out = {p, Form::kUtf16, (Byte(t, p + 2) - '0') * 10 + (Byte(t, p + 4) - '0'),
            (Byte(t, p + 6) - '0') * 10 + (Byte(t, p + 8) - '0'),
            2u * Byte(t, flag == 1 ? p - 3 : p - 7)};
    return true;
  }
  if (b0 == 0x81 && b1 == 0xBD) {
    if (p + 5 >= n) return false;
    for (std::size_t k = 2; k <= 5; ++k)
      if (!IsDigit(Byte(t, p + k))) return false;
    if (Byte(t, p - 1) != 0) return false;
    *out = {p, Form::kSjis, (Byte(t, p + 2) - '0') * 10 + (Byte(t, p + 3) - '0'),
            (Byte(t, p + 4) - '0') * 10 + (Byte(t, p + 5) - '0'), Byte(t, p - 2)};
    return true;
  }
  return false;
}

// Still the placeholder found at the start (an earlier write may have
// covered it).
bool StillThere(const std::string& t, const Placeholder& ph) {
  Placeholder now;
  return ReadPlaceholder(t, ph.pos, &now) && now.form == ph.form && now.row == ph.row && now.col == ph.col;
}

// The end of the bytes a placeholder may write: its budget, cut at the
// template's end.
std::size_t Limit(const std::string& t, const Placeholder& ph) {
  const std::size_t room = t.size() - ph.pos;
  return ph.pos + (ph.budget < room ? ph.budget : room);
}

void Blank(std::string* t, const Placeholder& ph) {
  const std::size_t end = Limit(*t, ph);
  for (std::size_t j = ph.pos; j + 2 <= end; j += 2) {
    if (Byte(*t, j) <= 0x1F) break;
    (*t)[j] = ' ';
    (*t)[j + 1] = '\0';
  }
}

void FillUtf16(std::string* t, const Placeholder& ph, const std::u16string& cell) {
  const std::size_t end = Limit(*t, ph);
  std::size_t c = 0;
  for (std::size_t j = ph.pos; j + 2 <= end; j += 2) {
    if (Byte(*t, j) <= 0x1F) break;
    if (c >= cell.size()) {
      if ((*t)[j] == '_' && (*t)[j + 1] == '\0') (*t)[j] = ' ';
      break;
    }
    (*t)[j] = static_cast<char>(cell[c] & 0xFF);
    (*t)[j + 1] = static_cast<char>(cell[c] >> 8);
    ++c;
  }
}

void FillSjis(std::string* t, const Placeholder& ph, const std::uint8_t* cell, std::size_t len) {
  const std::size_t end = Limit(*t, ph);
  std::size_t c = 0;
  for (std::size_t j = ph.pos; j < end && c < len; ++j) {
    if (Byte(*t, j) <= 0x1F) break;
    (*t)[j] = (*t)[j] == '_' ? ' ' : static_cast<char>(cell[c]);
    ++c;
  }
}

}  // namespace

PatternCounts PatchPatternTemplate(std::string* templ, const std::uint8_t* table, std::size_t len, long long lines,
                                   long long fields) {
  PatternCounts counts;
  std::string& t = *templ;
  if (t.size() < kPatternMinTemplate) return counts;
  // Every placeholder as the template holds it before any write; indexed by
  // row and column.
  std::vector<Placeholder> all;
  for (std::size_t p = kPatternSearchStart; p + 1 < t.size(); ++p) {
    Placeholder ph;
    if (ReadPlaceholder(t, p, &ph)) all.push_back(ph);
  }
  counts.placeholders = all.size();
  if (all.empty()) return counts;
  std::vector<std::vector<std::size_t>> byCell(100 * 100);
  for (std::size_t k = 0; k < all.size(); ++k)
    byCell[static_cast<std::size_t>(all[k].row) * 100 + static_cast<std::size_t>(all[k].col)].push_back(k);
  for (const Placeholder& ph : all) {
    if (ph.form != Form::kUtf16) continue;
    if (ph.row > lines + 1 || ph.col > fields) {
      if (!StillThere(t, ph)) continue;
      Blank(&t, ph);
      ++counts.cleared;
    }
  }
  if (!table) return counts;
  long long row = 1, col = 1;
  std::size_t i = 0;
  while (i < len && row <= 99) {
    const std::size_t start = i;
    while (i < len && table[i] > 0x1F && i - start < kPatternMaxCell) ++i;
    const std::size_t cellLen = i - start;
    if (col >= 1 && col <= 99) {
      const std::vector<std::size_t>& here = byCell[static_cast<std::size_t>(row) * 100 + static_cast<std::size_t>(col)];
      std::u16string wide;
      bool wideMade = false;
      for (std::size_t k : here) {
        const Placeholder& ph = all[k];
        if (!StillThere(t, ph)) continue;
        if (ph.form == Form::kUtf16) {
          if (!wideMade) {
            wide = fw::Cp932ToUtf16(reinterpret_cast<const char*>(table + start), cellLen);
            if (wide.size() < kPatternPadChars) wide.resize(kPatternPadChars, u' ');
            wideMade = true;
          }
          FillUtf16(&t, ph, wide);
        } else {
          FillSjis(&t, ph, table + start, cellLen);
        }
        ++counts.filled;
      }
    }
    if (i >= len) break;
    const unsigned char end = table[i];
    if (end > 0x1F) {  // a cell cut at its longest: the next one starts here
      ++col;
      continue;
    }
    if (end == 0) break;
    ++i;
    if (end == '\r' || end == '\n') {
      if (i < len && (table[i] == '\r' || table[i] == '\n')) ++i;
      ++row;
      col = 1;
    } else {
      ++col;
    }
  }
  return counts;
}

}  // namespace handover
