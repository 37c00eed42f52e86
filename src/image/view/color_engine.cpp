#include "image/view/color_engine.h"

#include <cstdlib>
#include <cstring>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/tone_curve.h"

namespace img {

namespace {

// Shift right rounding towards minus infinity (the arithmetic shift), with
// its meaning fixed for negative values too.
inline int64_t Sar(int64_t v, int n) { return v >= 0 ? v >> n : -((-v + ((int64_t(1) << n) - 1)) >> n); }

inline int32_t Clamp255(int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : int32_t(v); }

struct Bgr {
  int32_t b, g, r;
};

// The options the engine reads, taken once.
struct Effects {
  Bgr ref{}, repl{};
  int32_t refHue = 0;
  int64_t tolerance = 0;
  bool hueMode = false;
  bool applyAll = false;
  bool invertSelection = false;
  bool useReplacement = false;
  bool keepBrightness = false;
  bool grey = false;
  bool invert = false;
  bool tone = false;
  int32_t toneLevel = 0;
  bool saturation = false;
  int64_t saturationFactor = 0;
  bool balance = false;
  int64_t balanceAmount = 0;
  int64_t brightness = 0;
  // Neighbour modes (24 bits only).
  bool outsideMode = false;
  bool insideMode = false;
  bool variant = false;
  int64_t neighbourLow = 0, neighbourHigh = 0, neighbourTolerance = 0;
  int32_t region = 0;

  explicit Effects(const ImageViewOptions& o) {
    namespace cw = colorword;
    const uint32_t rc = uint32_t(o[word::clrReference]);
    const uint32_t pc = uint32_t(o[word::clrReplacement]);
    ref = {int32_t(rc >> 16 & 0xFF), int32_t(rc >> 8 & 0xFF), int32_t(rc & 0xFF)};
    repl = {int32_t(pc >> 16 & 0xFF), int32_t(pc >> 8 & 0xFF), int32_t(pc & 0xFF)};
    refHue = ColorHueCode(ref.r, ref.g, ref.b);
    tolerance = o[cw::nSelectTolerance];
    hueMode = o[cw::bHueMode] != 0;
    applyAll = o[cw::bApplyAll] == 1;
    invertSelection = o[cw::bInvertSelection] == 1;
    useReplacement = o[cw::bUseReplacement] == 1;
    keepBrightness = o[cw::bKeepBrightness] == 1;
    grey = o[cw::bGrey] != 0;
    invert = o[cw::bInvert] != 0;
    tone = o[cw::bTone] != 0;
    toneLevel = o[cw::nToneLevel];
    saturation = o[cw::bSaturation] != 0;
    saturationFactor = int64_t(o[cw::nSaturation]) * 256 / 100;
    balance = o[cw::bBalance] != 0;
    balanceAmount = o[cw::nBalance];
    brightness = o[cw::nBrightness];
    outsideMode = o[cw::bNeighbourOutside] == 1;
    insideMode = o[cw::bNeighbourInside] == 1;
    variant = o[cw::bNeighbourVariant] == 1;
    neighbourLow = o[cw::nNeighbourLow];
    neighbourHigh = o[cw::nNeighbourHigh];
    neighbourTolerance = o[cw::nNeighbourTolerance];
    region = o[word::m_bRegionSet];
    // Colour option -2 is the whole picture inverted.
    if (o[word::nColorOption] == -2) applyAll = invert = true;
  }

  bool Near(const Bgr& c, const Bgr& to, int32_t toHue, int64_t tol) const {
    if (hueMode) return HueDistance(ColorHueCode(c.r, c.g, c.b), toHue) <= tol;
    return std::abs(c.b - to.b) <= tol && std::abs(c.g - to.g) <= tol && std::abs(c.r - to.r) <= tol;
  }

  bool Selected(const Bgr& c) const { return Near(c, ref, refHue, tolerance); }

  // The six rewrite steps, in order.
  Bgr Rewrite(const Bgr& old) const {
    Bgr c = useReplacement ? repl : old;
    if (grey) {
      int64_t s = (c.b + c.g + c.r) / 3;
      if (keepBrightness) s += 2 * brightness;
      c.b = c.g = c.r = Clamp255(s);
    } else if (keepBrightness) {
      const int64_t now = c.b + c.g + c.r;
      if (now > 0) {
        int64_t want = old.b + old.g + old.r + 8 * brightness;
        if (want < 0) want = 0;
        const int64_t k = want * 256 / now;
        c.b = Clamp255((c.b * k) >> 8);
        c.g = Clamp255((c.g * k) >> 8);
        c.r = Clamp255((c.r * k) >> 8);
      }
    }
    if (invert) c = {255 - c.b, 255 - c.g, 255 - c.r};
    if (tone) {
      if (toneLevel < 6) {
        c = {ToneCurveValue(c.b, toneLevel), ToneCurveValue(c.g, toneLevel), ToneCurveValue(c.r, toneLevel)};
      } else if (toneLevel <= 15) {
        const int32_t v = c.b + c.g + c.r > kToneThreshold[toneLevel - 6] ? 255 : 0;
        c = {v, v, v};
      }
    }
    if (saturation) {
      const int64_t q = int64_t(c.b + c.g + c.r) * 5 >> 4;
      c.b = Clamp255(q + Sar((c.b - q) * saturationFactor, 8));
      c.g = Clamp255(q + Sar((c.g - q) * saturationFactor, 8));
      c.r = Clamp255(q + Sar((c.r - q) * saturationFactor, 8));
    }
    if (balance) {
      const int64_t t = Sar((std::abs(2 * c.r - c.g - c.b) + std::abs(2 * (c.g - c.b))) * balanceAmount, 7);
      c.b = Clamp255(c.b + t);
      c.r = Clamp255(c.r - t);
    }
    return c;
  }
};

int TablePath(const DibHeader& h, uint8_t* info, const Effects& fx, uint32_t infoSize) {
  const uint32_t end = infoSize < kInfoArea ? infoSize : kInfoArea;
  // The table follows the header; a header size below 40 is damaged and
  // never lets the walk rewrite the header itself.
  const uint64_t start = h.biSize < kHeaderSize ? kHeaderSize : h.biSize;
  for (uint64_t off = start; off + 4 <= end; off += 4) {
    uint8_t* e = info + off;
    const Bgr c{e[0], e[1], e[2]};
    bool sel = fx.Selected(c);
    if (fx.invertSelection && !fx.grey) sel = !sel;
    if (!sel && !fx.applyAll) continue;
    const Bgr n = fx.Rewrite(c);
    e[0] = uint8_t(n.b);
    e[1] = uint8_t(n.g);
    e[2] = uint8_t(n.r);
  }
  return 0;
}

// The 24-bit walk over one picture.
class PixelWalk {
 public:
  PixelWalk(const PixelStep& step, const Effects& fx, int64_t width, int64_t height)
      : step_(step), fx_(fx), width_(width), height_(height), stride_(DibStride(uint64_t(width), 24)) {}

  void Run(const ImageRect& sel) {
    left_ = sel.left < sel.right ? sel.left : sel.right;
    right_ = sel.left < sel.right ? sel.right : sel.left;
    top_ = sel.top < sel.bottom ? sel.top : sel.bottom;
    bottom_ = sel.top < sel.bottom ? sel.bottom : sel.top;
    // With the inside neighbour mode's variant nothing is rewritten.
    const bool rewrite = !(fx_.insideMode && fx_.variant);
    // Only rows that start below the capacity can be written.
    const uint64_t cap = step_.dstCapacity;
    const uint64_t rows = (cap + stride_ - 1) / stride_;
    const uint64_t last = rows < uint64_t(height_) ? rows : uint64_t(height_);
    for (uint64_t row = 0; row < last; ++row) {
      const uint64_t base = row * stride_;
      CopyRow(base);
      if (!rewrite) continue;
      const int64_t yTop = height_ - 1 - int64_t(row);
      for (int64_t x = 0; x < width_; ++x) {
        const uint64_t at = base + uint64_t(x) * 3;
        if (at + 3 > cap) break;
        const Bgr c = Pixel(at);
        if (!Chosen(c, x, int64_t(row), yTop)) continue;
        const Bgr n = fx_.Rewrite(c);
        step_.dst[at] = uint8_t(n.b);
        step_.dst[at + 1] = uint8_t(n.g);
        step_.dst[at + 2] = uint8_t(n.r);
      }
    }
  }

 private:
  // A byte at or past the source limit repeats the last byte it may read.
  uint8_t Byte(uint64_t i) const {
    if (i < step_.srcLimit) return step_.src[i];
    return step_.srcLimit ? step_.src[step_.srcLimit - 1] : 0;
  }

  Bgr Pixel(uint64_t at) const {
    if (at + 3 <= step_.srcLimit) return {step_.src[at], step_.src[at + 1], step_.src[at + 2]};
    return {Byte(at), Byte(at + 1), Byte(at + 2)};
  }

  void CopyRow(uint64_t base) {
    const uint64_t cap = step_.dstCapacity;
    const uint64_t end = base + stride_ < cap ? base + stride_ : cap;
    const uint64_t direct = end < step_.srcLimit ? end : (step_.srcLimit > base ? step_.srcLimit : base);
    if (direct > base) std::memcpy(step_.dst + base, step_.src + base, size_t(direct - base));
    for (uint64_t i = direct; i < end; ++i) step_.dst[i] = Byte(i);
  }

  bool Inside(int64_t x, int64_t yTop) const {
    return x >= left_ && x < right_ && yTop >= top_ && yTop < bottom_;
  }

  bool Chosen(const Bgr& c, int64_t x, int64_t row, int64_t yTop) const {
    bool sel = fx_.Selected(c);
    if (fx_.invertSelection) sel = !sel;
    if (sel && (fx_.outsideMode || fx_.insideMode)) sel = NeighboursKeep(c, x, row);
    if (fx_.applyAll) sel = true;
    // The region word decides last, so no other switch reaches across it.
    if (fx_.region == 1 && !Inside(x, yTop)) return false;
    if (fx_.region == 2 && Inside(x, yTop)) return false;
    return sel;
  }

  // Counts the similar neighbours (and those of exactly the replacement
  // colour) among the 8 that lie within the picture and the source limit.
  bool NeighboursKeep(const Bgr& c, int64_t x, int64_t row) const {
    const int32_t hue = fx_.hueMode ? ColorHueCode(c.r, c.g, c.b) : 0;
    int64_t similar = 0, replacement = 0;
    for (int64_t dy = -1; dy <= 1; ++dy) {
      const int64_t ny = row + dy;
      if (ny < 0 || ny >= height_) continue;
      for (int64_t dx = -1; dx <= 1; ++dx) {
        if (dx == 0 && dy == 0) continue;
        const int64_t nx = x + dx;
        if (nx < 0 || nx >= width_) continue;
        const uint64_t at = uint64_t(ny) * stride_ + uint64_t(nx) * 3;
        if (at + 3 > step_.srcLimit) continue;
        const Bgr n{step_.src[at], step_.src[at + 1], step_.src[at + 2]};
        if (fx_.Near(n, c, hue, fx_.neighbourTolerance)) ++similar;
        if (n.b == fx_.repl.b && n.g == fx_.repl.g && n.r == fx_.repl.r) ++replacement;
      }
    }
    const bool within = similar >= fx_.neighbourLow && similar <= fx_.neighbourHigh;
    if (fx_.outsideMode) {
      if (fx_.variant && replacement == 0) return false;
      return !within;
    }
    return within;
  }

  const PixelStep& step_;
  const Effects& fx_;
  int64_t width_, height_;
  uint64_t stride_;
  int64_t left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
};

}  // namespace

int32_t ColorHueCode(int32_t red, int32_t green, int32_t blue) {
  const int32_t u = green - blue;
  const int32_t v = red - (green + blue) / 2;
  const int32_t au = std::abs(u), av = std::abs(v);
  if (au < 8 && std::abs(red - green) < 8) {
    const int32_t grey = (red + green + blue) >> 2;
    return grey == 0 ? -1 : -grey;
  }
  int32_t h;
  if (au < av) {
    h = au * 256 / (av > 2 ? av : 2);
    if (v <= 0) h = u <= 0 ? h + 1024 : 1024 - h;
    else h = u >= 0 ? h : 2048 - h;
  } else {
    h = av * 256 / (au > 2 ? au : 2);
    if (u <= 0) h = v > 0 ? h + 1536 : 1536 - h;
    else h = v <= 0 ? h + 512 : 512 - h;
  }
  return h < 0 ? 1 : h;
}

int32_t HueDistance(int32_t a, int32_t c) {
  const bool ga = a < 0, gc = c < 0;
  if (ga && gc) return std::abs(c - a);
  if (ga != gc) return 254;
  int32_t d = std::abs(a - c);
  if (d > 2048) d -= 2048;
  else if (d > 1024) d = 2048 - d;
  return d / 4;
}

int ApplyColorEffects(const PixelStep& step, const ImageViewOptions& options, const ImageRect& selection,
                      uint32_t infoSize) {
  if (!step.info) return 0;
  const DibHeader h = ReadDibHeader(step.info);
  const Effects fx(options);
  if (h.biBitCount >= 1 && h.biBitCount <= 8) return TablePath(h, step.info, fx, infoSize);
  if (h.biBitCount != 24 || h.biWidth <= 0 || h.biHeight <= 0 || !step.src || !step.dst) return 0;
  PixelWalk(step, fx, h.biWidth, h.biHeight).Run(selection);
  return 1;
}

}  // namespace img
