// The list-view control (SysListView32) and the view that is one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "fw/docview.h"

class CListCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  int InsertColumn(int col, const char* heading, int format = LVCFMT_LEFT, int width = -1);
  BOOL DeleteColumn(int col);
  int GetColumnWidth(int col) const;
  BOOL SetColumnWidth(int col, int width);
  int InsertItem(int item, const char* text);
  BOOL SetItemText(int item, int sub, const char* text);
  CString GetItemText(int item, int sub) const;
  BOOL SetItemData(int item, DWORD_PTR data);
  DWORD_PTR GetItemData(int item) const;
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const;
  int GetNextItem(int start, int flags) const;
  int GetItemCount() const;
  UINT GetSelectedCount() const;
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  BOOL EnsureVisible(int item, BOOL partialOK);
  DWORD SetExtendedStyle(DWORD exStyle);
  DWORD GetExtendedStyle() const;
};

class CListView : public CCtrlView {
  FW_DECLARE_MESSAGE_MAP()

  CListView();
  ~CListView() override;
  CListCtrl& GetListCtrl() { return m_ctrl; }
  const CListCtrl& GetListCtrl() const { return m_ctrl; }

  int OnCreate(LPCREATESTRUCTA cs);
  void OnDestroy();

 protected:
  CListCtrl m_ctrl;  // the view's own handle, not in the handle map
};
