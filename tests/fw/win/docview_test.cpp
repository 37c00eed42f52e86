// The document template, document-view bookkeeping, saving questions, and the
// application: command line and the recent-file list in the registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/app.h"
#include "fw/docview.h"
#include "fw/uihooks.h"
#include "res/test/testres.h"
#include "support/ui_test.h"

namespace {

std::vector<std::string> g_events;

class LogDoc : public CDocument {
 public:
  int code = 0;
  BOOL OnNewDocument() override {
    g_events.push_back("new");
    return CDocument::OnNewDocument();
  }
  BOOL OnOpenDocument(const char* path) override {
    g_events.push_back(std::string("open ") + path);
    return std::string(path).find("missing") == std::string::npos;
  }
  BOOL OnSaveDocument(const char* path) override {
    g_events.push_back(std::string("save ") + path);
    return CDocument::OnSaveDocument(path);
  }
};

class LogView : public CView {
 public:
  std::vector<LPARAM> hints;
  int initial = 0;
  int activations = 0;
  void OnInitialUpdate() override {
    ++initial;
    CView::OnInitialUpdate();
  }
  void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }
  void OnActivateView(BOOL activate, CView* a, CView* d) override {
    if (activate) ++activations;
    CView::OnActivateView(activate, a, d);
  }
};

class LogFrame : public CFrameWnd {};

class Templates : public testsupport::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    g_events.clear();
    tmpl = new CSingleDocTemplate(IDR_FW_TEST_FRAME, fw::DocClassOf<LogDoc>(),
                                  fw::FrameClassOf<LogFrame>(), fw::ViewClassOf<LogView>());
    app.AddDocTemplate(tmpl);
  }
  void TearDown() override {
    if (app.m_pMainWnd && app.m_pMainWnd->m_hWnd) {
      CDocument* doc = tmpl->GetDocument();
      if (doc) doc->SetModifiedFlag(FALSE);
      app.m_pMainWnd->DestroyWindow();
    }
    // Leave the WM_QUIT the main frame posted for the next test's loop.
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    UiTest::TearDown();
  }
  CWinApp app{"fwwin-templates"};
  CSingleDocTemplate* tmpl = nullptr;
};

TEST_F(Templates, NewDocumentMakesOneDocumentFrameAndView) {
  app.m_nCmdShow = SW_HIDE;
  app.OnFileNew();
  LogDoc* doc = static_cast<LogDoc*>(tmpl->GetDocument());
  ASSERT_NE(nullptr, doc);
  ASSERT_EQ(1, doc->GetViewCount());
  LogView* view = static_cast<LogView*>(doc->GetView(0));
  CFrameWnd* frame = view->GetParentFrame();
  EXPECT_EQ(app.m_pMainWnd, frame);
  EXPECT_EQ(AfxGetMainWnd(), frame);
  EXPECT_EQ(view, frame->GetActiveView());
  EXPECT_EQ(doc, frame->GetActiveDocument());
  EXPECT_EQ(1, view->initial);
  EXPECT_EQ("テスト文書", std::string(doc->GetTitle()));
  EXPECT_EQ(tmpl, doc->GetDocTemplate());
  CString title;
  frame->GetWindowText(title);
  EXPECT_EQ("テスト文書 - テスト枠", std::string(title));

  // A second "new" reuses the document and the frame (one document at a time).
  app.OnFileNew();
  EXPECT_EQ(doc, tmpl->GetDocument());
  EXPECT_EQ(2, view->initial);
  EXPECT_EQ((std::vector<std::string>{"new", "new"}), g_events);
}

TEST_F(Templates, OpeningSetsThePathAndTheRecentFiles) {
  app.m_nCmdShow = SW_HIDE;
  app.LoadStdProfileSettings(10);
  CDocument* doc = app.OpenDocumentFile("Z:\\tmp\\予定表.csv");
  ASSERT_NE(nullptr, doc);
  EXPECT_EQ("Z:\\tmp\\予定表.csv", std::string(doc->GetPathName()));
  EXPECT_EQ("予定表.csv", std::string(doc->GetTitle()));
  EXPECT_EQ("Z:\\tmp\\予定表.csv", std::string((*app.GetRecentFileList())[0]));
  // A file that does not open leaves the document as it was.
  EXPECT_EQ(nullptr, app.OpenDocumentFile("Z:\\tmp\\missing.txt"));
  EXPECT_EQ("Z:\\tmp\\予定表.csv", std::string(doc->GetPathName()));
}

TEST_F(Templates, ModifiedDocumentAsksBeforeItIsReplaced) {
  app.m_nCmdShow = SW_HIDE;
  CDocument* doc = app.OpenDocumentFile("Z:\\tmp\\a.txt");
  ASSERT_NE(nullptr, doc);
  doc->SetModifiedFlag(TRUE);
  fw::hooks::ExpectMessageBox("a.txt への変更を保存しますか", IDCANCEL);
  EXPECT_EQ(nullptr, app.OpenDocumentFile("Z:\\tmp\\b.txt"));
  EXPECT_TRUE(doc->IsModified());
  fw::hooks::ExpectMessageBox("a.txt", IDYES);
  EXPECT_EQ(doc, app.OpenDocumentFile("Z:\\tmp\\b.txt"));
  EXPECT_EQ((std::vector<std::string>{"open Z:\\tmp\\a.txt", "save Z:\\tmp\\a.txt", "open Z:\\tmp\\b.txt"}),
            g_events);
  doc->SetModifiedFlag(TRUE);
  fw::hooks::ExpectMessageBox("b.txt", IDNO);
  EXPECT_TRUE(doc->SaveModified());
}

TEST_F(Templates, UpdateAllViewsSkipsTheSender) {
  app.m_nCmdShow = SW_HIDE;
  app.OnFileNew();
  CDocument* doc = tmpl->GetDocument();
  LogView* first = static_cast<LogView*>(doc->GetView(0));
  LogView* second = new LogView;
  CCreateContext ctx;
  ctx.m_pCurrentDoc = doc;
  ASSERT_TRUE(second->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, RECT{0, 0, 10, 10},
                             first->GetParentFrame(), AFX_IDW_PANE_FIRST + 1, &ctx));
  ASSERT_EQ(2, doc->GetViewCount());
  first->hints.clear();
  doc->UpdateAllViews(first, 7);
  doc->UpdateAllViews(nullptr, 8);
  EXPECT_EQ((std::vector<LPARAM>{8}), first->hints);
  EXPECT_EQ((std::vector<LPARAM>{7, 8}), second->hints);
  // Activation is reported to the view gaining it.
  first->GetParentFrame()->SetActiveView(second);
  EXPECT_EQ(1, second->activations);
  second->DestroyWindow();
  EXPECT_EQ(1, doc->GetViewCount());
  EXPECT_EQ(first, doc->GetView(0));
}

class LoopApp : public CWinApp {
 public:
  LoopApp() : CWinApp("fwwin-loop") {}
  int idles = 0;
  bool initOk = true;
  BOOL InitInstance() override { return initOk; }
  BOOL OnIdle(LONG count) override {
    ++idles;
    CWinApp::OnIdle(count);
    if (count < 2) return TRUE;  // more idle work
    PostQuitMessage(3);
    return FALSE;
  }
  int ExitInstance() override { return 42 + CWinApp::ExitInstance(); }
};

TEST(AppLoop, RunDispatchesWithIdleWorkUntilQuit) {
  LoopApp app;
  EXPECT_EQ(42, AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_HIDE));
  EXPECT_EQ(3, app.idles);
  app.initOk = false;
  EXPECT_EQ(1, AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_HIDE));
}

// --- command line ---------------------------------------------------------------------------

CCommandLineInfo Parse(const std::vector<std::string>& args) {
  CWinApp app("fwwin-cmdline");
  CCommandLineInfo info;
  app.ParseCommandLine(info, args);
  return info;
}

TEST(CommandLine, ShellCommandsAndFlags) {
  EXPECT_EQ(CCommandLineInfo::FileNew, Parse({}).m_nShellCommand);
  CCommandLineInfo open = Parse({"C:\\文書\\表.txt"});
  EXPECT_EQ(CCommandLineInfo::FileOpen, open.m_nShellCommand);
  EXPECT_EQ("C:\\文書\\表.txt", std::string(open.m_strFileName));

  CCommandLineInfo print = Parse({"/p", "a.txt"});
  EXPECT_EQ(CCommandLineInfo::FilePrint, print.m_nShellCommand);
  EXPECT_EQ("a.txt", std::string(print.m_strFileName));

  CCommandLineInfo printTo = Parse({"-pt", "a.txt", "Printer", "Driver", "LPT1:"});
  EXPECT_EQ(CCommandLineInfo::FilePrintTo, printTo.m_nShellCommand);
  EXPECT_EQ("Printer", std::string(printTo.m_strPrinterName));
  EXPECT_EQ("Driver", std::string(printTo.m_strDriverName));
  EXPECT_EQ("LPT1:", std::string(printTo.m_strPortName));

  CCommandLineInfo embedded = Parse({"/Embedding"});
  EXPECT_TRUE(embedded.m_bRunEmbedded);
  EXPECT_FALSE(embedded.m_bShowSplash);
  EXPECT_EQ(CCommandLineInfo::FileNothing, embedded.m_nShellCommand);
  CCommandLineInfo automated = Parse({"-automation"});
  EXPECT_TRUE(automated.m_bRunAutomated);
  EXPECT_EQ(CCommandLineInfo::FileNothing, automated.m_nShellCommand);
  EXPECT_EQ(CCommandLineInfo::AppUnregister, Parse({"/Unregserver"}).m_nShellCommand);
  EXPECT_EQ(CCommandLineInfo::FileDDE, Parse({"/dde"}).m_nShellCommand);
  // Pseudo names are file names to the parser.
  EXPECT_EQ("$$", std::string(Parse({"$$"}).m_strFileName));
}

// --- registry ---------------------------------------------------------------------------------

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    key = "TabryeTest-" + std::to_string(GetCurrentProcessId()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override {
    std::string path = "Software\\" + key;
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
  }
  std::string key;
};

TEST_F(Registry, RecentFilesKeepTenNewestFirstAcrossRuns) {
  {
    CWinApp app("Tabrye");
    app.SetRegistryKey(key.c_str());
    app.LoadStdProfileSettings(10);
    ASSERT_NE(nullptr, app.GetRecentFileList());
    EXPECT_EQ(0, app.GetRecentFileList()->GetCount());
    for (int i = 1; i <= 12; ++i) app.AddToRecentFileList(("C:\\f" + std::to_string(i) + ".txt").c_str());
    app.AddToRecentFileList("c:\\F5.TXT");  // the same file again moves to the front
    app.ExitInstance();
  }
  std::string mru = "Software\\" + key + "\\Tabrye\\Recent File List";
  char value[64] = {};
  DWORD size = sizeof value;
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, mru.c_str(), "File1", RRF_RT_REG_SZ,
                                        nullptr, value, &size));
  EXPECT_STREQ("c:\\F5.TXT", value);
  size = sizeof value;
  EXPECT_NE(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, mru.c_str(), "File11", RRF_RT_REG_SZ,
                                        nullptr, value, &size));

  CWinApp again("Tabrye");
  again.SetRegistryKey(key.c_str());
  again.LoadStdProfileSettings(10);
  CRecentFileList& list = *again.GetRecentFileList();
  ASSERT_EQ(10, list.GetCount());
  EXPECT_EQ("c:\\F5.TXT", std::string(list[0]));
  EXPECT_EQ("C:\\f12.txt", std::string(list[1]));
  EXPECT_EQ("C:\\f6.txt", std::string(list[7]));
  EXPECT_EQ("C:\\f4.txt", std::string(list[8]));  // f5 moved up from between them
  EXPECT_EQ("C:\\f3.txt", std::string(list[9]));
  EXPECT_EQ("", std::string(list[10]));
}

TEST_F(Registry, ProfileValuesUnderTheProgramKey) {
  CWinApp app("Tabrye");
  EXPECT_EQ(7u, app.GetProfileInt("Settings", "Zoom", 7));  // no key yet: the default
  app.SetRegistryKey(key.c_str());
  EXPECT_TRUE(app.WriteProfileInt("Settings", "Zoom", 120));
  EXPECT_TRUE(app.WriteProfileString("Settings", "Font", "ＭＳ ゴシック"));
  EXPECT_EQ(120u, app.GetProfileInt("Settings", "Zoom", 7));
  EXPECT_EQ("ＭＳ ゴシック", std::string(app.GetProfileString("Settings", "Font")));
  EXPECT_EQ("既定", std::string(app.GetProfileString("Settings", "None", "既定")));
  EXPECT_TRUE(app.WriteProfileString("Settings", "Font", nullptr));
  EXPECT_EQ("", std::string(app.GetProfileString("Settings", "Font")));
}

}  // namespace
