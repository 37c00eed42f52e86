// The tree copy of a folder of the FTP site into a local folder (or another
// site folder): the folder is listed first, then its files are copied, then
// its sub-folders, since the connection holds one search at a time. The
// plan of what is copied is flist::PlanFtpCopyWalk; here it is carried out.
#include <windows.h>

#include <string>
#include <vector>

#include "core/fileops/filecopy.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistcore/copyftpwalk.h"
#include "filelist/flistview.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "res/resource.h"

namespace {

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

}  // namespace

void CFlistView::SetPlacedFileTime(const CString& path, std::int64_t seconds) {
  if (seconds == 0 || IsFtpCopyPath(path)) return;
  try {
    CFileStatus st;
    if (!CFile::GetStatus(path, st)) return;
    CFileStatus times;
    times.m_attribute = st.m_attribute;
    times.m_mtime = CTime(seconds);
    times.m_timesGiven = CFileStatus::kGiveMTime;
    CFile::SetStatus(path, times);
  } catch (const CFileException&) {
    // A read-only copy keeps the time of its source's file.
  }
}

int CFlistView::CopyFtpFolder(const CString& src, const CString& dst, int mode) {
  app::DocHost* doc = GetDocument();
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  fileops::FtpSite* site = host ? host->Ftp() : nullptr;
  if (!doc || !site) return -1;
  // The folder becomes the connection's current folder; one the server
  // refuses cannot be read.
  bool refused = false;
  site->Map(src, 1, &refused);
  if (refused) return -1;
  std::vector<fileops::FolderEntry> listed;
  const bool found = site->List([&](const fileops::FolderEntry& e) {
    listed.push_back(e);
    return true;
  });
  if (!found) {
    SetFrameTitle(LoadText(IDS_EMPTY_FOLDER));
    return -2;
  }
  const bool odd = FtpSiteOddFlag(src);
  const int capacity = m_table.m_nCapacity > 0 ? m_table.m_nCapacity : 1;
  const flist::FtpCopyWalk walk = flist::PlanFtpCopyWalk(listed, capacity, odd, fw::CurrentTime());
  const bool utf8 = doc->SettingsFields().m_bUtf8Names == 1;
  // Only mode 1 moves: a copy keeping dates (mode 2) copies.
  const int isMove = mode == 1 ? 1 : 0;
  auto stopped = [this] { return m_copy.m_bCopyAbort != 0 || m_copy.m_nCopyStop == flist::kCopyStopAll; };

  for (const std::string& name : walk.refused) {
    ReportRefusedName(fileops::JoinEntryPath(dst, name));
    if (stopped()) return 0;
  }
  for (const flist::FtpCopyItem& f : walk.files) {
    const CString childSrc = fileops::JoinEntryPath(src, f.name);
    CString childDst = fileops::JoinEntryPath(dst, f.name);
    if (utf8) childDst = Utf8PathToSjis(childDst);
    m_copy.m_tmFtpEntry = f.time;
    const std::uint32_t placedBefore = m_nFilesPlaced;
    CopyOrMoveEntry(childSrc, childDst, isMove, 0);
    // The listed time goes only onto a file this copy placed.
    if (m_copy.m_tmFtpEntry != 0 && m_nFilesPlaced != placedBefore) SetPlacedFileTime(childDst, m_copy.m_tmFtpEntry);
    m_copy.m_tmFtpEntry = 0;
    if (stopped()) return 0;
  }
  for (const flist::FtpCopyItem& f : walk.folders) {
    const CString childSrc = fileops::JoinEntryPath(src, f.name);
    CString childDst = fileops::JoinEntryPath(dst, f.name);
    if (utf8) childDst = Utf8PathToSjis(childDst);
    CopyOrMoveEntry(childSrc, childDst, isMove, 1);
    if (stopped()) return 0;
  }
  return 0;
}
