#include "fw/bars.h"

#include <string>

#include "fw/commonctl.h"

// --- CControlBar -------------------------------------------------------------------------

FW_BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  fw::OnMessageVoid<&CControlBar::OnDestroy>(WM_DESTROY),
FW_END_MESSAGE_MAP()

BOOL CControlBar::CreateBar(const char* className, DWORD winStyle, DWORD barStyle, CWnd* parent,
                            UINT id) {
  fw::InitCommonControlsOnce();
  m_dwBarStyle = barStyle;
  RECT r = {0, 0, 0, 0};
  // The frame places the bars itself.
  winStyle |= WS_CHILD | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (!CreateEx(0, className, "", winStyle, r, parent, id)) return FALSE;
  m_pFrame = parent && parent->IsFrameWnd() ? static_cast<CFrameWnd*>(parent) : nullptr;
  if (m_pFrame) m_pFrame->AddControlBar(this);
  return TRUE;
}

void CControlBar::OnDestroy() {
  if (m_pFrame) m_pFrame->RemoveControlBar(this);
  m_pFrame = nullptr;
  Default();
}

int CControlBar::CalcHeight(int) {
  RECT r;
  ::GetWindowRect(m_hWnd, &r);
  return r.bottom - r.top;
}

// --- CToolBar ------------------------------------------------------------------------------

namespace {

// Applies update-UI states to one toolbar button.
class ToolCmdUI : public CCmdUI {
 public:
  void Enable(BOOL on) override {
    m_bEnableChanged = true;
    m_pOther->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELONG(on ? TRUE : FALSE, 0));
  }
  void SetCheck(int check) override {
    CToolBar* bar = static_cast<CToolBar*>(m_pOther);
    UINT style = bar->GetButtonStyle(static_cast<int>(m_nIndex));
    style &= ~(TBBS_CHECKED | TBBS_INDETERMINATE);
    if (check == 1) style |= TBBS_CHECKED;
    if (check == 2) style |= TBBS_INDETERMINATE;
    if (!(style & TBBS_CHECKBOX)) style |= TBBS_CHECKBOX;
    bar->SetButtonStyle(static_cast<int>(m_nIndex), style);
  }
  void SetText(const char*) override {}
};

}  // namespace

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id) {
  DWORD barStyle = style & (CBRS_TOP | CBRS_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY);
  DWORD winStyle = (style & ~barStyle & 0xFFFF0000u) | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS;
  if (!(barStyle & (CBRS_TOP | CBRS_BOTTOM))) barStyle |= CBRS_TOP;
  if (!CreateBar(TOOLBARCLASSNAMEA, winStyle, barStyle, parent, id)) return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  return TRUE;
}

BOOL CToolBar::LoadBitmap(UINT resId, int buttonWidth, int buttonHeight) {
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(fw::ResourceHandle(), MAKEINTRESOURCEA(resId),
                                                IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
  if (!bmp) return FALSE;
  BITMAP info = {};
  GetObjectA(bmp, sizeof info, &info);
  if (buttonWidth <= 0 || buttonHeight <= 0 || info.bmWidth < buttonWidth) {
    DeleteObject(bmp);
    return FALSE;
  }
  m_sizeImage = CSize(buttonWidth, buttonHeight);
  m_imageCount = info.bmWidth / buttonWidth;
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(buttonWidth, buttonHeight));
  SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(buttonWidth + 7, buttonHeight + 7));
  TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(bmp)};
  // The control keeps the bitmap; it is freed with the process.
  return SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(m_imageCount), reinterpret_cast<LPARAM>(&add)) != -1;
}

BOOL CToolBar::LoadToolBar(UINT resId) {
  HINSTANCE inst = fw::ResourceHandle();
  HRSRC res = FindResourceA(inst, MAKEINTRESOURCEA(resId), MAKEINTRESOURCEA(RT_TOOLBAR_ID));
  if (!res) return FALSE;
  HGLOBAL mem = LoadResource(inst, res);
  const WORD* data = mem ? static_cast<const WORD*>(LockResource(mem)) : nullptr;
  DWORD bytes = SizeofResource(inst, res);
  if (!data || bytes < 8 || data[0] != 1) return FALSE;
  int width = data[1], height = data[2], count = data[3];
  if (bytes < 8u + 2u * static_cast<DWORD>(count)) return FALSE;
  std::vector<UINT> ids(data + 4, data + 4 + count);
  if (!LoadBitmap(resId, width, height)) return FALSE;
  return SetButtons(ids.data(), count);
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
  while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
  std::vector<TBBUTTON> buttons(static_cast<size_t>(count > 0 ? count : 0));
  int image = 0;
  for (int i = 0; i < count; ++i) {
    TBBUTTON& b = buttons[static_cast<size_t>(i)];
    b.idCommand = static_cast<int>(ids[i]);
    if (ids[i] == 0) {
      b.fsStyle = TBSTYLE_SEP;
      b.iBitmap = 6;  // separator width
    } else {
      b.fsStyle = TBSTYLE_BUTTON;
      b.fsState = TBSTATE_ENABLED;
      b.iBitmap = image++;
    }
  }
  if (count > 0 &&
      !SendMessage(TB_ADDBUTTONSA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(buttons.data()))) {
    return FALSE;
  }
  SendMessage(TB_AUTOSIZE);
  if (m_pFrame) m_pFrame->RecalcLayout();
  return TRUE;
}

int CToolBar::GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

int CToolBar::CommandToIndex(UINT id) const {
  return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id));
}

UINT CToolBar::GetItemID(int index) const {
  TBBUTTON b = {};
  if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b))) return 0;
  return (b.fsStyle & TBSTYLE_SEP) ? 0 : static_cast<UINT>(b.idCommand);
}

void CToolBar::GetItemRect(int index, CRect* rect) const {
  RECT r = {};
  SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  *rect = fw::ToCRect(r);
}

UINT CToolBar::GetButtonStyle(int index) const {
  TBBUTTON b = {};
  if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b))) return 0;
  UINT state = b.fsState ^ TBSTATE_ENABLED;  // enabled is stored inverted as TBBS_DISABLED
  return (b.fsStyle & 0xFFu) | (state << 16);
}

void CToolBar::SetButtonStyle(int index, UINT style) {
  TBBUTTONINFOA info = {};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE;
  info.fsStyle = static_cast<BYTE>(style & 0xFF);
  info.fsState = static_cast<BYTE>(((style >> 16) & 0xFF) ^ TBSTATE_ENABLED);
  SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
  ToolCmdUI ui;
  ui.m_pOther = this;
  int count = GetCount();
  ui.m_nIndexMax = static_cast<UINT>(count);
  for (int i = 0; i < count; ++i) {
    UINT id = GetItemID(i);
    if (id == 0) continue;
    ui.m_nIndex = static_cast<UINT>(i);
    ui.m_nID = id;
    ui.DoUpdate(target, disableIfNoHandler);
  }
}

int CToolBar::CalcHeight(int) {
  DWORD size = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
  int h = HIWORD(size);
  return h > 0 ? h + 4 : m_sizeImage.cy + 11;
}

// --- CStatusBar ------------------------------------------------------------------------------

FW_BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  fw::OnWmSize<&CStatusBar::OnSize>(),
FW_END_MESSAGE_MAP()

namespace {

// Applies update-UI states to one status-bar pane.
class StatusCmdUI : public CCmdUI {
 public:
  void Enable(BOOL on) override {
    m_bEnableChanged = true;
    CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
    UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
    UINT next = on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
    if (next != style) bar->SetPaneStyle(static_cast<int>(m_nIndex), next);
  }
  void SetCheck(int check) override {
    CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
    UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
    UINT next = check ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
    if (next != style) bar->SetPaneStyle(static_cast<int>(m_nIndex), next);
  }
  void SetText(const char* text) override {
    CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
    if (bar->GetPaneText(static_cast<int>(m_nIndex)) != CString(text)) {
      bar->SetPaneText(static_cast<int>(m_nIndex), text, TRUE);
    }
  }
};

}  // namespace

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
  DWORD barStyle = style & (CBRS_TOP | CBRS_BOTTOM);
  if (!barStyle) barStyle = CBRS_BOTTOM;
  DWORD winStyle = (style & 0xFFFF0000u) | SBARS_SIZEGRIP;
  return CreateBar(STATUSCLASSNAMEA, winStyle, barStyle, parent, id);
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
  m_panes.clear();
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
  bool ok = true;
  for (int i = 0; i < count; ++i) {
    Pane p;
    p.id = ids[i];
    if (p.id == ID_SEPARATOR) {
      p.style = m_panes.empty() ? (SBPS_NOBORDERS | SBPS_STRETCH) : SBPS_NORMAL;
      p.width = m_panes.empty() ? 0 : 60;
    } else {
      if (!p.text.LoadString(p.id)) ok = false;
      SIZE ext = {};
      GetTextExtentPoint32A(dc, p.text, p.text.GetLength(), &ext);
      p.width = ext.cx;
    }
    m_panes.push_back(p);
  }
  SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  UpdateParts();
  for (int i = 0; i < GetCount(); ++i) ShowPane(i);
  return ok ? TRUE : FALSE;
}

void CStatusBar::UpdateParts() {
  if (!m_hWnd || m_panes.empty()) return;
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  int borders[3] = {};
  SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  int gap = borders[2] > 0 ? borders[2] : 2;
  int pad = 8;  // room for the pane's border and margins
  int total = 0;
  for (const Pane& p : m_panes) {
    if (!(p.style & SBPS_STRETCH)) total += p.width + pad + gap;
  }
  int grip = (GetStyle() & SBARS_SIZEGRIP) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  int stretch = rc.right - total - grip;
  if (stretch < 0) stretch = 0;
  std::vector<int> rights;
  int x = 0;
  for (const Pane& p : m_panes) {
    x += (p.style & SBPS_STRETCH) ? stretch : p.width + pad + gap;
    rights.push_back(x);
  }
  rights.back() = -1;  // the last pane reaches the right edge
  SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

void CStatusBar::ShowPane(int index) {
  const Pane& p = m_panes[static_cast<size_t>(index)];
  UINT flags = 0;
  if (p.style & SBPS_NOBORDERS) flags |= SBT_NOBORDERS;
  if (p.style & SBPS_POPOUT) flags |= SBT_POPOUT;
  const char* text = (p.style & SBPS_DISABLED) ? "" : p.text.GetString();
  SendMessage(SB_SETTEXTA, static_cast<WPARAM>(index) | flags, reinterpret_cast<LPARAM>(text));
}

int CStatusBar::CommandToIndex(UINT id) const {
  for (size_t i = 0; i < m_panes.size(); ++i) {
    if (m_panes[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

UINT CStatusBar::GetItemID(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].id : 0;
}

void CStatusBar::GetItemRect(int index, CRect* rect) const {
  RECT r = {};
  SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  *rect = fw::ToCRect(r);
}

BOOL CStatusBar::SetPaneText(int index, const char* text, BOOL update) {
  if (index < 0 || index >= GetCount()) return FALSE;
  if (index == 0 && m_bPromptShown) {
    m_strBeneathPrompt = text ? text : "";
    return TRUE;
  }
  m_panes[static_cast<size_t>(index)].text = text ? text : "";
  ShowPane(index);
  if (update) {
    RECT r = {};
    SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    ::InvalidateRect(m_hWnd, &r, TRUE);
    ::UpdateWindow(m_hWnd);
  }
  return TRUE;
}

CString CStatusBar::GetPaneText(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].text : CString();
}

void CStatusBar::ShowPrompt(const char* text) {
  if (GetCount() == 0) return;
  if (!m_bPromptShown) {
    m_strBeneathPrompt = m_panes[0].text;
    m_bPromptShown = true;
  }
  m_panes[0].text = text ? text : "";
  ShowPane(0);
  if (m_hWnd) ::UpdateWindow(m_hWnd);
}

void CStatusBar::EndPrompt() {
  if (!m_bPromptShown) return;
  m_bPromptShown = false;
  SetPaneText(0, m_strBeneathPrompt, TRUE);
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
  if (index < 0 || index >= GetCount()) return;
  Pane& p = m_panes[static_cast<size_t>(index)];
  p.id = id;
  p.style = style;
  p.width = width < 0 ? 0 : width;
  UpdateParts();
  ShowPane(index);
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
  if (index < 0 || index >= GetCount()) {
    id = style = 0;
    width = 0;
    return;
  }
  const Pane& p = m_panes[static_cast<size_t>(index)];
  id = p.id;
  style = p.style;
  width = p.width;
}

UINT CStatusBar::GetPaneStyle(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].style : 0;
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
  if (index < 0 || index >= GetCount()) return;
  bool relayout = (m_panes[static_cast<size_t>(index)].style ^ style) & SBPS_STRETCH;
  m_panes[static_cast<size_t>(index)].style = style;
  if (relayout) UpdateParts();
  ShowPane(index);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL) {
  StatusCmdUI ui;
  ui.m_pOther = this;
  ui.m_nIndexMax = static_cast<UINT>(GetCount());
  for (int i = 0; i < GetCount(); ++i) {
    UINT id = m_panes[static_cast<size_t>(i)].id;
    if (id == ID_SEPARATOR) continue;
    ui.m_nIndex = static_cast<UINT>(i);
    ui.m_nID = id;
    ui.DoUpdate(target, FALSE);
  }
}

int CStatusBar::CalcHeight(int) {
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  return tm.tmHeight + 8;
}

void CStatusBar::OnSize(UINT, int, int) {
  Default();
  UpdateParts();
}
