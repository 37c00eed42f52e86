// The file list's delete command: the walk of flistcore/deleteplan.h over
// the marked entries, with the pane's message boxes and the file-system
// primitives of the document's host.
#include <windows.h>

#include <string>

#include "core/fileops/fileprims.h"
#include "filelist/flistcore/deleteplan.h"
#include "filelist/flistview.h"
#include "fw/msgbox.h"
#include "res/resource.h"

namespace {

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

UINT BoxType(flist::DeleteButtons b) {
  switch (b) {
    case flist::DeleteButtons::kOk:
      return MB_OK;
    case flist::DeleteButtons::kOkCancel:
      return MB_OKCANCEL;
    case flist::DeleteButtons::kYesNoCancel:
      break;
  }
  return MB_YESNOCANCEL;
}

// The pane's side of the walk: its message boxes (captioned 165 or 168) and
// the primitives with the pane's FTP flag, each under the wait cursor.
class PaneDeleteSteps : public flist::DeleteSteps {
 public:
  PaneDeleteSteps(CFlistView& pane, fileops::FileOpsHost& host) : m_pane(pane), m_host(host) {}

  int Ask(flist::DeleteText text, flist::DeleteText caption, flist::DeleteButtons buttons, const std::string& name,
          int count) override {
    CString message;
    if (text == flist::DeleteText::kDeleteMarked) message.Format(LoadText(static_cast<unsigned>(text)).GetString(), count);
    else message.Format(LoadText(static_cast<unsigned>(text)).GetString(), name.c_str());
    const CString title = LoadText(static_cast<unsigned>(caption));
    return fw::ShowMessageBox(m_pane.m_hWnd, message, title, BoxType(buttons));
  }
  std::string EntryPath(int index) override { return m_pane.EntryPath(index).Str(); }
  int RemoveFolder(const std::string& path) override {
    Wait w;
    return fileops::RemoveFolder(m_host, path.c_str(), Ftp());
  }
  int RemoveFile(const std::string& path, int mode) override {
    Wait w;
    return fileops::RemoveFile(m_host, path.c_str(), mode, Ftp(), 0);
  }
  int DeleteTree(const std::string& path, int mode, int confirm, int quiet, int limit) override {
    Wait w;
    return fileops::DeleteDirectoryTree(m_host, path.c_str(), mode, confirm, quiet, Ftp(), limit);
  }

 private:
  struct Wait {
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    ~Wait() { ::SetCursor(old); }
  };
  int Ftp() const { return static_cast<int>(m_pane.m_bFtpList); }
  CFlistView& m_pane;
  fileops::FileOpsHost& m_host;
};

}  // namespace

void CFlistView::OnDelete() {
  // 1. Guards.
  const int cur = m_state.m_nCurEntry;
  if (cur < 0 || cur == 0 || m_nListSource == 1 || !m_table.m_pNameRecs) return;
  if (flist::GetNameRecord(m_table.m_pNameRecs, cur) == "..") return;
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  if (!host) return;
  m_state.m_delete.m_bAskNone = 0;
  // 2. The shown folder becomes the current directory (a bare drive gets
  // its "\" there). The walk's paths are absolute all the same.
  fileops::ChangeDirectory(host->Folders(), m_strCurDir.Str(), static_cast<int>(m_bFtpList), 0);
  // 3-7. The walk.
  PaneDeleteSteps steps(*this, *host);
  flist::RunDelete(m_table, m_state.m_delete, steps);
  // 8. The lines show what went; the list is not rebuilt and the marks stay.
  DrawEntryLines(1);
}
