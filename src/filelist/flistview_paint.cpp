// The pane's painters and its scroll bar: the layout, segments and colours
// come from filelist/flistcore/paint.h; these members draw them.
#include <windows.h>

#include <string>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/paint.h"
#include "filelist/flistview.h"
#include "fw/codepage.h"
#include "fw/strtable.h"
#include "res/resource.h"

namespace {

// Text drawn as UTF-16 from Shift-JIS, whatever the system's ANSI code page.
void DrawText932(HDC dc, int x, int y, const RECT& box, const std::string& text) {
  const std::u16string w = fw::Cp932ToUtf16(text);
  ::ExtTextOutW(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &box, reinterpret_cast<const wchar_t*>(w.c_str()),
                static_cast<UINT>(w.size()), nullptr);
}

HFONT MakeFont(HDC dc, const CString& face, int pointSize10) {
  LOGFONTW lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  if (pointSize10 < 10) pointSize10 = 10;
  lf.lfHeight = -::MulDiv(pointSize10, ::GetDeviceCaps(dc, LOGPIXELSY), 720);
  const std::u16string w = fw::Cp932ToUtf16(face.GetString(), static_cast<std::size_t>(face.GetLength()));
  for (std::size_t i = 0; i < w.size() && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = static_cast<wchar_t>(w[i]);
  return ::CreateFontIndirectW(&lf);
}

std::string StringText(unsigned id) {
  std::string s;
  fw::LookupString(id, s);
  return s;
}

// The colour values carry 0 in the top byte except the one for
// entries of size -1, which is drawn as black.
COLORREF Rgb(std::uint32_t c) { return static_cast<COLORREF>(c & 0xFFFFFF); }

struct Fonts {
  CString face;
  int size10 = 100;
  int lineHeight = 18;
};

}  // namespace

static Fonts ChosenFonts(app::DocHost* doc, std::uint32_t headerSwitch) {
  Fonts f;
  if (!doc) return f;
  const app::DocSettingsFields& s = doc->SettingsFields();
  if (headerSwitch == 1) {
    f.face = s.m_strBtitleFace;
    f.size10 = s.m_nBtitleSize * 10;
    f.lineHeight = s.m_nBttlht;
  } else {
    f.face = s.m_strStitleFace;
    f.size10 = s.m_nStitleSize * 10;
    f.lineHeight = s.m_nSttlht;
  }
  if (f.lineHeight < 4) f.lineHeight = 18;
  return f;
}

void CFlistView::OnDraw(CDC*) {
  DrawPathBar(m_bActivePane);
  DrawEntryLines(m_bActivePane);
}

void CFlistView::DrawPathBar(int active) {
  for (int& x : m_aPathBarX) x = 0;
  if (!m_hWnd) return;
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  app::DocHost* doc = GetDocument();
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int w = client.right;
  m_nClientWidth = w;
  // 2. The column layout.
  flist::ColumnLayout layout;
  for (int i = 0; i < 3; ++i) layout.x[i] = m_aColumnX[i];
  layout.subdirX = m_nSubdirColumnX;
  int passes = doc ? doc->WindowFields().m_nColumnLayoutPasses : 0;
  int flistD = doc ? doc->WindowFields().m_nFlistD : 0;
  flist::LayoutColumns(w, passes > 0, m_nSide, m_nListFlag, &flistD, &layout);
  if (doc) {
    doc->WindowFields().m_nFlistD = flistD;
    if (passes > 0) doc->WindowFields().m_nColumnLayoutPasses = passes - 1;
  }
  for (int i = 0; i < 3; ++i) m_aColumnX[i] = layout.x[i];
  m_nSubdirColumnX = layout.subdirX;
  const int h = m_nLineHeight;
  // 3. Segments.
  const CString dir = doc && doc->SettingsFields().m_bUtf8Names ? Utf8PathToSjis(m_strCurDir) : m_strCurDir;
  const std::vector<flist::PathSegment> segs =
      flist::PathBarSegments(std::string(dir.GetString(), static_cast<std::size_t>(dir.GetLength())), h);
  for (std::size_t k = 0; k < segs.size() && k < 20; ++k) m_aPathBarX[k] = segs[k].right;
  // 4. The header font, two points smaller.
  const Fonts fonts = ChosenFonts(doc, m_bHeaderSwitch);
  HFONT font = MakeFont(dc, fonts.face, fonts.size10 - 20);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  const app::DocSettingsFields* s = doc ? &doc->SettingsFields() : nullptr;
  ::SetTextColor(dc, s ? Rgb(s->m_clrNormal) : 0);
  // 5. The segments, then the grey remainder.
  int left = 0;
  for (std::size_t k = 0; k < segs.size(); ++k) {
    int right = segs[k].right;
    if (right <= 0 || right > w) right = w;
    const bool last = k + 1 == segs.size();
    ::SetBkColor(dc, s ? Rgb(last ? s->m_clrPass2 : s->m_clrPass1) : RGB(220, 220, 220));
    RECT box = {left, 0, right, h + 2};
    DrawText932(dc, left + 5, 2, box, segs[k].text);
    left = right;
    if (left >= w) break;
  }
  if (left < w) {
    ::SetBkColor(dc, RGB(192, 192, 192));
    RECT rest = {left, 0, w, h + 2};
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rest, L"", 0, nullptr);
  }
  // 6. Bevels.
  HPEN penDark = ::CreatePen(PS_SOLID, 1, RGB(160, 160, 80));
  HPEN penLight = ::CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HPEN penShadow = ::CreatePen(PS_SOLID, 1, RGB(32, 32, 32));
  HGDIOBJ oldPen = ::SelectObject(dc, penLight);
  ::MoveToEx(dc, 0, 0, nullptr);
  ::LineTo(dc, w, 0);
  ::SelectObject(dc, penShadow);
  ::MoveToEx(dc, 0, h + 1, nullptr);
  ::LineTo(dc, w, h + 1);
  for (const flist::PathSegment& sg : segs) {
    if (sg.right >= w) break;
    ::SelectObject(dc, penDark);
    ::MoveToEx(dc, sg.right - 1, 1, nullptr);
    ::LineTo(dc, sg.right - 1, h + 1);
    ::SelectObject(dc, penLight);
    ::MoveToEx(dc, sg.right, 1, nullptr);
    ::LineTo(dc, sg.right, h + 1);
  }
  // 7. The heading line.
  const int top = h + 2, bottom = 2 * h + 2;
  const int fontPoints = fonts.size10 / 10 - 2;
  const int textY = h > fontPoints + 2 ? h + 2 + (h - fontPoints - 2) / 2 : h + 3;
  ::SetBkColor(dc, s ? Rgb(active ? s->m_clrOnTitle : s->m_clrOffTitle) : RGB(200, 220, 255));
  ::SetTextColor(dc, RGB(0, 0, 0));
  const int x0 = m_aColumnX[0], x1 = m_aColumnX[1], x2 = m_aColumnX[2];
  const auto cell = [&](int l, int r, int tx, const std::string& text) {
    if (r <= l) return;
    RECT box = {l, top, r, bottom};
    DrawText932(dc, tx, textY, box, text);
  };
  cell(0, 20, m_bHeaderSwitch == 1 ? 2 : 3, StringText(m_bHeaderSwitch == 1 ? IDS_BOX_EMPTY : IDS_BOX_FILLED));
  cell(20, x0, 22, std::string(m_strHeader[0].GetString()));
  if (m_nListFlag == 1) {
    cell(m_nSubdirColumnX, x0 - 14, m_nSubdirColumnX + 4, std::string(m_strHeader[4].GetString()));
    cell(x0 - 14, x0, x0 - 9, ">");
  } else {
    cell(x0 - 14, x0, x0 - 9, "<");
  }
  cell(x0, x1, x0 + 7, std::string(m_strHeader[2].GetString()));
  cell(x1, x2, x1 + 2, std::string(m_strHeader[3].GetString()));
  cell(x2, w, x2 + 12, std::string(m_strHeader[1].GetString()));
  for (int x : {20, x0 - 14, x0, x1, x2}) {
    ::SelectObject(dc, penLight);
    ::MoveToEx(dc, x, top, nullptr);
    ::LineTo(dc, x, bottom);
    ::SelectObject(dc, penShadow);
    ::MoveToEx(dc, x - 1, top, nullptr);
    ::LineTo(dc, x - 1, bottom);
  }
  ::SelectObject(dc, penShadow);
  ::MoveToEx(dc, 0, bottom - 1, nullptr);
  ::LineTo(dc, w, bottom - 1);
  // 8.
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldFont);
  ::DeleteObject(penDark);
  ::DeleteObject(penLight);
  ::DeleteObject(penShadow);
  ::DeleteObject(font);
  ::ReleaseDC(m_hWnd, dc);
}

void CFlistView::DrawEntryLines(int active) {
  if (!m_hWnd || !m_table.m_pNameRecs) return;
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  app::DocHost* doc = GetDocument();
  const Fonts fonts = ChosenFonts(doc, m_bHeaderSwitch);
  HFONT font = MakeFont(dc, fonts.face, fonts.size10);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  m_nLineHeight = fonts.lineHeight;
  const int h = m_nLineHeight;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int w = client.right;
  const int count = m_table.m_nEntryCount;
  m_state.m_nTopEntry = m_state.m_nScrollPos < 0 ? 0 : m_state.m_nScrollPos > count ? count : m_state.m_nScrollPos;
  const int top = m_state.m_nTopEntry;
  flist::LineColours colours;
  if (doc) {
    const app::DocSettingsFields& s = doc->SettingsFields();
    colours.normal = s.m_clrNormal, colours.folder = s.m_clrFolder, colours.hidden = s.m_clrHidden;
    colours.system = s.m_clrSystem, colours.readOnly = s.m_clrReadOnly, colours.exeFile = s.m_clrExeFile;
    colours.back = s.m_clrListBack, colours.onSelect = s.m_clrOnSelect, colours.offSelect = s.m_clrOffSelect;
  }
  const app::DocListFields* lf = doc ? &doc->ListFields() : nullptr;
  const bool comparing = lf && lf->m_nCompareCount > 1;
  const bool utf8 = doc && doc->SettingsFields().m_bUtf8Names;
  const int x0 = m_aColumnX[0], x1 = m_aColumnX[1], x2 = m_aColumnX[2];
  const int slots = m_table.m_nCapacity + flist::kValueSlack / 4;
  for (int i = top + 1; i < top + 100; ++i) {
    const int y = flist::EntryLineTop(h, i - top);
    if (y > client.bottom) break;
    RECT line = {0, y, w, y + h};
    if (i >= count + 2 || i >= slots) {
      ::SetBkColor(dc, Rgb(colours.back));
      ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, L"", 0, nullptr);
      continue;
    }
    std::string name = flist::GetNameRecord(m_table.m_pNameRecs, i);
    if (utf8) name = flist::Utf8PathToSjis(name);
    if (name == "..") continue;
    const bool cursor = i == m_state.m_nCurEntry;
    const bool marked = i < m_table.m_nCapacity + flist::kMarkSlack && m_table.m_pMarks[i] != 0;
    flist::LineFacts f;
    f.selected = cursor || marked;
    f.active = active != 0;
    f.size = static_cast<std::int32_t>(m_table.m_pEntryVal1[i]);
    f.sizeHigh = m_table.m_pSizeHigh[i];
    f.attributes = m_table.m_pEntryVal2[i];
    f.ext = flist::GetNameRecord(m_table.m_pTextRecs3, i);
    f.comparing = comparing;
    f.index = i;
    if (comparing && i < app::kCompareSlots) {
      const std::uint32_t* marks = m_nSide == lf->m_nCompareSide ? lf->m_aCompareMine : lf->m_aCompareOther;
      f.compareMark = marks ? static_cast<int>(marks[i]) : -1;
    }
    // The cursor entry of the active pane counts as marked (Ctrl held
    // moves the cursor without marking).
    if (f.selected && active && !m_bCtrlDown && i < m_table.m_nCapacity + flist::kMarkSlack) m_table.m_pMarks[i] = 1;
    const flist::LineColour c = flist::ChooseLineColour(f, colours);
    ::SetBkColor(dc, Rgb(c.back));
    ::SetTextColor(dc, Rgb(c.text));
    const int sizeMode = i == count ? 2 : m_nListSource;
    const std::string sizeText = flist::FormatSizeText(f.size, sizeMode, i == count ? 0 : f.sizeHigh);
    const std::string dateText =
        flist::FormatDateText(static_cast<std::int32_t>(m_table.m_pEntryVal3[i]), m_nListSource);
    if (i == count && i > m_table.m_nCapacity - 1) name = StringText(IDS_REST_OMITTED);
    RECT box = {0, y, x0, y + h};
    DrawText932(dc, 5, y, box, name);
    if (m_nListFlag == 1) {
      RECT sub = {m_nSubdirColumnX, y, x0, y + h};
      DrawText932(dc, m_nSubdirColumnX + 8, y, sub, flist::GetNameRecord(m_table.m_pTextRecs2, i));
    }
    RECT kind = {x0, y, x1, y + h};
    DrawText932(dc, x0 + 8, y, kind, f.ext);
    RECT size = {x1, y, x2, y + h};
    DrawText932(dc, x1 + 8, y, size, sizeText);
    RECT date = {x2, y, w, y + h};
    DrawText932(dc, x2 + 8, y, date, dateText);
  }
  ::SelectObject(dc, oldFont);
  ::DeleteObject(font);
  ::ReleaseDC(m_hWnd, dc);
}

void CFlistView::ScrollToCursor() {
  RECT client = {};
  if (m_hWnd) ::GetClientRect(m_hWnd, &client);
  m_state.m_nScrollPos = flist::ScrollForCursor(client.bottom, m_nLineHeight, m_state.m_nTopEntry, m_state.m_nCurEntry,
                                                m_state.m_nScrollPos, &m_state.m_bScrollTight);
  if (!m_hWnd) return;
  ::SetScrollPos(m_hWnd, SB_VERT, m_state.m_nScrollPos, TRUE);
  DrawEntryLines(m_bActivePane);
  DrawPathBar(m_bActivePane);
}

LRESULT CFlistView::OnVScrollMessage(WPARAM wp, LPARAM) {
  app::DocHost* doc = GetDocument();
  if (doc && doc->ListFields().m_nListReloadRequest == 1) {
    doc->ListFields().m_nListReloadRequest = 0;
    ReloadList();
  }
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const int code = LOWORD(wp);
  int track = HIWORD(wp);
  if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
    SCROLLINFO si = {sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    if (::GetScrollInfo(m_hWnd, SB_VERT, &si)) track = si.nTrackPos;  // past 65535 too
  }
  const int pos = ::GetScrollPos(m_hWnd, SB_VERT);
  m_state.m_nScrollPos = flist::VScrollPosition(code, track, pos, client.bottom, m_nLineHeight, m_state.m_nScrollMax);
  ::SetScrollPos(m_hWnd, SB_VERT, m_state.m_nScrollPos, TRUE);
  DrawEntryLines(1);
  return 0;
}
