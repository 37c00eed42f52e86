// Text-view services: printing through the framework's print path
// (OnPreparePrinting -> OnBeginPrinting -> OnPrint per page ->
// OnEndPrinting), the page layout with EM_FORMATRANGE inside the four
// margins, and the margins themselves (view/viewui/printsetup.h).
//
// Without an installed printer print and preview say so and do nothing else.
// Preview lays the pages out on the printer and shows their count; a preview
// window is not part of this program yet.
#include "host/doc_host.h"
#include "fw/commondlg.h"
#include "view/dvkview.h"
#include "view/viewui/printsetup.h"

namespace {

const char kNoPrinterText[] = "プリンタがインストールされていません。\n印刷できません。";
const char kPreviewText[] = "印刷プレビュー  %d ページ";
const char kPrintFailedText[] = "印刷できませんでした。";

// Physical page of a DC in twips.
void PageTwips(HDC dc, int* w, int* h) {
  int px = GetDeviceCaps(dc, LOGPIXELSX), py = GetDeviceCaps(dc, LOGPIXELSY);
  int pw = GetDeviceCaps(dc, PHYSICALWIDTH), ph = GetDeviceCaps(dc, PHYSICALHEIGHT);
  if (pw <= 0) pw = GetDeviceCaps(dc, HORZRES);
  if (ph <= 0) ph = GetDeviceCaps(dc, VERTRES);
  *w = px > 0 ? MulDiv(pw, 1440, px) : viewui::kA4WidthTwips;
  *h = py > 0 ? MulDiv(ph, 1440, py) : viewui::kA4HeightTwips;
}

}  // namespace

bool CDvkView::PrinterInstalled() {
  CPrintDialog pd(false);
  return pd.GetDefaults();
}

void CDvkView::InitPrintMargins() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  viewui::FillUnsetMargins(m_nPageMargin, doc->SettingsFields().m_nPrspace);
}

int CDvkView::LayoutPrintPages(HDC dc, int pageW, int pageH) {
  m_aPrintPageStarts.clear();
  app::DocHost* doc = GetDocument();
  HDC own = nullptr;
  if (!dc) {
    // The default printer's page, or A4 on a memory DC without a printer.
    CPrintDialog pd(false);
    if (pd.GetDefaults()) own = pd.CreatePrinterDC();
    if (own) {
      PageTwips(own, &pageW, &pageH);
    } else {
      own = CreateCompatibleDC(nullptr);
      pageW = viewui::kA4WidthTwips;
      pageH = viewui::kA4HeightTwips;
    }
    dc = own;
  } else if (pageW <= 0 || pageH <= 0) {
    PageTwips(dc, &pageW, &pageH);
  }
  if (!dc) return 0;
  // Unset margins count as the settings give them, without storing them.
  std::int32_t margins[4] = {m_nPageMargin[0], m_nPageMargin[1], m_nPageMargin[2], m_nPageMargin[3]};
  if (doc) viewui::FillUnsetMargins(margins, doc->SettingsFields().m_nPrspace);
  const viewui::TwipsRect r = viewui::PageDrawRect(pageW, pageH, margins);

  CRichEditCtrl& ctrl = GetRichEditCtrl();
  GETTEXTLENGTHEX gl = {};
  gl.flags = GTL_NUMCHARS | GTL_PRECISE;
  gl.codepage = 932;
  const long len = static_cast<long>(ctrl.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
  long start = m_nPrintFromChar > 0 && m_nPrintFromChar < len ? m_nPrintFromChar : 0;
  FORMATRANGE fr = {};
  fr.hdc = dc;
  fr.hdcTarget = dc;
  fr.rcPage = {0, 0, pageW, pageH};
  while (start < len && r.right > r.left && r.bottom > r.top) {
    fr.rc = {r.left, r.top, r.right, r.bottom};
    fr.chrg.cpMin = start;
    fr.chrg.cpMax = -1;
    long next = ctrl.FormatRange(&fr, FALSE);
    if (next <= start) {
      // The control laid out nothing (no room, or no layout at all).
      m_aPrintPageStarts.clear();
      break;
    }
    m_aPrintPageStarts.push_back(start);
    start = next;
  }
  ctrl.FormatRange(nullptr, FALSE);  // frees the control's layout cache
  if (own) DeleteDC(own);
  return static_cast<int>(m_aPrintPageStarts.size());
}

bool CDvkView::OnPreparePrinting(view::PrintInfo* info) {
  CPrintDialog dlg(false);
  if (info->preview) {
    if (!dlg.GetDefaults()) return false;
  } else if (dlg.DoModal() != IDOK) {
    return false;
  }
  info->dc = dlg.CreatePrinterDC();
  if (!info->dc) return false;
  PageTwips(info->dc, &info->pageWidthTwips, &info->pageHeightTwips);
  if (dlg.PrintRange()) {
    info->fromPage = dlg.GetFromPage();
    info->toPage = dlg.GetToPage();
  }
  return true;
}

void CDvkView::OnBeginPrinting(HDC dc, view::PrintInfo* info) {
  // Pictures print through the image canvas; everything else as text.
  m_nPageViewState = m_image.m_nShapeKind > 50 ? 1 : 4;
  info->maxPage = LayoutPrintPages(dc, info->pageWidthTwips, info->pageHeightTwips);
}

void CDvkView::OnPrint(HDC dc, view::PrintInfo* info) {
  const int i = info->curPage - 1;
  if (i < 0 || i >= static_cast<int>(m_aPrintPageStarts.size())) {
    info->continuePrinting = false;
    return;
  }
  app::DocHost* doc = GetDocument();
  std::int32_t margins[4] = {m_nPageMargin[0], m_nPageMargin[1], m_nPageMargin[2], m_nPageMargin[3]};
  if (doc) viewui::FillUnsetMargins(margins, doc->SettingsFields().m_nPrspace);
  const viewui::TwipsRect r = viewui::PageDrawRect(info->pageWidthTwips, info->pageHeightTwips, margins);
  FORMATRANGE fr = {};
  fr.hdc = dc;
  fr.hdcTarget = dc;
  fr.rcPage = {0, 0, info->pageWidthTwips, info->pageHeightTwips};
  fr.rc = {r.left, r.top, r.right, r.bottom};
  fr.chrg.cpMin = m_aPrintPageStarts[static_cast<std::size_t>(i)];
  fr.chrg.cpMax = i + 1 < static_cast<int>(m_aPrintPageStarts.size())
                      ? m_aPrintPageStarts[static_cast<std::size_t>(i) + 1]
                      : -1;
  GetRichEditCtrl().FormatRange(&fr, TRUE);
  // A rich text with placed pictures prints them over its page: the slots
  // were taken with the text at its top, so the page's own start is taken
  // off and its margins put on, at the printer's resolution.
  if (m_image.m_nShapeKind > 50) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    const int lx = ::GetDeviceCaps(dc, LOGPIXELSX), ly = ::GetDeviceCaps(dc, LOGPIXELSY);
    const long start = fr.chrg.cpMin;
    const long end = fr.chrg.cpMax < 0 ? ctrl.GetTextLength() : fr.chrg.cpMax;
    const int top0 = ctrl.PosFromChar(0).y;
    const int startY = ctrl.PosFromChar(start).y - top0;
    const int endY = ctrl.PosFromChar(end).y - top0;
    const int offsetX = ::MulDiv(r.left, lx, 1440);
    const int offsetY = ::MulDiv(r.top, ly, 1440) - ::MulDiv(startY, ly, 96);
    const int limitY = end > start ? ::MulDiv(endY, ly, 96) : 0;
    RenderImageCanvas(4, dc, offsetX, offsetY, limitY);
  }
}

void CDvkView::OnEndPrinting(HDC dc, view::PrintInfo* info) {
  (void)info;
  GetRichEditCtrl().FormatRange(nullptr, FALSE);
  m_nPageViewState = 0;
  m_nPrintFromChar = 0;
  if (dc) DeleteDC(dc);
}

void CDvkView::OnFilePrint() {
  if (!PrinterInstalled()) {
    ReportMessage(2, kNoPrinterText);
    return;
  }
  view::PrintInfo info;
  if (!OnPreparePrinting(&info)) return;
  OnBeginPrinting(info.dc, &info);
  DOCINFOA di = {};
  di.cbSize = sizeof di;
  CString name = m_strViewPath.IsEmpty() ? CString("Tabrye") : m_strViewPath;
  di.lpszDocName = name;
  bool ok = info.maxPage > 0 && StartDocA(info.dc, &di) > 0;
  if (ok) {
    const int last = info.toPage > 0 && info.toPage < info.maxPage ? info.toPage : info.maxPage;
    for (info.curPage = info.fromPage > 0 ? info.fromPage : 1; info.curPage <= last && info.continuePrinting;
         ++info.curPage) {
      if (StartPage(info.dc) <= 0) {
        ok = false;
        break;
      }
      OnPrint(info.dc, &info);
      if (EndPage(info.dc) <= 0) {
        ok = false;
        break;
      }
    }
    if (ok)
      EndDoc(info.dc);
    else
      AbortDoc(info.dc);
  }
  OnEndPrinting(info.dc, &info);
  if (!ok) ReportMessage(2, kPrintFailedText);
}

void CDvkView::OnFilePrintPreview() {
  if (!PrinterInstalled()) {
    ReportMessage(2, kNoPrinterText);
    return;
  }
  view::PrintInfo info;
  info.preview = true;
  if (!OnPreparePrinting(&info)) return;
  OnBeginPrinting(info.dc, &info);
  CString t;
  t.Format(kPreviewText, info.maxPage);
  SetStatus(viewcore::StatusPane::kPane0, t);
  OnEndPrinting(info.dc, &info);
}
