// The double-click action of the file list (also Enter, the list macros and
// the single click into folders): enter a folder, go up through the path
// line, open a drive, the network, a network resource, a network drive, an
// FTP site or a special folder, extract an archive, or hand any other file
// to the Execute command. The decisions are flist plans
// (flistcore/entryopen.h).
#include <windows.h>

#include <cstring>
#include <string>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/entryopen.h"
#include "filelist/flistview.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

const UINT kExecuteCommand = 32808;      // the file list's Execute
const UINT kFileCompareCommand = 33225;  // the file-compare command

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

bool StartsWith(const CString& s, const char* p) {
  const int n = static_cast<int>(std::strlen(p));
  return s.GetLength() >= n && std::strncmp(s.GetString(), p, static_cast<std::size_t>(n)) == 0;
}

}  // namespace

void CFlistView::OpenEntryAt(UINT nFlags, CPoint point) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_table.m_pNameRecs) return;
  // 1. Which entry.
  m_strPrevDir = m_strCurDir;
  m_bRelist = 0;
  if (nFlags) {
    if (point.y > m_nLineHeight && point.y < 2 * m_nLineHeight + 2) return;  // the heading line
    const int h = m_nLineHeight > 0 ? m_nLineHeight : 1;
    int index = point.y / h + m_state.m_nTopEntry - 1;
    if (index == -1) index = 0;
    else if (index == 0) return;
    if (index < 0) return;
    m_state.m_nCurEntry = index;
  }
  const int index = m_state.m_nCurEntry;
  if (index < 0 || index >= m_table.m_nCapacity) return;
  ClearMarks(0);
  // 2-3. The extension decides. A folder's extension record is not read:
  // the listing does not write it for folders.
  const bool driveList = m_nListSource == 1;
  const bool isFolder = static_cast<std::int32_t>(m_table.m_pEntryVal1[index]) == flist::kSizeFolder &&
                        !(m_table.m_pSizeHigh[index] & flist::kSizeHighFile);
  const std::string extText = isFolder ? std::string() : flist::GetNameRecord(m_table.m_pTextRecs3, index);
  const flist::OpenExtension ext = flist::ClassifyExtension(extText, m_bForceZip != 0, driveList);
  if (ext.kind == flist::OpenKind::kExecute) {
    SendMessage(WM_COMMAND, MAKEWPARAM(kExecuteCommand, 0), 0);
    return;
  }
  if (ext.kind == flist::OpenKind::kZip || ext.kind == flist::OpenKind::kLzh) {
    OpenArchiveEntry(index, ext.kind == flist::OpenKind::kLzh, ext.marked);
    return;
  }
  // 4.
  const CString name = flist::GetNameRecord(m_table.m_pNameRecs, index).c_str();
  if (StartsWith(name, "..")) {
    // The path line: cut the folder after the k-th separator left of x.
    const int k = flist::PathBarSegment(m_aPathBarX, point.x);
    if (k == 0) return;
    std::string cut = flist::CutAfterBackslash(std::string(m_strCurDir.GetString()), k);
    if (cut.empty()) cut = m_strCurDir.GetString();
    m_bRelist = 1;
    GoToFolder(CString(cut.c_str()), 1);
    return;
  }
  // A network resource: one level down (flistview_network.cpp).
  if (m_bNetworkList) {
    OpenNetworkEntry(index);
    return;
  }
  app::DocPathFields& paths = doc->PathFields();
  CString& sidePath = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
  if (!m_strCurDir.IsEmpty() && !driveList) {
    if (m_strCurDir[m_strCurDir.GetLength() - 1] != '\\') m_strCurDir += "\\";
    m_strCurDir += name;
  } else {
    m_strCurDir = name;
  }
  // 5. Rows of the drive list.
  if (driveList) {
    // The network root, a network-drive entry ("J:+name"), an FTP site ("Y:>name").
    if (StartsWith(m_strCurDir, "NW:")) {
      OnNetworkRoot();
      return;
    }
    if (m_strCurDir.GetLength() > 2 && m_strCurDir[2] == '+') {
      OpenNetworkDriveRow();
      return;
    }
    if (m_strCurDir.GetLength() > 2 && m_strCurDir[2] == '>') {
      OpenFtpDriveRow();
      return;
    }
    if (const char* suffix = flist::SpecialFolderSuffix(std::string(m_strCurDir.GetString()))) {
      OpenSpecialFolder(suffix);
      return;
    }
    // A drive: two tries to enter it.
    m_strCurDir = m_strCurDir.Left(2);
    const std::string drive = m_strCurDir.GetString();
    if (fileops::ChangeDirectory(*m_pFolders, drive, static_cast<int>(m_bFtpList), 0) < 0 &&
        fileops::ChangeDirectory(*m_pFolders, drive, static_cast<int>(m_bFtpList), 0) < 0) {
      ShowEntry(index, 0, 0);
      SetFrameTitle(LoadText(IDS_DRIVE_OPEN_FAILED));
      m_bRelist = 0;
      m_strCurDir.Empty();
      return;
    }
    // The side's path names the shown file: it goes only with the text.
    if (ConfirmReplaceDocument()) sidePath.Empty();
  }
  // 6. Rebuild.
  RebuildAfterOpen();
}

void CFlistView::RebuildAfterOpen() {
  app::DocHost* doc = GetDocument();
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  m_nListSource = 0;
  m_bRelist2 = 1;
  OnUpdate(nullptr, 0, nullptr);
  app::DocListFields& lf = doc->ListFields();
  if (lf.m_nCompareCount > 1) {
    lf.m_nCompareCount = 0;
    lf.FreeCompareNames();
    SendMessage(WM_COMMAND, MAKEWPARAM(kFileCompareCommand, 0), 0);
  }
}

void CFlistView::OpenSpecialFolder(const char* suffix) {
  app::DocHost* doc = GetDocument();
  char user[201] = {};
  DWORD size = sizeof user - 1;
  if (!::GetUserNameA(user, &size)) user[0] = 0;
  const CString path = flist::SpecialFolderPath(std::string(user), suffix).c_str();
  ClearMarks(1);
  m_state.m_nCurEntry = 0;
  m_nListSource = 0;
  m_strStartPath = path;
  // The folder is listed, never opened as a file: the text is emptied as
  // for any folder shown, after the save question.
  const bool replace = ConfirmReplaceDocument();
  app::DocPathFields& paths = doc->PathFields();
  if (replace) (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = path;
  if (replace) EmptyDocumentText(0);
  fileops::ChangeDirectory(*m_pFolders, std::string(path.GetString()), 0, 0);
  m_strCurDir = path;
  m_bRelist2 = 1;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  OnUpdate(nullptr, 0, nullptr);
}

void CFlistView::OpenEntryAt(int index) {
  m_state.m_nCurEntry = index;
  OpenEntryAt(0, CPoint(0, 0));
}

void CFlistView::OnLButtonDblClk(UINT nFlags, CPoint point) { OpenEntryAt(nFlags ? nFlags : MK_LBUTTON, point); }
