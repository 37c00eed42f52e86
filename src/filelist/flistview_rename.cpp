// File / rename (32811): the name, attributes and last-write time of the
// marked entries, the batch name conversion and the cipher forms, and the
// volume label in the drive list, through dialog 133. The decisions are
// the plans of flistcore/renameplan.h; the status writes and renames go
// through the framework's file layer.
#include <algorithm>
#include <string>
#include <vector>

#include "core/crypto/namecipher.h"
#include "core/docsvc/ftppath.h"
#include "core/fileops/fileprims.h"
#include "core/fileops/folderhost.h"
#include "filelist/flistcore/renameplan.h"
#include "filelist/flistview.h"
#include "filelist/rename_dlg.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "res/resource.h"

namespace {

// The document's name forms (its key code, its messages when a name
// cannot be enciphered).
class DocNameForms : public flist::RenameNameForms {
 public:
  explicit DocNameForms(app::DocHost& doc) : m_doc(doc) {}
  std::string StoredName(const std::string& shown) override {
    return m_doc.TranslateEncryptedFileName(CString(shown), 0).Str();
  }
  std::string CipherBase(const std::string& base) override { return m_doc.CipherFileName(CString(base), 0).Str(); }

 private:
  app::DocHost& m_doc;
};

}  // namespace

std::vector<int> CFlistView::RenameMarkedEntries() const {
  std::vector<int> marked;
  // Entry 0 is the way up (".."), never an entry of the folder.
  const int last = std::min(m_table.m_nEntryCount, m_table.m_nCapacity);
  for (int i = 1; i < last; ++i) {
    if (m_table.m_pMarks[i] == 1 && !flist::GetNameRecord(m_table.m_pNameRecs, i).empty()) marked.push_back(i);
  }
  return marked;
}

std::string CFlistView::RenameEntryFolder(int index) const {
  const std::string cur = m_strCurDir.Str();
  if (m_nListFlag != 1) return cur;
  const std::string sub = flist::GetNameRecord(m_table.m_pTextRecs2, index);
  return sub.empty() ? cur : flist::JoinEntryPath(cur, sub);
}

void CFlistView::OnRename() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const int cur = m_state.m_nCurEntry;
  if (cur < 0 || cur >= m_table.m_nEntryCount) return;
  const std::string cursorText = flist::GetNameRecord(m_table.m_pNameRecs, cur);
  m_strCursorName = CString(cursorText);
  const std::string work = RenameEntryFolder(cur);
  fileops::ChangeDirectory(Folders(), work, static_cast<int>(m_bFtpList), m_nListSource);
  const std::vector<int> marked = RenameMarkedEntries();
  if (marked.empty()) return;

  DocNameForms forms(*doc);
  const bool ftpList = doc->SystemFields().m_bFtpConnected == 1 && m_bFtpList == 1;
  flist::RenamePrefillInput in;
  in.markedCount = static_cast<int>(marked.size());
  in.listSource = m_nListSource;
  in.ftpList = ftpList;
  in.cursorText = cursorText;
  in.cursorTime = m_table.m_pEntryVal3[cur];
  if (in.markedCount == 1 && m_nListSource == 0 && !ftpList && in.cursorTime != 0) {
    // The entry's own status: an enciphered name is read under its stored name.
    flist::EntryStatus st;
    in.statusRead = flist::ReadEntryStatus(flist::JoinEntryPath(work, forms.StoredName(cursorText)), &st);
    in.attributes = st.attributes;
    in.mtime = st.mtime;
  }
  flist::RenameFields f = flist::PrefillRenameFields(in);

  CRenameDlg dlg(this);
  dlg.m_strName = CString(f.name);
  dlg.m_bArchive = f.archive, dlg.m_bHidden = f.hidden, dlg.m_bReadOnly = f.readOnly, dlg.m_bSystem = f.system;
  dlg.m_nYear = f.year, dlg.m_nMonth = f.month, dlg.m_nDay = f.day;
  dlg.m_nHour = f.hour, dlg.m_nMinute = f.minute, dlg.m_nSecond = f.second;
  dlg.m_bKeepAttributes = f.keepAttributes;
  if (dlg.DoModal() != IDOK) return;
  f.name = dlg.m_strName.Str();
  f.archive = dlg.m_bArchive, f.hidden = dlg.m_bHidden, f.readOnly = dlg.m_bReadOnly, f.system = dlg.m_bSystem;
  f.year = dlg.m_nYear, f.month = dlg.m_nMonth, f.day = dlg.m_nDay;
  f.hour = dlg.m_nHour, f.minute = dlg.m_nMinute, f.second = dlg.m_nSecond;
  f.keepAttributes = dlg.m_bKeepAttributes;

  const bool local = !ftpList && m_nListSource == 0;
  if (!local || RenameWriteStatus(f, marked, forms)) RenameNames(f, marked, forms, work);
  RenameRebuild();
}

bool CFlistView::RenameWriteStatus(flist::RenameFields& f, const std::vector<int>& marked,
                                   flist::RenameNameForms& forms) {
  for (int i : marked) {
    const std::string shown = flist::GetNameRecord(m_table.m_pNameRecs, i);
    const std::string path = flist::JoinEntryPath(RenameEntryFolder(i), forms.StoredName(shown));
    m_strCursorName = CString(path);
    if (static_cast<std::int32_t>(m_table.m_pEntryVal1[i]) == flist::kSizeFolder) continue;
    flist::EntryStatus st;
    if (!flist::ReadEntryStatus(path, &st)) continue;
    try {
      flist::WriteEntryStatus(path, flist::PlanStatusWrite(f, false, m_table.m_pEntryVal3[i] != 0, st));
    } catch (const CFileException& e) {
      // The command stops at the first refused write, with its reason.
      CString text;
      text.Format("%s\n%s", path.c_str(), e.what());
      AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
  }
  return true;
}

void CFlistView::RenameNames(flist::RenameFields& f, const std::vector<int>& marked, flist::RenameNameForms& forms,
                             const std::string& work) {
  app::DocHost* doc = GetDocument();
  auto& paths = doc->PathFields();
  CString& sidePath = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
  const flist::RenameMode mode = flist::ClassifyRenameName(f.name);
  if (flist::IsCipherMode(mode) && !crypto::IsValidKeyCode(doc->SystemFields().m_strEncryptKeyCode.Str())) {
    AfxMessageBox(IDS_NO_KEY_CODE);
    return;
  }
  const bool ftpList = doc->SystemFields().m_bFtpConnected == 1 && m_bFtpList == 1;
  if (mode != flist::RenameMode::kSingle) {
    // Batches rename files of a local folder; the drive list has none, and
    // FTP folders are renamed through the connection, which comes with the
    // FTP sources.
    if (ftpList || m_nListSource != 0) return;
    bool lastOk = false;
    bool tried = false;
    const std::string typed = f.name;  // the name field follows the renames; the form stays
    for (int i : marked) {
      const std::string shown = flist::GetNameRecord(m_table.m_pNameRecs, i);
      const flist::BatchRename b = flist::PlanBatchRename(mode, typed, shown, forms);
      if (!b.act) continue;
      const std::string folder = RenameEntryFolder(i);
      if (m_nListFlag == 1) fileops::ChangeDirectory(Folders(), folder, static_cast<int>(m_bFtpList), m_nListSource);
      tried = true;
      try {
        CFile::Rename(flist::JoinEntryPath(folder, b.from).c_str(), flist::JoinEntryPath(folder, b.to).c_str());
        lastOk = true;
      } catch (const CFileException&) {
        lastOk = false;  // a batch goes on without a message
      }
      f.name = b.to;
    }
    if (tried && lastOk) sidePath = CString(flist::JoinEntryPath(m_strCurDir.Str(), f.name));
    return;
  }
  if (marked.size() != 1) return;
  const int cur = m_state.m_nCurEntry;
  CString failed;
  failed.LoadString(IDS_RENAME_FAILED);
  if (m_nListSource != 0) {
    // The drive list: the label of the cursor row's drive.
    const std::string row = flist::GetNameRecord(m_table.m_pNameRecs, cur);
    const std::string drive = row.substr(0, 2);
    const std::u16string root = fw::ToWidePath((drive + "\\").c_str());
    const std::u16string label = fw::ToWidePath(f.name.c_str());
    if (drive.size() == 2 && ::SetVolumeLabelW(reinterpret_cast<LPCWSTR>(root.c_str()),
                                               reinterpret_cast<LPCWSTR>(label.c_str()))) {
      flist::StoreNameRecord(m_table.m_pNameRecs, cur, drive + " " + f.name);
      DrawEntryLines(1);
    } else {
      MessageBox(failed, "Rename", MB_OK);
      DrawEntryLines(1);
    }
    return;
  }
  if (ftpList) {
    // On a site: the shown name renamed in the listed folder through the
    // document's connection; a folder the server refuses renames nothing.
    // The new name is one name of that folder (a path would move the entry
    // out of it) and none the folder has: a server replaces a file under the
    // new name without a word, where a local rename is refused.
    fileops::FtpSite* site = fileops::g_pDocFileOps ? fileops::g_pDocFileOps->Ftp() : nullptr;
    bool refused = true;
    if (site) site->Map(m_strCurDir, 1, &refused);
    const std::string shown = flist::GetNameRecord(m_table.m_pNameRecs, cur);
    bool ok = site && !refused && docsvc::IsSafeFtpName(f.name);
    if (ok && f.name != shown) {
      bool taken = false;
      site->List([&](const fileops::FolderEntry& e) {
        taken = e.name == f.name;
        return !taken;
      });
      ok = !taken && site->RenameOnServer(CString(shown.c_str()), CString(f.name.c_str()));
    }
    if (!ok) {
      MessageBox(failed, "Rename", MB_OK);
      DrawEntryLines(1);
      return;
    }
    flist::StoreNameRecord(m_table.m_pNameRecs, cur, f.name);
    SetFrameTitle(CString(f.name));
    DrawEntryLines(1);
    return;
  }
  const std::string from = m_strCursorName.Str();
  const std::string to = flist::SingleRenameTarget(work, f.name);
  bool ok = !f.name.empty();
  // The name left as it was shown: only the status was to change, and a
  // stored (enciphered) name must not take its shown form.
  if (ok && f.name != flist::GetNameRecord(m_table.m_pNameRecs, cur)) {
    try {
      CFile::Rename(from.c_str(), to.c_str());
    } catch (const CFileException&) {
      ok = false;
    }
  }
  if (!ok) {
    MessageBox(failed, "Rename", MB_OK);
    DrawEntryLines(1);
    return;
  }
  flist::StoreNameRecord(m_table.m_pNameRecs, cur, f.name);
  SetFrameTitle(CString(f.name));
  DrawEntryLines(1);
  sidePath = CString(flist::JoinEntryPath(m_strCurDir.Str(), f.name));
}

void CFlistView::RenameRebuild() {
  app::DocHost* doc = GetDocument();
  // The rebuild must not start a media file the cursor lands on.
  auto& list = doc->ListFields();
  const std::uint32_t autoPlay = list.m_bAutoPlayMedia;
  list.m_bAutoPlayMedia = 0;
  auto& paths = doc->PathFields();
  if (m_nListFlag == 1) (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = m_strCurDir;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kRedrawAll;
  OnUpdate(nullptr, 0, nullptr);
  list.m_bAutoPlayMedia = autoPlay;
}
