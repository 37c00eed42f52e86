// The command table against the running frame: the real menu bar, the
// accelerators, the string table and the text view's right-click menu.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "cmd/command_table.h"
#include "fw/cmdui.h"
#include "res/resource.h"
#include "filelist/flistview.h"
#include "shell_fixture.h"
#include "view/dvkview.h"
#include "view/viewui/ctxmenu.h"

using shelltest::ShellTest;

namespace {

struct MenuItem {
  HMENU menu;
  int index;
  UINT id;
};

// Every command item of the menu bar, after its popup was updated as when
// the user opens it.
std::vector<MenuItem> UpdatedItems(CWnd* frame, HMENU menu) {
  std::vector<MenuItem> out;
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      std::vector<MenuItem> more = UpdatedItems(frame, sub);
      out.insert(out.end(), more.begin(), more.end());
      continue;
    }
    const UINT id = GetMenuItemID(menu, i);
    if (id != 0 && id != static_cast<UINT>(-1)) out.push_back({menu, i, id});
  }
  return out;
}

std::string ItemText(const MenuItem& it) {
  char buf[256] = {};
  GetMenuStringA(it.menu, static_cast<UINT>(it.index), buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

bool Routed(CCmdTarget* target, UINT id) {
  CmdHandlerInfo info;
  return target->OnCmdMsg(id, CN_COMMAND, nullptr, &info) != FALSE;
}

}  // namespace

TEST_F(ShellTest, ListCommandsRouteWhileAListPaneIsActive) {
  ASSERT_TRUE(Start(""));
  frame->ActivateListPane(0, 0);
  ASSERT_NE(nullptr, dynamic_cast<CFlistView*>(frame->GetActiveView()));
  int built = 0;
  for (const cmd::Command& c : cmd::Commands()) {
    if (c.owner != cmd::Owner::kFileList) continue;
    SCOPED_TRACE(c.symbol);
    EXPECT_EQ(c.enable != cmd::Enable::kNotBuilt, Routed(frame, c.id));
    built += c.enable != cmd::Enable::kNotBuilt;
  }
  EXPECT_GE(built, 2);
}

TEST_F(ShellTest, EveryEnabledMenuItemRoutesToAHandlerAndUnbuiltOnesAreGrey) {
  ASSERT_TRUE(Start(""));
  frame->ActivateTextPane(0, 0);
  ASSERT_NE(nullptr, dynamic_cast<CDvkView*>(frame->GetActiveView()));
  const std::vector<MenuItem> items = UpdatedItems(frame, frame->GetMenuHandle());
  ASSERT_GT(items.size(), 40u);
  for (const MenuItem& it : items) {
    const cmd::Command* row = cmd::FindCommand(it.id);
    ASSERT_NE(nullptr, row) << "menu item " << it.id << " has no row";
    SCOPED_TRACE(row->symbol);
    const bool enabled = (GetMenuState(it.menu, static_cast<UINT>(it.index), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0;
    const bool routed = Routed(frame, it.id);
    if (row->owner == cmd::Owner::kFileList) {
      // List commands are reached only while a list pane is the active view.
      EXPECT_FALSE(enabled) << "a list command with a text pane active";
      EXPECT_FALSE(routed);
      continue;
    }
    if (enabled) EXPECT_TRUE(routed) << "enabled without a handler";
    if (row->enable == cmd::Enable::kNotBuilt) {
      EXPECT_FALSE(enabled) << "not built, so it must be grey";
      EXPECT_FALSE(routed) << "has a handler now: make its row a built one";
    } else {
      EXPECT_TRUE(routed) << "its row names a handler that the routing does not reach";
    }
    // An enabled item says what it does in the status bar while it is
    // highlighted.
    if (enabled) {
      EXPECT_NE("", cmd::PromptFor(it.id)) << "enabled without a status-bar prompt";
      frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(it.id, MF_STRING), reinterpret_cast<LPARAM>(it.menu));
      EXPECT_EQ(cmd::PromptFor(it.id), std::string(g_pStatusBar->GetPaneText(0).GetString()));
      frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    }
    // The caption and key hint are the table's (Save and table edit follow
    // the shown kind, with the same hint).
    const std::string text = ItemText(it);
    const std::string hint = cmd::KeyHintFor(it.id);
    if (it.id == ID_FILE_SAVE || it.id == ID_TABLE_EDIT_MODE) {
      if (!hint.empty()) EXPECT_EQ("\t" + hint, text.substr(text.size() - hint.size() - 1));
    } else {
      EXPECT_EQ(cmd::MenuTextFor(it.id), text);
    }
  }
}

namespace {

// The access keys of one level of the live menu ("&&" is a plain "&").
void ExpectAccessKeysOnce(HMENU menu, const std::string& where, int* levels) {
  ++*levels;
  std::map<char, std::string> seen;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char buf[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
    const std::string text = buf;
    if (HMENU sub = GetSubMenu(menu, i)) ExpectAccessKeysOnce(sub, where + " > " + text, levels);
    for (std::size_t k = 0; k + 1 < text.size(); ++k) {
      if (text[k] != '&') continue;
      if (text[k + 1] == '&') {
        ++k;
        continue;
      }
      const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(text[k + 1])));
      auto [at, fresh] = seen.emplace(key, text);
      EXPECT_TRUE(fresh) << where << ": access key " << key << " of \"" << text << "\" is also \"" << at->second << "\"";
      break;
    }
  }
}

}  // namespace

TEST_F(ShellTest, EachAccessKeyIsUsedOnceInEveryLevelOfTheMenuBar) {
  ASSERT_TRUE(Start(""));
  frame->ActivateTextPane(0, 0);
  int levels = 0;
  ExpectAccessKeysOnce(frame->GetMenuHandle(), "menu bar", &levels);
  EXPECT_GE(levels, 8);
}

TEST_F(ShellTest, AcceleratorsAreTheKeyTableAndReachTheirCommands) {
  ASSERT_TRUE(Start(""));
  ASSERT_NE(nullptr, frame->m_hAccelTable);
  const int n = CopyAcceleratorTableA(frame->m_hAccelTable, nullptr, 0);
  const auto& keys = cmd::KeyTable();
  ASSERT_EQ(static_cast<int>(keys.size()), n);
  std::vector<ACCEL> accel(static_cast<std::size_t>(n));
  CopyAcceleratorTableA(frame->m_hAccelTable, accel.data(), n);
  for (int i = 0; i < n; ++i) {
    const ACCEL& a = accel[static_cast<std::size_t>(i)];
    EXPECT_EQ(cmd::CommandForKey(a.key, (a.fVirt & FCONTROL) != 0, (a.fVirt & FSHIFT) != 0, (a.fVirt & FALT) != 0),
              a.cmd);
  }
  // F8 through the frame's translation reaches the frame's handler: the
  // other list side becomes the active one.
  const auto side = doc->m_nActiveSide;
  MSG m = {};
  m.hwnd = frame->m_hWnd;
  m.message = WM_KEYDOWN;
  m.wParam = VK_F8;
  EXPECT_TRUE(frame->PreTranslateMessage(&m));
  EXPECT_NE(side, doc->m_nActiveSide);
}

TEST_F(ShellTest, TheStringTableHoldsThePromptsOfTheRows) {
  ASSERT_TRUE(Start(""));
  int checked = 0;
  for (const cmd::Command& c : cmd::Commands()) {
    if (!*c.prompt) continue;
    CString s;
    ASSERT_TRUE(s.LoadString(c.id)) << c.symbol;
    EXPECT_STREQ(c.prompt, s.GetString()) << c.symbol;
    ++checked;
  }
  EXPECT_GT(checked, 30);
  EXPECT_EQ("ファイルを開きます", cmd::PromptFor(ID_FILE_OPEN));
}

TEST_F(ShellTest, TheRightClickMenuGreysExactlyTheCommandsNotBuilt) {
  ASSERT_TRUE(Start(""));
  frame->ActivateTextPane(0, 0);
  CDvkView* view = dynamic_cast<CDvkView*>(frame->GetActiveView());
  ASSERT_NE(nullptr, view);
  viewui::ContextMenuState s;
  s.fileKind = 33;
  s.macroStopped = true;
  std::vector<viewui::MenuRow> rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s);
  s.tableEditMode = true;
  s.fileKind = 4;
  for (const auto& r : viewui::BuildContextMenu(viewui::ContextMenuKind::kRuledTable, s)) rows.push_back(r);
  int built = 0;
  for (const viewui::MenuRow& r : rows) {
    if (r.separator) continue;
    const cmd::Command* row = cmd::FindCommand(r.id);
    ASSERT_NE(nullptr, row) << r.id;
    fw::RecordingCmdUI ui(r.id);
    ui.DoUpdate(view, TRUE);
    switch (row->enable) {
      case cmd::Enable::kNotBuilt:
        EXPECT_FALSE(ui.enabled) << row->symbol;
        break;
      case cmd::Enable::kWhereHandled:
        EXPECT_TRUE(ui.enabled) << row->symbol;
        ++built;
        break;
      case cmd::Enable::kUpdateHandler:
        // Its own rule decides (nothing selected: cut and copy are grey);
        // the handler is reached from the view.
        EXPECT_TRUE(Routed(view, r.id)) << row->symbol;
        ++built;
        break;
    }
  }
  EXPECT_GE(built, 6);  // cut, copy, paste, overwrite, find, find and replace, print origin
}

TEST_F(ShellTest, TheCsvCommandsAreReachedFromTheCsvRightClickMenuAndTheToolbar) {
  ASSERT_TRUE(Start(""));
  frame->ActivateTextPane(0, 0);
  CDvkView* view = dynamic_cast<CDvkView*>(frame->GetActiveView());
  ASSERT_NE(nullptr, view);
  // The CSV table's menu, with the title row free and fixed, in the normal
  // and the ruled-table display.
  std::map<UINT, bool> offered;  // id -> grey in some state
  for (int fixed = 0; fixed < 2; ++fixed) {
    for (int ruled = 0; ruled < 2; ++ruled) {
      viewui::ContextMenuState s;
      s.fileKind = 33;
      s.titleRowFixed = fixed == 1;
      s.editMode = ruled ? 3 : 0;
      // The view shows such a table too (the HTML save asks the view).
      view->m_nFileKind = 33;
      view->m_nEditMode = s.editMode;
      for (const viewui::MenuRow& r : viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s)) {
        if (r.separator) continue;
        fw::RecordingCmdUI ui(r.id);
        ui.DoUpdate(view, TRUE);
        const bool grey = r.grayed || !ui.enabled;
        const cmd::Command* row = cmd::FindCommand(r.id);
        ASSERT_NE(nullptr, row) << r.id;
        if (row->owner == cmd::Owner::kCsv) {
          // The quote items and the HTML save are grey in the ruled form.
          const bool ruledGrey = r.id == ID_CSV_QUOTE_CUT || r.id == ID_CSV_QUOTE_ADD || r.id == ID_CSV_SAVE_HTML;
          EXPECT_EQ(ruledGrey && ruled == 1, grey) << row->symbol << " ruled " << ruled;
        }
        offered[r.id] = offered[r.id] || grey;
      }
    }
  }
  int built = 0;
  for (const cmd::Command& c : cmd::Commands()) {
    if (c.owner != cmd::Owner::kCsv || c.enable == cmd::Enable::kNotBuilt) continue;
    SCOPED_TRACE(c.symbol);
    ++built;
    EXPECT_TRUE(Routed(view, c.id));
    if (c.id == ID_CSV_SHOW_TITLE)
      EXPECT_GE(frame->m_wndToolBar.CommandToIndex(c.id), 0) << "the title button is on the toolbar";
    else if (::GetMenuState(::GetMenu(frame->m_hWnd), c.id, MF_BYCOMMAND) != static_cast<UINT>(-1))
      continue;  // an item of the menu bar's "&CSV"
    else
      EXPECT_TRUE(offered.count(c.id)) << "not offered by the CSV right-click menu";
  }
  EXPECT_GE(built, 21);
}

namespace {

// The state of an item of the live menu bar after its popup was updated.
bool ItemEnabled(CWnd* frame, UINT id) {
  for (const MenuItem& it : UpdatedItems(frame, frame->GetMenuHandle()))
    if (it.id == id) return (GetMenuState(it.menu, static_cast<UINT>(it.index), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0;
  ADD_FAILURE() << "no menu item " << id;
  return false;
}

}  // namespace

TEST_F(ShellTest, ExcelDisplayFormIsEnabledForWorkbooksAndKeptOverARestart) {
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(Start("", false, prog.Path()));
  frame->ActivateTextPane(0, 0);
  struct Case {
    const char* name;
    bool enabled;
  } cases[] = {{"", false}, {"notes.txt", false}, {"table.csv", false}, {"book.xls", true}, {"book.XLSX", true}};
  for (const Case& c : cases) {
    doc->m_strCurFile = *c.name ? prog.File(c.name).c_str() : "";
    EXPECT_EQ(c.enabled, ItemEnabled(frame, ID_VIEW_XLS_MODE)) << c.name;
  }
  // Grey items are not carried out.
  doc->m_strCurFile = "";
  frame->SendMessage(WM_COMMAND, ID_VIEW_XLS_MODE, 0);
  EXPECT_EQ(0, doc->m_nXlsMode);
  // With a workbook shown: the form switches, is stored and the file shown
  // again; a table form goes back to the drawn grid.
  const std::string book = prog.File("book.xls");
  testsupport::WriteFileBytes(book, "not a workbook");
  doc->m_strCurFile = book.c_str();
  for (int expect : {1, 0}) {
    frame->SendMessage(WM_COMMAND, ID_VIEW_XLS_MODE, 0);
    EXPECT_EQ(expect, doc->m_nXlsMode);
  }
  doc->m_nXlsMode = 11;
  frame->SendMessage(WM_COMMAND, ID_VIEW_XLS_MODE, 0);
  EXPECT_EQ(0, doc->m_nXlsMode);
  frame->SendMessage(WM_COMMAND, ID_VIEW_XLS_MODE, 0);
  ASSERT_EQ(1, doc->m_nXlsMode);

  frame->DestroyWindow();
  app_->ExitInstance();
  app_.reset();
  ASSERT_TRUE(Start("", false, prog.Path()));
  EXPECT_EQ(1, doc->m_nXlsMode);
  // The program ends while its folder is still there.
  frame->DestroyWindow();
  app_->ExitInstance();
  app_.reset();
}

TEST_F(ShellTest, TheRuledTableMenuReachesItsBuiltTableCommandsInTheTextView) {
  ASSERT_TRUE(Start(""));
  frame->ActivateTextPane(0, 0);
  CDvkView* view = dynamic_cast<CDvkView*>(frame->GetActiveView());
  ASSERT_NE(nullptr, view);
  viewui::ContextMenuState s;
  s.fileKind = 4;
  s.tableEditMode = true;
  std::map<UINT, bool> offered;
  for (const viewui::MenuRow& r : viewui::BuildContextMenu(viewui::ContextMenuKind::kRuledTable, s))
    if (!r.separator) offered[r.id] = true;
  // Every built row of the ruled tables is an item of that menu, enabled,
  // and carried out by the text view.
  int built = 0;
  for (const cmd::Command& c : cmd::Commands()) {
    if (c.owner != cmd::Owner::kTable || c.enable == cmd::Enable::kNotBuilt) continue;
    SCOPED_TRACE(c.symbol);
    ++built;
    EXPECT_TRUE(offered.count(c.id)) << "not offered by the ruled-table right-click menu";
    fw::RecordingCmdUI ui(c.id);
    ui.DoUpdate(view, TRUE);
    EXPECT_TRUE(ui.enabled);
    EXPECT_TRUE(Routed(view, c.id));
  }
  EXPECT_TRUE(offered.count(ID_TBL_NEW));
  EXPECT_TRUE(offered.count(ID_TBL_CONVERT));
  EXPECT_EQ(cmd::Enable::kWhereHandled, cmd::FindCommand(ID_TBL_CONVERT)->enable);
  EXPECT_GE(built, 1);
}
