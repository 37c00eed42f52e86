// The pane's folder changes: up, into a folder, the drive list, the drive
// commands; and the save question asked before the document's text goes.
#include <string>

#include "core/docsvc/filekind.h"
#include "filelist/flistcore/navplan.h"
#include "filelist/flistview.h"

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
    m_bNetworkList = 0;
  }
  // The folder changes whatever the answer; only the text stays on Cancel.
  const bool dropText = ConfirmReplaceDocument();
  m_strPrevDir = m_strCurDir;
  const flist::FolderStep step = flist::LocalFolderStep(Str(m_strCurDir), Str(path), mode);
  m_strCurDir = step.dir.c_str();
  ClearMarks(0);
  app::DocUpdateFields& up = doc->UpdateFields();
  if (step.result > 1) {
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
  if (step.result <= 1) ShowDriveList();
}

void CFlistView::OnDrive(const char* letter) {
  m_strCurDir = letter;
  SelectDrive();
}

void CFlistView::SelectDrive() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  m_bNetworkList = 0;
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2).Empty();
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  m_nListSource = 0;
  ClearMarks(1);
  OnUpdate(nullptr, 0, nullptr);
}
