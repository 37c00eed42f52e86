#include "macroui/macro_input_dlg.h"

FW_BEGIN_MESSAGE_MAP(CMacroInputDlg, CDialog)
  fw::OnWmSize<&CMacroInputDlg::OnSize>(),
  fw::OnWmTimer<&CMacroInputDlg::OnTimer>(),
FW_END_MESSAGE_MAP()

namespace {

// Where the fields are made; the layout moves them at once.
constexpr RECT kInputStart = {10, 40, 10 + 80, 40 + 20};
constexpr RECT kPromptStart = {10, 70, 10 + 270, 70 + 80};

DWORD InputStyle(const macroui::InputOptions& o) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
  if (o.rightAlign) style |= ES_RIGHT;
  if (o.password) style |= ES_PASSWORD;
  if (o.numbersOnly) style |= ES_NUMBER;
  if (o.upperCase) style |= ES_UPPERCASE;
  if (o.readOnly) style |= ES_READONLY;
  return style;
}

DWORD PromptStyle(const macroui::InputOptions& o) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE;
  if (o.promptHScroll) style |= ES_AUTOHSCROLL;
  if (o.promptVScroll) style |= WS_VSCROLL;
  return style;
}

DWORD PromptExStyle(const macroui::InputOptions& o) {
  switch (o.promptEdge) {
    case macroui::PromptEdge::kStatic: return WS_EX_STATICEDGE;
    case macroui::PromptEdge::kClient: return WS_EX_CLIENTEDGE;
    case macroui::PromptEdge::kNone: break;
  }
  return 0;
}

void Place(CWnd* w, const macroui::Box& b) {
  if (w && w->m_hWnd) w->MoveWindow(b.x, b.y, b.width, b.height);
}

}  // namespace

CMacroInputDlg::~CMacroInputDlg() = default;

void CMacroInputDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDOK, m_btnOK);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
  // The fields belong to this window: a new window (another DoModal of the
  // same object) builds them again.
  if (!m_bBuilt || !m_pInputEdit || !m_pInputEdit->m_hWnd) {
    Build();
    return;
  }
  m_pInputEdit->GetWindowText(m_strInputText);
}

void CMacroInputDlg::Build() {
  m_bBuilt = 0;
  m_options = macroui::ParseInputOptions(m_strOptions.Str());
  const macroui::InputOptions& o = m_options;

  m_pInputEdit = std::make_unique<CEdit>();
  const DWORD inputEx = o.bare ? 0 : WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE;
  m_pInputEdit->CreateEx(inputEx, "EDIT", "", InputStyle(o), kInputStart, this, IDC_MACRO_INPUT_TEXT);
  if (o.password) m_pInputEdit->SendMessage(EM_SETPASSWORDCHAR, '*');

  m_pPromptEdit = std::make_unique<CEdit>();
  m_pPromptEdit->CreateEx(PromptExStyle(o), "EDIT", "", PromptStyle(o), kPromptStart, this,
                          IDC_MACRO_INPUT_PROMPT);

  m_nFontSize = o.fontSize10;
  m_font.DeleteObject();
  m_font.CreatePointFont(m_nFontSize, o.fixedFace ? macroui::kInputFaceFixed : macroui::kInputFaceProportional);
  if (m_font.GetSafeHandle()) {
    m_pInputEdit->SetFont(m_font);
    m_pPromptEdit->SetFont(m_font);
  }

  m_pInputEdit->SetWindowText(m_strInputText);
  m_pPromptEdit->SetWindowText(m_strPromptText);
  if (!o.title.empty()) SetWindowText(o.title.c_str());

  // The window keeps its place and takes the asked size; the layout follows
  // once the fields count as built.
  const macroui::InputSize size = macroui::ResolveInputSize(m_nHeight, m_nWidth);
  m_nInputWidth = size.inputWidth;
  m_nHeight = size.height;
  m_nWidth = size.width;
  SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  m_bBuilt = 1;
  Layout();
  if (o.focusInput) SetTimer(kTimerFocus, 10);
}

void CMacroInputDlg::Layout() {
  const macroui::InputLayout at = macroui::LayOutInputBox(m_nWidth, m_nHeight, m_nFontSize, m_nInputWidth);
  Place(&m_btnCancel, at.cancel);
  Place(&m_btnOK, at.ok);
  Place(m_pPromptEdit.get(), at.prompt);
  Place(m_pInputEdit.get(), at.input);
}

void CMacroInputDlg::OnSize(UINT type, int cx, int cy) {
  Default();
  if (!m_nHeight || !m_bBuilt || !m_pInputEdit || !m_pInputEdit->m_hWnd) return;
  CRect r;
  GetWindowRect(&r);
  m_nHeight = r.Height();
  m_nWidth = r.Width();
  Layout();
}

void CMacroInputDlg::OnTimer(UINT_PTR id) {
  if (id != kTimerFocus) {
    Default();
    return;
  }
  KillTimer(kTimerFocus);
  if (m_pInputEdit && m_pInputEdit->m_hWnd) GotoDlgCtrl(m_pInputEdit.get());
}
