#include "export/chart_fragments.h"

#include <cstdlib>
#include <cstring>

namespace exportcore {
namespace {

// The escape of one byte, or nullptr to copy it; "" leaves it out.
const char* EscapeOf(unsigned char c) {
  switch (c) {
    case '&': return "&amp;";
    case '"': return "&quot;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '\t':
    case '\r':
    case '\n': return nullptr;
    default: return c < 0x20 ? "" : nullptr;
  }
}

// Escapes byte by byte: a trail byte of a double-byte character is never one
// of the escaped bytes or a control byte, so no character is split.
template <class Out>
void EscapeInto(Out& out, const char* text, std::size_t len) {
  std::size_t run = 0;  // start of the bytes copied as they are
  for (std::size_t i = 0; i < len; ++i) {
    const char* e = EscapeOf(static_cast<unsigned char>(text[i]));
    if (!e) continue;
    out.append(text + run, i - run);
    out.append(e, std::strlen(e));
    run = i + 1;
  }
  out.append(text + run, len - run);
}

struct WriterOut {
  ByteWriter& w;
  void append(const char* p, std::size_t n) { w.Append(p, n); }
};

// --- colours ---

// A row of a colour table: the first character, the second (0: any) and the
// colour.
struct ColorRow {
  char first;
  char second;
  const char* hex;
};

constexpr ColorRow kColorHex[] = {
    {'B', 'r', "600000"}, {'B', 'G', "008080"}, {'B', 'k', "000000"}, {'B', 0, "0000FF"},
    {'P', 'r', "800080"}, {'P', 'i', "FF00FF"}, {'P', 0, "000000"},   {'G', 'y', "808080"},
    {'G', 0, "00F000"},   {'Y', 'G', "808000"}, {'Y', 0, "D0C000"},   {'D', 'G', "404040"},
    {'D', 0, "000000"},   {'L', 'G', "C0C0C0"}, {'L', 0, "000000"},   {'R', 0, "FF0000"},
    {'T', 0, "600000"},   {'O', 0, "FF8000"},   {'S', 0, "00C0D0"},   {'I', 0, "FF00FF"},
    {'V', 0, "800080"},   {'A', 0, "808080"},   {'W', 0, "FFFFFF"},   {'r', 0, "FF8080"},
    {'g', 0, "80FF80"},   {'b', 0, "8080FF"},   {'t', 0, "E0C080"},   {'y', 0, "FFFF80"},
    {'o', 0, "FFC080"},   {'s', 0, "80FFFF"},   {'i', 0, "FF80FF"},   {'v', 0, "C080FF"},
    {'w', 0, "FFFFFF"},   {'a', 0, "C0C0C0"},   {'d', 0, "000000"},
};

// Fills and backgrounds: the first character is compared in upper case.
constexpr ColorRow kLightColorHex[] = {
    {'B', 'r', "E0C080"}, {'B', 'G', "C0FFE0"}, {'B', 'k', "000000"}, {'B', 0, "C0C0FF"},
    {'P', 'r', "E0C0FF"}, {'P', 'i', "FFC0FF"}, {'P', 0, "FFFFFF"},   {'G', 'y', "C0C0C0"},
    {'G', 0, "C0FFC0"},   {'Y', 'G', "E0FFC0"}, {'Y', 0, "FFFFC0"},   {'D', 'G', "A0A0A0"},
    {'D', 0, "000000"},   {'L', 'G', "C0C0C0"}, {'L', 0, "FFFFFF"},   {'W', 0, "FFFFFF"},
    {'R', 0, "FFC0C0"},   {'T', 0, "E0C080"},   {'O', 0, "FFE0C0"},   {'S', 0, "C0FFFF"},
    {'I', 0, "FFC0FF"},   {'V', 0, "E0C0FF"},   {'A', 0, "C0C0C0"},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Three digits, one per channel: digit d gives "02468ACEFF"[d] and then "F"
// for 9, "0" otherwise.
bool DigitColor(const std::string& code, std::string& hex) {
  if (code.size() < 3 || !IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2])) return false;
  static const char kHigh[] = "02468ACEFF";
  hex.clear();
  for (int k = 0; k < 3; ++k) {
    int d = code[k] - '0';
    hex += kHigh[d];
    hex += d == 9 ? 'F' : '0';
  }
  return true;
}

template <std::size_t N>
const char* LookUp(const ColorRow (&table)[N], char first, char second, const char* otherwise) {
  for (const ColorRow& row : table)
    if (row.first == first && (row.second == 0 || row.second == second)) return row.hex;
  return otherwise;
}

// --- sizes and text attributes ---

// A font size as the fragments write it (the points followed by "00"): only
// 1-4 digits of a value from 1 to 4000 are written; anything else writes no
// size, so the application's default applies.
bool UsableSize(const std::string& size) {
  if (size.empty() || size.size() > 4) return false;
  int v = 0;
  for (char c : size) {
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
  }
  return v >= 1 && v <= 4000;
}

// A size given by its leading digits: one, or two when the second is a
// digit too; "" when the code does not begin with a digit.
std::string LeadingDigits(const std::string& code) {
  if (code.empty() || !IsDigit(code[0])) return {};
  if (code.size() >= 2 && IsDigit(code[1])) return code.substr(0, 2);
  return code.substr(0, 1);
}

bool Holds(const std::string& code, char c) { return code.find(c) != std::string::npos; }

// The rotation and vertical attributes of a font or label code.
std::string BodyAttributes(const std::string& code) {
  std::string a;
  if (Holds(code, 'D') || Holds(code, 'd'))
    a = " rot=\"5400000\"";
  else if (Holds(code, 'U') || Holds(code, 'u'))
    a = " rot=\"-5400000\"";
  else
    a = " rot=\"0\"";
  if (Holds(code, 'V'))
    a += " vert=\"wordArtVertRtl\"";
  else if (Holds(code, 'v'))
    a += " vert=\"eaVert\"";
  else
    a += " vert=\"horz\"";
  return a;
}

// The defRPr of a size ("" when the size is not usable) and the given tail.
std::string DefRPr(const std::string& size, const char* tail) {
  std::string s = "<a:defRPr";
  if (UsableSize(size)) s += " sz=\"" + size + "00\"";
  s += tail;
  return s;
}

// --- markers, lines, patterns ---

struct NamedCode {
  int code;
  const char* name;
};

constexpr NamedCode kMarkerSymbols[] = {
    {11, "square"}, {12, "diamond"}, {13, "triangle"}, {14, "x"},    {15, "star"},
    {16, "dot"},    {17, "dash"},    {18, "circle"},   {19, "plus"},
};

constexpr NamedCode kLineDashes[] = {
    {'2', "lgDash"}, {'3', "sysDash"}, {'5', "lgDashDot"}, {'6', "lgDashDotDot"},
    {'7', "sysDot"}, {'8', "dash"},    {'9', "dashDot"},
};

constexpr NamedCode kPatterns[] = {
    {32, "pct10"}, {33, "pct20"},    {34, "pct25"},    {35, "pct30"}, {36, "pct40"}, {37, "pct50"},
    {38, "pct60"}, {39, "pct70"},    {40, "pct75"},    {41, "pct80"}, {42, "pct90"}, {51, "ltDnDiag"},
    {52, "ltUpDiag"}, {53, "smGrid"}, {59, "ltVert"}, {60, "ltHorz"}, {71, "weave"},
};

template <std::size_t N>
const char* NameOf(const NamedCode (&table)[N], int code, const char* otherwise) {
  for (const NamedCode& e : table)
    if (e.code == code) return e.name;
  return otherwise;
}

// Label flags by letter and the kinds that read them (bit k: kind k).
struct LabelFlag {
  char letter;
  unsigned kinds;
  bool counted;
};

constexpr unsigned kAllKinds = 0xFF;  // bit 7: a kind outside 0-6
enum LabelFlagIndex { kShowVal, kShowCatName, kShowSerName, kShowBubbleSize, kShowPercent, kLeaderLines, kFlagCount };
constexpr LabelFlag kLabelFlags[kFlagCount] = {
    {'Y', kAllKinds, true}, {'X', kAllKinds, true},      {'N', kAllKinds, true},
    {'Z', 0x21, true},      {'P', 0x06, true},           {'Q', 0x06, false},
};

// Label positions by kind (bit k: kind k), the first letter found wins.
struct LabelPosition {
  unsigned kinds;
  char letter;
  const char* name;
};

constexpr LabelPosition kLabelPositions[] = {
    {0x50, 'T', "t"},      {0x50, 'C', "ctr"},   {0x50, 'B', "b"},   {0x50, 'L', "l"}, {0x50, 'R', "r"},
    {0x06, 'O', "outEnd"}, {0x06, 'I', "inEnd"}, {0x06, 'C', "ctr"},
    {0x09, 'B', "inBase"}, {0x09, 'T', "inEnd"}, {0x09, 'C', "ctr"},
};

// Separators by the code's last character; any other a semicolon.
struct LabelSeparator {
  char last;
  const char* text;
};

constexpr LabelSeparator kLabelSeparators[] = {
    {'2', ". "}, {'3', ", "}, {'4', "  "}, {'5', "\r\n"},
};

}  // namespace

void AppendXmlEscaped(std::string& out, const char* text, std::size_t len) { EscapeInto(out, text, len); }
void AppendXmlEscaped(std::string& out, const std::string& text) { EscapeInto(out, text.data(), text.size()); }
void AppendXmlEscaped(ByteWriter& out, const char* text, std::size_t len) {
  WriterOut w{out};
  EscapeInto(w, text, len);
}
void AppendXmlEscaped(ByteWriter& out, const std::string& text) { AppendXmlEscaped(out, text.data(), text.size()); }

std::string XlsxColorHex(const std::string& code) {
  std::string hex;
  if (DigitColor(code, hex)) return hex;
  std::string s = code + "   ";
  return LookUp(kColorHex, s[0], s[1], "000000");
}

std::string XlsxLightColorHex(const std::string& code) {
  std::string hex;
  if (DigitColor(code, hex)) return hex;
  std::string s = code + "   ";
  char first = s[0];
  if (first >= 'a' && first <= 'z') first = static_cast<char>(first - 32);
  return LookUp(kLightColorHex, first, s[1], "FFFFFF");
}

std::string XlsxPatternName(int code) { return NameOf(kPatterns, code, "pct5"); }

std::string XlsxMarkerXml(const std::string& code) {
  if (code.empty()) return "<c:marker><c:symbol val=\"none\"/></c:marker>";
  std::string s = code + "   ";
  std::string size = "6";
  std::string rest = s;
  std::size_t k = s.find('p');
  if (k != std::string::npos && k > 0) {
    size = s.substr(0, k);
    rest = s.substr(k + 1);
  }
  rest += "   ";  // the rest always holds its two symbol characters
  // The two characters read as digits as they stand: a letter or blank gives
  // a code outside 11-29 and so the "none" symbol.
  int n = (static_cast<unsigned char>(rest[0]) - '0') * 10 + (static_cast<unsigned char>(rest[1]) - '0');
  int symbol = n > 20 ? n - 10 : n;
  std::string out = "<c:marker><c:symbol val=\"";
  out += NameOf(kMarkerSymbols, symbol, "none");
  out += "\"/>";
  // The size attribute takes 2-72; a size outside is left out.
  int sizeValue = UsableSize(size) ? std::atoi(size.c_str()) : 0;
  if (sizeValue >= 2 && sizeValue <= 72) out += "<c:size val=\"" + size + "\"/>";
  std::string color = XlsxColorHex(rest.substr(2));
  if (n >= 20) {
    out += "<c:spPr><a:solidFill><a:srgbClr val=\"" + color + "\"/></a:solidFill></c:spPr></c:marker>";
  } else {
    out += "<c:spPr><a:noFill/>";
    if (color != "000000")
      out += "<a:ln><a:solidFill><a:srgbClr val=\"" + color + "\"/></a:solidFill><a:prstDash val=\"solid\"/></a:ln>";
    out += "</c:spPr></c:marker>";
  }
  return out;
}

std::string XlsxLineXml(const std::string& code) {
  std::string s = code + "   ";
  char c0 = s[0];
  char c1 = s[1];
  std::string width;
  if (c0 >= '3' && c0 <= '8')
    width = std::to_string((c0 - '0' - 1) * 12700);
  else if (c0 == '0')
    width = "0";
  else if (c0 == '2')
    width = "19050";
  else
    width = "6350";
  const char* dash = NameOf(kLineDashes, c1, "solid");
  const char* compound = c1 == '4' ? " cmpd=\"dbl\"" : "";
  std::size_t at = (c0 >= 'A' && c0 <= 'Y') ? 0 : (c1 >= 'A' && c1 <= 'Y') ? 1 : 2;
  std::string out;
  if (width == "0") {
    out = "<a:ln w=\"12700\"><a:noFill/>";
  } else {
    out = "<a:ln w=\"" + width + "\"" + compound + "><a:solidFill><a:srgbClr val=\"" + XlsxColorHex(s.substr(at, 1)) +
          "\"/></a:solidFill>";
  }
  out += "<a:prstDash val=\"";
  out += dash;
  out += "\"/></a:ln>";
  return out;
}

std::string XlsxTextBodyXml(const std::string& code, const std::string& text, int mode) {
  std::string size;
  std::string attributes;
  if (mode == 1) {
    size = code;
    attributes = " rot=\"0\" vert=\"horz\"";
  } else {
    std::size_t k = code.find('p');
    size = k != std::string::npos ? code.substr(0, k) : LeadingDigits(code);
    attributes = BodyAttributes(code);
  }
  std::string head = "<a:bodyPr" + attributes + "/><a:lstStyle/><a:p><a:pPr>" + DefRPr(size, "/>") + "</a:pPr>";
  if (text.empty()) return "<c:txPr>" + head + "<a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr>";
  std::string out = "<c:tx><c:rich>" + head + "<a:r><a:rPr lang=\"ja-JP\" altLang=\"en-US\"/><a:t>";
  AppendXmlEscaped(out, text);
  out += "</a:t></a:r></a:p></c:rich></c:tx>";
  return out;
}

std::string XlsxDataLabelsXml(const std::string& code, int kind) {
  char last = code.empty() ? 0 : code.back();
  std::string size;
  std::size_t k = code.find('p');
  if (k != std::string::npos)
    size = code.substr(0, k);  // "p" first: no size
  else
    size = LeadingDigits(code);
  unsigned kindBit = (kind >= 0 && kind <= 6) ? 1u << kind : 0x80u;
  bool flag[kFlagCount] = {};
  int counted = 0;
  for (int f = 0; f < kFlagCount; ++f) {
    const LabelFlag& lf = kLabelFlags[f];
    if ((lf.kinds & kindBit) && Holds(code, lf.letter)) {
      flag[f] = true;
      if (lf.counted) ++counted;
    }
  }
  const char* position = nullptr;
  for (const LabelPosition& lp : kLabelPositions) {
    if ((lp.kinds & kindBit) && Holds(code, lp.letter)) {
      position = lp.name;
      break;
    }
  }
  auto bit = [&](int f) { return flag[f] ? "1" : "0"; };
  std::string out = kind == 1 ? "" : "<c:dLbls>";
  if (!size.empty()) {
    out += "<c:txPr><a:bodyPr" + BodyAttributes(code) + "/><a:lstStyle/><a:p><a:pPr>" +
           DefRPr(size, " baseline=\"0\"/>") + "</a:pPr><a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr>";
  }
  // The position goes before the show flags, where the chart markup wants it.
  if (position) out += std::string("<c:dLblPos val=\"") + position + "\"/>";
  out += "<c:showLegendKey val=\"0\"/>";
  out += std::string("<c:showVal val=\"") + bit(kShowVal) + "\"/><c:showCatName val=\"" + bit(kShowCatName) + "\"/>";
  out += std::string("<c:showSerName val=\"") + bit(kShowSerName) + "\"/><c:showPercent val=\"" + bit(kShowPercent) +
         "\"/><c:showBubbleSize val=\"" + bit(kShowBubbleSize) + "\"/>";
  if (counted > 1 || kind == 1) {
    const char* separator = "; ";
    for (const LabelSeparator& ls : kLabelSeparators)
      if (ls.last == last) separator = ls.text;
    out += std::string("<c:separator>") + separator + "</c:separator>";
  }
  if (flag[kLeaderLines]) out += "<c:showLeaderLines val=\"1\"/>";
  if (kind != 1) out += "</c:dLbls>";
  return out;
}

}  // namespace exportcore
