#include "image/view/display_caption.h"

#include <cstdio>

namespace img {

namespace {

std::string Format(const char* fmt, long long a, long long b = 0, long long c = 0) {
  char buf[96];
  std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return buf;
}

std::string SizePart(const CaptionInput& in) {
  return Format(in.over ? "W%lld x H(%lld)Over! x %lldbits " : "W%lld x H%lld x %lldbits ", in.width, in.height,
                in.bits);
}

// " 1/r" below 1:1 (and at it), " x m" above; with a fine factor the
// percentage " xNN%".
std::string ZoomPart(const CaptionInput& in) {
  const int32_t level = in.zoomLevel < 1 ? 1 : in.zoomLevel > 9 ? 9 : in.zoomLevel;
  const long long r = level < 5 ? 1LL << (5 - level) : 1;
  const long long m = level > 5 ? 1LL << (level - 5) : 1;
  if (in.zoomFine >= 1 && in.zoomFine <= 9) {
    const long long pct = level > 5 ? in.zoomFine * 10LL * m : in.zoomFine * 10LL / r;
    return Format(" x%lld%%", pct);
  }
  return level > 5 ? Format(" x %lld", m) : Format(" 1/%lld", r);
}

const char* RotationPart(int32_t rotation) {
  switch (rotation) {
    case 1: return "  + 90deg";
    case 2: return "  +180deg";
    case 3: return "  +270deg";
    default: return "";
  }
}

// The memory setting that would have been needed, in megabytes.
std::string AdvicePart(const CaptionInput& in) {
  const bool outOver = in.expected > in.outputLimit;
  if (in.imageSize <= in.inputLimit && !outOver) return "";
  std::string s = " [OVER! set ";
  if (outOver)
    s += Format("pict out to %3lldMB]", (long long)(in.expected / 1048576 + 1));
  else
    s += Format("pict file to %3lldMB]", (long long)(in.imageSize / 1048576 + 1));
  return s;
}

}  // namespace

CaptionText BuildImageCaption(const CaptionInput& in) {
  CaptionText out;
  out.imageReduce = in.imageReduce;
  if (in.imageReduce == 99) {
    out.imageReduce = 1;
    if (in.kind == CaptionKind::kPlain) return out;
  }
  const std::string size = SizePart(in);
  const std::string zoom = ZoomPart(in);
  if (in.kind == CaptionKind::kPlain && in.zoomFirst && in.zoomLevel != 5)
    out.text = zoom + "   " + size;
  else
    out.text = size + zoom;
  out.text += RotationPart(in.rotation);
  if (in.kind == CaptionKind::kTransform) out.text += AdvicePart(in);
  if (out.imageReduce > 1) out.text += Format("  (compressed  1/%lld )", out.imageReduce);
  out.built = true;
  out.show = in.loadState == 0 && in.trimMode == 0;
  return out;
}

}  // namespace img
