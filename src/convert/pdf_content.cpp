// The content walk of the PDF reader: the operators of one page's content
// in order, with their operands gathered before them. It keeps the text
// state (matrices, font, spacing, the overprint state and the pull-back
// count) and hands every shown string to the placing (pdf_place.cpp).
//
// Numbers saturate at +-10^9 of their unit and matrix products are formed in
// 64 bits, so no operand of the file overflows the state.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/pdf_converter.h"
#include "convert/pdf_scan.h"

namespace convert {
namespace {

constexpr std::int64_t kLimit = 1000000000;   // saturation of every state value
constexpr int kOperandsKept = 12;              // operands kept before an operator
constexpr std::int32_t kInlineImageMax = 19999;  // bytes of an inline image skipped at most
constexpr std::int32_t kFormDepth = 8;         // forms drawn inside forms
constexpr std::int64_t kIdentityMark = 999900;  // "9999" as the second and third operand: identity
constexpr std::int64_t kLineStep = 700;        // T* without a leading: one grid line down

std::int64_t Clamp(std::int64_t v) { return v > kLimit ? kLimit : v < -kLimit ? -kLimit : v; }

struct Operand {
  enum Kind { kNumber, kName, kString, kHex, kArray, kOther } kind = kOther;
  std::int32_t pos = 0, end = 0;
  std::int64_t value = 0;    // hundredths
  std::int64_t precise = 0;  // ten-thousandths
};

// A number at pos: hundredths and ten-thousandths, the first dropped digit
// rounding half up, saturated. The position after it.
std::int32_t Number(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int64_t* hundredths,
                    std::int64_t* precise) {
  bool negative = false;
  if (pos < end && (buf[pos] == '-' || buf[pos] == '+')) negative = buf[pos++] == '-';
  std::int64_t whole = 0, frac = 0;
  int fracDigits = 0;
  bool point = false;
  while (pos < end) {
    const std::uint8_t c = buf[pos];
    if (c >= '0' && c <= '9') {
      if (!point) {
        if (whole < kLimit) whole = whole * 10 + (c - '0');
      } else if (fracDigits < 5) {
        frac = frac * 10 + (c - '0');
        ++fracDigits;
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++pos;
  }
  while (fracDigits < 5) {
    frac *= 10;
    ++fracDigits;
  }
  // frac holds five decimals: round to two and to four.
  std::int64_t h = whole * 100 + (frac / 1000) + ((frac / 100) % 10 >= 5 ? 1 : 0);
  std::int64_t p = whole * 10000 + (frac / 10) + (frac % 10 >= 5 ? 1 : 0);
  h = std::min(h, kLimit);
  p = std::min(p, kLimit);
  *hundredths = negative ? -h : h;
  *precise = negative ? -p : p;
  return pos;
}

// a x b for matrices of six values in hundredths (translations in
// hundredths of a point).
void Multiply(const std::int64_t* a, const std::int64_t* b, std::int64_t* out) {
  std::int64_t r[6];
  r[0] = Clamp((a[0] * b[0] + a[1] * b[2]) / 100);
  r[1] = Clamp((a[0] * b[1] + a[1] * b[3]) / 100);
  r[2] = Clamp((a[2] * b[0] + a[3] * b[2]) / 100);
  r[3] = Clamp((a[2] * b[1] + a[3] * b[3]) / 100);
  r[4] = Clamp((a[4] * b[0] + a[5] * b[2]) / 100 + b[4]);
  r[5] = Clamp((a[4] * b[1] + a[5] * b[3]) / 100 + b[5]);
  std::memcpy(out, r, sizeof r);
}

void Identity(std::int64_t* m) {
  const std::int64_t id[6] = {100, 0, 0, 100, 0, 0};
  std::memcpy(m, id, sizeof id);
}

bool OperatorIs(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, const char* name) {
  const std::size_t n = std::strlen(name);
  return static_cast<std::size_t>(end - pos) == n && std::memcmp(buf + pos, name, n) == 0;
}

}  // namespace

void PdfConverter::WalkContent(const std::uint8_t* buf, std::int32_t length, TextState& ts, std::int32_t depth) {
  Operand ops[kOperandsKept];
  int count = 0;
  std::int64_t leading = 0;
  std::int64_t tlm[6] = {100, 0, 0, 100, 0, 0};  // the text line matrix
  std::vector<std::uint8_t> bytes;
  auto push = [&](const Operand& o) {
    if (count == kOperandsKept) {
      std::memmove(ops, ops + 1, sizeof(Operand) * (kOperandsKept - 1));
      --count;
    }
    ops[count++] = o;
  };
  auto number = [&](int i) -> const Operand* {
    // The i-th of the last `want` operands, when it is a number.
    return (i >= 0 && i < count && ops[i].kind == Operand::kNumber) ? &ops[i] : nullptr;
  };
  // The last n operands as numbers (hundredths); false when fewer.
  auto numbers = [&](int n, std::int64_t* out, std::int64_t* precise) {
    if (count < n) return false;
    for (int i = 0; i < n; ++i) {
      const Operand* o = number(count - n + i);
      if (!o) return false;
      out[i] = o->value;
      if (precise) precise[i] = o->precise;
    }
    return true;
  };
  // A new text position: the overprint state cleared, the same-position
  // rule applied, the position remembered.
  auto moved = [&]() {
    std::int64_t x = 0, y = 0;
    DevicePosition(ts, &x, &y);
    const std::int64_t adv = (static_cast<std::int64_t>(ts.width) + ts.charSpace) * 100 / AdvanceDivisor();
    const std::int64_t near = std::min<std::int64_t>(adv / 3, 150);
    const std::int64_t dx = x - ts.prevX, dy = y - ts.prevY;
    if (ts.prevX >= 0 && std::llabs(dx) < near && std::llabs(dy) < near && dx != 0) {
      ts.placeFromPos = false;  // goes on in the same grid column
    } else {
      ts.placeFromPos = true;
    }
    ts.prevX = x;
    ts.prevY = y;
  };

  std::int32_t pos = 0;
  while (pos < length) {
    if (m_bStopWalk) return;
    const std::uint8_t c = buf[pos];
    if (pdfscan::IsWhite(c)) {
      ++pos;
      continue;
    }
    if (c == '%') {
      pos = pdfscan::SkipWhite(buf, pos, length);
      continue;
    }
    Operand o;
    o.pos = pos;
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
      o.kind = Operand::kNumber;
      o.end = Number(buf, pos, length, &o.value, &o.precise);
      if (o.end == pos) o.end = pos + 1;
      pos = o.end;
      push(o);
      continue;
    }
    if (c == '/') {
      o.kind = Operand::kName;
      o.end = pdfscan::SkipName(buf, pos, length);
      pos = o.end;
      push(o);
      continue;
    }
    if (c == '(') {
      o.kind = Operand::kString;
      o.end = pdfscan::SkipValue(buf, pos, length);
      pos = o.end;
      push(o);
      continue;
    }
    if (c == '<') {
      o.kind = (pos + 1 < length && buf[pos + 1] == '<') ? Operand::kOther : Operand::kHex;
      o.end = pdfscan::SkipValue(buf, pos, length);
      pos = o.end;
      push(o);
      continue;
    }
    if (c == '[') {
      o.kind = Operand::kArray;
      o.end = pdfscan::SkipValue(buf, pos, length);
      pos = o.end;
      push(o);
      continue;
    }
    if (!pdfscan::IsRegular(c)) {
      ++pos;
      continue;
    }
    // An operator.
    std::int32_t end = pos;
    while (end < length && pdfscan::IsRegular(buf[end])) ++end;
    const std::int32_t opPos = pos;
    pos = end;
    auto is = [&](const char* name) { return OperatorIs(buf, opPos, end, name); };

    if (is("q")) {
      const int level = std::min(m_nGraphicsLevel, kPdfGraphicsLevels - 1);
      for (int i = 0; i < 6; ++i) m_aGraphics[level].matrix[i] = static_cast<std::int32_t>(ts.ctm[i]);
      m_aGraphics[level].fontFlags = ts.fontFlags;
      m_aGraphics[level].fontKind = ts.fontKind;
      if (m_nGraphicsLevel < kPdfGraphicsLevels) ++m_nGraphicsLevel;
    } else if (is("Q")) {
      if (m_nGraphicsLevel > 0) --m_nGraphicsLevel;
      const int level = std::min(m_nGraphicsLevel, kPdfGraphicsLevels - 1);
      for (int i = 0; i < 6; ++i) ts.ctm[i] = m_aGraphics[level].matrix[i];
      ts.fontFlags = m_aGraphics[level].fontFlags;
      ts.fontKind = m_aGraphics[level].fontKind;
    } else if (is("BT")) {
      Identity(ts.tm);
      Identity(tlm);
      ts.advance = 0;
      ts.charSpace = 0;
      ts.placeFromPos = true;
    } else if (is("ET")) {
      Identity(ts.tm);
      Identity(tlm);
      ts.advance = 0;
    } else if (is("cm") || is("Tm")) {
      std::int64_t m[6];
      if (numbers(6, m, nullptr)) {
        if (m[1] == kIdentityMark && m[2] == kIdentityMark) Identity(m);
        if (is("cm")) {
          Multiply(m, ts.ctm, ts.ctm);
        } else {
          std::memcpy(ts.tm, m, sizeof m);
          std::memcpy(tlm, m, sizeof m);
          ts.advance = 0;
          ts.overprint = false;
          ts.shownSinceMove = 0;
          ts.pullBack = 0;
          moved();
        }
      }
    } else if (is("Td") || is("TD")) {
      std::int64_t t[2], p[2];
      if (numbers(2, t, p)) {
        const std::int64_t move[6] = {100, 0, 0, 100, t[0], t[1]};
        Multiply(move, tlm, tlm);
        std::memcpy(ts.tm, tlm, sizeof tlm);
        if (is("TD")) leading = -t[1];
        ts.advance = 0;
        // The overprint state: a small move that draws the same text again.
        ts.overprint = false;
        const std::int64_t f = 25 * static_cast<std::int64_t>(ts.width);
        if (p[0] > -f && p[0] < f && p[1] > -f && p[1] < f && (p[0] != 0 || p[1] != 0) &&
            (std::llabs(p[0] - p[1]) < 20 || std::llabs(p[0] + p[1]) < 20 || p[1] == 0))
          ts.overprint = true;
        PullBackAfterMove(p[0], p[1], ts);
        if (m_words.docEditMode == 2) ListTd(buf, length, end, ts);
        moved();
      }
    } else if (is("T*") || is("'") || is("\"")) {
      const std::int64_t step = leading > 0 ? leading : kLineStep;
      const std::int64_t move[6] = {100, 0, 0, 100, ts.vertical ? 1000 : 0, ts.vertical ? 0 : -step};
      Multiply(move, tlm, tlm);
      std::memcpy(ts.tm, tlm, sizeof tlm);
      ts.advance = 0;
      ts.overprint = false;
      ts.shownSinceMove = 0;
      ts.pullBack = 0;
      if (m_words.docEditMode == 2 && is("T*")) ListTStar(buf, opPos, ts);
      moved();
      if (!is("T*") && count > 0 && (ops[count - 1].kind == Operand::kString || ops[count - 1].kind == Operand::kHex)) {
        if (is("\"") && count >= 3) {
          if (const Operand* tw = number(count - 3)) SetWordSpace(tw->value, ts);
          if (const Operand* tc = number(count - 2)) SetCharSpace(tc->value, ts);
        }
        const Operand& s = ops[count - 1];
        bytes.clear();
        if (s.kind == Operand::kString)
          pdfscan::LiteralString(buf, s.pos, s.end, &bytes);
        else
          pdfscan::HexString(buf, s.pos, s.end, &bytes);
        ShowString(bytes.data(), static_cast<std::int32_t>(bytes.size()), s.kind == Operand::kHex, ts);
      }
    } else if (is("TL")) {
      if (const Operand* o2 = number(count - 1)) leading = o2->value;
    } else if (is("Tc")) {
      if (const Operand* o2 = number(count - 1)) SetCharSpace(o2->value, ts);
    } else if (is("Tw")) {
      if (const Operand* o2 = number(count - 1)) SetWordSpace(o2->value, ts);
    } else if (is("Tf")) {
      if (count >= 2 && ops[count - 2].kind == Operand::kName) {
        SelectFont(buf, length, ops[count - 2].pos, ts);
        if (const Operand* size = number(count - 1)) {
          if (size->value > 30) {
            std::int64_t s = size->value / 2;
            if (s > 700) s /= 2;
            ts.width = static_cast<std::int32_t>(std::min<std::int64_t>(s, kLimit));
          }
        }
      }
    } else if (is("Tj")) {
      if (count > 0 && (ops[count - 1].kind == Operand::kString || ops[count - 1].kind == Operand::kHex)) {
        const Operand& s = ops[count - 1];
        bytes.clear();
        if (s.kind == Operand::kString)
          pdfscan::LiteralString(buf, s.pos, s.end, &bytes);
        else
          pdfscan::HexString(buf, s.pos, s.end, &bytes);
        ShowString(bytes.data(), static_cast<std::int32_t>(bytes.size()), s.kind == Operand::kHex, ts);
      }
    } else if (is("TJ")) {
      if (count > 0 && ops[count - 1].kind == Operand::kArray) ShowArray(buf, ops[count - 1].pos, ops[count - 1].end, ts);
    } else if (is("Do")) {
      if (count > 0 && ops[count - 1].kind == Operand::kName) DrawObject(buf, length, ops[count - 1].pos, ts, depth);
    } else if (is("ID")) {
      // An inline image: its bytes up to "EI" and white space, at most
      // 19,999 of them.
      std::int32_t i = pos + 1;
      const std::int32_t stop = static_cast<std::int32_t>(std::min<std::int64_t>(length, std::int64_t{pos} + 1 + kInlineImageMax));
      while (i < stop) {
        if (buf[i] == 'E' && i + 1 < length && buf[i + 1] == 'I' && pdfscan::IsWhite(buf[i - 1]) &&
            (i + 2 >= length || pdfscan::IsWhite(buf[i + 2])))
          break;
        ++i;
      }
      pos = i < stop ? i + 2 : stop;
    }
    count = 0;
  }
}

std::int32_t PdfConverter::AdvanceDivisor() const {
  const std::int32_t w = m_words.widthAdjust;
  if (w < 2) return 200;
  if (w < 5) return 400 / w;
  return 100;
}

void PdfConverter::SetCharSpace(std::int64_t value, TextState& ts) {
  std::int64_t c = Clamp(value) / 2;
  if (!ts.vertical && c < -80) c = -80;
  ts.charSpace = static_cast<std::int32_t>(c);
}

void PdfConverter::SetWordSpace(std::int64_t value, TextState& ts) {
  // W: the operand in hundredths times the text matrix's horizontal scale;
  // an operand of exactly 1.00 leaves it as it is.
  if (value == 100) return;
  ts.wordSpace = static_cast<std::int32_t>(Clamp(Clamp(value) * ts.tm[0]));
}

void PdfConverter::PullBackAfterMove(std::int64_t tx, std::int64_t ty, TextState& ts) {
  // tx, ty in ten-thousandths; h the text matrix's horizontal scale.
  const std::int64_t h = ts.tm[0];
  const std::int64_t dx = Clamp(h * tx / 100);
  if (h > 200 && ts.shownSinceMove > 0 && tx > 1000 && ts.tm[4] > 1000 &&
      (m_words.docEditMode == 0 || m_words.docEditMode == 8)) {
    const std::int64_t k = ((dx / m_words.tdAdjust) / (m_words.widthAdjust + 2)) / 100;
    const std::int64_t n = ts.shownSinceMove;
    if (k > 1 && n * h / 600 > k) {
      std::int64_t grow = ((h * k) >> 15) + ((h * k) >> 14) - n + k;
      grow = grow / 2 * 2;
      if (grow > 0) ts.pullBack = static_cast<std::int32_t>(std::min<std::int64_t>(ts.pullBack + grow, 500));
    }
  }
  ts.shownSinceMove = 0;
  if (ty < -1400 || ty > 1400) ts.pullBack = 0;
}

void PdfConverter::ShowArray(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, TextState& ts) {
  std::vector<std::uint8_t> bytes;
  bool afterString = false;
  std::int32_t p = pos + 1;
  while (p < end) {
    const std::uint8_t c = buf[p];
    if (c == ']') break;
    if (pdfscan::IsWhite(c)) {
      ++p;
      continue;
    }
    if (c == '(' || c == '<') {
      bytes.clear();
      const bool hex = c == '<';
      p = hex ? pdfscan::HexString(buf, p, end, &bytes) : pdfscan::LiteralString(buf, p, end, &bytes);
      ShowString(bytes.data(), static_cast<std::int32_t>(bytes.size()), hex, ts);
      ts.afterHex = hex;
      afterString = true;
      continue;
    }
    if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == '+') {
      std::int64_t v = 0, precise = 0;
      const std::int32_t after = Number(buf, p, end, &v, &precise);
      if (afterString) TjNumber(v, buf[std::max(after - 2, pos)] == ' ', ts);
      p = after > p ? after : p + 1;
      continue;
    }
    p = pdfscan::SkipValue(buf, p, end);
  }
}

void PdfConverter::TjNumber(std::int64_t v, bool blankBefore, TextState& ts) {
  // v: the array's number in hundredths of its thousandths, V = 100 x v.
  if (m_nGridCol >= kPdfGridColumns || m_nGridLine >= m_words.tblMax - 3) return;
  if (ts.afterHex && v > 50000) v = 99;
  if (ts.wordSpace > 1000 && (v > 1000 || v < -1000) && blankBefore) v -= ts.wordSpace;
  ts.advance = Clamp(ts.advance - v / 100);
  if (ts.overprint) return;
  if (ts.charSpace > 40) {
    std::int64_t col = m_nGridCol - (v >> 10) / 40;
    col = std::max<std::int64_t>(0, std::min<std::int64_t>(col, 500));
    m_nGridCol = static_cast<std::int32_t>(col);
  }
  if (v < -25000) {
    // A word gap: blank cells, one per 530 thousandths. The cells are left
    // as they are (empty unless other text lies there, which stays).
    std::int64_t cells = (-v + 52999) / 53000;
    while (cells-- > 0 && m_nGridCol < 510) ++m_nGridCol;
  }
}

void PdfConverter::SelectFont(const std::uint8_t* buf, std::int32_t length, std::int32_t namePos, TextState& ts) {
  const std::int32_t obj = ResourceObject(buf, length, namePos);
  ts.fontObj = obj;
  ts.fontFlags = (obj > 0 && obj < kPdfObjects) ? m_anObjFlags[static_cast<std::size_t>(obj)] : 0;
  const std::uint16_t f = ts.fontFlags;
  ts.vertical = (f & 3) == 1;
  std::int32_t kind = 0;
  if (f & kPdfFlagType1ToUni) kind |= 4;
  if (f & kPdfFlagUniJis) {
    kind = 9;
  } else if (obj > 0 && obj < kPdfObjects && m_anFontRef[static_cast<std::size_t>(obj)] != 0) {
    const std::int32_t map = m_anFontRef[static_cast<std::size_t>(obj)];
    const bool simple = (f & kPdfFlagSimple) == kPdfFlagSimple;
    if (!simple) kind |= 1;
    // The code table is loaded again only for another map object.
    if (map != m_nFontCodeObj) {
      m_anFontCode.assign(static_cast<std::size_t>(kPdfObjects), 0);
      m_nFontCodeObj = map;
      m_bFontCodeLoaded = false;
      const std::int32_t off = (map < kPdfObjects) ? m_anObjOffset[static_cast<std::size_t>(map)] : 0;
      if (off > 0 && PdfReadFontEncoding(off, m_anFontCode.data(), simple ? kPdfFlagSimple : 0) > 0)
        m_bFontCodeLoaded = true;
    }
    if (m_bFontCodeLoaded) kind |= 2;
  }
  ts.fontKind = kind;
  const int traits = FontTraits(obj);
  ts.twoByte = (traits & kFontTwoByte) != 0;
  // A CMap named "...-V" writes vertically, whatever bytes precede the "-V".
  if (traits & kFontVerticalCmap) ts.vertical = true;
}

int PdfConverter::FontTraits(std::int32_t obj) {
  if (obj <= 0 || obj >= kPdfObjects) return 0;
  std::int8_t& known = m_abFontBytes.Slot(static_cast<std::size_t>(obj));
  if (known == 0) {
    // A composite font (Type0) shows two-byte codes, any other font one
    // byte per code; an encoding CMap whose name ends "-V" is vertical.
    known = kFontKnown;
    std::int32_t b = 0, e = 0;
    if (ObjectDictionary(obj, &b, &e)) {
      const std::uint8_t* d = m_pConvData;
      auto nameOf = [&](const char* key, std::int32_t* v, std::int32_t* ve) {
        const std::int32_t k = pdfscan::FindKey(d, b, e, key);
        if (k < 0) return false;
        *v = pdfscan::SkipWhite(d, pdfscan::SkipName(d, k, e), e);
        *ve = pdfscan::SkipName(d, *v, e);
        return *v < e && d[*v] == '/';
      };
      std::int32_t v = 0, ve = 0;
      if (nameOf("Subtype", &v, &ve) && pdfscan::NameIs(d, v, ve, "Type0")) known |= kFontTwoByte;
      if (nameOf("Encoding", &v, &ve) && ve - v >= 3 && d[ve - 2] == '-' && d[ve - 1] == 'V') known |= kFontVerticalCmap;
    }
  }
  return known;
}

void PdfConverter::DrawObject(const std::uint8_t* buf, std::int32_t length, std::int32_t namePos, TextState& ts,
                              std::int32_t depth) {
  const std::int32_t obj = ResourceObject(buf, length, namePos);
  std::int32_t b = 0, e = 0;
  if (!ObjectDictionary(obj, &b, &e)) return;
  const std::uint8_t* data = m_pConvData;
  const std::int32_t sub = pdfscan::FindKey(data, b, e, "Subtype");
  if (sub < 0) return;
  const std::int32_t v = pdfscan::SkipWhite(data, pdfscan::SkipName(data, sub, e), e);
  const std::int32_t ve = pdfscan::SkipName(data, v, e);
  if (pdfscan::NameIs(data, v, ve, "Image")) {
    // The picture's size, bits and colour space, then its marker.
    std::int64_t n = 0;
    auto value = [&](const char* key) -> std::int32_t {
      const std::int32_t k = pdfscan::FindKey(data, b, e, key);
      if (k < 0 || pdfscan::ReadNumbers(data, pdfscan::SkipName(data, k, e), e, &n, 1) != 1) return 0;
      return static_cast<std::int32_t>(std::min<std::int64_t>(n / 100, kLimit));
    };
    m_nImageWidth = value("Width");
    m_nImageHeight = value("Height");
    m_nImageBits = value("BitsPerComponent");
    m_nImageFilter = m_anObjFlags[static_cast<std::size_t>(obj)] & kPdfFlagFilterMask;
    PlaceImageMarker(obj, ts);
    // Raw samples are decoded too: a picture too large for the work buffer
    // is said so on a line of its own.
    if (m_nImageFilter == 0 && (StreamFiltersBetween(b, e) & kPdfStreamFlate) && m_nImageWidth > 9 &&
        m_nImageHeight > 9) {
      if (--m_nWalkBudget < 0) {
        m_damage.Mark("XObject");
        m_bStopWalk = true;
        return;
      }
      DecodeObjectStream(obj, true);
    }
    return;
  }
  if (!pdfscan::NameIs(data, v, ve, "Form") || depth >= kFormDepth) return;
  if (--m_nWalkBudget < 0) {
    m_damage.Mark("XObject");
    m_bStopWalk = true;
    return;
  }
  // A form: its own resources, its matrix, its content walked with a copy
  // of the state.
  const std::int32_t res = pdfscan::FindKey(data, b, e, "Resources");
  if (res >= 0) LoadResources(pdfscan::SkipName(data, res, e), 0);
  const std::int32_t n = DecodeObjectStream(obj, false);
  if (n <= 0) return;
  m_nWalkBudget -= n / kBudgetBytes;
  std::vector<std::uint8_t> content(m_pWork, m_pWork + n);
  TextState inner = ts;
  const std::int32_t mk = pdfscan::FindKey(data, b, e, "Matrix");
  std::int64_t m[6];
  if (mk >= 0 && pdfscan::ReadNumbers(data, pdfscan::SkipName(data, mk, e), e, m, 6) == 6) {
    for (std::int64_t& x : m) x = Clamp(x);
    Multiply(m, inner.ctm, inner.ctm);
  }
  const int level = m_nGraphicsLevel;
  WalkContent(content.data(), n, inner, depth + 1);
  m_nGraphicsLevel = level;
}

void PdfConverter::ListTStar(const std::uint8_t* buf, std::int32_t opPos, TextState& ts) {
  (void)ts;
  // The operator listing: a line per T* with the 20 bytes before it.
  std::int32_t line = m_nGridLine + 1;
  if (line < m_nBandBase) line = m_nBandBase;
  if (line > m_nBandBase + 300) return;  // the band is full
  std::uint8_t* row = GridLine(line);
  if (!row) return;
  m_nGridLine = line;
  const std::int32_t from = std::max(opPos - 20, 0);
  std::int32_t col = 1;
  for (std::int32_t i = from; i < opPos && col < 509; ++i) row[col++] = buf[i] < ' ' ? ' ' : buf[i];
  row[col++] = ':';
  m_nGridCol = col;
  if (line > m_nMaxLine) m_nMaxLine = line;
}

void PdfConverter::ListTd(const std::uint8_t* buf, std::int32_t length, std::int32_t after, TextState& ts) {
  (void)ts;
  std::int32_t p = pdfscan::SkipWhite(buf, after, length);
  if (p + 1 < length && buf[p] == '(' && buf[p + 1] >= '0' && buf[p + 1] <= '9') {
    std::uint8_t* row = GridLine(m_nGridLine);
    if (m_nGridCol < 1) m_nGridCol = 1;  // column 0 of a line stays 0
    if (row && m_nGridCol < 509) row[m_nGridCol++] = 9;
  }
}

}  // namespace convert
