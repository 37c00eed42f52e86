// Statistics over table cells: "MAX", "MIN", "SUM", "AVE", "NUM", "NDT",
// "DEV", "VAR", "NWD". Codes 60-68 work across the cell's row over columns
// c1 to c2 ("SUM2_5"; every column without a range); codes 160-168 (the
// name followed by 'C' or '@') down the cell's column over rows r1 to r2
// ("SUM@5_20"; the data rows of the cell's block without a range). Sums
// are exact in the scaled decimals; "AVE", "DEV" and "VAR" are written
// with the decimals given after ':' ("AVE@2_9:3"), 2 without.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "csv/csv_buffer.h"
#include "macro/macro_codes.h"
#include "macro/macro_expr.h"
#include "macro/macro_fn_common.h"
#include "macro/macro_scaled.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

enum Stat { kMax, kMin, kSum, kAve, kNum, kNdt, kDev, kVar, kNwd };

using Wide = __int128;

// A cell's text without its quotes and surrounding blanks.
std::string Bare(std::string s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

// A number: an optional sign, digits (commas between them allowed) and at
// most one decimal point with digits on one side at least.
bool IsNumber(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  int digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == ',' && !point && digits > 0) {
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits > 0;
}

// The table's lines one after another from line `row` (from 1).
class LineWalk {
 public:
  LineWalk(const csv::TableFields& t, std::uint32_t row) : b_(t.m_pTextBuf), n_(std::min(t.m_nTextLen, t.m_nWorkSize)) {
    if (b_ == nullptr || row < 1) {
      p_ = n_;
      return;
    }
    for (std::uint32_t r = 1; r < row && p_ < n_; ++r) Skip();
  }
  // The cells of the next line; false past the end.
  bool Next(std::vector<std::string>* cells) {
    if (b_ == nullptr || p_ >= n_ || b_[p_] == 0) return false;
    cells->clear();
    std::uint32_t s = p_;
    for (;;) {
      std::uint32_t e = s;
      while (e < n_ && b_[e] != csv::CSV_FIELD_SEP && b_[e] != '\r' && b_[e] != '\n' && b_[e] != 0) ++e;
      cells->emplace_back(reinterpret_cast<const char*>(b_ + s), e - s);
      if (e >= n_ || b_[e] != csv::CSV_FIELD_SEP) break;
      s = e + 1;
    }
    Skip();
    return true;
  }

 private:
  void Skip() {
    while (p_ < n_ && b_[p_] != '\n' && b_[p_] != 0) ++p_;
    if (p_ < n_ && b_[p_] == '\n') ++p_;
    else p_ = n_;
  }
  const std::uint8_t* b_;
  std::uint32_t n_;
  std::uint32_t p_ = 0;
};

bool LineCells(const csv::TableFields& t, std::uint32_t row, std::vector<std::string>* cells) {
  LineWalk w(t, row);
  return w.Next(cells);
}

struct Range {
  long long first = 0, last = -1;  // -1: open
  bool given = false;
  int decimals = 2;
};

// The range and decimals after the name ("SUM@5_20:3", "SUM2_5").
Range ReadRange(BuiltinScope& scope, const std::string& text, bool down) {
  Range r;
  std::size_t p = std::min<std::size_t>(3, text.size());
  if (down && p < text.size() && (text[p] == 'C' || text[p] == '@')) ++p;
  MacroEnv env(scope.state, scope.host, scope.table);
  const CString ctext(text);
  auto number = [&](long long* out) {
    if (p >= text.size() || !((text[p] >= '0' && text[p] <= '9') || text[p] == '[')) return false;
    int at = static_cast<int>(p);
    char mark = down ? '@' : '&';
    *out = MacroExpandPageCodes(env, ctext, static_cast<int>(text.size()), &at, &mark, 0, 0, 0);
    p = std::max<std::size_t>(static_cast<std::size_t>(std::max(at, 0)), p + 1);
    return true;
  };
  if (number(&r.first)) {
    r.given = true;
    r.last = r.first;
    if (p < text.size() && text[p] == '_') {
      ++p;
      if (!number(&r.last)) r.last = -1;
    }
  }
  const std::size_t colon = text.find(':', p);
  if (colon != std::string::npos) {
    int d = 0;
    for (std::size_t i = colon + 1; i < text.size() && text[i] >= '0' && text[i] <= '9' && d < 100; ++i)
      d = d * 10 + (text[i] - '0');
    r.decimals = std::min(d, 18);
  }
  return r;
}

std::string FormatFixed(long double v, int decimals) {
  char buf[128];
  if (!std::isfinite(static_cast<double>(v)) || std::fabs(static_cast<double>(v)) > 1e30) return "0";
  std::snprintf(buf, sizeof buf, "%.*Lf", decimals, v);
  std::string s = buf;
  if (s.rfind("-0", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string FormatWide(Wide m, int scale) {
  const bool negative = m < 0;
  unsigned __int128 u = negative ? static_cast<unsigned __int128>(-(m + 1)) + 1 : static_cast<unsigned __int128>(m);
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
    u /= 10;
  } while (u != 0);
  if (scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(scale)) digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
  }
  return negative ? "-" + digits : digits;
}

void Statistics(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  const bool down = a.nCode >= 160;
  const Stat stat = static_cast<Stat>((down ? a.nCode - 160 : a.nCode - 60));
  const csv::TableFields* t = scope.table;
  if (t == nullptr) return (void)a.Put("0", 1);
  const Range r = ReadRange(scope, a.strFuncText.Str(), down);

  std::vector<std::string> values;  // the cells looked at
  std::vector<std::string> cells;
  if (down) {
    long long first = r.first, last = r.last;
    if (!r.given) {
      const int count = static_cast<int>(std::min<std::uint32_t>(t->BlockCount(), csv::MAX_CSV_BLOCKS - 1));
      int block = 1;
      for (int k = 1; k <= count; ++k) {
        if (t->m_aSecRow[k] == 0 || t->m_aSecRow[k] > static_cast<std::uint32_t>(std::max(a.nRow, 0))) break;
        block = k;
      }
      first = static_cast<long long>(t->m_aSecLine[block]) + 1;
      last = t->m_aSecInfoA[block];
    }
    if (last < 0 || last > t->m_nLastRow + 1) last = t->m_nLastRow + 1;
    first = std::max(first, 1LL);
    LineWalk walk(*t, static_cast<std::uint32_t>(std::min<long long>(first, 0xFFFFFFFFll)));
    for (long long row = first; row <= last; ++row) {
      if (!walk.Next(&cells)) break;
      if (!cells.empty() && !cells[0].empty() && cells[0][0] == '~') continue;
      if (a.nColumn >= 1 && static_cast<std::size_t>(a.nColumn) <= cells.size())
        values.push_back(cells[static_cast<std::size_t>(a.nColumn) - 1]);
    }
  } else if (a.nRow >= 1 && LineCells(*t, static_cast<std::uint32_t>(a.nRow), &cells)) {
    long long first = r.given ? std::max(r.first, 1LL) : 1;
    long long last = r.given && r.last >= 0 ? r.last : static_cast<long long>(cells.size());
    last = std::min(last, static_cast<long long>(cells.size()));
    for (long long c = first; c <= last; ++c) values.push_back(cells[static_cast<std::size_t>(c) - 1]);
  }

  // Numbers at one common scale (at most 18 decimals).
  std::vector<std::int64_t> mant;
  std::vector<int> scales;
  long long numbers = 0, nonEmpty = 0;
  int common = 0;
  for (const std::string& v : values) {
    const std::string s = Bare(v);
    if (!s.empty()) ++nonEmpty;
    if (!IsNumber(s)) continue;
    ++numbers;
    std::int64_t m = 0;
    int sc = 0;
    ParseScaledNumber(s.data(), s.size(), &m, &sc);
    if (sc == kScaleInteger || sc < 0) sc = 0;
    sc = std::min(sc, 18);
    mant.push_back(m);
    scales.push_back(sc);
    common = std::max(common, sc);
  }
  auto scaled = [&](std::size_t k) {
    Wide m = mant[k];
    for (int i = scales[k]; i < common; ++i) m *= 10;
    return m;
  };
  std::string out;
  switch (stat) {
    case kNum:
      out = std::to_string(numbers);
      break;
    case kNdt:
      out = std::to_string(nonEmpty);
      break;
    case kNwd:
      out = std::to_string(nonEmpty - numbers);
      break;
    case kMax:
    case kMin: {
      if (mant.empty()) {
        out = "0";
        break;
      }
      std::size_t best = 0;
      for (std::size_t k = 1; k < mant.size(); ++k) {
        const bool better = stat == kMax ? scaled(k) > scaled(best) : scaled(k) < scaled(best);
        if (better) best = k;
      }
      out = FormatWide(mant[best], scales[best]);
      break;
    }
    default: {
      Wide sum = 0;
      for (std::size_t k = 0; k < mant.size(); ++k) sum += scaled(k);
      if (stat == kSum) {
        out = FormatWide(sum, common);
        break;
      }
      if (mant.empty()) {
        out = FormatFixed(0, r.decimals);
        break;
      }
      long double unit = 1;
      for (int i = 0; i < common; ++i) unit *= 10;
      const long double n = static_cast<long double>(mant.size());
      const long double mean = static_cast<long double>(sum) / unit / n;
      if (stat == kAve) {
        out = FormatFixed(mean, r.decimals);
        break;
      }
      long double squares = 0;
      for (std::size_t k = 0; k < mant.size(); ++k) {
        const long double d = static_cast<long double>(scaled(k)) / unit - mean;
        squares += d * d;
      }
      const long double variance = squares / n;
      out = FormatFixed(stat == kVar ? variance : std::sqrt(variance), r.decimals);
      break;
    }
  }
  PutWhole(a, out);
}

}  // namespace

void RegisterStatisticsFunctions(BuiltinHandler* at) {
  for (int k = 0; k <= 8; ++k) at[60 + k] = at[160 + k] = Statistics;
}

}  // namespace macro
