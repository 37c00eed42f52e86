// Pattern mode's filling of a workbook template: placeholders in both forms
// found from byte 513, cleared beyond the table, filled cell by cell, and
// nothing read or written outside the template.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "export/handover/handover_files.h"
#include "export/handover/xls_pattern.h"

namespace {

using handover::PatchPatternTemplate;

std::string Blank(std::size_t n) { return std::string(n, 'A'); }

// A UTF-16 string as a workbook stores it: its length three bytes before
// the text, the option flag 1 right before it.
void PutWide(std::string* t, std::size_t pos, const std::u16string& text) {
  (*t)[pos - 3] = static_cast<char>(text.size());
  (*t)[pos - 2] = 0;
  (*t)[pos - 1] = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    (*t)[pos + 2 * i] = static_cast<char>(text[i] & 0xFF);
    (*t)[pos + 2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  if (pos + 2 * text.size() < t->size()) (*t)[pos + 2 * text.size()] = 0;
}

std::u16string ReadWide(const std::string& t, std::size_t pos, std::size_t chars) {
  std::u16string s;
  for (std::size_t i = 0; i < chars; ++i)
    s.push_back(static_cast<char16_t>(static_cast<unsigned char>(t[pos + 2 * i]) |
                                      static_cast<unsigned char>(t[pos + 2 * i + 1]) << 8));
  return s;
}


handover::PatternCounts Patch(std::string* t, const std::string& table, long long lines, long long fields) {
  return PatchPatternTemplate(t, reinterpret_cast<const std::uint8_t*>(table.data()), table.size(), lines, fields);
}

TEST(XlsPattern, WideCellsArePaddedAndRowsBeyondTheTableBlanked) {
  std::string t = Blank(1024);
  PutWide(&t, 600, u"\u22830102___");  // 8 characters: the cell padded to 8
  PutWide(&t, 700, u"\u22830501___");  // row 5 of a 3-row table
  PutWide(&t, 800, u"\u22830201");     // 5 characters: the cell cut there
  PutWide(&t, 900, u"\u22830103");     // column 3 of a 2-column table
  PutWide(&t, 100, u"\u22830101");     // before byte 513: left alone
  const std::string before = t;
  const std::string table = "a\x06xyz\r\n\x82\xA0\x82\xA2longer\x06q\r\nlast\x06z\r\n";
  const handover::PatternCounts c = Patch(&t, table, 3, 2);
  EXPECT_EQ(4u, c.placeholders);
  EXPECT_EQ(2u, c.cleared);
  EXPECT_EQ(2u, c.filled);
  EXPECT_EQ(u"xyz     ", ReadWide(t, 600, 8));
  EXPECT_EQ(u"        ", ReadWide(t, 700, 8));
  EXPECT_EQ(u"\u3042\u3044lon", ReadWide(t, 800, 5));  // あい
  EXPECT_EQ(u"     ", ReadWide(t, 900, 5));
  EXPECT_EQ(before.substr(90, 20), t.substr(90, 20));
  EXPECT_EQ(before.size(), t.size());
}

TEST(XlsPattern, AnUnderscoreWhereTheCellRunsOutBecomesABlank) {
  std::string t = Blank(1024);
  PutWide(&t, 600, u"\u22830101____x");  // 10 characters
  Patch(&t, "abc\r\n", 1, 1);
  EXPECT_EQ(u"abc      x", ReadWide(t, 600, 10));  // eight, then the '_' after them
}

TEST(XlsPattern, HandMadeShiftJisPlaceholderFilledByteForByte) {
  std::string t = Blank(1024);
  const std::string ph = "\x81\xBD" "0102__";
  t[598] = 8;  // its byte budget
  t[599] = 0;
  t.replace(600, ph.size(), ph);
  t[608] = 0x10;
  std::string u = t;
  Patch(&t, "x\x06" "abcdefgh\r\n", 1, 2);
  // Bytes one by one; the two '_' become blanks, "g" and "h" passed over.
  EXPECT_EQ("abcdef  ", t.substr(600, 8));
  // A shorter cell leaves the rest of the placeholder as it was.
  Patch(&u, "x\x06" "ab\r\n", 1, 2);
  EXPECT_EQ("ab0102__", u.substr(600, 8));
  EXPECT_EQ('\x10', u[608]);
}

TEST(XlsPattern, PlaceholdersAtTheEndStayInsideTheTemplate) {
  // Digits cut off by the end, and budgets reaching past it.
  for (std::size_t cut = 1; cut <= 12; ++cut) {
    std::string t = Blank(1024);
    PutWide(&t, 1010, u"\u22830101");
    t[1007] = static_cast<char>(0xFF);  // a budget of 510 bytes
    t.resize(1010 + cut);
    Patch(&t, "abcdefghijklmnop\r\n", 1, 1);
    EXPECT_EQ(1010 + cut, t.size());
    std::string s = Blank(1024);
    s[1020] = 0;
    s[1019] = static_cast<char>(0xFF);
    s.replace(1021, 3, "\x81\xBD" "0");
    Patch(&s, "abcdefghijklmnop\r\n", 1, 1);
    EXPECT_EQ(1024u, s.size());
  }
}

TEST(XlsPattern, ShortTemplatesAndTextsWithoutCells) {
  std::string small = Blank(255);
  const std::string copy = small;
  EXPECT_EQ(0u, Patch(&small, "a\r\n", 1, 1).placeholders);
  EXPECT_EQ(copy, small);
  std::string t = Blank(1024);
  PutWide(&t, 600, u"\u22830101");
  EXPECT_EQ(0u, Patch(&t, "", 0, 0).filled);
  // A cell of more than 2,000 bytes goes on as the next column.
  std::string t2 = Blank(1024);
  PutWide(&t2, 600, u"\u22830102");
  Patch(&t2, std::string(2000, 'a') + "bc\r\n", 1, 2);
  EXPECT_EQ(u"bc   ", ReadWide(t2, 600, 5));
}

TEST(PatternTemplate, A255ByteTemplateIsTooShort) {
  const std::string dir = ::testing::TempDir();
  const std::string small = dir + "/pattern255.xls", big = dir + "/pattern256.xls";
  for (const auto& [path, n] : {std::pair<std::string, std::size_t>{small, 255}, {big, 256}}) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    const std::string bytes(n, 'z');
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  std::string bytes;
  EXPECT_EQ(handover::PatternLoad::kTooShort, handover::LoadPatternTemplate(small.c_str(), &bytes));
  EXPECT_EQ(handover::PatternLoad::kOk, handover::LoadPatternTemplate(big.c_str(), &bytes));
  EXPECT_EQ(256u, bytes.size());
  EXPECT_EQ(handover::PatternLoad::kCannotOpen, handover::LoadPatternTemplate((dir + "/none.xls").c_str(), &bytes));
}

TEST(HandoverFiles, TemplateChoiceAndItsRetries) {
  std::set<std::string> there;
  auto canOpen = [&there](const CString& p) { return there.count(p.Str()) > 0; };
  // Nothing there: the program folder, then ".xlsm", is the last name.
  handover::TemplateChoice c = handover::ChooseTemplate("", 2, "out.xls", "C:\\list", "C:\\prog", canOpen);
  EXPECT_FALSE(c.found);
  EXPECT_EQ(CString("Not Open C:\\prog\\XLSform.xlsm"), handover::TemplateNotOpenText(c));
  // An empty template and a target ending in "xlsx": the macro workbook.
  there = {"C:\\list\\XLSform.xlsm"};
  c = handover::ChooseTemplate("", 2, "out.xlsx", "C:\\list", "C:\\prog", canOpen);
  EXPECT_TRUE(c.found);
  EXPECT_TRUE(c.macroBook);
  EXPECT_EQ(CString("C:\\list\\XLSform.xlsm"), c.path);
  // Pattern mode's template, found in the program folder.
  there = {"C:\\prog\\XLSptrn.xls"};
  c = handover::ChooseTemplate("", 1, "out.xlsx", "C:\\list", "C:\\prog", canOpen);
  EXPECT_EQ(CString("C:\\prog\\XLSptrn.xls"), c.path);
  EXPECT_FALSE(c.macroBook);
  // A given ".xls" that exists only as ".xlsm" in the program folder.
  there = {"C:\\prog\\form.xlsm"};
  c = handover::ChooseTemplate("D:\\t\\form.xls", 3, "", "C:\\list", "C:\\prog", canOpen);
  EXPECT_EQ(CString("C:\\prog\\form.xlsm"), c.path);
  EXPECT_TRUE(c.macroBook);
  // A given ".xlsm" gets no second "m".
  there.clear();
  c = handover::ChooseTemplate("form.xlsm", 3, "", "C:\\list", "C:\\prog", canOpen);
  EXPECT_EQ(CString("Not Open C:\\prog\\form.xlsm"), handover::TemplateNotOpenText(c));
}

TEST(HandoverFiles, ScratchCopyNames) {
  std::set<std::string> there;
  auto exists = [&there](const CString& p) { return there.count(p.Str()) > 0; };
  CString tooMany;
  EXPECT_EQ(CString("C:\\prog\\TMP\\Dorvikform.xls"), handover::ScratchCopyName("C:\\prog", false, exists, &tooMany));
  there.insert("C:\\prog\\TMP\\Dorvikform.xls");
  EXPECT_EQ(CString("C:\\prog\\TMP\\Dorvikform_AA.xls"), handover::ScratchCopyName("C:\\prog", false, exists, &tooMany));
  EXPECT_EQ(CString("C:\\prog\\TMP\\Dorvikform.xlsm"), handover::ScratchCopyName("C:\\prog\\", true, exists, &tooMany));
  there.insert("C:\\prog\\TMP\\Dorvikform_AA.xls");
  EXPECT_EQ(CString("C:\\prog\\TMP\\Dorvikform_AB.xls"), handover::ScratchCopyName("C:\\prog", false, exists, &tooMany));
  for (char a = 'A'; a <= 'Z'; ++a)
    for (char b = 'A'; b <= 'Z'; ++b) there.insert(std::string("C:\\prog\\TMP\\Dorvikform_") + a + b + ".xls");
  EXPECT_TRUE(tooMany.IsEmpty());
  EXPECT_EQ(CString(), handover::ScratchCopyName("C:\\prog", false, exists, &tooMany));
  EXPECT_EQ(CString("Too many temp files C:\\prog\\TMP\\Dorvikform_ZZ.xls"), tooMany);
  EXPECT_EQ(CString("C:\\prog\\TMP\\DorvikTmpXls.txt"), handover::HandoverTextPath("C:\\prog"));
}

}  // namespace
