// The shape lines of a format section and the '$' line part of a format
// line, read into object records (layout in xlsx_shape_record.h).
#include <algorithm>

#include "csv/csv_buffer.h"
#include "export/xlsx/xlsx_shape_record.h"

namespace xlsx {
namespace {

// The first letters of a shape line and the kind each gives.
struct ShapeHead {
  char first, second;  // second 0: any byte
  char kind;
};
constexpr ShapeHead kShapeHeads[] = {
    {'L', 'i', 'L'}, {'R', 'e', 'R'}, {'E', 'l', 'E'}, {'p', 'i', 'p'}, {'I', 'm', 'p'}, {'A', 0, 'A'}, {'f', 0, 'f'},
};

// Numbers of the third field: X1, Y1, X2, Y2, rotation, two adjusts.
constexpr int kShapeNumbers = 7;
constexpr int kRotationSlot = 4;
constexpr std::int64_t kNumberCap = 2000000000;  // digits past this saturate
constexpr std::int64_t kAdjustCap = 999;
constexpr std::int64_t kNegativeOffset = 90000;  // '-' before an offset adds this
constexpr std::int64_t kNegativeOffsetCap = 99999;
constexpr std::int64_t kOffsetCap = 90000;       // a larger offset would name another cell
// A picture given by its size alone is placed at x 100, y (index + 1) * 100.
constexpr std::int64_t kPictureX = 100;
constexpr std::int64_t kPictureStepY = 100;

// Reads bytes of one line: a NUL or the text's end reads as 0.
struct Line {
  const unsigned char* t;
  std::size_t len;
  unsigned char At(std::size_t i) const { return i < len ? t[i] : 0; }
};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsCapital(unsigned char c) { return c >= 'A' && c <= 'Z'; }

// Offset of the byte that ends the field at `p` (the first of 31 or less).
std::size_t FieldEnd(const Line& l, std::size_t p) {
  while (l.At(p) > 31) ++p;
  return p;
}

// The start of the next field after the field at `p`, or npos when the line ends.
std::size_t NextField(const Line& l, std::size_t p) {
  p = FieldEnd(l, p);
  return l.At(p) == csv::CSV_FIELD_SEP ? p + 1 : std::string::npos;
}

std::int64_t ReadDigits(const Line& l, std::size_t& p) {
  std::int64_t v = 0;
  while (IsDigit(l.At(p))) {
    v = std::min(v * 10 + (l.At(p) - '0'), kNumberCap);
    ++p;
  }
  return v;
}

// A '%' offset from the byte after '%' up to ':', ';' or a byte of 31 or less.
std::int64_t ReadOffset(const Line& l, std::size_t& p) {
  bool negative = false;
  std::int64_t v = 0;
  for (unsigned char c; (c = l.At(p)) > 31 && c != ':' && c != ';'; ++p) {
    if (c == '-') negative = true;
    else if (IsDigit(c)) v = std::min(v * 10 + (c - '0'), kNumberCap);
  }
  if (negative) return v >= 9999 ? kNegativeOffsetCap : v + kNegativeOffset;
  return std::min(v, kOffsetCap);
}

// The second field: line code, colours, transparency, ends.
void ReadSecondField(const Line& l, std::size_t p, XlsxShapeRecord& r) {
  unsigned char* c = r.rec.c;
  for (unsigned char b; (b = l.At(p)) > 31;) {
    if (IsDigit(b)) {
      const unsigned char after = l.At(p + 1);
      c[shapepos::kLineWidth] = ((b == '1' || b == '2') && after == '4') ? '3' : b;
      if (IsDigit(after)) {
        c[shapepos::kLineDash] = after;
        p += 2;
      } else {
        p += 1;
      }
    } else if (b >= 'A' && b <= 'Y') {
      c[shapepos::kLineColour] = b;
      ++p;
    } else if (b >= 'a' && b <= 'y') {
      c[shapepos::kFill] = b;
      ++p;
      if (l.At(p) == '@' && l.At(p + 1) > 31) {
        c[shapepos::kAlpha] = l.At(p + 1);
        p += 2;
      }
    } else if (b == '!') {
      c[shapepos::kFill] = '!';
      ++p;
      for (int k = 0; k < 2 && l.At(p) > 31; ++k, ++p) c[shapepos::kHeadEnd + k] = l.At(p);
    } else {
      ++p;
    }
  }
}

// The third field: the numbers; returns how many were given.
int ReadNumbers(const Line& l, std::size_t p, XlsxShapeRecord& r) {
  std::int64_t v[kShapeNumbers] = {};
  bool given[kShapeNumbers] = {};
  int slot = 0;
  bool negative = false;
  bool rowIsCell = false;     // the number after column letters is a row reference
  bool afterLetters = false;  // a separator right after the letters starts nothing new
  bool endByLetters = false;  // X2 given by letters
  while (slot < kShapeNumbers) {
    const unsigned char b = l.At(p);
    if (b <= 31) break;
    if (b == ':' || b == ';') {
      if (!afterLetters) ++slot;
      afterLetters = false;
      negative = false;
      ++p;
      continue;
    }
    afterLetters = false;
    if (b == '-') {
      negative = true;
      ++p;
    } else if ((slot == 0 || slot == 2) && IsCapital(b)) {
      std::int64_t col = b - 'A' + 1;
      ++p;
      if (IsCapital(l.At(p))) {
        col = col * 26 + (l.At(p) - 'A' + 1);
        ++p;
      }
      std::int64_t value = col * kCellScale;
      if (l.At(p) == '%') {
        ++p;
        value += ReadOffset(l, p);
      }
      v[slot] = negative ? -value : value;
      given[slot] = true;
      if (slot == 2) endByLetters = true;
      ++slot;
      rowIsCell = true;
      afterLetters = true;
      negative = false;
    } else if (IsDigit(b)) {
      std::int64_t value = ReadDigits(l, p);
      const bool cell = rowIsCell && (slot == 1 || slot == 3);
      if (l.At(p) == '%') {
        ++p;
        value = value * kCellScale + ReadOffset(l, p);
      } else if (cell) {
        value *= kCellScale;
      }
      rowIsCell = false;
      v[slot] = negative ? -value : value;
      given[slot] = true;
      negative = false;
    } else {
      ++p;
    }
  }
  int count = 0;
  for (bool g : given) count += g ? 1 : 0;

  r.fromCol = v[0];
  r.fromRow = v[1];
  r.toCol = v[2];
  r.toRow = v[3];
  // Taken modulo a full turn here, as the drawing does: a cell number with a
  // '%' offset in this slot would overflow the scaled rotation.
  std::int64_t degrees = v[kRotationSlot] % 360;
  std::int64_t a1 = std::clamp<std::int64_t>(v[5], 0, kAdjustCap);
  std::int64_t a2 = std::clamp<std::int64_t>(v[6], 0, kAdjustCap);
  if (endByLetters) {
    if (given[kRotationSlot]) degrees = 360 - degrees;
    if (given[5]) a1 = 1000 - a1;
    if (given[6]) a2 = 1000 - a2;
    a1 = std::min(a1, kAdjustCap);
    a2 = std::min(a2, kAdjustCap);
  }
  r.rotation = degrees * kDegreeScale + a1 + a2 * 1000;
  return count;
}

}  // namespace

bool IsShapeLine(const char* text, std::size_t len, std::size_t at) {
  const Line l{reinterpret_cast<const unsigned char*>(text), len};
  const unsigned char a = l.At(at), b = l.At(at + 1);
  for (const ShapeHead& h : kShapeHeads)
    if (a == static_cast<unsigned char>(h.first) && (h.second == 0 || b == static_cast<unsigned char>(h.second)))
      return true;
  return false;
}

XlsxShapeLine ReadShapeLine(const char* text, std::size_t len, std::size_t at, std::uint32_t index,
                            XlsxShapeRecord& r) {
  const Line l{reinterpret_cast<const unsigned char*>(text), len};
  XlsxShapeLine out;
  std::size_t e = at;
  while (e < len && l.At(e) != '\n' && l.At(e) != 0) ++e;
  out.next = e < len && l.At(e) == '\n' ? e + 1 : std::min(e, len);

  const unsigned char a = l.At(at), b = l.At(at + 1);
  const ShapeHead* head = nullptr;
  for (const ShapeHead& h : kShapeHeads)
    if (a == static_cast<unsigned char>(h.first) && (h.second == 0 || b == static_cast<unsigned char>(h.second))) {
      head = &h;
      break;
    }
  if (!head) return out;
  out.shape = true;
  unsigned char* c = r.rec.c;
  c[shapepos::kKind] = static_cast<unsigned char>(head->kind);
  if (head->kind == 'p') {
    c[0] = 'p';
    c[1] = 'i';
  } else {
    c[0] = a;
    c[1] = b > 31 ? b : '_';
  }
  if (head->kind == 'A' || head->kind == 'f') r.textPos = static_cast<std::int64_t>(at + 1);

  const std::size_t second = NextField(l, at);
  if (second == std::string::npos) return out;
  ReadSecondField(l, second, r);
  const std::size_t third = NextField(l, second);
  if (third == std::string::npos) return out;
  const int numbers = ReadNumbers(l, third, r);
  if (head->kind == 'p') {
    out.picture = true;
    if (numbers == 2) {
      r.toCol = r.fromCol;
      r.toRow = r.fromRow;
      r.fromCol = kPictureX;
      r.fromRow = (static_cast<std::int64_t>(index) + 1) * kPictureStepY;
    }
    const std::size_t name = NextField(l, third);
    if (name != std::string::npos) r.textPos = static_cast<std::int64_t>(name);
  }
  return out;
}

std::size_t ReadLinePart(const char* text, std::size_t len, std::size_t at, XlsxShapeRecord& r) {
  const Line l{reinterpret_cast<const unsigned char*>(text), len};
  unsigned char* c = r.rec.c;
  const bool box = r.IsTextBox();
  std::size_t p = at;
  auto ends = [](unsigned char b) { return b <= 31 || b == '^' || b == '%' || b == '#' || b == '$'; };
  for (unsigned char b; !ends(b = l.At(p));) {
    if (IsDigit(b)) {
      const unsigned char after = l.At(p + 1);
      c[shapepos::kLineWidth] = ((b == '1' || b == '2') && after == '4') ? '4' : b;
      if (IsDigit(after)) {
        c[shapepos::kLineDash] = after;
        p += 2;
      } else {
        p += 1;
      }
    } else if (b >= 'A' && b <= 'Y') {
      c[shapepos::kLineColour] = b;
      ++p;
    } else if (b >= 'a' && b <= 'y') {
      if (!box) c[shapepos::kFontColour] = b;
      c[shapepos::kBoxFill] = b;
      ++p;
      if (l.At(p) == '@' && !ends(l.At(p + 1))) {
        SetFillAlpha(r, l.At(p + 1));
        p += 2;
      }
    } else if (b == '!') {
      c[shapepos::kFill] = '!';
      ++p;
      for (int k = 0; k < 2 && !ends(l.At(p)); ++k, ++p) c[shapepos::kHeadEnd + k] = l.At(p);
    } else {
      ++p;
    }
  }
  return p;
}

}  // namespace xlsx
