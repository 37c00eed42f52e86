// The macro interpreter reaches the editor only through macro::MacroHost; the
// text view's adapter must act on the real view, document, frame and status
// bar: text and selection in Shift-JIS, messages with the "nodisp" slot,
// status panes, pane activation and the document's folders.
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cellformat.h"
#include "macro/macro_expr.h"
#include "macro/macro_host.h"
#include "macro/macro_state.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"

namespace {

class MacroHostTest : public shelltest::ShellFileTest {};

TEST_F(MacroHostTest, TextAndSelectionInShiftJis) {
  CDvkView* v = Open("host.txt", "一行目\r\nsecond\r\n");
  ASSERT_NE(nullptr, v);
  macro::MacroHost& host = v->MacroHost();
  std::string text = host.GetText().GetString();
  EXPECT_EQ(0u, text.find("一行目"));
  EXPECT_NE(std::string::npos, text.find("second"));

  // "一行目" is three characters; select them and replace them.
  host.SetSelection(0, 3);
  long s = -1, e = -1;
  host.GetSelection(&s, &e);
  EXPECT_EQ(0, s);
  EXPECT_EQ(3, e);
  host.ReplaceSelection("置換");
  text = host.GetText().GetString();
  EXPECT_EQ(0u, text.find("置換\r"));
  EXPECT_EQ(std::string::npos, text.find("一行目"));
}

TEST_F(MacroHostTest, MessagesGoThroughTheViewAndItsSilentMode) {
  CDvkView* v = Open("msg.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  macro::MacroState& st = v->Macro();
  st.m_strMessageMode() = "nodisp";
  // Silenced: no box (the fixture fails on an unexpected one), the text is kept.
  v->MacroHost().ReportMessage(2, "hello");
  EXPECT_NE(std::string::npos, std::string(st.m_strLastResult().GetString()).find("hello"));
  // The plain box is shown even when messages are silenced.
  fw::hooks::ExpectMessageBox("define parameter eror!", IDOK);
  v->MacroHost().ShowMessageBox("define parameter eror!\n'[' is to be after ';'");
  EXPECT_TRUE(fw::hooks::Unused().empty());
  // The state object is the one the view keeps.
  EXPECT_EQ(&st, &v->Macro());
}

TEST_F(MacroHostTest, StatusPaneFoldersAndPanes) {
  CDvkView* v = Open("st.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  macro::MacroHost& host = v->MacroHost();
  host.SetStatusText(0, "マクロ実行中");
  EXPECT_STREQ("マクロ実行中", g_pStatusBar->GetPaneText(0).GetString());

  doc->m_strListDir1 = "C:\\one";
  doc->m_strListDir2 = "C:\\two";
  doc->m_nActiveSide = 2;
  doc->m_strParamPath = "C:\\one\\memo";
  EXPECT_STREQ("C:\\one", host.ListDir(1).GetString());
  EXPECT_STREQ("C:\\two", host.ListDir(2).GetString());
  EXPECT_EQ(2, host.ActiveSide());
  EXPECT_STREQ("C:\\one\\memo", host.ParamPath().GetString());
  EXPECT_STREQ(doc->m_strProgramDir.GetString(), host.ProgramDir().GetString());

  // Pane 3 is the top-right cell of the text splitter.
  host.ActivateTextPane(3);
  testsupport::PumpFor(50);
  EXPECT_EQ(3, doc->m_nActiveTextPane);
  host.ActivateTextPane(1);
  testsupport::PumpFor(50);
  EXPECT_EQ(1, doc->m_nActiveTextPane);
}

TEST_F(MacroHostTest, ValueRoutinesWorkOnTheViewsStateHostAndTable) {
  CDvkView* v = Open("table.csv", "City,Total\r\nTokyo,1\r\n大阪,2\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_GT(v->m_table.m_nTextLen, 0u);
  EXPECT_STREQ("&2@3", v->MacroParseRowData("&[Total]@[大阪]", nullptr, 0).GetString());
  macro::MacroState& st = v->Macro();
  st.m_strMacroVars[5] = "data";
  EXPECT_STREQ("x data", v->MacroSubstituteVariables("x &D5", 0).GetString());
  doc->m_strListDir1 = "C:\\one";
  doc->m_nActiveSide = 1;
  st.m_strMacroVars[132] = "";
  st.m_strMacroVars[157] = "";
  EXPECT_STREQ("C:\\one\\data.csv", v->MacroExpandParameters("&D5.csv").GetString());
  // An unresolved column asks through the view's messages.
  fw::hooks::ExpectMessageBox("Row data eror ! : None", IDCANCEL);
  EXPECT_STREQ("Eror", v->MacroParseRowData("&[None]", nullptr, 0).GetString());
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(MacroHostTest, ExpressionsAndLineOffsetsOverTheViewsTable) {
  CDvkView* v = Open("sum.csv", "City,Total\r\nTokyo,1.5\r\n大阪,2.25\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_GT(v->m_table.m_nTextLen, 0u);
  EXPECT_EQ(0, v->LineOffsetFromTable(0));
  EXPECT_EQ(static_cast<int>(std::string("City\x06Total\r\n").size()), v->LineOffsetFromTable(1));
  EXPECT_EQ(static_cast<int>(v->m_table.m_nTextLen), v->LineOffsetFromTable(99));
  char out[200];
  char kind = 0;
  std::int64_t value = 0;
  macro::ExprContext ctx;
  EXPECT_EQ(4, v->MacroEvalExpression(0, out, sizeof out, "#(<<&2@2-3|&@+>>)", &kind, &value, &ctx));
  EXPECT_STREQ("3.75", out);
  EXPECT_EQ('#', kind);
  EXPECT_EQ(nullptr, ctx.env);
  EXPECT_EQ(4, v->MacroEvalExpression(0, out, sizeof out, "&1@3", &kind, &value, &ctx));
  EXPECT_STREQ("大阪", out);
}

void UpperField(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  std::string f = a.Field(s).Str();
  for (char& c : f) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  a.Put(f.data(), static_cast<int>(f.size()));
}

TEST_F(MacroHostTest, CommandLineFunctionsWidthsAndCellFormatsOnTheView) {
  CDvkView* v = Open("cells.csv", "City,Total\r\nTokyo,1\r\nOsaka,22\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, v->CsvComputeColumnWidths(1, 2, 1, 1, 0));
  EXPECT_EQ(2u, v->m_aColumnPos[0]);
  EXPECT_EQ(0u, v->m_aColumnPos[1]);
  EXPECT_EQ(7u, v->m_aColumnPos[2]);  // "Tokyo" + 2
  EXPECT_EQ(11u, v->m_aColumnPos[3]);  // "22" + 2

  macro::ScopedBuiltin up(22, UpperField);
  EXPECT_EQ(1, v->MacroEvalCommandLineFunctions(1, -1, 1, 1, "#UP"));
  const std::string table(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen);
  EXPECT_EQ("City\x06Total\r\nTOKYO\x06" "1\r\nOSAKA\x06" "22\r\n", table);
  EXPECT_EQ(22, v->MacroEvalCommandLineFunctions(0, 0, 999, 999, "#UP"));

  // ATR through the host: bold on the first line's first column.
  macro::CellFormat bold;
  bold.bold = macro::FormatSwitch::kOn;
  EXPECT_EQ(0, v->MacroHost().FormatCells(bold, 1, 1, 1, 1));
  CRichEditCtrl& edit = v->GetRichEditCtrl();
  edit.SetSel(0, 1);
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  edit.GetSelectionCharFormat(cf);
  EXPECT_TRUE((cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD));
  const int second = edit.LineIndex(1);
  edit.SetSel(second, second + 1);
  cf = {};
  cf.cbSize = sizeof cf;
  edit.GetSelectionCharFormat(cf);
  EXPECT_FALSE(cf.dwEffects & CFE_BOLD);
}

}  // namespace
