// The find and replace commands of the text view: the modeless find dialog,
// find next / previous over the control's text, replace one, replace all
// (the CSV working buffer of a table, the control's text otherwise), repeat
// search (F3) and the checked-line jump "&CK". The scans themselves are
// portable (view/viewfind/findscan.h); docs/patterns.md section 2 tells how
// the two halves meet.
#include <cstring>
#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "fw/alloc.h"
#include "fw/msgmap.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/find_dlg.h"
#include "core/pattern/pattern.h"
#include "core/pattern/pattern_cstring.h"
#include "view/viewcore/statustext.h"
#include "view/viewfind/findscan.h"

namespace {

// Bytes kept free after the text when the CSV buffer is rebuilt by a replace.
constexpr std::uint64_t kCsvReplaceMargin = 90000;
// Lines moved past a checked line first so that it scrolls into view.
constexpr int kCheckJumpLead = 20;

// The control's text as CP932 bytes, paragraphs ending in CR, so that every
// byte of a break and every (single- or double-byte) character is one
// character position of the control.
std::string ControlText(const CRichEditCtrl& ctrl) {
  GETTEXTLENGTHEX gl = {};
  gl.flags = GTL_PRECISE | GTL_NUMBYTES;
  gl.codepage = 932;
  LRESULT n = ctrl.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (n <= 0) return std::string();
  // Room for CR LF counts and the NUL whatever the length mode counted.
  std::size_t room = static_cast<std::size_t>(n) * 2 + 16;
  std::string s(room, '\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(room);
  gt.flags = GT_DEFAULT;
  gt.codepage = 932;
  LRESULT got = ctrl.SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(&s[0]));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  const std::size_t nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}

bool IsCheckLineText(const CString& text) {
  // "&CK" as typed (stored with the run byte) or as a literal.
  return text.Str() == "&CK" || text.Str() == std::string("\x03" "CK");
}

CString LoadText(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

}  // namespace

void CDvkView::FindDlgCloser::operator()(CFindDlg* dlg) const {
  if (!dlg) return;
  if (dlg->m_hWnd) dlg->DestroyWindow();
  delete dlg;
}

CFindDlg* CDvkView::FindDialog() const { return m_findDlgOwner.get(); }

void CDvkView::ShowFindStatus(const CString& text) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, text);
}

// --- the dialog ------------------------------------------------------------

void CDvkView::OpenFindDialog(int mode) {
  if (!m_findDlgOwner) {
    m_findDlgOwner.reset(new CFindDlg(this));
    m_pFindDlg = m_findDlgOwner.get();
  }
  CFindDlg* dlg = m_findDlgOwner.get();
  const int column = IsCsvTable() ? viewfind::ColumnOf(m_nSearchFlags) : 0;
  if (!dlg->m_hWnd) {
    CWnd* owner = app::g_pFrameHost && app::g_pFrameHost->FrameWnd()->m_hWnd ? static_cast<CWnd*>(app::g_pFrameHost->FrameWnd()) : this;
    if (!dlg->Create(CFindDlg::IDD, owner)) return;
  }
  app::DocHost* doc = GetDocument();
  dlg->m_strFind = CString(pat::FindTextToDialog(m_strSearchText.Str()));
  dlg->m_strReplace = CString(pat::FindTextToDialog(m_strReplaceText.Str()));
  dlg->m_bMatchCase = (m_nSearchFlags & viewfind::kOptMatchCase) ? 1 : 0;
  dlg->m_bWholeWord = (m_nSearchFlags & viewfind::kOptWholeWord) ? 1 : 0;
  dlg->m_nDirection = doc && doc->PathFields().m_nSearchDirection == 1 ? 0 : 1;
  dlg->m_nRequest = mode == 1 ? CFindDlg::kFindFindForm : CFindDlg::kFindReplaceForm;
  dlg->UpdateData(FALSE);
  dlg->SetForm(mode, column);
  dlg->ShowWindow(SW_SHOW);
  if (CWnd* edit = dlg->GetDlgItem(IDC_FIND_TEXT)) {
    edit->SetFocus();
    edit->SendMessage(EM_SETSEL, 0, -1);
  }
}

int CDvkView::OnFindDialogCommand() {
  CFindDlg* dlg = FindDialog();
  if (!dlg || !dlg->m_hWnd || !dlg->UpdateData(TRUE)) return 1;
  unsigned flags = 0;
  if (dlg->m_bMatchCase) flags |= viewfind::kOptMatchCase;
  if (dlg->m_bWholeWord) flags |= viewfind::kOptWholeWord;
  if (dlg->m_nDirection == 1) flags |= viewfind::kOptDown;
  const int request = dlg->m_nRequest;
  m_strSearchText = CString(pat::DialogToFindText(dlg->m_strFind.Str()));
  m_strReplaceText = request == 0 || request == 1 ? CString() : CString(pat::DialogToFindText(dlg->m_strReplace.Str()));
  m_nSearchFlags = (m_nSearchFlags & ~viewfind::kOptionBits) | flags;
  // F3 repeats in the direction chosen here.
  if (app::DocHost* doc = GetDocument()) doc->PathFields().m_nSearchDirection = (flags & viewfind::kOptDown) ? 0 : 1;
  if (m_strSearchText.IsEmpty()) return 1;
  DoFindReplace(request, static_cast<int>(flags));
  return 1;
}

void CDvkView::OnFindDialogMessage() { OnFindDialogCommand(); }

// --- requests ----------------------------------------------------------------

bool CDvkView::IsCsvTable() const {
  return (m_nFileKind == docsvc::kKindCsv || m_nFileKind == docsvc::kKindCommaTable) && m_table.m_pTextBuf &&
         m_nEditMode != 3;
}

int CDvkView::DoFindReplace(int mode, int flags) {
  const unsigned options = static_cast<unsigned>(flags) & viewfind::kOptionBits;
  if (IsCheckLineText(m_strSearchText) && IsCsvTable())
    return JumpToCheckedLine((options & viewfind::kOptDown) != 0) ? 1 : 0;
  if (mode == CFindDlg::kReplaceOne) {
    // The selection is replaced when it is a match; then the next one is found.
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    viewfind::FindRule rule;
    const bool cells = IsCsvTable();
    if (!viewfind::CompileDialogRule(m_strSearchText.Str(), m_strReplaceText.Str(), options, true, cells, &rule))
      return 0;
    viewfind::LineText text(ControlText(ctrl), cells);
    long s = 0, e = 0;
    ctrl.GetSel(s, e);
    std::string replaced;
    if (s != e && viewfind::ReplaceSelected(text, rule, cells ? viewfind::ColumnOf(m_nSearchFlags) : 0,
                                            text.ByteOfChar(s), text.ByteOfChar(e), &replaced)) {
      ctrl.ReplaceSel(replaced.c_str(), TRUE);
      ctrl.SetModify(TRUE);
    }
    return SearchAll(1, static_cast<int>(options));
  }
  if (mode == CFindDlg::kReplaceAll) {
    const bool cells = IsCsvTable();
    if (!cells) return SearchAll(2, static_cast<int>(options));
    viewfind::FindRule rule;
    if (!viewfind::CompileDialogRule(m_strSearchText.Str(), m_strReplaceText.Str(), options, true, true, &rule))
      return 0;
    int n = ReplaceInCsvBuffer(rule, viewfind::ColumnOf(m_nSearchFlags));
    if (n >= 0) {
      CString t;
      t.Format(static_cast<UINT>(IDS_FIND_REPLACE_TOTAL), n);
      ShowFindStatus(t);
    }
    return n;
  }
  return SearchAll(1, static_cast<int>(options));
}

int CDvkView::SearchAll(int mode, int flags) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (!m_hWnd) return 0;
  const bool cells = IsCsvTable();
  const unsigned options = static_cast<unsigned>(flags) & viewfind::kOptionBits;
  const int column = cells ? viewfind::ColumnOf(m_nSearchFlags) : 0;
  viewfind::FindRule rule;
  bool ok;
  if (mode == 3) {
    CString pattern = m_strStmtCommand;
    pat::SearchAddress address;
    pat::SplitSearchPattern(&pattern, &address);
    ok = viewfind::CompileMacroRule(pattern.Str(), m_strStmtOperand.Str(), static_cast<unsigned>(flags), cells,
                                    &rule);
  } else {
    ok = viewfind::CompileDialogRule(m_strSearchText.Str(), m_strReplaceText.Str(), options, mode == 2, cells,
                                     &rule);
  }
  if (!ok) return 0;

  viewfind::LineText text(ControlText(ctrl), cells);
  // Every 1000 lines: the line in pane 0 and a look for Esc.
  viewfind::PollFn poll = [this](int line) {
    ShowFindStatus(viewcore::FormatStatus(viewcore::StatusText::kLinesProgress, line));
    return app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort() != 0;
  };
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);

  if (mode == 2 || mode == 3) {
    std::vector<viewfind::LineEdit> edits;
    bool stopped = false;
    int n = viewfind::ReplaceAll(text, rule, column, &edits, &stopped, poll);
    if (n < 0) {
      ReportMessage(1, CString());
      return n;
    }
    if (!edits.empty()) {
      // From the last line up, so the positions of the earlier lines stay.
      SendMessage(WM_SETREDRAW, FALSE, 0);
      for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        ctrl.SetSel(text.CharOfByte(it->start), text.CharOfByte(it->end));
        ctrl.ReplaceSel(it->text.c_str(), TRUE);
      }
      SendMessage(WM_SETREDRAW, TRUE, 0);
      Invalidate();
      ctrl.SetSel(selStart, selStart);
      ctrl.SetModify(TRUE);
    }
    CString t;
    if (stopped)
      t = LoadText(IDS_SEARCH_STOPPED);
    else
      t.Format(static_cast<UINT>(IDS_FIND_REPLACE_TOTAL), n);
    ShowFindStatus(t);
    return stopped ? -1 : n;
  }

  const bool down = (options & viewfind::kOptDown) != 0;
  pat::PatternHit hit;
  viewfind::ScanResult r;
  if (down) {
    int from = text.ByteOfChar(selEnd);
    r = viewfind::FindNext(text, rule, column, from, &hit, poll);
    // An empty match where the caret stands would be found forever.
    if (r == viewfind::ScanResult::kFound && hit.length == 0 && hit.start == from && selStart == selEnd) {
      int next = text.ByteOfChar(selEnd + 1);
      r = next > from ? viewfind::FindNext(text, rule, column, next, &hit, poll) : viewfind::ScanResult::kNotFound;
    }
  } else {
    r = viewfind::FindPrevious(text, rule, column, text.ByteOfChar(selStart), &hit, poll);
  }
  if (r == viewfind::ScanResult::kStopped) {
    ShowFindStatus(LoadText(IDS_SEARCH_STOPPED));
    return -1;
  }
  if (r == viewfind::ScanResult::kNotFound) {
    ShowFindStatus(LoadText(down ? IDS_SEARCH_END_NOT_FOUND : IDS_SEARCH_TOP_NOT_FOUND));
    return 0;
  }
  const long a = text.CharOfByte(hit.start), b = text.CharOfByte(hit.start + hit.length);
  ctrl.SetSel(a, b);
  ctrl.SendMessage(EM_SCROLLCARET, 0, 0);
  m_nFoundPos = static_cast<std::int32_t>(a);
  ShowFindStatus(CString());
  return 1;
}

int CDvkView::ReplaceInCsvBuffer(const viewfind::FindRule& rule, int column) {
  // Cells typed into the shown table come back into the buffer first, so the
  // replacement (which redisplays from the buffer) never undoes them.
  if (GetRichEditCtrl().GetModify() && RebuildCsvBuffer(static_cast<int>(m_nFileKind), 2) != 0) return 0;
  if (!m_table.m_pTextBuf) return 0;
  const std::uint32_t len = m_table.UsedLength();
  pat::ReplaceLinesOptions o;
  o.colFirst = column;
  o.colLast = column;
  o.poll = [](void* self, int line) {
    CDvkView* v = static_cast<CDvkView*>(self);
    v->ShowFindStatus(viewcore::FormatStatus(viewcore::StatusText::kLinesProgress, line));
    return app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort() != 0;
  };
  o.pollContext = this;
  std::string out;
  pat::ReplaceLinesStats stats;
  int n = pat::ReplaceLines(reinterpret_cast<const char*>(m_table.m_pTextBuf), static_cast<int>(len), rule.search,
                            rule.replacement, rule.flags, o, &out, &stats);
  if (n < 0) {
    ReportMessage(1, CString());
    return n;
  }
  if (n == 0) return 0;
  const std::uint64_t want = static_cast<std::uint64_t>(out.size()) + 1 + kCsvReplaceMargin;
  if (want > 0xFFFFFFFFull) {
    ReportMessage(1, CString());
    return pat::kErrTooLarge;
  }
  if (!m_table.Assign(out.data(), out.size(), kCsvReplaceMargin)) {
    ReportMessage(1, CString());  // the old table stays as it was
    return pat::kErrNoMemory;
  }
  if (app::DocHost* doc = GetDocument()) doc->UpdateFields().m_nChangeState = 99;
  // The table is shown again from the buffer (index rebuilt on the way).
  OnPageLeft();
  GetRichEditCtrl().SetModify(TRUE);
  return n;
}

long CDvkView::FindTextMatchCase(long from, long to, const CString& text) {
  if (!m_hWnd || text.IsEmpty()) return -1;
  FINDTEXTEXA ft = {};
  ft.chrg.cpMin = from < 0 ? 0 : from;
  ft.chrg.cpMax = to;
  ft.lpstrText = text;
  return GetRichEditCtrl().FindText(FR_DOWN | FR_MATCHCASE, &ft);
}

// --- repeat, state, commands -----------------------------------------------------

void CDvkView::RepeatSearch() {
  // A second request of the same key press is swallowed.
  if (m_bRepeatSearchBusy) {
    m_bRepeatSearchBusy = 0;
    return;
  }
  m_bRepeatSearchBusy = 1;
  app::DocHost* doc = GetDocument();
  const int direction = doc ? doc->PathFields().m_nSearchDirection : 0;
  if (m_strSearchText.IsEmpty()) {
    OpenFindDialog(direction == 0 ? 1 : 0);
    return;
  }
  if (IsCheckLineText(m_strSearchText) && IsCsvTable()) {
    SetSearchState(1, m_nSearchFlags, m_strSearchText, CString());
    return;
  }
  unsigned flags = m_nSearchFlags & viewfind::kOptionBits;
  if (direction == 0)
    flags |= viewfind::kOptDown;
  else
    flags &= ~viewfind::kOptDown;
  DoFindReplace(1, static_cast<int>(flags));
}

int CDvkView::SetSearchState(int mode, unsigned flags, const CString& text, const CString& replacement) {
  m_nSearchFlags = (m_nSearchFlags & ~viewfind::kOptionBits) | (flags & viewfind::kOptionBits);
  m_strSearchText = text;
  m_strReplaceText = replacement;
  if (IsCheckLineText(text) && IsCsvTable()) return JumpToCheckedLine((flags & viewfind::kOptDown) != 0) ? 1 : 0;
  if (mode == 0 || mode == 1) m_strReplaceText.Empty();
  return DoFindReplace(mode, static_cast<int>(flags & viewfind::kOptionBits));
}

bool CDvkView::JumpToCheckedLine(bool down) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const long caret = ctrl.LineFromChar(s) + 1;  // 1-based, as the check list counts
  std::uint32_t target = 0;
  const std::uint32_t used = UsedEnd();
  for (std::uint32_t i = 1; i < used; ++i) {
    const std::uint32_t n = Entry(i);
    if (n == 0) continue;
    if (down ? (n > static_cast<std::uint32_t>(caret) && (target == 0 || n < target))
             : (static_cast<long>(n) < caret && n > target))
      target = n;
  }
  if (target == 0) {
    ShowFindStatus(LoadText(down ? IDS_SEARCH_END_NOT_FOUND : IDS_SEARCH_TOP_NOT_FOUND));
    return false;
  }
  const int lines = ctrl.GetLineCount();
  int lead = static_cast<int>(target) - 1 + (down ? kCheckJumpLead : -kCheckJumpLead);
  if (lead >= lines) lead = lines - 1;
  if (lead < 0) lead = 0;
  ctrl.SetSel(ctrl.LineIndex(lead), ctrl.LineIndex(lead));
  ctrl.SendMessage(EM_SCROLLCARET, 0, 0);
  const long at = ctrl.LineIndex(static_cast<int>(target) - 1 < lines ? static_cast<int>(target) - 1 : lines - 1);
  ctrl.SetSel(at, at);
  ctrl.SendMessage(EM_SCROLLCARET, 0, 0);
  ShowFindStatus(CString());
  return true;
}

void CDvkView::OnFindCommand() {
  // One command is one key press: the busy word is cleared around it.
  m_bRepeatSearchBusy = 0;
  RepeatSearch();
  m_bRepeatSearchBusy = 0;
}

void CDvkView::OnFindNextCommand() {
  m_nSearchRestart = 0;
  if (m_strSearchText.IsEmpty()) {
    OpenFindDialog(1);
    return;
  }
  DoFindReplace(1, static_cast<int>(m_nSearchFlags));
}

void CDvkView::OnFindReplaceCommand() {
  m_nSearchFlags &= viewfind::kOptionBits;  // no column limit from an earlier column search
  OpenFindDialog(0);
}

void CDvkView::OnEditFindCommand() {
  m_nSearchFlags &= viewfind::kOptionBits;
  OpenFindDialog(1);
}
