// The capture's rules on any names and numbers. Checks: the numbered name
// ends when the first N candidates exist (N from the input), is none of
// them, and is "" only after every try was taken; the series stays within
// its caps; the grab's region is ordered, within the coordinate limit, and
// too flat exactly when 50 pixels high or less; the DIB sizes agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "image/capture/capture_plan.h"

namespace {

struct Bytes {
  const std::uint8_t* p;
  std::size_t n;
  std::int32_t Int() {
    std::int32_t v = 0;
    if (n >= 4) {
      std::memcpy(&v, p, 4);
      p += 4;
      n -= 4;
    }
    return v;
  }
};

bool InLimit(int v) { return v >= -image::capture::kCoordLimit && v <= image::capture::kCoordLimit; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace image::capture;
  if (size < 4) return 0;
  // Up to 255 names taken; a second byte of 0xFF moves the count to either
  // side of kMaxNumberedTries.
  const unsigned taken = data[0] + (data[1] == 0xFF ? kMaxNumberedTries - 128 : 0);
  static const int kModes[] = {kDesktop, kNumbered, kClicked, kSeries, kSeriesWindow};
  const int mode = kModes[data[2] % 5];
  const std::size_t nameLen = data[3] % 80 < size - 4 ? data[3] % 80 : size - 4;
  const std::string name(reinterpret_cast<const char*>(data + 4), nameLen);
  Bytes in{data + 4 + nameLen, size - 4 - nameLen};

  std::set<std::string> existing;
  unsigned asked = 0;
  const std::string got = NumberedCaptureName(name, [&](const std::string& c) {
    ++asked;
    if (existing.size() < taken) {
      if (!existing.insert(c).second) std::abort();  // a candidate asked twice
      return true;
    }
    return false;
  });
  if (got.empty() ? asked != static_cast<unsigned>(kMaxNumberedTries) : existing.count(got) != 0) std::abort();
  if (!got.empty() && got.compare(got.size() - 4, 4, ".png") != 0) std::abort();
  if (got.empty() && taken < static_cast<unsigned>(kMaxNumberedTries)) std::abort();

  const int code = CaptureFormatCode(name);
  if (code != 3 && code != 4 && code != 5 && code != 7 && code != 8 && code != kRefusedFormat) std::abort();
  const std::string base = CaptureBasePath(name, name, name, name, data[2] & 1, mode);
  (void)CaptureBasePath("", "", name, name, data[2] & 1, mode);
  (void)CaptureTargetPath(base, static_cast<int>(data[0]) - 10);
  const SeriesPlan s = PlanSeries(name);
  if (s.count < 0 || s.count > 9000 || s.intervalMs <= 0 || s.intervalMs > 10000) std::abort();
  if (SeriesPictures(s) < 1 || s.ext.size() > 3) std::abort();
  (void)SeriesFileName(s, SeriesPictures(s));
  (void)SeriesOpenName(s, static_cast<int>(taken) - 100);

  GrabInput g;
  g.mode = mode;
  g.window = CRect(in.Int(), in.Int(), in.Int(), in.Int());
  g.capture = CRect(in.Int(), in.Int(), in.Int(), in.Int());
  g.sel = CRect(in.Int(), in.Int(), in.Int(), in.Int());
  g.clientW = in.Int();
  g.clientH = in.Int();
  g.fileKind = in.Int();
  g.hasLastLine = in.n > 0 && (in.p[0] & 1);
  g.lastLineY = in.Int();
  const GrabPlan plan = PlanGrab(g);
  const CRect& r = plan.region;
  if (!InLimit(r.left) || !InLimit(r.top) || !InLimit(r.right) || !InLimit(r.bottom)) std::abort();
  if (r.right < r.left || plan.tooFlat != (r.Height() <= 50)) std::abort();
  if (plan.setCapture != (mode == kDesktop || mode == kNumbered)) std::abort();
  std::uint32_t stride = 0, bytes = 0;
  if (CaptureDibSizes(r.Width(), r.Height(), &stride, &bytes) &&
      (stride % 4 != 0 || stride < 3u * static_cast<std::uint32_t>(r.Width()) ||
       static_cast<std::uint64_t>(stride) * static_cast<std::uint32_t>(r.Height()) != bytes ||
       bytes > 0x7FFFFFFFu - kCaptureBufferSlack))
    std::abort();
  return 0;
}
