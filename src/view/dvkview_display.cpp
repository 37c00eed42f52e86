// Text-view services: zoom (size index 1-11 of the shown kind, font height
// (index * 3 + 9) * 10 twips), wrap to the window, the display font and the
// background colour. The size rules are viewcore's (viewcore/viewsize.h),
// the colour table viewui's (viewui/backcolor.h).
#include <cstring>
#include <string>

#include "host/doc_host.h"
#include "fw/commondlg.h"
#include "view/dvkview.h"
#include "view/viewcore/viewsize.h"
#include "view/viewui/backcolor.h"
#include "view/viewui/displayfont.h"

namespace {

// Size index of a font size in tenths of a point: height = (i * 3 + 9) * 10
// twips = 2 * points.
int SizeIndexOfPoints10(int points10) {
  int twips = points10 * 2;
  int i = (twips / 10 - 9 + 1) / 3;  // nearest
  return viewcore::ClampSizeIndex(i);
}

// The face the view shows for the setting (profnt or tblfnt): a vertical or
// empty face, left by an older version or typed in the settings, shows the
// setting's default.
std::string ShownFace(const app::DocHost& doc, const CString& stored, bool table) {
  return viewui::DisplayFace(stored.GetString(), doc.InfDefault(table ? "tblfnt" : "profnt").GetString());
}

struct ListedFace {
  const char* face;
  bool found;
};

int CALLBACK NoteListedFace(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM data) {
  ListedFace* l = reinterpret_cast<ListedFace*>(data);
  if (lstrcmpiA(lf->lfFaceName, l->face) != 0) return 1;
  l->found = true;
  return 0;
}

// Whether the font dialog lists `face`: an installed family of that name.
// A name the system only maps to another font enumerates nothing.
bool FaceIsListed(HDC dc, const std::string& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTA q = {};
  q.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(q.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  ListedFace l{face.c_str(), false};
  EnumFontFamiliesExA(dc, &q, NoteListedFace, reinterpret_cast<LPARAM>(&l), 0);
  return l.found;
}

// The face the system draws `lf` with.
std::string DrawnFace(HDC dc, const LOGFONTA& lf) {
  HFONT font = CreateFontIndirectA(&lf);
  if (!font) return std::string();
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  DeleteObject(font);
  return face;
}

}  // namespace

void CDvkView::ApplyDisplayFont() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  app::DocSettingsFields& set = doc->SettingsFields();
  viewcore::SizeIndexes sizes{set.m_nTxtsiz, set.m_nTblsiz};
  const int kind = static_cast<int>(m_nFileKind);
  const int form = static_cast<int>(m_nSourceView);
  const bool table = viewcore::UsesTableSize(kind, form);
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET;
  cf.yHeight = viewcore::DisplayFontHeightTwips(sizes, kind, form);
  cf.bCharSet = SHIFTJIS_CHARSET;
  const std::string face = ShownFace(*doc, table ? set.m_strTblfnt : set.m_strProfnt, table);
  std::strncpy(cf.szFaceName, face.c_str(), LF_FACESIZE - 1);
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // The whole text takes the size; the modified flag is not the user's edit.
  const BOOL modified = ctrl.GetModify();
  ctrl.SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
  ctrl.SendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
  ctrl.SetModify(modified);
  m_nTxtsizCopy = set.m_nTxtsiz;
  m_nTblsizCopy = set.m_nTblsiz;
}

void CDvkView::ZoomView(int step) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  viewcore::SizeIndexes sizes{doc->SettingsFields().m_nTxtsiz, doc->SettingsFields().m_nTblsiz};
  if (!viewcore::ZoomStep(sizes, static_cast<int>(m_nFileKind), static_cast<int>(m_nSourceView), step)) return;
  doc->SettingsFields().m_nTxtsiz = sizes.text;
  doc->SettingsFields().m_nTblsiz = sizes.table;
  ApplyDisplayFont();
}

void CDvkView::ToggleWrap() {
  m_bWrapped = !m_bWrapped;
  // Line width 0 wraps at the window; 1 (with no device) does not wrap.
  GetRichEditCtrl().SendMessage(EM_SETTARGETDEVICE, 0, m_bWrapped ? 0 : 1);
  m_nWordWrap = m_bWrapped ? WrapToWindow : WrapNone;
}

void CDvkView::ChooseDisplayFont() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const int kind = static_cast<int>(m_nFileKind);
  const bool table = viewcore::UsesTableSize(kind, static_cast<int>(m_nSourceView));
  app::DocSettingsFields& set = doc->SettingsFields();
  CString& face = table ? set.m_strTblfnt : set.m_strProfnt;
  std::int32_t& size = table ? set.m_nTblsiz : set.m_nTxtsiz;
  // The face the pane's text is set in, as the control holds it.
  std::string paneFace = ShownFace(*doc, face, table);
  if (m_hWnd) {
    CHARFORMAT2A cur = {};
    cur.cbSize = sizeof cur;
    GetRichEditCtrl().SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cur));
    if ((cur.dwMask & CFM_FACE) && cur.szFaceName[0]) paneFace = cur.szFaceName;
  }
  LOGFONTA lf = {};
  std::strncpy(lf.lfFaceName, paneFace.c_str(), LF_FACESIZE - 1);
  lf.lfCharSet = SHIFTJIS_CHARSET;
  HDC screen = ::GetDC(nullptr);
  lf.lfHeight = -MulDiv(viewcore::FontHeightTwips(size), GetDeviceCaps(screen, LOGPIXELSY), 1440);
  const viewui::FontDialogPlan plan = viewui::PlanFontDialog(paneFace, FaceIsListed(screen, paneFace), DrawnFace(screen, lf));
  ::ReleaseDC(nullptr, screen);
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  std::strncpy(lf.lfFaceName, plan.face.c_str(), LF_FACESIZE - 1);
  const DWORD flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | (plan.verticalFaces ? 0 : CF_NOVERTFONTS);
  CFontDialog dlg(&lf, flags, nullptr, this);
  if (dlg.DoModal() != IDOK) return;
  const std::string store = viewui::FaceToStore(plan, paneFace, dlg.GetFaceName().GetString());
  if (!store.empty()) face = store.c_str();
  if (dlg.GetSize() > 0) size = SizeIndexOfPoints10(dlg.GetSize());
  ApplyDisplayFont();
  // The choice is a setting: "Dorvik.inf" (a failure is reported there).
  doc->SaveInfSettings();
}

void CDvkView::CycleBackgroundColor(int n) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  doc->SettingsFields().m_nBackColorIndex = viewui::StepBackColor(doc->SettingsFields().m_nBackColorIndex, n);
  ApplyBackColor();
}

void CDvkView::ApplyBackColor() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  const COLORREF c = viewui::BackColorOf(doc->SettingsFields().m_nBackColorIndex);
  GetRichEditCtrl().SetBackgroundColor(FALSE, c);
  doc->SettingsFields().m_clrTextBack = c;
  m_clrViewBack = c;
  m_bBackColorSet = true;
}
