// The pane's folder changes: up, into a folder, the drive list, the drive
// commands; and the save question asked before the document's text goes.
// Changes that involve the network are planned by flist::PlanNetworkMove
// and entered in flistview_network.cpp.
#include <string>

#include "core/docsvc/filekind.h"
#include "core/docsvc/ftppath.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistcore/navplan.h"
#include "filelist/flistview.h"
#include "fw/cmdui.h"

namespace {

std::string Str(const CString& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

}  // namespace

bool CFlistView::ConfirmReplaceDocument() {
  app::DocHost* doc = GetDocument();
  if (!doc) return true;
  CDocument* d = doc->AsDocument();
  if (!d || !d->IsModified()) return true;
  // Yes saves (FALSE when the save failed or its name was refused), No
  // leaves the edits, Cancel stops.
  if (!d->SaveModified()) return false;
  doc->DiscardEdits();
  return true;
}

void CFlistView::GoToParentFolder() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = m_strCurDir;
  m_nListFlag = 0;
  GoToFolder(m_strCurDir, 0);
  ScrollToCursor();
}

void CFlistView::GoToFolder(const CString& path, int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  if (path.IsEmpty()) {
    if (mode != 2) return;
    m_strCurDir.Empty();
  }
  if (mode == 2) LeaveNetwork();
  // Network levels, UNC server roots and "NW:" (flistview_network.cpp); a
  // folder outside them leaves the levels for the local steps.
  const flist::NetMove net =
      mode == 2 ? flist::NetMove() : flist::PlanNetworkMove(m_netLevels, m_bNetworkList != 0, Str(m_strCurDir), Str(path), mode);
  if (net.kind == flist::NetMove::Kind::kNone && m_bNetworkList) {
    m_bNetworkList = 0;
    m_nNetListedDepth = -1;
  }
  // The folder changes whatever the answer; only the text stays on Cancel.
  const bool dropText = ConfirmReplaceDocument();
  m_strPrevDir = m_strCurDir;
  bool rebuild;
  if (net.kind != flist::NetMove::Kind::kNone) {
    EnterNetworkMove(net);
    rebuild = net.kind != flist::NetMove::Kind::kDriveList;
    // A network level names no file of the side.
    app::DocPathFields& paths = doc->PathFields();
    if (dropText) (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2).Empty();
  } else {
    const flist::FolderStep step = flist::LocalFolderStep(Str(m_strCurDir), Str(path), mode);
    m_strCurDir = step.dir.c_str();
    rebuild = step.result > 1;
  }
  ClearMarks(0);
  app::DocUpdateFields& up = doc->UpdateFields();
  if (rebuild) {
    m_bRelist = 1;
    m_bRelist2 = 1;
    up.m_nUpdateCode = app::UpdateCode::kFolderChanged;
    OnUpdate(nullptr, 0, nullptr);
  }
  if (dropText) {
    app::DocTextFields& text = doc->TextFields();
    if (text.m_pText) text.m_pText[0] = '\0';
    text.m_nTextLen = 0;
    up.m_nUpdateCode = app::UpdateCode::kContent;
    if (up.m_nFileKind == docsvc::kKindCsv) up.m_nFileKind = docsvc::kKindText;
    doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  }
  if (!rebuild) ShowDriveList();
}

void CFlistView::OnDrive(const char* letter) {
  m_strCurDir = letter;
  SelectDrive();
}

void CFlistView::SelectDrive() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  LeaveNetwork();
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2).Empty();
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  m_nListSource = 0;
  ClearMarks(1);
  OnUpdate(nullptr, 0, nullptr);
}

// --- List menu: Back, Forward, sorts ------------------------------------------

void CFlistView::OnBack() { GoToParentFolder(); }

void CFlistView::OnForward() {
  // The double-click handler with no flags takes the cursor entry instead of
  // the entry under the point.
  if (m_hWnd) SendMessage(WM_LBUTTONDBLCLK, 0, 0);
}

namespace {

void ApplySort(CFlistView* v, flist::SortCommand command) {
  app::DocHost* doc = v->GetDocument();
  if (!doc) return;
  const flist::SortStep step = flist::NextSortMode(command, v->m_state.m_nSortMode);
  v->m_state.m_nSortMode = step.mode;
  v->ClearMarks(step.clearMarks);
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  v->OnUpdate(nullptr, 0, nullptr);
}

}  // namespace

void CFlistView::OnSortSize() { ApplySort(this, flist::SortCommand::kSize); }
void CFlistView::OnSortDate() { ApplySort(this, flist::SortCommand::kDate); }
void CFlistView::OnSortName() { ApplySort(this, flist::SortCommand::kName); }
void CFlistView::OnSortExt() { ApplySort(this, flist::SortCommand::kExt); }

void CFlistView::OnUpdateFolderListed(CCmdUI* ui) { ui->Enable(m_nListSource == 0); }

// --- Drive menu ---------------------------------------------------------------

void CFlistView::OnDriveA() { OnDrive("A:"); }
void CFlistView::OnDriveC() { OnDrive("C:"); }
void CFlistView::OnDriveD() { OnDrive("D:"); }
void CFlistView::OnDriveE() { OnDrive("E:"); }
void CFlistView::OnDriveF() { OnDrive("F:"); }
void CFlistView::OnDriveG() { OnDrive("G:"); }
void CFlistView::OnDriveH() { OnDrive("H:"); }

void CFlistView::OnUpdateDrive(CCmdUI* ui, char letter) {
  // The drive is looked up, never made current: a menu refresh must not move
  // the process's current drive.
  const char root[4] = {letter, ':', '\\', 0};
  const bool hasRoot = ::GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
  ui->Enable(flist::DriveCommandEnabled(letter, ::GetLogicalDrives(), hasRoot));
}

void CFlistView::OnFtpSite(int n) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  if (fileops::FtpSite* site = fileops::g_pDocFileOps ? fileops::g_pDocFileOps->Ftp() : nullptr)
    if (site->Connected()) site->Close();
  const CString entry = doc->SystemFields().FtpEntry(n - 1);
  if (!docsvc::IsFtpSiteEntry(entry)) return;
  m_strCurDir = entry.Left(1) + ":";
  SelectDrive();
}

void CFlistView::OnFtp1() { OnFtpSite(1); }
void CFlistView::OnFtp2() { OnFtpSite(2); }
void CFlistView::OnFtp3() { OnFtpSite(3); }

namespace {
void EnableFtpSite(CFlistView* v, CCmdUI* ui, int n) {
  app::DocHost* doc = v->GetDocument();
  ui->Enable(doc && docsvc::IsFtpSiteEntry(doc->SystemFields().FtpEntry(n - 1)));
}
}  // namespace

void CFlistView::OnUpdateFtp1(CCmdUI* ui) { EnableFtpSite(this, ui, 1); }
void CFlistView::OnUpdateFtp2(CCmdUI* ui) { EnableFtpSite(this, ui, 2); }
void CFlistView::OnUpdateFtp3(CCmdUI* ui) { EnableFtpSite(this, ui, 3); }

void CFlistView::OnUpdateDriveD(CCmdUI* ui) { OnUpdateDrive(ui, 'D'); }
void CFlistView::OnUpdateDriveE(CCmdUI* ui) { OnUpdateDrive(ui, 'E'); }
void CFlistView::OnUpdateDriveF(CCmdUI* ui) { OnUpdateDrive(ui, 'F'); }
void CFlistView::OnUpdateDriveG(CCmdUI* ui) { OnUpdateDrive(ui, 'G'); }
void CFlistView::OnUpdateDriveH(CCmdUI* ui) { OnUpdateDrive(ui, 'H'); }
