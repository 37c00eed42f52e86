// CDialog: a dialog from a dialog resource, modal (DoModal) or modeless
// (Create). In test mode DoModal never runs a modal loop: the dialog is made
// hidden and modeless, initialised, and answered by the test's callback
// (fw/uihooks.h), with OnOK's validation in between; an OK that validation
// refuses gets the callback again, three times at most.
#pragma once

#include <windows.h>

#include <vector>

#include "fw/ddx.h"
#include "fw/wnd.h"

class CDialog : public CWnd {
  FW_DECLARE_MESSAGE_MAP()

  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr)
      : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

  // Modeless.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Modal: IDOK, IDCANCEL or the value given to EndDialog; -1 when the dialog
  // could not be created.
  virtual INT_PTR DoModal();

  virtual BOOL OnInitDialog();  // default: UpdateData(FALSE), focus to the first control
  virtual void OnOK();          // default: UpdateData(TRUE), then EndDialog(IDOK)
  virtual void OnCancel();      // default: EndDialog(IDCANCEL)
  void EndDialog(int result);

  UINT GetTemplateId() const { return m_nIDTemplate; }
  int GetModalResult() const { return m_nModalResult; }
  // True once EndDialog ran for the current DoModal.
  bool IsEnded() const { return m_bEnded; }
  void NextDlgCtrl() const;
  void GotoDlgCtrl(CWnd* control);

  BOOL PreTranslateMessage(MSG* msg) override;

  LRESULT HandleInitDialog(WPARAM wp, LPARAM lp);
  void HandleOK() { OnOK(); }
  void HandleCancel() { OnCancel(); }

 protected:
  // The template, with WS_VISIBLE removed when `hidden`; empty when missing.
  std::vector<BYTE> LoadTemplate(bool hidden) const;
  BOOL CreateFromTemplate(const std::vector<BYTE>& tmpl, HWND parent);

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;
  int m_nModalResult = -1;
  bool m_bEnded = false;
  bool m_bInModalLoop = false;
  bool m_bTestModal = false;
};
