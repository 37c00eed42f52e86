// The drive list (32806): the rows come from filelist/flistcore/drivelist.h,
// the probe of each drive from the system.
#include <direct.h>
#include <windows.h>

#include <string>

#include "filelist/flistcore/drivelist.h"
#include "filelist/flistcore/listbuild.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "host/frame_host.h"
#include "fw/codepage.h"
#include "res/resource.h"

namespace {

flist::DriveInfo ProbeDrive(int n) {
  flist::DriveInfo d;
  if (_chdrive(n) != 0) return d;
  d.exists = true;
  const char letter = static_cast<char>(64 + n);
  const std::string root = std::string(1, letter) + ":\\";
  _chdir(root.c_str());
  const std::u16string wroot = fw::Cp932ToUtf16(root);
  const wchar_t* r = reinterpret_cast<const wchar_t*>(wroot.c_str());
  wchar_t label[51] = {}, fs[21] = {};
  if (::GetVolumeInformationW(r, label, 50, nullptr, nullptr, nullptr, fs, 20)) {
    d.label = fw::Utf16ToCp932(reinterpret_cast<const char16_t*>(label), wcslen(label));
    d.fileSystem = fw::Utf16ToCp932(reinterpret_cast<const char16_t*>(fs), wcslen(fs));
  }
  d.type = static_cast<int>(::GetDriveTypeW(r));
  ULARGE_INTEGER avail = {}, total = {};
  if (::GetDiskFreeSpaceExW(r, &avail, &total, nullptr)) {
    d.freeBytes = avail.QuadPart;
    d.totalBytes = total.QuadPart;
  }
  return d;
}

}  // namespace

void CFlistView::ShowDriveList() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_table.m_pNameRecs) return;
  // 1. The drive list is no network level.
  if (m_nBuildCount == 0) m_nBuildCount = 2;
  m_nListSource = 1;
  LeaveNetwork();
  // 3. The current drive as the pane's folder gives it.
  const std::string cur(m_strCurDir.GetString(), static_cast<std::size_t>(m_strCurDir.GetLength()));
  fileops::ChangeDirectory(*m_pFolders, cur, static_cast<int>(m_bFtpList), 0);
  const int currentDrive = _getdrive();
  std::string sys[app::kSysSlots];
  for (int i = 0; i < app::kSysSlots; ++i) sys[i] = doc->SystemFields().m_strSysValue[i].GetString();
  // 2, 4, 6, 7.
  const flist::DriveListResult r = flist::BuildDriveList(sys, currentDrive, cur, ProbeDrive);
  // 5.
  _chdrive(currentDrive);
  // 8. Rows from 1, then blanks to row 29.
  int row = 1;
  for (const flist::DriveRow& d : r.rows) {
    flist::StoreNameRecord(m_table.m_pNameRecs, row, d.name);
    flist::StoreNameRecord(m_table.m_pTextRecs2, row, std::string());
    flist::StoreNameRecord(m_table.m_pTextRecs3, row, d.kind);
    m_table.m_pEntryVal1[row] = static_cast<std::uint32_t>(d.val1);
    m_table.m_pEntryVal2[row] = 0;
    m_table.m_pEntryVal3[row] = static_cast<std::uint32_t>(d.val3);
    m_table.m_pSizeHigh[row] = 0;
    ++row;
  }
  m_table.m_nEntryCount = r.entryCount;
  for (int i = r.entryCount; i <= flist::kDriveListBlankTo; ++i) {
    flist::StoreNameRecord(m_table.m_pNameRecs, i, std::string());
    flist::StoreNameRecord(m_table.m_pTextRecs3, i, std::string());
    m_table.m_pEntryVal1[i] = 0xFFFFFFFFu;
    m_table.m_pEntryVal3[i] = 0xFFFFFFFFu;
    m_table.m_pSizeHigh[i] = 0;
  }
  // 9.
  m_state.m_nCurEntry = r.cursorRow;
  ClearMarks(1);
  m_strTitle = "Drive list";
  if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd() && app::g_pFrameHost->FrameWnd()->m_hWnd)
    app::g_pFrameHost->FrameWnd()->SetWindowText(m_strTitle);
  m_strCurDir.Empty();
  m_strHeader[0].LoadString(IDS_DRIVE_HDR_DRIVE);
  m_strHeader[1].LoadString(IDS_DRIVE_HDR_TOTAL);
  m_strHeader[2].LoadString(IDS_DRIVE_HDR_KIND);
  m_strHeader[3].LoadString(IDS_DRIVE_HDR_FREE);
  m_state.m_nScrollMax = flist::ScrollMaxFor(m_table.m_nEntryCount, m_table.m_nCapacity);
  if (m_hWnd) ::SetScrollRange(m_hWnd, SB_VERT, 0, m_state.m_nScrollMax, TRUE);
  ScrollToCursor();
  if (m_hWnd) Invalidate(FALSE);
}
