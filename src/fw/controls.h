// Wrappers of the standard and common controls: each is a CWnd whose
// operations send the control's messages. Create makes the control (common
// controls are initialised once first); DDX_Control or SubclassDlgItem binds
// one of a dialog's controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "fw/cstring.h"
#include "fw/wnd.h"

class CEdit : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetSel(int start, int end, BOOL noScroll = FALSE);
  void GetSel(int& start, int& end) const;
  void ReplaceSel(const char* text, BOOL canUndo = FALSE);
  void SetLimitText(UINT max);
  UINT GetLimitText() const;
  BOOL SetReadOnly(BOOL readOnly = TRUE);
  int GetLineCount() const;
  int LineIndex(int line = -1) const;
  int LineFromChar(int index = -1) const;
  int LineLength(int index = -1) const;
  int GetLine(int line, char* buffer, int max) const;
  BOOL GetModify() const;
  void SetModify(BOOL modified = TRUE);
  BOOL CanUndo() const;
  BOOL Undo();
  void Cut();
  void Copy();
  void Paste();
  void Clear();
};

class CButton : public CWnd {
 public:
  BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetCheck() const;
  void SetCheck(int check);
  UINT GetState() const;
  void SetState(BOOL highlight);
  UINT GetButtonStyle() const;
  void SetButtonStyle(UINT style, BOOL redraw = TRUE);
};

class CStatic : public CWnd {
 public:
  BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
  HICON SetIcon(HICON icon);
  HBITMAP SetBitmap(HBITMAP bitmap);
};

namespace fw {

// Message ids of the requests a list box and a combo box's list share.
struct ListBoxMsgs {
  static constexpr UINT kAddString = LB_ADDSTRING, kInsertString = LB_INSERTSTRING,
                        kDeleteString = LB_DELETESTRING, kResetContent = LB_RESETCONTENT,
                        kGetCount = LB_GETCOUNT, kGetCurSel = LB_GETCURSEL, kSetCurSel = LB_SETCURSEL,
                        kGetTextLen = LB_GETTEXTLEN, kGetText = LB_GETTEXT, kFindString = LB_FINDSTRING,
                        kFindStringExact = LB_FINDSTRINGEXACT, kSelectString = LB_SELECTSTRING,
                        kGetItemData = LB_GETITEMDATA, kSetItemData = LB_SETITEMDATA;
};
struct ComboBoxMsgs {
  static constexpr UINT kAddString = CB_ADDSTRING, kInsertString = CB_INSERTSTRING,
                        kDeleteString = CB_DELETESTRING, kResetContent = CB_RESETCONTENT,
                        kGetCount = CB_GETCOUNT, kGetCurSel = CB_GETCURSEL, kSetCurSel = CB_SETCURSEL,
                        kGetTextLen = CB_GETLBTEXTLEN, kGetText = CB_GETLBTEXT, kFindString = CB_FINDSTRING,
                        kFindStringExact = CB_FINDSTRINGEXACT, kSelectString = CB_SELECTSTRING,
                        kGetItemData = CB_GETITEMDATA, kSetItemData = CB_SETITEMDATA;
};

// The requests a list box and a combo box's list share, sent under the
// control's own message ids. Adds no data to CWnd, like every control class.
template <class Msgs>
class ListControl : public CWnd {
 public:
  int AddString(const char* text);
  int InsertString(int index, const char* text);
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  int FindString(int startAfter, const char* prefix) const;
  int FindStringExact(int startAfter, const char* text) const;
  int SelectString(int startAfter, const char* prefix);
  DWORD_PTR GetItemData(int index) const;
  int SetItemData(int index, DWORD_PTR data);

 protected:
  int TextOf(int index, CString& text) const;  // an item's text and its length
  int TextLenOf(int index) const;
};

extern template class ListControl<ListBoxMsgs>;
extern template class ListControl<ComboBoxMsgs>;

}  // namespace fw

class CListBox : public fw::ListControl<fw::ListBoxMsgs> {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetSel(int index) const;           // multiple-selection boxes
  int SetSel(int index, BOOL select = TRUE);
  int GetSelCount() const;
  int GetText(int index, CString& text) const;
  int GetTextLen(int index) const;
  int GetTopIndex() const;
  int SetTopIndex(int index);
};

class CComboBox : public fw::ListControl<fw::ComboBoxMsgs> {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetLBText(int index, CString& text) const;
  int GetLBTextLen(int index) const;
  BOOL LimitText(int max);
  void ShowDropDown(BOOL show = TRUE);
  BOOL GetDroppedState() const;
};

class CProgressCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  int SetPos(int pos);
  int GetPos() const;
  int OffsetPos(int delta);
  int SetStep(int step);
  int StepIt();
};

class CSliderCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(int minPos, int maxPos, BOOL redraw = FALSE);
  void GetRange(int& minPos, int& maxPos) const;
  int GetRangeMin() const;
  int GetRangeMax() const;
  void SetPos(int pos);
  int GetPos() const;
  void SetTicFreq(int freq);
  int SetPageSize(int size);
  int SetLineSize(int size);
};

class CSpinButtonCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(int lower, int upper);  // 32-bit range
  void GetRange(int& lower, int& upper) const;
  int SetPos(int pos);
  int GetPos() const;  // the position; the high word is not an error flag here
  CWnd* SetBuddy(CWnd* buddy);
  CWnd* GetBuddy() const;
  int SetBase(int base);
};

class CTabCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int InsertItem(int index, const char* text);
  BOOL DeleteItem(int index);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  CString GetItemText(int index) const;
  BOOL GetItemRect(int index, CRect* rect) const;
  // The display area for a window rectangle (larger FALSE), or the reverse.
  void AdjustRect(BOOL larger, CRect* rect) const;
};

class CDateTimeCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // GDT_VALID, or GDT_NONE when a DTS_SHOWNONE control has no date.
  DWORD GetTime(SYSTEMTIME* time) const;
  BOOL SetTime(const SYSTEMTIME* time);  // nullptr: no date (DTS_SHOWNONE)
  BOOL SetFormat(const char* format);
  BOOL SetRange(const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime);
};

class CMonthCalCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL GetCurSel(SYSTEMTIME* time) const;
  BOOL SetCurSel(const SYSTEMTIME* time);
  BOOL SetRange(const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime);
  BOOL GetToday(SYSTEMTIME* time) const;
  void SetToday(const SYSTEMTIME* time);
};
