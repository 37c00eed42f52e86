#include "fw/splitter.h"

#include <algorithm>

#include "fw/docview.h"

FW_BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
  fw::OnWmSize<&CSplitterWnd::OnSize>(),
  fw::OnMessageVoid<&CSplitterWnd::OnPaint>(WM_PAINT),
  fw::OnWmMouse<&CSplitterWnd::OnLButtonDown>(WM_LBUTTONDOWN),
  fw::OnWmMouse<&CSplitterWnd::OnMouseMove>(WM_MOUSEMOVE),
  fw::OnWmMouse<&CSplitterWnd::OnLButtonUp>(WM_LBUTTONUP),
  fw::OnMessage<&CSplitterWnd::OnSetCursor>(WM_SETCURSOR),
  fw::OnMessage<&CSplitterWnd::OnCaptureChanged>(WM_CAPTURECHANGED),
FW_END_MESSAGE_MAP()

namespace {
constexpr int kMaxPanes = 16;  // ids are FIRST + 16*row + col
}

CSplitterWnd::CSplitterWnd() = default;
CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::CreateCommon(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
  if (m_hWnd || rows < 1 || cols < 1 || rows > kMaxPanes || cols > kMaxPanes) return FALSE;
  m_nMaxRows = rows;
  m_nMaxCols = cols;
  m_rows.assign(static_cast<size_t>(rows), Info{});
  m_cols.assign(static_cast<size_t>(cols), Info{});
  static const char* cls =
      fw::RegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
  RECT r = {0, 0, 0, 0};
  DWORD winStyle = (style & ~SPLS_DYNAMIC_SPLIT) | WS_CHILD | WS_CLIPCHILDREN;
  return CreateEx(0, cls, "", winStyle, r, parent, id);
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
  m_bDynamic = false;
  if (!CreateCommon(parent, rows, cols, style, id)) return FALSE;
  m_nRows = rows;
  m_nCols = cols;
  return TRUE;
}

BOOL CSplitterWnd::Create(CWnd* parent, int maxRows, int maxCols, SIZE sizeMin,
                          CCreateContext* context, DWORD style, UINT id) {
  if (maxRows < 1 || maxRows > 2 || maxCols < 1 || maxCols > 2 || !context ||
      !context->m_pNewViewClass) {
    return FALSE;
  }
  m_bDynamic = true;
  m_sizeMin = CSize(sizeMin.cx, sizeMin.cy);
  m_pDynamicViewClass = context->m_pNewViewClass;
  if (!CreateCommon(parent, maxRows, maxCols, style, id)) return FALSE;
  for (Info& r : m_rows) r.min = m_sizeMin.cy;
  for (Info& c : m_cols) c.min = m_sizeMin.cx;
  m_nRows = m_nCols = 1;
  return CreateView(0, 0, m_pDynamicViewClass, SIZE{0, 0}, context);
}

BOOL CSplitterWnd::CreateView(int row, int col, const fw::ViewClass* cls, SIZE sizeInit,
                              CCreateContext* context) {
  if (!m_hWnd || !cls || row < 0 || col < 0 || row >= m_nRows || col >= m_nCols) return FALSE;
  if (GetPane(row, col)) return FALSE;
  m_rows[static_cast<size_t>(row)].ideal = sizeInit.cy;
  m_cols[static_cast<size_t>(col)].ideal = sizeInit.cx;
  CView* view = cls->create();
  if (!view) return FALSE;
  RECT r = {0, 0, 0, 0};
  if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, r, this,
                    static_cast<UINT>(IdFromRowCol(row, col)), context)) {
    return FALSE;
  }
  RecalcLayout();
  return TRUE;
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int min) {
  if (row < 0 || row >= m_nMaxRows) return;
  m_rows[static_cast<size_t>(row)].ideal = std::max(ideal, 0);
  m_rows[static_cast<size_t>(row)].min = std::max(min, 0);
}

void CSplitterWnd::GetRowInfo(int row, int& cur, int& min) const {
  cur = min = 0;
  if (row < 0 || row >= m_nMaxRows) return;
  cur = m_rows[static_cast<size_t>(row)].cur;
  min = m_rows[static_cast<size_t>(row)].min;
}

void CSplitterWnd::SetColumnInfo(int col, int ideal, int min) {
  if (col < 0 || col >= m_nMaxCols) return;
  m_cols[static_cast<size_t>(col)].ideal = std::max(ideal, 0);
  m_cols[static_cast<size_t>(col)].min = std::max(min, 0);
}

void CSplitterWnd::GetColumnInfo(int col, int& cur, int& min) const {
  cur = min = 0;
  if (col < 0 || col >= m_nMaxCols) return;
  cur = m_cols[static_cast<size_t>(col)].cur;
  min = m_cols[static_cast<size_t>(col)].min;
}

int CSplitterWnd::RowStrip() const {
  return m_bDynamic && m_nRows < m_nMaxRows ? m_cySplitter : 0;
}

int CSplitterWnd::ColStrip() const {
  return m_bDynamic && m_nCols < m_nMaxCols ? m_cxSplitter : 0;
}

void CSplitterWnd::LayoutAxis(std::vector<Info>& info, int count, int space, int bar) const {
  int left = std::max(space - (count - 1) * bar, 0);
  for (int i = 0; i < count; ++i) {
    Info& in = info[static_cast<size_t>(i)];
    in.cur = i == count - 1 ? left : std::min(in.ideal, left);
    left -= in.cur;
  }
  for (int i = count; i < static_cast<int>(info.size()); ++i) info[static_cast<size_t>(i)].cur = 0;
}

void CSplitterWnd::RecalcLayout() {
  if (!m_hWnd || m_nRows == 0 || m_nCols == 0) return;
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  int top = RowStrip(), left = ColStrip();
  LayoutAxis(m_rows, m_nRows, rc.bottom - top, m_cySplitter);
  LayoutAxis(m_cols, m_nCols, rc.right - left, m_cxSplitter);
  int y = top;
  for (int r = 0; r < m_nRows; ++r) {
    int x = left;
    const Info& ri = m_rows[static_cast<size_t>(r)];
    for (int c = 0; c < m_nCols; ++c) {
      const Info& ci = m_cols[static_cast<size_t>(c)];
      if (HWND pane = ::GetDlgItem(m_hWnd, IdFromRowCol(r, c))) {
        ::MoveWindow(pane, x, y, ci.cur, ri.cur, TRUE);
      }
      x += ci.cur + m_cxSplitter;
    }
    y += ri.cur + m_cySplitter;
  }
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
  if (!m_hWnd || row < 0 || col < 0 || row >= m_nMaxRows || col >= m_nMaxCols) return nullptr;
  return CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, IdFromRowCol(row, col)));
}

BOOL CSplitterWnd::IsChildPane(const CWnd* wnd, int* row, int* col) const {
  if (!wnd || !wnd->m_hWnd || ::GetParent(wnd->m_hWnd) != m_hWnd) return FALSE;
  int id = ::GetDlgCtrlID(wnd->m_hWnd) - AFX_IDW_PANE_FIRST;
  if (id < 0) return FALSE;
  int r = id / 16, c = id % 16;
  if (r >= m_nRows || c >= m_nCols) return FALSE;
  if (row) *row = r;
  if (col) *col = c;
  return TRUE;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* wnd) {
  CWnd* pane = wnd ? wnd : GetPane(row, col);
  if (!pane) return;
  CFrameWnd* frame = GetParentFrame();
  CView* view = dynamic_cast<CView*>(pane);
  if (frame && view) frame->SetActiveView(view);
  HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
  if (top && top == ::GetActiveWindow()) pane->SetFocus();
}

CWnd* CSplitterWnd::GetActivePane(int* row, int* col) const {
  CFrameWnd* frame = GetParentFrame();
  CWnd* view = frame ? frame->GetActiveView() : nullptr;
  if (view && IsChildPane(view, row, col)) return view;
  return nullptr;
}

CView* CSplitterWnd::CreateDynamicView(int row, int col) {
  CDocument* doc = nullptr;
  for (int r = 0; r < m_nRows && !doc; ++r) {
    for (int c = 0; c < m_nCols && !doc; ++c) {
      if (CView* v = dynamic_cast<CView*>(GetPane(r, c))) doc = v->GetDocument();
    }
  }
  CCreateContext context;
  context.m_pCurrentDoc = doc;
  context.m_pNewViewClass = m_pDynamicViewClass;
  context.m_pCurrentFrame = GetParentFrame();
  CView* view = m_pDynamicViewClass->create();
  if (!view) return nullptr;
  RECT r = {0, 0, 0, 0};
  if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, r, this,
                    static_cast<UINT>(IdFromRowCol(row, col)), &context)) {
    return nullptr;
  }
  view->OnInitialUpdate();
  return view;
}

BOOL CSplitterWnd::SplitRow(int cyBefore) {
  if (!m_bDynamic || m_nRows >= m_nMaxRows) return FALSE;
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  int space = rc.bottom - m_cySplitter;
  if (cyBefore < m_rows[0].min || space - cyBefore < m_rows[1].min) return FALSE;
  m_rows[0].ideal = cyBefore;
  m_nRows = 2;
  for (int c = 0; c < m_nCols; ++c) {
    if (!CreateDynamicView(1, c)) {
      for (int k = 0; k < c; ++k) DeleteView(1, k);
      m_nRows = 1;
      RecalcLayout();
      return FALSE;
    }
  }
  RecalcLayout();
  return TRUE;
}

BOOL CSplitterWnd::SplitColumn(int cxBefore) {
  if (!m_bDynamic || m_nCols >= m_nMaxCols) return FALSE;
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  int space = rc.right - m_cxSplitter;
  if (cxBefore < m_cols[0].min || space - cxBefore < m_cols[1].min) return FALSE;
  m_cols[0].ideal = cxBefore;
  m_nCols = 2;
  for (int r = 0; r < m_nRows; ++r) {
    if (!CreateDynamicView(r, 1)) {
      for (int k = 0; k < r; ++k) DeleteView(k, 1);
      m_nCols = 1;
      RecalcLayout();
      return FALSE;
    }
  }
  RecalcLayout();
  return TRUE;
}

void CSplitterWnd::DeleteView(int row, int col) {
  CWnd* pane = GetPane(row, col);
  if (!pane) return;
  CFrameWnd* frame = GetParentFrame();
  bool wasActive = frame && frame->GetActiveView() == pane;
  pane->DestroyWindow();
  if (wasActive && frame) {
    // Activation moves to another view of this splitter.
    for (int r = 0; r < m_nRows; ++r) {
      for (int c = 0; c < m_nCols; ++c) {
        if (CView* v = dynamic_cast<CView*>(GetPane(r, c))) {
          frame->SetActiveView(v);
          return;
        }
      }
    }
  }
}

void CSplitterWnd::RenumberPane(int fromRow, int fromCol, int toRow, int toCol) {
  if (HWND h = ::GetDlgItem(m_hWnd, IdFromRowCol(fromRow, fromCol))) {
    SetWindowLongPtrA(h, GWLP_ID, IdFromRowCol(toRow, toCol));
  }
}

void CSplitterWnd::DeleteRow(int row) {
  if (!m_bDynamic || m_nRows < 2 || row < 0 || row >= m_nRows) return;
  for (int c = 0; c < m_nCols; ++c) DeleteView(row, c);
  if (row == 0) {
    for (int c = 0; c < m_nCols; ++c) RenumberPane(1, c, 0, c);
  }
  m_nRows = 1;
  RecalcLayout();
}

void CSplitterWnd::DeleteColumn(int col) {
  if (!m_bDynamic || m_nCols < 2 || col < 0 || col >= m_nCols) return;
  for (int r = 0; r < m_nRows; ++r) DeleteView(r, col);
  if (col == 0) {
    for (int r = 0; r < m_nRows; ++r) RenumberPane(r, 1, r, 0);
  }
  m_nCols = 1;
  RecalcLayout();
}

BOOL CSplitterWnd::OnCommand(WPARAM wp, LPARAM lp) {
  if (CWnd::OnCommand(wp, lp)) return TRUE;
  CFrameWnd* frame = GetParentFrame();
  return frame ? (frame->SendMessage(WM_COMMAND, wp, lp), TRUE) : FALSE;
}

BOOL CSplitterWnd::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
  if (CWnd::OnNotify(wp, lp, result)) return TRUE;
  CFrameWnd* frame = GetParentFrame();
  if (!frame) return FALSE;
  *result = frame->SendMessage(WM_NOTIFY, wp, lp);
  return TRUE;
}

// --- drawing and dragging -----------------------------------------------------------------

void CSplitterWnd::OnSize(UINT type, int, int) {
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CSplitterWnd::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  // Panes clip themselves out (WS_CLIPCHILDREN): what is left are the bars.
  FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_3DFACE));
  EndPaint(m_hWnd, &ps);
}

CSplitterWnd::Hit CSplitterWnd::HitTest(CPoint pt, int* index) const {
  *index = 0;
  if (RowStrip() && pt.y < RowStrip()) return Hit::RowStrip;
  if (ColStrip() && pt.x < ColStrip()) return Hit::ColStrip;
  int y = RowStrip();
  for (int r = 0; r + 1 < m_nRows; ++r) {
    y += m_rows[static_cast<size_t>(r)].cur;
    if (pt.y >= y && pt.y < y + m_cySplitter) {
      *index = r;
      return Hit::RowBar;
    }
    y += m_cySplitter;
  }
  int x = ColStrip();
  for (int c = 0; c + 1 < m_nCols; ++c) {
    x += m_cols[static_cast<size_t>(c)].cur;
    if (pt.x >= x && pt.x < x + m_cxSplitter) {
      *index = c;
      return Hit::ColBar;
    }
    x += m_cxSplitter;
  }
  return Hit::None;
}

LRESULT CSplitterWnd::OnSetCursor(WPARAM wp, LPARAM lp) {
  if (reinterpret_cast<HWND>(wp) == m_hWnd && LOWORD(lp) == HTCLIENT) {
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(m_hWnd, &p);
    int index;
    Hit h = HitTest(CPoint(p.x, p.y), &index);
    if (h == Hit::RowBar || h == Hit::RowStrip) {
      ::SetCursor(LoadCursor(nullptr, IDC_SIZENS));
      return TRUE;
    }
    if (h == Hit::ColBar || h == Hit::ColStrip) {
      ::SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      return TRUE;
    }
  }
  return Default();
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint pt) {
  int index;
  Hit h = HitTest(pt, &index);
  if (h == Hit::None) return;
  m_track = h;
  m_trackIndex = index;
  ::SetCapture(m_hWnd);
}

void CSplitterWnd::OnMouseMove(UINT, CPoint pt) {
  // Bars follow the mouse; splitting and removing happen on release.
  if (m_track == Hit::RowBar) {
    int top = RowStrip();
    for (int r = 0; r < m_trackIndex; ++r) top += m_rows[static_cast<size_t>(r)].cur + m_cySplitter;
    m_rows[static_cast<size_t>(m_trackIndex)].ideal = std::max(pt.y - top, 0);
    RecalcLayout();
  } else if (m_track == Hit::ColBar) {
    int left = ColStrip();
    for (int c = 0; c < m_trackIndex; ++c) left += m_cols[static_cast<size_t>(c)].cur + m_cxSplitter;
    m_cols[static_cast<size_t>(m_trackIndex)].ideal = std::max(pt.x - left, 0);
    RecalcLayout();
  }
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint pt) {
  Hit track = m_track;
  int index = m_trackIndex;
  if (track == Hit::RowBar || track == Hit::ColBar) OnMouseMove(0, pt);
  m_track = Hit::None;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  switch (track) {
    case Hit::RowStrip:
      SplitRow(pt.y - RowStrip());
      break;
    case Hit::ColStrip:
      SplitColumn(pt.x - ColStrip());
      break;
    case Hit::RowBar: {
      const Info& a = m_rows[static_cast<size_t>(index)];
      const Info& b = m_rows[static_cast<size_t>(index + 1)];
      if (m_bDynamic && a.cur < std::max(a.min, 1)) DeleteRow(index);
      else if (m_bDynamic && b.cur < std::max(b.min, 1)) DeleteRow(index + 1);
      break;
    }
    case Hit::ColBar: {
      const Info& a = m_cols[static_cast<size_t>(index)];
      const Info& b = m_cols[static_cast<size_t>(index + 1)];
      if (m_bDynamic && a.cur < std::max(a.min, 1)) DeleteColumn(index);
      else if (m_bDynamic && b.cur < std::max(b.min, 1)) DeleteColumn(index + 1);
      break;
    }
    case Hit::None:
      break;
  }
}

LRESULT CSplitterWnd::OnCaptureChanged(WPARAM, LPARAM) {
  m_track = Hit::None;
  return 0;
}
