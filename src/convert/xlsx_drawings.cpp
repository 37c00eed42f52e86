#include "convert/xlsx_drawings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/ooxml_tag.h"
#include "convert/xlsx_strings.h"
#include "fw/sjis.h"

namespace convert {
namespace {

constexpr int kPairs = 100;  // relationships and legacy pairs per part

bool At(const char* p, const char* s) { return std::strncmp(p, s, std::strlen(s)) == 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Drawing elements are matched by their local name: writers differ in the
// namespace prefix ("<xdr:from>", "<from>" under a default namespace).
const char* LocalName(const char* p, bool closing) {
  if (*p++ != '<') return nullptr;
  if (closing && *p++ != '/') return nullptr;
  for (int k = 0; k < 12 && p[k] && p[k] != '>' && p[k] != ' ' && p[k] != '/'; ++k)
    if (p[k] == ':') return p + k + 1;
  return p;
}
bool Tag(const char* p, const char* local) {
  const char* n = LocalName(p, false);
  return n && At(n, local);
}
bool EndTag(const char* p, const char* local) {
  const char* n = LocalName(p, true);
  return n && At(n, local);
}

struct Relationship {
  int id;
  std::string target;
};

// "rIdN" -> media file name of a drawing's (or legacy drawing's) part.
std::vector<Relationship> ReadRelationships(XlsxParts& parts, const char* path) {
  std::vector<Relationship> rels;
  if (!parts.Load(path)) return rels;
  const PartText& text = parts.Text();
  const char* t = text.Data();
  for (int i = 0; i < text.Size() && static_cast<int>(rels.size()) < kPairs; ++i) {
    if (t[i] != '<' || !At(t + i, "<Relationship ")) continue;
    int pos = i + 1;
    Relationship r;
    r.id = FindInTag("Id=\"rId", text, &pos, kTagInteger);
    if (FindInTag("media/", text, &pos, kTagMoveTo)) {
      for (int k = 0; k < 255 && t[pos] && t[pos] != '"' && t[pos] != '/' && t[pos] != '>'; ++k) r.target += t[pos++];
    }
    rels.push_back(r);
  }
  return rels;
}

const Relationship* FindRel(const std::vector<Relationship>& rels, int id) {
  for (const Relationship& r : rels)
    if (r.id == id) return &r;
  return nullptr;
}

// Up to nine digits: every sum of two anchors stays within an int.
int NumberAt(const char* p) {
  int v = 0;
  for (int k = 0; k < 9 && IsDigit(p[k]); ++k) v = v * 10 + (p[k] - '0');
  return v;
}

// The integer of an element's text ("<xdr:col>3</xdr:col>"); -1 without
// digits.
int ElementNumber(const char* p) {
  while (*p && *p != '>') ++p;
  if (!*p) return -1;
  ++p;
  bool negative = *p == '-';
  if (negative) ++p;
  if (!IsDigit(*p)) return -1;
  const int v = NumberAt(p);
  return negative ? -v : v;
}

struct Anchor {
  int fromCol = -1, fromRow = -1, toCol = -1, toRow = -1;
  int fromColOff = 0, fromRowOff = 0, toColOff = 0, toRowOff = 0;
  bool operator==(const Anchor& o) const {
    return fromCol == o.fromCol && fromRow == o.fromRow && toCol == o.toCol && toRow == o.toRow;
  }
};

struct Transform {
  long long x = 0, y = 0, cx = 0, cy = 0;
};

class DrawingWalk {
 public:
  DrawingWalk(const XlsxWords& w, WorkbookTable& t, int sheet, int& largestRow, int& added)
      : words(w), table(t), m_sheet(sheet), m_largestRow(largestRow), m_added(added) {}

  std::vector<Relationship> rels;        // the drawing's
  std::vector<Relationship> legacyRels;  // the legacy drawing's
  std::vector<std::pair<int, int>> legacyPairs;  // (relationship, shape number)

  void Walk(const PartText& text);

 private:
  const XlsxWords& words;
  WorkbookTable& table;
  int m_sheet;
  int& m_largestRow;
  int& m_added;

  Anchor m_anchor;
  Anchor m_textAnchor;  // the anchor of the text before
  bool m_inFrom = false, m_inTo = false;
  int m_groupDepth = 0;
  bool m_groupTransform = false;  // the next transform is the group's own
  bool m_inXfrm = false;
  Anchor m_group;                 // the group's anchor
  Transform m_groupOff, m_child, m_own;
  bool m_inTextBody = false;
  bool m_hasText = false;
  std::string m_text;
  std::string m_pending;  // a picture name waiting for its shape's end
  bool m_pendingPicture = false;
  int m_textCells = 0;    // text-box cells of this sheet so far

  int Width(int column) const {
    const std::uint8_t* row = table.WidthRowAt(m_sheet);
    return column >= 0 && column < kWorkbookWidthColumns - 1 ? row[column + 1] : kWorkbookDefaultWidth;
  }
  void PictureName(const char* name) {
    m_pending = name;
    m_pendingPicture = true;
  }
  bool Place(bool picture, int* row, int* column);
  void AddCell(int row, int column, const std::string& text);
  void MakePicture();
  void StartText();
  void AppendRun(const char* p);
  void EndText();
};

// The cell of a shape: its anchor, or inside a group its transform mapped
// onto the group's cells. False when no cell is made.
bool DrawingWalk::Place(bool picture, int* row, int* column) {
  const Anchor& a = m_groupDepth > 0 ? m_group : m_anchor;
  int col = a.fromCol < 0 ? 1 : a.fromCol;
  int r = a.fromRow < 0 ? 1 : a.fromRow;
  if (m_groupDepth > 0 && picture) {
    const long long colSpan = a.toCol - a.fromCol + 1, rowSpan = a.toRow - a.fromRow + 1;
    const long long perCol = colSpan > 1 && colSpan < m_child.cx ? m_child.cx / colSpan : 75;
    const long long perRow = rowSpan > 1 && rowSpan < m_child.cy ? m_child.cy / rowSpan : 20;
    long long c = (m_own.x - m_child.x) / std::max(1LL, perCol) + col;
    long long rr = (m_own.y - m_child.y) / std::max(1LL, perRow) + r;
    c += m_own.cx / 2 / std::max(1LL, perCol);
    rr += m_own.cy / 2 / std::max(1LL, perRow);
    if (c < a.fromCol || c > a.toCol) c = a.toCol >= 0 ? (a.fromCol + a.toCol) / 2 : col;
    if (rr < a.fromRow || rr > a.toRow) rr = a.toRow >= 0 ? (a.fromRow + a.toRow) / 2 : r;
    if (c < 0) return false;
    col = static_cast<int>(std::min(c, 100000LL));
    r = static_cast<int>(std::max(0LL, std::min(rr, 10000000LL)));
  } else if (picture) {
    if (a.toCol >= 0) col = (col + a.toCol) / 2;
    if (a.toRow >= 0) r = (r + a.toRow) / 2;
  }
  if (col == 0 && a.fromColOff == 0 && a.toColOff == 0 && m_groupDepth == 0) return false;
  *row = r;
  *column = col;
  return true;
}

void DrawingWalk::AddCell(int row, int column, const std::string& text) {
  const int n = table.ShapeCount();
  if (!table.AddShapeCell(row, column, kShapeTextBase + n, m_sheet - 1)) return;
  table.SetValue(table.ShapeValueIndex(n), reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                 kValueKindText);
  ++m_added;
}

void DrawingWalk::MakePicture() {
  int row = 0, column = 0;
  const std::string name = "[" + m_pending + "]";
  m_pending.clear();
  m_pendingPicture = false;
  if (m_added >= kWorkbookShapeCells || !Place(true, &row, &column)) return;
  std::string text;
  if (words.groupSwitch == 0) {
    text = name;
    const int w1 = Width(column), w2 = w1 + Width(column + 1);
    const int n = static_cast<int>(text.size());
    if (n < w1) text.append(static_cast<std::size_t>(w1 - n), ' ');
    else if (n < w2) text.append(static_cast<std::size_t>(w2 - n), ' ');
  }
  AddCell(row, column, text);
  m_largestRow = std::max(m_largestRow, row + 1);
}

void DrawingWalk::StartText() {
  m_inTextBody = true;
}

// One "<a:t>" run: the reference (or 8 blanks after text of the same
// anchor), then its characters up to '<'.
void DrawingWalk::AppendRun(const char* p) {
  const bool spans = (m_anchor.toRow > m_anchor.fromRow || m_anchor.toRowOff > 0 || m_groupDepth > 0) &&
                     (m_anchor.toCol > m_anchor.fromCol || m_anchor.toColOff > 0 || m_groupDepth > 0);
  if (!spans) return;
  const int limit = std::max(0, words.nChar - 1);
  if (!m_hasText) {
    m_hasText = true;
    const int col = std::max(0, m_anchor.fromCol), row = std::max(0, m_anchor.fromRow);
    char ref[32];
    if (col < 26) std::snprintf(ref, sizeof ref, "(%c%02d): ", 'A' + col, row + 1);
    else std::snprintf(ref, sizeof ref, "(%c%c%02d): ", 'A' + std::min(col / 26, 26) - 1, 'A' + col % 26, row + 1);
    if (!m_text.empty() && m_anchor == m_textAnchor) m_text += "        ";
    else m_text += ref;
    m_textAnchor = m_anchor;
  } else {
    m_text += "        ";
  }
  while (*p && *p != '<' && static_cast<int>(m_text.size()) < limit) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (fw::IsSjisLeadByte(c) && p[1]) {
      if (static_cast<int>(m_text.size()) + 2 > limit) break;
      m_text += p[0];
      m_text += p[1];
      p += 2;
      continue;
    }
    int n = 0;
    const std::string ref = c == '&' ? XlsxCharReference(p, &n) : std::string();
    if (!ref.empty()) {
      if (static_cast<int>(m_text.size() + ref.size()) > limit) break;
      m_text += ref;
      p += n;
    } else if (At(p, "&lt;")) { m_text += '<'; p += 4; }
    else if (At(p, "&gt;")) { m_text += '>'; p += 4; }
    else if (At(p, "&amp;")) { m_text += '&'; p += 5; }
    else if (At(p, "&quot;")) { m_text += '"'; p += 6; }
    else { m_text += c < 0x20 ? ':' : static_cast<char>(c); ++p; }
  }
  if (static_cast<int>(m_text.size()) > limit) m_text.resize(static_cast<std::size_t>(limit));
}

// The shape's text is a cell below the sheet's data, at column 0.
void DrawingWalk::EndText() {
  m_inTextBody = false;
  if (!m_hasText) {
    // A text box without text leaves an empty cell at its anchor.
    int row = 0, column = 0;
    const bool spans = m_anchor.toRow >= 0 && m_anchor.toCol >= 0;
    if (spans && m_added < kWorkbookShapeCells && !m_pendingPicture && Place(false, &row, &column))
      AddCell(row, column, std::string());
    return;
  }
  m_hasText = false;
  int row = 0, column = 0;
  if (m_added < kWorkbookShapeCells && Place(false, &row, &column)) {
    ++m_textCells;
    AddCell(static_cast<int>(std::min<long long>(1LL << 30, static_cast<long long>(m_largestRow) + m_textCells + 1)), 0,
            m_text);
  }
  m_text.clear();
}

void DrawingWalk::Walk(const PartText& text) {
  const char* t = text.Data();
  const int n = text.Size();
  for (int i = 0; i < n && m_added < kWorkbookShapeCells; ++i) {
    if (t[i] != '<') continue;
    const char* p = t + i;
    if (Tag(p, "from>")) {
      m_inFrom = true;
    } else if (EndTag(p, "from>")) {
      m_inFrom = false;
    } else if (Tag(p, "to>")) {
      m_inTo = true;
    } else if (EndTag(p, "to>")) {
      m_inTo = false;
    } else if (Tag(p, "col>") || Tag(p, "row>") || Tag(p, "colOff>") || Tag(p, "rowOff>")) {
      const char* name = LocalName(p, false);
      const bool col = name[0] == 'c';
      const bool off = name[3] == 'O';
      const int v = ElementNumber(p);
      Anchor& a = m_anchor;
      if (m_inFrom) {
        if (off) (col ? a.fromColOff : a.fromRowOff) = v;
        else (col ? a.fromCol : a.fromRow) = v;
      } else if (m_inTo) {
        if (off) (col ? a.toColOff : a.toRowOff) = v;
        else (col ? a.toCol : a.toRow) = v;
      }
    } else if (Tag(p, "pos")) {
      // An absolute anchor in EMU: the column whose running width reaches x.
      int pos = i + 1;
      const long long x = FindInTag("x=\"", text, &pos, kTagInteger);
      const long long y = FindInTag("y=\"", text, &pos, kTagInteger);
      long long sum = 0;
      int c = 0;
      for (; c < kWorkbookWidthColumns - 1; ++c) {
        sum += static_cast<long long>(Width(c)) * 76000;
        if (sum >= x) break;
      }
      m_anchor.fromCol = c - 1;
      m_anchor.fromRow = static_cast<int>(std::max(-1LL, std::min(y / 171000, 10000000LL)));
    } else if (Tag(p, "grpSp>")) {
      if (m_groupDepth == 0) m_group = m_anchor;
      ++m_groupDepth;
    } else if (EndTag(p, "grpSp>")) {
      if (m_groupDepth > 0) --m_groupDepth;
    } else if (Tag(p, "grpSpPr")) {
      m_groupTransform = true;
    } else if (EndTag(p, "grpSpPr")) {
      m_groupTransform = false;
    } else if (Tag(p, "off ") || Tag(p, "ext ") || Tag(p, "chOff ") || Tag(p, "chExt ")) {
      int pos = i + 1;
      const char* name = LocalName(p, false);
      const bool ext = name[0] == 'e' || name[2] == 'E';
      const long long a = FindInTag(ext ? "cx=\"" : "x=\"", text, &pos, kTagInteger);
      const long long b = FindInTag(ext ? "cy=\"" : "y=\"", text, &pos, kTagInteger);
      Transform& tr = m_groupTransform && m_groupDepth > 0 ? (Tag(p, "ch") ? m_child : m_groupOff) : m_own;
      if (ext) {
        if (a > 0) tr.cx = a;
        if (b > 0) tr.cy = b;
      } else {
        if (a > 0) tr.x = a;
        if (b > 0) tr.y = b;
      }
    } else if (Tag(p, "blip ")) {
      int pos = i + 1;
      const int id = FindInTag("r:embed=\"rId", text, &pos, kTagInteger);
      const Relationship* r = FindRel(rels, id);
      PictureName(!r ? "Image" : r->target.empty() ? "image" : r->target.c_str());
    } else if (Tag(p, "t>")) {
      if (m_inTextBody) AppendRun(p + 5);
    } else if (EndTag(p, "p><a:p>") || EndTag(p, "p>\r\n<a:p>")) {
      if (m_hasText && static_cast<int>(m_text.size()) < words.nChar - 5) m_text += '\x0B';
    } else if (Tag(p, "txBody")) {
      StartText();
    } else if (EndTag(p, "txBody")) {
      EndText();
    } else if (EndTag(p, "pic")) {
      if (m_pendingPicture) MakePicture();
    } else if (EndTag(p, "sp>")) {
      if (m_pendingPicture) MakePicture();
    } else {
      // A DrawingML element that stands for a legacy shape ("_x0000_s" and
      // its number) takes that shape's picture.
      int pos = i + 1;
      if (!legacyPairs.empty() && FindInTag("\"_x0000_s", text, &pos, kTagMoveTo)) {
        const int shape = NumberAt(t + pos);
        for (const auto& pair : legacyPairs) {
          if (pair.second != shape) continue;
          const Relationship* r = FindRel(legacyRels, pair.first);
          if (r) PictureName(r->target.empty() ? "image" : r->target.c_str());
          break;
        }
      }
    }

  }
}

// The legacy shapes' picture relationships: (relid, shape number) pairs.
void ReadLegacyShapes(const PartText& text, std::vector<std::pair<int, int>>& pairs) {
  const char* t = text.Data();
  int shape = 0;
  for (int i = 0; i < text.Size() && static_cast<int>(pairs.size()) < kPairs; ++i) {
    if (t[i] != '<') continue;
    if (At(t + i, "<v:sh")) {
      // The shape number: within 200 bytes, after id="_x0000_s.
      for (int k = i; k < i + 200 && t[k]; ++k) {
        if (At(t + k, "id=\"_x0000_s")) {
          shape = NumberAt(t + k + 12);
          break;
        }
      }
    } else if (At(t + i, "<v:im")) {
      int pos = i + 1;
      const int id = FindInTag("relid=\"rId", text, &pos, kTagInteger);
      const std::pair<int, int> pair(id, shape);
      if (std::find(pairs.begin(), pairs.end(), pair) == pairs.end()) pairs.push_back(pair);
    }
  }
}

}  // namespace

int ReadXlsxDrawings(XlsxParts& parts, const XlsxWords& words, XlsxSheetDrawings& sheets, WorkbookTable& table) {
  int added = 0;
  for (int s = 1; s < 256 && added < kWorkbookShapeCells; ++s) {
    if (sheets.drawing[s] == 0 && sheets.legacy[s] == 0) continue;
    DrawingWalk walk(words, table, s, sheets.largestRow[s], added);
    char path[96];
    if (sheets.drawing[s]) {
      std::snprintf(path, sizeof path, "xl\\drawings\\_rels\\drawing%d.xml.rels", sheets.drawing[s]);
      walk.rels = ReadRelationships(parts, path);
    }
    if (sheets.legacy[s]) {
      std::snprintf(path, sizeof path, "xl\\drawings\\_rels\\vmlDrawing%d.vml.rels", sheets.legacy[s]);
      walk.legacyRels = ReadRelationships(parts, path);
      std::snprintf(path, sizeof path, "xl\\drawings\\vmlDrawing%d.vml", sheets.legacy[s]);
      if (parts.Load(path)) ReadLegacyShapes(parts.Text(), walk.legacyPairs);
    }
    if (!sheets.drawing[s]) continue;
    std::snprintf(path, sizeof path, "xl\\drawings\\drawing%d.xml", sheets.drawing[s]);
    if (parts.Load(path)) walk.Walk(parts.Text());
  }
  return added;
}

}  // namespace convert
