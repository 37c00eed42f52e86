#include "export/xlsx/xlsx_styles.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "export/byte_writer.h"
#include "export/colors.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_run.h"

namespace xlsx {

namespace {

// numFmtId by number-format code: without and with thousands grouping.
struct NumberFormatEntry {
  char code;
  int plain;
  int grouped;
};
constexpr NumberFormatEntry kNumberFormatIds[] = {
    {'g', 0, 0},     {'i', 179, 180}, {'1', 181, 191}, {'2', 182, 192}, {'3', 183, 193}, {'4', 184, 194},
    {'5', 185, 195}, {'6', 186, 196}, {'c', 190, 190}, {'d', 188, 188}, {'m', 189, 189}, {'s', 49, 49},
    {'v', 49, 49},
};

// The alignment element of an xf entry by alignment code ('@' writes none).
struct AlignmentElement {
  char code;
  const char* element;
};
constexpr AlignmentElement kAlignments[] = {
    {'P', "<alignment horizontal=\"left\"/>"},
    {'Q', "<alignment horizontal=\"left\" vertical=\"center\"/>"},
    {'R', "<alignment horizontal=\"left\" vertical=\"top\"/>"},
    {'S', "<alignment horizontal=\"left\" vertical=\"bottom\"/>"},
    {'`', "<alignment horizontal=\"right\"/>"},
    {'f', "<alignment horizontal=\"right\"/>"},
    {'a', "<alignment horizontal=\"right\" vertical=\"center\"/>"},
    {'g', "<alignment horizontal=\"right\" vertical=\"center\"/>"},
    {'b', "<alignment horizontal=\"right\" vertical=\"top\"/>"},
    {'c', "<alignment horizontal=\"right\" vertical=\"bottom\"/>"},
    {'p', "<alignment horizontal=\"center\"/>"},
    {'q', "<alignment horizontal=\"center\" vertical=\"center\"/>"},
    {'r', "<alignment horizontal=\"center\" vertical=\"top\"/>"},
    {'s', "<alignment horizontal=\"center\" vertical=\"bottom\"/>"},
    {'A', "<alignment vertical=\"center\"/>"},
    {'B', "<alignment vertical=\"top\"/>"},
    {'C', "<alignment vertical=\"bottom\"/>"},
    {'T', "<alignment horizontal=\"left\" wrapText=\"1\"/>"},
    {'U', "<alignment horizontal=\"left\" vertical=\"center\" wrapText=\"1\"/>"},
    {'V', "<alignment horizontal=\"left\" vertical=\"top\" wrapText=\"1\"/>"},
    {'W', "<alignment horizontal=\"left\" vertical=\"bottom\" wrapText=\"1\"/>"},
    {'t', "<alignment horizontal=\"center\" wrapText=\"1\"/>"},
    {'u', "<alignment horizontal=\"center\" vertical=\"center\" wrapText=\"1\"/>"},
    {'v', "<alignment horizontal=\"center\" vertical=\"top\" wrapText=\"1\"/>"},
    {'w', "<alignment horizontal=\"center\" vertical=\"bottom\" wrapText=\"1\"/>"},
};

// The number formats every style sheet defines (id 187 is not one of them).
constexpr const char* kNumberFormats[] = {
    "<numFmt numFmtId=\"41\" formatCode=\"_ * #,##0_ ;_ * \\-#,##0_ ;_ * &quot;-&quot;_ ;_ @_ \"/>",
    "<numFmt numFmtId=\"179\" formatCode=\"0 \"/>",
    "<numFmt numFmtId=\"180\" formatCode=\"#,##0_ \"/>",
    "<numFmt numFmtId=\"181\" formatCode=\"###0.0_ \"/>",
    "<numFmt numFmtId=\"182\" formatCode=\"###0.00_ \"/>",
    "<numFmt numFmtId=\"183\" formatCode=\"###0.000_ \"/>",
    "<numFmt numFmtId=\"184\" formatCode=\"###0.0000_ \"/>",
    "<numFmt numFmtId=\"185\" formatCode=\"###0.00000_ \"/>",
    "<numFmt numFmtId=\"186\" formatCode=\"###0.000000_ \"/>",
    "<numFmt numFmtId=\"188\" formatCode=\"$#,##0_ ;$-#,##0_ \"/>",
    "<numFmt numFmtId=\"189\" formatCode=\"&quot;\\&quot;#,##0_ ;&quot;\\&quot;-#,##0_ \"/>",
    "<numFmt numFmtId=\"190\" formatCode=\"#,##0.######_ \"/>",
    "<numFmt numFmtId=\"191\" formatCode=\"#,##0.0_ \"/>",
    "<numFmt numFmtId=\"192\" formatCode=\"#,##0.00_ \"/>",
    "<numFmt numFmtId=\"193\" formatCode=\"#,##0.000_ \"/>",
    "<numFmt numFmtId=\"194\" formatCode=\"#,##0.0000_ \"/>",
    "<numFmt numFmtId=\"195\" formatCode=\"#,##0.00000_ \"/>",
    "<numFmt numFmtId=\"196\" formatCode=\"#,##0.000000_ \"/>",
};

// Colours of the solid fills 2 to 14 (fills 0 and 1 are "none" and "gray125").
constexpr const char* kSolidFills[] = {"C0FFC0", "C0C0FF", "C0A0A0", "FFFFC0", "FFE0C0", "C0FFFF", "FFC0FF",
                                       "C0A0FF", "C0C0C0", "101010", "FFC0C0", "FFFFFF", "FFFFFF"};

// Font faces by face number 1-4; other numbers name no face.
constexpr const char* kFontFaces[] = {"ＭＳ ゴシック", "ＭＳ 明朝", "ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝"};

// Border side style by code '1'-'5'.
constexpr const char* kBorderStyles[] = {"thin", "medium", "dashed", "double", "thick"};

const char* const kSideNames[] = {"left", "right", "top", "bottom"};

using FontKey = std::array<char, 3>;    // colour letter, flag byte, size digit
using BorderKey = std::array<char, 8>;  // styles left right top bottom, colours alike

int NumberFormatId(char code, bool grouped) {
  for (const NumberFormatEntry& f : kNumberFormatIds)
    if (f.code == code) return grouped ? f.grouped : f.plain;
  return 0;
}

const char* AlignmentFor(char code) {
  for (const AlignmentElement& a : kAlignments)
    if (a.code == code) return a.element;
  return nullptr;
}

// Index of `key` in `list`, appended when new; first equal entry wins.
template <typename Key>
int Intern(std::vector<Key>& list, std::map<Key, int>& index, const Key& key) {
  auto it = index.find(key);
  if (it != index.end()) return it->second;
  const int id = static_cast<int>(list.size());
  list.push_back(key);
  index.emplace(key, id);
  return id;
}

void WriteFont(exportcore::ByteWriter& out, const FontKey& f) {
  const unsigned flags = static_cast<unsigned char>(f[1]);
  out.Append("<font>");
  int face = 0;
  if (flags != 0) {
    if (flags & 0x01) out.Append("<b/>");
    if (flags & 0x02) out.Append("<u/>");
    if (flags & 0x04) out.Append("<i/>");
    if (flags & 0x08) out.Append("<strike/>");
    face = (flags >> 4) & 0x07;
  }
  const int digit = (f[2] >= '0' && f[2] <= '9') ? f[2] - '0' : 4;
  out.AppendFormat("<sz val=\"%d\"/>", (3 * digit + 10) / 2);
  out.AppendFormat("<color rgb=\"FF%s\"/>", exportcore::XlsxShapeColorHex(f[0]));
  if (face >= 1 && face <= 4) out.AppendFormat("<name val=\"%s\"/>", kFontFaces[face - 1]);
  out.Append(face == 0 ? "<family val=\"3\"/>" : "<family val=\"1\"/>");
  out.Append("<charset val=\"128\"/></font>");
}

void WriteBorder(exportcore::ByteWriter& out, const BorderKey& b) {
  out.Append("<border>");
  for (int side = 0; side < 4; ++side) {
    const char style = b[side];
    const char colour = b[4 + side];
    if (style == '_') {
      out.AppendFormat("<%s/>", kSideNames[side]);
    } else if (style >= '1' && style <= '5') {
      out.AppendFormat("<%s style=\"%s\"", kSideNames[side], kBorderStyles[style - '1']);
      if (colour >= 'A' && colour <= 'Y')
        out.AppendFormat("><color rgb=\"%s\"/></%s>", exportcore::XlsxShapeColorHex(colour), kSideNames[side]);
      else
        out.Append("/>");
    }
  }
  out.Append("</border>");
}

}  // namespace

bool BuildStylesPart(const std::array<char, 16>* records, int count, exportcore::ByteWriter& out) {
  if (count < 1 || !records) {  // the default record always exists
    count = 1;
    records = nullptr;
  }
  exportcore::ByteWriter tail;
  if (!tail.Reserve(static_cast<std::uint64_t>(count) * 1000u + 9000u)) return false;
  tail.Append(
      "<cellStyleXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" borderId=\"0\">"
      "<alignment vertical=\"center\"/></xf><xf numFmtId=\"0\" fontId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs>");
  tail.AppendFormat("<cellXfs count=\"%d\">", count);

  std::vector<FontKey> fonts{FontKey{'_', 0, '_'}};
  std::map<FontKey, int> fontIndex{{fonts[0], 0}};
  std::vector<BorderKey> borders{BorderKey{'_', '_', '_', '_', '_', '_', '_', '_'}};
  std::map<BorderKey, int> borderIndex{{borders[0], 0}};

  static const std::array<char, 16> kDefault = {'@', '_', '_', '_', '_', '_', '_', 0,
                                                '_', '_', '_', '_', '_', '_', '_', '_'};
  for (int i = 0; i < count && !tail.Failed(); ++i) {
    const char* r = (records ? records[i] : kDefault).data();
    const unsigned char numberCode = static_cast<unsigned char>(r[1]);
    const bool grouped = (numberCode & 0x80) != 0;
    const char number = static_cast<char>(numberCode & 0x7F);
    tail.AppendFormat("<xf numFmtId=\"%d\" ", NumberFormatId(number, grouped));
    tail.AppendFormat("fontId=\"%d\" ", Intern(fonts, fontIndex, FontKey{r[5], r[7], r[8]}));
    tail.AppendFormat("fillId=\"%d\" ", r[6] == '_' ? 0 : exportcore::XlsxShapeColorIndex(r[6]));
    tail.AppendFormat("borderId=\"%d\" xfId=\"1\">",
                      Intern(borders, borderIndex, BorderKey{r[2], r[3], r[10], r[11], r[12], r[13], r[14], r[15]}));
    char align = r[0];
    if ((number == 'i' || number == 'f') && align == '@') align = '`';
    const char* element = AlignmentFor(align);
    if (element) tail.Append(element);
    if (r[4] == 'u') {
      tail.Append("<protection locked=\"0\"/></xf>");
    } else if (!element && align != '@') {
      tail.Truncate(tail.Size() - 1);  // the start tag's '>' becomes "/>"
      tail.Append("/>");
    } else {
      tail.Append("</xf>");
    }
  }
  tail.Append(
      "</cellXfs><cellStyles count=\"2\"><cellStyle name=\"標準\" xfId=\"0\" builtinId=\"0\"/>"
      "<cellStyle name=\"標準 2\" xfId=\"1\"/></cellStyles><dxfs count=\"0\"/>"
      "<tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" defaultPivotStyle=\"PivotStyleLight16\"/>"
      "</styleSheet>");
  if (tail.Failed()) return false;

  out.Clear();
  if (!out.Reserve(30000u + tail.Size())) return false;
  out.Append("<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n");
  out.Append(
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
      "mc:Ignorable=\"x14ac\" xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">");
  out.AppendFormat("<numFmts count=\"%d\">", static_cast<int>(sizeof kNumberFormats / sizeof kNumberFormats[0]));
  for (const char* f : kNumberFormats) out.Append(f);
  out.Append("</numFmts>");
  out.AppendFormat("<fonts count=\"%d\">", static_cast<int>(fonts.size()));
  for (const FontKey& f : fonts) WriteFont(out, f);
  out.Append("</fonts>");
  out.AppendFormat("<fills count=\"%d\">", static_cast<int>(2 + sizeof kSolidFills / sizeof kSolidFills[0]));
  out.Append("<fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill>");
  for (const char* rgb : kSolidFills)
    out.AppendFormat("<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF%s\"/></patternFill></fill>", rgb);
  out.Append("</fills>");
  out.AppendFormat("<borders count=\"%d\">", static_cast<int>(borders.size()));
  out.Append("<border><left/><right/><top/><bottom/></border>");
  for (std::size_t i = 1; i < borders.size(); ++i) WriteBorder(out, borders[i]);
  out.Append("</borders>");
  out.Append(tail.Data(), tail.Size());
  return !out.Failed();
}

int XlsxWriteStyles(XlsxRun& run, exportcore::PartSink& sink) {
  exportcore::ByteWriter& buffer = run.XlsxWorkBuffer;
  const XlsxStyleSlots& table = run.XlsxCellStyleTable;
  if (!BuildStylesPart(&table.Record(0), table.Count(), buffer)) return -1;
  sink.WritePart("xl/styles.xml", buffer);
  buffer.Clear();
  return 0;
}

}  // namespace xlsx
