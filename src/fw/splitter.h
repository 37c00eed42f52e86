// CSplitterWnd: a window divided into rows and columns of panes, with split
// bars between them. A static splitter has a fixed grid whose panes the owner
// creates (views with CreateView, or nested splitters created with this
// splitter as parent and IdFromRowCol as id). A dynamic splitter (at most
// 2x2) starts with one view and makes more views of the same class when a row
// or column is split, programmatically or by dragging from the split strip
// along its top or left edge; dragging a bar to an edge removes the pane.
#pragma once

#include <windows.h>

#include <vector>

#include "fw/creator.h"
#include "fw/frame.h"
#include "fw/wnd.h"

constexpr DWORD SPLS_DYNAMIC_SPLIT = 0x0001;

class CSplitterWnd : public CWnd {
  FW_DECLARE_MESSAGE_MAP()

  CSplitterWnd();
  ~CSplitterWnd() override;

  BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                    UINT id = AFX_IDW_PANE_FIRST);
  // Dynamic: the context's view class fills pane (0,0).
  BOOL Create(CWnd* parent, int maxRows, int maxCols, SIZE sizeMin, CCreateContext* context,
              DWORD style = WS_CHILD | WS_VISIBLE | SPLS_DYNAMIC_SPLIT,
              UINT id = AFX_IDW_PANE_FIRST);
  // A view of class `cls` in pane (row, col); sizeInit gives the ideal width
  // of the column and height of the row.
  virtual BOOL CreateView(int row, int col, const fw::ViewClass* cls, SIZE sizeInit,
                          CCreateContext* context);

  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  int GetMaxRowCount() const { return m_nMaxRows; }
  int GetMaxColumnCount() const { return m_nMaxCols; }
  bool IsDynamic() const { return m_bDynamic; }

  void SetRowInfo(int row, int ideal, int min);
  void GetRowInfo(int row, int& cur, int& min) const;
  void SetColumnInfo(int col, int ideal, int min);
  void GetColumnInfo(int col, int& cur, int& min) const;

  virtual void RecalcLayout();

  int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
  CWnd* GetPane(int row, int col) const;
  BOOL IsChildPane(const CWnd* wnd, int* row, int* col) const;
  void SetActivePane(int row, int col, CWnd* wnd = nullptr);
  // The active view's pane when it is a direct pane of this splitter.
  CWnd* GetActivePane(int* row = nullptr, int* col = nullptr) const;

  // Dynamic splitters: split at `before` pixels from the top/left; delete a
  // row/column of panes (the views are destroyed).
  virtual BOOL SplitRow(int cyBefore);
  virtual BOOL SplitColumn(int cxBefore);
  virtual void DeleteRow(int row);
  virtual void DeleteColumn(int col);
  virtual void DeleteView(int row, int col);

  // Sizes of the split bars and of the dynamic split strip.
  int m_cxSplitter = 6;
  int m_cySplitter = 6;

  // What the splitter does not handle itself (commands and notifications of
  // the panes) goes on to the frame.
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;
  BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) override;

  // Handlers.
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  void OnLButtonDown(UINT flags, CPoint pt);
  void OnMouseMove(UINT flags, CPoint pt);
  void OnLButtonUp(UINT flags, CPoint pt);
  LRESULT OnSetCursor(WPARAM wp, LPARAM lp);
  LRESULT OnCaptureChanged(WPARAM wp, LPARAM lp);

 protected:
  struct Info {
    int ideal = 0;
    int min = 0;
    int cur = 0;
  };
  enum class Hit { None, RowBar, ColBar, RowStrip, ColStrip };
  BOOL CreateCommon(CWnd* parent, int rows, int cols, DWORD style, UINT id);
  CView* CreateDynamicView(int row, int col);
  // The top/left strip reserved for splitting a dynamic splitter.
  int RowStrip() const;
  int ColStrip() const;
  Hit HitTest(CPoint pt, int* index) const;
  void RenumberPane(int fromRow, int fromCol, int toRow, int toCol);
  void LayoutAxis(std::vector<Info>& info, int count, int space, int bar) const;

  int m_nRows = 0, m_nCols = 0, m_nMaxRows = 0, m_nMaxCols = 0;
  bool m_bDynamic = false;
  CSize m_sizeMin;
  std::vector<Info> m_rows, m_cols;
  const fw::ViewClass* m_pDynamicViewClass = nullptr;
  // Tracking state of a drag.
  Hit m_track = Hit::None;
  int m_trackIndex = 0;
};
