#include "filelist/flistcore/paint.h"

#include <algorithm>

#include "fw/codepage.h"
#include "fw/sjis.h"

namespace flist {

void LayoutColumns(int w, bool layoutPass, int side, int listFlag, int* flistD, ColumnLayout* l) {
  int& x0 = l->x[0];
  int& x1 = l->x[1];
  int& x2 = l->x[2];
  if (x0 > w && w > 200) {
    x2 = w + 95, x1 = x2 - 70, x0 = x1 - 40;
    l->subdirX = x0 - 61;
    if (x0 < 0) {
      x2 = w - 56, x1 = x2 - 5, x0 = x1 - 35;
      l->subdirX = x0 - 61;
    }
  }
  if (!layoutPass) return;
  int a = *flistD / 100, b = *flistD % 100;
  if (a == 99 || b == 99) {
    const int v = (w > 400 && listFlag == 0) ? 17 : 11;
    if (side == 1) b = v;
    else a = v;
    *flistD = a * 100 + b;
  }
  if (w > 600) {
    x2 = w - 150, x1 = x2 - 80, x0 = x1 - 50;
  } else if (w > 300) {
    const int pair = side == 1 ? b : a;
    int d = (*flistD == 0 || pair == 0) ? 82 : 8 * pair;
    if (d > 150) d = 150;
    x2 = w - d - 3, x1 = x2 - 70, x0 = x1 - 40;
  } else if (w > 200) {
    x2 = w - 56, x1 = x2 - 5, x0 = x1 - 35;
  } else {
    x2 = w - 5, x1 = x2 - 5, x0 = x1 - 5;
  }
  l->subdirX = x0 - 61;
}

std::vector<PathSegment> PathBarSegments(const std::string& curDir, int h) {
  std::string text = " >|";
  const int n = static_cast<int>(curDir.size());
  for (int i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(curDir[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < n) {
      text += curDir[i];
      text += curDir[i + 1];
      ++i;
    } else {
      text += c == '\\' ? '|' : curDir[i];
    }
  }
  const int cw = 4 * h / 9;
  std::vector<PathSegment> out;
  // Segment 0 is the ">" lead-in (the text after the first character up to
  // the first "|"), segment k the folder's k-th component: a click on the
  // lead-in shows the drive list, one on component k lists that folder.
  std::size_t from = 1;
  int x = 0;
  while (from < text.size() && static_cast<int>(out.size()) < kPathBarSegments) {
    std::size_t bar = text.find('|', from);
    // A "|" that is a trail byte cannot occur: 0x7C is no trail byte of CP932.
    const std::size_t end = bar == std::string::npos ? text.size() : bar;
    PathSegment s;
    s.text = text.substr(from, end - from);
    s.left = x;
    x += (static_cast<int>(s.text.size()) + 1) * cw;
    s.right = x;
    out.push_back(s);
    if (bar == std::string::npos) break;
    from = bar + 1;
  }
  return out;
}

LineColour ChooseLineColour(const LineFacts& f, const LineColours& c) {
  if (f.selected) return {f.active ? c.onSelect : c.offSelect, 0xFFFFFF};
  LineColour r{c.back, c.normal};
  const bool file = (f.sizeHigh & 0x80000000u) != 0;
  if (!file && f.size == -2) r.text = c.folder;
  else if (!file && f.size == -1) r.text = kColourBlack;
  else if (f.comparing) {
    if (f.index >= 9000 || f.compareMark < 0) r.text = 0x808000;  // RGB 0,128,128
    else switch (f.compareMark) {
        case 0: r.text = 0xF00000; break;   // RGB 0,0,240
        case 1: r.text = 0x2080D0; break;   // RGB 208,128,32
        case 2: r.text = 0x2000F0; break;   // RGB 240,0,32
        case 3: r.text = 0x000000; break;
        case 4: r.text = 0xC000C0; break;   // RGB 192,0,192
        default: r.text = 0x808000; break;
      }
  } else if (f.attributes & 0x02) r.text = c.hidden;
  else if (f.attributes & 0x04) r.text = c.system;
  else if (f.attributes & 0x01) r.text = c.readOnly;
  else if (f.ext == "exe" || f.ext == "EXE" || f.ext == "dll" || f.ext == "DLL") r.text = c.exeFile;
  return r;
}

int ScrollForCursor(int clientHeight, int lineHeight, int top, int cur, int scrollPos, int* tight) {
  if (clientHeight == 0) return cur;
  const int l = lineHeight > 0 ? clientHeight / lineHeight : 0;
  if (cur < top + 1) {
    int p = cur - 1 - (*tight ? 0 : l / 3);
    if (p < 0) p = 0;
    *tight = 0;
    return p;
  }
  if (cur > top + l - 2) {
    int p = cur - l + 2;
    if (p < 0) p = 0;
    p += *tight ? 0 : l / 3;
    *tight = 0;
    return p;
  }
  return scrollPos;
}

int VScrollPosition(int code, int trackPos, int pos, int clientHeight, int lineHeight, int scrollMax) {
  const int page = lineHeight > 1 ? clientHeight / lineHeight - 1 : 10;
  bool bottom = false;
  switch (code) {
    case 0: pos -= 1; break;          // SB_LINEUP
    case 1: pos += 1; break;          // SB_LINEDOWN
    case 2: pos -= page; break;       // SB_PAGEUP
    case 3: pos += page; break;       // SB_PAGEDOWN
    case 4: case 5: pos = trackPos; break;  // SB_THUMBPOSITION, SB_THUMBTRACK
    case 6: pos = 0; break;           // SB_TOP
    case 7: pos = 100; bottom = true; break;  // SB_BOTTOM
    default: break;
  }
  if (!bottom && pos < 0) pos = 0;
  if (pos > scrollMax) pos = scrollMax;
  return pos;
}

std::string Utf8PathToSjis(const std::string& in) {
  std::string out;
  const std::size_t n = std::min<std::size_t>(in.size(), 2000);
  bool trail = false;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    if (c == 0) break;
    if (!trail && c >= 0xE0 && i + 2 < n && static_cast<unsigned char>(in[i + 1]) >= 0x80 &&
        static_cast<unsigned char>(in[i + 2]) >= 0x80) {
      out += fw::Utf8ToCp932(in.data() + i, 3);
      i += 2;
      trail = false;
      continue;
    }
    out += static_cast<char>(c);
    trail = !trail && c >= 0x80;
  }
  return out;
}

}  // namespace flist
