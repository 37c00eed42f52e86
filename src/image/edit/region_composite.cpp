#include "image/edit/region_composite.h"

#include <algorithm>
#include <iterator>

#include "image/edit/region_clip.h"
#include "image/edit/region_restore.h"

namespace image {

namespace {

constexpr int64_t kFar = int64_t(1) << 60;  // a position beyond every buffer
constexpr int64_t kNoWorkCopyBytes = 100;
constexpr int kBytesPerPixel = 3;

// a x b + c, or kFar / -kFar when past +-2^60 (such positions are outside
// every buffer and read as background).
int64_t FarMulAdd(int64_t a, int64_t b, int64_t c) {
  int64_t p, s;
  if (__builtin_mul_overflow(a, b, &p) || __builtin_add_overflow(p, c, &s)) return (a < 0) != (b < 0) ? -kFar : kFar;
  return std::clamp(s, -kFar, kFar);
}

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

bool IsOffsetPaste(int mode) { return mode == kCompositeOffsetPaste || mode == kCompositeKeyPaste; }

uint8_t Component(uint32_t c, int shift) { return uint8_t(c >> shift); }

}  // namespace

uint32_t LabelKeyColour(uint32_t background) {
  auto step = [](int v, int d) { return v + d > 255 ? v - d : v + d; };
  const int r = step(Component(background, 0), 1);
  const int g = step(Component(background, 8), 2);
  const int b = step(Component(background, 16), 3);
  return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

uint8_t ClearIndexByte(int bits, const uint8_t* table, size_t tableBytes, int64_t colours, uint32_t background) {
  if (bits != 8 || !table) return 0;
  const int64_t n = std::min<int64_t>({colours, 256, int64_t(tableBytes / 4)});
  for (int64_t i = 0; i < n; ++i) {
    const uint8_t* e = table + 4 * i;
    if (e[0] == Component(background, 16) && e[1] == Component(background, 8) && e[2] == Component(background, 0))
      return uint8_t(i);
  }
  return 0;
}

int SelModeAfterComposite(int selMode) { return selMode == 2 || selMode == 4 ? 4 : 1; }

CompositeSizes PlanCompositeSizes(const CompositeSizeInput& in) {
  CompositeSizes s;
  CRect region = in.region, clip = in.clipRect;
  if (!HasRegion(in.region) && in.dragState == 1) region = clip = CRect(0, 0, in.imageWidth, in.imageHeight);
  s.region = NormalizeRegion(region);
  s.clipWidth = Abs64(int64_t(clip.right) - clip.left);
  s.clipHeight = Abs64(int64_t(clip.bottom) - clip.top);
  const int64_t w = Abs64(int64_t(region.right) - region.left), h = Abs64(int64_t(region.bottom) - region.top);
  const bool odd = in.rotation == 1 || in.rotation == 3;
  const bool crosswise = in.mode == kCompositeRotate ? !odd : odd;
  s.targetWidth = crosswise ? h : w;
  s.targetHeight = crosswise ? w : h;
  s.targetStride = RowStride(s.targetWidth, 24);
  s.rescale = !IsOffsetPaste(in.mode) &&
              (s.targetWidth != s.clipWidth || s.targetHeight != s.clipHeight || in.dragState == 2);
  s.workCopy = s.rescale || in.displayedBits != 24 || (in.mode > 4 && in.mode != kCompositeKeyPaste) ||
               in.needTransform;
  s.workBytes = s.workCopy ? CheckedRegionProduct(s.targetStride, s.targetHeight) : kNoWorkCopyBytes;
  s.workBufferBytes = CheckedRegionSum(s.workBytes, kRegionSpareBytes);
  s.ok = s.targetStride >= 0 && s.workBytes >= 0 && s.workBufferBytes >= 0;
  return s;
}

CompositePlan PlanComposite(const CompositeInput& in) {
  CompositePlan p;
  const CompositeSizes& s = in.sizes;
  if (!s.ok || in.imageHeight < 0) return p;
  p.mode = in.mode;
  p.imageHeight = in.imageHeight;
  p.lines = RegionLines(s.region, in.imageHeight);
  p.left = std::min(int64_t(s.region.left) * kBytesPerPixel, kRegionSpanClamp);
  p.right = std::min(int64_t(s.region.right) * kBytesPerPixel, kRegionSpanClamp);
  p.stride = s.targetStride;
  p.spanEnd = p.left + p.stride;
  p.undoBytes = in.mode == kCompositeClear ? 0 : CheckedRegionProduct(p.lines.Rows(), p.stride);
  if (p.undoBytes < 0 || CheckedRegionSum(p.undoBytes, kRegionSpareBytes) < 0) return p;

  // The source: byte 54 of the working copy (or the clip); the offset paste
  // aligns the clip's top with the region's and shifts it by the offset.
  const int64_t clipStride = RowStride(s.clipWidth, 24);
  if (clipStride < 0) return p;
  p.sourceAdvance = IsOffsetPaste(in.mode) ? clipStride : s.rescale ? p.stride : clipStride;
  p.sourceRowBytes = (s.rescale || (s.workCopy && !IsOffsetPaste(in.mode)) ? s.targetWidth : s.clipWidth) *
                     kBytesPerPixel;
  p.firstWrite = p.left;
  p.sourceStart = kClipPlainHeaderBytes;
  if (IsOffsetPaste(in.mode)) {
    const int64_t dx = int64_t(in.pasteOffset.x) * kBytesPerPixel;
    p.sourceStart = FarMulAdd(s.clipHeight - p.lines.Rows() - in.pasteOffset.y, clipStride,
                              kClipPlainHeaderBytes + dx);
    p.sourceRowBytes -= dx;
    if (dx < 0) p.firstWrite = p.left - dx;
  }
  p.sourceLimit = in.sourceLimit;
  p.background = in.background;
  p.keyColour = LabelKeyColour(in.background);
  p.saveUndo = in.mode != kCompositeClear && in.mode != kCompositeRestoreClip && in.mode != kCompositePaint;
  p.write = in.mode != kCompositeSaveOnly;
  p.keyed = in.dragState == 2 || in.mode == kCompositeLabel || in.mode == kCompositeLabel2;
  p.shadow = std::find(std::begin(kShadowFrames), std::end(kShadowFrames), in.labelFrame) != std::end(kShadowFrames);
  p.nearWhite = in.mode == kCompositeKeyPaste;
  p.loaded24 = in.loaded24;
  p.clearByte = in.clearByte;
  p.ok = true;
  return p;
}

namespace {

bool Composited(const CompositePlan& plan, int64_t line) {
  return plan.ok && plan.lines.Contains(line) && line >= 0 && line < plan.imageHeight;
}

}  // namespace

int64_t CompositeSourceRow(const CompositePlan& plan, int64_t line) {
  return FarMulAdd(line - plan.lines.first, plan.sourceAdvance, plan.sourceStart);
}

int64_t CompositeUndoOffset(const CompositePlan& plan, int64_t line) {
  if (!Composited(plan, line)) return -1;
  return FarMulAdd(line - plan.lines.InsideFirst(plan.imageHeight), plan.stride, 0);
}

void CompositeLine(const CompositePlan& plan, int64_t line, uint8_t* row, size_t rowBytes, const uint8_t* source,
                   size_t sourceBytes, uint8_t* undo, size_t undoBytes) {
  if (!Composited(plan, line)) return;
  const int64_t rowSize = int64_t(rowBytes);
  const int64_t writeFrom = std::max<int64_t>(0, plan.mode == kCompositeClear ? plan.left : plan.firstWrite);
  const int64_t writeEnd = std::min(plan.right, rowSize);
  auto writable = [&](int64_t pos) { return plan.write && pos >= writeFrom && pos < writeEnd; };

  if (plan.mode == kCompositeClear) {
    for (int64_t pos = writeFrom; pos < std::min(plan.spanEnd, writeEnd); ++pos)
      row[pos] = plan.loaded24 ? BackgroundByte(plan.background, pos) : plan.clearByte;
    return;
  }

  const int64_t undoRoom = std::min(plan.undoBytes, int64_t(undoBytes));
  const int64_t k0 = CompositeUndoOffset(plan, line);
  const int64_t srcRow = CompositeSourceRow(plan, line);
  const int64_t srcEnd = std::min(plan.sourceLimit, int64_t(sourceBytes));
  // The new byte at span position pos: the source's, or the background where
  // the source position lies before its rows, past its end or off its row.
  auto newByte = [&](int64_t pos) -> uint8_t {
    const int64_t j = pos - plan.left;
    const int64_t s = srcRow + j;
    if (!source || j < 0 || j >= plan.sourceRowBytes || s < kClipPlainHeaderBytes || s >= srcEnd)
      return BackgroundByte(plan.background, pos);
    return source[s];
  };

  auto pixel = [&](int64_t px) {
    const int64_t pxEnd = std::min(px + kBytesPerPixel, plan.spanEnd);
    if (plan.saveUndo) {
      for (int64_t pos = px; pos < pxEnd; ++pos) {
        const int64_t k = k0 + (pos - plan.left);
        if (k >= undoRoom) break;
        undo[k] = pos >= 0 && pos < rowSize ? row[pos] : kUndoLeftOfRowByte;
      }
    }
    if (!plan.write || px >= writeEnd || px + kBytesPerPixel <= writeFrom) return;
    const uint8_t b = newByte(px), g = newByte(px + 1), r = newByte(px + 2);
    const bool isKey = plan.keyed && b == Component(plan.keyColour, 16) && g == Component(plan.keyColour, 8) &&
                       r == Component(plan.keyColour, 0);
    if (isKey) {
      if (plan.shadow)
        for (int64_t pos = px; pos < pxEnd; ++pos)
          if (writable(pos)) row[pos] = uint8_t(row[pos] / 2);
      return;
    }
    if (plan.nearWhite && b > kNearWhiteAbove && g > kNearWhiteAbove && r > kNearWhiteAbove) return;
    const uint8_t value[kBytesPerPixel] = {b, g, r};
    for (int64_t pos = px; pos < pxEnd; ++pos)
      if (writable(pos)) row[pos] = value[pos - px];
  };

  // Pixels run from the span's left in steps of 3: first those whose bytes
  // are saved (the undo room may end early), then those that can still be
  // written, so a span far wider than the row costs no more than the row.
  int64_t px = plan.left;
  const int64_t undoEnd =
      plan.saveUndo ? std::min(plan.spanEnd, plan.left + std::max<int64_t>(0, undoRoom - k0)) : plan.left;
  for (; px < undoEnd; px += kBytesPerPixel) pixel(px);
  if (!plan.write) return;
  const int64_t lead = ((writeFrom - plan.left) % kBytesPerPixel + kBytesPerPixel) % kBytesPerPixel;
  px = std::max(px, writeFrom - lead);
  for (const int64_t end = std::min(plan.spanEnd, writeEnd); px < end; px += kBytesPerPixel) pixel(px);
}

}  // namespace image
