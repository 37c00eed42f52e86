#include "view/macro_view_host.h"

#include "macroui/macro_input_dlg.h"
#include "macroui/choice_rules.h"
#include "macroui/inputdlg.h"
#include "macroui/macro_dialogs.h"
#include "macroui/progress_dlg.h"
#include "macroui/varview_dlg.h"

#include <cstdio>
#include <string>

#include <imm.h>

#include "fw/clipboard.h"
#include "fw/clock.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "host/pane_layout.h"
#include "macro/macro_state.h"
#include "view/dvkview.h"
#include "macro/macro_input.h"
#include "view/select_cond_dlg.h"
#include "view/viewcore/pagemarks.h"
#include "view/view_fields.h"
#include "res/resource.h"

namespace view {

namespace {
constexpr int kSjisText = SF_TEXT | SF_USECODEPAGE | (932 << 16);
}

MacroViewHost::MacroViewHost(CDvkView& view) : view_(view) {}

MacroViewHost::~MacroViewHost() = default;

CString MacroViewHost::GetText() {
  std::string text = view_.StreamOut(kSjisText);
  return CString(text.data(), static_cast<int>(text.size()));
}

void MacroViewHost::GetSelection(long* start, long* end) {
  long s = 0, e = 0;
  view_.GetRichEditCtrl().GetSel(s, e);
  if (start) *start = s;
  if (end) *end = e;
}

void MacroViewHost::SetSelection(long start, long end) { view_.GetRichEditCtrl().SetSel(start, end); }

void MacroViewHost::ReplaceSelection(const CString& text) {
  view_.GetRichEditCtrl().ReplaceSel(text.GetString(), TRUE);
}

int MacroViewHost::OpenFile(const CString& path, int mode) {
  app::DocHost* doc = view_.GetDocument();
  // The script's mode number; one the table does not know opens plainly.
  return doc ? doc->OpenFile(path, static_cast<docopen::OpenMode>(mode)) : -1;
}

int MacroViewHost::SaveFile(const CString& path, int mode) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->SaveFile(path, mode, &view_) : -1;
}

int MacroViewHost::ReportMessage(int code, const CString& text) { return view_.ReportMessage(code, text); }

void MacroViewHost::ShowMessageBox(const CString& text) { AfxMessageBox(text, MB_OK); }

void MacroViewHost::SetStatusText(int pane, const CString& text) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(pane, text);
}

bool MacroViewHost::CheckEscapeAbort() { return app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort() != 0; }

void MacroViewHost::ActivateTextPane(int pane) {
  if (!app::g_pFrameHost || pane < 1 || pane > 4) return;
  app::PaneCell c = app::CellOfPaneIndex(pane);
  app::g_pFrameHost->ActivateTextPane(c.row, c.col);
}

CString MacroViewHost::ProgramDir() {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->PathFields().m_strProgramDir : CString();
}

CString MacroViewHost::ListDir(int side) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return CString();
  return side == 2 ? doc->PathFields().m_strListDir2 : doc->PathFields().m_strListDir1;
}

int MacroViewHost::ActiveSide() {
  app::DocHost* doc = view_.GetDocument();
  return doc ? static_cast<int>(doc->PathFields().m_nActiveSide) : 1;
}

CString MacroViewHost::ParamPath() {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->PathFields().m_strParamPath : CString();
}

int MacroViewHost::FormatCells(const macro::CellFormat& format, int firstRow, int lastRow, int firstCol,
                               int lastCol) {
  return view_.FormatCells(format, firstRow, lastRow, firstCol, lastCol);
}


// The run holds the message loop, so the pane is repainted from here. The
// text is always set; the repaint is forced at most once a frame (a repaint
// costs about a millisecond under Wine, many statements run in that time,
// and the screen could not show them anyway). A text not yet painted is
// painted by the next forced repaint or, at the end of the run, by the
// message loop.
void MacroViewHost::ShowStatus(const CString& text) {
  if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return;
  constexpr std::uint64_t kFrameMs = 15;
  const std::uint64_t now = fw::TickCount();
  const bool paint = now < lastTracePaint_ || now - lastTracePaint_ >= kFrameMs;
  if (paint) lastTracePaint_ = now;
  g_pStatusBar->SetPaneText(0, text, paint ? TRUE : FALSE);  // TRUE repaints the pane at once
}

bool MacroViewHost::TakeEscapeKeyDown() {
  MSG msg;
  if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  ::PeekMessageA(&msg, msg.hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
  return true;
}

bool MacroViewHost::AskYesNo(const CString& text) {
  return fw::ShowMessageBox(view_.m_hWnd, text.GetString(), "", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

CString MacroViewHost::ResourceString(int id) {
  CString s;
  s.LoadString(static_cast<UINT>(id));
  return s;
}

void MacroViewHost::RedisplayView() { view_.OnUpdate(nullptr, 0, nullptr); }

void MacroViewHost::UpdateMenuTexts(int kind, int form, int state) {
  if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(kind, form, state);
}

void MacroViewHost::ApplyListLayout() {
  if (app::g_pFrameHost) app::g_pFrameHost->OnListDisplay();
}

void MacroViewHost::UpdateAllViews() {
  app::DocHost* doc = view_.GetDocument();
  if (doc) doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
}

void MacroViewHost::SetMainTitle(const CString& title) {
  if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd()) app::g_pFrameHost->FrameWnd()->SetWindowText(title);
}

void MacroViewHost::ClearModified() { view_.GetRichEditCtrl().SetModify(FALSE); }

void MacroViewHost::ShowVariableView(int line, const CString& dump) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return;
  CVariableViewDlg& vars = doc->VariableView();
  vars.m_nStopLine = line;
  vars.m_strText = dump;
  if (vars.m_hWnd) vars.UpdateData(FALSE);
}

int MacroViewHost::ShowStopDialog(const CString& lineText, const CString& dump, const CString& options, int height,
                                  int width) {
  CMacroInputDlg dlg(&view_);
  dlg.m_strInputText = lineText;
  dlg.m_strPromptText = dump;
  dlg.m_strOptions = options;
  dlg.m_nHeight = height;
  dlg.m_nWidth = width;
  return static_cast<int>(dlg.DoModal()) == IDOK ? macro::kStopDialogOk : IDCANCEL;
}

CString MacroViewHost::UserName() {
  char name[900] = {};
  DWORD size = sizeof name;
  return ::GetUserNameA(name, &size) ? CString(name) : CString();
}


namespace {

// Fills a selection-condition dialog from the values in field order and,
// after OK, reads them back.
bool RunCondDialog(CSelectCondBase& dlg, csv::CondDialogValues& values) {
  const csv::CondDialogTable& t = dlg.Table();
  for (std::size_t p = 0; p < t.prompts.size() && p < values.prompts.size(); ++p) dlg.m_aPrompt[p] = values.prompts[p].c_str();
  dlg.m_strCaption = values.caption.c_str();
  values.fields.resize(t.fields.size());
  for (std::size_t f = 0; f < t.fields.size(); ++f) {
    const csv::CondFieldEntry& e = t.fields[f];
    const std::string& v = values.fields[f];
    const std::size_t s = static_cast<std::size_t>(e.slot);
    switch (e.kind) {
      case csv::CondField::Combo: dlg.m_aComboText[s] = v.c_str(); break;
      case csv::CondField::Edit: dlg.m_strValue[s] = v.c_str(); break;
      case csv::CondField::Check: dlg.m_aCheck[s] = v == "1" ? TRUE : FALSE; break;
      case csv::CondField::Date: {
        int y = 0, m = 0, d = 0;
        if (v.size() == 8 && std::sscanf(v.c_str(), "%4d%2d%2d", &y, &m, &d) == 3 && y >= 1971 && m >= 1 && m <= 12 &&
            d >= 1 && d <= 31) {
          dlg.m_aDate[s] = CTime(y, m, d, 0, 0, 0);
        }
        break;
      }
    }
  }
  if (dlg.DoModal() != IDOK) return false;
  for (std::size_t f = 0; f < t.fields.size(); ++f) {
    const csv::CondFieldEntry& e = t.fields[f];
    const std::size_t s = static_cast<std::size_t>(e.slot);
    switch (e.kind) {
      case csv::CondField::Combo: values.fields[f] = dlg.m_aComboText[s].Str(); break;
      case csv::CondField::Edit: values.fields[f] = dlg.m_strValue[s].Str(); break;
      case csv::CondField::Check: values.fields[f] = dlg.m_aCheck[s] ? "1" : "0"; break;
      case csv::CondField::Date: {
        const CTime& d = dlg.m_aDate[s];
        values.fields[f] = d.GetTime() == 0 ? std::string() : std::string(d.Format("%Y%m%d").Str());
        break;
      }
    }
  }
  return true;
}

}  // namespace

bool MacroViewHost::RunSelectCondDialog(bool extended, csv::CondDialogValues& values) {
  // The interpreter's dialogs have no parent window.
  if (extended) {
    CSelectCondExDlg dlg(nullptr);
    return RunCondDialog(dlg, values);
  }
  CSelectCondDlg dlg(nullptr);
  return RunCondDialog(dlg, values);
}

// The view's search in mode 3 reads the statement from its own words.
int MacroViewHost::ReplaceAllInText(const CString& command, const CString& operand, int flags) {
  const CString keptCommand = view_.m_strStmtCommand, keptOperand = view_.m_strStmtOperand;
  view_.m_strStmtCommand = command;
  view_.m_strStmtOperand = operand;
  const int n = view_.SearchAll(3, flags);
  view_.m_strStmtCommand = keptCommand;
  view_.m_strStmtOperand = keptOperand;
  return n;
}

// --- display, status, system-parameter and save-text statements -----------

void MacroViewHost::UndoViewSplit() {
  if (view_.m_nSplitKind != 0) view_.OnSplitWindow();
}

void MacroViewHost::ToggleHideQuotes() { view_.OnCsvHideQuotes(); }

void MacroViewHost::SetColumnSizeDigit(int digit) { view_.m_nColumnSizeDigit = digit; }

void MacroViewHost::SetToolbarWord(int word) {
  if (app::g_pFrameHost) app::g_pFrameHost->SetToolbarWord(word);
}

void MacroViewHost::RemoveMainMenu() {
  if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd()) app::g_pFrameHost->FrameWnd()->SetMenuHandle(nullptr);
}

void MacroViewHost::ApplyBackgroundColor() { view_.CycleBackgroundColor(0); }

void MacroViewHost::ShowTextInPane(int pane) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return;
  // The pane that takes the text shows the view's file.
  CString& current = doc->PathFields().m_strCurFile;
  const CString kept = current;
  current = view_.m_strViewPath;
  doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  ActivateTextPane(pane);
  current = kept;
}

int MacroViewHost::RebuildCsvBuffer(int kind) { return view_.RebuildCsvBuffer(kind, 0); }

int MacroViewHost::WriteDocumentText(const CString& path) { return view_.WriteDocument(path, 3, 0); }

void MacroViewHost::ConvertPageMarksFile(const CString& path) {
  const viewcore::PageMarkFileResult r = viewcore::RtfConvertPageMarksFile(path);
  if (!r.ok && !r.message.IsEmpty()) view_.ReportMessage(2, r.message);
}

int MacroViewHost::RestoreSourceForm(const CString& path, CString* plain) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return -2;
  // The copy's path comes back in the document's file field; the document
  // keeps the file it shows.
  CString& curFile = doc->PathFields().m_strCurFile;
  const CString shown = curFile;
  const int r = doc->SaveEncryptedSource(0, path, "");
  if (plain) *plain = curFile;
  curFile = shown;
  return r;
}

// --- Input statements, user dialogs and dialog results ---------------------------

macroui::MacroDialogs& MacroViewHost::Dialogs() { return view_.MacroDialogs(); }

void MacroViewHost::DialogAnswered(int kind) {
  macroui::MacroDialogs& d = Dialogs();
  if (kind == macro::kResultInput)
    macro::MacroDialogSetResult(view_.Macro(), *this, kind, d.HoldInput().m_strInput, d.HoldInput().m_nMacroTarget);
  else if (kind == macro::kResultChoice)
    macro::MacroDialogSetResult(view_.Macro(), *this, kind, d.Choice().m_strAnswer, d.Choice().m_nMacroTarget);
  else
    macro::MacroDialogSetResult(view_.Macro(), *this, kind);
}

void MacroViewHost::ArmMacroResume(int ms) {
  if (view_.m_hWnd) view_.SetTimer(view::kTimerMacroResume, static_cast<UINT>(ms));
}

int MacroViewHost::SwitchIme(bool open) {
  HIMC imc = ::ImmGetContext(view_.m_hWnd);
  if (imc == nullptr) return -1;
  const int was = ::ImmGetOpenStatus(imc) ? 1 : 0;
  ::ImmSetOpenStatus(imc, open ? TRUE : FALSE);
  ::ImmReleaseContext(view_.m_hWnd, imc);
  return was;
}

namespace {

void FillInput(CInputDlg& dlg, const macro::InputBoxRequest& r) {
  dlg.m_strInput = r.text;
  dlg.m_strPrompt = r.prompt;
  dlg.m_nMode = r.mode;
  dlg.m_strTitle = r.title;
  dlg.m_strOkText = r.okText;
  dlg.m_strCancelText = r.cancelText;
}

void FillChoice(CChoiceDlg& dlg, const macro::ChoiceRequest& r) {
  dlg.m_strMessage = r.text;
  for (int k = 0; k < macroui::kChoiceCount; ++k) dlg.m_strChoice[k] = r.buttons[k];
  dlg.m_strTitle = r.title;
  dlg.m_strAnswer.Empty();
}

}  // namespace

void MacroViewHost::PlaceBesideView(CWnd& dialog) {
  CRect d, v;
  dialog.GetWindowRect(&d);
  view_.GetWindowRect(&v);
  const macroui::Rect r =
      macroui::PlaceBesideView({d.left, d.top, d.right, d.bottom}, {v.left, v.top, v.right, v.bottom});
  dialog.MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int MacroViewHost::RunInputBox(macro::InputBoxRequest& r) {
  CInputDlg dlg(&view_);
  FillInput(dlg, r);
  if (dlg.DoModal() != IDOK) return macro::kDialogCancel;
  r.text = dlg.m_strInput;
  return macro::kDialogOk;
}

bool MacroViewHost::OpenHoldInput(const macro::InputBoxRequest& r) {
  CInputDlg& dlg = Dialogs().HoldInput();
  FillInput(dlg, r);
  dlg.m_nMacroTarget = r.target;
  dlg.m_onMacroResult = [this](int kind) { DialogAnswered(kind); };
  if (!dlg.CreateBeside(&view_)) return false;
  PlaceBesideView(dlg);
  return true;
}

bool MacroViewHost::HoldInputOpen() { return Dialogs().HoldInput().IsOpen(); }

CString MacroViewHost::HoldInputText() {
  CString text;
  if (HoldInputOpen()) Dialogs().HoldInput().GetDlgItemText(IDC_INPUT_TEXT, text);
  return text;
}

void MacroViewHost::SetHoldInputText(const CString& text) {
  if (HoldInputOpen()) Dialogs().HoldInput().SetDlgItemText(IDC_INPUT_TEXT, text.GetString());
}

void MacroViewHost::CloseHoldInput() {
  if (HoldInputOpen()) Dialogs().HoldInput().DestroyWindow();
}

int MacroViewHost::RunMacroInput(macro::MacroInputRequest& r) {
  CMacroInputDlg dlg(&view_);
  dlg.m_strInputText = r.text;
  dlg.m_strPromptText = r.operand;
  dlg.m_strOptions = r.tail;
  if (static_cast<int>(dlg.DoModal()) != IDOK) return macro::kDialogCancel;
  r.text = dlg.m_strInputText;
  return macro::kDialogOk;
}

int MacroViewHost::RunChoice(macro::ChoiceRequest& r) {
  // An open choice dialog is closed before the next one shows.
  if (Dialogs().Choice().IsOpen()) Dialogs().Choice().DestroyWindow();
  CChoiceDlg dlg(&view_);
  FillChoice(dlg, r);
  if (dlg.DoModal() != IDOK) return macro::kDialogCancel;
  r.answer = dlg.m_strAnswer;
  return macro::kDialogOk;
}

bool MacroViewHost::OpenChoice(const macro::ChoiceRequest& r) {
  CChoiceDlg& dlg = Dialogs().Choice();
  FillChoice(dlg, r);
  dlg.m_nMacroTarget = r.target;
  dlg.m_onMacroResult = [this](int kind) { DialogAnswered(kind); };
  if (!dlg.CreateBeside(&view_)) return false;
  PlaceBesideView(dlg);
  return true;
}

bool MacroViewHost::SetClipboardText(const CString& text) { return fw::SetClipboardText(view_.m_hWnd, text.Str()); }
// --- Message statements, the processing dialog, the window statement --------

int MacroViewHost::MessageBoxAnswer(const CString& text, int style) {
  return AfxMessageBox(text, static_cast<unsigned>(style));
}

csv::CheckList* MacroViewHost::ViewCheckList() { return &view_; }

namespace {
bool ScreenRect(HWND h, macro::MacroRect* r) {
  RECT rc = {};
  if (!h || !::GetWindowRect(h, &rc)) return false;
  *r = {rc.left, rc.top, rc.right, rc.bottom};
  return true;
}
}  // namespace

bool MacroViewHost::DesktopRect(macro::MacroRect* r) { return ScreenRect(::GetDesktopWindow(), r); }

bool MacroViewHost::ViewRect(macro::MacroRect* r) { return ScreenRect(view_.m_hWnd, r); }

bool MacroViewHost::ProgressRecreate(const CString& okText, const CString& cancelText) {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  dlg.m_strOkCaption = okText;
  dlg.m_strCancelCaption = cancelText;
  if (dlg.m_hWnd) dlg.DestroyWindow();
  dlg.Create(CProgressDlg::IDD, &view_);
  dlg.SetOwner(this);
  dlg.m_bCancelled = 0;
  dlg.m_bConfirmed = 0;
  return dlg.m_hWnd != nullptr;
}

bool MacroViewHost::ProgressHasWindow() {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  return dlg.m_hWnd != nullptr && ::IsWindow(dlg.m_hWnd);
}

int MacroViewHost::ProgressTakeAnswer() {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  const int answer = dlg.m_bCancelled ? macro::kProgressCancelled : dlg.m_bConfirmed ? macro::kProgressOk : 0;
  if (answer != 0) dlg.m_bCancelled = dlg.m_bConfirmed = 0;
  return answer;
}

void MacroViewHost::ProgressClose() {
  view_.MacroDialogs().Progress().m_bCancelled = 0;
  view_.MacroDialogs().CloseProgress();
}

bool MacroViewHost::ProgressSize(int* width, int* height) {
  macro::MacroRect r;
  if (!ScreenRect(view_.MacroDialogs().Progress().m_hWnd, &r)) return false;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return true;
}

void MacroViewHost::ProgressMove(int x, int y, int width, int height) {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  if (dlg.m_hWnd) dlg.MoveWindow(x, y, width, height);
}

void MacroViewHost::ProgressHoldLayout(const CString& text) {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  if (!dlg.m_hWnd) return;
  dlg.m_strMessage = text;
  dlg.SetDlgItemText(IDC_PROGRESS_MESSAGE, text);
  auto place = [&dlg](int id, int x, int y, int w, int h) {
    if (CWnd* c = dlg.GetDlgItem(id)) c->MoveWindow(x, y, w, h);
  };
  place(IDC_PROGRESS_MESSAGE, 10, 10, 265, 50);
  for (int id : {IDC_PROGRESS_SECOND, IDC_PROGRESS_SHORT, IDC_PROGRESS_BAR}) place(id, 10, 200, 265, 20);
  for (int id : {IDC_PROGRESS_SHORT, IDC_PROGRESS_BAR})
    if (CWnd* c = dlg.GetDlgItem(id)) c->ShowWindow(SW_HIDE);
  place(IDOK, 115, 65, 70, 23);
  place(IDCANCEL, 195, 65, 70, 23);
  dlg.SetOwner(this);
}

void MacroViewHost::ProgressUpdate(const ProgressTexts& t) {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  if (!dlg.m_hWnd) return;
  auto show = [&dlg](int id, bool on) {
    if (CWnd* c = dlg.GetDlgItem(id)) c->ShowWindow(on ? SW_SHOW : SW_HIDE);
  };
  switch (macro::MacroProgressHiddenButton(dlg.m_strOkCaption, dlg.m_strCancelCaption)) {
    case macro::HiddenButton::kCancel: show(IDCANCEL, false); break;
    case macro::HiddenButton::kOk: show(IDOK, false); break;
    case macro::HiddenButton::kNone: break;
  }
  if (t.setCaption) dlg.SetWindowText(t.caption);
  if (t.setSecond) {
    dlg.m_strSecond = t.second;
    dlg.SetDlgItemText(IDC_PROGRESS_SECOND, t.second);
  }
  if (t.setMain) {
    dlg.m_strMessage = t.main;
    dlg.SetDlgItemText(IDC_PROGRESS_MESSAGE, t.main);
  }
  dlg.m_strShort = t.varText;
  dlg.SetDlgItemText(IDC_PROGRESS_SHORT, t.varText);
  show(IDC_PROGRESS_SHORT, !t.varText.IsEmpty());
  show(IDC_PROGRESS_BAR, t.showBar);
  if (t.showBar) dlg.SendDlgItemMessage(IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(t.barPos), 0);
}

void MacroViewHost::ProgressShow() {
  CProgressDlg& dlg = view_.MacroDialogs().Progress();
  if (dlg.m_hWnd) dlg.ShowWindow(SW_SHOW);
}

void MacroViewHost::PlaceFrame(const macro::FramePlacement& p) {
  CFrameWnd* frame = app::g_pFrameHost ? app::g_pFrameHost->FrameWnd() : nullptr;
  if (!frame || !frame->m_hWnd) return;
  switch (p.show) {
    case macro::FrameShow::kMinimize: frame->ShowWindow(SW_SHOWMINIMIZED); return;
    case macro::FrameShow::kMaximize: frame->ShowWindow(SW_SHOWMAXIMIZED); return;
    case macro::FrameShow::kHide: frame->ShowWindow(SW_HIDE); return;
    case macro::FrameShow::kRestore: frame->ShowWindow(SW_RESTORE); return;
    case macro::FrameShow::kPlace:
      frame->ShowWindow(SW_RESTORE);
      ::SetWindowPos(frame->m_hWnd, HWND_TOP, p.left, p.top, p.width, p.height, SWP_SHOWWINDOW);
      return;
  }
}

void MacroViewHost::ApplyTextLayoutWord(int word) {
  if (!app::g_pFrameHost) return;
  app::g_pFrameHost->SetTextLayoutWord(word);
  app::g_pFrameHost->CycleTextLayout(0, 0);
}

CWnd* MacroViewHost::OwnerWnd() { return &view_; }

// The buttons of the processing dialog (kind 1 OK, kind 0 Cancel).
void MacroViewHost::MacroDialogSetResult(int kind) { DialogAnswered(kind); }

// Row and line statements, sort, new rows and print.
void MacroViewHost::ClearPadTarget() { view_.m_nPadTarget = 0; }

void MacroViewHost::SetTitleLineFlag(bool on) { view_.m_nTitleLineFlag = on ? 1 : 0; }

std::int64_t MacroViewHost::SortTableLines(csv::Table& table, const csv::LineSortRequest& request) {
  // The run works on the view's own table: the view's sort, whose check
  // list follows the rows.
  if (&table != &view_.m_table) return csv::SortLines(table, request, nullptr);
  return view_.SortLines(request.numeric ? 1 : 0, request.skipBracket ? 1 : 0, request.key, request.block,
                         request.firstRow);
}

void MacroViewHost::SetPageMargins(const std::int32_t margins[4]) {
  for (int k = 0; k < 4; ++k) view_.m_nPageMargin[k] = margins[k];
}

void MacroViewHost::InitPrintMargins() { view_.InitPrintMargins(); }

void MacroViewHost::SetViewSizeIndexes(int table, int text) {
  view_.m_nTblsizCopy = table;
  view_.m_nTxtsizCopy = text;
}

}  // namespace view
