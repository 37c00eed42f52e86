// The tag search, the cell token reader and the number-format classifier of
// the package converters, on parts held in memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "convert/ooxml_numfmt.h"
#include "convert/ooxml_part.h"
#include "convert/ooxml_tag.h"
#include "fw/codepage.h"

namespace {

using namespace convert;

// A part loaded through the loader, as the converters see it.
struct Part {
  explicit Part(const std::string& xml) {
    MemoryPackage pkg;
    pkg.Add("p.xml", xml);
    LoadBuffer out;
    size = LoadPartAsSjis(pkg, "p.xml", 0, text, out);
  }
  PartText text;
  int size = 0;
};

struct FindCase {
  const char* xml;
  int pos;
  const char* pattern;
  int mode;
  int want;
  int wantPos;  // -1: the position is unchanged
};

TEST(OoxmlTag, FindInTagModes) {
  const FindCase cases[] = {
      // integers: sign, quote, inches (digits stop at a point: no inch factor)
      {"<a:off x=\"-914400\" y=\"5\"/>", 0, "x=\"", kTagInteger, -914400, -1},
      {"<v:shape style=\"width:2in\"/>", 0, "width:", kTagInteger, 144, -1},
      {"<v:shape style=\"width:1.5in\"/>", 0, "width:", kTagInteger, 1, -1},
      {"<c r=\"B2\" s=\"12\">", 0, "s=", kTagInteger, 12, -1},
      {"<x n=\"12345678901\"/>", 0, "n=\"", kTagInteger, 1234567890, -1},  // ten digits at most
      {"<x n=\"9999999999\"/>", 0, "n=\"", kTagInteger, 2147483647, -1},   // saturates, no overflow
      {"<x n=\"9999999999in\"/>", 0, "n=\"", kTagInteger, 2147483647, -1},
      {"<x n=\"-9999999999\"/>", 0, "n=\"", kTagInteger, -2147483647 - 1, -1},
      // column letters
      {"<c r=\"AB12\">", 0, "r=\"", kTagColumn, 28, -1},
      {"<c r=\"Z1\">", 0, "r=\"", kTagColumn, 26, -1},
      {"<c r=\"ABCDE1\">", 0, "r=\"", kTagColumn, 1 * 17576 + 2 * 676 + 3 * 26 + 4, -1},
      // found / move to
      {"<p:ph type=\"title\"/>", 0, "type=\"title", kTagFound, 1, -1},
      {"<p:ph type=\"body\"/>", 0, "type=\"title", kTagFound, 0, -1},
      {"<a:pPr algn=\"ctr\"/>", 0, "algn=\"", kTagMoveTo, 1, 13},
      // below 10 the search ends with the tag the position stands in
      {"<a x=\"1\"/><b y=\"2\"/>", 1, "y=\"", kTagInteger, 0, -1},
      // nested brackets keep the tag open; an escaped bracket does not nest
      {"<a <b> y=\"2\"/>", 1, "y=\"", kTagInteger, 2, -1},
      {"<a \\> y=\"3\"/>", 1, "y=\"", kTagInteger, 3, -1},
      {"<a \\< b> y=\"3\"/>", 1, "y=\"", kTagInteger, 0, -1},
      // 20 and above: past the end of the tag
      {"<a x=\"1\"/><b y=\"2\"/>", 1, "y=\"", kTagUnbounded + kTagInteger, 2, -1},
      // 10-19: skip the tag (from one character back), then search after it
      {"<xdr:col>7</xdr:col>", 8, "7<", kTagAfter + kTagFound, 1, 9},
      {"<a><x>12</x>", 2, "x>", kTagAfter + kTagInteger, 12, 3},
      // 9: skip only
      {"<a b=\"c\">text", 1, "zz", kTagSkip, 0, 9},
      {"<a \\>>rest", 1, "zz", kTagSkip, 0, 6},
      // a pattern of one character finds nothing
      {"<a x=\"1\">", 0, "x", kTagFound, 0, -1},
  };
  for (const FindCase& c : cases) {
    Part p(c.xml);
    int pos = c.pos;
    EXPECT_EQ(FindInTag(c.pattern, p.text, &pos, c.mode), c.want) << c.xml << " mode " << c.mode;
    EXPECT_EQ(pos, c.wantPos < 0 ? c.pos : c.wantPos) << c.xml << " mode " << c.mode;
  }
}

TEST(OoxmlTag, WindowAndSkipLimits) {
  // unbounded searches stop after 1500 characters
  for (int gap : {1400, 1600}) {
    Part p("<a/>" + std::string(static_cast<size_t>(gap), 'x') + "<b y=\"4\"/>");
    int pos = 0;
    EXPECT_EQ(FindInTag("y=\"", p.text, &pos, kTagUnbounded), gap < 1500 ? 4 : 0) << gap;
  }
  // the skip stops after 500 characters
  Part longTag("<a " + std::string(600, 'x') + ">");
  int pos = 1;
  FindInTag("zz", longTag.text, &pos, kTagSkip);
  EXPECT_EQ(pos, 1 + kTagSkipLimit);
  // and at the text's end: the position never passes the NUL
  Part open("<a b=\"c\"");
  pos = 1;
  FindInTag("zz", open.text, &pos, kTagSkip);
  EXPECT_EQ(pos, open.size);
  pos = 1;
  EXPECT_EQ(FindInTag("b=\"", open.text, &pos, kTagAfter + kTagInteger), 0);
  EXPECT_LE(pos, open.size);
}

TEST(OoxmlTag, SearchesNeverReadOutsideTheText) {
  // A bare buffer without the spare area: every read past it counts as NUL.
  const std::string text = "<a x=\"12";
  for (int mode : {0, 1, 2, 7, 8, 9, 10, 17, 20, 29}) {
    for (int start : {-5, 0, 3, 8, 50}) {
      int pos = start;
      FindInTag("x=\"", text.data(), text.size(), &pos, mode);
      pos = start;
      ReadCellToken(text.data(), text.size(), &pos, mode % 2);
    }
  }
  int pos = 0;
  EXPECT_EQ(FindInTag("x=\"", text.data(), text.size(), &pos, kTagInteger), 12);
}

TEST(OoxmlTag, ReadCellToken) {
  struct {
    const char* text;
    int mode;
    int want;
    int wantPos;
  } cases[] = {
      {"\"A1\"", 1, 1, 3},         // quote skipped, the digit that ended it consumed
      {"AB12", 1, 28, 3},
      {"XFD1", 1, 16384, 4},
      {"ABCDE", 1, 1 * 17576 + 2 * 676 + 3 * 26 + 4, 4},  // four letters at most
      {"\"12\" t", 0, 12, 4},
      {"12345678901", 0, 1234567890, 10},
      {"9999999999", 0, 2147483647, 10},
      {"7", 0, 7, 1},              // the NUL ends the token but stays
      {"", 0, 0, 0},
      {"\"5\"", 2, 0, 1},          // other modes read nothing
  };
  for (const auto& c : cases) {
    Part p(c.text);
    int pos = 0;
    EXPECT_EQ(ReadCellToken(p.text, &pos, c.mode), c.want) << c.text;
    EXPECT_EQ(pos, c.wantPos) << c.text;
  }
}

// A format code as styles.xml holds it (quotes and ampersands escaped, UTF-8),
// classified through the loader and FindInTag mode 2 as the reader does.
int ClassOf(const std::string& code) {
  std::string esc;
  for (char ch : code) {
    if (ch == '"') {
      esc += "&quot;";
    } else if (ch == '&') {
      esc += "&amp;";
    } else {
      esc += ch;
    }
  }
  // (the program's literals are Shift-JIS; the part is UTF-8)
  Part p("<numFmt numFmtId=\"164\" formatCode=\"" + fw::Cp932ToUtf8(esc) + "\"/>");
  int pos = 0;
  return FindInTag("formatCode=\"", p.text, &pos, kTagFormatClass);
}

TEST(OoxmlNumFmt, ClassesOfTheEdgeCases) {
  const struct {
    const char* code;
    int want;
  } cases[] = {
      {"0.00", 549003},
      {"#,##0", 549000},
      {"0", 0},
      {"0.0%", 9002},
      {"yyyy/m/d", 14000},
      {"h:mm", 557000},
      {"yyyy\"年\"m\"月\"d\"日\"", 31000},
      {"0.0", 549002},
      {"#0", 0},
      {".00", 1003},                // a point without a leading digit: plain, 2 decimals
      {"\"$\"#,##0.00", 550003},
      {"\"¥\"#,##0", 548000},        // the yen sign is CP932's backslash
      {"\\$#,##0", 550000},
      {"\"EUR\"#,##0.0", 551002},
      {"yyyy/m/d h:mm", 22000},
      {"yyyy/m/d h:mm AM/PM", 559000},
      {"m/d", 554000},
      {"yyyy/m", 553000},
      {"m/yyyy", 552000},
      {"m/d/yyyy", 556000},
      {"d/yyyy", 14000},
      {"dd/yyyy", 14000},             // a year after a day, no month: year, month, day
      {"yyyy\"年\"m\"月\"", 555000},
      {"m\"月\"d\"日\"", 56000},
      {"h\"時\"mm\"分\"", 33000},
      {"yyyy\"年\"m\"月\"d\"日\" h\"時\"mm\"分\"", 558000},
      {"General", 0},
      {"@", 0},
      // a scientific code is never turned into a grouped or percent class
      {"0.00E+00", 11003},
      {"0.000E+00", 11004},
      {"0.0%E", 11002},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassOf(c.code), c.want) << c.code;
}

// The built-in formats of the spreadsheet format and the Japanese date and
// era formats, as workbooks write them among their own number formats.
struct TableRow {
  int id;
  const char* code;
  int cls;
};
const TableRow kBuiltinClasses[] = {
    {0, "General", 0},
    {1, "0", 0},
    {2, "0.00", 549003},
    {3, "#,##0", 549000},
    {4, "#,##0.00", 549003},
    {5, "\"$\"#,##0_);(\"$\"#,##0)", 550000},
    {6, "\"$\"#,##0_);[Red](\"$\"#,##0)", 550000},
    {7, "\"$\"#,##0.00_);(\"$\"#,##0.00)", 550003},
    {8, "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)", 550003},
    {9, "0%", 9000},
    {10, "0.00%", 9003},
    {11, "0.00E+00", 11003},
    {12, "# ?/?", 0},
    {13, "# ?\?/?\?", 0},
    {14, "mm-dd-yy", 556000},
    {15, "d-mmm-yy", 552000},
    {16, "d-mmm", 14000},
    {17, "mmm-yy", 552000},
    {18, "h:mm AM/PM", 560000},
    {19, "h:mm:ss AM/PM", 560000},
    {20, "h:mm", 557000},
    {21, "h:mm:ss", 557000},
    {22, "m/d/yy h:mm", 557000},
    {37, "#,##0_);(#,##0)", 549000},
    {38, "#,##0_);[Red](#,##0)", 549000},
    {39, "#,##0.00_);(#,##0.00)", 549003},
    {40, "#,##0.00_);[Red](#,##0.00)", 549003},
    {41, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", 549000},
    {42, "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)", 550000},
    {43, "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)", 549003},
    {44, "_(\"$\"* #,##0.00_)_(\"$\"* \\(#,##0.00\\)_(\"$\"* \"-\"??_)_(@_)", 550003},
    {45, "mm:ss", 14000},
    {46, "[h]:mm:ss", 0},
    {47, "mmss.0", 14002},
    {48, "##0.0E+0", 11002},
    {49, "@", 0},
};
const TableRow kJapaneseClasses[] = {
    {27, "[$-411]ge.m.d", 1001},
    {28, "[$-411]ggge\"年\"m\"月\"d\"日\"", 31000},
    {30, "m/d/yy", 556000},
    {31, "yyyy\"年\"m\"月\"d\"日\"", 31000},
    {32, "h\"時\"mm\"分\"", 33000},
    {33, "h\"時\"mm\"分\"ss\"秒\"", 33000},
    {34, "yyyy\"年\"m\"月\"", 555000},
    {35, "m\"月\"d\"日\"", 56000},
};

TEST(OoxmlNumFmt, BuiltinAndJapaneseFormats) {
  for (const TableRow& r : kBuiltinClasses) EXPECT_EQ(ClassOf(r.code), r.cls) << r.id << " " << r.code;
  for (const TableRow& r : kJapaneseClasses) EXPECT_EQ(ClassOf(r.code), r.cls) << r.id << " " << r.code;
}

#ifndef _WIN32
// The table above covers every built-in format openpyxl knows, code for code.
TEST(OoxmlNumFmt, TableMatchesOpenpyxlBuiltins) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0) GTEST_SKIP() << "openpyxl missing";
  FILE* p = popen(
      "/usr/bin/python3 -c \"from openpyxl.styles.numbers import BUILTIN_FORMATS as B\n"
      "for k in sorted(B): print('%d\\t%s' % (k, B[k]))\"",
      "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  size_t seen = 0;
  size_t at = 0;
  while (at < out.size()) {
    size_t nl = out.find('\n', at);
    if (nl == std::string::npos) nl = out.size();
    const std::string line = out.substr(at, nl - at);
    at = nl + 1;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const int id = std::atoi(line.c_str());
    const std::string code = line.substr(tab + 1);
    bool found = false;
    for (const TableRow& r : kBuiltinClasses) {
      if (r.id != id) continue;
      found = true;
      EXPECT_EQ(code, r.code) << id;
    }
    EXPECT_TRUE(found) << "built-in format " << id << " " << code << " is not in the table";
    ++seen;
  }
  EXPECT_EQ(seen, sizeof kBuiltinClasses / sizeof kBuiltinClasses[0]);
}
#endif

}  // namespace
