#include "fw/app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fw/cmdtext.h"
#include "fw/cmdui.h"
#include "fw/commondlg.h"
#include "fw/docview.h"
#include "fw/frame.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "fw/wnd.h"
#include "fw/fwres.h"

namespace {

CWinApp* g_app = nullptr;

bool EqualNoCase(const CString& a, const CString& b) { return a.CompareNoCase(b) == 0; }

}  // namespace

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }
HINSTANCE AfxGetResourceHandle() { return fw::ResourceHandle(); }

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_hInstance = instance;
  app->m_nCmdShow = show;
  if (!app->InitInstance()) {
    if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
    app->ExitInstance();
    return 1;
  }
  return app->Run();
}

// --- CCommandLineInfo --------------------------------------------------------------------

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL last) {
  CString p = param ? param : "";
  if (flag) {
    if (p.CompareNoCase("pt") == 0) {
      m_nShellCommand = FilePrintTo;
      m_printToArgs = 3;
    } else if (p.CompareNoCase("p") == 0) {
      m_nShellCommand = FilePrint;
    } else if (p.CompareNoCase("Unregister") == 0 || p.CompareNoCase("Unregserver") == 0) {
      m_nShellCommand = AppUnregister;
    } else if (p.CompareNoCase("dde") == 0) {
      m_nShellCommand = FileDDE;
    } else if (p.CompareNoCase("Embedding") == 0) {
      m_bRunEmbedded = TRUE;
      m_bShowSplash = FALSE;
    } else if (p.CompareNoCase("Automation") == 0) {
      m_bRunAutomated = TRUE;
      m_bShowSplash = FALSE;
    }
  } else if (m_strFileName.IsEmpty()) {
    m_strFileName = p;
  } else if (m_nShellCommand == FilePrintTo && m_printToArgs > 0) {
    if (m_printToArgs == 3) m_strPrinterName = p;
    else if (m_printToArgs == 2) m_strDriverName = p;
    else m_strPortName = p;
    --m_printToArgs;
  }
  if (last) {
    if (m_nShellCommand == FileNew && !m_strFileName.IsEmpty()) m_nShellCommand = FileOpen;
    if (m_bRunEmbedded || m_bRunAutomated) {
      if (m_nShellCommand == FileNew) m_nShellCommand = FileNothing;
    }
  }
}

// --- CRecentFileList ------------------------------------------------------------------------

CRecentFileList::CRecentFileList(int size, const char* section, const char* entry)
    : m_size(size < 1 ? 1 : size), m_section(section), m_entry(entry) {}

const CString& CRecentFileList::operator[](int i) const {
  static const CString empty;
  return i >= 0 && i < GetCount() ? m_files[static_cast<size_t>(i)] : empty;
}

void CRecentFileList::Add(const char* path) {
  if (!path || !*path) return;
  CString p(path);
  for (size_t i = 0; i < m_files.size(); ++i) {
    if (EqualNoCase(m_files[i], p)) {
      m_files.erase(m_files.begin() + static_cast<long>(i));
      break;
    }
  }
  m_files.insert(m_files.begin(), p);
  if (static_cast<int>(m_files.size()) > m_size) m_files.resize(static_cast<size_t>(m_size));
}

void CRecentFileList::Remove(int i) {
  if (i >= 0 && i < GetCount()) m_files.erase(m_files.begin() + i);
}

UINT CRecentFileList::UpdateMenu(HMENU menu, UINT index, UINT firstId, const char* emptyText) const {
  if (!menu) return index;
  // Out with the items of the last showing (ids firstId .. firstId + size - 1).
  for (int i = 0; i < m_size; ++i) DeleteMenu(menu, firstId + static_cast<UINT>(i), MF_BYCOMMAND);
  if (m_files.empty()) {
    InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING | MF_GRAYED, firstId, emptyText ? emptyText : "");
    return index;
  }
  for (int i = 0; i < GetCount(); ++i) {
    std::string caption = fw::RecentFileCaption(i, m_files[static_cast<size_t>(i)].GetString());
    InsertMenuA(menu, index + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING, firstId + static_cast<UINT>(i),
                caption.c_str());
  }
  return index + static_cast<UINT>(GetCount()) - 1;
}

void CRecentFileList::ReadList(HKEY appKey) {
  m_files.clear();
  if (!appKey) return;
  HKEY key;
  if (RegOpenKeyExA(appKey, m_section, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (int i = 1; i <= m_size; ++i) {
    char name[32];
    snprintf(name, sizeof name, m_entry.GetString(), i);
    char value[MAX_PATH * 2] = {};
    DWORD type = 0, size = sizeof value - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ && value[0]) {
      m_files.push_back(CString(value));
    }
  }
  RegCloseKey(key);
}

void CRecentFileList::WriteList(HKEY appKey) const {
  if (!appKey) return;
  RegDeleteKeyA(appKey, m_section);
  HKEY key;
  if (RegCreateKeyExA(appKey, m_section, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  for (int i = 0; i < GetCount(); ++i) {
    char name[32];
    snprintf(name, sizeof name, m_entry.GetString(), i + 1);
    const CString& v = m_files[static_cast<size_t>(i)];
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.GetString()),
                   static_cast<DWORD>(v.GetLength() + 1));
  }
  RegCloseKey(key);
}

// --- CWinApp ------------------------------------------------------------------------------------

// New, Open and the recent files are wired by the command set of the
// derived class (fw/cmdset.h).
const fw::MsgEntry CWinApp::kMsgEntries[] = {
    fw::MsgEntry{},
};
const fw::MsgMap CWinApp::kMsgMap = {&CCmdTarget::kMsgMap, CWinApp::kMsgEntries};

CWinApp::CWinApp(const char* appName) {
  g_app = this;
  m_hInstance = GetModuleHandleA(nullptr);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  CString path(exe);
  int start = 0;
  for (int i = 0; i < path.GetLength(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByteEx(932, c)) {
      ++i;
    } else if (c == '\\' || c == '/') {
      start = i + 1;
    }
  }
  CString exeName = path.Mid(start);
  int dot = exeName.ReverseFind('.');
  if (dot > 0) exeName = exeName.Left(dot);
  m_appName = appName ? CString(appName) : exeName;
  m_profileName = m_appName;
  m_pszAppName = m_appName;
  m_pszProfileName = m_profileName;
  m_pszExeName = m_appName;
}

CWinApp::~CWinApp() {
  delete m_pDocTemplate;
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  return 0;
}

BOOL CWinApp::OnIdle(LONG count) {
  if (count == 0) {
    CWnd* main = m_pMainWnd;
    if (main && main->m_hWnd && main->IsFrameWnd() && main->IsWindowVisible()) {
      static_cast<CFrameWnd*>(main)->UpdateControlBars();
    }
    CWnd::DeleteTempMap();
  }
  return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
  // From the target window up to its top-level window, each may take the message.
  for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
    if (CWnd* w = CWnd::FromHandlePermanent(h)) {
      if (w->PreTranslateMessage(msg)) return TRUE;
    }
    if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return FALSE;
}

BOOL CWinApp::PumpMessage() {
  MSG msg;
  if (GetMessageA(&msg, nullptr, 0, 0) <= 0) return FALSE;
  if (!PreTranslateMessage(&msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return TRUE;
}

int CWinApp::Run() {
  LONG idle = 0;
  for (;;) {
    MSG peek;
    while (!PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idle++)) break;
    }
    if (!PumpMessage()) break;
    idle = 0;
  }
  return ExitInstance();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.push_back(__argv[i]);
  ParseCommandLine(info, args);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    const char* a = args[i].c_str();
    BOOL flag = (a[0] == '-' || a[0] == '/') ? TRUE : FALSE;
    info.ParseParam(flag ? a + 1 : a, flag, i + 1 == args.size());
  }
  if (args.empty()) info.ParseParam("", FALSE, TRUE);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
      return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::AppUnregister:
      return FALSE;
    case CCommandLineInfo::FileDDE:
    case CCommandLineInfo::FileNothing:
      return TRUE;
  }
  return FALSE;
}

void CWinApp::SetRegistryKey(const char* key) {
  m_strRegistryKey = key ? key : "";
}

HKEY CWinApp::GetAppRegistryKey() {
  if (m_strRegistryKey.IsEmpty()) return nullptr;
  CString path = CString("Software\\") + m_strRegistryKey + "\\" + m_profileName;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
  HKEY app = GetAppRegistryKey();
  if (!app) return static_cast<UINT>(defaultValue);
  UINT result = static_cast<UINT>(defaultValue);
  HKEY key;
  if (RegOpenKeyExA(app, section, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD) {
      result = value;
    }
    RegCloseKey(key);
  }
  RegCloseKey(app);
  return result;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
  HKEY app = GetAppRegistryKey();
  if (!app) return FALSE;
  HKEY key;
  BOOL ok = FALSE;
  if (RegCreateKeyExA(app, section, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    DWORD v = static_cast<DWORD>(value);
    ok = RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
         ERROR_SUCCESS;
    RegCloseKey(key);
  }
  RegCloseKey(app);
  return ok;
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) {
  CString result(defaultValue);
  HKEY app = GetAppRegistryKey();
  if (!app) return result;
  HKEY key;
  if (RegOpenKeyExA(app, section, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
      std::string buf(size + 1, '\0');
      DWORD got = size;
      if (RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &got) ==
          ERROR_SUCCESS) {
        result = CString(buf.c_str());
      }
    }
    RegCloseKey(key);
  }
  RegCloseKey(app);
  return result;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
  HKEY app = GetAppRegistryKey();
  if (!app) return FALSE;
  BOOL ok = FALSE;
  if (!entry) {
    ok = RegDeleteKeyA(app, section) == ERROR_SUCCESS;
  } else {
    HKEY key;
    if (RegCreateKeyExA(app, section, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      if (!value) {
        ok = RegDeleteValueA(key, entry) == ERROR_SUCCESS;
      } else {
        ok = RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>(strlen(value) + 1)) == ERROR_SUCCESS;
      }
      RegCloseKey(key);
    }
  }
  RegCloseKey(app);
  return ok;
}

void CWinApp::LoadStdProfileSettings(UINT maxMRU) {
  if (maxMRU == 0) return;
  m_pRecentFileList = std::make_unique<CRecentFileList>(static_cast<int>(maxMRU));
  HKEY app = GetAppRegistryKey();
  m_pRecentFileList->ReadList(app);
  if (app) RegCloseKey(app);
}

void CWinApp::SaveStdProfileSettings() {
  if (!m_pRecentFileList) return;
  HKEY app = GetAppRegistryKey();
  if (!app) return;
  m_pRecentFileList->WriteList(app);
  RegCloseKey(app);
}

void CWinApp::AddToRecentFileList(const char* path) {
  if (m_pRecentFileList) m_pRecentFileList->Add(path);
}

void CWinApp::AddDocTemplate(CDocTemplate* tmpl) {
  if (m_pDocTemplate && m_pDocTemplate != tmpl) delete m_pDocTemplate;
  m_pDocTemplate = tmpl;
}

CDocument* CWinApp::OpenDocumentFile(const char* path) {
  return m_pDocTemplate ? m_pDocTemplate->OpenDocumentFile(path, TRUE) : nullptr;
}

void CWinApp::OnFileNew() {
  if (m_pDocTemplate) m_pDocTemplate->OpenDocumentFile(nullptr, TRUE);
}

CString CWinApp::GetOpenFilter() { return fw::LoadText(IDS_FW_ALL_FILES_FILTER); }

CString CWinApp::GetOpenFolder() {
  CFrameWnd* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
  CDocument* doc = frame ? frame->GetActiveDocument() : nullptr;
  if (!doc) return CString();
  return CString(fw::FolderOfPath(doc->GetPathName().GetString()).c_str());
}

BOOL CWinApp::DoPromptFileName(CString& path, BOOL open, CDocument*) {
  CString filter = GetOpenFilter();
  CFileDialog dlg(open != FALSE, nullptr, open ? nullptr : path.GetString(),
                  open ? OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_HIDEREADONLY,
                  filter.IsEmpty() ? nullptr : filter.GetString(), m_pMainWnd);
  CString folder = GetOpenFolder();
  if (!folder.IsEmpty()) dlg.SetInitialFolder(folder);
  if (dlg.DoModal() != IDOK) return FALSE;
  path = dlg.GetPathName();
  return !path.IsEmpty();
}

void CWinApp::OnFileOpen() {
  CString path;
  if (!DoPromptFileName(path, TRUE, nullptr)) return;
  OpenDocumentFile(path);
}

void CWinApp::OnOpenRecentFile(UINT id) {
  if (!m_pRecentFileList) return;
  int i = static_cast<int>(id) - ID_FILE_MRU_FILE1;
  if (i < 0 || i >= m_pRecentFileList->GetCount()) return;
  CString path = (*m_pRecentFileList)[i];
  DWORD attrs = GetFileAttributesA(path);
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    // A file that went away says so and leaves the list.
    AfxMessageBox(fw::FormatText(IDS_FW_RECENT_MISSING, path), MB_OK | MB_ICONEXCLAMATION);
    m_pRecentFileList->Remove(i);
    return;
  }
  OpenDocumentFile(path);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* ui) {
  const int count = m_pRecentFileList ? m_pRecentFileList->GetCount() : 0;
  if (!ui->m_hMenu) {
    ui->Enable(count > 0);
    return;
  }
  CString empty = fw::LoadText(IDS_FW_RECENT_NONE);
  if (!m_pRecentFileList) {
    ui->Enable(FALSE);
    return;
  }
  ui->m_nIndex = m_pRecentFileList->UpdateMenu(ui->m_hMenu, ui->m_nIndex, ID_FILE_MRU_FILE1, empty);
  ui->m_nIndexMax = static_cast<UINT>(GetMenuItemCount(ui->m_hMenu));
  // The items carry their state already; nothing more to set.
  ui->m_bEnableChanged = true;
}
