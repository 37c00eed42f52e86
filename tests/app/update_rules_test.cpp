// Every command whose row names an update handler, against the menus the
// user opens: for each such row the program is put in a state where the rule
// greys or checks the item and in one where it does not, and the item's state
// is read from its menu (the menu bar after WM_INITMENUPOPUP, or the text
// view's right-click menu) and from the routing's answer, as the toolbar and
// the accelerators get it. A row with an update handler that no case covers
// fails too, so a new rule comes with its case.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "cmd/command_table.h"
#include "core/docsvc/filekind.h"
#include "fw/clipboard.h"
#include "fw/cmdui.h"
#include "fw/menu.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "filelist/flistview.h"
#include "shell_fixture.h"

namespace {

struct ItemState {
  bool enabled = false;
  bool checked = false;
  bool operator==(const ItemState& o) const { return enabled == o.enabled && checked == o.checked; }
};

std::ostream& operator<<(std::ostream& os, const ItemState& s) {
  return os << (s.enabled ? "enabled" : "grey") << (s.checked ? ", checked" : "");
}

// kToolbar: a command only on the toolbar, read through the routing alone.
// kFigures: the image menu's figure submenu, whose marks and captions
// tests/app/image_figure_tools_test.cpp reads from the built menu; here the
// routing is checked.
enum class Menu { kBar, kRightClick, kToolbar, kFigures };

// One rule: `set(on)` puts the program in the state where the rule gives
// `on`'s item state (`off` for false), whatever the state before.
struct Rule {
  UINT id;
  Menu menu;
  std::function<void(bool on)> set;
  ItemState off;
  ItemState on;
};

constexpr ItemState kGrey{false, false};
constexpr ItemState kEnabled{true, false};
constexpr ItemState kChecked{true, true};

bool EmptyClipboardNow() {
  if (!OpenClipboard(nullptr)) return false;
  const bool ok = EmptyClipboard() != 0;
  CloseClipboard();
  return ok;
}

// The popup of `menu` (or of its sub-menus) that holds the item `id`.
HMENU PopupHolding(HMENU menu, UINT id, int* index) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (HMENU found = PopupHolding(sub, id, index)) return found;
    } else if (GetMenuItemID(menu, i) == id) {
      *index = i;
      return menu;
    }
  }
  return nullptr;
}

class UpdateRulesTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* View() { return frame->GetTextView(0, 0); }
  CRichEditCtrl& Ctrl() { return View()->GetRichEditCtrl(); }
  void Type(const char* text) { Ctrl().ReplaceSel(text, TRUE); }

  // The item as the menu bar shows it once its popup is opened.
  ItemState BarState(UINT id) {
    int index = -1;
    HMENU popup = PopupHolding(frame->GetMenuHandle(), id, &index);
    if (!popup) {
      ADD_FAILURE() << "not in the menu bar: " << id;
      return {};
    }
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    const UINT st = GetMenuState(popup, static_cast<UINT>(index), MF_BYPOSITION);
    return {(st & (MF_GRAYED | MF_DISABLED)) == 0, (st & MF_CHECKED) != 0};
  }

  // The item as the text view's right-click menu shows it.
  ItemState RightClickState(UINT id) {
    fw::hooks::ExpectPopupMenu(0);
    View()->OpenContextMenu(CPoint(4, 4));
    for (const fw::hooks::MenuItem& it : fw::hooks::LastPopupMenu()) {
      if (it.id == id) return {!it.grayed, it.checked};
    }
    ADD_FAILURE() << "not in the right-click menu: " << id;
    return {};
  }

  // The view as a CSV table's normal display (or a plain text).
  void ShowTable(bool on) {
    View()->m_nFileKind = on ? 33 : 9;
    View()->m_nSourceView = 0;
    View()->m_nEditMode = 0;
  }

  // The document as showing a file of `kind`.
  void ShownKind(int kind) {
    doc->m_nFileKind = kind;
    doc->m_strCurFile = File(kind == docsvc::kKindPdf ? "p.pdf" : "u.txt").c_str();
  }

  // With a list pane active, drive `letter` is not present in the test's
  // prefix (it holds C: and Z: only; a letter defined at run time has no
  // root the system's drive type sees): its item stays grey. The enabled
  // side is the drive probe's, tested with C: in the list's own tests.
  void FtpSite(int n, bool on) {
    frame->ActivateListPane(0, 0);
    doc->SystemFields().FtpEntry(n) = on ? "Y:~3site~/127.0.0.1:21;BASE=/pub;USER=u" : "";
  }
  void NoDrive(char letter) {
    frame->ActivateListPane(0, 0);
    const char root[4] = {letter, ':', '\\', 0};
    ASSERT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA(root)) << letter;
  }

  // What the routing answers (toolbar buttons, accelerators).
  ItemState RoutedState(UINT id) {
    fw::RecordingCmdUI ui(id);
    ui.DoUpdate(frame, TRUE);
    return {ui.enabled, ui.checked == 1};
  }

  std::vector<Rule> Rules() {
    // Copy needs a selection; cut and delete also a writable text, so their
    // grey state is a selection in a read-only text (the copy rule would
    // enable it).
    auto noSelection = [this](bool on) {
      Ctrl().SetSel(0, -1);
      Ctrl().ReplaceSel("あいう", FALSE);
      Ctrl().SetSel(0, on ? 1 : 0);
    };
    auto readOnlySelection = [this](bool on) {
      Ctrl().SetSel(0, -1);
      Ctrl().ReplaceSel("あいう", FALSE);
      Ctrl().SetSel(0, 1);
      Ctrl().SetReadOnly(!on);
    };
    auto clipboard = [this](bool on) {
      Ctrl().SetSel(0, 0);
      if (on) {
        ASSERT_TRUE(fw::SetClipboardText(nullptr, "貼る"));
      } else {
        ASSERT_TRUE(EmptyClipboardNow());
      }
    };
    auto barVisible = [this](CWnd& bar, UINT id, bool on) {
      if (((bar.GetStyle() & WS_VISIBLE) != 0) != on) frame->SendMessage(WM_COMMAND, id, 0);
      ASSERT_EQ(on, (bar.GetStyle() & WS_VISIBLE) != 0);
    };
    return {
        {ID_FILE_SAVE, Menu::kBar,
         [this](bool on) {
           doc->SetModifiedFlag(FALSE);
           doc->ClearViewsModified();
           if (on) Type("x");
           ASSERT_EQ(on, doc->IsModified() != FALSE);
         },
         kGrey, kEnabled},
        {ID_FILE_MRU_FILE1, Menu::kBar,
         [this](bool on) {
           CRecentFileList* list = app_->GetRecentFileList();
           while (list->GetCount() > 0) list->Remove(0);
           if (on) app_->AddToRecentFileList(File("u.txt").c_str());
         },
         kGrey, kEnabled},
        {ID_EDIT_UNDO, Menu::kBar,
         [this](bool on) {
           Ctrl().EmptyUndoBuffer();
           if (on) Type("x");
         },
         kGrey, kEnabled},
        {ID_EDIT_REDO, Menu::kBar,
         [this](bool on) {
           Ctrl().EmptyUndoBuffer();
           if (on) {
             Type("x");
             Ctrl().Undo();
           }
         },
         kGrey, kEnabled},
        {ID_EDIT_CUT, Menu::kBar, readOnlySelection, kGrey, kEnabled},
        {ID_EDIT_CLEAR, Menu::kBar, readOnlySelection, kGrey, kEnabled},
        {ID_EDIT_COPY, Menu::kBar, noSelection, kGrey, kEnabled},
        {ID_EDIT_PASTE, Menu::kBar, clipboard, kGrey, kEnabled},
        // 編集 > 新規 is greyed in the binary and source forms.
        {ID_EDIT_NEW, Menu::kBar, [this](bool on) { View()->m_nSourceView = on ? 1 : 0; }, kEnabled, kGrey},
        {ID_EDIT_SELECT_ALL, Menu::kBar,
         [this](bool on) {
           Ctrl().SetSel(0, -1);
           Ctrl().ReplaceSel(on ? "あいう" : "", FALSE);
         },
         kGrey, kEnabled},
        {ID_TEXT_CUT, Menu::kRightClick, readOnlySelection, kGrey, kEnabled},
        {ID_TEXT_COPY, Menu::kRightClick, noSelection, kGrey, kEnabled},
        {ID_TEXT_PASTE, Menu::kRightClick, clipboard, kGrey, kEnabled},
        {ID_TEXT_OVERWRITE, Menu::kRightClick, [this](bool on) { View()->m_nInsertWord = on ? 0 : 1; }, kEnabled,
         kChecked},
        {ID_VIEW_TOOLBAR, Menu::kBar, [=](bool on) { barVisible(frame->m_wndToolBar, ID_VIEW_TOOLBAR, on); },
         kEnabled, kChecked},
        {ID_VIEW_STATUS_BAR, Menu::kBar,
         [=](bool on) { barVisible(frame->m_wndStatusBar, ID_VIEW_STATUS_BAR, on); }, kEnabled, kChecked},
        {ID_VIEW_STYLE2, Menu::kBar, [this](bool on) { doc->m_nTableStyle = on ? 2 : 0; }, kEnabled, kChecked},
        {ID_VIEW_WRAP, Menu::kBar,
         [this](bool on) {
           if (View()->IsWrapped() != on) View()->ToggleWrap();
           ASSERT_EQ(on, View()->IsWrapped());
         },
         kEnabled, kChecked},
        {ID_CSV_HIDE_QUOTES, Menu::kBar, [this](bool on) { doc->m_bHideQuotes = on ? 1 : 0; }, kEnabled, kChecked},
        // The sort buttons: on a table; checked only while a sort of their
        // direction runs (m_nLastSort), so never after it.
        {ID_CSV_SORT_ASCENDING, Menu::kBar,
         [this](bool on) {
           View()->m_nFileKind = on ? 33 : 9;
           View()->m_nLastSort = on ? 2 : -2;
         },
         kGrey, kChecked},
        {ID_CSV_SORT_DESCENDING, Menu::kBar,
         [this](bool on) {
           View()->m_nFileKind = on ? 33 : 9;
           View()->m_nLastSort = on ? -2 : 2;
         },
         kGrey, kChecked},
        // The CSV menu's column and row commands: in a CSV table's normal
        // display; the quote items not in the ruled display.
        {ID_CSV_DELETE_COLUMN, Menu::kBar, [this](bool on) { ShowTable(on); }, kGrey, kEnabled},
        {ID_CSV_INSERT_COLUMN, Menu::kBar, [this](bool on) { ShowTable(on); }, kGrey, kEnabled},
        {ID_CSV_CUT_TRAILING, Menu::kBar, [this](bool on) { ShowTable(on); }, kGrey, kEnabled},
        {ID_CSV_CUT_LEADING, Menu::kBar, [this](bool on) { ShowTable(on); }, kGrey, kEnabled},
        {ID_CSV_DELETE_ROW, Menu::kBar, [this](bool on) { ShowTable(on); }, kGrey, kEnabled},
        {ID_CSV_INSERT_ROW, Menu::kBar, [this](bool on) { ShowTable(on); }, kGrey, kEnabled},
        {ID_CSV_CUT_QUOTES, Menu::kBar,
         [this](bool on) {
           ShowTable(true);
           View()->m_nEditMode = on ? 0 : 3;
         },
         kGrey, kEnabled},
        {ID_CSV_ADD_QUOTES, Menu::kBar,
         [this](bool on) {
           ShowTable(true);
           View()->m_nEditMode = on ? 0 : 3;
         },
         kGrey, kEnabled},
        // The macro debugger: start in a macro text, checked while a run is
        // stopped; resume in a macro text while debugging.
        {ID_MACRO_DEBUG, Menu::kBar,
         [this](bool on) {
           View()->m_nFileKind = on ? 98 : 9;
           doc->m_nMacroStopPos = on ? 40 : 0;
         },
         kGrey, kChecked},
        {ID_MACRO_RESUME, Menu::kBar,
         [this](bool on) {
           View()->m_nFileKind = 98;
           doc->m_nMacroDebugMode = on ? 1 : 0;
         },
         kGrey, kEnabled},
        // The page buttons: while the pane shows text, or a part of a text.
        {ID_PAGE_NEXT, Menu::kToolbar,
         [this](bool on) {
           View()->m_nFileKind = 9;
           View()->m_nLastSort = 0;
           Ctrl().SetSel(0, -1);
           Ctrl().ReplaceSel(on ? "あいう" : "", FALSE);
         },
         kGrey, kEnabled},
        {ID_PAGE_PREVIOUS, Menu::kToolbar,
         [this](bool on) {
           Ctrl().SetSel(0, -1);
           Ctrl().ReplaceSel("", FALSE);
           View()->m_bShownInPart = on ? 1 : 0;
         },
         kGrey, kEnabled},
        // List commands: with a list pane active; select all while a folder
        // (not the drive list) is shown. Last, as it leaves a list pane active.
        {ID_LIST_SELECT_ALL, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           frame->GetListPane(0, 0)->m_nListSource = on ? 0 : 1;
         },
         kGrey, kEnabled},
        {ID_LIST_BACK, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           frame->GetListPane(0, 0)->m_nListSource = on ? 0 : 1;
         },
         kGrey, kEnabled},
        {ID_LIST_SORT_SIZE, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           frame->GetListPane(0, 0)->m_nListSource = on ? 0 : 1;
         },
         kGrey, kEnabled},
        {ID_LIST_SORT_DATE, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           frame->GetListPane(0, 0)->m_nListSource = on ? 0 : 1;
         },
         kGrey, kEnabled},
        {ID_LIST_SORT_NAME, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           frame->GetListPane(0, 0)->m_nListSource = on ? 0 : 1;
         },
         kGrey, kEnabled},
        {ID_LIST_SORT_EXT, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           frame->GetListPane(0, 0)->m_nListSource = on ? 0 : 1;
         },
         kGrey, kEnabled},
        // Binary or source view: checked while a binary or source form is shown.
        {ID_LIST_BINARY_VIEW, Menu::kBar,
         [this](bool on) {
           frame->ActivateListPane(0, 0);
           doc->m_nOpenContext = on ? 1 : 0;
         },
         kEnabled, kChecked},
        // The picture flip acts on a shown picture only.
        {ID_IMAGE_FLIP, Menu::kBar,
         [this](bool on) {
           frame->ActivateTextPane(0, 0);
           frame->GetTextView(0, 0)->m_nFileKind = on ? 12 : 9;
         },
         kGrey, kEnabled},
        // The HTML save acts on a CSV table only.
        {ID_CSV_SAVE_HTML, Menu::kBar,
         [this](bool on) {
           frame->ActivateTextPane(0, 0);
           CDvkView* v = frame->GetTextView(0, 0);
           v->m_nFileKind = on ? 33 : 9;
           v->m_nEditMode = 0;
           v->m_nSourceView = 0;
         },
         kGrey, kEnabled},
        // An FTP site is offered while its entry is filled in.
        {ID_LIST_FTP1, Menu::kBar, [this](bool on) { FtpSite(0, on); }, kGrey, kEnabled},
        {ID_LIST_FTP2, Menu::kBar, [this](bool on) { FtpSite(1, on); }, kGrey, kEnabled},
        {ID_LIST_FTP3, Menu::kBar, [this](bool on) { FtpSite(2, on); }, kGrey, kEnabled},
        {ID_DRIVE_D, Menu::kBar, [this](bool) { NoDrive('D'); }, kGrey, kGrey},
        {ID_DRIVE_E, Menu::kBar, [this](bool) { NoDrive('E'); }, kGrey, kGrey},
        {ID_DRIVE_F, Menu::kBar, [this](bool) { NoDrive('F'); }, kGrey, kGrey},
        {ID_DRIVE_G, Menu::kBar, [this](bool) { NoDrive('G'); }, kGrey, kGrey},
        {ID_DRIVE_H, Menu::kBar, [this](bool) { NoDrive('H'); }, kGrey, kGrey},
        // The converters' display switches follow the kind of the shown file.
        {ID_VIEW_XLS_MODE, Menu::kBar, [this](bool on) { doc->m_strCurFile = File(on ? "w.xls" : "u.txt").c_str(); },
         kGrey, kEnabled},
        {ID_VIEW_PDF_NARROW, Menu::kBar, [this](bool on) { ShownKind(on ? docsvc::kKindPdf : 9); }, kGrey,
         kEnabled},
        {ID_VIEW_PDF_WIDEN, Menu::kBar, [this](bool on) { ShownKind(on ? docsvc::kKindPdf : 9); }, kGrey, kEnabled},
        // The figure tools: the chosen kind carries the mark, the screen
        // colour its check; the stepping rows only change their captions.
        Figure(ID_FIGURE_RECT, 0), Figure(ID_FIGURE_DOUBLE, 1), Figure(ID_FIGURE_ROUNDED, 2),
        Figure(ID_FIGURE_ELLIPSE, 3), Figure(ID_FIGURE_ARC, 4), Figure(ID_FIGURE_HATCH, 5),
        Figure(ID_FIGURE_LINE, 10), Figure(ID_FIGURE_PEN, 11),
        {ID_FIGURE_LINE_STYLE, Menu::kFigures, [this](bool on) { FigureView()->m_image.m_nLineStyle = on ? 3 : 0; },
         kEnabled, kEnabled},
        {ID_FIGURE_FILL_KIND, Menu::kFigures, [this](bool on) { FigureView()->m_image.m_nImageTool = on ? 11 : 0; },
         kEnabled, kEnabled},
        {ID_FIGURE_SCREEN_COLOR, Menu::kFigures,
         [this](bool on) { FigureView()->m_image.m_clrImageFill = on ? 0x01000000u : 0u; }, kEnabled, kChecked},
    };
  }
  // The text view, made the active one (the figure rows are the view's).
  CDvkView* FigureView() {
    frame->ActivateTextPane(0, 0);
    return frame->GetTextView(0, 0);
  }
  Rule Figure(UINT id, int kind) {
    return {id, Menu::kFigures, [this, kind](bool on) { FigureView()->m_image.m_nShapeKind = on ? kind : kind + 1; },
            kEnabled, kChecked};
  }
};

}  // namespace

TEST_F(UpdateRulesTest, EveryRowWithAnUpdateHandlerHasACase) {
  ASSERT_NE(nullptr, Open("u.txt", "あいう\r\n"));
  std::set<UINT> covered;
  for (const Rule& r : Rules()) EXPECT_TRUE(covered.insert(r.id).second) << "two cases for " << r.id;
  int rows = 0;
  for (const cmd::Command& c : cmd::Commands()) {
    if (c.enable != cmd::Enable::kUpdateHandler) continue;
    ++rows;
    EXPECT_EQ(1u, covered.count(c.id)) << c.symbol << " has an update handler (" << c.update
                                       << ") but no case here";
  }
  EXPECT_EQ(rows, static_cast<int>(covered.size()));
}

TEST_F(UpdateRulesTest, EachRuleGreysOrChecksItsItemInTheMenuAndForTheRouting) {
  ASSERT_NE(nullptr, Open("u.txt", "あいう\r\n"));
  frame->ActivateTextPane(0, 0);
  for (const Rule& r : Rules()) {
    const cmd::Command* row = cmd::FindCommand(r.id);
    ASSERT_NE(nullptr, row) << r.id;
    SCOPED_TRACE(row->symbol);
    for (bool on : {false, true, false}) {
      SCOPED_TRACE(on ? "rule on" : "rule off");
      Ctrl().SetReadOnly(FALSE);
      r.set(on);
      if (HasFatalFailure()) return;
      const ItemState want = on ? r.on : r.off;
      if (r.menu != Menu::kToolbar && r.menu != Menu::kFigures)
        EXPECT_EQ(want, r.menu == Menu::kBar ? BarState(r.id) : RightClickState(r.id));
      EXPECT_EQ(want, RoutedState(r.id));
    }
  }
}
