#include "macroui/choice_dlg.h"

#include <string>

namespace {

constexpr UINT kButtonIds[macroui::kChoiceCount] = {IDC_CHOICE_BUTTON1, IDC_CHOICE_BUTTON2, IDC_CHOICE_BUTTON3,
                                                    IDC_CHOICE_BUTTON4, IDC_CHOICE_BUTTON5};
constexpr UINT kTextIds[macroui::kChoiceCount] = {IDC_CHOICE_TEXT1, IDC_CHOICE_TEXT2, IDC_CHOICE_TEXT3,
                                                  IDC_CHOICE_TEXT4, IDC_CHOICE_TEXT5};

}  // namespace

FW_BEGIN_MESSAGE_MAP(CChoiceDlg, CDialog)
  fw::OnCommandRange<&CChoiceDlg::OnChoice>(IDC_CHOICE_BUTTON1, IDC_CHOICE_BUTTON1),
  fw::OnCommandRange<&CChoiceDlg::OnChoice>(IDC_CHOICE_BUTTON2, IDC_CHOICE_BUTTON2),
  fw::OnCommandRange<&CChoiceDlg::OnChoice>(IDC_CHOICE_BUTTON3, IDC_CHOICE_BUTTON3),
  fw::OnCommandRange<&CChoiceDlg::OnChoice>(IDC_CHOICE_BUTTON4, IDC_CHOICE_BUTTON4),
  fw::OnCommandRange<&CChoiceDlg::OnChoice>(IDC_CHOICE_BUTTON5, IDC_CHOICE_BUTTON5),
FW_END_MESSAGE_MAP()

CChoiceDlg::~CChoiceDlg() = default;

bool CChoiceDlg::CreateBeside(CWnd* owner) {
  if (IsOpen()) DestroyWindow();
  m_bModeless = true;
  m_bShaped = false;
  if (!Create(IDD, owner)) {
    m_bModeless = false;
    return false;
  }
  ShowWindow(SW_SHOW);
  return true;
}

bool CChoiceDlg::IsOpen() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

void CChoiceDlg::DoDataExchange(CDataExchange* dx) {
  for (int k = 0; k < macroui::kChoiceCount; ++k) {
    DDX_Control(dx, static_cast<int>(kButtonIds[k]), m_btnChoice[k]);
    DDX_Text(dx, static_cast<int>(kTextIds[k]), m_strChoice[k]);
  }
  DDX_Text(dx, IDC_CHOICE_ANSWER, m_strAnswer);
  DDX_Text(dx, IDC_CHOICE_MESSAGE, m_strMessage);
  if (!m_bShaped) Shape();
}

void CChoiceDlg::Shape() {
  m_bShaped = true;
  std::string texts[macroui::kChoiceCount];
  for (int k = 0; k < macroui::kChoiceCount; ++k) texts[k] = m_strChoice[k].Str();
  const macroui::ChoiceShape s = macroui::ShapeChoice(texts);
  for (int k = 0; k < macroui::kChoiceCount; ++k)
    if (!s.shown[k] && m_btnChoice[k].m_hWnd) m_btnChoice[k].ShowWindow(SW_HIDE);
  if (!m_strTitle.IsEmpty()) SetWindowText(m_strTitle);
  if (s.lessHeight > 0 || s.lessWidth > 0) {
    CRect r;
    GetWindowRect(&r);
    const int width = r.Width() - s.lessWidth, height = r.Height() - s.lessHeight;
    SetWindowPos(nullptr, 0, 0, width > 0 ? width : 0, height > 0 ? height : 0,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

BOOL CChoiceDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && m_hWnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
    std::string texts[macroui::kChoiceCount];
    for (int k = 0; k < macroui::kChoiceCount; ++k) texts[k] = m_strChoice[k].Str();
    const int n = macroui::ChoiceForKey(static_cast<unsigned>(msg->wParam), texts);
    if (n > 0) {
      Choose(n);
      return TRUE;
    }
  }
  return CDialog::PreTranslateMessage(msg);
}

void CChoiceDlg::OnCancel() {
  if (!m_bModeless) {
    CDialog::OnCancel();
    return;
  }
  m_bModeless = false;
  DestroyWindow();
}

void CChoiceDlg::OnChoice(UINT id) {
  for (int k = 0; k < macroui::kChoiceCount; ++k)
    if (kButtonIds[k] == id) Choose(k + 1);
}

void CChoiceDlg::Choose(int n) {
  if (n < 1 || n > macroui::kChoiceCount) return;
  m_strAnswer.Format("%d", n);
  if (m_hWnd) SetDlgItemText(IDC_CHOICE_ANSWER, m_strAnswer.GetString());
  if (m_bModeless) {
    m_bModeless = false;
    DestroyWindow();
  } else {
    EndDialog(IDOK);
  }
  if (m_nMacroTarget != 0 && m_onMacroResult) m_onMacroResult(3);
}
