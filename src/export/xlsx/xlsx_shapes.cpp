#include "export/xlsx/xlsx_shapes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "csv/csv_buffer.h"
#include "export/chart_fragments.h"
#include "export/colors.h"
#include "fw/sjis.h"

namespace xlsx {
namespace {

// --- tuning and tables ---

constexpr std::int64_t kLengthEmu = 10500;        // EMU per unit of an absolute length
constexpr std::int64_t kOffsetEmu = 10000;        // EMU per unit of a cell offset
constexpr std::int64_t kNegativeOffsetFrom = 90000;
constexpr std::int64_t kAbsoluteFrom = 1000;      // a decoded start of this or more is no cell
constexpr std::int64_t kRowStepEmu = 10000;       // per pixel of row height, less one
constexpr std::int64_t kFarRowEmu = 180000;       // each row past the recorded heights
constexpr std::int64_t kTallRow = 100;            // heights above this are codes: 10 h - 900
constexpr std::int64_t kEndColumnExtra = 1000;    // added to the end column's offset
constexpr std::int64_t kCellHeightEmu = 105000;   // cy of a two-cell shape per row index
constexpr int kPictureIdBase = 1000;              // first picture embeds rId1001
constexpr std::size_t kTextBytes = 255;           // text of a text box (256 less the dropped byte)
constexpr std::size_t kPresetNameBytes = 249;
constexpr std::size_t kPresetScan = 200;
constexpr int kMaxRowIndex = static_cast<int>(kMaxRows) - 1;

const char kDrawingEnd[] = "</xdr:wsDr>";
const char kTextBoxName[] = "\x83\x65\x83\x4C\x83\x58\x83\x67 \x83\x7B\x83\x62\x83\x4E\x83\x58";  // text box

struct KindRow {
  char kind;
  const char* name;    // cNvPr name
  const char* preset;  // nullptr: from the preset table
  bool text;           // a text body
  bool vertical;
};
constexpr KindRow kKinds[] = {
    {'T', kTextBoxName, "rect", true, false},
    {'t', kTextBoxName, "rect", true, true},
    {'b', "wedgeRectCallout", "wedgeRectCallout", true, false},
    {'c', "wedgeRectCallout", "wedgeRectCallout", true, true},
    {'L', "Line", "line", false, false},
    {'R', "Rectangle", "rect", false, false},
    {'E', "Oval", "ellipse", false, false},
    {'A', "AutoShape", nullptr, false, false},
    {'f', "AutoShape", nullptr, false, false},
    {'p', "Picture", "rect", false, false},
};

// Preset lines chosen by a digit, words by a second digit (word 0 first).
const char* const kPresetLines[9] = {
    "Line diamond rightArrow leftArrow curvedRightArrow curvedLeftArrow curvedUpArrow curvedDownArrow "
    "notchedRightArrow",
    "Rect triangle downArrow upArrow rightArrowCallout leftArrowCallout upArrowCallout downArrowCallout "
    "irregularSeal1 irregularSeal2",
    "Elips trapezoid leftRightArrow x ribbon ribbon2 ellipseRibbon ellipseRibbon2 verticalScroll horizontalScroll",
    "can pentagon upDownArrow x star4 star5 homePlate chevron wave doubleWave",
    "arc hexagon leftBracket rightBracket Process Terminator PredefinedProcess AlternateProcess",
    "rtTriangle x leftBrace rightBrace Decision Connector Document Multidocument PunchedCard PunchedTape",
    "parallelogram x bracketPair bracePair InputOutput ManualInput ManualOperation Preparation OffpageConnector "
    "SummingJunction",
    "x x x x Display MagneticDisk OnlineStorage InternalStorage MagneticTape MagneticDrum",
    "x x x x Collate Extract Merge Sort Or Delay",
};

// Text-box alignment: the code with its two low bits cleared.
struct AlignRow {
  unsigned char group;
  const char* algn;
  const char* wrap;
  const char* overflow;
};
constexpr AlignRow kAligns[] = {
    {'@', "l", "none", "clip"},   {'P', "l", "none", "clip"},         {'`', "r", "none", "clip"},
    {'p', "ctr", "none", "clip"}, {'T', "l", "square", "overflow"},   {'t', "ctr", "square", "overflow"},
};
constexpr AlignRow kOtherAlign = {0, "l", "none", "clip"};

struct EndRow {
  char letter;
  const char* type;
};
constexpr EndRow kEnds[] = {{'T', "triangle"}, {'A', "arrow"}, {'D', "diamond"}, {'O', "oval"}, {'S', "stealth"}};

// Style flags in the order their attributes are written.
struct StyleRow {
  unsigned bit;
  const char* attribute;
};
constexpr StyleRow kStyles[] = {{1, " b=\"1\""}, {2, " u=\"sng\""}, {4, " i=\"1\""}, {8, " strike=\"sngStrike\""}};

const KindRow* KindOf(unsigned char k) {
  for (const KindRow& r : kKinds)
    if (static_cast<unsigned char>(r.kind) == k) return &r;
  return nullptr;
}

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}
bool StartsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

std::string Format(const char* format, long long a, long long b = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

// --- positions ---

struct Decoded {
  std::int64_t value = 0;   // cell index, or EMU
  std::int64_t offset = 0;  // EMU inside the cell
  bool cell = false;
};

Decoded Decode(std::int64_t v) {
  Decoded d;
  if (v >= kCellScale) {
    d.cell = true;
    d.value = v / kCellScale - 1;
    std::int64_t off = v % kCellScale;
    if (off > kNegativeOffsetFrom) off = kNegativeOffsetFrom - off;
    d.offset = off * kOffsetEmu;
  } else {
    // A negative length (the vertical flip) saturates where its EMU would
    // leave 64 bits; half the range keeps the line's start shift in range.
    constexpr std::int64_t kLengthFloor = -(std::numeric_limits<std::int64_t>::max() / kLengthEmu / 2);
    d.value = std::max(v, kLengthFloor) * kLengthEmu;
  }
  return d;
}

// EMU per width unit for the sheet's size digit ('4' gives 63800).
std::int64_t WidthUnit(char sizeDigit) {
  std::int64_t w = static_cast<unsigned char>(sizeDigit);
  if (w < '0' || w > '9') w = '4';
  return 580 * (15 * w - 670);
}

bool ColumnCounts(const XlsxDrawingSource& s, std::int64_t c) {
  if (!s.columnFormats || c < 0 || static_cast<std::uint64_t>(c) >= s.formatCount) return true;
  return (static_cast<unsigned char>(s.columnFormats[c].c[9]) & 0x06) == 0;
}
std::int64_t WidthAt(const XlsxDrawingSource& s, std::int64_t c) {
  if (!s.widths || c < 0 || static_cast<std::uint64_t>(c) >= s.widthCount) return 0;
  return s.widths[c];
}

struct EndCell {
  std::int64_t index = 0;
  std::int64_t offset = 0;
};

// The end column of a shape starting at column index x1 that is `width` EMU wide.
EndCell EndColumn(const XlsxDrawingSource& s, std::int64_t x1, std::int64_t width) {
  const std::int64_t u = WidthUnit(s.sizeDigit);
  const std::int64_t n = width / u;
  std::int64_t sum = 0, last = x1 + 1;
  const std::int64_t limit = static_cast<std::int64_t>(s.widthCount);
  for (std::int64_t c = x1 + 1; c < limit; ++c) {
    if (!ColumnCounts(s, c)) continue;
    sum += WidthAt(s, c);
    last = c;
    if (sum >= n) break;
  }
  EndCell e;
  e.index = std::max<std::int64_t>(last - 1, 0);
  e.offset = (WidthAt(s, last) + n - sum) * u + kEndColumnExtra;
  return e;
}

std::int64_t RowEmu(const XlsxDrawingSource& s, std::int64_t r) {
  if (r >= static_cast<std::int64_t>(kRowHeightRows)) return kFarRowEmu;
  std::int64_t h = 18;
  if (s.rowHeights && r >= 0 && static_cast<std::uint64_t>(r) < s.rowCount) h = s.rowHeights[r];
  if (h > kTallRow) h = 10 * h - 900;
  return (h - 1) * kRowStepEmu;
}

// The end row of a shape starting at row index y1 that is `height` EMU high.
EndCell EndRowOf(const XlsxDrawingSource& s, std::int64_t y1, std::int64_t height) {
  std::int64_t r = std::clamp<std::int64_t>(y1, 0, kMaxRowIndex);
  std::int64_t total = 0, before = 0, end = r;
  for (;;) {
    if (r >= static_cast<std::int64_t>(kRowHeightRows)) {
      // Past the recorded heights every row is as high: count them at once.
      const std::int64_t rest = height - total;
      std::int64_t rows = rest <= 0 ? 1 : (rest + kFarRowEmu - 1) / kFarRowEmu;
      rows = std::min<std::int64_t>(rows, kMaxRowIndex - r + 1);
      rows = std::max<std::int64_t>(rows, 1);
      end = r + rows - 1;
      before = total + (rows - 1) * kFarRowEmu;
      break;
    }
    before = total;
    total += RowEmu(s, r);
    end = r;
    if (total >= height || r >= kMaxRowIndex) break;
    ++r;
  }
  EndCell e;
  e.index = end;
  e.offset = height - before;
  return e;
}

void AppendFrom(exportcore::ByteWriter& d, const char* tag, std::int64_t col, std::int64_t colOff, std::int64_t row,
                std::int64_t rowOff) {
  d.AppendFormat("<xdr:%s><xdr:col>%lld</xdr:col><xdr:colOff>%lld</xdr:colOff>", tag,
                 static_cast<long long>(std::max<std::int64_t>(col, 0)), static_cast<long long>(colOff));
  d.AppendFormat("<xdr:row>%lld</xdr:row><xdr:rowOff>%lld</xdr:rowOff></xdr:%s>",
                 static_cast<long long>(std::clamp<std::int64_t>(row, 0, kMaxRowIndex)),
                 static_cast<long long>(rowOff), tag);
}

// --- text ---

// A text box's text from `p`: "\n" becomes CR LF; up to the first control
// byte, at most kTextBytes bytes, a double-byte character never split.
std::string BoxText(const XlsxDrawingSource& s, std::int64_t p) {
  std::string out;
  if (p < 0) return out;
  const auto* t = reinterpret_cast<const unsigned char*>(s.text);
  for (std::size_t i = static_cast<std::size_t>(p); i < s.len;) {
    const unsigned char c = t[i];
    if (c < 0x20) break;
    if (fw::IsSjisLeadByte(c)) {
      if (i + 1 >= s.len || t[i + 1] < 0x40 || out.size() + 2 > kTextBytes) break;
      out.push_back(static_cast<char>(c));
      out.push_back(static_cast<char>(t[i + 1]));
      i += 2;
      continue;
    }
    if (c == '\\' && i + 1 < s.len && t[i + 1] == 'n') {
      if (out.size() + 2 > kTextBytes) break;
      out += "\r\n";
      i += 2;
      continue;
    }
    if (out.size() + 1 > kTextBytes) break;
    out.push_back(static_cast<char>(c));
    ++i;
  }
  return out;
}

// The preset of kinds A and f.
std::string PresetName(const XlsxDrawingSource& s, const XlsxShapeRecord& r) {
  const unsigned char digit = r.rec.c[shapepos::kPreset];
  const auto* t = reinterpret_cast<const unsigned char*>(s.text);
  auto at = [&](std::int64_t i) -> unsigned char {
    return i >= 0 && static_cast<std::uint64_t>(i) < s.len ? t[i] : 0;
  };
  std::string name;
  if (digit >= '0' && digit <= '9') {
    const int line = (digit >= '1' && digit <= '9') ? digit - '1' : 0;
    const int k = static_cast<int>(at(r.textPos + 1)) - '0';
    std::string words = kPresetLines[line];
    words += "   #";
    int word = 0;
    std::size_t i = 0;
    const std::size_t scan = std::min(words.size(), kPresetScan);
    while (i < scan && words[i] != '#') {
      while (i < scan && words[i] == ' ') ++i;
      std::size_t j = i;
      while (j < scan && words[j] != ' ' && words[j] != '#') ++j;
      if (j > i && word == k) {
        name = words.substr(i, j - i);
        break;
      }
      if (j > i) ++word;
      i = j;
    }
    if (name.empty()) name = "rect";  // a word number past the line
  } else {
    for (std::int64_t i = r.textPos; name.size() < kPresetNameBytes && at(i) >= 0x20; ++i)
      name.push_back(static_cast<char>(at(i)));
    if (name.empty()) name = "rect";
  }
  if (r.Kind() == 'f') name = "flowChart" + name;
  return name;
}

// --- objects ---

struct Writer {
  exportcore::ByteWriter& d;
  const XlsxDrawingSource& s;
  int number = 0;        // running number of drawn objects
  int idBase = 0;        // ids the drawing held before
  int picture = kPictureIdBase;

  void Adjusts(const std::string& preset, unsigned char kind, std::int64_t a, std::int64_t cx, std::int64_t cy) {
    const std::string x = XlsxAdjustXml(preset, kind, a, cx, cy);
    d.Append(x.c_str(), x.size());
  }

  void Fill(const XlsxShapeRecord& r, const KindRow& k) {
    const unsigned char kind = r.Kind();
    if (kind == 'p') {
      d.Append("<a:noFill/>");
      return;
    }
    if (kind == 'L') return;
    const bool box = k.text;
    const unsigned char letter = r.rec.c[box ? shapepos::kBoxFill : shapepos::kFill];
    // '!' in the fill place stands for arrow ends: no fill.
    if (letter == '_' || letter == '!' || letter == 0) {
      d.Append("<a:noFill/>");
      return;
    }
    const char* hex = exportcore::XlsxShapeColorHex(static_cast<char>(letter));
    const unsigned char alpha = r.rec.c[box ? shapepos::kBoxAlpha : shapepos::kAlpha];
    if (alpha >= '1' && alpha <= '9')
      d.AppendFormat("<a:solidFill><a:srgbClr val=\"%s\"><a:alpha val=\"%d\"/></a:srgbClr></a:solidFill>", hex,
                     (58 - alpha) * 10000);
    else
      d.AppendFormat("<a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill>", hex);
  }

  void Outline(const XlsxShapeRecord& r) {
    std::string code(8, ' ');
    int i = shapepos::kLineWidth;
    for (; i < shapepos::kLineCodeEnd && r.rec.c[i] > '/'; ++i) code[i - shapepos::kLineWidth] = static_cast<char>(r.rec.c[i]);
    std::string ln = exportcore::XlsxLineXml(code);
    if (i < shapepos::kLineCodeEnd && r.rec.c[i] == '!') {
      ln.resize(ln.size() - 7);  // "</a:ln>"
      const unsigned char ends[2] = {r.rec.c[i + 1], r.rec.c[i + 2]};
      for (int e = 0; e < 2; ++e) {
        unsigned char c = ends[e];
        const char* size = "lg";
        if (c >= 'a' && c <= 'z') {
          c = static_cast<unsigned char>(c - 32);
          size = "med";
        }
        for (const EndRow& row : kEnds) {
          if (static_cast<unsigned char>(row.letter) != c) continue;
          ln += e == 0 ? "<a:headEnd type=\"" : "<a:tailEnd type=\"";
          ln += std::string(row.type) + "\" w=\"" + size + "\" len=\"" + size + "\"/>";
        }
      }
      ln += "</a:ln>";
    }
    d.Append(ln.c_str(), ln.size());
  }

  void TextBody(const XlsxShapeRecord& r, const KindRow& k) {
    const unsigned char* c = r.rec.c;
    d.Append(
        "<xdr:style><a:lnRef idx=\"0\"><a:scrgbClr r=\"0\" g=\"0\" b=\"0\"/></a:lnRef>"
        "<a:fillRef idx=\"0\"><a:scrgbClr r=\"0\" g=\"0\" b=\"0\"/></a:fillRef>"
        "<a:effectRef idx=\"0\"><a:scrgbClr r=\"0\" g=\"0\" b=\"0\"/></a:effectRef>");
    d.AppendFormat("<a:fontRef idx=\"minor\"><a:srgbClr val=\"%s\"/></a:fontRef></xdr:style>",
                   exportcore::XlsxShapeColorHex(static_cast<char>(c[shapepos::kFontColour])));
    const unsigned char g = c[shapepos::kBoxAlign];
    const AlignRow* a = &kOtherAlign;
    for (const AlignRow& row : kAligns)
      if (row.group == (g & 0xFC)) a = &row;
    const unsigned v = g & 3;
    const char* anchor = a == &kOtherAlign ? "t" : v == 3 ? "b" : v == 1 ? "ctr" : "t";
    d.AppendFormat("<xdr:txBody><a:bodyPr vertOverflow=\"%s\" horzOverflow=\"%s\" ", a->overflow, a->overflow);
    if (k.vertical) d.Append("vert=\"wordArtVertRtl\" ");
    d.AppendFormat("wrap=\"%s\" rtlCol=\"0\" anchor=\"%s\"/><a:lstStyle/><a:p><a:pPr algn=\"%s\"/>", a->wrap, anchor,
                   a->algn);
    int size = (3 * static_cast<int>(c[shapepos::kSize]) - 134) / 2;
    if (size < 1 || size > 4000) size = 11;  // the format's range of sizes
    std::string attributes;
    const unsigned flags = static_cast<unsigned char>(c[shapepos::kBoxStyle] - '_') & 0x0F;
    for (const StyleRow& st : kStyles)
      if (flags & st.bit) attributes += st.attribute;
    d.AppendFormat("<a:r><a:rPr kumimoji=\"1\" lang=\"ja-JP\" altLang=\"en-US\" sz=\"%d00\"%s/>", size,
                   attributes.c_str());
    d.Append("<a:t>");
    exportcore::AppendXmlEscaped(d, BoxText(s, r.textPos));
    d.Append("</a:t></a:r></a:p></xdr:txBody>");
  }

  void Object(const XlsxShapeRecord& r, const KindRow& k) {
    ++number;
    const unsigned char kind = r.Kind();
    const std::int64_t u = WidthUnit(s.sizeDigit);
    Decoded x1 = Decode(r.fromCol), y1 = Decode(r.fromRow), x2 = Decode(r.toCol), y2 = Decode(r.toRow);
    bool flipped = false;
    if (y2.value < 0) {
      flipped = true;
      y2.value = -y2.value;
      if (kind == 'L') y1.value -= y2.value;
    }

    // The anchor.
    bool twoCell = false;
    if (x1.value < kAbsoluteFrom && x2.value < kAbsoluteFrom) {
      twoCell = true;
      d.Append("<xdr:twoCellAnchor>");
      AppendFrom(d, "from", x1.value, x1.offset, y1.value, y1.offset);
      AppendFrom(d, "to", x2.value, x2.offset, y2.value, y2.offset);
    } else if (x1.value < kAbsoluteFrom && x1.value >= -1 && x2.value > kAbsoluteFrom) {
      twoCell = true;
      const EndCell ec = EndColumn(s, x1.value, x2.value);
      const EndCell er = EndRowOf(s, y1.value, y2.value);
      d.Append("<xdr:twoCellAnchor>");
      AppendFrom(d, "from", x1.value, x1.offset, y1.value, y1.offset);
      AppendFrom(d, "to", ec.index, ec.offset, er.index, er.offset);
    } else {
      d.Append("<xdr:absoluteAnchor>");
      d.AppendFormat("<xdr:pos x=\"%lld\" y=\"%lld\"/>", static_cast<long long>(x1.value),
                     static_cast<long long>(y1.value));
      d.AppendFormat("<xdr:ext cx=\"%lld\" cy=\"%lld\"/>", static_cast<long long>(std::max<std::int64_t>(x2.value, 0)),
                     static_cast<long long>(std::max<std::int64_t>(y2.value, 0)));
    }

    // 1-3: start element and shape properties.
    const int id = idBase + number + 1;
    if (kind == 'p') {
      d.AppendFormat(
          "<xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"%d\" name=\"%s %d\" descr=\"pict_%d\"/><xdr:cNvPicPr>"
          "<a:picLocks noChangeAspect=\"1\" noChangeArrowheads=\"1\"/></xdr:cNvPicPr></xdr:nvPicPr>",
          id, k.name, number, number);
      ++picture;
      d.AppendFormat(
          "<xdr:blipFill><a:blip xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
          "r:embed=\"rId%d\" cstate=\"print\"/><a:srcRect/><a:stretch><a:fillRect/></a:stretch></xdr:blipFill>",
          picture);
      d.Append("<xdr:spPr bwMode=\"auto\">");
    } else {
      d.AppendFormat(
          "<xdr:sp macro=\"\" textlink=\"\"><xdr:nvSpPr><xdr:cNvPr id=\"%d\" name=\"%s %d\"/><xdr:cNvSpPr/>"
          "</xdr:nvSpPr>",
          id, k.name, number);
      d.Append("<xdr:spPr>");
    }

    // 4: transform.
    std::int64_t degrees = r.rotation / kDegreeScale;
    std::int64_t a = r.rotation % kDegreeScale;
    if (a < 0) {
      a += kDegreeScale;
      --degrees;
    }
    degrees = ((degrees % 360) + 360) % 360;
    if (flipped && kind == 'L')
      d.Append("<a:xfrm flipV=\"1\">");
    else if (degrees != 0)
      d.AppendFormat("<a:xfrm rot=\"%lld0000\">", static_cast<long long>(6 * degrees));
    else
      d.Append("<a:xfrm>");
    std::int64_t cx = x2.value, cy = y2.value;
    if (x2.value < kAbsoluteFrom && y2.value < kAbsoluteFrom) {
      std::int64_t sum = 0;
      for (std::int64_t c = std::max<std::int64_t>(x1.value, 0); c < x2.value; ++c) sum += WidthAt(s, c);
      cx = u * sum;
      cy = kCellHeightEmu * y2.value;
    }
    cx = std::max<std::int64_t>(cx, 0);
    cy = std::max<std::int64_t>(cy, 0);
    d.AppendFormat("<a:off x=\"%lld\" y=\"%lld\"/><a:ext cx=\"%lld\" cy=\"%lld\"/></a:xfrm>",
                   static_cast<long long>(x1.value), static_cast<long long>(y1.value), static_cast<long long>(cx),
                   static_cast<long long>(cy));

    // 5-6: geometry and its adjusts.
    const std::string preset = k.preset ? std::string(k.preset) : PresetName(s, r);
    d.Append("<a:prstGeom prst=\"");
    exportcore::AppendXmlEscaped(d, preset);
    d.Append("\">");
    Adjusts(preset, kind, a, cx, cy);

    // 7-9: fill, line.
    Fill(r, k);
    Outline(r);
    d.Append("</xdr:spPr>");

    // 10: text boxes.
    if (k.text) TextBody(r, k);

    // 11: close.
    d.Append(kind == 'p' ? "</xdr:pic><xdr:clientData/>" : "</xdr:sp><xdr:clientData/>");
    d.Append(twoCell ? "</xdr:twoCellAnchor>" : "</xdr:absoluteAnchor>");
  }
};

// Ids the drawing holds already: one per cNvPr.
int CountIds(const exportcore::ByteWriter& d) {
  int n = 0;
  const std::string_view v(d.Data(), d.Size());
  for (std::size_t p = v.find("<xdr:cNvPr "); p != std::string_view::npos; p = v.find("<xdr:cNvPr ", p + 1)) ++n;
  return n;
}

void AppendHead(exportcore::ByteWriter& d) {
  d.Append("<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n");
  d.Append(
      "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">");
}

}  // namespace

std::string XlsxAdjustXml(const std::string& preset, unsigned char kind, std::int64_t a, std::int64_t cx,
                        std::int64_t cy) {
  if (a == 0) {
    return "<a:avLst/></a:prstGeom>";
  }
  if (preset == "leftBrace" || preset == "rightBrace" || EndsWith(preset, "Arrow") || kind == 'b' ||
      kind == 'c') {
    std::int64_t a1 = a % 1000, a2 = a / 1000;
    if (a1 > 499) a1 -= 1000;
    if (a2 > 500) a2 -= 1000;
    if (StartsWith(preset, "wedge")) {
      a1 *= 5;
      a2 *= 5;
    }
    return Format(
        "<a:avLst><a:gd name=\"adj1\" fmla=\"val %lld\"/><a:gd name=\"adj2\" fmla=\"val %lld\"/></a:avLst>"
        "</a:prstGeom>",
        static_cast<long long>(cx / 1000 * a1), static_cast<long long>(cy / 1000 * a2));
  }
  const bool can = preset == "can", hexagon = preset == "hexagon";
  const bool bracket = preset.find("acket") != std::string::npos;
  if (preset == "triangle" || preset == "parallelogram" || can || hexagon || EndsWith(preset, "acket")) {
    std::int64_t a1 = a >= 1000 ? a % 1000 : a;
    if (a1 > 499) a1 -= 1000;
    std::int64_t v;
    if (can || bracket)
      v = cy / 500 * a1;
    else if (hexagon)
      v = a1 * 500;
    else
      v = cx / 500 * a1;
    if (hexagon)
      return Format(
          "<a:avLst><a:gd name=\"adj\" fmla=\"val %lld\"/><a:gd name=\"vf\" fmla=\"val 115470\"/></a:avLst>"
          "</a:prstGeom>",
          static_cast<long long>(v));
    else
      return Format("<a:avLst><a:gd name=\"adj\" fmla=\"val %lld\"/></a:avLst></a:prstGeom>",
                     static_cast<long long>(v));
  }
  return "<a:avLst/></a:prstGeom>";
}


bool XlsxHasDrawnObjects(const XlsxShapeRecord* shapes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (KindOf(shapes[i].Kind())) return true;
  return false;
}

bool XlsxAppendShapes(exportcore::ByteWriter& drawing, const XlsxDrawingSource& src) {
  if (drawing.Size() == 0) {
    AppendHead(drawing);
  } else {
    const std::string_view v(drawing.Data(), drawing.Size());
    const std::size_t end = v.rfind(kDrawingEnd);
    if (end != std::string_view::npos) drawing.Truncate(end);
  }
  Writer w{drawing, src};
  w.idBase = CountIds(drawing);
  for (std::size_t i = 0; i < src.count; ++i) {
    const XlsxShapeRecord& r = src.shapes[i];
    if (const KindRow* k = KindOf(r.Kind())) w.Object(r, *k);
  }
  drawing.Append(kDrawingEnd);
  return !drawing.Failed();
}

bool XlsxDrawingShapes(XlsxRun& run, const csv::TableFields& t, const std::vector<XlsxShapeRecord>& shapes) {
  if (!XlsxHasDrawnObjects(shapes.data(), shapes.size())) return true;
  XlsxDrawingSource src;
  src.text = t.m_pTextBuf ? reinterpret_cast<const char*>(t.m_pTextBuf) : "";
  src.len = t.m_pTextBuf ? t.m_nTextLen : 0;
  src.shapes = shapes.data();
  src.count = shapes.size();
  src.widths = run.XlsxColumnWidths.data();
  src.widthCount = run.XlsxColumnWidths.size();
  src.columnFormats = run.XlsxColumnFormats.data();
  src.formatCount = run.XlsxColumnFormats.size();
  src.rowHeights = run.XlsxRowHeights.data();
  src.rowCount = run.XlsxRowHeights.size();
  src.sizeDigit = run.sheet.settings.fontSizeDigit;
  return XlsxAppendShapes(run.XlsxDrawingBuffer, src);
}

}  // namespace xlsx
