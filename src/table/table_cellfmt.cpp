// Number formats and alignment padding of a cell.
#include "table/table_cellfmt.h"

#include <algorithm>

#include "core/docsvc/sjis_state.h"

namespace table {

const NumberFormatRule kNumberFormats[] = {
    {'c', true, -1},   // comma grouping
    {'i', false, 0},   // whole number
    {'f', false, -2},  // fixed decimals ("f" and a digit, default 2)
    {'m', true, 0},    // amount: grouped whole number
};

const PadCorrection kPadCorrections[2] = {
    {false, 1, 1, 0, 0},  // fixed faces: the width in characters as it is
    {true, 8, 9, 0, 2},   // proportional faces: narrower, and "," "/" narrower still
};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds one unit in the last place of a digit string; "999" becomes "1000".
std::string IncrementDigits(std::string d) {
  for (std::size_t i = d.size(); i-- > 0;) {
    if (d[i] != '9') { ++d[i]; return d; }
    d[i] = '0';
  }
  return "1" + d;
}

std::string Group(const std::string& digits) {
  std::string out;
  std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i && (n - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::string ApplyNumberFormat(const std::string& text, char letter, int digits) {
  const NumberFormatRule* rule = nullptr;
  for (const NumberFormatRule& r : kNumberFormats) {
    if (r.letter == letter) rule = &r;
  }
  if (!rule) return text;
  // Plain decimal number: optional sign, digits, optional "." and digits.
  std::size_t lead = text.find_first_not_of(' ');
  if (lead == std::string::npos) return text;
  std::size_t end = text.find_last_not_of(' ') + 1;
  std::size_t i = lead;
  std::string sign;
  if (text[i] == '-' || text[i] == '+') { if (text[i] == '-') sign = "-"; ++i; }
  std::size_t intBegin = i;
  while (i < end && IsDigit(text[i])) ++i;
  std::string intPart = text.substr(intBegin, i - intBegin);
  std::string frac;
  if (i < end && text[i] == '.') {
    std::size_t f = ++i;
    while (i < end && IsDigit(text[i])) ++i;
    frac = text.substr(f, i - f);
  }
  if (i != end || (intPart.empty() && frac.empty())) return text;
  if (intPart.empty()) intPart = "0";
  int want = rule->decimals == -2 ? std::max(0, std::min(digits, 9)) : rule->decimals;
  if (want >= 0) {
    if (frac.size() > static_cast<std::size_t>(want)) {
      bool up = frac[static_cast<std::size_t>(want)] >= '5';
      std::string all = intPart + frac.substr(0, static_cast<std::size_t>(want));
      if (up) all = IncrementDigits(all);
      intPart = all.substr(0, all.size() - static_cast<std::size_t>(want));
      frac = all.substr(all.size() - static_cast<std::size_t>(want));
    } else {
      frac.append(static_cast<std::size_t>(want) - frac.size(), '0');
    }
  }
  // No leading zeros beyond one.
  std::size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
  bool zero = intPart == "0" && frac.find_first_not_of('0') == std::string::npos;
  std::string out = zero ? "" : sign;
  out += rule->group ? Group(intPart) : intPart;
  if (!frac.empty()) out += "." + frac;
  return text.substr(0, lead) + out + text.substr(end);
}

char EffectiveAlign(const std::string& text, const CellFormat& f) {
  char a = static_cast<char>(f.align);
  if (a == 'V') {
    bool numeric = false, other = false;
    for (char c : text) {
      if (c == ' ') continue;
      if (IsDigit(c) || (c >= '!' && c <= '/')) numeric = true;
      else other = true;
    }
    return numeric && !other ? 'R' : 'L';
  }
  if (!a && f.numFormat) return 'R';
  return a;
}

std::string ShownCellText(const std::uint8_t* b, const std::uint8_t* e, const CellFormat& f, int widthTwips, int U,
                          bool ruledDisplay) {
  if (e - b > kWalk.cellBytes) e = b + kWalk.cellBytes;
  std::string text(reinterpret_cast<const char*>(b), static_cast<std::size_t>(e - b));
  if (ruledDisplay && !text.empty() && text[0] == '"') {
    // The quote that closes: the last byte, when it is no trail byte.
    int state = 0;
    bool lastIsTrail = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      lastIsTrail = state != 0;
      IsSjisLeadByteState80(static_cast<unsigned char>(text[i]), &state);
    }
    bool closes = text.size() > 1 && text.back() == '"' && !lastIsTrail;
    text = text.substr(1, text.size() - 1 - (closes ? 1 : 0));
  }
  if (f.numFormat) text = ApplyNumberFormat(text, static_cast<char>(f.numFormat), f.numDigits);
  char align = EffectiveAlign(text, f);
  if (align != 'R' && align != 'C') return text;
  std::size_t end = text.find_last_not_of(' ');
  if (end == std::string::npos) return std::string();
  text.erase(end + 1);
  std::size_t lead = text.find_first_not_of(' ');
  std::string core = text.substr(lead);
  const PadCorrection& pc = kPadCorrections[(f.face == 3 || f.face == 4) ? 1 : 0];
  long long chars = U > 0 ? static_cast<long long>(widthTwips) * pc.widthNum / pc.widthDen / U : 0;
  long long p = chars - static_cast<long long>(core.size()) + pc.extra;
  if (pc.narrowPerBlank) {
    long long narrow = std::count(core.begin(), core.end(), ',') + std::count(core.begin(), core.end(), '/');
    p += narrow / pc.narrowPerBlank;
  }
  if (f.bold && pc.proportional) p -= static_cast<long long>(core.size()) / 8;
  if (align == 'C') p /= 2;
  p = std::max(0LL, std::min(p, static_cast<long long>(kWalk.blanks)));
  return std::string(static_cast<std::size_t>(p), ' ') + core;
}

}  // namespace table
