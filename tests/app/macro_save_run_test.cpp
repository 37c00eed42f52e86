// The save statements in the running program: "save" and "saveadd" write the
// table's file bytes, and "savertf" writes the table as rich text ("g" as the
// view shows it, "a" without its quotes) and as blank-aligned text ("f").
// The rich-text files are read by unrtf afterwards (macro_save_check.sh).
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

const std::string kSaved = std::string(TABRYE_BIN_ROOT) + "/tests/app/";

class MacroSaveRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
};

const char kTable[] = "品名,数\r\n\"apple, red\",3\r\n表計算,\"line\r\nbreak\"\r\n";

TEST_F(MacroSaveRunTest, SaveWritesTheTableAndSaveAddItsRows) {
  CDvkView* v = OpenTable(kTable);
  ASSERT_NE(nullptr, v);
  const std::string out = File("out.csv"), log = File("log.csv");
  EXPECT_EQ(1, RunFile(v, "\tsave\t" + out + "\r\n"));
  EXPECT_EQ(kTable, testsupport::ReadFileBytes(out));
  EXPECT_EQ(out, std::string(v->m_strViewPath));
  testsupport::WriteFileBytes(log, "品名,数\r\n");
  EXPECT_EQ(1, RunFile(v, "\tsaveadd\t" + log + "\r\n\tsaveadd\t" + log + "\r\n"));
  EXPECT_EQ("品名,数\r\n\"apple, red\",3\r\n表計算,\"line\r\nbreak\"\r\n\"apple, red\",3\r\n表計算,\"line\r\nbreak\"\r\n",
            testsupport::ReadFileBytes(log));
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
}

TEST_F(MacroSaveRunTest, RichTextFormsWriteTheCells) {
  CDvkView* v = OpenTable("name,qty\r\nwidget,42\r\n\"gear, small\",7\r\n");
  ASSERT_NE(nullptr, v);
  const std::string g = kSaved + "macro_save_g.rtf", a = kSaved + "macro_save_a.rtf";
  const std::string f = kSaved + "macro_save_f.txt";
  std::remove(g.c_str());
  std::remove(a.c_str());
  std::remove(f.c_str());
  EXPECT_EQ(1, RunFile(v, "\tsavertfg\t" + g + "\r\n"));
  EXPECT_EQ(0, testsupport::ReadFileBytes(g).rfind("{\\rtf", 0));

  v = OpenTable("name,qty\r\nwidget,42\r\n\"gear, small\",7\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tsavertfa\t" + a + "\r\n"));
  EXPECT_EQ(0, testsupport::ReadFileBytes(a).rfind("{\\rtf", 0));
  EXPECT_EQ(4u, v->m_nFileKind);

  v = OpenTable("name,qty\r\nwidget,42\r\n\"gear, small\",7\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tsavertff\t" + f + "\r\n"));
  const std::string text = testsupport::ReadFileBytes(f);
  // Every row's second field after a bar at one place.
  const std::size_t bar1 = text.find('|');
  ASSERT_NE(std::string::npos, bar1);
  const std::size_t row2 = text.find("\r\n") + 2, row3 = text.find("\r\n", row2) + 2;
  EXPECT_EQ(bar1, text.find('|', row2) - row2) << text;
  EXPECT_EQ(bar1, text.find('|', row3) - row3) << text;
  EXPECT_NE(std::string::npos, text.find("widget")) << text;
  EXPECT_NE(std::string::npos, text.find(" gear, small ")) << text;
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
}

}  // namespace
