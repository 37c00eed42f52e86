// GDI wrappers: device contexts and drawing objects. Every wrapper owns its
// handle and frees it when it goes (Detach hands it over). A CDC puts back the
// pen, brush, font and bitmap it started with before it is released, so the
// objects selected into it can be deleted afterwards: declare drawing objects
// before the DC they are selected into.
//
// Rectangles and points may be given as RECT/POINT, CRect/CPoint, or any
// type with the same member names (left/top/right/bottom, x/y).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "fw/cstring.h"
#include "fw/geometry.h"

class CWnd;
HWND FwGetSafeHwnd(const CWnd* wnd);

// --- Drawing objects ---------------------------------------------------------

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  bool Attach(HGDIOBJ h);
  HGDIOBJ Detach();
  bool DeleteObject();
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  int GetObject(int size, void* out) const { return m_hObject ? ::GetObjectA(m_hObject, size, out) : 0; }
  bool CreateStockObject(int index);

  HGDIOBJ m_hObject = nullptr;

 protected:
  bool Take(HGDIOBJ h);  // replaces the handle with a freshly created one
  virtual void OnHandleGone() {}
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  bool CreatePen(int style, int width, COLORREF color) { return Take(::CreatePen(style, width, color)); }
  bool CreatePenIndirect(const LOGPEN* lp) { return Take(::CreatePenIndirect(lp)); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  bool CreateSolidBrush(COLORREF color) { return Take(::CreateSolidBrush(color)); }
  bool CreateHatchBrush(int index, COLORREF color) { return Take(::CreateHatchBrush(index, color)); }
  bool CreateSysColorBrush(int index);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CDC;

class CFont : public CGdiObject {
 public:
  bool CreateFontIndirect(const LOGFONTA* lf) { return Take(::CreateFontIndirectA(lf)); }
  bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                  BYTE quality, BYTE pitchAndFamily, const char* faceName);
  // A font of `pointSize10` tenths of a point on `dc` (the screen when null).
  bool CreatePointFont(int pointSize10, const char* faceName, CDC* dc = nullptr);
  // The same from a LOGFONT whose lfHeight is in tenths of a point.
  bool CreatePointFontIndirect(const LOGFONTA* lf, CDC* dc = nullptr);
  bool GetLogFont(LOGFONTA* lf) const { return GetObject(sizeof *lf, lf) != 0; }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
 public:
  bool LoadBitmap(unsigned id);
  bool CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    return Take(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
  }
  bool CreateCompatibleBitmap(CDC* dc, int width, int height);
  // A top-down DIB section of `bitsPerPixel` (24 or 32) whose pixels are
  // reachable through Bits()/Stride()/GetPixel/SetPixel.
  bool CreateDIBSection(int width, int height, int bitsPerPixel = 32);
  bool GetBitmap(BITMAP* bm) const { return GetObject(sizeof *bm, bm) != 0; }
  CSize GetSize() const;

  // DIB sections only (null/0 otherwise).
  unsigned char* Bits() const { return bits_; }
  int Stride() const { return stride_; }
  // Pixel colour of a DIB section (0 outside it). Call GdiFlush() after
  // drawing into it before reading.
  COLORREF GetPixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF c);

  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }

 protected:
  void OnHandleGone() override;

 private:
  bool TakeBitmap(HBITMAP h, unsigned char* bits, int stride, int bpp);

  unsigned char* bits_ = nullptr;
  int stride_ = 0;
  int bpp_ = 0;
};

class CRgn : public CGdiObject {
 public:
  bool CreateRectRgn(int x1, int y1, int x2, int y2) { return Take(::CreateRectRgn(x1, y1, x2, y2)); }
  template <class R>
  bool CreateRectRgnIndirect(const R& r) { return CreateRectRgn(r.left, r.top, r.right, r.bottom); }
  bool CreateEllipticRgn(int x1, int y1, int x2, int y2) { return Take(::CreateEllipticRgn(x1, y1, x2, y2)); }
  bool CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
    return Take(::CreatePolygonRgn(pts, count, fillMode));
  }
  // A = B op C (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY); this region
  // must exist (e.g. CreateRectRgn(0, 0, 0, 0)).
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  bool PtInRegion(int x, int y) const { return m_hObject && ::PtInRegion(*this, x, y); }
  int GetRgnBox(RECT* r) const { return m_hObject ? ::GetRgnBox(*this, r) : ERROR; }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

// --- Device contexts -------------------------------------------------------------

class CDC {
 public:
  CDC() = default;
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // Takes ownership of `dc` (DeleteDC when released).
  bool Attach(HDC dc);
  // Gives the handle back without restoring or deleting anything.
  HDC Detach();
  bool DeleteDC();
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  // A memory DC like `dc` (the screen when null).
  bool CreateCompatibleDC(CDC* dc);
  bool CreateDC(const char* driver, const char* device, const DEVMODEA* mode);

  // Selection. The previous object comes back as a handle; select it again
  // to put it back.
  HGDIOBJ SelectObject(CGdiObject* obj) { return SelectObject(obj ? obj->m_hObject : nullptr); }
  HGDIOBJ SelectObject(HGDIOBJ obj);
  HGDIOBJ SelectStockObject(int index) { return SelectObject(::GetStockObject(index)); }
  int SelectClipRgn(CRgn* rgn) { return ::SelectClipRgn(m_hDC, rgn ? static_cast<HRGN>(*rgn) : nullptr); }
  int SaveDC() { return ::SaveDC(m_hDC); }
  bool RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved) != 0; }

  // Attributes.
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
  int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
  int GetMapMode() const { return ::GetMapMode(m_hDC); }
  int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
  POINT SetViewportOrg(int x, int y);
  POINT SetWindowOrg(int x, int y);
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
  bool DPtoLP(POINT* pts, int count = 1) const { return ::DPtoLP(m_hDC, pts, count) != 0; }
  bool LPtoDP(POINT* pts, int count = 1) const { return ::LPtoDP(m_hDC, pts, count) != 0; }

  // Text. Texts are Shift-JIS; a length of -1 means up to the NUL.
  bool TextOut(int x, int y, const char* text, int len = -1);
  bool TextOut(int x, int y, const std::string& text) { return TextOut(x, y, text.data(), Len(text)); }
  bool TextOut(int x, int y, const CString& text) { return TextOut(x, y, text.Str()); }
  // `rect` (RECT or CRect, may be null) is clipped to or, with ETO_OPAQUE,
  // filled with the background colour.
  template <class R>
  bool ExtTextOut(int x, int y, UINT options, const R* rect, const char* text, int len = -1,
                  const int* dx = nullptr) {
    RECT rc = rect ? ToRect(*rect) : RECT{0, 0, 0, 0};
    return ExtTextOutImpl(x, y, options, rect ? &rc : nullptr, text, len, dx);
  }
  bool ExtTextOut(int x, int y, UINT options, std::nullptr_t, const char* text, int len = -1,
                  const int* dx = nullptr) {
    return ExtTextOutImpl(x, y, options, nullptr, text, len, dx);
  }
  template <class R>
  bool ExtTextOut(int x, int y, UINT options, const R* rect, const CString& text, const int* dx = nullptr) {
    return ExtTextOut(x, y, options, rect, text.GetString(), text.GetLength(), dx);
  }
  // DrawText on a RECT or CRect (DT_CALCRECT writes the measured size back).
  template <class R>
  int DrawText(const char* text, int len, R* rect, UINT format) {
    RECT rc = ToRect(*rect);
    const int h = DrawTextImpl(text, len, &rc, format);
    rect->left = rc.left;
    rect->top = rc.top;
    rect->right = rc.right;
    rect->bottom = rc.bottom;
    return h;
  }
  template <class R>
  int DrawText(const CString& text, R* rect, UINT format) { return DrawText(text.GetString(), text.GetLength(), rect, format); }
  CSize GetTextExtent(const char* text, int len = -1) const;
  CSize GetTextExtent(const std::string& text) const { return GetTextExtent(text.data(), Len(text)); }
  CSize GetTextExtent(const CString& text) const { return GetTextExtent(text.Str()); }
  bool GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(m_hDC, tm) != 0; }

  // Filling and lines.
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  template <class R>
  void FillSolidRect(const R& r, COLORREF color) { FillSolidRect(r.left, r.top, r.right - r.left, r.bottom - r.top, color); }
  template <class R>
  void FillRect(const R& r, CBrush* brush) { RECT rc = ToRect(r); ::FillRect(m_hDC, &rc, *brush); }
  template <class R>
  void FrameRect(const R& r, CBrush* brush) { RECT rc = ToRect(r); ::FrameRect(m_hDC, &rc, *brush); }
  template <class R>
  void InvertRect(const R& r) { RECT rc = ToRect(r); ::InvertRect(m_hDC, &rc); }
  bool FillRgn(CRgn* rgn, CBrush* brush) { return ::FillRgn(m_hDC, *rgn, *brush) != 0; }
  POINT MoveTo(int x, int y);
  template <class P>
  POINT MoveTo(const P& p) { return MoveTo(p.x, p.y); }
  bool LineTo(int x, int y) { return ::LineTo(m_hDC, x, y) != 0; }
  template <class P>
  bool LineTo(const P& p) { return LineTo(p.x, p.y); }
  bool Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2) != 0; }
  template <class R>
  bool Rectangle(const R& r) { return Rectangle(r.left, r.top, r.right, r.bottom); }
  bool Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2) != 0; }
  template <class R>
  bool Ellipse(const R& r) { return Ellipse(r.left, r.top, r.right, r.bottom); }
  bool RoundRect(int x1, int y1, int x2, int y2, int w, int h) { return ::RoundRect(m_hDC, x1, y1, x2, y2, w, h) != 0; }
  bool Polygon(const POINT* pts, int count) { return ::Polygon(m_hDC, pts, count) != 0; }
  bool Polyline(const POINT* pts, int count) { return ::Polyline(m_hDC, pts, count) != 0; }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

  // Blocks.
  bool BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
  bool StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, DWORD rop);
  bool PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop) != 0; }

  HDC m_hDC = nullptr;

 protected:
  // How the handle is given back: DeleteDC, ReleaseDC or EndPaint.
  virtual void ReleaseHandle(HDC dc);
  // Puts the first-replaced objects back and frees the handle.
  void Release();

 private:
  template <class R>
  static RECT ToRect(const R& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
  bool ExtTextOutImpl(int x, int y, UINT options, const RECT* rect, const char* text, int len, const int* dx);
  int DrawTextImpl(const char* text, int len, RECT* rect, UINT format);
  static int Len(const std::string& s) { return s.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(s.size()); }

  // The objects the DC started with, by kind (pen, brush, font, bitmap).
  HGDIOBJ original_[4] = {};
};

// The window's client area, for drawing outside WM_PAINT.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;
  HWND m_hWnd = nullptr;

 protected:
  void ReleaseHandle(HDC dc) override;
};

// The whole window, frame included (the screen when `wnd` is null).
class CWindowDC : public CDC {
 public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;
  HWND m_hWnd = nullptr;

 protected:
  void ReleaseHandle(HDC dc) override;
};

// BeginPaint/EndPaint for a WM_PAINT handler.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps = {};
  HWND m_hWnd = nullptr;

 protected:
  void ReleaseHandle(HDC dc) override;
};
