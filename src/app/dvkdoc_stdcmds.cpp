// The document's side of the standard commands: New, Save, Save As, the
// save question's "modified", the path the framework records, and the save
// dialog with its forms. The framework (fw/docview, fw/app) runs the commands;
// these members supply what this document means by them.
#include <cstring>

#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"
#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "host/frame_host.h"
#include "image/view/save_plan.h"
#include "fw/alloc.h"
#include "fw/app.h"
#include "fw/commondlg.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

// Room after an empty text, as after a loaded one.
constexpr std::uint32_t kEmptyTextCapacity = 1 + 100000;

bool IsFolder(const CString& path) {
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

BOOL CDvkDoc::OnNewDocument() {
  CDvkApp* app = DvkApp();
  if (!app || !app->StartDone()) {
    // The start-up's empty document: the frame is just being made and the
    // fields hold their start values.
    SetModifiedFlag(FALSE);
    return TRUE;
  }
  char* text = static_cast<char*>(fw::Alloc(kEmptyTextCapacity));
  if (!text) return FALSE;
  text[0] = '\0';
  fw::Free(m_pText);
  m_pText = text;
  m_nTextLen = 0;
  m_nTextCapacity = kEmptyTextCapacity;
  m_nReadPos = 0;
  m_nStreamLen = 0;
  m_nReadEnd = 0;
  m_bFileCut = 0;
  m_openEncoding = textcodec::DecodeResult();
  m_nOpenReplaced = 0;
  m_strRenderedFrom.Empty();
  m_strPathName.Empty();
  m_strDocPath.Empty();
  m_strCurFile.Empty();
  ActivePath().Empty();
  m_strDocName.Empty();
  m_strDocBaseName.Empty();
  m_nFileKind = docsvc::kKindText;
  m_tOpenedFileTime = 0;
  m_nUpdateCode = app::UpdateCode::kContent;
  m_nLoadState = 1;
  SetTitle(fw::LoadText(IDS_FW_UNTITLED));
  SetModifiedFlag(FALSE);
  ClearViewsModified();
  UpdateAllViews(nullptr, 0, nullptr);
  // A status line said of the previous document goes with it.
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, "");
  return TRUE;
}

BOOL CDvkDoc::OnSaveDocument(const char* path) {
  const app::SaveForm form = m_bNextSaveFormChosen ? m_nNextSaveForm : app::SaveForm::kText;
  const bool chosen = m_bNextSaveFormChosen;
  m_bNextSaveFormChosen = false;
  // Save As keeps the document's encoding for a text or a table.
  m_bSaveInOpenEncoding = chosen && form != app::SaveForm::kRichText;
  int r;
  if (CDvkView* v = GetActiveTextView()) {
    r = v->WriteDocument(path, form == app::SaveForm::kRichText ? docsvc::kKindRichText : 0, 0);
  } else {
    r = SaveFile(path, 0, nullptr, form == app::SaveForm::kRichText ? docsvc::kKindRichText : 0);
  }
  m_bSaveInOpenEncoding = false;
  if (r != 0) return FALSE;  // reported; the document keeps its edit mark
  SetModifiedFlag(FALSE);
  ClearViewsModified();
  return TRUE;
}

BOOL CDvkDoc::IsModified() {
  if (m_bModified) return TRUE;
  for (CView* v : Views()) {
    CDvkView* t = dynamic_cast<CDvkView*>(v);
    if (t && t->m_hWnd && t->GetRichEditCtrl().GetModify()) return TRUE;
  }
  return FALSE;
}

void CDvkDoc::DiscardEdits() {
  SetModifiedFlag(FALSE);
  ClearViewsModified();
}

void CDvkDoc::ClearViewsModified() {
  for (CView* v : Views()) {
    CDvkView* t = dynamic_cast<CDvkView*>(v);
    if (t && t->m_hWnd) t->GetRichEditCtrl().SetModify(FALSE);
  }
}

void CDvkDoc::SetPathName(const char* path, BOOL addToMRU) {
  CString p(path);
  p.TrimLeft();
  p.TrimRight();
  if (p.GetLength() >= 2 && p[0] == '"' && p[p.GetLength() - 1] == '"') p = p.Mid(1, p.GetLength() - 2);
  int tab = p.Find('\t');
  if (tab >= 0) p = p.Left(tab);
  if (p.IsEmpty() || IsPseudoName(p)) {
    m_strPathName.Empty();
    return;
  }
  CRichEditDoc::SetPathName(p, addToMRU);
}

CString CDvkDoc::OpenDialogFolder() const {
  CString folder(fw::FolderOfPath(m_strCurFile.GetString()).c_str());
  if (!folder.IsEmpty() && IsFolder(folder)) return folder;
  const CString& list = m_nActiveListSide == 2 ? m_strListDir2 : m_strListDir1;
  if (!list.IsEmpty() && IsFolder(list)) return list;
  return CString();
}

docopen::SaveNamePlan CDvkDoc::SaveNamePlan() const {
  // A decoded source form saves back into the form, not into its work file.
  if (!m_strSourceMarkedPath.IsEmpty() && docopen::SamePath(m_strCurFile.Str(), m_strSourceWorkFile.Str()))
    return docopen::PlanSaveName(m_strSourceMarkedPath.GetString(), m_strRenderedFrom.GetString());
  return docopen::PlanSaveName(m_strCurFile.GetString(), m_strRenderedFrom.GetString());
}

BOOL CDvkDoc::DoFileSave() {
  // 画像保存: a shown picture goes back into its own file without a dialog
  // (the pane shows the picture itself, no text rendered from it). The file
  // is encoded again from the shown pixels (zoom, turn and colour settings
  // included), so it never comes back byte for byte: the user is asked first.
  if (ShowsPicture()) {
    CDvkView* v = GetActiveTextView();
    if (v && !v->m_image.m_strImagePath.IsEmpty()) {
      const CString path = v->m_image.m_strImagePath;
      if (!img::WritesOwnForm(static_cast<int>(GetFileKind(path)))) {
        v->SaveImageAsCmd();
        return FALSE;
      }
      if (AfxMessageBox(fw::FormatText(IDS_PICTURE_REWRITE, path), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return FALSE;
      return DoSave(path);
    }
  }
  // Save writes to the document's save name; without one (untitled, or a
  // text made from its file by a renderer) it is Save As.
  const docopen::SaveNamePlan plan = SaveNamePlan();
  return DoSave(plan.saveName.empty() ? nullptr : plan.saveName.c_str());
}

BOOL CDvkDoc::PromptSaveName(CString& path) {
  // Save As on a shown picture is the picture's own save dialog (every
  // picture form and the one-page PDF), which writes the file itself.
  if (ShowsPicture()) {
    if (CDvkView* v = GetActiveTextView()) v->SaveImageAsCmd();
    return FALSE;
  }
  CString filter = fw::LoadText(IDS_SAVE_FILTER);
  const docopen::SaveNamePlan plan = SaveNamePlan();
  CString proposal = plan.proposal.empty() ? path : CString(plan.proposal.c_str());
  CFileDialog dlg(false, nullptr, proposal, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, filter, AfxGetMainWnd());
  dlg.m_ofn.nFilterIndex = static_cast<DWORD>(app::FilterIndexForKind(m_nFileKind));
  CString folder = OpenDialogFolder();
  if (!folder.IsEmpty()) dlg.SetInitialFolder(folder);
  if (dlg.DoModal() != IDOK) return FALSE;
  app::SaveChoice c = app::ResolveSaveChoice(dlg.GetPathName().GetString(), static_cast<int>(dlg.m_ofn.nFilterIndex));
  CString target(c.path.c_str());
  // An existing file is replaced only when the user agrees; saving over the
  // document's save name needs no question (a rendered text has none).
  if (docopen::AsksBeforeOverwrite(plan, target.GetString()) && ConfirmOverwrite(target) != 1) return FALSE;
  path = target;
  m_nNextSaveForm = c.form;
  m_bNextSaveFormChosen = true;
  return TRUE;
}
