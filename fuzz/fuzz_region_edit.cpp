// The region editing over any numbers: a copy of any rectangle of any
// picture into a clip buffer of exactly the planned size (the header read
// back must agree), any bytes read as a clip header (an accepted layout lies
// inside the buffer), and compositing of any mode, region, clip, offset and
// source/undo sizes line by line into separately allocated scan lines (so
// ASan sees any stray byte), checked against the rules: lines outside the
// region and bytes outside the written range stay, mode 2 changes nothing,
// and restoring the undo bytes gives the picture back where the undo span
// and the restore span agree.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "image/edit/region_clip.h"
#include "image/edit/region_composite.h"
#include "image/edit/region_copy.h"
#include "image/edit/region_geometry.h"
#include "image/edit/region_restore.h"
#include "fuzz_reader.h"

namespace {

constexpr int64_t kMaxAlloc = int64_t(1) << 20;  // per buffer

struct Reader : fuzz::ByteReader {
  // Mostly small coordinates near a picture, sometimes any value.
  int Coord() {
    const uint8_t b = Byte();
    if (b >= 0xF8) return int32_t(Word());
    if (b >= 0xF0) return b & 1 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    if (b >= 0xE8) return 4990 + (b & 7) * 3;  // about the 15,000-byte clamp at 24 bits
    return int(b % 90) - 15;
  }
  CRect Rect() {
    const int l = Coord(), t = Coord(), r = Coord(), b = Coord();
    return CRect(l, t, r, b);
  }
};

// Stops with the failing line, so a crash file tells which rule broke.
void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "region_edit: check failed at line %d\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

// An exactly sized heap block.
struct Block {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  explicit Block(size_t n, uint8_t fill = 0) : data(new uint8_t[n ? n : 1]), size(n) { std::memset(data.get(), fill, n); }
  uint8_t* get() { return size ? data.get() : nullptr; }
};

void Copy(Reader& in) {
  const int bitsTable[] = {1, 4, 8, 16, 24, 32};
  const int w = in.Byte() % 48, h = in.Byte() % 48;
  image::CopyPlanInput ci;
  ci.bits = bitsTable[in.Byte() % 6];
  const uint8_t sel = in.Byte();
  ci.infoSize = sel & 1 ? int64_t(in.Word() % 2100) : 40;
  ci.coloursUsed = sel & 2 ? in.Word() % 600 : 0;
  const image::CopyRect cr = image::PickCopyRect(in.Rect(), w, h, in.Byte() % 3);
  ci.rect = cr.rect;
  ci.imageWidth = w;
  ci.imageHeight = h;
  const image::CopyPlan p = image::PlanRegionCopy(ci);
  if (!p.ok) return;
  Check(p.span >= 0 && p.clip.stride % 4 == 0 && p.clip.stride >= p.span && p.clip.stride < p.span + 4);
  Check(p.clip.pixelBytes == p.clip.stride * p.clip.rows);
  if (p.clip.FileBytes() > kMaxAlloc || p.lines.Rows() > 4096) return;

  const int64_t table = p.clip.infoSize + 4 * p.clip.colours;
  Block info(size_t(table), 0x11);
  Block clip(size_t(p.clip.FileBytes()), 0xCC);
  Check(image::WriteClipHeader(p.clip, info.get(), info.size, clip.get(), clip.size));
  const int64_t imageStride = image::RowStride(w, ci.bits);
  Block row(size_t(imageStride), 0x5A);
  const uint32_t back = in.Word();
  for (int64_t line = p.lines.first; line < p.lines.end; ++line) {
    const int64_t at = image::ClipRowOffset(p, line);
    Check(at >= p.clip.pixelOffset && at + p.clip.stride <= p.clip.FileBytes());
    const bool read = line >= 0 && line < h;
    image::CopyClipRow(p, line, read ? row.get() : nullptr, read ? row.size : 0, back, clip.get() + at,
                       size_t(p.clip.stride));
  }
  Check(image::ClipRowOffset(p, p.lines.end) == -1);
  const image::ClipReadResult back2 = image::ReadClipLayout(clip.get(), clip.size);
  if (back2.ok()) {
    Check(back2.layout.width == p.clip.width && back2.layout.rows == p.clip.rows);
    Check(back2.layout.pixelOffset == p.clip.pixelOffset);
    // The reader's stride comes from the width; the copy's from the span.
    Check(back2.layout.stride <= p.clip.stride);
  } else {
    Check(back2.error == image::ClipError::kBadSize && (p.clip.width == 0 || p.clip.rows == 0));
  }
}

void ClipBytes(Reader& in) {
  const size_t n = std::min<size_t>(in.n, size_t(in.Byte()) * 8);
  Block clip(n);
  for (size_t i = 0; i < n; ++i) clip.data[i] = in.Byte();
  if (n >= 2 && in.Byte() & 1) {
    clip.data[0] = 'B';
    clip.data[1] = 'M';
  }
  const image::ClipReadResult r = image::ReadClipLayout(clip.get(), clip.size);
  if (!r.ok()) return;
  const image::ClipLayout& l = r.layout;
  Check(l.width > 0 && l.rows > 0 && l.pixelOffset >= 54 && l.pixelOffset + l.pixelBytes <= int64_t(n));
  Check(14 + l.infoSize + 4 * l.colours <= l.pixelOffset);
  unsigned sum = 0;
  for (int64_t i = 0; i < l.pixelBytes; ++i) sum += clip.data[size_t(l.pixelOffset + i)];
  (void)sum;
}

void Composite(Reader& in) {
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const uint8_t shape = in.Byte();
  const int w = shape & 0x80 ? 4990 + in.Byte() % 40 : in.Byte() % 40;
  const int h = shape & 0x80 ? 1 + in.Byte() % 3 : in.Byte() % 40;
  const int mode = modes[in.Byte() % 13];
  image::CompositeSizeInput si;
  si.mode = mode == image::kCompositeKeyPaste ? image::kCompositeOffsetPaste : mode;
  si.region = in.Rect();
  si.clipRect = in.Byte() & 1 ? in.Rect() : CRect(0, 0, in.Byte() % 20, in.Byte() % 20);
  si.rotation = in.Byte() % 4;
  si.dragState = in.Byte() % 3;
  si.imageWidth = w;
  si.imageHeight = h;
  si.displayedBits = in.Byte() & 1 ? 24 : 8;
  si.needTransform = in.Byte() & 1;
  const image::CompositeSizes sizes = image::PlanCompositeSizes(si);
  if (!sizes.ok) return;

  image::CompositeInput ci;
  ci.mode = mode;
  ci.imageHeight = h;
  ci.sizes = sizes;
  ci.pasteOffset = CPoint(in.Byte() & 1 ? in.Coord() : 0, in.Byte() & 1 ? in.Coord() : 0);
  ci.background = in.Word();
  ci.loaded24 = in.Byte() & 1;
  ci.clearByte = in.Byte();
  ci.dragState = si.dragState;
  ci.labelFrame = in.Byte() % 20;
  // The source as the planned working copy or clip, or of any size.
  const int64_t srcW = sizes.rescale || (sizes.workCopy && mode != 4 && mode != 12) ? sizes.targetWidth : sizes.clipWidth;
  const int64_t srcH = sizes.rescale || (sizes.workCopy && mode != 4 && mode != 12) ? sizes.targetHeight : sizes.clipHeight;
  const int64_t srcStride = image::RowStride(srcW, 24);
  int64_t srcSize = srcStride >= 0 && srcStride <= kMaxAlloc && srcH <= kMaxAlloc ? 54 + srcStride * srcH : 0;
  const uint8_t srcSel = in.Byte();
  if (srcSel & 1) srcSize = in.Word() % 4096;
  if (srcSize > kMaxAlloc) return;
  ci.sourceLimit = srcSel & 2 ? int64_t(in.Word()) : srcSize;
  const image::CompositePlan plan = image::PlanComposite(ci);
  if (!plan.ok) return;
  if (plan.undoBytes > kMaxAlloc) return;
  Check(plan.firstWrite >= plan.left && plan.spanEnd == plan.left + plan.stride);

  Block src{size_t(srcSize)};
  for (size_t i = 0; i < src.size; ++i) src.data[i] = uint8_t(i * 131 + (i >> 8));
  const uint8_t undoSel = in.Byte();
  const int64_t undoSize = undoSel & 1 ? std::min<int64_t>(plan.undoBytes, in.Word() % 512) : plan.undoBytes;
  Block undo(size_t(undoSize), 0xEE);

  const int64_t stride = image::RowStride(w, 24);
  std::vector<Block> lines, before;
  for (int y = 0; y < h; ++y) {
    lines.emplace_back(size_t(stride));
    for (int64_t i = 0; i < stride; ++i) lines.back().data[size_t(i)] = uint8_t(y * 7 + i * 13 + (i >> 8));
    before.emplace_back(size_t(stride));
    std::memcpy(before.back().data.get(), lines.back().data.get(), size_t(stride));
  }
  for (int y = 0; y < h; ++y)
    image::CompositeLine(plan, y, lines[size_t(y)].get(), size_t(stride), src.get(), src.size, undo.get(), undo.size);

  // What may change: region lines only, bytes from the first written one up
  // to the region's end (the left for a clear), never in mode 2.
  const int64_t from = std::max<int64_t>(0, mode == image::kCompositeClear ? plan.left : plan.firstWrite);
  const int64_t to = std::min<int64_t>({plan.right, plan.spanEnd, stride});
  for (int y = 0; y < h; ++y)
    for (int64_t i = 0; i < stride; ++i) {
      const uint8_t a = lines[size_t(y)].data[size_t(i)], b = before[size_t(y)].data[size_t(i)];
      if (a == b) continue;
      Check(plan.lines.Contains(y) && i >= from && i < to && mode != image::kCompositeSaveOnly);
    }
  if (mode == image::kCompositeClear) {
    for (int y = 0; y < h; ++y)
      if (plan.lines.Contains(y))
        for (int64_t i = from; i < to; ++i)
          Check(lines[size_t(y)].data[size_t(i)] ==
                (ci.loaded24 ? image::BackgroundByte(ci.background, i) : ci.clearByte));
  }

  // Restore from the undo bytes: the whole picture comes back when every
  // saved byte fitted and restore walks the same span per line.
  const image::RestorePlan rp = image::PlanRegionRestore(sizes.region, h, 24);
  Check(rp.ok);
  for (int y = 0; y < h; ++y) image::RestoreLine(rp, y, lines[size_t(y)].get(), size_t(stride), undo.get(), undo.size);
  if (plan.saveUndo && undoSize == plan.undoBytes && rp.span == plan.stride && rp.left == plan.left) {
    for (int y = 0; y < h; ++y) Check(std::memcmp(lines[size_t(y)].data.get(), before[size_t(y)].data.get(), size_t(stride)) == 0);
  }
}

void Restore(Reader& in) {
  const int h = in.Byte() % 40, w = in.Byte() % 40;
  const int bits = in.Byte() & 1 ? 24 : 8 + in.Byte() % 30;
  CRect rect;
  if (!image::PickRestoreRect(in.Rect(), in.Rect(), in.Byte() % 3, &rect)) return;
  const image::RestorePlan p = image::PlanRegionRestore(rect, h, bits);
  if (!p.ok) return;
  Check(p.left <= image::kRegionSpanClamp && p.right <= image::kRegionSpanClamp && p.span % 4 == 0);
  const int64_t stride = image::RowStride(w, bits);
  Block undo(in.Byte() * size_t(4));
  for (size_t i = 0; i < undo.size; ++i) undo.data[i] = uint8_t(i);
  for (int y = 0; y < h; ++y) {
    Block row(size_t(stride), 0x42);
    image::RestoreLine(p, y, row.get(), row.size, undo.get(), undo.size);
    const int64_t k0 = image::RestoreUndoOffset(p, y);
    for (int64_t i = 0; i < stride; ++i) {
      const bool inSpan = k0 >= 0 && i >= p.left && i < p.left + p.span;
      if (!inSpan) {
        Check(row.data[size_t(i)] == 0x42);
      } else {
        const int64_t k = k0 + (i - p.left);
        Check(row.data[size_t(i)] == (k < int64_t(undo.size) ? undo.data[size_t(k)] : image::kUndoOutsideByte));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 14)) return 0;
  Reader in{{data, size}};
  const uint8_t which = in.Byte();
  if (which & 1) Copy(in);
  if (which & 2) ClipBytes(in);
  if (which & 4 || !(which & 15)) Composite(in);
  if (which & 8) Restore(in);
  return 0;
}
