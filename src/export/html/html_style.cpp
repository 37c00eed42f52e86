#include "export/html/html_style.h"

#include <cstring>
#include <new>

#include "export/colors.h"

namespace htmlexport {
namespace {

constexpr std::size_t kCssWorkBytes = 4000;

// Horizontal groups of position 0 (the code with its two low bits cleared).
struct AlignName {
  unsigned char group;
  const char* name;
};
constexpr AlignName kHorizontal[] = {{'P', "left"}, {'T', "left"}, {'`', "right"}, {'p', "center"}, {'t', "center"}};
constexpr const char* kVertical[4] = {nullptr, "middle", "top", "bottom"};

// Font families 1 to 4 of bits 4-6 of the style flags.
constexpr const char* kFamilies[] = {
    nullptr,
    "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E",          // ＭＳ ゴシック
    "\x82\x6C\x82\x72 \x96\xBE\x92\xA9",                          // ＭＳ 明朝
    "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",  // ＭＳ Ｐゴシック
    "\x82\x6C\x82\x72 \x82\x6F\x96\xBE\x92\xA9",                  // ＭＳ Ｐ明朝
};

// Border widths of codes '1' and '2'.
const char* BorderWidth(char code) {
  if (code == '1') return ".5pt solid ";
  if (code == '2') return "1.5pt solid ";
  return nullptr;
}

unsigned char AlignCode(unsigned char code) { return code == '_' || code == 0 ? '@' : code; }

void Border(exportcore::ByteWriter& out, const char* name, char width, char colour) {
  const char* w = BorderWidth(width);
  if (!w) return;
  const char* hex = HtmlColourHex(colour);
  out.Append(name);
  out.Append(w);
  if (hex) {
    out.AppendByte('#');
    out.Append(hex);
  } else {
    out.Append("windowtext");
  }
  out.Append(";\r\n");
}

}  // namespace

const char* HtmlHorizontalAlign(unsigned char code) {
  const unsigned char group = AlignCode(code) & 0xFC;
  for (const AlignName& a : kHorizontal)
    if (a.group == group) return a.name;
  return nullptr;
}

const char* HtmlVerticalAlign(unsigned char code) { return kVertical[AlignCode(code) & 3]; }

const char* HtmlFontFamily(unsigned char flags) {
  const unsigned family = (flags >> 4) & 7;
  return family >= 1 && family <= 4 ? kFamilies[family] : nullptr;
}

const char* HtmlColourHex(char letter) {
  const char* hex = exportcore::XlsxShapeColorHex(letter);
  return std::strcmp(hex, "000000") == 0 ? nullptr : hex;
}

int HtmlSizeTenths(unsigned char digit) { return (static_cast<int>(digit) - 45) * 15; }

int HtmlHeightPoints(unsigned char code) { return code > '@' && code != '_' ? code - '@' : 0; }

void AppendStyleDeclarations(const char* code, exportcore::ByteWriter& out) {
  const unsigned char* c = reinterpret_cast<const unsigned char*>(code);
  if (const char* h = HtmlHorizontalAlign(c[0])) out.AppendFormat("text-align:%s;\r\n", h);
  if (const char* v = HtmlVerticalAlign(c[0])) out.AppendFormat("vertical-align:%s;\r\n", v);
  if (const char* hex = HtmlColourHex(static_cast<char>(c[5]))) out.AppendFormat("color:#%s;\r\n", hex);
  if (const char* hex = HtmlColourHex(static_cast<char>(c[6]))) out.AppendFormat("background-color:#%s;\r\n", hex);
  const unsigned char size = c[8] == 0 ? '4' : c[8];
  if (size >= '1' && size <= '9') {
    const int tenths = HtmlSizeTenths(size);
    out.AppendFormat("font-size:%d.%dpt;\r\n", tenths / 10, tenths % 10);
  }
  if (const int h = HtmlHeightPoints(c[20])) out.AppendFormat("height:%dpt;\r\n", h);
  if (const char* family = HtmlFontFamily(c[7])) out.AppendFormat("font-family:\"%s\", monospace; \r\n", family);
  Border(out, "border-left:", code[2], code[12]);
  Border(out, "border-right:", code[3], code[13]);
  Border(out, "border-top:", code[10], code[14]);
  Border(out, "border-bottom:", code[11], code[15]);
  out.Append("}\r\n");
}

std::string StyleCodeToCss(const char* code) {
  exportcore::ByteWriter work;
  if (!work.Reserve(kCssWorkBytes)) throw std::bad_alloc();
  AppendStyleDeclarations(code, work);
  if (work.Failed()) throw std::bad_alloc();
  return std::string(work.Data(), work.Size());
}

}  // namespace htmlexport
