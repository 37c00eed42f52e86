// loadclip and saveclip: the separator decided by the first 999 bytes, the
// quote-aware conversion into the table, the clipboard that cannot be
// opened, and saveclip's three sources, the table left as it was.
#include <gtest/gtest.h>

#include <string>

#include "macro/macro_exec_clip.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::string Convert(const std::string& text) {
  std::string out(text.size(), '\0');
  macro::MacroClipToTable(U(text), static_cast<std::uint32_t>(text.size()),
                          macro::MacroClipBalance(U(text), static_cast<std::uint32_t>(text.size())),
                          reinterpret_cast<std::uint8_t*>(out.data()));
  return out;
}

TEST(ClipConversion, Table) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      // One comma and one TAB: balance 0, the comma separates, the TAB is '~'.
      {"a,b\tc\r\n", "a\x06" "b~c\r\n"},
      // TABs only: one column per field; a comma inside quotes stays.
      {"x\t\"1,2\"\ty\r\n", "x\x06\"1,2\"\x06y\r\n"},
      // A comma outside quotes separates in a TAB text too.
      {"a\tb\tc,d\r\n", "a\x06" "b\x06" "c\x06" "d\r\n"},
      // A TAB inside quotes of a TAB text is data.
      {"\"p\tq\"\tr\tz\r\n", "\"p\tq\"\x06r\x06z\r\n"},
      // A stray quote ends at the line end: the next row is split again.
      {"a,\"b\r\nc,d\r\n", "a\x06\"b\r\nc\x06" "d\r\n"},
      // Double-byte text keeps its bytes (a second byte 0x5C is no separator).
      {"\x95\x5C,\x83\x5C\r\n", "\x95\x5C\x06\x83\x5C\r\n"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(c.want), Convert(c.text)) << c.text;
}

TEST(ClipConversion, BalanceCountsTheFirst999BytesOnly) {
  // 998 bytes without a separator, then a comma at 998 and TABs after it.
  std::string text(998, 'x');
  text += ",\t\t\t";
  EXPECT_EQ(1, macro::MacroClipBalance(U(text), static_cast<std::uint32_t>(text.size())));
  EXPECT_EQ(-1, macro::MacroClipBalance(U("\t\t,"), 3));
}

TEST(ClipConversion, CutKeepsDoubleByteCharactersWhole) {
  EXPECT_EQ(std::string(8999, 'a'), macro::MacroClipCut(std::string(10000, 'a')));
  std::string kanji(8998, 'a');
  kanji += "\x88\x9F\x88\x9F";  // a character across the cut goes whole
  EXPECT_EQ(std::string(8998, 'a'), macro::MacroClipCut(kanji));
  EXPECT_EQ("ab", macro::MacroClipCut(std::string("ab\0cd", 5)));
}

class ClipRun : public macrotest::RunFixture<> {
 protected:
  std::string Text() const { return std::string(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen); }
  void SetTable(const std::string& text) { ASSERT_TRUE(table.Assign(text.data(), text.size(), 100)); }
};

TEST_F(ClipRun, LoadClipMakesATable) {
  host.clipboardText = "Name\tQty\r\n\"a\tb\"\t2\r\nc\t3\r\n";
  RunDocument("\tloadclip\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ("Name\x06Qty\r\n\"a\tb\"\x06" "2\r\nc\x06" "3\r\n", Text());
  EXPECT_EQ(33u, fileKind);
  EXPECT_EQ(33, doc->m_nFileKind);
  EXPECT_EQ(2u, table.m_nFieldCount);
  EXPECT_GE(table.m_nWorkSize, table.m_nTextLen + 1000);
}

TEST_F(ClipRun, LoadClipTakesAtMostTheInputSize) {
  doc->m_nIndata = 5;
  host.clipboardText = "a,b,c,d,e";
  RunDocument("\tloadclip\r\n");
  EXPECT_EQ("a\x06" "b\x06" "c", Text());
}

TEST_F(ClipRun, LoadClipWithoutTextGivesAnEmptyTable) {
  SetTable("old\x06row\r\n");
  host.clipboardText.clear();
  RunDocument("\tloadclip\r\n");
  EXPECT_EQ("", Text());
  EXPECT_EQ(33u, fileKind);
}

TEST_F(ClipRun, LoadClipLeavesTheTableWhenTheClipboardIsShut) {
  SetTable("old\x06row\r\n");
  host.clipboardOpens = false;
  RunDocument("\tloadclip\r\n");
  EXPECT_EQ("old\x06row\r\n", Text());
  EXPECT_EQ(9u, fileKind);
}

TEST_F(ClipRun, SaveClipTableAsTabsAndTheTableUnchanged) {
  // A TAB inside a cell stays in the table; the clipboard gets its copy.
  const std::string before = "a\x06" "b\tc\r\n1\x06" "2\r\n";
  SetTable(before);
  fileKind = 33;
  RunDocument("\tsaveclip\r\n");
  EXPECT_EQ("a\tb\tc\r\n1\t2\r\n", host.clipboardText);
  EXPECT_EQ(before, Text());
}

TEST_F(ClipRun, SaveClipOperandAndVariable) {
  SetTable("x\x06y\r\n");
  RunDocument("\tsaveclip\thello, world\r\n");
  EXPECT_EQ("hello, world", host.clipboardText);
  st->m_strMacroVars[170] = CString(std::string(10000, 'v'));
  RunDocument("\tsaveclip170\r\n");  // a slot the run keeps
  EXPECT_EQ(8999u, host.clipboardText.size());
  EXPECT_EQ(std::string::npos, host.clipboardText.find_first_not_of('v'));
  RunDocument("\tsaveclip5181\tignored\r\n");
  EXPECT_EQ("", host.clipboardText);
  EXPECT_EQ("x\x06y\r\n", Text());
}

TEST_F(ClipRun, SaveClipWithTheClipboardShutWritesNothing) {
  host.clipboardOpens = false;
  host.clipboardText = "kept";
  RunDocument("\tsaveclip\tnew\r\n");
  EXPECT_EQ("kept", host.clipboardText);
  EXPECT_EQ(0, host.clipboardWrites);
}

TEST_F(ClipRun, SaveXlsPutsItsTitleRowFirstThenExportsTheWorkbook) {
  SetTable("a\x06" "b\r\n");
  RunDocument("\tsavexls%Title\tC:\\t\\a.xlsx\r\n");
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  ASSERT_EQ(1u, host.exports.size());
  EXPECT_EQ("4 0 ", host.exports[0]);  // mode 4: the workbook the program writes
  EXPECT_EQ("Title\x06\r\na\x06" "b\r\n", Text());
  EXPECT_EQ(1, host.viewUpdates);
}

TEST_F(ClipRun, SaveXlsPassesEveryModeOnAndAFailedExportStopsSilently) {
  SetTable("a\r\n");
  // "$": mode 0, an existing workbook; "#*": the text file, started hidden;
  // "@": pattern mode for a ".xls" target.
  RunDocument("\tsavexls$Sheet\tC:\\t\\a.xls\r\n\tsavexls#*f.xls\tC:\\t\\b.xls\r\n"
              "\tsavexls@\tC:\\t\\c.xls\r\n");
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  ASSERT_EQ(3u, host.exports.size());
  EXPECT_EQ("0 0 Sheet", host.exports[0]);
  EXPECT_EQ("2 1 f.xls", host.exports[1]);
  EXPECT_EQ("1 0 ", host.exports[2]);
  // A sheet number after the template's name keeps its ':'.
  host.exports.clear();
  RunDocument("\tsavexls#f.xls:2\tC:\\t\\b.xls\r\n");
  ASSERT_EQ(1u, host.exports.size());
  EXPECT_EQ("2 0 f.xls:2", host.exports[0]);
  host.exports.clear();
  host.reports.clear();
  host.exportResult = -1;
  RunDocument("\tsave\tC:\\t\\b.xlsx\r\n\tsavexls\tC:\\t\\never.xlsx\r\n");
  ASSERT_EQ(1u, host.exports.size());  // the run stopped after the failed export
  EXPECT_TRUE(host.reports.empty());
}


}  // namespace
