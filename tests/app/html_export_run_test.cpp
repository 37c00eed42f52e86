// The HTML page of the running program: command 33232 is live for a CSV
// table only, writes the page named after the shown file into the active
// side's folder and asks before replacing a page there; "savehtm" writes
// its operand and closes the open context; a page that cannot be written is
// reported and takes the statement's error exit.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/dvkdoc.h"
#include "fw/cmdui.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

// Two blocks: a head, a title line whose codes give column 2 two decimals,
// right-aligned, then a second sheet. The amounts are grouped as the
// table shows them.
const std::string kTable =
    "!#:\x94\x84\x8F\xE3\r\n"  // 売上
    "\x95\x69\x96\xBC,\x8B\xE0\x8A\x7A^Rf2\r\n"  // 品名,金額
    "a&b,\"1,234.5\"\r\n"
    "\x93\x8C\x8B\x9E,\"999.995\"\r\n"  // 東京
    "!#:two\r\n"
    "x,y\r\n"
    "1,2\r\n";

// Records what an update handler decided.
class EnableProbe : public CCmdUI {
 public:
  void Enable(BOOL on) override { enabled = on != FALSE; }
  bool enabled = false;
};

class HtmlExportRunTest : public shelltest::MacroShellTest {
 protected:
  bool Enabled(CDvkView* v) {
    EnableProbe ui;
    ui.m_nID = ID_CSV_SAVE_HTML;
    ui.DoUpdate(v, TRUE);
    return ui.enabled;
  }
  // The active side's file sits in "side": the page goes there.
  void PutListSideIn(const char* folder) {
    CreateDirectoryA(File(folder).c_str(), nullptr);
    doc->m_nActiveSide = 1;
    doc->m_strPath1 = File((std::string(folder) + "\\list.txt").c_str()).c_str();
    doc->m_strPath2 = File("other\\list.txt").c_str();
  }
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
};

TEST_F(HtmlExportRunTest, TheCommandIsLiveForACsvTableOnly) {
  CDvkView* v = OpenTable(kTable, "sales.csv");
  ASSERT_NE(nullptr, v);
  EXPECT_TRUE(Enabled(v));
  v->m_nEditMode = 3;
  EXPECT_FALSE(Enabled(v));
  v->m_nEditMode = 0;
  v->m_nSourceView = 1;
  EXPECT_FALSE(Enabled(v));
  v->m_nSourceView = 0;
  const int kind = v->m_nFileKind;
  v->m_nFileKind = 5;  // a picture
  EXPECT_FALSE(Enabled(v));
  v->m_nFileKind = kind;
  // The File menu lists it after "save as".
  HMENU file = GetSubMenu(::GetMenu(frame->m_hWnd), 0);
  ASSERT_NE(nullptr, file);
  int saveAs = -1, html = -1;
  for (int i = 0; i < GetMenuItemCount(file); ++i) {
    if (GetMenuItemID(file, i) == ID_FILE_SAVE_AS) saveAs = i;
    if (GetMenuItemID(file, i) == ID_CSV_SAVE_HTML) html = i;
  }
  EXPECT_EQ(saveAs + 1, html);
  char text[128] = {};
  GetMenuStringA(file, ID_CSV_SAVE_HTML, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ("CSVからHTMLファイルに保存", text);
}

TEST_F(HtmlExportRunTest, TheCommandWritesThePageBesideTheListSidesFileAndAsksBeforeReplacingIt) {
  CDvkView* v = OpenTable(kTable, "sales.csv");
  ASSERT_NE(nullptr, v);
  PutListSideIn("side");
  const std::string before = TableBytes(v);
  doc->m_nUpdateCode = app::UpdateCode::kNone;
  v->SendMessage(WM_COMMAND, ID_CSV_SAVE_HTML);
  const std::string page = testsupport::ReadFileBytes(File("side\\sales.html"));
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(0u, page.find("<html>"));
  EXPECT_NE(std::string::npos, page.find("charset=shift_jis"));
  EXPECT_NE(std::string::npos, page.find("a&amp;b"));
  EXPECT_NE(std::string::npos, page.find("1,234.50"));
  EXPECT_NE(std::string::npos, page.find("1000.00"));
  EXPECT_NE(std::string::npos, page.find("\x93\x8C\x8B\x9E"));
  EXPECT_EQ(2u, [&] {
    std::size_t n = 0;
    for (std::size_t p = page.find("<table"); p != std::string::npos; p = page.find("<table", p + 1)) ++n;
    return n;
  }());
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(before, TableBytes(v));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(File("other\\sales.html").c_str()));
  // A page already there: Cancel leaves it, OK replaces it.
  testsupport::WriteFileBytes(File("side\\sales.html"), "mine");
  fw::hooks::ExpectMessageBox("上書きしますか", IDCANCEL);
  v->SendMessage(WM_COMMAND, ID_CSV_SAVE_HTML);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ("mine", testsupport::ReadFileBytes(File("side\\sales.html")));
  fw::hooks::ExpectMessageBox("上書きしますか", IDOK);
  v->SendMessage(WM_COMMAND, ID_CSV_SAVE_HTML);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(page, testsupport::ReadFileBytes(File("side\\sales.html")));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(HtmlExportRunTest, SavehtmWritesItsOperandAndAnUnwritablePageStopsTheMacro) {
  CDvkView* v = OpenTable(kTable, "sales.csv");
  ASSERT_NE(nullptr, v);
  doc->m_nOpenContext = 2;
  EXPECT_EQ(1, RunFile(v, "\tsavehtm\t" + File("out.html") + "\r\n"));
  const std::string page = testsupport::ReadFileBytes(File("out.html"));
  EXPECT_NE(std::string::npos, page.find("</body>\r\n</html>\r\n"));
  EXPECT_EQ(0, doc->m_nOpenContext);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  // A read-only page: the message, and the statement after it never runs.
  SetFileAttributesA(File("out.html").c_str(), FILE_ATTRIBUTE_READONLY);
  fw::hooks::ExpectMessageBox("file open eror : " + File("out.html"), IDOK);
  RunFile(v, "\tsavehtm\t" + File("out.html") + "\r\n\tsavehtm\t" + File("next.html") + "\r\n");
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(File("next.html").c_str()));
  EXPECT_EQ(page, testsupport::ReadFileBytes(File("out.html")));
  SetFileAttributesA(File("out.html").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
