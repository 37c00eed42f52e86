#include "fw/controls.h"

#include <string>

#include "fw/commonctl.h"

namespace {

BOOL MakeControl(CWnd* w, const char* cls, const char* text, DWORD style, const RECT& rect,
                 CWnd* parent, UINT id) {
  fw::InitCommonControlsOnce();
  return w->CreateEx(0, cls, text ? text : "", style | WS_CHILD, rect, parent, id);
}

LPARAM Str(const char* s) { return reinterpret_cast<LPARAM>(s ? s : ""); }
WPARAM W(int v) { return static_cast<WPARAM>(v); }

// A range of two times; a null end leaves that side open.
LRESULT SendTimeRange(const CWnd* w, UINT msg, const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime) {
  SYSTEMTIME r[2] = {};
  WPARAM flags = 0;
  if (minTime) {
    r[0] = *minTime;
    flags |= GDTR_MIN;
  }
  if (maxTime) {
    r[1] = *maxTime;
    flags |= GDTR_MAX;
  }
  return w->SendMessage(msg, flags, reinterpret_cast<LPARAM>(r));
}

}  // namespace

// --- CEdit -----------------------------------------------------------------------------------

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, "EDIT", "", style, rect, parent, id);
}
void CEdit::SetSel(int start, int end, BOOL noScroll) {
  SendMessage(EM_SETSEL, W(start), end);
  if (!noScroll) SendMessage(EM_SCROLLCARET);
}
void CEdit::GetSel(int& start, int& end) const {
  DWORD s = 0, e = 0;
  SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  start = static_cast<int>(s);
  end = static_cast<int>(e);
}
void CEdit::ReplaceSel(const char* text, BOOL canUndo) { SendMessage(EM_REPLACESEL, canUndo, Str(text)); }
void CEdit::SetLimitText(UINT max) { SendMessage(EM_SETLIMITTEXT, max); }
UINT CEdit::GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
BOOL CEdit::SetReadOnly(BOOL readOnly) { return SendMessage(EM_SETREADONLY, readOnly) != 0; }
int CEdit::GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
int CEdit::LineIndex(int line) const { return static_cast<int>(SendMessage(EM_LINEINDEX, W(line))); }
int CEdit::LineFromChar(int index) const { return static_cast<int>(SendMessage(EM_LINEFROMCHAR, W(index))); }
int CEdit::LineLength(int index) const { return static_cast<int>(SendMessage(EM_LINELENGTH, W(index))); }
int CEdit::GetLine(int line, char* buffer, int max) const {
  if (max < 2) return 0;
  *reinterpret_cast<WORD*>(buffer) = static_cast<WORD>(max > 0xFFFF ? 0xFFFF : max);
  return static_cast<int>(SendMessage(EM_GETLINE, W(line), reinterpret_cast<LPARAM>(buffer)));
}
BOOL CEdit::GetModify() const { return SendMessage(EM_GETMODIFY) != 0; }
void CEdit::SetModify(BOOL modified) { SendMessage(EM_SETMODIFY, modified); }
BOOL CEdit::CanUndo() const { return SendMessage(EM_CANUNDO) != 0; }
BOOL CEdit::Undo() { return SendMessage(EM_UNDO) != 0; }
void CEdit::Cut() { SendMessage(WM_CUT); }
void CEdit::Copy() { SendMessage(WM_COPY); }
void CEdit::Paste() { SendMessage(WM_PASTE); }
void CEdit::Clear() { SendMessage(WM_CLEAR); }

// --- CButton, CStatic -------------------------------------------------------------------------

BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, "BUTTON", caption, style, rect, parent, id);
}
int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, W(check)); }
UINT CButton::GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
void CButton::SetState(BOOL highlight) { SendMessage(BM_SETSTATE, highlight); }
UINT CButton::GetButtonStyle() const { return GetStyle() & 0xFF; }
void CButton::SetButtonStyle(UINT style, BOOL redraw) { SendMessage(BM_SETSTYLE, style, redraw); }

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, "STATIC", text, style, rect, parent, id);
}
HICON CStatic::SetIcon(HICON icon) {
  return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
}
HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
  return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

// --- CListBox, CComboBox -----------------------------------------------------------------------

namespace fw {

template <class M>
int ListControl<M>::AddString(const char* text) {
  return static_cast<int>(SendMessage(M::kAddString, 0, Str(text)));
}
template <class M>
int ListControl<M>::InsertString(int index, const char* text) {
  return static_cast<int>(SendMessage(M::kInsertString, W(index), Str(text)));
}
template <class M>
int ListControl<M>::DeleteString(int index) {
  return static_cast<int>(SendMessage(M::kDeleteString, W(index)));
}
template <class M> void ListControl<M>::ResetContent() { SendMessage(M::kResetContent); }
template <class M> int ListControl<M>::GetCount() const { return static_cast<int>(SendMessage(M::kGetCount)); }
template <class M>
int ListControl<M>::GetCurSel() const {
  return static_cast<int>(SendMessage(M::kGetCurSel));
}
template <class M>
int ListControl<M>::SetCurSel(int index) {
  return static_cast<int>(SendMessage(M::kSetCurSel, W(index)));
}
template <class M>
int ListControl<M>::FindString(int startAfter, const char* prefix) const {
  return static_cast<int>(SendMessage(M::kFindString, W(startAfter), Str(prefix)));
}
template <class M>
int ListControl<M>::FindStringExact(int startAfter, const char* text) const {
  return static_cast<int>(SendMessage(M::kFindStringExact, W(startAfter), Str(text)));
}
template <class M>
int ListControl<M>::SelectString(int startAfter, const char* prefix) {
  return static_cast<int>(SendMessage(M::kSelectString, W(startAfter), Str(prefix)));
}
template <class M>
DWORD_PTR ListControl<M>::GetItemData(int index) const {
  return static_cast<DWORD_PTR>(SendMessage(M::kGetItemData, W(index)));
}
template <class M>
int ListControl<M>::SetItemData(int index, DWORD_PTR data) {
  return static_cast<int>(SendMessage(M::kSetItemData, W(index), static_cast<LPARAM>(data)));
}
template <class M>
int ListControl<M>::TextOf(int index, CString& text) const {
  LRESULT n = SendMessage(M::kGetTextLen, W(index));
  if (n < 0) {
    text.Empty();
    return static_cast<int>(n);
  }
  std::string buf(static_cast<size_t>(n) + 1, '\0');
  LRESULT got = SendMessage(M::kGetText, W(index), reinterpret_cast<LPARAM>(&buf[0]));
  buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
  text = CString(std::move(buf));
  return static_cast<int>(got);
}
template <class M>
int ListControl<M>::TextLenOf(int index) const {
  return static_cast<int>(SendMessage(M::kGetTextLen, W(index)));
}

template class ListControl<ListBoxMsgs>;
template class ListControl<ComboBoxMsgs>;

}  // namespace fw

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, "LISTBOX", "", style, rect, parent, id);
}
int CListBox::GetSel(int index) const { return static_cast<int>(SendMessage(LB_GETSEL, W(index))); }
int CListBox::SetSel(int index, BOOL select) { return static_cast<int>(SendMessage(LB_SETSEL, select, index)); }
int CListBox::GetSelCount() const { return static_cast<int>(SendMessage(LB_GETSELCOUNT)); }
int CListBox::GetText(int index, CString& text) const { return TextOf(index, text); }
int CListBox::GetTextLen(int index) const { return TextLenOf(index); }
int CListBox::GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
int CListBox::SetTopIndex(int index) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, W(index))); }

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, "COMBOBOX", "", style, rect, parent, id);
}
int CComboBox::GetLBText(int index, CString& text) const { return TextOf(index, text); }
int CComboBox::GetLBTextLen(int index) const { return TextLenOf(index); }
BOOL CComboBox::LimitText(int max) { return SendMessage(CB_LIMITTEXT, W(max)) != 0; }
void CComboBox::ShowDropDown(BOOL show) { SendMessage(CB_SHOWDROPDOWN, show); }
BOOL CComboBox::GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }

// --- CProgressCtrl, CSliderCtrl, CSpinButtonCtrl ---------------------------------------------

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, PROGRESS_CLASSA, "", style, rect, parent, id);
}
void CProgressCtrl::SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
void CProgressCtrl::SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, W(lower), upper); }
void CProgressCtrl::GetRange(int& lower, int& upper) const {
  PBRANGE r = {};
  SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&r));
  lower = r.iLow;
  upper = r.iHigh;
}
int CProgressCtrl::SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, W(pos))); }
int CProgressCtrl::GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
int CProgressCtrl::OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, W(delta))); }
int CProgressCtrl::SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, W(step))); }
int CProgressCtrl::StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }

BOOL CSliderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, TRACKBAR_CLASSA, "", style, rect, parent, id);
}
void CSliderCtrl::SetRange(int minPos, int maxPos, BOOL redraw) {
  SendMessage(TBM_SETRANGEMIN, FALSE, minPos);
  SendMessage(TBM_SETRANGEMAX, redraw, maxPos);
}
void CSliderCtrl::GetRange(int& minPos, int& maxPos) const {
  minPos = GetRangeMin();
  maxPos = GetRangeMax();
}
int CSliderCtrl::GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
int CSliderCtrl::GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
void CSliderCtrl::SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
int CSliderCtrl::GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
void CSliderCtrl::SetTicFreq(int freq) { SendMessage(TBM_SETTICFREQ, W(freq)); }
int CSliderCtrl::SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
int CSliderCtrl::SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }

BOOL CSpinButtonCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, UPDOWN_CLASSA, "", style, rect, parent, id);
}
void CSpinButtonCtrl::SetRange(int lower, int upper) { SendMessage(UDM_SETRANGE32, W(lower), upper); }
void CSpinButtonCtrl::GetRange(int& lower, int& upper) const {
  SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}
int CSpinButtonCtrl::SetPos(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos)); }
int CSpinButtonCtrl::GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS32)); }
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy) {
  return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(FwGetSafeHwnd(buddy)))));
}
CWnd* CSpinButtonCtrl::GetBuddy() const {
  return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY)));
}
int CSpinButtonCtrl::SetBase(int base) { return static_cast<int>(SendMessage(UDM_SETBASE, W(base))); }

// --- CTabCtrl ------------------------------------------------------------------------------------

BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, WC_TABCONTROLA, "", style, rect, parent, id);
}
int CTabCtrl::InsertItem(int index, const char* text) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text ? text : "");
  return static_cast<int>(SendMessage(TCM_INSERTITEMA, W(index), reinterpret_cast<LPARAM>(&item)));
}
BOOL CTabCtrl::DeleteItem(int index) { return SendMessage(TCM_DELETEITEM, W(index)) != 0; }
BOOL CTabCtrl::DeleteAllItems() { return SendMessage(TCM_DELETEALLITEMS) != 0; }
int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
int CTabCtrl::GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
int CTabCtrl::SetCurSel(int index) { return static_cast<int>(SendMessage(TCM_SETCURSEL, W(index))); }
CString CTabCtrl::GetItemText(int index) const {
  char buf[512] = {};
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  if (!SendMessage(TCM_GETITEMA, W(index), reinterpret_cast<LPARAM>(&item))) return CString();
  return CString(item.pszText);
}
BOOL CTabCtrl::GetItemRect(int index, CRect* rect) const {
  RECT r = {};
  BOOL ok = SendMessage(TCM_GETITEMRECT, W(index), reinterpret_cast<LPARAM>(&r)) != 0;
  *rect = fw::ToCRect(r);
  return ok;
}
void CTabCtrl::AdjustRect(BOOL larger, CRect* rect) const {
  RECT r = fw::ToRECT(*rect);
  SendMessage(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(&r));
  *rect = fw::ToCRect(r);
}

// --- CDateTimeCtrl, CMonthCalCtrl --------------------------------------------------------------

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, DATETIMEPICK_CLASSA, "", style, rect, parent, id);
}
DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const {
  return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)));
}
BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time) {
  return SendMessage(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(time)) != 0;
}
BOOL CDateTimeCtrl::SetFormat(const char* format) {
  return SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)) != 0;
}
BOOL CDateTimeCtrl::SetRange(const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime) {
  return SendTimeRange(this, DTM_SETRANGE, minTime, maxTime) != 0;
}

BOOL CMonthCalCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return MakeControl(this, MONTHCAL_CLASSA, "", style, rect, parent, id);
}
BOOL CMonthCalCtrl::GetCurSel(SYSTEMTIME* time) const {
  return SendMessage(MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(time)) != 0;
}
BOOL CMonthCalCtrl::SetCurSel(const SYSTEMTIME* time) {
  return SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(time)) != 0;
}
BOOL CMonthCalCtrl::SetRange(const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime) {
  return SendTimeRange(this, MCM_SETRANGE, minTime, maxTime) != 0;
}
BOOL CMonthCalCtrl::GetToday(SYSTEMTIME* time) const {
  return SendMessage(MCM_GETTODAY, 0, reinterpret_cast<LPARAM>(time)) != 0;
}
void CMonthCalCtrl::SetToday(const SYSTEMTIME* time) {
  SendMessage(MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(time));
}
