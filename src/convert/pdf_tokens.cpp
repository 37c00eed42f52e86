// The PDF reader's token readers: numbers, hexadecimal codes, indirect
// references, reference lists and the reference stack of the page-tree
// walk, resource names and operator operands. Each scan is bounded (10, 50
// or 24,000 bytes) and stays inside its buffer; a reader that finds nothing
// returns 0, -1 or its special code.
#include <cstring>

#include "convert/pdf_converter.h"

namespace convert {
namespace {

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsBlank(std::uint8_t c) { return c <= 0x20; }
int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
std::uint8_t Lower(std::uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<std::uint8_t>(c + 32) : c; }

// Accumulates a digit into a value that stops growing far above any limit a
// caller keeps, so that long digit runs cannot overflow.
std::int64_t AddDigit(std::int64_t v, std::uint8_t c) {
  if (v >= 100000000000000LL) return v;
  return v * 10 + (c - '0');
}

}  // namespace

std::int32_t PdfConverter::PdfReadHexCode(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos,
                                          int* oneByte) {
  if (oneByte) *oneByte = 0;
  std::int32_t p = *pos;
  if (p < 0) return -1;
  std::int32_t open = -1;
  for (std::int32_t i = 0; i < 10 && p + i < length; ++i) {
    if (buf[p + i] == '<') {
      open = p + i;
      break;
    }
  }
  if (open < 0) return -1;
  std::int32_t q = open + 1;
  std::int32_t value = 0;
  int digits = 0;
  while (digits < 4 && q < length) {
    const int d = HexDigit(buf[q]);
    if (d < 0) break;
    value = value * 16 + d;
    ++digits;
    ++q;
  }
  if (q < length && buf[q] == '>') {
    if (digits == 2 && oneByte) *oneByte = 1;
    ++q;
  }
  *pos = q;
  return value;
}

std::int32_t PdfConverter::PdfReadFixed(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos,
                                        int precise) {
  std::int32_t p = *pos < 0 ? 0 : *pos;
  bool negative = false;
  if (p < length && buf[p] == '-') {
    negative = true;
    ++p;
  }
  const int keep = precise == 1 ? 4 : 2;
  std::int64_t value = 0;
  bool point = false;
  int decimals = 0;
  int round = 0;
  for (; p < length; ++p) {
    const std::uint8_t c = buf[p];
    if (IsDigit(c)) {
      if (!point) {
        value = AddDigit(value, c);
      } else if (decimals < keep) {
        value = AddDigit(value, c);
        ++decimals;
      } else if (decimals == keep) {
        round = c >= '5' ? 1 : 0;  // the first dropped digit rounds half up
        ++decimals;
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  *pos = p;
  for (int d = decimals < keep ? decimals : keep; d < keep; ++d) value = value < 100000000000000LL ? value * 10 : value;
  value += round;
  if (value > kPdfFixedLimit) value = kPdfFixedLimit;
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t PdfConverter::PdfReadHundredths(const std::uint8_t* buf, std::int32_t length, std::int32_t pos) {
  // At most six bytes are looked at; bytes past them or past the buffer read as 0.
  auto at = [&](int i) -> std::uint8_t {
    return (i < 6 && pos >= 0 && pos + i < length) ? buf[pos + i] : 0;
  };
  int i = 0;
  int sign = 1;
  if (at(0) == '-') {
    sign = -1;
    i = 1;
  }
  const std::uint8_t c = at(i);
  if ((c == '1' || c == '0') && at(i + 1) < 0x21) return sign * (c == '1' ? 100 : 0);
  if (c == '.') {
    const int d1 = IsDigit(at(i + 1)) ? at(i + 1) - '0' : 0;
    const int d2 = IsDigit(at(i + 1)) && IsDigit(at(i + 2)) ? at(i + 2) - '0' : 0;
    return sign * (d1 * 10 + d2);
  }
  if (!IsDigit(c)) return 0;
  int value = 0;
  int n = 0;
  while (n < 5 && IsDigit(at(i + n))) {
    value = value * 10 + (at(i + n) - '0');
    ++n;
  }
  if (n == 5) return sign * (value / 10) * 1000;
  value *= 100;
  if (n <= 3 && at(i + n) == '.') {
    const std::uint8_t d1 = at(i + n + 1);
    const std::uint8_t d2 = at(i + n + 2);
    if (IsDigit(d1)) {
      value += (d1 - '0') * 10;
      if (IsDigit(d2)) value += d2 - '0';
    }
  }
  return sign * value;
}

std::int32_t PdfConverter::PdfReadOperands(const std::uint8_t* buf, std::int32_t length, std::int32_t opPos,
                                           std::int32_t* values, int precise) {
  for (int i = 0; i < 10; ++i) values[i] = 0;
  if (opPos > length) opPos = length;
  if (opPos <= 0) return 0;
  std::int32_t p = opPos - 1;
  while (p >= 0) {
    const std::uint8_t c = buf[p];
    if (IsDigit(c) || c == '-' || c == '.' || c <= 0x20) {
      --p;
    } else {
      break;
    }
  }
  std::int32_t q = p + 1;
  // Stopped inside a name that ends in digits ("/F1 12 Tf"): its digits are
  // not operands.
  if (p >= 0 && (IsLetter(buf[p]) || buf[p] == '_')) {
    while (q < opPos && IsDigit(buf[q])) ++q;
  }
  int count = 0;
  std::uint8_t stop = 0;
  while (count < 10) {
    while (q < opPos && buf[q] <= 0x20) ++q;
    if (q >= opPos) break;
    const std::uint8_t c = buf[q];
    if (!(c == '-' || c == '.' || IsDigit(c))) break;
    const std::int32_t before = q;
    values[count] = PdfReadFixed(buf, length, &q, (precise == 1 && count < 2) ? 1 : 0);
    ++count;
    if (q == before) ++q;  // a lone '-' or '.' reads as 0 and is passed
    stop = q < length ? buf[q] : 0;
  }
  if (count < 10) return 0;
  return stop ? stop : 1;
}

namespace {

// The object number that ends at or before `q` of `buf`, read backwards over
// blanks, the generation digits, blanks and the object digits (each run at
// most 50 bytes). *start is set to the first byte of the number (its '-').
// 0 when there are no digits, -1 when the number is too long or too large.
std::int32_t ReadNumberBackwards(const std::uint8_t* buf, std::int32_t length, std::int32_t q, bool skipGeneration,
                                 std::int32_t* start, std::int32_t* end) {
  if (q >= length) q = length - 1;
  auto skip = [&](bool digits) {
    for (int n = 0; n < 50 && q >= 0 && (digits ? IsDigit(buf[q]) : IsBlank(buf[q])); ++n) --q;
  };
  skip(false);
  if (skipGeneration) {
    skip(true);
    skip(false);
  }
  const std::int32_t last = q;
  skip(true);
  const std::int32_t first = q + 1;
  *start = first;
  *end = last + 1;
  const std::int32_t digits = last - q;
  if (digits <= 0) return 0;
  if (digits > 7) return -1;
  std::int32_t value = 0;
  for (std::int32_t i = first; i <= last; ++i) value = value * 10 + (buf[i] - '0');
  if (value > 99999) return -1;
  if (q >= 0 && buf[q] == '-') {
    *start = q;
    return -value;
  }
  return value;
}

}  // namespace

std::int32_t PdfConverter::PdfReadObjectRef(std::int32_t pos, int mode) {
  const std::uint8_t* buf = m_pConvData;
  const std::int32_t len = m_nConvSize;
  if (pos < 0 || pos >= len) return 0;
  std::int32_t start = 0;
  std::int32_t end = 0;
  if (mode == 9) {
    for (std::int32_t i = pos; i < pos + 50 && i < len; ++i) {
      const std::uint8_t c = buf[i];
      if (c == '[') return -9;
      if (c == '<') {
        if (i + 1 < len && buf[i + 1] == '<') {
          m_nConvPos = i + 2;
          return -99;
        }
        return 0;
      }
      if (c == ']' || c == '/') return 0;
      if (c == 'R' && i > 0 && IsBlank(buf[i - 1]) && (i + 1 >= len || !IsLetter(buf[i + 1]))) {
        const std::int32_t n = ReadNumberBackwards(buf, len, i - 1, true, &start, &end);
        if (n == 0) continue;  // an 'R' that ends no reference
        m_nConvPos = i + 1;
        return n;
      }
    }
    return 0;
  }
  if (mode == 8) {
    for (std::int32_t i = pos; i > pos - 50 && i >= 0; --i) {
      const std::uint8_t c = buf[i];
      if (c == '[' || c == '<') return 0;
      if (c == 'R' && i > 0 && IsBlank(buf[i - 1])) {
        const std::int32_t n = ReadNumberBackwards(buf, len, i - 1, true, &start, &end);
        if (n == 0) continue;
        m_nConvPos = start - 1;
        return n;
      }
    }
    return 0;
  }
  if (mode == 0 || mode == 7) {
    const std::int32_t n = ReadNumberBackwards(buf, len, pos, true, &start, &end);
    if (mode == 7 && n > 0 && (end >= len || !IsBlank(buf[end]))) return -1;
    return n;
  }
  // Mode 1 (and any other): the number of the next token after the position.
  std::int32_t q = pos;
  for (int n = 0; n < 50 && q < len && !IsBlank(buf[q]); ++n) ++q;
  for (int n = 0; n < 50 && q < len && IsBlank(buf[q]); ++n) ++q;
  bool negative = false;
  if (q < len && buf[q] == '-') {
    negative = true;
    ++q;
  }
  std::int32_t value = 0;
  int digits = 0;
  while (q < len && IsDigit(buf[q])) {
    if (++digits > 7) return -1;
    value = value * 10 + (buf[q] - '0');
    ++q;
  }
  if (value > 99999) return -1;
  return negative ? -value : value;
}

std::int32_t PdfConverter::PdfReadObjectRefList(std::int32_t* list, int flag) {
  (void)flag;
  const std::uint8_t* buf = m_pConvData;
  const std::int32_t len = m_nConvSize;
  list[0] = 0;
  list[1] = 0;
  std::int32_t p = m_nConvPos;
  for (int n = 0; n < 50 && p < len && p >= 0 && buf[p] < '!'; ++n) ++p;
  if (p < 0 || p >= len) return 0;
  const bool bracket = buf[p] == '[';
  const bool dict = buf[p] == '<' && p + 1 < len && buf[p + 1] == '<';
  if (bracket || dict) {
    m_nConvPos = p + (dict ? 2 : 1);
    std::int32_t count = 0;
    while (count < 1999) {
      const std::int32_t n = PdfReadObjectRef(m_nConvPos, 9);
      if (n <= 0) break;
      list[++count] = n;
    }
    list[0] = count;
    return list[1];
  }
  m_nConvPos = p;
  list[0] = 1;
  list[1] = PdfReadObjectRef(p, 9);
  return list[1];
}

bool PdfConverter::OnWalkPath(std::int32_t object, std::int32_t height) const {
  if (object == m_nCurObj) return true;
  for (std::int32_t i = 0; i < height && i < kPdfRefStack; ++i) {
    if (m_anRefObj[i] == object) return true;
  }
  return false;
}

std::int32_t PdfConverter::PdfPushObjectRefs(std::int32_t height, std::int32_t current, int listKind) {
  const std::uint8_t* buf = m_pConvData;
  const std::int32_t len = m_nConvSize;
  if (m_nConvPos < 0 || m_nConvPos >= len) {
    m_nConvPos = 0;
    return -1;
  }
  if (height < 0) height = 0;
  if (height > kPdfRefStack) height = kPdfRefStack;
  std::int32_t p = m_nConvPos;
  for (int n = 0; n < 10 && p < len && buf[p] <= 0x20; ++n) ++p;
  if (p >= len) {
    m_nConvPos = 0;
    return -1;
  }
  const std::uint8_t open = listKind == 0 ? '<' : '[';
  const std::uint8_t close = listKind == 0 ? '>' : ']';
  if (buf[p] == open) {
    if (listKind == 2) {
      std::int32_t q = p + 1;
      while (q < len && buf[q] <= 0x20) ++q;
      if (q < len && buf[q] == '/') return -1;
    }
    std::int32_t end = -1;
    for (std::int32_t i = p + 1; i < len && i <= p + 24000; ++i) {
      if (buf[i] == close) {
        end = i;
        break;
      }
    }
    if (end < 0) return height;
    const std::int32_t base = height;
    if (height < kPdfRefStack) {
      m_anRefPos[height] = end + 1;
      m_anRefObj[height] = current;
      ++height;
    }
    m_nConvPos = end - 1;
    while (m_nConvPos > p) {
      const std::int32_t n = PdfReadObjectRef(m_nConvPos, 8);
      if (n <= 0) break;
      if (n >= kPdfObjects || m_anObjOffset[static_cast<std::size_t>(n)] <= 0) continue;
      if (OnWalkPath(n, height)) {
        // A list naming an object the walk is already in would loop.
        m_damage.Mark("page tree");
        continue;
      }
      if (height < kPdfRefStack) {
        m_anRefPos[height] = m_anObjOffset[static_cast<std::size_t>(n)];
        m_anRefObj[height] = n;
        ++height;
      }
    }
    if (height <= base) {
      // Nothing could be kept (the stack is full): go on behind the list.
      m_nConvPos = end + 1;
      return height;
    }
    --height;
    m_nConvPos = m_anRefPos[height];
    m_nCurObj = m_anRefObj[height];
    m_anRefPos[height] = 0;
    m_anRefObj[height] = 0;
    return height;
  }
  // Not a list: a dictionary or a name keeps the stack as it is.
  if (buf[p] == '<' || buf[p] == '/') return height;
  const std::int32_t n = PdfReadObjectRef(p, 9);
  if (n < 1 || n >= kPdfObjects || m_anObjOffset[static_cast<std::size_t>(n)] <= 0) return height;
  if (OnWalkPath(n, height)) {
    m_damage.Mark("page tree");
    return height;
  }
  if (height < kPdfRefStack) {
    m_anRefPos[height] = m_nConvPos;
    m_anRefObj[height] = current;
    ++height;
  }
  m_nConvPos = m_anObjOffset[static_cast<std::size_t>(n)];
  m_nCurObj = n;
  return height;
}

std::int32_t PdfConverter::PdfParseResourceName(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos,
                                                int* kind, int expectSlash) {
  std::int32_t p = *pos;
  if (p < 0) return 0;
  if (expectSlash == 1) {
    std::int32_t slash = -1;
    for (std::int32_t i = p; i < p + 10 && i < length; ++i) {
      if (buf[i] == '>') return 0;
      if (buf[i] == '/') {
        slash = i;
        break;
      }
    }
    if (slash < 0) return 0;
    p = slash + 1;
  }
  if (p >= length) return 0;
  const bool restricted = kind && *kind == 3;
  // The name's bytes, a "C?_" name without its underscore; 24 bytes are
  // more than any resource name the classification looks at.
  std::uint8_t name[24];
  int n = 0;
  std::int32_t q = p;
  const bool cForm = buf[p] == 'C' && p + 2 < length && buf[p + 2] == '_';
  while (q < length && n < 23) {
    const std::uint8_t c = buf[q];
    if (cForm && q == p + 2) {
      ++q;
      continue;
    }
    if (!(IsLetter(c) || IsDigit(c) || c == '_' || c == '+')) break;
    name[n++] = c;
    ++q;
  }
  // Behind a name cut at 23 bytes the rest is passed over too.
  while (q < length && (IsLetter(buf[q]) || IsDigit(buf[q]) || buf[q] == '_')) ++q;
  name[n] = 0;
  const std::uint8_t after = q < length ? buf[q] : 0;
  *pos = q;
  if (n == 0) return 0;

  int letters = 0;
  while (letters < n && IsLetter(name[letters])) ++letters;
  const std::uint8_t next = letters < n ? name[letters] : after;
  if (letters >= 3 && !IsDigit(next) && next != '_') return 0;
  if (letters >= 6 && next != '_') return 0;

  const std::uint8_t c0 = Lower(name[0]);
  const std::uint8_t c1 = n > 1 ? Lower(name[1]) : 0;
  const std::uint8_t c2 = n > 2 ? Lower(name[2]) : 0;
  if ((c0 == 'c' || c0 == 'g') && c1 == 's') return 0;

  int k = 0;
  // One-character names.
  if (n == 1) {
    if (kind) *kind = 1;
    const std::uint8_t b = name[0];
    if (b >= 'a' && b <= 'z') return b + 7339;
    if (b >= 'A' && b <= 'Z') return b + 7346;
    if (IsDigit(b)) return b + 7353;
    return 0;
  }
  // Two-character names followed by a blank.
  if (n == 2 && (IsLetter(name[0]) || IsDigit(name[0])) && IsLetter(name[1]) && q < length && IsBlank(after)) {
    const std::uint8_t b0 = name[0];
    const std::uint8_t b1 = name[1];
    int first;
    if (IsDigit(b0)) {
      first = b0 - '0' + 1;
    } else if (b0 >= 'A' && b0 <= 'Z') {
      first = b0 - 'A' + 11;
    } else {
      first = b0 - 'a' + 36;
    }
    const int second = (b1 >= 'a' && b1 <= 'z') ? b1 - 61 : b1 - 54;
    if (kind) *kind = 1;
    return 7490 + 40 * first + second;
  }
  if ((c0 == 'i' && c1 == 'm' && IsDigit(c2)) || (c0 == 'i' && c1 == 'm' && (c2 == 'g' || c2 == 'a'))) {
    k = restricted ? 9 : 1;
  } else if (!restricted && ((c0 == 'o' && c1 == 'b' && (IsDigit(c2) || c2 == 'j')) ||
                             (c0 == 'p' && c1 == 'a' && c2 == 'g'))) {
    k = 1;
  } else if (IsDigit(c0) && IsDigit(c1)) {
    k = 1;
  } else if (c0 == 'f' && c1 == 'm' && IsDigit(c2)) {
    k = restricted ? 9 : 2;
  } else if (c0 == 'f' && IsDigit(c1)) {
    k = 3;
  } else if (c0 == 't' && c1 == 't') {
    k = 4;
  } else if (c0 == 'r' && IsDigit(c1)) {
    k = 9;
  } else {
    // A prefix learned in this run (up to four letters).
    if (letters == 0) return 0;
    std::uint8_t prefix[4] = {0, 0, 0, 0};
    for (int i = 0; i < letters && i < 4; ++i) prefix[i] = name[i];
    int slot = -1;
    for (int s = 0; s < kPdfNamePrefixSlots; ++s) {
      if (m_abNamePrefix[s][0] == 0) {
        std::memcpy(m_abNamePrefix[s], prefix, 4);
        slot = s;
        break;
      }
      if (std::memcmp(m_abNamePrefix[s], prefix, 4) == 0) {
        slot = s;
        break;
      }
    }
    if (slot < 0) {
      if (kind) *kind = 99;
      return 0;
    }
    k = slot + 5;
  }
  if (kind) *kind = k;

  // The number behind the prefix (underscores passed over).
  std::int64_t number = 0;
  int i = letters;
  for (; i < n; ++i) {
    if (name[i] == '_') continue;
    if (!IsDigit(name[i])) break;
    number = AddDigit(number, name[i]);
  }
  if ((i < n && name[i] == '+') || after == '+') return 0;
  std::int64_t id = number + 1;
  if (id > kPdfObjects && (k != 9 || expectSlash == 1)) id %= kPdfObjects;
  if (id > 100000000) id = 100000000;
  if (k == 1) return id >= 10000 ? 0 : static_cast<std::int32_t>(id);
  if (k == 9) return static_cast<std::int32_t>(id + 10000);
  return static_cast<std::int32_t>(id + 1000 * k + 9000);
}

std::int32_t PdfConverter::PdfReadResourceIdAt(std::int32_t pos, int mode) {
  std::int32_t p = pos;
  int kind = mode;
  const std::int32_t id = PdfParseResourceName(m_pConvData, m_nConvSize, &p, &kind, 1);
  if (mode == 1 || mode == 3) m_nConvPos = p;
  return (id > 0 && id < kPdfResources) ? id : 0;
}

}  // namespace convert
