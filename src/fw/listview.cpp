#include "fw/listview.h"

#include <string>

#include "fw/commonctl.h"

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  fw::InitCommonControlsOnce();
  return CreateEx(0, WC_LISTVIEWA, "", style | WS_CHILD, rect, parent, id);
}

int CListCtrl::InsertColumn(int col, const char* heading, int format, int width) {
  LVCOLUMNA c = {};
  c.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0);
  c.fmt = format;
  c.cx = width;
  c.pszText = const_cast<char*>(heading ? heading : "");
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&c)));
}
BOOL CListCtrl::DeleteColumn(int col) { return SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(col)) != 0; }
int CListCtrl::GetColumnWidth(int col) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col)));
}
BOOL CListCtrl::SetColumnWidth(int col, int width) {
  return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(col), MAKELPARAM(width, 0)) != 0;
}
int CListCtrl::InsertItem(int item, const char* text) {
  LVITEMA it = {};
  it.mask = LVIF_TEXT;
  it.iItem = item;
  it.pszText = const_cast<char*>(text ? text : "");
  return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}
BOOL CListCtrl::SetItemText(int item, int sub, const char* text) {
  LVITEMA it = {};
  it.iSubItem = sub;
  it.pszText = const_cast<char*>(text ? text : "");
  return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)) != 0;
}
CString CListCtrl::GetItemText(int item, int sub) const {
  std::string buf(1024, '\0');
  LVITEMA it = {};
  it.iSubItem = sub;
  it.pszText = &buf[0];
  it.cchTextMax = static_cast<int>(buf.size());
  LRESULT n = SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
  buf.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return CString(std::move(buf));
}
BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
  LVITEMA it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  it.lParam = static_cast<LPARAM>(data);
  return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it)) != 0;
}
DWORD_PTR CListCtrl::GetItemData(int item) const {
  LVITEMA it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return static_cast<DWORD_PTR>(it.lParam);
}
BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMA it = {};
  it.state = state;
  it.stateMask = mask;
  return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)) != 0;
}
UINT CListCtrl::GetItemState(int item, UINT mask) const {
  return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}
int CListCtrl::GetNextItem(int start, int flags) const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
}
int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
UINT CListCtrl::GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
BOOL CListCtrl::DeleteItem(int item) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0; }
BOOL CListCtrl::DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
BOOL CListCtrl::EnsureVisible(int item, BOOL partialOK) {
  return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOK) != 0;
}
DWORD CListCtrl::SetExtendedStyle(DWORD exStyle) {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(exStyle)));
}
DWORD CListCtrl::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

FW_BEGIN_MESSAGE_MAP(CListView, CCtrlView)
  fw::OnWmCreate<&CListView::OnCreate>(),
  fw::OnMessageVoid<&CListView::OnDestroy>(WM_DESTROY),
FW_END_MESSAGE_MAP()

CListView::CListView() : CCtrlView(WC_LISTVIEWA, LVS_REPORT | LVS_SHOWSELALWAYS) {
  fw::InitCommonControlsOnce();
}

CListView::~CListView() { m_ctrl.m_hWnd = nullptr; }

int CListView::OnCreate(LPCREATESTRUCTA cs) {
  if (CView::OnCreate(cs) == -1) return -1;
  m_ctrl.m_hWnd = m_hWnd;
  return 0;
}

void CListView::OnDestroy() {
  CView::OnDestroy();
  m_ctrl.m_hWnd = nullptr;
}
