#include "image/view/display_pipeline.h"

#include <algorithm>
#include <cstring>

#include "image/load/dib_convert.h"
#include "image/view/color_engine.h"
#include "image/view/pixel_access.h"
#include "image/view/transforms.h"

namespace img {
namespace {

constexpr uint64_t kSlack = 100000;        // readable bytes past a step's picture
constexpr uint64_t kScaleRaise = 900000;   // the scaling step's extra source reach

// The two buffers and which one holds the current picture.
class PingPong {
 public:
  PingPong(const DisplayRequest& q) : info_(q.info) {
    buf_[0] = q.a;
    buf_[1] = q.b;
    size_[0] = q.aSize;
    size_[1] = q.bSize;
  }
  int current() const { return cur_; }
  uint64_t limit() const { return std::min<uint64_t>(limit_, size_[cur_]); }
  void SetLimit(uint64_t v) { limit_ = v; }
  PixelStep Step() const {
    PixelStep s;
    s.src = buf_[cur_];
    s.srcLimit = uint32_t(limit());
    s.dst = buf_[1 - cur_];
    s.dstCapacity = size_[1 - cur_];
    s.info = info_;
    return s;
  }
  // The step wrote the other buffer: it now holds the picture, readable up
  // to its size and the slack.
  void Toggle() {
    cur_ ^= 1;
    ++steps_;
    limit_ = uint64_t(ReadDibHeader(info_).biSizeImage) + kSlack;
  }
  int steps() const { return steps_; }
  uint8_t* buffer(int k) const { return buf_[k]; }
  uint32_t size(int k) const { return size_[k]; }

 private:
  uint8_t* buf_[2];
  uint32_t size_[2];
  uint8_t* info_;
  int cur_ = 0;
  int steps_ = 0;
  uint64_t limit_ = 0;
};

bool Shape(const uint8_t* info, PictureShape* s) { return ReadShape(info, s) && s->Size() <= kMaxSizeOut; }

}  // namespace

DisplayResult TransformImageForDisplay(const DisplayRequest& q, const DisplayServices& sv) {
  DisplayResult res;
  res.imageReduce = q.imageReduce == 99 ? 1 : q.imageReduce;
  res.showCaption = q.loadState == 0 && q.trimMode == 0;
  if (!q.a || !q.b || !q.info || q.bSize == 0 || q.srcBytes > q.aSize) return res;
  PictureShape in;
  // A header the walks cannot step through, or one whose rows do not fit the
  // pixels handed in, shows nothing.
  if (!Shape(q.info, &in) || in.Size() > q.srcBytes) return res;
  DibHeader h0 = ReadDibHeader(q.info);
  if (h0.biSizeImage == 0) {
    h0.biSizeImage = uint32_t(in.Size());
    WriteDibHeader(q.info, h0);
  }
  res.widthBefore = h0.biWidth;
  res.heightBefore = h0.biHeight;
  res.bitsBefore = h0.biBitCount;
  res.overMark = h0.biSizeImage == q.textBufSize2;
  const ImageViewOptions& o = q.options;
  const int level = o[word::nZoomLevel];
  res.sizes = ComputeDisplaySizes(h0.biSizeImage, level, q.textBufSize, q.textBufSize2);
  const int d = res.sizes.divisor, m = res.sizes.multiplier, zoom = res.sizes.level;

  // 1. Region flags.
  int cutFlag = o[word::bRegionCut], skipFlag = o[word::nSkipColorEngine];
  if (o[word::nEffectStyle] == 0) cutFlag = skipFlag = 0;
  if (cutFlag == 0) skipFlag = 0;

  PingPong pp(q);
  pp.SetLimit(res.sizes.inputRead < q.srcBytes ? res.sizes.inputRead : q.srcBytes);
  auto fail = [&res] {
    res.size = 0;
    return res;
  };

  // 2. 24-bit conversion.
  const int colorOption = o[word::nColorOption];
  if (in.bits == 32 || in.bits == 16 ||
      ((o[word::nEffectStyle] != 0 || colorOption == -2) && o[word::bTo24] == 1 && in.bits < 24)) {
    const PixelStep s = pp.Step();
    ConvertDibPixels(s.src, s.dst, s.info, s.srcLimit, s.dstCapacity);
    pp.Toggle();
    if (!Shape(q.info, &in)) return fail();
  }
  // 3. Colour option.
  if (colorOption > 0 && in.bits == 24) {
    if (!ApplyColorOption(pp.Step(), colorOption)) return fail();
    pp.Toggle();
  }
  // 4-6. Mirror, flip, rotation.
  if (o[word::bFlipH] == 1) {
    if (!MirrorImageRows(pp.Step())) return fail();
    pp.Toggle();
  }
  if (o[word::bFlipV] == 1) {
    if (!FlipImageRows(pp.Step())) return fail();
    pp.Toggle();
  }
  const int rotation = o[word::nRotation];
  if (rotation >= 1 && rotation <= 3) {
    if (!RotateImage(pp.Step(), rotation)) return fail();
    pp.Toggle();
  }
  if (!Shape(q.info, &in)) return fail();

  // 7. Scaling.
  const int fine = o[word::nZoomFine];
  const bool hasFine = fine >= 1 && fine <= 9;
  const int stretch = o[word::nStretchMode];
  if (!(zoom == 5 && !hasFine && stretch < 1)) {
    const uint64_t size = ReadDibHeader(q.info).biSizeImage;
    const uint64_t lim = pp.limit();
    pp.SetLimit(std::max(lim, std::min(size, lim + kScaleRaise)));
    uint64_t tw, th;
    if (zoom <= 5) {
      const uint64_t f = hasFine ? uint64_t(fine) * 64 : 640;
      tw = uint64_t(in.width) * (f / uint64_t(d)) / 640;
      th = uint64_t(in.height) * (f / uint64_t(d)) / 640;
    } else {
      const uint64_t f = hasFine ? uint64_t(fine) * uint64_t(m) : uint64_t(m) * 10;
      tw = uint64_t(in.width) * f / 10;
      th = uint64_t(in.height) * f / 10;
    }
    const PixelStep s = pp.Step();
    if (in.bits >= 24 && tw < 3000 && q.loadState == 0 && sv.scaler) {
      if (th > kMaxSideOut) return fail();
      if (!sv.scaler(s, int32_t(tw), int32_t(th), stretch)) return fail();
      const DibHeader h = ReadDibHeader(q.info);
      if (h.biWidth <= 0 || h.biHeight <= 0 || h.biSizeImage == 0) return fail();
    } else if (zoom <= 5) {
      const int ink = in.bits == 1 ? TableEntry(q.info, 0)[0] : 0;
      if (!ReduceImage(s, d, fine, ink, stretch)) return fail();
    } else {
      if (!EnlargeImage(s, m, fine)) return fail();
    }
    pp.Toggle();
    if (!Shape(q.info, &in)) return fail();
  }

  // 8. The colour engine and the region cut.
  if (o[word::bNeedTransform] == 1) {
    if ((o[word::nEffectStyle] == 1 || colorOption == -2) && skipFlag == 0 && sv.colorEngine) {
      if (sv.colorEngine(pp.Step(), o, q.selection, q.infoSize) == 1) pp.Toggle();
      if (!Shape(q.info, &in)) return fail();
    }
    if (cutFlag == 1) {
      // The selection is in pixels of the reduced picture when an odd number
      // of steps ran before the cut.
      ImageRect sel = q.selection;
      if (pp.current() == 1 && d > 1) {
        sel.left /= d;
        sel.top /= d;
        sel.right /= d;
        sel.bottom /= d;
      }
      int32_t cw = 0, ch = 0;
      if (!CutImageRegion(pp.Step(), sel, &cw, &ch)) return fail();
      pp.Toggle();
      res.regionCut = true;
      res.widthBefore = cw;
      res.heightBefore = ch;
      if (!Shape(q.info, &in)) return fail();
    }
  }

  // 9. The 3x3 filter (a value without a kernel filters nothing).
  const int filter = o[word::nFilter];
  if (o[word::nEffectStyle] != 0 && in.pixelBytes == 3 && o[word::bFilterOn] != 0 && o[word::bNeedTransform] != 0 &&
      HasFilterKernel(filter)) {
    if (!FilterImage3x3(pp.Step(), filter, q.selection)) return fail();
    pp.Toggle();
  }

  // 10. Final size, height cut, and the copy into B.
  const FinalSize fin = ComputeFinalSize(in.Size(), in.stride, in.height, q.bSize, q.textBufSize);
  if (fin.height <= 0 || fin.size == 0) return fail();
  if (fin.heightCut) {
    DibHeader h = ReadDibHeader(q.info);
    h.biHeight = int32_t(fin.height);
    h.biSizeImage = uint32_t(fin.size);
    WriteDibHeader(q.info, h);
  }
  if (pp.current() == 0) {
    const uint64_t avail = pp.limit();
    if (fin.size < q.bSize && fin.size <= avail) {
      std::memcpy(q.b, q.a, size_t(fin.size));
    } else {
      CheckedSrc r{q.a, avail};
      const uint64_t n = std::min<uint64_t>(fin.size, q.bSize);
      for (uint64_t i = 0; i < n; ++i) q.b[i] = r(i);
    }
  }
  const DibHeader hf = ReadDibHeader(q.info);
  res.width = hf.biWidth;
  res.height = hf.biHeight;
  res.bits = hf.biBitCount;
  res.heightCut = fin.heightCut;
  res.steps = pp.steps();
  res.size = uint32_t(fin.size);
  return res;
}

DisplayServices StandardDisplayServices() {
  DisplayServices sv;
  sv.colorEngine = [](const PixelStep& step, const ImageViewOptions& options, const ImageRect& selection,
                      uint32_t infoSize) { return ApplyColorEffects(step, options, selection, infoSize); };
  return sv;
}

CaptionInput TransformCaptionInput(const DisplayRequest& q, const DisplayResult& r) {
  CaptionInput in;
  in.kind = CaptionKind::kTransform;
  in.width = r.widthBefore;
  in.height = r.heightBefore;
  in.bits = r.bits;
  in.over = r.overMark;
  in.zoomLevel = q.options[word::nZoomLevel];
  in.zoomFine = q.options[word::nZoomFine];
  in.rotation = q.options[word::nRotation];
  in.imageReduce = q.imageReduce;
  in.imageSize = r.sizes.imageSize;
  in.expected = r.sizes.expected;
  in.outputLimit = q.textBufSize;
  in.inputLimit = q.textBufSize2;
  in.loadState = q.loadState;
  in.trimMode = q.trimMode;
  return in;
}

}  // namespace img
