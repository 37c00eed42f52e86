// The text view's double-click: the check of a CSV line, the word under the
// caret with its "::" suffix, and pictures named by markers. What the word
// means is decided in image/textview; these members read and act on the
// control. Links are followed in dvkview_links.cpp.
#include <cstring>
#include <string>

#include "core/docsvc/filekind.h"
#include "fw/file_bytes.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "host/pane_layout.h"
#include "image/textview/picture_marker.h"
#include "image/textview/word_cut.h"
#include "view/dvkview.h"

namespace {

namespace tv = image::textview;

constexpr COLORREF kCheckedColor = 0xF01010;
constexpr char kOverCheckMax[] = " Over check line max";

// A CHARFORMAT2 of colour and underline, the check's two properties.
CHARFORMAT2A CheckFormat(bool checked, DWORD readEffects, COLORREF normal) {
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR | CFM_UNDERLINE;
  cf.dwEffects = checked ? ((readEffects | CFE_UNDERLINE) & ~CFE_AUTOCOLOR) : 0;
  cf.crTextColor = checked ? kCheckedColor : normal;
  return cf;
}

}  // namespace

void CDvkView::OnLButtonDblClk(UINT flags, CPoint pt) {
  (void)flags, (void)pt;
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  if (m_nFileKind == docsvc::kKindCsv && m_nSourceView == 0) {
    CsvCheckLineToggle();
    return;
  }
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  ctrl.HideSelection(TRUE, FALSE);
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  m_nSelStart = static_cast<std::int32_t>(s);
  m_nSelEnd = static_cast<std::int32_t>(e);
  if (s < 0 || e < 0) {
    ctrl.HideSelection(FALSE, FALSE);
    return;
  }
  const int line = ctrl.LineFromChar(-1);
  const int lineStart = ctrl.LineIndex(line);
  const int caret = GetLineStartOffset(m_nSelStart, 99999);
  char buf[tv::kLineBytes + 8] = {};
  const int n = GetLineTextSjis(line, buf, tv::kLineBytes + 1);
  const bool spaces = doc->SettingsFields().m_bSpacesInWords != 0;
  const tv::WordCut cut = tv::CutWordAtCaret(buf, n, caret, spaces);
  if (!cut.Usable()) return;  // the selection stays hidden
  m_nSelStart = lineStart + CalcLineMetrics(line, cut.start, 1);
  m_nSelEnd = lineStart + CalcLineMetrics(line, cut.end, 1);
  std::string word(buf + cut.start, static_cast<std::size_t>(cut.Length()));
  const int rightFrom = caret < 0 ? 0 : caret > n ? n : caret;
  const CString rightPart(std::string(buf + rightFrom, static_cast<std::size_t>(n - rightFrom)));

  if (word.size() > 10) {
    const tv::PositionSuffix suffix = tv::SplitPositionSuffix(word);
    if (suffix.applies) {
      app::DocPathFields& paths = doc->PathFields();
      if (suffix.numbersRead) {
        paths.m_nJumpLine = suffix.jumpLine;
        if (suffix.hasColumn) paths.m_nJumpSel = suffix.jumpSel;
      }
      paths.m_strJumpSuffix = CString(suffix.suffix);
      word = suffix.word;
      if (app::g_pFrameHost && app::g_pFrameHost->TextSplitMode() == 11) {
        app::g_pFrameHost->SetTextSplitMode(1);
        app::g_pFrameHost->ApplyTextLayout(0, 0);
      }
      doc->KeyImageFields().m_nPaneAction = 41;
    }
  }
  if (tv::IsPictureMarker(word, cut.closing, static_cast<int>(m_nSourceView))) {
    OpenPictureMarker(CString(word));
    return;
  }
  ctrl.HideSelection(FALSE, FALSE);
  const int chars = tv::LinkSelectionChars(static_cast<int>(word.size()), m_nSelEnd - m_nSelStart,
                                           doc->SettingsFields().m_bShortLinkSelect != 0);
  ctrl.SetSel(m_nSelStart, m_nSelStart + chars);
  FollowLink(CString(word), rightPart, line);
}

void CDvkView::CsvCheckLineToggle() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const BOOL modified = ctrl.GetModify();
  const int hpos = ::GetScrollPos(m_hWnd, SB_HORZ);
  const int firstVisible = ctrl.GetFirstVisibleLine();
  bool full = false;
  {
    UpdateLockGuard lock(*this);
    ctrl.HideSelection(TRUE, FALSE);
    long selStart = 0, selEnd = 0;
    ctrl.GetSel(selStart, selEnd);
    CHARFORMAT2A read = {};
    read.cbSize = sizeof read;
    ctrl.GetSelectionCharFormat(read);

    const int line = ctrl.LineFromChar(-1);
    long from = ctrl.LineIndex(line);
    long to = GetLineEndIndex(line);
    if (to < 0) to = ctrl.GetTextLength();
    const bool ruled = m_nEditMode == 3;
    std::int32_t row = 0;
    if (ruled) {
      row = m_nTableCurRow - 1;
    } else {
      int l = line;
      if (m_nRowBase != 0 && m_nTitleLineFlag > 0) --l;
      if (l < 0) {
        from = to = 0;
        row = -1;
      } else {
        row = (from > 0 || to > 0) ? l + m_nRowBase + 1 : l;
      }
    }
    const COLORREF normal = doc->SettingsFields().m_clrTxchar;
    // The line's character effects (the control adds automatic-colour bits
    // of its own): a checked line is underlined and nothing else.
    const DWORD styles = read.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    const bool uncheck = m_nEntryListMode > 0 && styles == CFE_UNDERLINE;
    // The line's format: the whole range at once, or in ruled-table mode
    // one character at a time (each keeps its other properties).
    auto format = [&](bool checked) {
      if (!ruled) {
        ctrl.SetSel(from, to);
        CHARFORMAT2A cf = CheckFormat(checked, read.dwEffects, normal);
        ctrl.SetSelectionCharFormat(cf);
        return;
      }
      for (long i = from; i < to; ++i) {
        ctrl.SetSel(i, i + 1);
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof cf;
        ctrl.GetSelectionCharFormat(cf);
        cf.dwMask = CFM_COLOR | CFM_UNDERLINE;
        cf.dwEffects = checked ? CFE_UNDERLINE : 0;
        cf.crTextColor = checked ? kCheckedColor : normal;
        ctrl.SetSelectionCharFormat(cf);
      }
    };
    const std::uint32_t stored = static_cast<std::uint32_t>(row);
    if (uncheck) {
      format(false);
      UncheckRow(stored);
    } else {
      format(true);
      full = !CheckRow(stored);
    }
    ctrl.SetSel(selStart, selEnd);
    const int nowFirst = ctrl.GetFirstVisibleLine();
    if (nowFirst != firstVisible) ctrl.LineScroll(firstVisible - nowFirst);
    SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, hpos), 0);
  }
  ctrl.HideSelection(FALSE, FALSE);
  ctrl.SetModify(modified);
  if (full) SetStatus(viewcore::StatusPane::kPane0, kOverCheckMax);
  if (m_nSplitKind > 0) {
    doc->KeyImageFields().m_nPaneSyncLine = ctrl.LineFromChar(-1);
    ForOtherPanes(50);
  }
}

void CDvkView::OpenPictureMarker(const CString& wordText) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const tv::MarkerPlan plan = tv::PlanPictureMarker(wordText.Str(), static_cast<int>(m_nFileKind),
                                                    doc->PathFields().m_strProgramDir.Str(), m_strViewPath.Str());
  doc->TextFields().m_nExtractLetter = plan.letter;
  doc->TextFields().m_nExtractNo = plan.number;
  if (plan.source == tv::MarkerPlan::kNothing) return;  // the selection stays hidden

  app::FrameHost* frame = app::g_pFrameHost;
  const int pane = static_cast<int>(m_nPaneIndex);
  if (frame) {
    const tv::MarkerLayout layout = tv::PlanMarkerLayout(frame->TextSplitMode(), pane);
    if (layout.changed) {
      frame->SetTextSplitMode(layout.splitMode);
      frame->ApplyTextLayout(0, layout.layoutArg);
      frame->SetTextSplitMode(layout.splitMode);
    }
    const app::DocKeyImageFields& keys = doc->KeyImageFields();
    tv::PaneCell cell = tv::MarkerTargetPane(frame->TextSplitMode(), pane, keys.m_nTextPaneCol1,
                                             keys.m_nTextPaneCol2);
    // The picture goes beside the text: a cell that is this pane's own
    // (pane-column words at 0) means the other pane of the pair.
    const app::PaneCell own = app::CellOfPaneIndex(pane);
    if (cell.known && cell.row == own.row && cell.column == own.col) {
      const int mode = frame->TextSplitMode();
      if (mode == 2 || mode == 10) {
        cell.row = 1 - own.row;
      } else {
        cell.column = 1 - own.col;
      }
    }
    if (cell.known) {
      frame->ActivateTextPane(cell.row, cell.column);
      if (cell.row != own.row || cell.column != own.col) {
        m_bHeldBeside = true;
        ctrl.SetReadOnly(TRUE);
      }
    }
  }
  SetStatus(viewcore::StatusPane::kPane0, CString());
  ctrl.SetSel(m_nSelStart > 0 ? m_nSelStart - 1 : 0, m_nSelEnd + 1);
  ctrl.HideSelection(FALSE, FALSE);

  doc->PathFields().m_nImageState1 = 0;
  doc->PathFields().m_nImageState2 = 0;
  doc->PathFields().m_nImageLoadInfo = 9999;
  std::uint32_t& sizeHigh = doc->WindowFields().m_bSizeHigh;
  const std::uint32_t savedSizeHigh = sizeHigh;
  const std::uint32_t savedKind = doc->UpdateFields().m_nFileKind;
  sizeHigh = 1;
  CString path(plan.path);
  if (doc->GetFileKind(path) == docsvc::kKindUnknown) {
    // A media file without a known extension: its first bytes name its
    // format, and a copy under that name is shown (the file stays where it is).
    std::vector<std::uint8_t> head;
    if (!fw::ReadFileBytes(path, &head)) {
      sizeHigh = savedSizeHigh;
      return;
    }
    if (const char* ext = tv::SniffMediaExtension(head.data(), head.size() < 10 ? head.size() : 10)) {
      const CString copy(tv::MediaCopyPath(doc->PathFields().m_strProgramDir.Str(), path.Str(), ext));
      if (::CopyFileA(path, copy, FALSE)) path = copy;
    }
  }
  doc->OpenFile(path, docopen::OpenMode::kPlain);
  sizeHigh = savedSizeHigh;
  doc->UpdateFields().m_nFileKind = savedKind;
  if (frame && frame->FrameWnd()) {
    const CString title = CString(tv::PaneTitlePrefix(frame->TextSplitMode(), pane)) + path;
    frame->FrameWnd()->SetWindowText(title);
  }
  if (m_nFileKind == docsvc::kKindMail && doc->TextFields().m_nExtractNo > 100000) {
    doc->TextFields().m_nExtractNo = 0;
    sizeHigh = 0;
    doc->OpenFile(doc->PathFields().m_strDocPath, docopen::OpenMode::kPlain);
  }
  doc->PathFields().m_strDocPath = m_strViewPath;
  if (frame) frame->UpdateMenuTexts(12, 0, 0);
  ctrl.SetModify(FALSE);
}
