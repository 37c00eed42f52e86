// CPoint, CSize and CRect: integer points, extents and rectangles (right
// and bottom exclusive, as on the screen). Window code converts them to the
// system's POINT/SIZE/RECT at its own boundary.
#pragma once

struct CSize {
  int cx = 0, cy = 0;
  CSize() = default;
  CSize(int x, int y) : cx(x), cy(y) {}
  bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(const CSize& o) const { return !(*this == o); }
  CSize operator+(const CSize& o) const { return CSize(cx + o.cx, cy + o.cy); }
  CSize operator-(const CSize& o) const { return CSize(cx - o.cx, cy - o.cy); }
};

struct CPoint {
  int x = 0, y = 0;
  CPoint() = default;
  CPoint(int px, int py) : x(px), y(py) {}
  void Offset(int dx, int dy) { x += dx; y += dy; }
  bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
  bool operator!=(const CPoint& o) const { return !(*this == o); }
  CPoint operator+(const CSize& s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(const CSize& s) const { return CPoint(x - s.cx, y - s.cy); }
  CSize operator-(const CPoint& o) const { return CSize(x - o.x, y - o.y); }
  CPoint& operator+=(const CSize& s) { x += s.cx; y += s.cy; return *this; }
  CPoint& operator-=(const CSize& s) { x -= s.cx; y -= s.cy; return *this; }
};

struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  CRect() = default;
  CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  CRect(const CPoint& topLeft, const CSize& size)
      : left(topLeft.x), top(topLeft.y), right(topLeft.x + size.cx), bottom(topLeft.y + size.cy) {}
  CRect(const CPoint& topLeft, const CPoint& bottomRight)
      : left(topLeft.x), top(topLeft.y), right(bottomRight.x), bottom(bottomRight.y) {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(const CPoint& p) { OffsetRect(p.x, p.y); }
  void InflateRect(int dx, int dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void NormalizeRect() {
    if (left > right) { int t = left; left = right; right = t; }
    if (top > bottom) { int t = top; top = bottom; bottom = t; }
  }
  // Both give an empty (all-zero) rectangle and false when there is no area.
  bool IntersectRect(const CRect& a, const CRect& b) {
    CRect r(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
    if (r.IsRectEmpty()) { SetRectEmpty(); return false; }
    *this = r;
    return true;
  }
  bool UnionRect(const CRect& a, const CRect& b) {
    if (a.IsRectEmpty()) { *this = b; }
    else if (b.IsRectEmpty()) { *this = a; }
    else {
      SetRect(a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
              a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom);
    }
    if (IsRectEmpty()) { SetRectEmpty(); return false; }
    return true;
  }

  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const CRect& o) const { return !(*this == o); }
};
