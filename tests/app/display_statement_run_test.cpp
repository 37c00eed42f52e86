// The display, status and save-text statements from real ".rmc" files run
// in the view that shows a table: the plain display without quotes, the
// ruled display, the pane layout, the status text and title, the hand-over
// of the text to another pane with the run resumed by timer 25, and the
// text files that "savetext" and "savetab" write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class DisplayStatementRunTest : public shelltest::MacroShellTest {
 protected:
  // Runs `text` as the macro file `name` in the view (mode 2, as the macro
  // command runs a file).
  int RunFile(CDvkView* v, const char* name, const std::string& text) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  // The lines of a file written with CR LF.
  static std::vector<std::string> FileLines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t p = 0;
    while (p < bytes.size()) {
      std::size_t e = bytes.find("\r\n", p);
      if (e == std::string::npos) e = bytes.size();
      out.push_back(bytes.substr(p, e - p));
      p = e + 2;
    }
    return out;
  }
  // The path with every backslash doubled.
  static std::string Doubled(const std::string& path) {
    std::string out;
    for (char c : path) {
      out += c;
      if (c == '\\') out += c;
    }
    return out;
  }
};

TEST_F(DisplayStatementRunTest, DisptxtQuoteoffShowsThePlainTableWithoutQuotes) {
  CDvkView* v = OpenTable("\"name\",\"note\"\r\n\"apple\",\"red, round\"\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_NE(std::string::npos, ControlText(v).find('"'));
  EXPECT_EQ(1, RunFile(v, "plain.rmc", "\tdispall\tdisptxt quoteoff\r\n"));
  EXPECT_EQ(1u, doc->m_bHideQuotes);
  EXPECT_EQ(1u, v->m_nEditMode);
  EXPECT_EQ(33u, v->m_nFileKind);
  EXPECT_EQ("name\tnote\napple\tred, round", ControlText(v));
  // "quoteon" shows them again.
  EXPECT_EQ(1, RunFile(v, "quoted.rmc", "\tdispall\tquoteon\r\n"));
  EXPECT_EQ(0u, doc->m_bHideQuotes);
  EXPECT_NE(std::string::npos, ControlText(v).find("\"red, round\""));
}

// "disprtf" puts the view and the document in ruled-table mode: the table
// is drawn ruled by the table engine, every cell in place and the table's
// bytes unchanged; the next run starts in plain mode and shows it plain.
TEST_F(DisplayStatementRunTest, DisprtfPutsTheTableInRuledModeAndLosesNothing) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n3,4\r\n");
  ASSERT_NE(nullptr, v);
  const std::string before = ControlText(v);
  const std::string table = TableBytes(v);
  EXPECT_EQ(1, RunFile(v, "ruled.rmc", "\tdispall\tdisprtf\r\n"));
  EXPECT_EQ(3u, v->m_nEditMode);
  EXPECT_EQ(1u, doc->m_bTableEditMode);
  EXPECT_EQ(33u, v->m_nFileKind);
  EXPECT_FALSE(v->RuledDisplayLayout().Empty());
  const std::string ruled = ControlText(v);
  std::size_t at = 0;
  for (const char* cell : {"a", "b", "1", "2", "3", "4"}) {
    const std::size_t p = ruled.find(cell, at);
    ASSERT_NE(std::string::npos, p) << cell << "\n" << ruled;
    at = p + 1;
  }
  EXPECT_EQ(table, TableBytes(v));
  // The next run starts in plain mode again.
  EXPECT_EQ(1, RunFile(v, "plain.rmc", "\tdispall\t\r\n"));
  EXPECT_EQ(1u, v->m_nEditMode);
  EXPECT_EQ(before, ControlText(v));
}

TEST_F(DisplayStatementRunTest, Split2VChoosesLayoutTwo) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "split.rmc", "\tdispall\tsplit2V\r\n"));
  EXPECT_EQ(2, frame->m_nTextSplitMode);
  EXPECT_EQ(0, frame->m_nTextLayoutWord);  // taken by the layout
  EXPECT_EQ(1, RunFile(v, "split4.rmc", "\tdispall\tsplit4\r\n"));
  EXPECT_EQ(9, frame->m_nTextSplitMode);
}

// "status set" shows slot 161 in pane 0 and the trace leaves the pane
// alone; "title" puts the same text in the window title; "text3" hands the
// table over (to text pane 1, 1 and 3 swapped), the run returns 1 at once
// and timer 25 resumes it 100 ms later at the next statement.
TEST_F(DisplayStatementRunTest, StatusTitleAndTheHandOverToAPane) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  const std::string text =
      "\tdefine\tx,y\r\n\tdefine\t161:ttl=Working now\r\n\tdisptitle\tstatus set title\r\n\t[x]++\r\n"
      "\tdispall\ttext3\r\n\t[y]++\r\n";
  EXPECT_EQ(1, RunFile(v, "pane.rmc", text));
  EXPECT_EQ("Working now", Pane0());
  EXPECT_EQ("Working now", Title());
  EXPECT_EQ("1", std::string(v->Macro().m_strMacroVars[180].GetString()));
  EXPECT_EQ("", std::string(v->Macro().m_strMacroVars[181].GetString()));  // not yet
  EXPECT_GT(v->Macro().m_nMacroResumePos, 0);
  // The document holds the table's text for the pane.
  EXPECT_EQ(TableBytes(v), std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_EQ(0, doc->m_nLoadState);
  EXPECT_TRUE(testsupport::PumpUntil(
      [v] { return std::string(v->Macro().m_strMacroVars[181].GetString()) == "1"; }, 5000));
  EXPECT_EQ(0, v->Macro().m_nMacroResumePos);
  EXPECT_EQ(0u, v->Macro().m_bMacroRunActive);
  EXPECT_EQ("macro end   total replace = 0", Pane0());
}

TEST_F(DisplayStatementRunTest, Text1PutsTheTableIntoTheThirdPane) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  CDvkView* third = frame->GetTextView(0, 1);
  ASSERT_NE(nullptr, third);
  ASSERT_NE(v, third);
  EXPECT_EQ(3u, third->m_nPaneIndex);
  EXPECT_EQ(1, RunFile(v, "pane3.rmc", "\tdispall\ttext1\r\n\tdefine\tz=5\r\n"));
  EXPECT_EQ(33u, third->m_nFileKind);
  EXPECT_EQ("a\tb\n1\t2", ControlText(third));
  EXPECT_EQ(3, doc->m_nActiveTextPane);
  EXPECT_TRUE(testsupport::PumpUntil(
      [v] { return std::string(v->Macro().m_strMacroVars[180].GetString()) == "5"; }, 5000));
}

TEST_F(DisplayStatementRunTest, SavetextWritesBlankAlignedTextAndSavetabTabs) {
  CDvkView* v = OpenTable("id,name,note\r\n1,apple,x\\&y\r\n22,kiwi,plain\r\n333,fig,w\r\n");
  ASSERT_NE(nullptr, v);
  // A name written with doubled backslashes is the same file.
  const std::string tabPath = File("sorted.tab");
  EXPECT_EQ(1, RunFile(v, "tab.rmc", "\tsavetab\t" + Doubled(tabPath) + "\r\n"));
  EXPECT_EQ("id\tname\tnote\r\n1\tapple\tx&y\r\n22\tkiwi\tplain\r\n333\tfig\tw\r\n",
            testsupport::ReadFileBytes(tabPath));
  EXPECT_EQ(33u, v->m_nFileKind);  // a table stays a table after savetab

  EXPECT_EQ(1, RunFile(v, "text.rmc", "\tsavetext\tout.txt\r\n"));
  const std::vector<std::string> lines = FileLines(testsupport::ReadFileBytes(File("out.txt")));
  ASSERT_EQ(4u, lines.size());
  const std::size_t name = lines[0].find("name"), note = lines[0].find("note");
  ASSERT_NE(std::string::npos, name);
  ASSERT_NE(std::string::npos, note);
  EXPECT_EQ(0u, lines[1].find('1'));
  EXPECT_EQ(name, lines[1].find("apple"));
  EXPECT_EQ(name, lines[2].find("kiwi"));
  EXPECT_EQ(name, lines[3].find("fig"));
  EXPECT_EQ(note, lines[1].find("x&y"));
  EXPECT_EQ(note, lines[2].find("plain"));
  EXPECT_EQ(note, lines[3].find('w', name + 3));
  for (const std::string& l : lines) EXPECT_EQ(std::string::npos, l.find('\t')) << l;
  EXPECT_EQ(9u, v->m_nFileKind);  // the buffer holds the text now
}

}  // namespace
