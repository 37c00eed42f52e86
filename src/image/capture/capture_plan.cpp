#include "image/capture/capture_plan.h"

#include <algorithm>
#include <cstdio>

#include "core/docsvc/pathpart.h"
#include "fw/cstring.h"

namespace image::capture {

namespace {

constexpr int kFirstPictureKind = 12;  // the single-picture kinds a capture keeps
constexpr int kLastPictureKind = 21;
constexpr int kMaxSeriesPictures = 9000;
constexpr int kMaxSeriesIntervalMs = 10000;
constexpr int kDefaultIntervalMs = 1000;
constexpr long long kDigitsCap = 1000000000LL;  // a longer digit run reads as this
constexpr int kMinGrabSide = 10;
constexpr int kTextCutBelow = 50;  // the cut below a text's last line
constexpr int kFlatHeight = 50;    // this high or less: nothing written
constexpr long long kMaxDibBytes = 0x7FFFFFFFLL;

// The folder names appended to a folder, by mode.
constexpr const char* kSeriesDefault = "temp#10s200m.bmp";
constexpr const char* kPictureDefault = "temp.png";

std::string PathPart(const std::string& path, int mode) { return GetPathPart(CString(path), mode).Str(); }

// Ends in a "\" of its own (not the trail byte of a double-byte character).
bool EndsInBackslash(const std::string& path) {
  return !path.empty() && LastBackslash(CString(path)) == static_cast<int>(path.size()) - 1;
}

std::string LowerTail3(const std::string& path) {
  std::string t = path.size() >= 3 ? path.substr(path.size() - 3) : path;
  for (char& c : t)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return t;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digit run at `*at` as a number (capped at kDigitsCap); `*at` moves
// past it.
long long ReadDigits(const std::string& s, std::size_t* at) {
  long long v = 0;
  for (; *at < s.size() && IsDigit(s[*at]); ++*at) v = std::min(kDigitsCap, v * 10 + (s[*at] - '0'));
  return v;
}

int ClampCoord(long long v) { return static_cast<int>(std::clamp<long long>(v, -kCoordLimit, kCoordLimit)); }

// A text's kinds: every kind but none (0), the pictures and metafiles
// (12-29) and the sound and video kinds (50-59).
bool IsTextKind(int k) { return k != 0 && (k < 12 || k > 29) && (k < 50 || k > 59); }

}  // namespace

std::string CaptureBasePath(const std::string& shown, const std::string& curFile, const std::string& path1,
                            const std::string& path2, int activeSide, int mode) {
  std::string p = !shown.empty() ? shown : !curFile.empty() ? curFile : activeSide == 1 ? path1 : path2;
  if (p.find('.') != std::string::npos) return p;
  // A folder: the default name goes into it, one "\" between them.
  if (!EndsInBackslash(p)) p += '\\';
  if (mode == kSeries) return p + kSeriesDefault;
  if (mode == kNumbered) return p;
  return p + kPictureDefault;
}

std::string CaptureTargetPath(const std::string& path, int fileKind) {
  if (path.size() <= 4 || (fileKind >= kFirstPictureKind && fileKind <= kLastPictureKind)) return path;
  if (EndsInBackslash(path)) return path;  // a folder: the numbered name names the file
  return PathPart(path, 6) + ".png";
}

int CaptureFormatCode(const std::string& path) {
  static const struct {
    const char* tail;
    int code;
  } kCodes[] = {{"bmz", 4}, {"png", 5}, {"jpg", 7}, {"peg", 8}, {"pdf", kRefusedFormat}};
  const std::string t = LowerTail3(path);
  for (const auto& c : kCodes)
    if (t == c.tail) return c.code;
  return 3;
}

std::string NumberedCaptureName(const std::string& path, const std::function<bool(const std::string&)>& exists) {
  // `stem` + two digits + ".png"; the two digits after a number 01-99 go on
  // from it, any other name gets "TMP" and starts at 01.
  std::string stem = PathPart(path, 6);
  int next = 1;
  const std::size_t n = stem.size();
  if (n > 2 && IsDigit(stem[n - 2]) && IsDigit(stem[n - 1]) && (stem[n - 2] != '0' || stem[n - 1] != '0')) {
    next = (stem[n - 2] - '0') * 10 + (stem[n - 1] - '0') + 1;
    stem.resize(n - 2);
  } else {
    stem += "TMP";
  }
  for (int tries = 0; tries < kMaxNumberedTries; ++tries) {
    if (next > 99) {
      // Past 99 the name keeps its number and gets "TMP01" ("x99TMP01").
      stem += std::to_string(99) + "TMP";
      next = 1;
    }
    std::string candidate = stem;
    candidate += static_cast<char>('0' + next / 10);
    candidate += static_cast<char>('0' + next % 10);
    candidate += ".png";
    if (!exists || !exists(candidate)) return candidate;
    ++next;
  }
  return std::string();
}

SeriesPlan PlanSeries(const std::string& path) {
  SeriesPlan p;
  p.base = PathPart(path, 6);
  p.ext = LowerTail3(path);
  const std::size_t hash = p.base.rfind('#');
  if (p.base.size() <= 5 || hash == std::string::npos || hash == 0) return p;
  std::size_t at = hash + 1;
  const long long seconds = ReadDigits(p.base, &at);
  if (at < p.base.size()) ++at;  // the unit letter after the seconds
  long long interval = ReadDigits(p.base, &at);
  if (interval <= 0) interval = kDefaultIntervalMs;  // nothing to divide by
  p.count = static_cast<int>(std::min<long long>(seconds * 1000 / interval, kMaxSeriesPictures));
  p.intervalMs = static_cast<int>(std::min<long long>(interval, kMaxSeriesIntervalMs));
  return p;
}

int SeriesPictures(const SeriesPlan& p) { return std::max(1, p.count); }

std::string SeriesFileName(const SeriesPlan& p, int k) {
  char num[16];
  std::snprintf(num, sizeof num, "%04d", k);
  return p.base + "_" + num + "." + p.ext;
}

std::string SeriesOpenName(const SeriesPlan& p, int taken) { return SeriesFileName(p, std::max(1, taken)); }

GrabPlan PlanGrab(const GrabInput& in) {
  GrabPlan g;
  g.rc = in.window;
  RectI capture = in.capture;
  if (g.rc.left < 0) g.rc = capture;
  if (in.mode == kDesktop || in.mode == kNumbered) {
    g.setCapture = true;
    capture = g.rc;
  }
  long long x0 = 0, y0 = 0, x1 = in.clientW, y1 = in.clientH;
  const RectI& s = in.sel;
  if (s.left != -1 && s.bottom != -1) {
    // The selection placed on the window, with the frame's margins (the
    // frame itself is hidden while the picture is taken).
    g.hidesSelection = true;
    if (s.left >= 0) x0 = static_cast<long long>(s.left) + g.rc.left;
    if (s.right >= 0) x1 = static_cast<long long>(s.right) + g.rc.left + 2;
    if (s.top >= 0) y0 = static_cast<long long>(s.top) + g.rc.top - 8;
    if (s.bottom >= 0) y1 = static_cast<long long>(s.bottom) + g.rc.top + 3;
  } else {
    if (capture.left > 0) x0 = capture.left;
    if (capture.right > 0) x1 = capture.right;
    if (capture.top > 0) y0 = capture.top;
    if (capture.bottom > 0) y1 = capture.bottom;
    if (x1 - x0 > in.clientW) x1 = x0 + in.clientW;
    if (y1 - y0 > in.clientH) y1 = y0 + in.clientH;
  }
  x1 = std::max(x1, x0 + kMinGrabSide);
  y1 = std::max(y1, y0 + kMinGrabSide);
  // A text is cut 50 pixels below the top of its last line.
  if (IsTextKind(in.fileKind) && in.hasLastLine && in.lastLineY < y1 - y0 - kTextCutBelow)
    y1 = y0 + in.lastLineY + kTextCutBelow;
  g.region = RectI(ClampCoord(x0), ClampCoord(y0), ClampCoord(x1), ClampCoord(y1));
  g.tooFlat = static_cast<long long>(g.region.bottom) - g.region.top <= kFlatHeight;
  return g;
}

bool CaptureDibSizes(int w, int h, std::uint32_t* stride, std::uint32_t* imageBytes) {
  if (w <= 0 || h <= 0) return false;
  // At most (24 x (2^31 - 1) + 31) / 32 x 4 and that times 2^31 - 1: both fit
  // 64 bits.
  const long long rowBytes = (24LL * w + 31) / 32 * 4;
  if (rowBytes > kMaxDibBytes / h) return false;
  const long long total = rowBytes * h;
  if (total > kMaxDibBytes - kCaptureBufferSlack) return false;
  *stride = static_cast<std::uint32_t>(rowBytes);
  *imageBytes = static_cast<std::uint32_t>(total);
  return true;
}

}  // namespace image::capture
