// The document's display commands on a shown picture (zoom, flip, display
// style, fit width) and the reload that ends each of them, and the one-page
// PDF of a JPEG picture. Text views keep their own forms of these commands
// (app/dvkdoc_viewcmds.cpp); docs/image.md describes the picture forms.
#include <string>

#include "app/dvkdoc.h"
#include "core/docsvc/pathpart.h"
#include "export/pdf/jpeg_pdf.h"
#include "fw/app.h"
#include "fw/cmdui.h"
#include "fw/commondlg.h"
#include "fw/fwres.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "image/view/picture_commands.h"
#include "image/view/view_types.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr char kPdfFilter[] = "pdf|*.pdf|All|*.*|| ";

}  // namespace

bool CDvkDoc::ShowsPicture() {
  CDvkView* v = GetActiveTextView();
  return v && img::IsShownPictureKind(static_cast<int>(v->m_nFileKind)) && v->m_nSourceView == 0;
}

int CDvkDoc::ImageZoomLevel() const { return static_cast<int>(m_imageLoad.m_aImageSettings[img::word::nZoomLevel]); }

void CDvkDoc::ReloadDocument() {
  const CString path(img::PictureReloadPath(m_strShownImagePath.GetString(), ActivePath().GetString()).c_str());
  uint32_t* words = m_imageLoad.m_aImageSettings;
  if (img::IsShownPictureKind(m_nFileKind) && img::PictureOptionWordsClear(words, img::kImageWords))
    words[img::word::nEffectStyle] = 0;
  OpenFile(path, docopen::OpenMode::kPlain);
}

void CDvkDoc::ZoomPicture(int step) {
  uint32_t& level = m_imageLoad.m_aImageSettings[img::word::nZoomLevel];
  // An edited picture is zoomed from its edited pixels: reading the file
  // again would drop the edits.
  CDvkView* v = GetActiveTextView();
  if (v && v->PictureHoldsEdits()) {
    uint32_t& shown = v->m_image.m_aImageSettings[img::word::nZoomLevel];
    shown = static_cast<uint32_t>(img::StepPictureZoom(static_cast<int>(shown), step));
    level = shown;
    v->AllocImageBuffer();
    return;
  }
  level = static_cast<uint32_t>(img::StepPictureZoom(static_cast<int>(level), step));
  ReloadDocument();
}

void CDvkDoc::OnImageFlip() {
  if (!ShowsPicture()) return;
  uint32_t& flip = m_imageLoad.m_aImageSettings[img::word::bFlipH];
  flip = flip ? 0 : 1;
  ReloadDocument();
}

void CDvkDoc::OnUpdateFileSave(CCmdUI* ui) {
  if (ShowsPicture()) {
    ui->Enable(TRUE);
    return;
  }
  CRichEditDoc::OnUpdateFileSave(ui);
}

void CDvkDoc::OnUpdateImageFlip(CCmdUI* ui) {
  const bool picture = ShowsPicture();
  ui->Enable(picture);
  ui->SetCheck(picture && m_imageLoad.m_aImageSettings[img::word::bFlipH] ? 1 : 0);
}

void CDvkDoc::StylePicture() {
  uint32_t& style = m_imageLoad.m_aImageSettings[img::word::nEffectStyle];
  style = style ? 0 : 1;
  ReloadDocument();
}

void CDvkDoc::FitPictureWidth() {
  m_bSizeHigh = img::NextFitMode(m_bSizeHigh);
  // With Ctrl held a metafile is rendered again at the zoom's resolution.
  CDvkView* v = GetActiveTextView();
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (v && ctrl) v->m_bInternalKey = 1;
  ReloadDocument();
  if (v && ctrl) v->m_bInternalKey = 0;
}

app::DocHost::PdfWrite CDvkDoc::WriteJpegPdf(CString pdfPath, CString jpegPath, int width, int height) {
  uint64_t length = 0;
  const pdfexp::JpegPdfResult check = pdfexp::CheckJpegPdf(jpegPath.GetString(), width, height, &length);
  if (check != pdfexp::JpegPdfResult::kWritten) return PdfWrite::kRefused;
  if (pdfexp::JpegPdfNeedsDialog(pdfPath.GetString())) {
    const std::string proposal = pdfexp::ProposedPdfName(pdfPath.GetString());
    CFileDialog dlg(false, nullptr, proposal.c_str(), OFN_EXPLORER, kPdfFilter, AfxGetMainWnd());
    if (dlg.DoModal() != IDOK) return PdfWrite::kCancelled;
    pdfPath = dlg.GetPathName();
    if (pdfPath.IsEmpty()) return PdfWrite::kCancelled;
    if (ConfirmOverwrite(pdfPath) == 0) return PdfWrite::kCancelled;
  }
  if (pdfexp::WriteJpegPdfFile(pdfPath.GetString(), jpegPath.GetString(), width, height) !=
      pdfexp::JpegPdfResult::kWritten)
    return PdfWrite::kRefused;
  OpenFile(pdfPath, docopen::OpenMode::kShowAgain);
  ActivePath() = pdfPath;
  if (app::g_pFrameHost) app::g_pFrameHost->ActivateListPane(0, static_cast<int>(m_nActiveSide) - 1);
  RedrawAllViews();
  return PdfWrite::kWritten;
}

BOOL CDvkDoc::SaveModified() {
  CDvkView* v = ShowsPicture() ? GetActiveTextView() : nullptr;
  if (!v || !IsModified()) return CRichEditDoc::SaveModified();
  CString name = GetPathName().IsEmpty() ? GetTitle() : GetPathName();
  const int answer = AfxMessageBox(fw::FormatText(IDS_FW_ASK_TO_SAVE, name), MB_YESNOCANCEL | MB_ICONEXCLAMATION);
  if (answer == IDCANCEL) return FALSE;
  if (answer == IDYES) v->SavePictureOnQuestion(m_strCurFile);
  return TRUE;
}
