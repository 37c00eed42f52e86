// Following a double-clicked word: references, in-text anchors, folder
// references, paths and addresses, in the program's panes or the outside
// browser (whose window is found again); the colour-code insert and the
// edit menu's New. The word's meaning is decided in image/textview.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fw/app.h"
#include "fw/clock.h"
#include "fw/commondlg.h"
#include "fw/shellexec.h"
#include "fw/uihooks.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/textview/colour_code.h"
#include "image/textview/link_reference.h"
#include "image/textview/link_resolve.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

namespace tv = image::textview;

constexpr int kBrowserPasses = 999;
constexpr int kLinkOpenWaitMs = 700;
constexpr int kBrowserStartWaitMs = 2000;
constexpr int kBrowserShownWaitMs = 1000;
constexpr int kBrowserPassWaitMs = 10;
constexpr int kQuoteSearches = 10;
constexpr int kFarHit = 50;

// The history's place for the entry about to be written: pane * 100000 +
// the first visible line.
void NoteHistoryTop(app::DocPathFields& paths, int index, int pane, int firstLine) {
  if (index < 0 || index >= app::kHistorySize) return;
  paths.m_aHistoryTop[index] = pane * 100000 + firstLine;
}

// The top-level windows in the order the walk meets them: a test's list, or
// the system's windows from the first one on.
class TopWindowWalk {
 public:
  explicit TopWindowWalk(HWND own) : own_(own) { scripted_ = fw::hooks::ScriptedTopWindows(&list_); }
  // The next window, starting again at the first after the last one.
  bool Next(fw::hooks::TopWindow* w) {
    if (scripted_) {
      if (list_.empty()) return false;
      if (index_ >= list_.size()) index_ = 0;
      *w = list_[index_++];
      return true;
    }
    HWND h = current_ ? ::GetWindow(current_, GW_HWNDNEXT) : nullptr;
    if (!h && own_) h = ::GetWindow(own_, GW_HWNDFIRST);
    current_ = h;
    if (!h) return false;
    char title[512] = {};
    ::GetWindowTextA(h, title, sizeof title);
    RECT r = {};
    ::GetWindowRect(h, &r);
    w->window = reinterpret_cast<std::uintptr_t>(h);
    w->title = title;
    w->rect = CRect(r.left, r.top, r.right, r.bottom);
    return true;
  }
  bool Scripted() const { return scripted_; }

 private:
  HWND own_ = nullptr;
  HWND current_ = nullptr;
  bool scripted_ = false;
  std::vector<fw::hooks::TopWindow> list_;
  std::size_t index_ = 0;
};

}  // namespace

void CDvkView::FollowLink(CString wordText, const CString& rightPart, int line) {
  (void)line;
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  app::DocPathFields& paths = doc->PathFields();
  std::string word = wordText.Str();
  char mark = 0;
  if (word.size() >= 3 && word[0] == '@') {
    const tv::ReferenceTarget ref =
        tv::FindReferenceTarget(word, rightPart.Str(), ctrl.StreamOutTo(SF_TEXT));
    mark = ref.mark;
    if (ref.found) word = ref.target;
  }

  tv::LinkContext ctx;
  ctx.linkMode = paths.m_nLinkMode;
  for (int i = 0; i < paths.m_nHistoryCount && i < app::kHistorySize; ++i) ctx.history.push_back(paths.m_strHistory[i].Str());
  ctx.viewPath = m_strViewPath.Str();
  ctx.path1 = paths.m_strPath1.Str();
  ctx.path2 = paths.m_strPath2.Str();
  ctx.activeSide = static_cast<int>(paths.m_nActiveSide);
  ctx.programDir = paths.m_strProgramDir.Str();
  const tv::ResolvedLink link = tv::ResolveLinkWord(word, ctx);
  if (!link.firstHistoryEntry.empty()) doc->AddToHistory(CString(link.firstHistoryEntry));
  if (link.changeDirToC) doc->ChangeDir("C:", 0);

  const int pane = static_cast<int>(m_nPaneIndex);
  const int type = link.linkType;
  if (link.word.size() < 5 || type == tv::kLinkSearch || type == tv::kLinkUnresolved) {
    SearchLinkInText(CString(link.searchText), static_cast<int>(word.size()));
    return;
  }
  CString target(link.word);
  if (type == tv::kLinkFolder || type == tv::kLinkPath) {
    if (type == tv::kLinkFolder) {
      NoteHistoryTop(paths, paths.m_nHistoryCount, 0, 0);
      doc->AddToHistory(pane == 4 ? "%2" + paths.m_strPath2 : "%1" + paths.m_strPath1);
    }
    target.Replace('/', '\\');
    paths.m_strLinkTarget = target;
    paths.m_nHistoryPos = paths.m_nHistoryCount;
    NoteHistoryTop(paths, paths.m_nHistoryCount, pane, ctrl.GetFirstVisibleLine());
    const CString entry = (type == tv::kLinkFolder && pane != 4 ? "%1" : "%2") + target;
    doc->OpenAddress(entry);
    doc->AddToHistory(entry);
    fw::Wait(kLinkOpenWaitMs);
    return;
  }

  // Addresses (types 1, 4 and 7).
  paths.m_nHistoryPos = paths.m_nHistoryCount;
  app::FrameHost* frame = app::g_pFrameHost;
  if (paths.m_nLinkMode == 1 && frame) {
    paths.m_nLinkPaneFlag = 0;
    const int mode = frame->TextSplitMode();
    if (mode != 20 && mode != 3) {
      frame->SetTextSplitMode(mode < 2 || mode == 11 ? 20 : mode == 2 ? 10 : 9);
      frame->ApplyTextLayout(0, 0);
    }
  }
  NoteHistoryTop(paths, paths.m_nHistoryCount, pane, ctrl.GetFirstVisibleLine());
  if (doc->SettingsFields().m_bExternalBrowser != 1) {
    const std::uint32_t savedFromLink = paths.m_bOpenFromLink;
    paths.m_bOpenFromLink = 1;
    paths.m_nActiveTextPane = pane;
    doc->OpenAddress(target);
    paths.m_bOpenFromLink = savedFromLink;
    paths.m_bLinkOpened = 1;
    doc->AddToHistory(target);
    ctrl.SetModify(FALSE);
    return;
  }
  if (tv::ShowAddressInViews(link.word, paths.m_nLinkMode, mark)) {
    paths.m_strPendingAddress = target;
    if (frame) frame->SetBrowserPass(0);
    const std::int32_t savedPane = paths.m_nActiveTextPane;
    paths.m_nActiveTextPane = 5;
    doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kContent;
    doc->AsDocument()->UpdateAllViews(nullptr);
    paths.m_nActiveTextPane = savedPane;
    paths.m_strPendingAddress.Empty();
    paths.m_bLinkOpened = 1;
    return;
  }
  OpenInBrowser(target);
}

void CDvkView::SearchLinkInText(CString text, int wordBytes) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  app::DocPathFields& paths = doc->PathFields();
  const int pane = static_cast<int>(m_nPaneIndex);
  paths.m_nHistoryPos = paths.m_nHistoryCount + 1;
  NoteHistoryTop(paths, paths.m_nHistoryCount, pane, ctrl.GetFirstVisibleLine());
  ctrl.HideSelection(TRUE, FALSE);
  const int wordStart = m_nSelStart;
  int from = m_nSelEnd + 5;
  if (!text.IsEmpty() && text[0] == '>') {
    text = text.Mid(1);
    from = 5;
  }
  int hit = text.IsEmpty() ? -1 : FindTextMatchCase(from, -1, text);
  bool wrapped = false;
  if (hit < 0 && !text.IsEmpty()) {  // from the start: the hit lies above
    hit = FindTextMatchCase(0, -1, text);
    wrapped = hit >= 0;
  }
  // A hit right after a double quote is the link's own text in markup
  // (an attribute): look further on.
  for (int searches = 1; hit > 0 && searches < kQuoteSearches; ++searches) {
    ctrl.SetSel(hit - 1, hit);
    if (ctrl.GetSelText() != "\"") break;
    hit = FindTextMatchCase(hit + 10, -1, text);
  }
  m_nSelStart = hit;
  if (hit > 0) ctrl.SetSel(hit, hit + wordBytes);
  if (hit > 0 && std::abs(hit - wordStart) > kFarHit) {
    doc->AddToHistory(CString(tv::TextPositionEntry(wordStart)));
    doc->AddToHistory(CString(tv::TextPositionEntry(hit)));
  }
  if (hit > 0) {
    const int first = ctrl.GetFirstVisibleLine();
    ctrl.LineScroll(wrapped ? -4 : ctrl.LineFromChar(hit) - first - 2);
    NoteHistoryTop(paths, paths.m_nHistoryCount - 1, pane, ctrl.GetFirstVisibleLine());
  }
  ctrl.HideSelection(FALSE, FALSE);
  UpdatePositionDisplay(0);
}

void CDvkView::OpenInBrowser(const CString& address) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocPathFields& paths = doc->PathFields();
  app::FrameHost* frame = app::g_pFrameHost;
  const std::int32_t savedBrowserLink = paths.m_nBrowserLink;
  paths.m_nBrowserLink = 0;
  if (::OpenClipboard(nullptr)) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
  if (frame) frame->SetBrowserPass(frame->BrowserPass() != 0 ? 1 : 9);
  if (doc->AssociatedProgram().Find("LaunchWinApp.exe") >= 0) {
    fw::ShellRequest request;
    request.verb = "open";
    request.file = address;
    request.showCommand = SW_SHOWNORMAL;
    fw::ShellStart(request);
  } else {
    doc->ShellOpen(address, CString(), CString(), 0, 0);
  }
  fw::Wait(kBrowserStartWaitMs);

  CWnd* frameWnd = frame ? frame->FrameWnd() : nullptr;
  const HWND own = frameWnd ? frameWnd->m_hWnd : nullptr;
  const HWND desktop = ::GetDesktopWindow();
  TopWindowWalk walk(own ? own : m_hWnd);
  int pass = 0;
  for (; pass < kBrowserPasses; ++pass) {
    fw::hooks::TopWindow w;
    const bool got = walk.Next(&w);
    if (got && w.window != reinterpret_cast<std::uintptr_t>(desktop) &&
        w.window != reinterpret_cast<std::uintptr_t>(own) && tv::IsBrowserTitle(w.title)) {
      char text[64];
      std::snprintf(text, sizeof text, "%d,%d ", static_cast<int>(w.rect.top), static_cast<int>(w.rect.bottom));
      SetStatus(viewcore::StatusPane::kPane0, CString(text) + CString(w.title));
      fw::Wait(kBrowserShownWaitMs);
      if (w.rect.Height() >= 50 && w.rect.top != 0) {
        if (frame) {
          HWND h = reinterpret_cast<HWND>(w.window);
          frame->SetBrowserWindow(walk.Scripted() || !::IsWindow(h) ? nullptr : CWnd::FromHandle(h));
        }
        paths.m_nBrowserLink = savedBrowserLink;
        paths.m_strPendingAddress.Empty();
        return;
      }
    }
    fw::Wait(kBrowserPassWaitMs);
  }
  char text[64];
  std::snprintf(text, sizeof text, "Eror fich=%d ich=%d", 0, pass);
  SetStatus(viewcore::StatusPane::kPane0, text);
}

void CDvkView::TakePendingAddress() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocPathFields& paths = doc->PathFields();
  if (paths.m_strPendingAddress.IsEmpty()) return;
  // The first text view that sees the address opens it in its own pane.
  const CString address = paths.m_strPendingAddress;
  paths.m_strPendingAddress.Empty();
  paths.m_nActiveTextPane = static_cast<int>(m_nPaneIndex);
  doc->OpenAddress(address);
  paths.m_nActiveTextPane = 5;
}

void CDvkView::OnInsertColor() {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  m_nSelStart = static_cast<std::int32_t>(s);
  m_nSelEnd = static_cast<std::int32_t>(e);
  std::uint32_t initial = 0;
  bool hex = false;
  if (s != e && tv::ReadColourCode(ctrl.GetSelText().Str(), &initial)) {
    m_nSelEnd = m_nSelStart;
    hex = true;
  }
  CColorDialog dlg(initial, 0, nullptr);
  if (dlg.DoModal() != IDOK) return;
  const COLORREF c = dlg.GetColor();
  if (m_nSelStart == m_nSelEnd) {
    ctrl.ReplaceSel(tv::FormatColourCode(c, hex).c_str(), TRUE);
    return;
  }
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR;
  cf.crTextColor = c;
  ctrl.SetSelectionCharFormat(cf);
}

void CDvkView::OnEditNew() {
  // The one New path, with its save question.
  if (CWinApp* app = AfxGetApp()) app->OnFileNew();
}

void CDvkView::OnUpdateEditNew(CCmdUI* ui) { ui->Enable(m_nSourceView == 0); }
