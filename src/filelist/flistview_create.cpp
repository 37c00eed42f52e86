// The file list's new file and new folder commands: the name asked through
// the document's input dialog, the file or folder made in the shown folder,
// the rebuild with the cursor on it (the side's path names it) and, for a
// file, its open.
#include <windows.h>

#include <string>

#include "core/docsvc/ftppath.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistcore/navplan.h"
#include "filelist/flistcore/newentry.h"
#include "filelist/flistview.h"
#include "fw/msgbox.h"
#include "res/resource.h"

namespace {

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

// folder + "\" + name, with one separator (a Shift-JIS trail byte 0x5C at
// the folder's end is no separator).
CString JoinPath(const CString& folder, const CString& name) {
  const std::string& f = folder.Str();
  const bool ends = !f.empty() && flist::LastBackslash(f) == static_cast<int>(f.size()) - 1;
  return ends ? folder + name : folder + "\\" + name;
}

}  // namespace

bool CFlistView::AskNewEntryName(unsigned promptId, CString* text) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_table.m_pNameRecs || !fileops::g_pDocFileOps) return false;
  // 1. No cursor entry, or the drive list: nothing.
  const int cur = m_state.m_nCurEntry;
  if (cur < 0 || cur >= m_table.m_nCapacity || m_nListSource == 1) return false;
  // 2. The input starts with the cursor entry's name ("" on "..").
  const std::string name = flist::GetNameRecord(m_table.m_pNameRecs, cur);
  m_strCursorName = name.c_str();
  *text = flist::NewEntryPreset(name).c_str();
  if (!doc->InputText(LoadText(promptId), text, CString())) return false;
  // 3. The shown folder becomes the current directory.
  fileops::ChangeDirectory(fileops::g_pDocFileOps->Folders(), m_strCurDir.Str(), static_cast<int>(m_bFtpList), 0);
  return true;
}

void CFlistView::OnNewFile() {
  CString text;
  if (!AskNewEntryName(IDS_NEW_FILE_NAME, &text)) return;
  app::DocHost* doc = GetDocument();
  // The stored form of a name typed in the enciphered display form.
  const CString name = doc->TranslateEncryptedFileName(text, 0);
  m_strCursorName = name;
  if (name.IsEmpty()) return;  // nothing typed, or a name the key cannot encipher (after its message)
  if (m_bFtpList) {
    NewFileOnSite(name);
    return;
  }
  const CString path = JoinPath(m_strCurDir, name);
  const flist::NewFileResult made =
      flist::MakeNewFile(*fileops::g_pDocFileOps, path, [&] { return doc->ConfirmOverwrite(path) != 0; });
  // The user kept the existing file: nothing changed, nothing to show.
  if (made == flist::NewFileResult::kKept) return;
  const bool made_ok = made == flist::NewFileResult::kCreated || made == flist::NewFileResult::kEmptied;
  // The document's text goes only after the save question; Cancel keeps it
  // and the side's path that names it.
  const bool open = made_ok && ConfirmReplaceDocument();
  app::DocPathFields& paths = doc->PathFields();
  if (open) (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = path;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kAfterMouse;
  m_bRelist2 = 1;
  OnUpdate(nullptr, 0, nullptr);
  if (open) doc->OpenFile(path, docopen::OpenMode::kPlain);
}

void CFlistView::OnNewFolder() {
  CString name;
  if (!AskNewEntryName(IDS_NEW_FOLDER_NAME, &name)) return;
  app::DocHost* doc = GetDocument();
  m_strCursorName = name;
  if (name.IsEmpty()) return;
  fileops::MakeFolder(*fileops::g_pDocFileOps, JoinPath(m_strCurDir, name), static_cast<int>(m_bFtpList));
  // The side's path is the bare folder name: the rebuild puts the cursor on
  // it and stays in the shown folder.
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kAfterMouse;
  m_bRelist2 = 1;
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = name;
  OnUpdate(nullptr, 0, nullptr);
}

void CFlistView::NewFileOnSite(const CString& name) {
  app::DocHost* doc = GetDocument();
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  fileops::FtpSite* site = host ? host->Ftp() : nullptr;
  if (!site) return;
  // The scratch copy takes only the last component of the typed name, with
  // the scratch-name rules, so it always stays in "\TMP".
  const CString scratch = docsvc::FtpScratchName(name);
  bool refused = true;
  site->Map(m_strCurDir, 1, &refused);
  // The name as the server will take it: one safe component.
  const std::string server = name.Str();
  bool ok = !scratch.IsEmpty() && !refused && docsvc::IsSafeFtpName(server);
  if (ok) {
    bool exists = false;
    site->List([&](const fileops::FolderEntry& e) {
      if (e.name == server) exists = true;
      return !exists;
    });
    if (exists) {
      // An existing server file is replaced only after the question.
      CString q;
      q.Format(IDS_OVERWRITE_QUERY, name.GetString());
      if (AfxMessageBox(q, MB_OKCANCEL) != IDOK) return;
      site->Map(m_strCurDir, 1, &refused);
      ok = !refused;
    }
  }
  if (ok) {
    const CString local = host->ProgramDir() + "\\TMP\\" + scratch;
    HANDLE h = ::CreateFileA(local, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok = h != INVALID_HANDLE_VALUE;
    if (ok) ::CloseHandle(h);
    ok = ok && site->PutServerFile(local, name);
  }
  MessageBox(ok ? CString() : LoadText(IDS_CANNOT_CREATE), LoadText(IDS_NEW_FILE), MB_OK);
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kAfterMouse;
  m_bRelist2 = 1;
  OnUpdate(nullptr, 0, nullptr);
}
