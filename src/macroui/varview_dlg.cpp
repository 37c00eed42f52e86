#include "macroui/varview_dlg.h"

#include <cstring>

FW_BEGIN_MESSAGE_MAP(CVariableViewDlg, CDialog)
  fw::OnWmSize<&CVariableViewDlg::OnSize>(),
FW_END_MESSAGE_MAP()

namespace {

// The text field keeps this place and these margins whatever the window size.
constexpr int kTextLeft = 19;
constexpr int kTextTop = 41;
constexpr int kTextWidthMargin = 50;
constexpr int kTextHeightMargin = 100;

}  // namespace

CVariableViewDlg::~CVariableViewDlg() = default;

void CVariableViewDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_VARVIEW_LINE, m_editStopLine);
  DDX_Control(dx, IDC_VARVIEW_TEXT, m_editText);
  DDX_Text(dx, IDC_VARVIEW_LINE, m_nStopLine);
  DDV_MinMaxInt(dx, m_nStopLine, 0, kMaxStopLine);
  DDX_Text(dx, IDC_VARVIEW_TEXT, m_strText);
  DDV_MaxChars(dx, m_strText, kMaxTextChars);
  ApplyFixedFont();
}

void CVariableViewDlg::ApplyFixedFont() {
  if (!m_editText.m_hWnd) return;
  // One font per object, made from the dialog's own font the first time.
  if (!m_fontFixed.GetSafeHandle()) {
    LOGFONTA lf = {};
    HFONT base = GetFontHandle();
    if (!base || !::GetObjectA(base, sizeof lf, &lf)) {
      lf.lfHeight = -12;
      lf.lfCharSet = SHIFTJIS_CHARSET;
    }
    lf.lfPitchAndFamily = FIXED_PITCH;
    static const char kFace[] = "ＭＳ ゴシック";
    static_assert(sizeof kFace <= sizeof lf.lfFaceName, "the face fits LOGFONT");
    std::memcpy(lf.lfFaceName, kFace, sizeof kFace);
    m_fontFixed.CreateFontIndirect(&lf);
  }
  if (m_fontFixed.GetSafeHandle()) m_editText.SetFont(m_fontFixed);
}

void CVariableViewDlg::OnSize(UINT type, int cx, int cy) {
  Default();
  if (!m_editText.m_hWnd) return;
  CRect r;
  GetWindowRect(&r);
  // A window made smaller than the margins leaves an empty field, never a
  // negative size.
  const int width = r.Width() - kTextWidthMargin;
  const int height = r.Height() - kTextHeightMargin;
  m_editText.MoveWindow(kTextLeft, kTextTop, width > 0 ? width : 0, height > 0 ? height : 0);
}
