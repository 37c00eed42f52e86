#include "convert/pptx_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "convert/convert_texts.h"
#include "convert/ooxml_part.h"
#include "convert/ooxml_tag.h"
#include "convert/pptx_canvas.h"
#include "convert/pptx_draw.h"

namespace convert {
namespace {

constexpr int kMaxSlides = 199;         // slides 1-199
constexpr int kSlots = 171;             // shape slots 0-170
constexpr int kSlideSlots = 150;        // "Rectangle n" on a slide: slots 1-149
constexpr int kMasterSlot = 150;        // "Rectangle n" on the master: slot n + 150 (n 1-20)
constexpr int kTitleSlot = 152;         // the master's title, 153 its body;
constexpr int kBodySlot = 153;          // 151 + placeholder kind in general
constexpr int kSubtitleSlot = 154;      // the layout's subtitle and centred title
constexpr int kCentredTitleSlot = 155;
constexpr int kMediaNames = 50;         // relationship numbers 1-49
constexpr std::size_t kMediaNameMax = 255;
constexpr std::size_t kShapeTextMax = 8000;
constexpr int kFirstUsedLines = 30;     // a slide occupies at least 30 lines
constexpr std::int64_t kGroupScale = 1700;
constexpr std::int64_t kGroupSmall = 100000;
constexpr int kClosingRule = 100;
constexpr std::uint64_t kCanvasPerSlide = 8768;
constexpr std::uint64_t kCanvasSlack = 1000;

// Default geometry (units) of a shape with none of its own or its master's.
constexpr std::int64_t kDefaultX = 1000, kDefaultY = 200, kDefaultCx = 8000;
constexpr std::int64_t kDefaultTitleCy = 200, kDefaultCy = 4000;
// A shape's box: a column is 80 units, a row 100; a table frame's 100 and 100.
constexpr std::int64_t kColumnUnits = 80, kRowUnits = 100, kFrameUnits = 100;

bool At(const char* p, const char* s) { return std::strncmp(p, s, std::strlen(s)) == 0; }
// An element name followed by '>' or a blank (so "<a:tc" is not "<a:tcPr").
bool AtElement(const char* p, const char* s) {
  const std::size_t n = std::strlen(s);
  return std::strncmp(p, s, n) == 0 && (p[n] == '>' || p[n] == ' ' || p[n] == '/');
}

struct Slot {
  char align = 'L';
  std::int64_t x = 0, y = 0, cx = 0, cy = 0;
};
bool EmptyGeometry(const Slot& s) { return s.x == 0 && s.y == 0 && s.cx < 800; }

class Converter {
 public:
  Converter(OoxmlPackage& package, const PptxWords& words, LoadBuffer& out)
      : m_package(package), m_words(words), m_out(out), m_canvas(out) {
    const PptxUnits u = PptxUnitsFor(words.m_bTableLayout);
    m_h = u.horizontal;
    m_v = u.vertical;
  }
  std::int64_t Run();

 private:
  bool Load(const char* path, bool watchDamage);
  void ReadTransform(int at, std::int64_t v[4]);
  void WalkMaster();
  int CountSlides();
  void ReadMediaNames(int k);
  void WalkLayout(int k);
  void WalkSlide();
  void Element(int i);
  void AppendText(const char* from);
  void AppendByte(char c);
  void NewLine();
  void DrawShape();
  void DrawTable();

  OoxmlPackage& m_package;
  const PptxWords& m_words;
  LoadBuffer& m_out;
  LoadBuffer m_messages;  // loader messages, written after the closing line
  PartText m_text;
  std::string m_damaged;
  PptxCanvas m_canvas;
  std::int64_t m_h = 1000, m_v = 4000;
  Slot m_slot[kSlots];
  std::string m_media[kMediaNames];
  std::int64_t m_lineBase = 0;

  // The slide walk.
  int m_cur = 0;
  int m_phKind = 0;
  int m_depth = 0;
  bool m_txBody = false, m_picture = false, m_inRun = false;
  bool m_inTable = false, m_inCell = false, m_inGrid = false;
  std::string m_buf;          // the shape's (or table's) text
  std::size_t m_cellFrom = 0; // where the current cell's text begins
  PptxTable m_table;
  std::int64_t m_frameRow = 0;
  std::int64_t m_cursorColumn = 0;  // where the last write ended on its line
  std::int64_t m_prevTableRow = -1;
  std::int64_t m_used = 0;
  std::int64_t m_extra = 0;
};

bool Converter::Load(const char* path, bool watchDamage) {
  const CString name(path);
  if (!m_package.FileExists(name)) {
    m_text.Clear();
    return false;
  }
  LoadBuffer message;
  if (LoadPartAsSjis(m_package, name, m_words.memoryLimit, m_text, message) < 0) {
    m_messages.Append(message.Data(), message.Size());
    m_text.Clear();
    return false;
  }
  if (watchDamage && m_damaged.empty()) {
    // Cut inside an element: the last '<' has no '>' after it.
    const char* t = m_text.Data();
    for (int i = m_text.Size(); i-- > 0;) {
      if (t[i] == '>') break;
      if (t[i] == '<') {
        m_damaged = path;
        break;
      }
    }
  }
  return true;
}

// x, y, cx, cy of the transform whose tag starts at `at` (searched after the
// tag, in its child elements).
void Converter::ReadTransform(int at, std::int64_t v[4]) {
  static const char* const kNames[4] = {"x=\"", "y=\"", "cx=\"", "cy=\""};
  for (int j = 0; j < 4; ++j) {
    int pos = at;
    v[j] = FindInTag(kNames[j], m_text, &pos, kTagAfter + kTagInteger);
  }
}

void Converter::WalkMaster() {
  if (!m_package.FolderExists(CString("ppt\\slideMasters"))) return;
  if (!Load("ppt\\slideMasters\\slideMaster1.xml", false)) return;
  const char* t = m_text.Data();
  int cur = 0;
  for (int i = 0; i < m_text.Size(); ++i) {
    if (t[i] != '<') continue;
    const char* p = t + i;
    if (At(p, "<p:cNvPr")) {
      int pos = i + 8;
      const int n = FindInTag("name=\"Rectangle ", m_text, &pos, kTagInteger);
      cur = n >= 1 && n <= 20 ? n + kMasterSlot : 0;
    } else if (At(p, "<p:sp>")) {
      cur = 0;
    } else if (At(p, "<p:ph ")) {
      int pos = i + 6;
      const bool title = FindInTag("type=\"title\"", m_text, &pos, kTagFound) != 0;
      const bool sub = FindInTag("type=\"subTitle\"", m_text, &pos, kTagFound) != 0;
      const bool ctr = FindInTag("type=\"ctrTitle\"", m_text, &pos, kTagFound) != 0;
      const bool body = FindInTag("type=\"body\"", m_text, &pos, kTagFound) != 0;
      if (title) cur = kTitleSlot;
      else if (body) cur = kBodySlot;
      m_slot[cur].align = title || sub || ctr ? 'c' : 'L';
    } else if (At(p, "<a:xfrm")) {
      std::int64_t v[4];
      ReadTransform(i + 7, v);
      if (cur > kMasterSlot && cur < 170) {
        Slot& s = m_slot[cur];
        s.x = v[0] / m_h;
        s.y = v[1] / m_v;
        s.cx = v[2] / m_h;
        s.cy = v[3] / m_v;
      }
    }
  }
}

int Converter::CountSlides() {
  int n = 0;
  for (int k = 1; k <= kMaxSlides; ++k) {
    char path[64];
    std::snprintf(path, sizeof path, "ppt\\slides\\slide%d.xml", k);
    if (!m_package.FileExists(CString(path))) break;
    n = k;
  }
  return n;
}

void Converter::ReadMediaNames(int k) {
  for (std::string& m : m_media) m.clear();
  if (!m_package.FolderExists(CString("ppt\\media"))) return;
  char path[64];
  std::snprintf(path, sizeof path, "ppt\\slides\\_rels\\slide%d.xml.rels", k);
  if (!Load(path, false)) return;
  const char* t = m_text.Data();
  for (int i = 0; i < m_text.Size(); ++i) {
    if (t[i] != '<' || !At(t + i, "<Relationship ")) continue;
    int pos = i + 14;
    const int n = FindInTag("Id=\"rId", m_text, &pos, kTagInteger);
    if (n < 1 || n >= kMediaNames) continue;
    pos = i + 14;
    if (!FindInTag("Target=\"../media/", m_text, &pos, kTagMoveTo)) continue;
    std::string name;
    for (int j = pos; j < m_text.Size() && name.size() < kMediaNameMax; ++j) {
      const char c = t[j];
      if (c == '"' || c == '/' || c == '>') break;
      name.push_back(c);
    }
    m_media[n] = name;
  }
}

void Converter::WalkLayout(int k) {
  if (!m_package.FolderExists(CString("ppt\\SlideLayouts"))) return;
  char path[64];
  std::snprintf(path, sizeof path, "ppt\\SlideLayouts\\SlideLayout%d.xml", k);
  if (!Load(path, false)) return;
  const char* t = m_text.Data();
  int cur = 0;
  for (int i = 0; i < m_text.Size(); ++i) {
    if (t[i] != '<') continue;
    const char* p = t + i;
    if (At(p, "<p:ph ")) {
      int pos = i + 6;
      if (FindInTag("type=\"subTitle\"", m_text, &pos, kTagFound)) {
        cur = kSubtitleSlot;
        m_slot[cur].align = 'c';
      } else if (FindInTag("type=\"ctrTitle\"", m_text, &pos, kTagFound)) {
        cur = kCentredTitleSlot;
        m_slot[cur].align = 'c';
      }
    } else if (At(p, "<p:sp>")) {
      cur = 0;
    } else if (At(p, "<a:xfrm")) {
      std::int64_t v[4];
      ReadTransform(i + 7, v);
      if (cur > kMasterSlot && cur <= 170) {
        Slot& s = m_slot[cur];
        s.x = v[0] / m_h;
        s.y = v[1] / m_v;
        s.cx = v[2] / m_h;
        s.cy = v[3] / m_v;
      }
    }
  }
}

void Converter::AppendByte(char c) {
  if (m_buf.size() < kShapeTextMax) m_buf.push_back(c);
}

// A paragraph or a break: a new line once the text holds a line (inside a
// cell once the cell holds text).
void Converter::NewLine() {
  if (m_inCell) {
    if (m_buf.size() > m_cellFrom) AppendByte('\x0B');
  } else if (!m_buf.empty()) {
    AppendByte('\n');
  }
}

// The text of "<a:t>" from `from` up to '<', with its four entities.
void Converter::AppendText(const char* from) {
  for (const char* p = from; *p && *p != '<'; ++p) {
    char c = *p;
    if (c == '&') {
      if (At(p, "&lt;")) c = '<', p += 3;
      else if (At(p, "&gt;")) c = '>', p += 3;
      else if (At(p, "&amp;")) c = '&', p += 4;
      else if (At(p, "&quot;")) c = '"', p += 5;
    }
    if (c == '\n' || c == '\x0B') {
      NewLine();
      continue;
    }
    if (c == '\r') continue;
    // A TAB parts the cells of a table; in a cell's text it is a blank.
    if (c == '\t' && m_inTable) c = ' ';
    AppendByte(c);
  }
}

void Converter::DrawShape() {
  if (m_buf.empty()) return;
  PptxBox box;
  if (m_cur < kSlideSlots) {
    Slot g = m_slot[m_cur];
    char align = g.align;
    if (EmptyGeometry(g)) {
      if (m_phKind >= 1 && m_phKind <= 4 && !EmptyGeometry(m_slot[151 + m_phKind])) {
        g = m_slot[151 + m_phKind];
        align = g.align;
      } else {
        g.x = kDefaultX;
        g.y = kDefaultY;
        g.cx = kDefaultCx;
        g.cy = m_phKind == 1 ? kDefaultTitleCy : kDefaultCy;
      }
    }
    box.column = g.x / kColumnUnits;
    box.row = g.y / kRowUnits + 1;
    box.width = g.cx / kColumnUnits;
    box.height = g.cy / kRowUnits;
    box.align = align;
  } else {
    box.column = 50;
    box.row = 50;
    box.width = 50;
    box.height = 10;
    box.align = 'L';
  }
  box.picture = m_picture;
  const PptxDrawn d = DrawPptxShape(m_canvas, m_lineBase, box, m_buf);
  m_used = std::max(m_used, d.rowsReached);
  if (d.endColumn >= 0) m_cursorColumn = d.endColumn;
}

void Converter::DrawTable() {
  std::int64_t first = m_frameRow;
  // Text drawn since the frame was read: the table goes where the previous
  // one of the slide started.
  if (m_cursorColumn >= 8 && m_prevTableRow >= 0) first = m_prevTableRow;
  if (first < 0) first = 0;
  m_prevTableRow = first;
  const PptxTableDrawn d = DrawPptxTable(m_canvas, m_lineBase, first, m_table, m_buf);
  m_used = std::max(m_used, first + d.rows);
  m_extra += d.extraLines;
  if (m_used > kFirstUsedLines) ++m_used;
}

void Converter::Element(int i) {
  const char* t = m_text.Data();
  const char* p = t + i;
  if (p[1] == 'p' && p[2] == ':') {
    if (At(p, "<p:cNvPr")) {
      int pos = i + 8;
      const int n = FindInTag("name=\"Rectangle ", m_text, &pos, kTagInteger);
      m_cur = n >= 1 && n < kSlideSlots ? n : 0;
    } else if (At(p, "<p:ph ") || At(p, "<p:ph/")) {
      int pos = i + 5;
      if (FindInTag("type=\"title\"", m_text, &pos, kTagFound)) m_phKind = 1;
      else if (FindInTag("type=\"body\"", m_text, &pos, kTagFound)) m_phKind = 2;
      else if (FindInTag("type=\"subTitle\"", m_text, &pos, kTagFound)) m_phKind = 3;
      else if (FindInTag("type=\"ctrTitle\"", m_text, &pos, kTagFound)) m_phKind = 4;
      // A placeholder without a type is a body placeholder.
      else if (!FindInTag("type=\"", m_text, &pos, kTagFound)) m_phKind = 2;
      else m_phKind = 0;
      if (m_phKind == 2) m_slot[m_cur].align = 'L';
      else if (m_phKind != 0) m_slot[m_cur].align = 'c';
    } else if (At(p, "<p:grpSp>")) {
      ++m_depth;
    } else if (At(p, "<p:sp>")) {
      for (int s = 0; s <= 20; ++s) m_slot[s] = Slot();
      m_cur = 0;
      m_phKind = 0;
      m_buf.clear();
      m_txBody = m_picture = m_inRun = false;
    } else if (At(p, "<p:txBody")) {
      m_txBody = true;
    } else if (AtElement(p, "<p:pic")) {
      m_picture = true;
      m_phKind = 0;
    } else if (At(p, "<p:xfrm")) {
      std::int64_t v[4];
      ReadTransform(i + 7, v);
      m_table.frameColumn = v[0] / m_h / kFrameUnits;
      m_table.frameRight = m_table.frameColumn + v[2] / m_h / kFrameUnits;
      m_frameRow = v[1] / m_v / kFrameUnits + 1;
      m_cursorColumn = 0;
    }
    return;
  }
  if (p[1] == '/') {
    if (At(p, "</p:grpSp>")) {
      if (m_depth > 0) --m_depth;
    } else if (At(p, "</p:sp>") || At(p, "</p:pic>")) {
      DrawShape();
      m_buf.clear();
      m_picture = false;
    } else if (At(p, "</a:tblGrid")) {
      m_inGrid = false;
    } else if (At(p, "</a:tbl>")) {
      if (m_inTable) DrawTable();
      m_buf.clear();
      m_inTable = m_inCell = m_inGrid = false;
    }
    return;
  }
  if (p[1] != 'a' || p[2] != ':') return;
  if (At(p, "<a:xfrm")) {
    std::int64_t v[4];
    ReadTransform(i + 7, v);
    if (m_depth >= 2 && v[0] < kGroupSmall && v[1] < kGroupSmall && v[2] < kGroupSmall && v[3] < kGroupSmall)
      for (std::int64_t& x : v) x *= kGroupScale;
    if (m_cur < kSlideSlots && v[2] > 0 && v[3] > 0) {
      Slot& s = m_slot[m_cur];
      s.x = v[0] / m_h;
      s.y = v[1] / m_v;
      s.cx = v[2] / m_h;
      s.cy = v[3] / m_v;
    }
    if (m_depth == 1) m_depth = 2;
  } else if (At(p, "<a:pPr ")) {
    if (!m_txBody) return;
    int pos = i + 6;
    if (!FindInTag("algn=\"", m_text, &pos, kTagMoveTo) || m_cur >= kSlideSlots) return;
    if (At(t + pos, "l\"")) m_slot[m_cur].align = 'L';
    else if (At(t + pos, "r\"")) m_slot[m_cur].align = 'R';
    else if (At(t + pos, "ctr\"")) m_slot[m_cur].align = 'c';
  } else if (AtElement(p, "<a:p") || At(p, "<a:br")) {
    NewLine();
  } else if (AtElement(p, "<a:r")) {
    if (m_txBody) m_inRun = true;
  } else if (AtElement(p, "<a:t")) {
    if (!m_inRun && !m_inCell) return;
    int j = i + 4;
    while (t[j] && t[j] != '>') ++j;
    if (t[j] != '>' || t[j - 1] == '/') return;
    AppendText(t + j + 1);
  } else if (At(p, "<a:blip ")) {
    if (!m_picture) return;
    int pos = i + 8;
    const int n = FindInTag("r:embed=\"rId", m_text, &pos, kTagInteger);
    m_buf = n < kMediaNames ? "[" + (n >= 0 ? m_media[n] : std::string()) + "]" : std::string("[Image]");
  } else if (At(p, "<a:tbl>")) {
    m_inTable = true;
    m_inCell = m_inGrid = false;
    m_buf.clear();
    m_table.gridWidths.clear();
  } else if (At(p, "<a:tblGrid")) {
    m_inGrid = true;
  } else if (At(p, "<a:gridCol ")) {
    if (!m_inGrid || m_table.gridWidths.size() >= 169) return;
    int pos = i + 11;
    const std::int64_t w = FindInTag("w=\"", m_text, &pos, kTagInteger);
    m_table.gridWidths.push_back(std::max<std::int64_t>(w / 80000 + 2, 4));
  } else if (AtElement(p, "<a:tr")) {
    if (!m_inTable) return;
    m_inCell = false;
    AppendByte('\n');
  } else if (AtElement(p, "<a:tc")) {
    if (!m_inTable) return;
    AppendByte('\t');
    m_inCell = true;
    m_cellFrom = m_buf.size();
  }
}

void Converter::WalkSlide() {
  m_cur = m_phKind = m_depth = 0;
  m_txBody = m_picture = m_inRun = m_inTable = m_inCell = m_inGrid = false;
  m_buf.clear();
  m_cursorColumn = 0;
  m_prevTableRow = -1;
  const char* t = m_text.Data();
  for (int i = 0; i < m_text.Size(); ++i)
    if (t[i] == '<') Element(i);
}

std::int64_t Converter::Run() {
  WalkMaster();
  const int slides = CountSlides();
  if (!m_canvas.ReserveBytes(kCanvasPerSlide * (static_cast<std::uint64_t>(slides) + 1) + kCanvasSlack) ||
      !m_canvas.EnsureLines(static_cast<std::int64_t>(slides) * kPptxSlideLines)) {
    m_out.Clear();
    m_out.Append(static_cast<const char*>(PartMemoryText(" 020")));
    return -static_cast<std::int64_t>(m_out.Size());
  }
  for (int k = 1; k <= slides; ++k) {
    char path[64];
    std::snprintf(path, sizeof path, "ppt\\slides\\slide%d.xml", k);
    if (!m_package.FileExists(CString(path))) break;
    ReadMediaNames(k);
    WalkLayout(k);
    // The next slide's block must fit whole.
    m_canvas.EnsureLines(m_lineBase + kPptxSlideLines);
    char line[128];
    const int n = std::snprintf(line, sizeof line,
                                "=============================================page %2d"
                                "================================================",
                                k);
    m_canvas.PutText(m_lineBase, line, static_cast<std::size_t>(n));
    m_used = kFirstUsedLines;
    m_extra = 0;
    if (Load(path, true)) WalkSlide();
    m_lineBase += m_used + m_extra;
  }
  // Past the size cap the closing line takes the canvas's last line.
  if (!m_canvas.EnsureLines(m_lineBase + 1)) m_lineBase = m_canvas.Lines() > 0 ? m_canvas.Lines() - 1 : 0;
  const std::string rule(kClosingRule, '=');
  m_canvas.PutText(m_lineBase, rule.data(), rule.size());
  m_canvas.Cut(m_lineBase + 1);
  m_out.Append(m_messages.Data(), m_messages.Size());
  if (!m_damaged.empty()) {
    m_out.Append("\r\n");
    m_out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedFormat)));
    m_out.Printf("(%s)", m_damaged.c_str());
  }
  return static_cast<std::int64_t>(m_out.Size());
}

}  // namespace

PptxUnits PptxUnitsFor(std::uint32_t tableLayout) {
  return tableLayout == 0 ? PptxUnits{1000, 4000} : PptxUnits{900, 2200};
}

std::int64_t ConvertPptxToText(OoxmlPackage& package, const PptxWords& words, LoadBuffer& out) {
  Converter c(package, words, out);
  return c.Run();
}

}  // namespace convert
