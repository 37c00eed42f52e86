#include "fw/gdi.h"

#include <cstdlib>
#include <cstring>

#include "fw/msgbox.h"

// --- CGdiObject ------------------------------------------------------------------

bool CGdiObject::Attach(HGDIOBJ h) {
  DeleteObject();
  m_hObject = h;
  return h != nullptr;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  OnHandleGone();
  return h;
}

bool CGdiObject::DeleteObject() {
  if (!m_hObject) return false;
  // Stock objects are shared: deleting them is a no-op in GDI, but be plain.
  const bool ok = ::DeleteObject(m_hObject) != 0;
  m_hObject = nullptr;
  OnHandleGone();
  return ok;
}

bool CGdiObject::CreateStockObject(int index) {
  DeleteObject();
  m_hObject = ::GetStockObject(index);
  return m_hObject != nullptr;
}

bool CGdiObject::Take(HGDIOBJ h) {
  DeleteObject();
  m_hObject = h;
  return h != nullptr;
}

bool CBrush::CreateSysColorBrush(int index) {
  // A brush of our own rather than the shared system one, so deleting it is
  // always right.
  return CreateSolidBrush(::GetSysColor(index));
}

// --- CFont -----------------------------------------------------------------------

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const char* faceName) {
  return Take(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                            charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

bool CFont::CreatePointFont(int pointSize10, const char* faceName, CDC* dc) {
  LOGFONTA lf;
  std::memset(&lf, 0, sizeof lf);
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = pointSize10;
  if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreatePointFontIndirect(&lf, dc);
}

bool CFont::CreatePointFontIndirect(const LOGFONTA* lf, CDC* dc) {
  LOGFONTA l = *lf;
  HDC hdc = dc && dc->m_hDC ? dc->m_hDC : ::GetDC(nullptr);
  // Tenths of a point to device pixels, then to the DC's logical units.
  POINT pt = {0, ::MulDiv(::GetDeviceCaps(hdc, LOGPIXELSY), lf->lfHeight, 720)};
  POINT org = {0, 0};
  ::DPtoLP(hdc, &pt, 1);
  ::DPtoLP(hdc, &org, 1);
  l.lfHeight = -std::abs(static_cast<int>(pt.y - org.y));
  if (!(dc && dc->m_hDC)) ::ReleaseDC(nullptr, hdc);
  return CreateFontIndirect(&l);
}

// --- CBitmap -----------------------------------------------------------------------

void CBitmap::OnHandleGone() {
  bits_ = nullptr;
  stride_ = 0;
  bpp_ = 0;
}

bool CBitmap::TakeBitmap(HBITMAP h, unsigned char* bits, int stride, int bpp) {
  Take(h);
  bits_ = h ? bits : nullptr;
  stride_ = h ? stride : 0;
  bpp_ = h ? bpp : 0;
  return h != nullptr;
}

bool CBitmap::LoadBitmap(unsigned id) {
  return TakeBitmap(::LoadBitmapA(fw::ResourceModule(), MAKEINTRESOURCEA(id)), nullptr, 0, 0);
}

bool CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  HDC hdc = dc && dc->m_hDC ? dc->m_hDC : ::GetDC(nullptr);
  HBITMAP h = ::CreateCompatibleBitmap(hdc, width, height);
  if (!(dc && dc->m_hDC)) ::ReleaseDC(nullptr, hdc);
  return TakeBitmap(h, nullptr, 0, 0);
}

bool CBitmap::CreateDIBSection(int width, int height, int bitsPerPixel) {
  DeleteObject();
  if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;
  // Rows are padded to 4 bytes; refuse sizes whose byte count overflows.
  const long long stride = ((static_cast<long long>(width) * bitsPerPixel + 31) / 32) * 4;
  if (stride * height > 0x7FFFFFFFLL) return false;
  BITMAPINFO bi;
  std::memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP h = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  return TakeBitmap(h, static_cast<unsigned char*>(bits), static_cast<int>(stride), bitsPerPixel);
}

CSize CBitmap::GetSize() const {
  BITMAP bm;
  if (!GetBitmap(&bm)) return CSize();
  return CSize(bm.bmWidth, bm.bmHeight);
}

COLORREF CBitmap::GetPixel(int x, int y) const {
  if (!bits_) return 0;
  const CSize sz = GetSize();
  if (x < 0 || y < 0 || x >= sz.cx || y >= sz.cy) return 0;
  const unsigned char* p = bits_ + static_cast<size_t>(y) * stride_ + static_cast<size_t>(x) * (bpp_ / 8);
  return RGB(p[2], p[1], p[0]);
}

void CBitmap::SetPixel(int x, int y, COLORREF c) {
  if (!bits_) return;
  const CSize sz = GetSize();
  if (x < 0 || y < 0 || x >= sz.cx || y >= sz.cy) return;
  unsigned char* p = bits_ + static_cast<size_t>(y) * stride_ + static_cast<size_t>(x) * (bpp_ / 8);
  p[0] = GetBValue(c);
  p[1] = GetGValue(c);
  p[2] = GetRValue(c);
  if (bpp_ == 32) p[3] = 0;
}

// --- CRgn -----------------------------------------------------------------------------

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  if (!m_hObject || !a || !a->m_hObject) return ERROR;
  return ::CombineRgn(*this, *a, b && b->m_hObject ? static_cast<HRGN>(*b) : nullptr, mode);
}

// --- CDC -----------------------------------------------------------------------------

CDC::~CDC() {
  Release();
}

void CDC::ReleaseHandle(HDC dc) {
  ::DeleteDC(dc);
}

void CDC::Release() {
  if (!m_hDC) return;
  for (HGDIOBJ& o : original_) {
    if (o) ::SelectObject(m_hDC, o);
    o = nullptr;
  }
  HDC dc = m_hDC;
  m_hDC = nullptr;
  ReleaseHandle(dc);
}

bool CDC::Attach(HDC dc) {
  Release();
  m_hDC = dc;
  return dc != nullptr;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = nullptr;
  for (HGDIOBJ& o : original_) o = nullptr;
  return dc;
}

bool CDC::DeleteDC() {
  if (!m_hDC) return false;
  Release();
  return true;
}

bool CDC::CreateCompatibleDC(CDC* dc) {
  return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

bool CDC::CreateDC(const char* driver, const char* device, const DEVMODEA* mode) {
  return Attach(::CreateDCA(driver, device, nullptr, mode));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ obj) {
  if (!m_hDC || !obj) return nullptr;
  int kind = -1;
  switch (::GetObjectType(obj)) {
    case OBJ_PEN:
    case OBJ_EXTPEN: kind = 0; break;
    case OBJ_BRUSH: kind = 1; break;
    case OBJ_FONT: kind = 2; break;
    case OBJ_BITMAP: kind = 3; break;
    default: break;  // regions select a clip, nothing to put back
  }
  HGDIOBJ prev = ::SelectObject(m_hDC, obj);
  if (kind >= 0 && prev && prev != HGDI_ERROR && !original_[kind]) original_[kind] = prev;
  return prev == HGDI_ERROR ? nullptr : prev;
}

POINT CDC::SetViewportOrg(int x, int y) {
  POINT old = {0, 0};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return old;
}

POINT CDC::SetWindowOrg(int x, int y) {
  POINT old = {0, 0};
  ::SetWindowOrgEx(m_hDC, x, y, &old);
  return old;
}

bool CDC::TextOut(int x, int y, const char* text, int len) {
  if (len < 0) len = text ? static_cast<int>(std::strlen(text)) : 0;
  return ::TextOutA(m_hDC, x, y, text ? text : "", len) != 0;
}

bool CDC::ExtTextOutImpl(int x, int y, UINT options, const RECT* rect, const char* text, int len, const int* dx) {
  if (len < 0) len = text ? static_cast<int>(std::strlen(text)) : 0;
  return ::ExtTextOutA(m_hDC, x, y, options, rect, text ? text : "", static_cast<UINT>(len), dx) != 0;
}

int CDC::DrawTextImpl(const char* text, int len, RECT* rect, UINT format) {
  if (!text) return 0;
  return ::DrawTextA(m_hDC, text, len, rect, format);
}

CSize CDC::GetTextExtent(const char* text, int len) const {
  SIZE sz = {0, 0};
  if (len < 0) len = text ? static_cast<int>(std::strlen(text)) : 0;
  if (text) ::GetTextExtentPoint32A(m_hDC, text, len, &sz);
  return CSize(sz.cx, sz.cy);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  // ExtTextOut with ETO_OPAQUE fills with the background colour, which is
  // put back afterwards.
  const COLORREF old = ::SetBkColor(m_hDC, color);
  RECT r = {x, y, x + cx, y + cy};
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

POINT CDC::MoveTo(int x, int y) {
  POINT old = {0, 0};
  ::MoveToEx(m_hDC, x, y, &old);
  return old;
}

bool CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) {
  return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, rop) != 0;
}

bool CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, DWORD rop) {
  return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, srcWidth, srcHeight,
                      rop) != 0;
}

// --- Window DCs -------------------------------------------------------------------------

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? FwGetSafeHwnd(wnd) : nullptr) {
  m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
  Release();
}

void CClientDC::ReleaseHandle(HDC dc) {
  ::ReleaseDC(m_hWnd, dc);
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? FwGetSafeHwnd(wnd) : nullptr) {
  m_hDC = ::GetWindowDC(m_hWnd);
}

CWindowDC::~CWindowDC() {
  Release();
}

void CWindowDC::ReleaseHandle(HDC dc) {
  ::ReleaseDC(m_hWnd, dc);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? FwGetSafeHwnd(wnd) : nullptr) {
  m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
  Release();
}

void CPaintDC::ReleaseHandle(HDC dc) {
  ::EndPaint(m_hWnd, &m_ps);
}
