#include "fw/ddx.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fw/fwtext.h"
#include "fw/fwres.h"

namespace {

CString ControlText(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string buf(static_cast<size_t>(n) + 1, '\0');
  int got = GetWindowTextA(h, &buf[0], n + 1);
  buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return CString(std::move(buf));
}

// Text without the spaces and tabs around it.
std::string Trimmed(const CString& s) {
  std::string t = s.Str();
  size_t a = t.find_first_not_of(" \t"), b = t.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
}

bool ParseLong(const CString& text, long long lo, long long hi, long long* out) {
  std::string t = Trimmed(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = strtoll(t.c_str(), &end, 10);
  if (errno || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

template <class T>
void TextInteger(CDataExchange* dx, int id, T& value, long long lo, long long hi, unsigned errId) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareEditCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseLong(ControlText(h), lo, hi, &v)) {
      dx->FailWithMessage(fw::LoadText(errId));
      return;
    }
    value = static_cast<T>(v);
  } else {
    SetWindowTextA(h, std::to_string(value).c_str());
  }
}

void RangeFail(CDataExchange* dx, unsigned id, const std::string& lo, const std::string& hi) {
  dx->FailWithMessage(fw::FormatText(id, lo.c_str(), hi.c_str()));
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
  HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  if (!h) {
    m_bFailed = true;  // a DoDataExchange naming a missing control is a program error
    return nullptr;
  }
  m_hWndLastControl = h;
  m_bEditLastControl = false;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND h = PrepareCtrl(id);
  if (h) m_bEditLastControl = true;
  return h;
}

void CDataExchange::Fail() {
  if (m_hWndLastControl && m_bSaveAndValidate) {
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  m_bFailed = true;
}

void CDataExchange::FailWithMessage(const char* text) {
  m_pDlgWnd->MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
  Fail();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareEditCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    value = ControlText(h);
  } else {
    SetWindowTextA(h, value);
  }
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  TextInteger(dx, id, value, INT_MIN, INT_MAX, IDS_FW_PARSE_INT);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
  TextInteger(dx, id, value, 0, UINT_MAX, IDS_FW_PARSE_UINT);
}

void DDX_Text(CDataExchange* dx, int id, long& value) {
  TextInteger(dx, id, value, LONG_MIN, LONG_MAX, IDS_FW_PARSE_INT);
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareEditCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    std::string t = Trimmed(ControlText(h));
    errno = 0;
    char* end = nullptr;
    double v = t.empty() ? 0 : strtod(t.c_str(), &end);
    if (t.empty() || errno || *end) {
      dx->FailWithMessage(fw::LoadText(IDS_FW_PARSE_REAL));
      return;
    }
    value = v;
  } else {
    char buf[64];
    snprintf(buf, sizeof buf, "%.15g", value);
    SetWindowTextA(h, buf);
  }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(SendMessageA(h, BM_GETCHECK, 0, 0));
  } else {
    SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND first = dx->PrepareCtrl(id);
  if (!first) return;
  if (dx->m_bSaveAndValidate) value = -1;
  int index = 0;
  for (HWND h = first; h; h = GetWindow(h, GW_HWNDNEXT), ++index) {
    if (h != first && (GetWindowLongPtrA(h, GWL_STYLE) & WS_GROUP)) break;
    if (!(SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
    if (dx->m_bSaveAndValidate) {
      if (SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
    } else {
      SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void DDX_CBString(CDataExchange* dx, int id, CString& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  bool dropList = (GetWindowLongPtrA(h, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
  if (dx->m_bSaveAndValidate) {
    if (!dropList) {
      value = ControlText(h);
      return;
    }
    LRESULT sel = SendMessageA(h, CB_GETCURSEL, 0, 0);
    value.Empty();
    if (sel != CB_ERR) {
      LRESULT n = SendMessageA(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
      std::string buf(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
      SendMessageA(h, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&buf[0]));
      value = CString(buf.c_str());
    }
  } else {
    LRESULT i = SendMessageA(h, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(value.GetString()));
    SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    if (i == CB_ERR && !dropList) SetWindowTextA(h, value);
  }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
  } else {
    SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
  }
}

void DDX_LBString(CDataExchange* dx, int id, CString& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    LRESULT sel = SendMessageA(h, LB_GETCURSEL, 0, 0);
    value.Empty();
    if (sel != LB_ERR) {
      LRESULT n = SendMessageA(h, LB_GETTEXTLEN, static_cast<WPARAM>(sel), 0);
      std::string buf(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
      SendMessageA(h, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&buf[0]));
      value = CString(buf.c_str());
    }
  } else {
    LRESULT i = SendMessageA(h, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(value.GetString()));
    SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
}

void DDX_LBIndex(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0));
  } else {
    SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx->Failed() || control.m_hWnd) return;
  HWND h = dx->PrepareCtrl(id);
  if (h) control.SubclassWindow(h);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
  if (dx->Failed() || !dx->m_hWndLastControl) return;
  if (dx->m_bSaveAndValidate) {
    if (value.GetLength() > maxChars) {
      dx->FailWithMessage(fw::FormatText(IDS_FW_STRING_TOO_LONG, std::to_string(maxChars).c_str()));
    }
  } else if (dx->m_bEditLastControl) {
    SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
  }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal) {
  if (dx->Failed() || !dx->m_bSaveAndValidate) return;
  if (value < minVal || value > maxVal) {
    RangeFail(dx, IDS_FW_PARSE_INT_RANGE, std::to_string(minVal), std::to_string(maxVal));
  }
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal) {
  if (dx->Failed() || !dx->m_bSaveAndValidate) return;
  if (value < minVal || value > maxVal) {
    RangeFail(dx, IDS_FW_PARSE_INT_RANGE, std::to_string(minVal), std::to_string(maxVal));
  }
}

void DDV_MinMaxLong(CDataExchange* dx, long value, long minVal, long maxVal) {
  if (dx->Failed() || !dx->m_bSaveAndValidate) return;
  if (value < minVal || value > maxVal) {
    RangeFail(dx, IDS_FW_PARSE_INT_RANGE, std::to_string(minVal), std::to_string(maxVal));
  }
}

void DDV_MinMaxDouble(CDataExchange* dx, double value, double minVal, double maxVal) {
  if (dx->Failed() || !dx->m_bSaveAndValidate) return;
  if (!(value >= minVal && value <= maxVal)) {
    char lo[64], hi[64];
    snprintf(lo, sizeof lo, "%.15g", minVal);
    snprintf(hi, sizeof hi, "%.15g", maxVal);
    RangeFail(dx, IDS_FW_PARSE_REAL_RANGE, lo, hi);
  }
}

// --- CWnd's data exchange -------------------------------------------------------------

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL save) {
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  return dx.Failed() ? FALSE : TRUE;
}
