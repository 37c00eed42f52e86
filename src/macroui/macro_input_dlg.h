// The macro language's input box (dialog 180, "入力"): a one-line input
// field and a read-only prompt area below it, both made at run time by the
// first data exchange. The caller sets the input text, the prompt text, the
// options, the height and the width, runs DoModal and on IDOK reads the input
// text back.
//
// Options: letters (R right-aligned, P password, N numbers only, U upper
// case, O read-only, T read-only without border and focus, H/V the prompt's
// scroll bars, B/D its edge, W the fixed-pitch face), a last digit 1-9 for
// the font size, and after ':' the window title. The rules are the portable
// macroui::ParseInputOptions and macroui::InputLayout (macroui/input_rules.h).
#pragma once

#include "fw/controls.h"
#include "fw/cstring.h"
#include "fw/dialog.h"
#include "fw/gdi.h"
#include "res/resource.h"

class CMacroInputDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

 public:
  enum { IDD = IDD_MACRO_INPUT };
  explicit CMacroInputDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  ~CMacroInputDlg() override;

  CButton m_btnOK;
  CButton m_btnCancel;
  int m_bBuilt = 0;             // 1 once the two edit fields exist
  int m_nInputWidth = 0;        // width of the input field in pixels, 0 = automatic
  CEdit* m_pInputEdit = nullptr;
  CEdit* m_pPromptEdit = nullptr;
  CString m_strInputText;       // in: the initial text; out: what the user typed
  CString m_strPromptText;      // the text of the prompt area
  CString m_strOptions;         // option letters, then optionally ':' and a title
  int m_nHeight = 0;            // window height in pixels (0: 200)
  int m_nWidth = 0;             // window width (0: 300), + 2000 x input width
  int m_nFontSize = 0;          // font size in tenths of a point

  void DoDataExchange(CDataExchange* dx) override;
  void OnSize(UINT type, int cx, int cy);
  void OnTimer(UINT_PTR id);

 private:
  void Build(CDataExchange* dx);
  void Layout();

  CFont m_font;
};
