// The host side of the file statements: launching, the windows of other
// programs, the save dialog, the network resource, the source forms, the
// archive entry and the tree counters of the folder size.
#include <windows.h>

#include <string>
#include <vector>

#include "core/fileops/fileprims.h"
#include "fw/commondlg.h"
#include "fw/netconn.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace view {

namespace {

HWND Handle(macro::MacroHost::AppWindow window) { return reinterpret_cast<HWND>(window); }

// The system's record from the host's. The texts live in `resource`.
NETRESOURCEA Record(const macro::MacroHost::NetResource& resource) {
  NETRESOURCEA nr = {};
  nr.dwScope = static_cast<DWORD>(resource.scope);
  nr.dwType = static_cast<DWORD>(resource.type);
  nr.dwDisplayType = static_cast<DWORD>(resource.displayType);
  nr.dwUsage = static_cast<DWORD>(resource.usage);
  nr.lpLocalName = const_cast<char*>(resource.localName.GetString());
  nr.lpRemoteName = const_cast<char*>(resource.remoteName.GetString());
  nr.lpComment = const_cast<char*>(resource.comment.GetString());
  nr.lpProvider = const_cast<char*>(resource.provider.GetString());
  return nr;
}

}  // namespace

int MacroViewHost::LaunchFile(const CString& path) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->LaunchFile(path) : -1;
}

macro::MacroHost::AppWindow MacroViewHost::FindExternalAppWindow(const CString& name, const CString& extra,
                                                                 int mode) {
  if (!app::g_pFrameHost) return 0;
  CWnd* w = app::g_pFrameHost->FindExternalAppWindow(name, extra, mode);
  return w ? reinterpret_cast<AppWindow>(w->m_hWnd) : 0;
}

macro::MacroHost::AppWindow MacroViewHost::FindWindowByTitle(const CString& title) {
  return reinterpret_cast<AppWindow>(::FindWindowA(nullptr, title.GetString()));
}

void MacroViewHost::CloseAppWindow(AppWindow window, bool post) {
  if (post)
    ::PostMessageA(Handle(window), WM_CLOSE, 0, 0);
  else
    ::SendMessageA(Handle(window), WM_CLOSE, 0, 0);
}

void MacroViewHost::SendAltF4(AppWindow window) {
  // Bit 29 of the key data: the Alt key is held.
  ::SendMessageA(Handle(window), WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(1) << 29);
}

bool MacroViewHost::AskFileToSave(const CString& filter, const CString& initialName, CString* path) {
  CFileDialog dlg(false, nullptr, initialName, OFN_HIDEREADONLY, filter, &view_);
  if (dlg.DoModal() != IDOK) return false;
  *path = dlg.GetPathName();
  return true;
}

int MacroViewHost::ProbeNetResource(int scope, const NetResource* resource) {
  NETRESOURCEA nr = {};
  if (resource) nr = Record(*resource);
  return static_cast<int>(fw::Net().ProbeEnum(static_cast<DWORD>(scope), resource ? &nr : nullptr));
}

int MacroViewHost::ConnectNetResource(const NetResource& resource, const CString* password, const CString* user,
                                      int flags) {
  NETRESOURCEA nr = Record(resource);
  return static_cast<int>(fw::Net().AddConnection(&nr, password ? password->GetString() : nullptr,
                                                 user ? user->GetString() : nullptr, static_cast<DWORD>(flags)));
}

int MacroViewHost::SaveEncryptedSource(int mode, const CString& path, const CString& extra) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->SaveEncryptedSource(mode, path, extra) : -2;
}

int MacroViewHost::CreateArchive(int kind, const std::vector<CString>& items, const CString& archiveName) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc || items.empty()) return -1;
  // The entry's argument list: the archive, then the items.
  std::vector<const char*> argv;
  argv.push_back(archiveName.GetString());
  for (const CString& item : items) argv.push_back(item.GetString());
  return doc->CreateArchive(kind, static_cast<int>(argv.size()), argv.data(), archiveName, 1);
}

fileops::FileOpsHost* MacroViewHost::TreeSizeHost() { return fileops::g_pDocFileOps; }

}  // namespace view
