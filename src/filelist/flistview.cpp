#include "filelist/flistview.h"

#include "core/docsvc/filekind.h"
#include "host/pane_layout.h"
#include "fw/alloc.h"
#include "fw/gdi.h"
#include "host/frame_host.h"

#include <cstring>

FW_BEGIN_MESSAGE_MAP(CFlistView, CView)
  fw::OnWmKey<&CFlistView::OnKeyUp>(WM_KEYUP),
FW_END_MESSAGE_MAP()

namespace {

const int kRecordBytes = 256;
const int kStartScrollMax = 500;

}  // namespace

CFlistView::CFlistView() { AllocateEntryBuffers(m_nCapacity); }

CFlistView::~CFlistView() { FreeEntryBuffers(); }

app::DocHost* CFlistView::GetDocument() const { return dynamic_cast<app::DocHost*>(m_pDocument); }

bool CFlistView::AllocateEntryBuffers(int capacity) {
  FreeEntryBuffers();
  if (capacity < 1) capacity = 1;
  const std::size_t n = static_cast<std::size_t>(capacity);
  // Each record table has 10000 bytes of slack beyond the capacity, each value
  // table 40000 bytes, the marks 10000 bytes.
  m_pNameRecs = static_cast<char*>(fw::Alloc(n * kRecordBytes + 10000));
  m_pTextRecs2 = static_cast<char*>(fw::Alloc(n * kRecordBytes + 10000));
  m_pTextRecs3 = static_cast<char*>(fw::Alloc(n * kRecordBytes + 10000));
  m_pEntryVal1 = static_cast<std::uint32_t*>(fw::Alloc(n * 4 + 40000));
  m_pEntryVal2 = static_cast<std::uint32_t*>(fw::Alloc(n * 4 + 40000));
  m_pEntryVal3 = static_cast<std::uint32_t*>(fw::Alloc(n * 4 + 40000));
  m_pMarks = static_cast<std::uint8_t*>(fw::Alloc(n + 10000));
  if (!m_pNameRecs || !m_pTextRecs2 || !m_pTextRecs3 || !m_pEntryVal1 || !m_pEntryVal2 ||
      !m_pEntryVal3 || !m_pMarks) {
    FreeEntryBuffers();
    return false;
  }
  m_nCapacity = capacity;
  memcpy(m_pNameRecs, "..", 3);
  m_pTextRecs2[0] = 0;
  m_pTextRecs3[0] = 0;
  return true;
}

void CFlistView::FreeEntryBuffers() {
  fw::Free(m_pNameRecs);
  fw::Free(m_pTextRecs2);
  fw::Free(m_pTextRecs3);
  fw::Free(m_pEntryVal1);
  fw::Free(m_pEntryVal2);
  fw::Free(m_pEntryVal3);
  fw::Free(m_pMarks);
  m_pNameRecs = m_pTextRecs2 = m_pTextRecs3 = nullptr;
  m_pEntryVal1 = m_pEntryVal2 = m_pEntryVal3 = nullptr;
  m_pMarks = nullptr;
}

BOOL CFlistView::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style |= WS_VSCROLL;
  return CView::PreCreateWindow(cs);
}

LRESULT CFlistView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The frame may ask the lists to swallow some paints (while it rearranges).
  if (msg == WM_PAINT && app::g_pFrameHost && app::g_pFrameHost->TakeSkippedPaint()) {
    ::ValidateRect(m_hWnd, nullptr);
  }
  return CView::WindowProc(msg, wp, lp);
}

void CFlistView::StartFolder() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocSystemFields& sys = doc->SystemFields();
  CString dir = m_nSide == 1 ? sys.m_strSysValue[23] : sys.m_strSysValue[24];
  if (dir.IsEmpty()) dir = m_nSide == 1 ? sys.m_strSysValue[21] : sys.m_strSysValue[22];
  m_strCurDir = dir;
  m_strPrevDir = m_strCurDir;
  m_strStartPath = m_strCurDir;
  m_strCursorName = m_strPrevDir;
}

void CFlistView::FirstStart(bool firstCopy) {
  app::DocHost* doc = GetDocument();
  app::FrameHost* frame = app::g_pFrameHost;
  app::DocWindowFields& win = doc->WindowFields();
  // 1. A side display or window mode 8 restores the saved window first.
  if (win.m_nSideDisplay != 0 || win.m_nWindowMode == 8) {
    if (win.m_nWindowMode == 8) win.m_nWindowMode = 0;
    win.m_rcNormalWindow = CRect(win.m_nPosi[1], win.m_nPosi[2], win.m_nPosi[1] + win.m_nPosi[3],
                                 win.m_nPosi[2] + win.m_nPosi[4]);
    int s = win.m_nSideDisplay;
    win.m_nSideDisplay = s == 1 ? 9 : s == 0 ? 2 : (s == 4 || s == 5) ? s : 1;
    if (frame) frame->OnSideDisplay();
  }
  // 2. Start folder.
  StartFolder();
  doc->PathFields().m_bStartFile = 0;
  // 3. The command line (quotes already stripped) names the start path.
  CString line = frame ? frame->StartCommandLine() : CString();
  if (!line.IsEmpty()) {
    m_strStartPath = line;
    int slash = line.ReverseFind('\\');
    if (slash > 1) m_strCurDir = line.Left(slash);
    if (win.m_nWindowMode != 2 && win.m_nWindowMode != 3) {
      win.m_nLayoutMode = win.m_nLayoutMode >= 9 ? 13 : 3;
      doc->PathFields().m_bStartFile = 1;
    }
    if (win.m_nWindowMode == 2 && win.m_nLayoutMode == 13) win.m_nLayoutMode = 11;
  } else {
    if (win.m_nLayoutMode == 3) win.m_nLayoutMode = 1;
    if (win.m_nLayoutMode == 13) win.m_nLayoutMode = 11;
  }
  // 4. The address hint at the very first start.
  if (firstCopy) doc->ShowAddressHint(0);
  // 5. Place the main window ("##" starts without the saved placement).
  if (frame && frame->FrameWnd()->m_hWnd && frame->RestoreLayoutAtStart()) {
    RECT desk = {};
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    int posi[5] = {win.m_nPosi[0], win.m_nPosi[1], win.m_nPosi[2], win.m_nPosi[3], win.m_nPosi[4]};
    app::WindowPlacement p = app::PlaceMainWindow(posi, doc->PathFields().m_nInstanceNo, win.m_nSideDisplay,
                                                  desk.right, desk.bottom, win.m_nCompactStart);
    ::SetWindowPos(frame->FrameWnd()->m_hWnd, HWND_TOP, p.x, p.y, p.width, p.height, SWP_NOACTIVATE);
  }
  // 6. The list layout.
  win.m_nLayoutMode = app::StartLayoutMode(win.m_nLayoutMode);
  if (frame) frame->OnListDisplay();
}

void CFlistView::OnInitialUpdate() {
  app::DocHost* doc = GetDocument();
  if (doc) {
    int state = doc->UpdateFields().m_nScheduleState;
    if (state == 1) {
      doc->UpdateFields().m_nScheduleState = 2;
      StartFolder();
    } else if (state == 0 || state == 9) {
      doc->LoadScheduleOnce(0);
      doc->UpdateFields().m_nScheduleState = 1;
      FirstStart(state == 0);
    }
  }
  SetScrollRange(m_hWnd, SB_VERT, 0, kStartScrollMax, FALSE);
  m_bRelist2 = 0;
  if (m_strCurDir == "C:\\") m_strCurDir = "C:";
  if (doc) {
    doc->UpdateFields().m_nListInit = 2;
    app::DocUpdateFields& up = doc->UpdateFields();
    if (!(up.m_nUpdateCode == app::UpdateCode::kSideMacro && up.m_nFileKind == docsvc::kKindMacro))
      up.m_nUpdateCode = app::UpdateCode::kAfterMouse;
  }
  OnUpdate(nullptr, 0, nullptr);
}

void CFlistView::OnUpdate(CView*, LPARAM, CObject*) {
  // The list builder comes with the file list; the pane shows its folder.
  Invalidate();
}

void CFlistView::SetSide(int activate) {
  app::DocHost* doc = GetDocument();
  if (!doc || !activate || (m_nSide != 1 && m_nSide != 2)) return;
  app::DocPathFields& paths = doc->PathFields();
  paths.m_nActiveSide = static_cast<std::uint32_t>(m_nSide);
  paths.m_nActiveListSide = m_nSide;
  (m_nSide == 1 ? paths.m_strListDir1 : paths.m_strListDir2) = m_strCurDir;
}

void CFlistView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) {
  if (activate && activateView == this) {
    m_bActivePane = 1;
    DrawEntryLines(1);
    DrawPathBar(1);
    if (app::DocHost* doc = GetDocument()) doc->ListFields().m_nListReloadRequest = 0;
    SetSide(1);
    if (m_nBuildCount >= 2 && app::g_pFrameHost) app::g_pFrameHost->FrameWnd()->SetWindowText(m_strTitle);
  } else if (!activate && deactiveView == this) {
    m_bActivePane = 0;
    DrawEntryLines(0);
    DrawPathBar(0);
    SetSide(0);
  }
  CView::OnActivateView(activate, activateView, deactiveView);
}

void CFlistView::DrawPathBar(int) { Invalidate(FALSE); }
void CFlistView::DrawEntryLines(int) { Invalidate(FALSE); }

void CFlistView::OnDraw(CDC* dc) {
  app::DocHost* doc = GetDocument();
  HDC h = dc->GetSafeHdc();
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  COLORREF back = doc ? doc->SettingsFields().m_clrListBack : RGB(255, 255, 255);
  COLORREF title =
      doc ? (m_bActivePane ? doc->SettingsFields().m_clrOnTitle : doc->SettingsFields().m_clrOffTitle) : RGB(0, 0, 128);
  HBRUSH b = CreateSolidBrush(back);
  FillRect(h, &rc, b);
  DeleteObject(b);
  RECT bar = {rc.left, rc.top, rc.right, rc.top + m_nLineHeight + 2};
  HBRUSH tb = CreateSolidBrush(title);
  FillRect(h, &bar, tb);
  DeleteObject(tb);
  SetBkMode(h, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(h, GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(h, RGB(255, 255, 255));
  CString path = m_strCurDir.IsEmpty() ? CString("C:") : m_strCurDir;
  TextOutA(h, rc.left + 4, rc.top + 3, path, path.GetLength());
  SetTextColor(h, doc ? doc->SettingsFields().m_clrFolder : RGB(0, 128, 0));
  const char* up = m_pNameRecs ? m_pNameRecs : "..";
  TextOutA(h, rc.left + 4, rc.top + m_nLineHeight + 6, up, static_cast<int>(strlen(up)));
  SelectObject(h, oldFont);
}

void CFlistView::OnKeyUp(UINT ch, UINT repeat, UINT flags) {
  app::DocHost* doc = GetDocument();
  if (ch == VK_SHIFT && doc) doc->KeyImageFields().m_bShiftHeld = 0;
  if (ch == VK_CONTROL) {
    m_bCtrlDown = 0;
    if (doc) doc->KeyImageFields().m_bCtrlHeld = 0;
  }
  Default();
}
