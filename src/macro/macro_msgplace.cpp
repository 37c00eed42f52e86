#include "macro/macro_msgplace.h"

#include <algorithm>
#include <climits>
#include <string>

#include "fw/sjis.h"

namespace macro {
namespace {

// The first `c` in s[from, to) that is not the second byte of a double-byte
// character; `to` when there is none.
std::size_t FindByte(const std::string& s, std::size_t from, std::size_t to, char c) {
  for (std::size_t i = from; i < to; ++i) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < to) {
      ++i;
      continue;
    }
    if (s[i] == c) return i;
  }
  return to;
}

CString Part(const std::string& s, std::size_t from, std::size_t to) {
  if (from >= to) return CString();
  return CString(s.substr(from, to - from).c_str());
}

int Clamp(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One coordinate of the position text: "C" centres, `farMark` measures from
// the far edge, anything else is the number.
long long Coordinate(const std::string& t, char farMark, long long farEdge, long long size) {
  if (t == "C") return (farEdge - size) / 2;
  if (!t.empty() && t[0] == farMark) return farEdge - size - MacroReadSaturated(t.c_str() + 1, t.size() - 1);
  return MacroReadSaturated(t.c_str(), t.size());
}

}  // namespace

std::int32_t MacroReadSaturated(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && !IsDigit(text[i])) ++i;
  long long v = 0;
  for (; i < length && IsDigit(text[i]); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > INT32_MAX) v = INT32_MAX;
  }
  return static_cast<std::int32_t>(v);
}

ProgressParams MacroProgressParams(const CString& command) {
  const std::string& s = command.Str();
  const std::size_t colon = FindByte(s, 0, s.size(), ':');
  if (colon >= s.size()) return ProgressParams();
  return MacroProgressParamsOfRest(CString(s.substr(colon + 1).c_str()));
}

ProgressParams MacroProgressParamsOfRest(const CString& rest) {
  ProgressParams p;
  const std::string& s = rest.Str();
  const std::size_t start = 0, end = s.size();
  const std::size_t at = FindByte(s, start, end, '@');
  const std::size_t sep = FindByte(s, start, at, ':');
  p.caption = Part(s, start, sep);
  if (sep < at) p.second = Part(s, sep + 1, at);
  if (at < end) {
    const std::size_t semi = FindByte(s, at + 1, end, ';');
    p.okText = Part(s, at + 1, semi);
    if (semi < end) p.cancelText = Part(s, semi + 1, end);
  }
  return p;
}

HiddenButton MacroProgressHiddenButton(const CString& okText, const CString& cancelText) {
  if (cancelText == CString("-")) return HiddenButton::kCancel;
  if (okText == CString("-")) return HiddenButton::kOk;
  return HiddenButton::kNone;
}

MacroPoint MacroProgressPlace(const CString* position, const MacroRect& desktop, const MacroRect& view, int width,
                              int height) {
  MacroPoint pt;
  if (position == nullptr) {
    pt.x = Clamp(static_cast<long long>(view.right) - width - 30);
    pt.y = Clamp(static_cast<long long>(view.top) + 30);
    return pt;
  }
  const std::string& s = position->Str();
  const std::size_t colon = FindByte(s, 0, s.size(), ':');
  const std::string xs = s.substr(0, colon);
  const std::string ys = colon < s.size() ? s.substr(colon + 1) : std::string();
  pt.x = Clamp(Coordinate(xs, 'R', desktop.right, width));
  pt.y = Clamp(Coordinate(ys, 'B', desktop.bottom, height));
  return pt;
}

FramePlacement MacroWindowPlacement(unsigned char letter, const CString& operand, const MacroRect& desktop) {
  FramePlacement f;
  const long long sw = desktop.right, sh = desktop.bottom;
  long long rect[4] = {20, 20, 400, 400};
  const std::string& s = operand.Str();
  if (s.size() > 6) {
    letter = 'X';
    std::size_t i = 0;
    for (int k = 0; k < 4 && i < s.size(); ++k) {
      while (i < s.size() && !IsDigit(s[i])) ++i;
      if (i >= s.size()) break;
      const bool fromFar = i > 0 && s[i - 1] == '-';
      const std::size_t first = i;
      while (i < s.size() && IsDigit(s[i])) ++i;
      const long long n = MacroReadSaturated(s.c_str() + first, i - first);
      long long v = n;
      switch (k) {
        case 0:
          v = fromFar ? sw - n : n;
          if (v > sw) v = sw;
          break;
        case 1:
          v = fromFar ? sh - n : n;
          if (v > sh) v = sh;
          break;
        case 2:
          if (fromFar) v = sw - n - rect[0];
          break;
        case 3:
          if (fromFar) v = sh - n - rect[1];
          break;
      }
      rect[k] = v;
    }
  }
  f.left = Clamp(rect[0]);
  f.top = Clamp(rect[1]);
  long long w = rect[2], h = rect[3];
  switch (letter) {
    case '0': f.show = FrameShow::kMinimize; return f;
    case '9': f.show = FrameShow::kMaximize; return f;
    case 'n': f.show = FrameShow::kHide; return f;
    case '1': w = 300, h = 30; break;
    case '2': w = 300, h = 90; break;
    case '3': w = 600, h = 300; break;
    case '4': w = sw / 4, h = sh / 4; break;
    case '5': w = sw / 2, h = sh / 2; break;
    case '6': w = sw * 3 / 4, h = sh * 3 / 4; break;
    case '7': w = sw - 200, h = sh - 250, f.left = 100, f.top = 100; break;
    case '8': w = sw - 100, h = sh - 150, f.left = 50, f.top = 50; break;
    case 'X':
    case 'x': break;
    default: f.show = FrameShow::kRestore; return f;
  }
  f.show = FrameShow::kPlace;
  // A size measured from an edge past the window's corner is no size.
  f.width = Clamp(std::max(0LL, w));
  f.height = Clamp(std::max(0LL, h));
  return f;
}

}  // namespace macro
