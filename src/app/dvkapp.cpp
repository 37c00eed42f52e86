#include "app/dvkapp.h"
#include "fw/file.h"

#include <objbase.h>
#include <ole2.h>
#include <commctrl.h>

#include "app/dvkdoc.h"
#include "view/dvkview.h"
#include "app/mainfrm.h"
#include "app/shell/args.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "res/resource.h"

namespace app {

namespace {

const char kRegistryKey[] = "Dorvik";    // HKCU\Software\Dorvik\Tabrye
const char kProfileName[] = "Tabrye";
const int kRecentFiles = 10;
const int kMacroFileKind = 98;

// Until the document's kind table exists the start only needs to know macro
// files: ".rmc" and the marked forms ending in "rmcx" / "rmcz".
int StartFileKind(const CString& path) {
  CString tail = path.Right(4);
  tail.MakeLower();
  if (tail == ".rmc" || tail == "rmcx" || tail == "rmcz") return kMacroFileKind;
  return 0;
}

}  // namespace

}  // namespace app

CDvkApp* DvkApp() { return dynamic_cast<CDvkApp*>(AfxGetApp()); }

CDvkApp::CDvkApp(const app::ShellOptions& options) : CWinApp(app::kProfileName), m_options(options) {}

CDvkApp::~CDvkApp() = default;

BOOL CDvkApp::InitInstance() {
  // 1-2. COM must be initialised before a class object can be registered;
  // then the class object, and the common (3-D) controls.
  m_bOleInitialized = SUCCEEDED(OleInitialize(nullptr));
  if (m_options.registerCom && m_bOleInitialized) m_classObject.Register();
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  // 3. The registry key of the recent-file list.
  SetRegistryKey(m_options.registryKey ? m_options.registryKey : app::kRegistryKey);

  // 4. The command line; an embedded or automation start stops here.
  CString raw = m_options.useProcessCommandLine ? app::CommandLineArguments(GetCommandLineA())
                                                : m_options.commandLine;
  CCommandLineInfo info;
  ParseCommandLine(info, app::SplitArguments(raw));
  if (info.m_bRunEmbedded || info.m_bRunAutomated) {
    m_bStoppedEarly = true;
    return FALSE;
  }
  // 5. Per-user server registration from script 173 (or its removal).
  if (info.m_nShellCommand == CCommandLineInfo::AppUnregister) {
    if (m_options.registerCom) app::UnregisterServer(m_hInstance, IDR_REGISTRY_SCRIPT);
    m_bStoppedEarly = true;
    return FALSE;
  }
  if (m_options.registerCom) app::RegisterServer(m_hInstance, IDR_REGISTRY_SCRIPT);

  // 6. Quotes, pseudo names, "$$", "$R", "&ext&" and macro files.
  m_start = app::ParseCommandLine(raw, app::StartFileKind);

  // The copy's number, before the document reads it.
  m_pInstances = std::make_unique<app::InstanceRegistry>(m_options.instanceBlock);
  int slot = m_pInstances->Acquire();
  m_nInstanceNo = slot < 0 ? 0 : slot;

  // 7. Recent files.
  LoadStdProfileSettings(app::kRecentFiles);

  // 8. The one document template.
  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, fw::DocClassOf<CDvkDoc>(),
                                        fw::FrameClassOf<CMainFrame>(), fw::ViewClassOf<CDvkView>()));

  // 9. Shell open needs nothing more: file types are registered only by the
  // macro statement that asks for it.

  // 10. The shell command: open the named file or start empty, then show.
  if (!m_options.makeVisible) m_nCmdShow = SW_HIDE;
  fw::SetMessageBoxTitle(app::kProductName);
  CDocument* doc = nullptr;
  // A folder named on the command line is the list's start folder (the list
  // reads the command line itself): there is no file to open.
  CFileStatus named;
  const bool namesFolder = !m_start.filePath.IsEmpty() && CFile::GetStatus(m_start.filePath.GetString(), named) &&
                           (named.m_attribute & CFile::directory) != 0;
  if (!m_start.filePath.IsEmpty() && m_start.macroFile.IsEmpty() && !namesFolder) {
    doc = OpenDocumentFile(m_start.filePath);
  }
  if (!doc) {
    OnFileNew();
  }
  CMainFrame* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
  if (!frame) return FALSE;
  // The keys go to the first text pane unless the start names a list side.
  if (m_start.startListSide > 0) frame->ActivateListPane(0, m_start.startListSide - 1);
  else frame->ActivateTextPane(0, 0);
  frame->OnUpdateFrameTitle(TRUE);
  frame->DragAcceptFiles(TRUE);
  m_bStartDone = true;
  return TRUE;
}

CString CDvkApp::GetOpenFilter() { return fw::LoadText(IDS_OPEN_FILTER); }

CString CDvkApp::GetOpenFolder() { return g_pDvkDoc ? g_pDvkDoc->OpenDialogFolder() : CString(); }

int CDvkApp::ExitInstance() {
  int code = CWinApp::ExitInstance();
  if (m_pInstances) m_pInstances->Release();
  m_classObject.Revoke();
  if (m_bOleInitialized) OleUninitialize();
  m_bOleInitialized = false;
  return code;
}

namespace app {

// Like AfxWinMain, except that a start that stops after registration
// (/Embedding, /Automation, /UnregServer) ends with 0.
int RunApplication(HINSTANCE instance, int show) {
  CDvkApp theApp;
  theApp.m_hInstance = instance;
  theApp.m_nCmdShow = show;
  if (!theApp.InitInstance()) {
    if (theApp.m_pMainWnd && theApp.m_pMainWnd->m_hWnd) theApp.m_pMainWnd->DestroyWindow();
    int code = theApp.ExitInstance();
    return theApp.StoppedAfterRegistration() ? code : 1;
  }
  return theApp.Run();
}

}  // namespace app
