// Message maps and command routing: view -> document -> frame -> application,
// update-UI through the same route, ranges, notifications and window messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/app.h"
#include "fw/cmdui.h"
#include "fw/docview.h"
#include "res/test/testres.h"

namespace {

std::vector<std::string> g_log;

class RouteDoc : public CDocument {
  FW_DECLARE_MESSAGE_MAP()
  bool enableDoc = true;
  int checkDoc = 1;

 protected:
  void OnDocCmd() { g_log.push_back("doc"); }
  void OnUpdateDocCmd(CCmdUI* ui) {
    ui->Enable(enableDoc);
    ui->SetCheck(checkDoc);
  }
  void OnRange(UINT id) { g_log.push_back("range " + std::to_string(id - ID_FW_TEST_RANGE_FIRST)); }
};

FW_BEGIN_MESSAGE_MAP(RouteDoc, CDocument)
  fw::OnCommand<&RouteDoc::OnDocCmd>(ID_FW_TEST_DOC_CMD),
  fw::OnUpdateCommandUI<&RouteDoc::OnUpdateDocCmd>(ID_FW_TEST_DOC_CMD),
  fw::OnCommandRange<&RouteDoc::OnRange>(ID_FW_TEST_RANGE_FIRST, ID_FW_TEST_RANGE_LAST),
FW_END_MESSAGE_MAP()

class RouteView : public CView {
  FW_DECLARE_MESSAGE_MAP()
  int timers = 0;
  int sizes = 0;

 protected:
  void OnViewCmd() { g_log.push_back("view"); }
  // The view takes the document's command first when it has its own handler.
  BOOL OnViewSkip(UINT) { g_log.push_back("view declined"); return FALSE; }
  void OnTimer(UINT_PTR id) { timers += static_cast<int>(id); }
  void OnSize(UINT type, int cx, int cy) { ++sizes; CView::OnSize(type, cx, cy); }
  LRESULT OnUser(WPARAM wp, LPARAM lp) { return static_cast<LRESULT>(wp + lp); }
};

FW_BEGIN_MESSAGE_MAP(RouteView, CView)
  fw::OnCommand<&RouteView::OnViewCmd>(ID_FW_TEST_VIEW_CMD),
  fw::OnCommandEx<&RouteView::OnViewSkip>(ID_FW_TEST_DOC_CMD, ID_FW_TEST_DOC_CMD),
  fw::OnWmTimer<&RouteView::OnTimer>(),
  fw::OnWmSize<&RouteView::OnSize>(),
  fw::OnMessage<&RouteView::OnUser>(WM_APP + 7),
FW_END_MESSAGE_MAP()

class RouteFrame : public CFrameWnd {
  FW_DECLARE_MESSAGE_MAP()

 protected:
  void OnFrameCmd() { g_log.push_back("frame"); }
  void OnDocCmdInFrame() { g_log.push_back("frame got doc cmd"); }
  void OnUpdateFrameCmd(CCmdUI* ui) { ui->SetText("枠の文字"); ui->SetRadio(TRUE); }
};

FW_BEGIN_MESSAGE_MAP(RouteFrame, CFrameWnd)
  fw::OnCommand<&RouteFrame::OnFrameCmd>(ID_FW_TEST_FRAME_CMD),
  fw::OnCommand<&RouteFrame::OnDocCmdInFrame>(ID_FW_TEST_DOC_CMD),
  fw::OnUpdateCommandUI<&RouteFrame::OnUpdateFrameCmd>(ID_FW_TEST_FRAME_CMD),
FW_END_MESSAGE_MAP()

class RouteApp : public CWinApp {
  FW_DECLARE_MESSAGE_MAP()

 protected:
  void OnAppCmd() { g_log.push_back("app"); }
};

FW_BEGIN_MESSAGE_MAP(RouteApp, CWinApp)
  fw::OnCommand<&RouteApp::OnAppCmd>(ID_FW_TEST_APP_CMD),
FW_END_MESSAGE_MAP()

class Routing : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    CCreateContext ctx;
    ctx.m_pCurrentDoc = &doc;
    ctx.m_pNewViewClass = fw::ViewClassOf<RouteView>();
    frame = new RouteFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_FW_TEST_FRAME, WS_OVERLAPPEDWINDOW, nullptr, &ctx));
    frame->MoveWindow(0, 0, 400, 300);
    view = static_cast<RouteView*>(frame->GetDlgItem(AFX_IDW_PANE_FIRST));
    ASSERT_NE(nullptr, view);
    frame->InitialUpdateFrame(&doc, FALSE);
  }
  void TearDown() override {
    if (frame && frame->m_hWnd) frame->DestroyWindow();
  }

  RouteApp app;
  RouteDoc doc;
  RouteFrame* frame = nullptr;
  RouteView* view = nullptr;
};

TEST_F(Routing, ViewIsCreatedInFrameAndBelongsToDocument) {
  EXPECT_EQ(view, frame->GetActiveView());
  EXPECT_EQ(&doc, view->GetDocument());
  ASSERT_EQ(1, doc.GetViewCount());
  EXPECT_EQ(view, doc.GetView(0));
  EXPECT_EQ(frame, view->GetParentFrame());
  EXPECT_EQ(view, CWnd::FromHandlePermanent(view->m_hWnd));
  EXPECT_EQ("テスト枠", std::string(frame->GetTitle()));
}

TEST_F(Routing, DocumentCommandIsReachedFromTheView) {
  EXPECT_TRUE(view->OnCmdMsg(ID_FW_TEST_DOC_CMD, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ((std::vector<std::string>{"view declined", "doc"}), g_log);
}

TEST_F(Routing, MenuCommandsGoViewDocumentFrameApplication) {
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_VIEW_CMD);
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_DOC_CMD);
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_FRAME_CMD);
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_APP_CMD);
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_RANGE_FIRST + 3);
  EXPECT_EQ((std::vector<std::string>{"view", "view declined", "doc", "frame", "app", "range 3"}),
            g_log);
}

TEST_F(Routing, WithoutActiveViewTheFrameHandlesIt) {
  frame->SetActiveView(nullptr);
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_DOC_CMD);
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_VIEW_CMD);
  EXPECT_EQ((std::vector<std::string>{"frame got doc cmd"}), g_log);
}

TEST_F(Routing, UpdateUiEnablesChecksAndSetsText) {
  fw::RecordingCmdUI a(ID_FW_TEST_DOC_CMD);
  EXPECT_TRUE(a.DoUpdate(frame, TRUE));
  EXPECT_TRUE(a.enabled);
  EXPECT_EQ(1, a.checked);

  doc.enableDoc = false;
  doc.checkDoc = 0;
  fw::RecordingCmdUI b(ID_FW_TEST_DOC_CMD);
  b.DoUpdate(frame, TRUE);
  EXPECT_FALSE(b.enabled);
  EXPECT_EQ(0, b.checked);

  fw::RecordingCmdUI c(ID_FW_TEST_FRAME_CMD);
  c.DoUpdate(frame, TRUE);
  EXPECT_TRUE(c.textSet);
  EXPECT_EQ("枠の文字", c.text);
  EXPECT_TRUE(c.radio);

  // No update handler: enabled when a command handler exists, else greyed.
  fw::RecordingCmdUI d(ID_FW_TEST_APP_CMD);
  EXPECT_FALSE(d.DoUpdate(frame, TRUE));
  EXPECT_TRUE(d.enabled);
  fw::RecordingCmdUI e(ID_FW_TEST_NOHANDLER);
  e.DoUpdate(frame, TRUE);
  EXPECT_FALSE(e.enabled);
}

TEST_F(Routing, DisabledCommandDoesNotRun) {
  doc.enableDoc = false;
  frame->SendMessage(WM_COMMAND, ID_FW_TEST_DOC_CMD);
  EXPECT_TRUE(g_log.empty());
}

TEST_F(Routing, MenuPopupItemsAreUpdatedThroughTheRoute) {
  HMENU bar = frame->GetMenuHandle();
  ASSERT_NE(nullptr, bar);
  HMENU popup = GetSubMenu(bar, 0);
  ASSERT_NE(nullptr, popup);
  doc.enableDoc = false;
  doc.checkDoc = 1;
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  UINT docState = GetMenuState(popup, ID_FW_TEST_DOC_CMD, MF_BYCOMMAND);
  EXPECT_TRUE(docState & MF_GRAYED);
  EXPECT_TRUE(docState & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(popup, ID_FW_TEST_VIEW_CMD, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(popup, ID_FW_TEST_NOHANDLER, MF_BYCOMMAND) & MF_GRAYED);
  char text[64] = {};
  GetMenuStringA(popup, ID_FW_TEST_FRAME_CMD, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ("枠の文字", std::string(text));
}

TEST_F(Routing, WindowMessagesReachTheirHandlers) {
  EXPECT_EQ(12, view->SendMessage(WM_APP + 7, 5, 7));
  int before = view->sizes;
  view->MoveWindow(0, 0, 123, 45);
  EXPECT_GT(view->sizes, before);
  view->SendMessage(WM_TIMER, 9);
  EXPECT_EQ(9, view->timers);
  // Unmapped messages get the default processing.
  view->SetWindowText("abc");
  CString t;
  view->GetWindowText(t);
  EXPECT_EQ("abc", std::string(t));
}

TEST_F(Routing, DestroyingTheFrameDeletesViewAndFrame) {
  HWND v = view->m_hWnd;
  frame->DestroyWindow();
  frame = nullptr;
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(v));
  EXPECT_EQ(0, doc.GetViewCount());
}

}  // namespace
