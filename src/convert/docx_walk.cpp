// The element walk of the ".docx" layout: one byte at a time over the
// document part; at each "<" the element's leading characters choose what
// happens. The main pass walks the whole part, the tables pass the tables
// that stood nested in cells.
#include "convert/docx_walk.h"

#include <cstdio>
#include <cstring>

#include "convert/ooxml_tag.h"
#include "core/docsvc/sjis_state.h"

namespace convert {

DocxWalker::DocxWalker(const PartText& part, DocxCanvas& c, const DocxGeometry& geometry, bool rules)
    : text(part), t(part.Data()), n(part.Size()), canvas(c), g(geometry), tableLayout(rules),
      side(static_cast<std::size_t>(kSideLines) * kSideLineBytes, ' ') {}

bool DocxWalker::Is(const char* literal) const {
  const std::size_t k = std::strlen(literal);
  return static_cast<std::size_t>(pos) + k <= text.Readable() && std::strncmp(t + pos, literal, k) == 0;
}

// A literal followed by a blank or ">".
bool DocxWalker::IsTag(const char* literal) const {
  if (!Is(literal)) return false;
  const char c = t[pos + static_cast<int>(std::strlen(literal))];
  return c == ' ' || c == '>';
}

int DocxWalker::Find(const char* pattern, int mode) { return FindAt(pos + 1, pattern, mode); }

int DocxWalker::FindAt(int at, const char* pattern, int mode) { return FindInTag(pattern, text, &at, mode); }

// The value after `pattern` in the tag starts with `value`.
bool DocxWalker::ValueIs(const char* pattern, const char* value) {
  int p = pos + 1;
  if (FindInTag(pattern, text, &p, kTagMoveTo) != 1) return false;
  return std::strncmp(t + p, value, std::strlen(value)) == 0;
}

// The walk goes on after the next `literal` (a tag when `tag`: followed by a
// blank or ">"); at the end of the part when there is none.
void DocxWalker::SkipPast(const char* literal, bool tag) {
  const int k = static_cast<int>(std::strlen(literal));
  for (int i = pos + 1; i < n; ++i) {
    if (t[i] != '<' || std::strncmp(t + i, literal, static_cast<std::size_t>(k)) != 0) continue;
    if (tag && t[i + k] != ' ' && t[i + k] != '>') continue;
    pos = i + k - 1;
    return;
  }
  pos = n;
}

void DocxWalker::ClearFloat() {
  floatCol = floatRow = 0;
}

void DocxWalker::Element() {
  if (t[pos + 1] == '/') {
    if (Is("</w:drawin")) {
      if (state == 'd') state = 0;
    } else if (IsTag("</w:pict")) {
      if (state == 'p') state = 0;
    } else if (IsTag("</v:group")) {
      if (state == 'g') state = 'p';
      para.clear();
    } else if (IsTag("</wpg:wgp")) {
      drawingGroup = false;
      para.clear();
    } else if (IsTag("</wp:anchor")) {
      anchored = false;
    } else if (Is("</wps:txbx") || Is("</v:textbo")) {
      textBoxMode = 0;
      para.clear();
      row = boxRow;
      col = boxCol;
    } else if (IsTag("</w:p")) {
      if (!inCell) WriteParagraph();
    } else if (Is("</w:rPr")) {
      if (!inCell && markDue) WritePageMark();
    } else if (Is("</w:txb")) {
      // The end of a text box's content inside a table: its text at the box.
      if (InTextBox() && InTable() && Is("</w:txbxCo") && !para.empty()) {
        const std::int64_t keep = row;
        WriteParagraph();
        row = keep;
      }
    } else if (IsTag("</w:tc")) {
      CellEnd();
    } else if (IsTag("</w:tr")) {
      RowEnd();
    } else if (IsTag("</w:tbl")) {
      TableEnd();
    }
    return;
  }
  if (Is("<w:t>") || Is("<w:t ")) {
    Text();
  } else if (Is("<w:tab/>") || Is("<w:tab>")) {
    if (!inCell) Append('\t');
  } else if (IsTag("<w:p") || Is("<w:p/>")) {
    ParagraphStart();
  } else if (Is("<w:br/>")) {
    if (!inCell) WriteBreakLine();
  } else if (Is("<w:br w:type=\"pag") || Is("<w:lastRenderedPageBreak")) {
    PageBreak();
  } else if (Is("<w:drawing")) {
    state = 'd';
  } else if (IsTag("<w:pict")) {
    state = 'p';
  } else if (IsTag("<v:group")) {
    if (state == 'p') state = 'g';
  } else if (Is("<mc:Fallba")) {
    SkipPast("</mc:Fallback", true);
  } else if (IsTag("<wpg:wgp")) {
    drawingGroup = true;
  } else if (IsTag("<wp:anchor")) {
    anchored = true;
  } else if (IsTag("<wps:txbx") || Is("<v:textbox")) {
    textBoxMode = t[pos + 1] == 'w' ? 1 : 2;
    boxRow = row;
    boxCol = col;
  } else if (IsTag("<w:framePr")) {
    FramePr();
  } else if (Is("<wp:positionH")) {
    Position(false);
  } else if (Is("<wp:positionV")) {
    Position(true);
  } else if (Is("<wp:extent")) {
    Extent();
  } else if (IsTag("<wps:spPr")) {
    ShapeProperties();
  } else if (Is("<v:shape ") || Is("<v:rect ") || Is("<v:round")) {
    VmlStyle();
  } else if (Is("<a:blip")) {
    Picture(false);
  } else if (Is("<v:imagedata")) {
    if (state != 'g') Picture(true);
  } else if (Is("<w:tbl>") || Is("<w:tbl ")) {
    TableStart();
  } else if (IsTag("<w:tr")) {
    RowStart();
  } else if (IsTag("<w:tc")) {
    CellStart();
  } else if (Is("<w:tcW ")) {
    CellWidth();
  }
}

// "<w:t>": the text up to the next "<" into the paragraph buffer, with the
// four entities and the full-width blank as two blanks.
void DocxWalker::Text() {
  if (state == 'g') return;
  int i = pos + 4;
  while (i < n && t[i] != '>') ++i;
  if (i >= n) {
    pos = n;
    return;
  }
  if (t[i - 1] == '/') {  // an empty text element
    pos = i;
    return;
  }
  ++i;
  const std::size_t elementStart = para.size();
  const bool breaking = inCell && cellWidth >= 3 && cellWidth <= 1999 && !InTextBox();
  while (i < n && t[i] != '<') {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    char bytes[2];
    int count = 1, used = 1;
    bytes[0] = static_cast<char>(c);
    if (c == '&') {
      static const struct {
        const char* name;
        char c;
        int length;
      } kEntities[] = {{"lt", '<', 4}, {"gt", '>', 4}, {"am", '&', 5}, {"qu", '"', 6}};
      for (const auto& e : kEntities) {
        if (t[i + 1] == e.name[0] && t[i + 2] == e.name[1]) {
          bytes[0] = e.c;
          used = e.length;
          break;
        }
      }
    } else if (docsvc::IsSjisLeadByte80(c) && i + 1 < n && t[i + 1] != '\0') {
      bytes[1] = t[i + 1];
      count = used = 2;
      if (c == 0x81 && static_cast<unsigned char>(t[i + 1]) == 0x40) bytes[0] = bytes[1] = ' ';
    }
    i += used;
    if (i > n) i = n;
    if (count == 2 && bytes[0] == ' ') {
      // The full-width blank: two blanks, each a character of its own.
      for (int k = 0; k < 2; ++k) {
        if (breaking) CellBreak(elementStart);
        Append(' ');
        ++lineLen;
      }
      continue;
    }
    if (breaking) CellBreak(elementStart);
    for (int k = 0; k < count; ++k) Append(bytes[k]);
    lineLen += count;
  }
  pos = i - 1;
}

void DocxWalker::ParagraphStart() {
  if (state == 'g' || drawingGroup) return;
  if (Is("<w:p>")) relH = relV = 0;
  if (inCell) {
    CellParagraph();
    return;
  }
  // An empty paragraph ("<w:p .../>") moves the row down by one.
  for (int i = pos + 4; i < n && i < pos + 200; ++i) {
    if (t[i] != '>') continue;
    if (t[i - 1] == '/') {
      if (state == 0) ++row;
      else ++floatRow;
      if (rowsUsed < row) rowsUsed = row;
    }
    break;
  }
}

void DocxWalker::PageBreak() {
  if (InTable() || rowsUsed <= 20) return;
  markDue = true;
  if (!para.empty()) WriteParagraph();
  if (markDue) WritePageMark();
}

void DocxWalker::FramePr() {
  if (frameRow != 0) return;
  std::int64_t x = Find("w:x=\"", kTagInteger) / 80;
  std::int64_t y = Find("w:y=\"", kTagInteger) / 200;
  if (Find("vAnchor=\"", kTagFound)) {
    if (ValueIs("vAnchor=\"", "text")) y += row;
    else if (ValueIs("vAnchor=\"", "marg")) y += g.top;
    else if (ValueIs("vAnchor=\"", "page")) y += 1;
    if (y < 1) y = 1;
  }
  if (ValueIs("hAnchor=\"", "text")) x += col;
  else if (ValueIs("hAnchor=\"", "marg")) x += g.right;
  if (x < 0) x = 0;
  frameRow = y;
  savedRow = row;
  savedCol = col;
  if (tablesPass) return;
  row = y < 0 ? 0 : y;
  col = x - 10 < 0 ? 0 : x - 10;
  floatCol = tableLeft = col;
  floatRow = row;
  relH = relV = 1;
}

void DocxWalker::Position(bool vertical) {
  int relation = 9;
  if (ValueIs("relativeFrom=\"", "page")) relation = 1;
  else if (vertical && ValueIs("relativeFrom=\"", "para")) relation = 2;
  else if (!vertical && ValueIs("relativeFrom=\"", "colu")) relation = 2;
  else if (ValueIs("relativeFrom=\"", "marg")) relation = 4;
  if (!drawingGroup) {
    // (The skip of the tag starts inside it: one past the "<".)
    const std::int64_t raw = FindAt(pos + 2, "wp:posOffset>", kTagAfter + kTagInteger);
    std::int64_t value = vertical ? raw / 170000 : raw / 65000;
    std::int64_t& current = vertical ? row : col;
    if (relation == 2) value += current;
    if (relation == 4) {
      value += vertical ? g.top : g.right;
      relation = 1;
    }
    if (value < 0) value = 0;
    if (relation == 9) current = value;
    if (!(InTextBox() && InTable())) (vertical ? floatRow : floatCol) = value;
  }
  (vertical ? relV : relH) = relation;
}

void DocxWalker::Extent() {
  if (drawingGroup) return;
  const std::int64_t w = Find("cx=\"", kTagInteger) / 65000;
  const std::int64_t h = Find("cy=\"", kTagInteger) / 160000;
  if (w > 0) drawW = w;
  if (h > 0) drawH = h;
  if (relV == 2 && rowsUsed < 5) drawH = 1;
}

void DocxWalker::ShapeProperties() {
  const int mode = kTagUnbounded + kTagInteger;
  const std::int64_t x = Find("a:off x=\"", mode);
  const std::int64_t y = Find("y=\"", mode);
  const std::int64_t cx = Find("a:ext cx=\"", mode);
  const std::int64_t cy = Find("cy=\"", mode);
  relH = relV = 1;
  offCol = x / 100 + floatCol;
  offRow = y / 300 + floatRow;
  drawW = cx / 100;
  drawH = cy / 300;
  pos += 40;
  if (pos >= n) pos = n;
}

// The VML style of a shape: position, size and the relations.
void DocxWalker::VmlStyle() {
  const bool absolute = Find("position:absolute", kTagFound) == 1;
  std::int64_t column = 0, r = 0;
  bool columnFromLeft = false, rowFromMargin = false;
  std::int64_t v;
  if ((v = Find(";left:", kTagInteger)) != 0) {
    column = v / 400;
    columnFromLeft = true;
  }
  if ((v = Find(";top:", kTagInteger)) != 0) r = v / 400;
  if ((v = Find("margin-left:", kTagInteger)) != 0) {
    column = v / 6;
    columnFromLeft = false;
  }
  if ((v = Find("margin-top:", kTagInteger)) != 0) {
    r = v / 11;
    rowFromMargin = true;
  }
  if ((v = Find("width:", kTagInteger)) != 0) drawW = v / 6;
  if ((v = Find("height:", kTagInteger)) != 0) drawH = v / 11;
  if (Find("tal-relative:", kTagFound)) {
    if (ValueIs("tal-relative:", "text")) column += static_cast<std::int64_t>(para.size()) + g.right;
    else if (ValueIs("tal-relative:", "marg")) column += g.right;
    if (column < 0) column = 0;
  } else if (absolute) {
    if (state != 'g' && !columnFromLeft) column += g.right;
  } else if (!InTextBox()) {
    column = static_cast<std::int64_t>(para.size()) + 1;
  }
  if (Find("cal-relative:", kTagFound)) {
    if (ValueIs("cal-relative:", "text")) r += row;
    else if (ValueIs("cal-relative:", "marg")) r += g.top;
    else if (ValueIs("cal-relative:", "page")) r += 1;
    if (r < 0) r = 0;
  } else if (absolute) {
    if (state != 'g') {
      if (r == 0) r = row;
      else if (rowFromMargin) r += g.top;
    }
  } else if (!InTextBox()) {
    r = row;
    drawH = 1;
  }
  if (!((textBoxMode != 0 && InTable()) || drawingGroup)) {
    floatCol = column;
    floatRow = r;
  }
  while (pos < n && t[pos] != '>') ++pos;
}

void DocxWalker::Walk(std::int64_t end) {
  while (pos < n && pos <= end && !stop) {
    if (t[pos] == '<') Element();
    ++pos;
  }
}

void DocxWalker::Run() {
  pos = 0;
  Walk(n);
  // The tables that stood nested in cells, each under its header; tables
  // nested in these are recorded in turn.
  tablesPass = true;
  for (std::size_t k = 0; k + 1 < tables.size() && !stop; k += 2) {
    char header[32];
    std::snprintf(header, sizeof header, "[Table%d]", static_cast<int>(k / 2 + 1));
    const std::int64_t at = pageBase + row + 1;
    if (canvas.At(at, 0) < 0) break;
    WriteAt(at, 0, header);
    if (rowsUsed < row + 2) rowsUsed = row + 2;
    row += 2;
    nesting = 0;
    inCell = false;
    para.clear();
    pos = tables[k];
    Walk(tables[k + 1]);
  }
}

}  // namespace convert
