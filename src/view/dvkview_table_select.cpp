// The selection to a table (33179, 表変換) and timer 40, which finishes it.
//
// In a rich-text view the document is first written whole to the copy
// "<name>_001.rtf"; the control then keeps only the selected text, which is
// converted (a ruled CSV table, or ruled rows in place with the toolbar's
// Ctrl) and put on the clipboard. The copy is opened again so the document
// has its full text back, and timer 40 pastes the table over the old
// selection once the reopened text is in the control. The paste goes through
// StreamInRtf, which sets the exact spacing of the rule paragraphs again
// (one rich-text reader drops it on a paste). The copy is then removed and the
// document takes its own name back.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/docsvc/filekind.h"
#include "fw/alloc.h"
#include "fw/clipboard.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);
constexpr UINT kPasteTickMs = 100;
constexpr char kCopyEnding[] = "_001.rtf";

// "<path without its extension>_001.rtf".
CString TableCopyPath(const CString& path) {
  CString base = path;
  const int dot = base.ReverseFind('.');
  const int slash = std::max(base.ReverseFind('\\'), base.ReverseFind('/'));
  if (dot > slash) base = base.Left(dot);
  return base + kCopyEnding;
}

// Characters of the control's text (a paragraph end counts one).
long TextChars(HWND hwnd) {
  GETTEXTLENGTHEX gl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT n = ::SendMessageW(hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  return n > 0 ? static_cast<long>(n) : 0;
}

bool EndsWithNoCase(const CString& s, const char* tail) {
  const int n = static_cast<int>(std::strlen(tail));
  return s.GetLength() >= n && s.Right(n).CompareNoCase(tail) == 0;
}

}  // namespace

void CDvkView::OnTableConvert() { ConvertSelectionToTable(); }

int CDvkView::ConvertSelectionToTable() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd || m_bTablePastePending) return -1;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // 1. Where the view stands, and the selected lines. A selection that ends
  // at the start of a line does not take that line.
  const int firstVisible = ctrl.GetFirstVisibleLine();
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  const int firstLine = ctrl.LineFromChar(selStart);
  int lastLine = ctrl.LineFromChar(selEnd);
  if (selEnd > selStart && lastLine > firstLine && ctrl.LineIndex(lastLine) == selEnd) --lastLine;
  int first = firstLine, last = lastLine;

  // 2. Rich text: the whole document goes to the copy first, then the
  // control keeps the selection only.
  const bool copy = m_nFileKind == docsvc::kKindRichText;
  if (copy) {
    const CString own = m_strViewPath.IsEmpty() ? doc->PathFields().m_strCurFile : m_strViewPath;
    // A document without a file yet has its copy in the scratch folder.
    const CString copyPath = own.IsEmpty() ? doc->ScratchFolder(0) + "Dorvik" + kCopyEnding : TableCopyPath(own);
    // A file of the copy's name is the user's: replaced only when they say so.
    if (doc->ConfirmOverwrite(copyPath) != 1) return -1;
    CWnd* active = GetParentFrame() ? GetParentFrame()->GetActiveView() : nullptr;
    doc->BeginUpdateLock(active ? active : this);
    const BOOL modified = ctrl.GetModify();
    if (WriteDocument(copyPath, 3, 0) != 0) {
      doc->EndUpdateLock();
      return -1;
    }
    m_strTableOwnPath = own;
    m_strTableCopyPath = copyPath;
    m_bTablePastePending = true;
    m_bTableWasModified = modified != FALSE;
    ctrl.SetSel(selEnd, -1);
    ctrl.ReplaceSel("", FALSE);
    ctrl.SetSel(0, selStart);
    ctrl.ReplaceSel("", FALSE);
    last -= first;
    first = 0;
    // What is left is the selection.
    ctrl.SetSel(0, -1);
  }
  const std::uint32_t editMode = m_nEditMode;

  if (!m_bCtrlButton) {
    // 3. The lines as a CSV table in the ruled display.
    const int made = ConvertTextToTable(1, first, last);
    if (made != 0) {
      // Not converted (reported there, or the file was opened again as a
      // CSV table): the document keeps its text.
      if (copy) return ReopenFromTableCopy(firstVisible, selStart, selEnd, false);
      return -1;
    }
    const std::uint32_t column = m_nCurColumn;
    m_nFileKind = docsvc::kKindCsv;
    m_nEditMode = 3;
    doc->WindowFields().m_bTableEditMode = 0;
    // The view showed the document's rich text: from now on it shows its own
    // table.
    ClearShow();
    OnPageLeft();  // the redisplay under load state 99, drawn by TableCommand('D')
    doc->UpdateFields().m_nLoadState = 0;
    m_nCurColumn = column;
  } else {
    // 4. Ruled rows in place.
    TableCommand('e', -1, 0, first, last, 0, 0, 1);
    m_bCtrlButton = 0;
  }

  if (!copy) {
    // 5. The view shows the converted text as rich text where it stood.
    m_nFileKind = docsvc::kKindRichText;
    if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(docsvc::kKindRichText, m_nContentSubMode, 3);
    ctrl.LineScroll(firstVisible - ctrl.GetFirstVisibleLine());
    return 0;
  }

  // 6. The converted text to the clipboard, the document back from its copy,
  // and timer 40 to put the table in.
  const std::string rtf = StreamOut(SF_RTF);
  const std::string text = StreamOut(kTextFormat);
  fw::SetClipboardTextAndRtf(m_hWnd, text, rtf);
  m_tablePasteRtf = rtf;
  m_nTablePasteChars = TextChars(m_hWnd);
  m_nEditMode = editMode;
  return ReopenFromTableCopy(firstVisible, selStart, selEnd, true);
}

int CDvkView::ReopenFromTableCopy(int firstVisible, long selStart, long selEnd, bool paste) {
  app::DocHost* doc = GetDocument();
  ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  doc->DiscardEdits();
  if (doc->OpenFile(m_strTableCopyPath, docopen::OpenMode::kPlain) != 0) {
    // The copy could not be read back (reported): the document's text is
    // in it, and it stays for the user to open.
    m_bTablePastePending = false;
    m_tablePasteRtf.clear();
    doc->EndUpdateLock();
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    return -1;
  }
  m_bTablePasteWanted = paste;
  m_nTimer40FirstLine = firstVisible;
  m_nTimer40SelStart = static_cast<std::int32_t>(selStart);
  m_nTimer40SelEnd = static_cast<std::int32_t>(selEnd);
  if (!SetTimer(view::kTimerPasteTable, kPasteTickMs)) FinishTablePaste();
  return paste ? 0 : -1;
}

void CDvkView::FinishTablePaste() {
  app::DocHost* doc = GetDocument();
  // The reopened text goes into the control on a timer of its own first,
  // and a stream still under way (its size word positive and more than 10
  // below its end word) is waited for.
  if (LoadPending()) return;
  if (doc) {
    const app::DocTextFields& t = doc->TextFields();
    if (t.m_nStreamLen > 0 && static_cast<std::uint64_t>(t.m_nStreamLen) + 10 < t.m_nReadEnd) return;
  }
  KillTimer(view::kTimerPasteTable);
  if (!doc || !m_bTablePastePending) return;
  m_bTablePastePending = false;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // The converted table over the old selection, from the copy kept at the
  // conversion (the clipboard may hold another program's data by now).
  std::string rtf;
  rtf.swap(m_tablePasteRtf);
  bool pasted = false;
  if (m_bTablePasteWanted && !rtf.empty()) {
    app::DocTextFields& t = doc->TextFields();
    const std::size_t need = rtf.size() + 1;
    if (t.m_nTextCapacity < need) {
      void* p = fw::Realloc(t.m_pText, need);
      if (p) {
        t.m_pText = static_cast<char*>(p);
        t.m_nTextCapacity = static_cast<std::uint32_t>(need);
        t.m_nReadEnd = t.m_nTextCapacity;
      }
    }
    if (t.m_pText && t.m_nTextCapacity >= need) {
      std::memcpy(t.m_pText, rtf.data(), rtf.size());
      t.m_pText[rtf.size()] = 0;
      t.m_nTextLen = static_cast<std::uint32_t>(rtf.size());
      ctrl.SetSel(m_nTimer40SelStart, m_nTimer40SelEnd);
      ctrl.ReplaceSel("", FALSE);
      ctrl.SetSel(m_nTimer40SelStart, m_nTimer40SelStart);
      StreamCursor at;
      at.end = t.m_nTextLen;
      at.len = t.m_nTextLen;
      const long before = TextChars(m_hWnd);
      StreamInRtf(m_hWnd, 1, at);
      pasted = true;
      // The stream's last paragraph mark comes in as one more paragraph
      // end: the converted text goes in as the control held it, and the
      // text after it stays in its own paragraph.
      const long inserted = TextChars(m_hWnd) - before;
      if (inserted > m_nTablePasteChars) {
        const long from = m_nTimer40SelStart + m_nTablePasteChars;
        ctrl.SetSel(from, m_nTimer40SelStart + inserted);
        const CString extra = ctrl.GetSelText();
        bool breaksOnly = true;
        for (int i = 0; i < extra.GetLength(); ++i) breaksOnly = breaksOnly && (extra[i] == '\r' || extra[i] == '\n');
        if (breaksOnly) ctrl.ReplaceSel("", FALSE);
      }
      // The document's buffer holds the whole rich text again.
      TableWriteBack();
    } else {
      ReportMessage(1, CString());
    }
  }
  m_nFileKind = docsvc::kKindRichText;
  if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(docsvc::kKindRichText, m_nContentSubMode, 0);
  ctrl.LineScroll(m_nTimer40FirstLine - ctrl.GetFirstVisibleLine());
  doc->EndUpdateLock();
  // The copy gives way: the document is the user's file again (under the
  // rich-text ending, as it now holds rich text), not yet saved.
  if (EndsWithNoCase(m_strViewPath, kCopyEnding) && m_strViewPath.CompareNoCase(m_strTableCopyPath) == 0) {
    ::DeleteFileA(m_strTableCopyPath);
    CString back;
    if (!m_strTableOwnPath.IsEmpty())
      back = m_strViewPath.Left(m_strViewPath.GetLength() - static_cast<int>(std::strlen(kCopyEnding))) + ".rtf";
    m_strViewPath = back;
    m_strShownFile = back;
    doc->PathFields().m_strCurFile = back;
    doc->PathFields().m_strDocPath = back;
    doc->PathFields().m_strActiveViewFile = back;
    app::DocPathFields& paths = doc->PathFields();
    (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = back;
  }
  // Changed when the table went in, or when the text had changes the file
  // does not hold yet (they were in the copy).
  ctrl.SetModify(pasted || m_bTableWasModified ? TRUE : FALSE);
  doc->RedrawAllViews();
  ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
}
