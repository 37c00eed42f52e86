// The Windows network as levels of the list pane: the network root "NW:"
// (32954), the level on top of the pane's stack read through its network
// host and listed, the descent into a listed resource or a network-drive
// entry, the state of a folder change inside the network, and the local
// steps' fall-backs for UNC folders that cannot be entered. The decisions
// are those of flistcore/netlevel.h; the host is the system's
// (net_host_win.h) unless a test puts its own in place.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/docsvc/ftppath.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/netlevel.h"
#include "filelist/flistview.h"
#include "filelist/net_host_win.h"
#include "filelist/net_login_dlg.h"
#include "fw/sjis.h"

namespace {

std::string Str(const CString& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

bool StartsWith(const CString& s, const char* p) {
  const int n = static_cast<int>(std::strlen(p));
  return s.GetLength() >= n && std::strncmp(s.GetString(), p, static_cast<std::size_t>(n)) == 0;
}

// A name as a record holds it: at most 255 bytes, never half a character.
std::string RecordName(const std::string& name) {
  if (name.size() <= 255) return name;
  std::size_t end = 0;
  while (end < name.size()) {
    const std::size_t step =
        fw::IsSjisLeadByte(static_cast<unsigned char>(name[end])) && end + 1 < name.size() ? 2 : 1;
    if (end + step > 255) break;
    end += step;
  }
  return name.substr(0, end);
}

// Copies `text` into a 250-byte buffer, cut to fit with its NUL.
void CopyName(char (&buf)[250], const std::string& text) {
  const std::size_t n = text.size() < sizeof buf - 1 ? text.size() : sizeof buf - 1;
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
}

}  // namespace

flist::NetworkHost& CFlistView::Network() {
  if (!m_pNetwork) m_pNetwork = flist::MakeSystemNetworkHost();
  return *m_pNetwork;
}

// --- the network state --------------------------------------------------------------

void CFlistView::SetCurrentNetResource(const flist::NetResource* res) {
  m_netCur = res ? *res : flist::NetResource();
  CopyName(m_szNetRemoteBuf, m_netCur.remoteName);
  CopyName(m_szNetProviderBuf, m_netCur.provider);
  m_netResCur = NETRESOURCEA{};
  m_netResCur.dwScope = m_netCur.scope;
  m_netResCur.dwType = m_netCur.type;
  m_netResCur.dwDisplayType = m_netCur.displayType;
  m_netResCur.dwUsage = m_netCur.usage;
  m_netResCur.lpRemoteName = m_szNetRemoteBuf[0] ? m_szNetRemoteBuf : nullptr;
  m_netResCur.lpProvider = m_szNetProviderBuf[0] ? m_szNetProviderBuf : nullptr;
  m_strNetRemote = m_netCur.remoteName.c_str();
  m_strNetProviderCur = m_netCur.provider.c_str();
}

void CFlistView::SetNetLevel(int depth) {
  if (depth > m_netLevels.depth) depth = m_netLevels.depth;
  if (depth < 0) depth = 0;
  if (depth >= flist::kNetLevelSlots) depth = flist::kNetLevelSlots - 1;
  m_netLevels.depth = depth;
  // A network-drive login serves its own level and those below it only.
  if (depth < m_nNetLoginDepth) {
    m_strNetLoginPath.Empty();
    m_nNetLoginDepth = 0;
  }
  m_bNetworkList = 1;
  m_nNetDepth = depth + 1;
  m_nListSource = 0;
  if (depth == 0) {
    SetCurrentNetResource(nullptr);
  } else {
    const flist::NetResource r = flist::NetLevelResource(m_netLevels.level[depth]);
    SetCurrentNetResource(&r);
  }
  // The pane's per-level fields mirror the stack.
  for (int i = 0; i < flist::kNetLevelSlots; ++i) {
    const bool held = i >= 1 && i <= depth;
    m_strNetPathName[i] = held ? m_netLevels.level[i].remote.c_str() : "";
    m_strNetPathProvider[i] = held ? m_netLevels.level[i].provider.c_str() : "";
    m_aNetPathUsage[i] = held ? m_netLevels.level[i].usage : 0;
  }
  m_strCurDir = flist::NetPathText(m_netLevels).c_str();
}

void CFlistView::ResetNetworkRoot() {
  m_netLevels.depth = 0;
  m_strNetLoginPath.Empty();
  m_nNetLoginDepth = 0;
  m_nNetListedDepth = -1;
  for (int i = 0; i < 1000; ++i) {
    m_strNetName[i].Empty();
    m_strNetProvider[i].Empty();
  }
  m_netListed.clear();
  m_nNetCount = 0;
  SetNetLevel(0);
}

void CFlistView::LeaveNetwork() {
  m_bNetworkList = 0;
  m_netLevels.depth = 0;
  m_nNetDepth = 0;
  m_strNetLoginPath.Empty();
  m_nNetLoginDepth = 0;
  m_nNetListedDepth = -1;
}

void CFlistView::ListNetworkFolder(const std::string& remote) {
  m_bNetworkList = 0;
  m_nNetListedDepth = -1;
  m_strNetRemote = remote.c_str();
  m_strCurDir = m_strNetRemote;
  if (StartsWith(m_strStartPath, "NW")) m_strStartPath = m_strCurDir;
  // The side's path names a place inside the folder, so that the updates
  // that follow the side's path list this folder.
  app::DocHost* doc = GetDocument();
  if (doc && IsActiveForBuild()) {
    app::DocPathFields& paths = doc->PathFields();
    (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = m_strCurDir + "\\";
  }
}

// --- the network root (32954) ---------------------------------------------------------

void CFlistView::OnNetworkRoot() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  ResetNetworkRoot();
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2).Empty();
  ClearMarks(1);
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  OnUpdate(nullptr, 0, nullptr);
}

// --- the network level source ----------------------------------------------------------

bool CFlistView::BuildNetworkListing() {
  app::DocHost* doc = GetDocument();
  // A folder set from outside the network (a folder dropped on the pane,
  // the folder of a file the side opened): the network is left for it.
  if (!StartsWith(m_strCurDir, "NW")) {
    LeaveNetwork();
    return BuildLocalListing();
  }
  const app::DocSystemFields& sys = doc->SystemFields();
  std::vector<std::string> entries;
  for (int slot : flist::kNetEntrySlots) entries.push_back(Str(sys.m_strSysValue[slot]));
  const flist::NetLoginAsk ask = [this](std::string* user, std::string* password) {
    CNetLoginDlg dlg(this);
    dlg.m_strUser = user->c_str();
    dlg.m_strPassword.Empty();
    if (dlg.DoModal() != IDOK) return false;
    *user = Str(dlg.m_strUser);
    *password = Str(dlg.m_strPassword);
    return true;
  };
  HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  flist::NetLevelRead read;
  for (;;) {
    const bool withLogin = m_nNetLoginDepth > 0 && m_netLevels.depth >= m_nNetLoginDepth;
    const flist::NetLogin login = withLogin ? flist::NetEntryLogin(entries, Str(m_strNetLoginPath)) : flist::NetLogin();
    read = flist::ReadNetworkLevel(Network(), m_netLevels.depth > 0 ? &m_netCur : nullptr, login, ask);
    if (read.kind != flist::NetLevelRead::Kind::kCancelled) break;
    // Cancel: back to the level above. A list that shows it already stays.
    SetNetLevel(m_netLevels.depth - 1);
    if (m_nNetListedDepth == m_netLevels.depth) {
      ::SetCursor(old);
      return false;
    }
  }
  if (read.kind == flist::NetLevelRead::Kind::kFolder && m_netLevels.depth > 0) {
    // Not enumerable: the level is listed as its UNC folder.
    ::SetCursor(old);
    ListNetworkFolder(m_netCur.remoteName);
    return BuildLocalListing();
  }
  // The resources in the order read, as folders without size or time.
  m_netListed = std::move(read.resources);
  m_nNetCount = static_cast<std::int32_t>(m_netListed.size());
  for (int i = 0; i < 1000; ++i) {
    const bool held = i < m_nNetCount;
    m_strNetName[i] = held ? m_netListed[static_cast<std::size_t>(i)].remoteName.c_str() : "";
    m_strNetProvider[i] = held ? m_netListed[static_cast<std::size_t>(i)].provider.c_str() : "";
  }
  flist::WalkState walk;
  for (const flist::NetResource& res : m_netListed) {
    flist::WorkEntry w;
    w.name = RecordName(flist::NetShownName(res.remoteName));
    w.size = -1;
    w.time = 0;
    walk.work.push_back(std::move(w));
    ++walk.count;
  }
  m_strCurDir = flist::NetPathText(m_netLevels).c_str();
  ::SetCursor(old);
  const int fhold = doc->SettingsFields().m_nFhold > 0 ? doc->SettingsFields().m_nFhold : 19000;
  const bool shown = PlaceAndShow(walk, fhold);
  m_nNetListedDepth = m_netLevels.depth;
  return shown;
}

// --- the local steps' fall-backs ---------------------------------------------------------

bool CFlistView::TakesNetworkFallBack() const { return m_nNetDepth > 0 || StartsWith(m_strCurDir, "\\\\"); }

bool CFlistView::NetworkFallBack(bool driveStep) {
  app::DocHost* doc = GetDocument();
  if (driveStep && m_nNetDepth > 0) {
    // Inside the network a drive that cannot be entered lists ".." only.
    flist::WalkState walk;
    const int fhold = doc->SettingsFields().m_nFhold > 0 ? doc->SettingsFields().m_nFhold : 19000;
    return PlaceAndShow(walk, fhold);
  }
  if (m_nNetDepth > 0) {
    // Back one network level from the folder: the level above a share
    // listed as its folder, the level a folder was entered from; the
    // network root from the first level (the stack is never read below it).
    const flist::NetMove m =
        flist::PlanNetworkMove(m_netLevels, false, Str(m_strCurDir), Str(m_strCurDir), 0);
    SetNetLevel(m.kind == flist::NetMove::Kind::kLevel ? m.depth : m_netLevels.depth - 1);
  } else {
    // A UNC path outside the network walk: the network root.
    ResetNetworkRoot();
  }
  if (StartsWith(m_strStartPath, "NW")) m_strStartPath = m_strCurDir;
  return BuildNetworkListing();
}

// --- folder changes ------------------------------------------------------------------------

void CFlistView::EnterNetworkMove(const flist::NetMove& move) {
  using K = flist::NetMove::Kind;
  switch (move.kind) {
    case K::kNone:
      return;
    case K::kDriveList:
      LeaveNetwork();
      return;
    case K::kRoot:
      ResetNetworkRoot();
      return;
    case K::kLevel:
      SetNetLevel(move.depth);
      return;
    case K::kServer:
      ResetNetworkRoot();
      m_netLevels.Push(flist::NetLevel{move.server, std::string(), flist::kNetUsageContainer});
      SetNetLevel(1);
      return;
  }
}

// --- the double click ----------------------------------------------------------------------

void CFlistView::OpenNetworkEntry(int index) {
  if (index < 1 || index > m_table.m_nEntryCount - 2) return;
  const std::size_t r = static_cast<std::size_t>(index - 1);
  if (r >= m_netListed.size()) return;
  const flist::NetResource res = m_netListed[r];
  if (res.remoteName.empty()) return;  // nothing to address it by
  if (!m_netLevels.Push(flist::NetLevel{res.remoteName, res.provider, res.usage})) {
    // Past the deepest level: the resource is listed as its UNC folder.
    ListNetworkFolder(res.remoteName);
    RebuildAfterOpen();
    return;
  }
  SetNetLevel(m_netLevels.depth);
  SetCurrentNetResource(&res);  // the record as it was listed
  RebuildAfterOpen();
}

void CFlistView::OpenNetworkDriveRow() {
  app::DocHost* doc = GetDocument();
  std::string sys[app::kSysSlots];
  for (int i = 0; i < app::kSysSlots; ++i) sys[i] = Str(doc->SystemFields().m_strSysValue[i]);
  const CString row = m_strCurDir;
  const int slot = flist::NetEntrySlotOf(sys, row.IsEmpty() ? '\0' : row[0]);
  const std::string remote = slot < 0 ? std::string() : flist::NetEntryRemote(sys[slot]);
  if (remote.empty()) {
    m_strCurDir.Empty();  // still the drive list
    return;
  }
  ResetNetworkRoot();
  m_netLevels.Push(flist::NetLevel{remote, std::string(), flist::kNetUsageConnectable | flist::kNetUsageContainer});
  m_strNetLoginPath = row;
  m_nNetLoginDepth = 1;
  SetNetLevel(1);
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2).Empty();
  RebuildAfterOpen();
}

void CFlistView::OpenFtpDriveRow() {
  app::DocHost* doc = GetDocument();
  const char letter = m_strCurDir.IsEmpty() ? '\0' : m_strCurDir[0];
  for (int n = 1; n <= docsvc::kFtpEntryCount; ++n) {
    const CString entry = doc->SystemFields().FtpEntry(n - 1);
    if (!entry.IsEmpty() && entry[0] == letter) {
      OnFtpSite(n);
      return;
    }
  }
  m_strCurDir.Empty();  // no site of that letter: still the drive list
}
