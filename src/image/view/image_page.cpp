#include "image/view/image_page.h"

#include <algorithm>

namespace img {

uint32_t ColoursUsed(uint32_t clrUsed, uint32_t bits) {
  if (clrUsed) return clrUsed;
  return bits == 8 ? 256 : bits == 4 ? 16 : bits == 1 ? 2 : 0;
}

int64_t FillerLineBreaks(int64_t height, int32_t lineHeight) {
  const int64_t h = std::max<int64_t>(height, 0);
  const int64_t pitch = lineHeight > 0 && lineHeight < kFillerLinePixels ? lineHeight : kFillerLinePixels;
  return h / pitch + 2;
}

std::string ImageFillerText(int64_t width, int64_t height, bool fixedPitch, bool dot,
                            const std::string& ideographicSpace, int32_t lineHeight) {
  const int64_t w = std::max<int64_t>(width, 0);
  const int64_t blanks = (fixedPitch ? w / 8 : w / 4) + 2;
  const int64_t breaks = FillerLineBreaks(height, lineHeight);
  const std::string mark = dot ? std::string(".") : ideographicSpace;
  std::string s(static_cast<size_t>(blanks), ' ');
  s += mark;
  s.reserve(s.size() + static_cast<size_t>(breaks) * 2 + mark.size());
  for (int64_t i = 0; i < breaks; ++i) s += "\r\n";
  s += mark;
  return s;
}

PagePlan PlanEmbedPage(int32_t height, int32_t bits, int32_t page) {
  PagePlan p;
  p.rowsPerPage = bits <= 8 ? kPageRowsUpTo8Bits : kPageRowsAbove8Bits;
  p.paged = height >= kPageRowsUpTo8Bits || (bits > 8 && height > kPageRowsAbove8Bits);
  if (!p.paged) {
    p.first = 1;
    p.last = height;
    p.rows = height;
    return p;
  }
  const int64_t pg = page >= 0 ? page % kPageWrap : 0;
  const int64_t first = pg * p.rowsPerPage;                     // rows above the page
  const int64_t last = std::min<int64_t>((pg + 1) * p.rowsPerPage, height);
  int64_t rows = last - first;
  if (rows < 1) rows = 1;
  p.first = int32_t(std::min<int64_t>(first + 1, height));
  p.last = int32_t(std::max<int64_t>(last, p.first));
  p.rows = int32_t(rows);
  // Bottom-up: the page's lowest row lies height - last rows above the start.
  p.bufferRow = std::max<int64_t>(height - std::max<int64_t>(last, first + 1), 0);
  return p;
}

int64_t PageStartRow(int64_t height, int64_t rows, int64_t page) {
  const int64_t start = height - (page + 1) * rows;
  return start < 0 ? 0 : start;
}

int32_t NextAttemptRows(int32_t rows) {
  const int32_t cut = rows / kBitmapCut * kBitmapCut - kBitmapCut;
  return cut > 0 ? cut : 0;
}

WrappedPage PlanCutPage(int64_t height, int32_t rows, int32_t page) {
  WrappedPage w;
  const int64_t h0 = height < 1 ? 1 : height;
  const int64_t p = page < 0 ? 0 : page % kPageWrap;
  const int64_t top = h0 - (p + 1) * rows;  // start of the page; negative: past the top
  w.rows = rows;
  w.page = page;
  if (top < 0) {
    w.rows = int32_t(std::max<int64_t>(rows + top, 0));
    w.page = int32_t(p + kPageWrap);
    w.startRow = 0;
  } else {
    w.startRow = top;
  }
  // Counted from the top: the page's rows end where the buffer rows start.
  w.last = int32_t(h0 - w.startRow);
  w.first = int32_t(std::max<int64_t>(w.last - w.rows + 1, 1));
  return w;
}

int32_t EraseBand(int64_t previous, int64_t current) {
  const int64_t d = previous - current + 50;
  return int32_t(std::clamp<int64_t>(d, 200, 1000));
}

ScrollRestore ScrollFromTransformCode(uint32_t code) {
  ScrollRestore r;
  if (code <= 9) return r;
  const uint32_t v = code / 10;
  r.restore = true;
  r.vertical = int32_t((v / 10) * 100);
  r.horizontal = int32_t((v % 10) * 100);
  return r;
}

int32_t PageAfterKey(int32_t page, int delta, bool paged) {
  if (!paged) return -1;
  const int64_t p = int64_t(page % kPageWrap) + delta;
  if (p < 0) return page == 0 ? -1 : 0;
  return int32_t(p);
}

}  // namespace img
