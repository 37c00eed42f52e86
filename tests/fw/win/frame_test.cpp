// The frame with its bars: toolbar 328 from its resource, a status bar with
// indicators, layout along the edges, and update-UI of bar items through the
// command routing.
#include <gtest/gtest.h>

#include <string>

#include "fw/app.h"
#include "fw/bars.h"
#include "fw/cmdset.h"
#include "fw/docview.h"
#include "res/resource.h"
#include "res/test/testres.h"

namespace {

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};

class BarDoc : public CDocument {
  FW_DECLARE_MESSAGE_MAP()
  bool canSave = false;
  bool bold = false;

 protected:
  void OnSave() {}
  void OnUpdateSave(CCmdUI* ui) { ui->Enable(canSave); }
  void OnUpdateCopy(CCmdUI* ui) { ui->SetCheck(bold ? 1 : 0); }
  void OnUpdateKana(CCmdUI* ui) {
    ui->SetText("かな");
    ui->Enable(bold);
  }
};

FW_BEGIN_MESSAGE_MAP(BarDoc, CDocument)
  fw::OnCommand<&BarDoc::OnSave>(ID_FILE_SAVE),
  fw::OnUpdateCommandUI<&BarDoc::OnUpdateSave>(ID_FILE_SAVE),
  fw::OnUpdateCommandUI<&BarDoc::OnUpdateCopy>(ID_EDIT_COPY),
  fw::OnUpdateCommandUI<&BarDoc::OnUpdateKana>(ID_INDICATOR_KANA),
FW_END_MESSAGE_MAP()

class PlainView : public CView {
 public:
  int draws = 0;
  void OnDraw(CDC*) override { ++draws; }
};

class BarFrame : public CFrameWnd {
  FW_DECLARE_MESSAGE_MAP()
  CToolBar toolBar;
  CStatusBar statusBar;

  int OnCreate(LPCREATESTRUCTA cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!toolBar.Create(this) || !toolBar.LoadToolBar(IDR_MAINFRAME)) return -1;
    if (!statusBar.Create(this) || !statusBar.SetIndicators(kIndicators, 4)) return -1;
    return 0;
  }
};

FW_BEGIN_MESSAGE_MAP(BarFrame, CFrameWnd)
  fw::OnWmCreate<&BarFrame::OnCreate>(),
FW_END_MESSAGE_MAP()

// The application handles New through its command set, as the program's does.
class NewApp : public CWinApp {
  FW_DECLARE_COMMAND_SET()
  explicit NewApp(const char* name) : CWinApp(name) {}
};

const fw::MsgEntry NewApp::kCommandSet[] = {
    fw::SetCommand<NewApp, &CWinApp::OnFileNew>(ID_FILE_NEW),
    fw::MsgEntry{},
};

class Frames : public ::testing::Test {
 protected:
  void SetUp() override {
    CCreateContext ctx;
    ctx.m_pCurrentDoc = &doc;
    ctx.m_pNewViewClass = fw::ViewClassOf<PlainView>();
    frame = new BarFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_FW_TEST_FRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &ctx));
    frame->MoveWindow(0, 0, 640, 480);
    frame->InitialUpdateFrame(&doc, FALSE);
  }
  void TearDown() override {
    if (frame && frame->m_hWnd) frame->DestroyWindow();
  }
  NewApp app{"fwwin-frames"};
  BarDoc doc;
  BarFrame* frame = nullptr;
};

TEST_F(Frames, ToolbarComesFromItsResource) {
  CToolBar& tb = frame->toolBar;
  // 8 buttons and 3 separators.
  ASSERT_EQ(11, tb.GetCount());
  EXPECT_EQ(static_cast<UINT>(ID_FILE_NEW), tb.GetItemID(0));
  EXPECT_EQ(0u, tb.GetItemID(3));
  EXPECT_EQ(static_cast<UINT>(ID_APP_ABOUT), tb.GetItemID(10));
  EXPECT_EQ(5, tb.CommandToIndex(ID_EDIT_COPY));
  EXPECT_EQ(-1, tb.CommandToIndex(ID_FW_TEST_DOC_CMD));
  EXPECT_TRUE(tb.GetButtonStyle(3) & TBBS_SEPARATOR);
  CRect a, b;
  tb.GetItemRect(0, &a);
  tb.GetItemRect(1, &b);
  EXPECT_EQ(16 + 7, a.Width());
  EXPECT_LE(a.right, b.left);
  EXPECT_EQ(&tb, frame->GetControlBar(AFX_IDW_TOOLBAR));
}

TEST_F(Frames, ToolbarButtonsTakePressedCheckedAndDisabledStates) {
  CToolBar& tb = frame->toolBar;
  int i = tb.CommandToIndex(ID_EDIT_CUT);
  tb.SetButtonStyle(i, TBBS_CHECKBOX | TBBS_CHECKED);
  EXPECT_EQ(static_cast<UINT>(TBBS_CHECKBOX | TBBS_CHECKED), tb.GetButtonStyle(i));
  EXPECT_TRUE(tb.SendMessage(TB_ISBUTTONCHECKED, ID_EDIT_CUT));
  tb.SetButtonStyle(i, TBBS_BUTTON | TBBS_PRESSED);
  EXPECT_TRUE(tb.SendMessage(TB_ISBUTTONPRESSED, ID_EDIT_CUT));
  tb.SetButtonStyle(i, TBBS_BUTTON | TBBS_DISABLED);
  EXPECT_FALSE(tb.SendMessage(TB_ISBUTTONENABLED, ID_EDIT_CUT));
  EXPECT_EQ(static_cast<UINT>(TBBS_DISABLED), tb.GetButtonStyle(i));
}

TEST_F(Frames, BarItemsAreUpdatedThroughTheRouting) {
  frame->UpdateControlBars();
  CToolBar& tb = frame->toolBar;
  EXPECT_FALSE(tb.SendMessage(TB_ISBUTTONENABLED, ID_FILE_SAVE));   // handler says no
  EXPECT_FALSE(tb.SendMessage(TB_ISBUTTONENABLED, ID_FILE_PRINT));  // nobody handles it
  EXPECT_TRUE(tb.SendMessage(TB_ISBUTTONENABLED, ID_FILE_NEW));     // the application does
  EXPECT_FALSE(tb.SendMessage(TB_ISBUTTONCHECKED, ID_EDIT_COPY));
  int kana = frame->statusBar.CommandToIndex(ID_INDICATOR_KANA);
  EXPECT_EQ("かな", std::string(frame->statusBar.GetPaneText(kana)));
  EXPECT_TRUE(frame->statusBar.GetPaneStyle(kana) & SBPS_DISABLED);

  doc.canSave = true;
  doc.bold = true;
  frame->UpdateControlBars();
  EXPECT_TRUE(tb.SendMessage(TB_ISBUTTONENABLED, ID_FILE_SAVE));
  EXPECT_TRUE(tb.SendMessage(TB_ISBUTTONCHECKED, ID_EDIT_COPY));
  EXPECT_FALSE(frame->statusBar.GetPaneStyle(kana) & SBPS_DISABLED);
  char text[32] = {};
  frame->statusBar.SendMessage(SB_GETTEXTA, static_cast<WPARAM>(kana), reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("かな", text);
}

TEST_F(Frames, StatusBarPanesAndTextVisibleAtOnce) {
  CStatusBar& sb = frame->statusBar;
  ASSERT_EQ(4, sb.GetCount());
  EXPECT_EQ(0, sb.CommandToIndex(ID_SEPARATOR));
  EXPECT_EQ(3, sb.CommandToIndex(ID_INDICATOR_NUM));
  EXPECT_EQ(-1, sb.CommandToIndex(ID_FW_TEST_DOC_CMD));
  EXPECT_EQ("NUM", std::string(sb.GetPaneText(3)));
  UINT id, style;
  int width;
  sb.GetPaneInfo(0, id, style, width);
  EXPECT_EQ(static_cast<UINT>(ID_SEPARATOR), id);
  EXPECT_TRUE(style & SBPS_STRETCH);

  frame->ShowWindow(SW_SHOWNOACTIVATE);
  frame->UpdateWindow();
  ASSERT_TRUE(sb.SetPaneText(0, "準備完了", TRUE));
  char text[64] = {};
  LRESULT r = sb.SendMessage(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("準備完了", text);
  EXPECT_TRUE(HIWORD(r) & SBT_NOBORDERS);
  // Nothing is left to paint: the pane was drawn at once.
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(sb.m_hWnd, &pending, FALSE));
  EXPECT_EQ("準備完了", std::string(sb.GetPaneText(0)));
  frame->SetMessageText("次");
  EXPECT_EQ("次", std::string(sb.GetPaneText(0)));

  CRect rStretch, rNum;
  sb.GetItemRect(0, &rStretch);
  sb.GetItemRect(3, &rNum);
  EXPECT_GT(rStretch.Width(), rNum.Width());
  EXPECT_LE(rStretch.right, rNum.left);

  sb.SetPaneInfo(1, ID_INDICATOR_KANA, SBPS_POPOUT, 80);
  sb.GetPaneInfo(1, id, style, width);
  EXPECT_EQ(static_cast<UINT>(SBPS_POPOUT), style);
  EXPECT_EQ(80, width);
  r = sb.SendMessage(SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_TRUE(HIWORD(r) & SBT_POPOUT);
  EXPECT_FALSE(sb.SetPaneText(9, "x"));
}

TEST_F(Frames, LayoutPutsBarsAtTheEdgesAndTheViewBetween) {
  CRect client, tb, sb, view;
  frame->GetClientRect(&client);
  frame->toolBar.GetWindowRect(&tb);
  frame->statusBar.GetWindowRect(&sb);
  frame->GetActiveView()->GetWindowRect(&view);
  frame->ScreenToClient(&tb);
  frame->ScreenToClient(&sb);
  frame->ScreenToClient(&view);
  EXPECT_EQ(0, tb.top);
  EXPECT_EQ(tb.bottom, view.top);
  EXPECT_EQ(view.bottom, sb.top);
  EXPECT_EQ(client.bottom, sb.bottom);
  EXPECT_EQ(client.Width(), view.Width());
  // Hiding the status bar gives its room to the view.
  frame->statusBar.ShowWindow(SW_HIDE);
  frame->RecalcLayout();
  frame->GetActiveView()->GetWindowRect(&view);
  frame->ScreenToClient(&view);
  EXPECT_EQ(client.bottom, view.bottom);
}

TEST_F(Frames, TitleMenuAndViewDrawing) {
  CString title;
  frame->GetWindowText(title);
  EXPECT_EQ("テスト枠", std::string(title));
  doc.SetPathName("C:\\データ\\表示.txt", FALSE);  // 表 ends in 0x5C
  frame->GetWindowText(title);
  EXPECT_EQ("表示.txt - テスト枠", std::string(title));
  EXPECT_NE(nullptr, frame->GetMenuHandle());

  PlainView* view = static_cast<PlainView*>(frame->GetActiveView());
  frame->ShowWindow(SW_SHOWNOACTIVATE);
  view->Invalidate();
  view->UpdateWindow();
  EXPECT_GT(view->draws, 0);
}

}  // namespace
