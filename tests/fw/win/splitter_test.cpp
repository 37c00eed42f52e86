// Splitters as the main frame nests them: a main 1x2 (or 2x1) static
// splitter; one side a static 1x2 of two list views, the other a static 2x2
// whose panes each hold a dynamic 2x2 of text views.
#include <gtest/gtest.h>

#include "fw/listview.h"
#include "fw/richedit.h"
#include "fw/splitter.h"

namespace {

class TextView : public CRichEditView {
  FW_DECLARE_MESSAGE_MAP()
  int changes = 0;
  int selChanges = 0;

 protected:
  void OnChange() { ++changes; }
  void OnSelChange(NMHDR*, LRESULT* result) {
    ++selChanges;
    *result = 0;
  }
};

FW_BEGIN_MESSAGE_MAP(TextView, CRichEditView)
  fw::OnControlReflect<&TextView::OnChange>(EN_CHANGE),
  fw::OnNotifyReflect<&TextView::OnSelChange>(EN_SELCHANGE),
FW_END_MESSAGE_MAP()

int g_frameCommands = 0;
class FileListView : public CListView {};

class NestedFrame : public CFrameWnd {
  FW_DECLARE_MESSAGE_MAP()
  void OnPaneCommand() { ++g_frameCommands; }

 public:
  explicit NestedFrame(bool vertical) : vertical_(vertical) {}

  BOOL OnCreateClient(LPCREATESTRUCTA, CCreateContext* ctx) override {
    int rows = vertical_ ? 2 : 1, cols = vertical_ ? 1 : 2;
    if (!main.CreateStatic(this, rows, cols)) return FALSE;
    if (!lists.CreateStatic(&main, 1, 2, WS_CHILD | WS_VISIBLE, main.IdFromRowCol(0, 0))) return FALSE;
    CCreateContext listCtx = *ctx;
    if (!lists.CreateView(0, 0, fw::ViewClassOf<FileListView>(), SIZE{150, 100}, &listCtx)) return FALSE;
    if (!lists.CreateView(0, 1, fw::ViewClassOf<FileListView>(), SIZE{150, 100}, &listCtx)) return FALSE;
    int qr = vertical_ ? 1 : 0, qc = vertical_ ? 0 : 1;
    if (!quad.CreateStatic(&main, 2, 2, WS_CHILD | WS_VISIBLE, main.IdFromRowCol(qr, qc))) return FALSE;
    CCreateContext textCtx = *ctx;
    textCtx.m_pNewViewClass = fw::ViewClassOf<TextView>();
    for (int r = 0; r < 2; ++r) {
      for (int c = 0; c < 2; ++c) {
        if (!dyn[r * 2 + c].Create(&quad, 2, 2, SIZE{10, 10}, &textCtx,
                                   WS_CHILD | WS_VISIBLE | SPLS_DYNAMIC_SPLIT, quad.IdFromRowCol(r, c))) {
          return FALSE;
        }
      }
    }
    quad.SetRowInfo(0, 250, 10);
    quad.SetColumnInfo(0, 300, 10);
    if (vertical_) main.SetRowInfo(0, 200, 10);
    else main.SetColumnInfo(0, 300, 10);
    return TRUE;
  }

  CSplitterWnd main, lists, quad, dyn[4];

 private:
  bool vertical_;
};

FW_BEGIN_MESSAGE_MAP(NestedFrame, CFrameWnd)
  fw::OnCommand<&NestedFrame::OnPaneCommand>(0x7F01),
FW_END_MESSAGE_MAP()

class Splitters : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    CCreateContext ctx;
    ctx.m_pCurrentDoc = &doc;
    frame = new NestedFrame(GetParam());
    ASSERT_TRUE(frame->Create(nullptr, "split", WS_OVERLAPPEDWINDOW, CFrameWnd::kRectDefault,
                              nullptr, nullptr, 0, &ctx));
    frame->MoveWindow(0, 0, 1000, 800);
    frame->InitialUpdateFrame(&doc, FALSE);
  }
  void TearDown() override {
    if (frame && frame->m_hWnd) frame->DestroyWindow();
  }
  template <class T>
  static bool Is(CWnd* w) {
    return dynamic_cast<T*>(w) != nullptr;
  }

  CDocument doc;
  NestedFrame* frame = nullptr;
};

TEST_P(Splitters, PanesExistWithTheRightClasses) {
  EXPECT_FALSE(frame->IsWindowVisible());
  EXPECT_EQ(&frame->main, CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST)));
  bool vertical = GetParam();
  EXPECT_EQ(vertical ? 2 : 1, frame->main.GetRowCount());
  EXPECT_EQ(vertical ? 1 : 2, frame->main.GetColumnCount());
  EXPECT_EQ(&frame->lists, frame->main.GetPane(0, 0));
  EXPECT_EQ(&frame->quad, vertical ? frame->main.GetPane(1, 0) : frame->main.GetPane(0, 1));
  EXPECT_TRUE(Is<FileListView>(frame->lists.GetPane(0, 0)));
  EXPECT_TRUE(Is<FileListView>(frame->lists.GetPane(0, 1)));
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      CSplitterWnd& d = frame->dyn[r * 2 + c];
      EXPECT_EQ(&d, frame->quad.GetPane(r, c));
      EXPECT_TRUE(d.IsDynamic());
      EXPECT_EQ(1, d.GetRowCount());
      EXPECT_EQ(1, d.GetColumnCount());
      EXPECT_TRUE(Is<TextView>(d.GetPane(0, 0)));
      EXPECT_EQ(nullptr, d.GetPane(1, 1));
    }
  }
  // Two list views and four text views, all on the one document.
  EXPECT_EQ(6, doc.GetViewCount());
  char cls[64] = {};
  GetClassNameA(frame->lists.GetPane(0, 1)->m_hWnd, cls, sizeof cls);
  EXPECT_STREQ("SysListView32", cls);
}

TEST_P(Splitters, PanesShareTheClientAreaWithoutOverlap) {
  CRect client;
  frame->main.GetClientRect(&client);
  EXPECT_EQ(1000 - 2 * GetSystemMetrics(SM_CXFRAME) > 0, client.Width() > 0);
  int cur, min;
  if (GetParam()) {
    frame->main.GetRowInfo(0, cur, min);
  } else {
    frame->main.GetColumnInfo(0, cur, min);
  }
  EXPECT_EQ(200 + (GetParam() ? 0 : 100), cur);
  EXPECT_EQ(10, min);
  CRect a, b;
  frame->lists.GetPane(0, 0)->GetWindowRect(&a);
  frame->lists.GetPane(0, 1)->GetWindowRect(&b);
  EXPECT_LE(a.right, b.left);
  EXPECT_GT(a.Width(), 0);
  EXPECT_GT(b.Width(), 0);
}

TEST_P(Splitters, DynamicPaneSplitsAndUnsplits) {
  CSplitterWnd& d = frame->dyn[3];
  CRect rc;
  d.GetClientRect(&rc);
  ASSERT_GT(rc.Height(), 60);
  ASSERT_TRUE(d.SplitRow(rc.Height() / 2));
  EXPECT_EQ(2, d.GetRowCount());
  EXPECT_TRUE(Is<TextView>(d.GetPane(1, 0)));
  CView* second = static_cast<CView*>(d.GetPane(1, 0));
  EXPECT_EQ(&doc, second->GetDocument());
  EXPECT_EQ(7, doc.GetViewCount());

  ASSERT_TRUE(d.SplitColumn(rc.Width() / 3));
  EXPECT_EQ(2, d.GetColumnCount());
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) EXPECT_TRUE(Is<TextView>(d.GetPane(r, c))) << r << c;
  }
  EXPECT_EQ(9, doc.GetViewCount());
  EXPECT_FALSE(d.SplitRow(10));  // already at its maximum

  // Deleting the first row moves the second up.
  CWnd* lower = d.GetPane(1, 1);
  d.DeleteRow(0);
  EXPECT_EQ(1, d.GetRowCount());
  EXPECT_EQ(lower, d.GetPane(0, 1));
  EXPECT_EQ(nullptr, d.GetPane(1, 0));
  d.DeleteColumn(1);
  EXPECT_EQ(1, d.GetColumnCount());
  EXPECT_TRUE(Is<TextView>(d.GetPane(0, 0)));
  EXPECT_EQ(6, doc.GetViewCount());
  // Static splitters do not split.
  EXPECT_FALSE(frame->quad.SplitRow(50));
}

TEST_P(Splitters, DraggingSplitsAndDraggingToTheEdgeUnsplits) {
  CSplitterWnd& d = frame->dyn[0];
  CRect rc;
  d.GetClientRect(&rc);
  // Drag from the split strip along the top edge down to the middle.
  d.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.Width() / 2, 2));
  d.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.Width() / 2, rc.Height() / 2));
  d.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(rc.Width() / 2, rc.Height() / 2));
  ASSERT_EQ(2, d.GetRowCount());
  int cur, min;
  d.GetRowInfo(0, cur, min);
  EXPECT_NEAR(rc.Height() / 2 - d.m_cySplitter, cur, 1);

  // Drag the bar to the very top: the upper pane goes.
  CWnd* lower = d.GetPane(1, 0);
  int barY = d.m_cySplitter * 0 + cur + 1;
  d.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, barY));
  d.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 0));
  EXPECT_EQ(1, d.GetRowCount());
  EXPECT_EQ(lower, d.GetPane(0, 0));
}

TEST_P(Splitters, ActivePaneFollowsSetActivePane) {
  frame->dyn[2].SetActivePane(0, 0);
  EXPECT_EQ(frame->dyn[2].GetPane(0, 0), frame->GetActiveView());
  int r = -1, c = -1;
  EXPECT_EQ(frame->dyn[2].GetPane(0, 0), frame->dyn[2].GetActivePane(&r, &c));
  EXPECT_EQ(0, r);
  EXPECT_EQ(0, c);
  EXPECT_EQ(nullptr, frame->dyn[1].GetActivePane());
  frame->lists.SetActivePane(0, 1);
  EXPECT_EQ(frame->lists.GetPane(0, 1), frame->GetActiveView());
  // The active view goes away with its pane: activation moves on.
  frame->dyn[2].SplitRow(40);
  frame->dyn[2].SetActivePane(1, 0);
  frame->dyn[2].DeleteRow(1);
  EXPECT_EQ(frame->dyn[2].GetPane(0, 0), frame->GetActiveView());
}

TEST_P(Splitters, PaneNotificationsReachTheViewAndCommandsTheFrame) {
  TextView* view = static_cast<TextView*>(frame->dyn[1].GetPane(0, 0));
  HWND h = view->m_hWnd;
  int id = ::GetDlgCtrlID(h);
  // A control notification comes back to the view that sent it.
  frame->dyn[1].SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(1, view->changes);
  view->GetRichEditCtrl().SetEventMask(ENM_SELCHANGE);
  view->StreamIn("abc", SF_TEXT);
  int before = view->selChanges;
  view->GetRichEditCtrl().SetSel(1, 2);
  EXPECT_GT(view->selChanges, before);
  // A command the splitter does not handle goes on to the frame.
  g_frameCommands = 0;
  frame->dyn[1].SendMessage(WM_COMMAND, 0x7F01, 0);
  frame->quad.SendMessage(WM_COMMAND, 0x7F01, 0);
  EXPECT_EQ(2, g_frameCommands);
}

INSTANTIATE_TEST_SUITE_P(MainSplit, Splitters, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? std::string("TwoByOne") : std::string("OneByTwo");
                         });

}  // namespace
