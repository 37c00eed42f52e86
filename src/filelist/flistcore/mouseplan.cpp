#include "filelist/flistcore/mouseplan.h"

#include <cstdlib>

#include "fw/sjis.h"

namespace flist {

ClickZone ClickZoneOf(unsigned nFlags, int y, int h) {
  if (nFlags == 0) return ClickZone::kTail;
  if (y > 0 && y < h) return ClickZone::kPathLine;
  if (y > h && y < 2 * h + 2) return ClickZone::kHeading;
  if (y >= 2 * h + 2) return ClickZone::kEntryLine;
  return ClickZone::kTail;
}

int HitTestEntry(int y, int h, int top) { return (h > 0 ? y / h : 0) + top - 1; }

int ClickEntryIndex(unsigned nFlags, int y, int h, int top, int cur) {
  if (nFlags == 0) return cur < 0 ? 1 : cur;
  const int i = HitTestEntry(y, h, top);
  if (i == -1) return 0;
  if (i <= 0) return 1;
  return i;
}

int PathBarCount(const std::int32_t bars[kPathBarSegments], int x) {
  int k = 0;
  for (int i = 0; i < kPathBarSegments; ++i)
    if (bars[i] > 0 && bars[i] < x) ++k;
  return k > 19 ? 19 : k;
}

namespace {

// Offsets of the separators of `s` that stand at character boundaries.
template <typename F>
void ForEachSeparator(const std::string& s, F f) {
  const int n = static_cast<int>(s.size());
  for (int i = 0; i < n; i += fw::SjisCharLength(s.data(), n, i))
    if (s[static_cast<std::size_t>(i)] == '\\' && !f(i)) return;
}

int CountSeparators(const std::string& s) {
  int c = 0;
  ForEachSeparator(s, [&](int) {
    ++c;
    return true;
  });
  return c;
}

}  // namespace

std::string CutAfterSeparator(const std::string& curDir, int k) {
  if (k < 1) return std::string();
  const std::string s = curDir + "\\";
  std::size_t end = s.size();
  int seen = 0;
  ForEachSeparator(s, [&](int i) {
    if (++seen < k) return true;
    end = static_cast<std::size_t>(i) + 1;
    return false;
  });
  return s.substr(0, end);
}

PathClick PlanPathClick(const std::string& curDir, const std::int32_t bars[kPathBarSegments], int x) {
  PathClick p;
  const int k = PathBarCount(bars, x);
  if (k == 0) return p;  // the ">" lead-in: the drive list
  std::string r = CutAfterSeparator(curDir, k);
  if (r.size() > 2 && r.back() == '\\') r.pop_back();
  // The folder itself (also when its last byte is a lone lead byte, which
  // takes the appended separator as its trail byte): up once.
  if (r.size() >= curDir.size() && r.compare(0, curDir.size(), curDir) == 0) {
    p.kind = PathClick::kParentOnce;
    return p;
  }
  const bool unc = curDir.compare(0, 2, "\\\\") == 0;
  const bool network = curDir.compare(0, 3, "NW:") == 0 ||
                       (unc && r.size() > 2 && CountSeparators(r.substr(2)) == 0) || (unc && r.size() <= 2);
  if (network) {
    p.kind = PathClick::kParentTimes;
    const int times = CountSeparators(curDir) - k + 1;
    p.times = times > 0 ? times : 0;
    return p;
  }
  p.kind = PathClick::kEnter;
  p.folder = r;
  return p;
}

int DividerAt(int x, const ColumnLayout& l, bool subfolderList) {
  for (int i = 0; i < 3; ++i)
    if (std::abs(x - l.x[i]) < 5) return i + 1;
  if (subfolderList && std::abs(x - l.subdirX) < 5) return 4;
  if (!subfolderList && x > l.x[0] - 20 && x < l.x[0] - 13) return 5;
  return 0;
}

namespace {

std::uint32_t Toggle(std::uint32_t v, std::uint32_t a, std::uint32_t b) { return v == a ? b : a; }

std::uint32_t ToggleLastDigit(std::uint32_t m, std::uint32_t a, std::uint32_t b) {
  return m - m % 10 + Toggle(m % 10, a, b);
}

}  // namespace

bool ApplyHeadingClick(int x, const ColumnLayout& l, bool driveList, bool orderedSelect, HeadingState* s) {
  bool clearCompare = false;
  const int c0 = l.x[0], c1 = l.x[1], c2 = l.x[2], cs = l.subdirX;
  if (driveList) {
    if (x < 15) s->headerSwitch = s->headerSwitch ? 0 : 1;
  } else if (x < 18) {
    s->headerSwitch = s->headerSwitch ? 0 : 1;
  } else if (x > c0 - 12 && x < c0 - 3) {
    s->listFlag = s->listFlag ? 0 : 1;
    clearCompare = true;
  } else if (x < c0 - 22) {
    if (s->listFlag == 1 && x > cs + 5) s->sortMode = Toggle(s->sortMode, 9, 10);
    else if (orderedSelect) s->displayMode = ToggleLastDigit(s->displayMode, 5, 6);
    else s->sortMode = s->sortMode == 0 ? 5 : s->sortMode == 5 ? 6 : 0;
  } else if (x > c0 + 5 && x < c1 - 5) {
    s->sortMode = Toggle(s->sortMode, 7, 8);
  } else if (x > c1 + 5 && x < c2 - 5) {
    s->sortMode = Toggle(s->sortMode, 1, 2);
  } else if (x > c2 + 5) {
    if (orderedSelect) s->displayMode = ToggleLastDigit(s->displayMode, 3, 4);
    else s->sortMode = Toggle(s->sortMode, 3, 4);
  }
  return clearCompare || s->sortMode != 5;
}

int PackDirSortAfterHeading(int d, int side, std::uint32_t displayMode) {
  if (d < 0) d = 0;
  const int m = static_cast<int>(displayMode);
  const int units = d % 10, tens = (d / 10) % 10, hundreds = (d / 100) % 10, thousands = (d / 1000) % 10;
  if (side == 1) return m + 10 * tens + 1000 * thousands;
  return units + 10 * (m + 10 * hundreds);
}

void ClickMarkEntry(EntryTable& t, ListState& s, int index, bool orderedSelect) {
  if (!t.m_pMarks || index < 0 || index >= t.m_nCapacity) return;
  if (!t.m_pMarks[index]) {
    t.m_pMarks[index] = 1;
    s.m_nCurEntry = index;
    if (!orderedSelect) {
      s.m_nMarkCount = 1;
      s.m_aMarkOrder[1] = static_cast<std::uint32_t>(index);
    } else if (s.m_nMarkCount < 99) {
      ++s.m_nMarkCount;
      s.m_aMarkOrder[s.m_nMarkCount] = static_cast<std::uint32_t>(index);
    }
    return;
  }
  t.m_pMarks[index] = 0;
  // Out of the mark order: the later slots move up one.
  const std::uint32_t n = s.m_nMarkCount > 99 ? 99 : s.m_nMarkCount;
  for (std::uint32_t i = 1; i <= n; ++i) {
    if (s.m_aMarkOrder[i] != static_cast<std::uint32_t>(index)) continue;
    for (std::uint32_t j = i; j < n; ++j) s.m_aMarkOrder[j] = s.m_aMarkOrder[j + 1];
    s.m_aMarkOrder[n] = 0;
    s.m_nMarkCount = n - 1;
    break;
  }
  const int last = t.m_nEntryCount < t.m_nCapacity ? t.m_nEntryCount : t.m_nCapacity;
  for (int i = index - 1; i >= 0; --i)
    if (t.m_pMarks[i]) {
      s.m_nCurEntry = i;
      return;
    }
  for (int i = index + 1; i < last; ++i)
    if (t.m_pMarks[i]) {
      s.m_nCurEntry = i;
      return;
    }
  s.m_nCurEntry = -1;
}

void DragDivider(int kind, int x, ColumnLayout* l) {
  int d = 0;
  switch (kind) {
    case 1:
      d = x - l->x[0];
      l->x[0] = x;
      l->x[1] += d;
      l->x[2] += d;
      if (x < l->subdirX + 30) l->subdirX = x - 30;
      break;
    case 2:
      d = x - l->x[1];
      l->x[1] = x;
      l->x[2] += d;
      break;
    case 3:
      l->x[2] = x;
      break;
    case 4:
      d = x - l->subdirX;
      l->subdirX = x;
      for (int& c : l->x) c += d;
      break;
    case 5:
      d = x - l->x[0] + 18;
      for (int& c : l->x) c += d;
      break;
    default:
      return;
  }
  if (l->subdirX < 30) l->subdirX = 30;
}

int FlistDAfterDrag(int flistD, int side, int clientWidth, int c2, int layoutMode) {
  int w = (clientWidth - c2) / 8;
  if (w <= 0 || layoutMode == 3 || layoutMode == 13) return flistD;
  if (w > 99) w = 99;
  if (side == 1) return flistD - flistD % 100 + w;
  return w * 100 + flistD % 100;
}

int ListExtentToStore(int layoutMode, int height, int width, int layoutFlag, int scheduleState) {
  int measure = layoutMode <= 8 ? height : layoutMode <= 10 ? width + 11 : width + 25;
  const bool layoutOk = layoutMode == 0 || layoutMode == 1 || (layoutMode >= 9 && layoutMode <= 11 && layoutFlag == 0);
  if (measure > 10 && layoutOk && scheduleState > 1) return measure;
  return -1;
}

bool DragOutStarts(int fdrag, unsigned nFlags, int x, int y, int right, int bottom) {
  if (fdrag <= 0 || nFlags == 0 || nFlags == 4 || nFlags == 8) return false;
  return y < 10 || y > bottom - 10 || x < 10 || x > right - 10;
}

}  // namespace flist
