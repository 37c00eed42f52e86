#include "fw/dialog.h"

#include <functional>
#include <string>

#include "fw/uihooks.h"

FW_BEGIN_MESSAGE_MAP(CDialog, CWnd)
  fw::OnMessage<&CDialog::HandleInitDialog>(WM_INITDIALOG),
  fw::OnCommand<&CDialog::HandleOK>(IDOK),
  fw::OnCommand<&CDialog::HandleCancel>(IDCANCEL),
FW_END_MESSAGE_MAP()

namespace {

// Dialog messages go through the subclassed window procedure; the dialog
// procedure leaves everything to the default processing.
INT_PTR CALLBACK FwDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

std::vector<BYTE> CDialog::LoadTemplate(bool hidden) const {
  HINSTANCE inst = fw::ResourceHandle();
  HRSRC res = FindResourceA(inst, MAKEINTRESOURCEA(m_nIDTemplate), reinterpret_cast<LPCSTR>(RT_DIALOG));
  if (!res) return {};
  HGLOBAL mem = LoadResource(inst, res);
  const BYTE* p = mem ? static_cast<const BYTE*>(LockResource(mem)) : nullptr;
  DWORD size = SizeofResource(inst, res);
  if (!p || size < 18) return {};
  std::vector<BYTE> t(p, p + size);
  // DLGTEMPLATEEX starts with version 1 and signature 0xFFFF; its style is at
  // offset 12. The plain DLGTEMPLATE has its style first.
  bool ex = t[0] == 1 && t[1] == 0 && t[2] == 0xFF && t[3] == 0xFF;
  size_t at = ex ? 12 : 0;
  if (hidden && t.size() >= at + 4) {
    DWORD style;
    memcpy(&style, &t[at], 4);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    memcpy(&t[at], &style, 4);
  }
  return t;
}

BOOL CDialog::CreateFromTemplate(const std::vector<BYTE>& tmpl, HWND parent) {
  if (tmpl.empty() || m_hWnd) return FALSE;
  HWND h;
  {
    fw::CreateBinding bind(this);
    h = CreateDialogIndirectParamA(fw::ResourceHandle(),
                                   reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), parent,
                                   FwDlgProc, 0);
  }
  return h ? TRUE : FALSE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  if (parent) m_pParentWnd = parent;
  m_bEnded = false;
  m_nModalResult = -1;
  return CreateFromTemplate(LoadTemplate(false), FwGetSafeHwnd(m_pParentWnd));
}

INT_PTR CDialog::DoModal() {
  m_bEnded = false;
  m_nModalResult = -1;
  fw::hooks::DialogAnswer answer;
  if (fw::hooks::TakeDialogAnswer(static_cast<int>(m_nIDTemplate), &answer) || fw::hooks::TestMode()) {
    if (!answer) return IDCANCEL;  // test mode refuses what it did not expect
    m_bTestModal = true;
    if (!CreateFromTemplate(LoadTemplate(true), FwGetSafeHwnd(m_pParentWnd))) {
      m_bTestModal = false;
      return -1;
    }
    for (int attempt = 0; attempt < 3 && !m_bEnded && m_hWnd; ++attempt) {
      int r = answer(*this);
      if (r == IDOK) {
        OnOK();
      } else if (r == IDCANCEL) {
        OnCancel();
      } else {
        EndDialog(r);
      }
    }
    if (!m_bEnded) {
      // Validation refused three answers: cancelled, and reported to the test.
      fw::hooks::RefuseModal("dialog " + std::to_string(m_nIDTemplate) + ": OK refused 3 times");
      EndDialog(IDCANCEL);
    }
    if (m_hWnd) DestroyWindow();
    m_bTestModal = false;
    return m_nModalResult;
  }
  std::vector<BYTE> tmpl = LoadTemplate(false);
  if (tmpl.empty()) return -1;
  HWND parent = FwGetSafeHwnd(m_pParentWnd);
  if (!parent) {
    CWnd* main = CWnd::FromHandlePermanent(::GetActiveWindow());
    parent = FwGetSafeHwnd(main);
  }
  m_bInModalLoop = true;
  INT_PTR r;
  {
    fw::CreateBinding bind(this);
    r = DialogBoxIndirectParamA(fw::ResourceHandle(), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()),
                                parent, FwDlgProc, 0);
  }
  m_bInModalLoop = false;
  if (r == -1) return -1;
  return m_bEnded ? m_nModalResult : r;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  m_bEnded = true;
  if (m_hWnd && !m_bTestModal) ::EndDialog(m_hWnd, result);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
  // Over the owner (or the screen) unless the template places it on the screen.
  if (!(GetStyle() & (DS_ABSALIGN | WS_CHILD))) CenterWindow();
  return OnInitDialog();
}

void CDialog::NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }

void CDialog::GotoDlgCtrl(CWnd* control) {
  ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(FwGetSafeHwnd(control)), TRUE);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  // Modeless dialogs get the keyboard interface of dialogs (Tab, Enter, Esc).
  if (!m_bInModalLoop && m_hWnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    return ::IsDialogMessageA(m_hWnd, msg);
  }
  return FALSE;
}
