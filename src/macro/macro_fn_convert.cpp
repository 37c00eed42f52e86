// Code conversions of the built-in library: UTF-8, EUC-JP, ISO-2022-JP,
// Base64 and UTF-16 fields to Shift-JIS, half- and full-width katakana,
// digits and letters, the code of a character, and the character of a PDF
// font's character id. Every conversion goes through the code-page 932
// tables of the text codec, so the native and Windows builds agree; a
// character without a code-page 932 form is written as "?".
#include <cstdint>
#include <string>

#include "core/textcodec/cidmap.h"
#include "core/textcodec/halfkana.h"
#include "core/textcodec/sjis_map.h"
#include "csv/csv_buffer.h"
#include "csv/csv_cellbreaks.h"
#include "csv/csv_katakana.h"
#include "macro/macro_fn_common.h"
#include "macro/macro_fn_numread.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

// Appends converted bytes. A byte that would end the cell or the row is
// never written: NUL and 0x06 become a blank, CR and LF the table's in-cell
// break codes (a blank where the table holds those bytes as data).
class Converted {
 public:
  explicit Converted(const BuiltinScope& scope)
      : codes_(scope.table == nullptr || !scope.table->m_bCellCodesAreData) {}
  void Byte(std::uint8_t b) {
    if (b == 0 || b == csv::CSV_FIELD_SEP) b = ' ';
    else if (b == '\r') b = codes_ ? csv::kCellCr : ' ';
    else if (b == '\n') b = codes_ ? csv::kCellLf : ' ';
    text_ += static_cast<char>(b);
  }
  // A Shift-JIS code (single byte or pair); kNoSjis as "?".
  void Code(std::uint16_t code) {
    if (code == textcodec::kNoSjis) {
      Byte('?');
    } else if (code > 0xFF) {
      Byte(static_cast<std::uint8_t>(code >> 8));
      Byte(static_cast<std::uint8_t>(code & 0xFF));
    } else {
      Byte(static_cast<std::uint8_t>(code));
    }
  }
  void Copy(std::uint8_t b) { text_ += static_cast<char>(b); }
  const std::string& Text() const { return text_; }

 private:
  bool codes_;
  std::string text_;
};

bool IsContinuation(std::uint8_t b) { return b >= 0x80 && b <= 0xBF; }

// True when the `n` bytes after position i of the field are continuation bytes.
bool ContinuesBy(const FunctionField& f, std::uint32_t i, std::uint32_t n) {
  if (f.Length() - i <= n) return false;
  for (std::uint32_t k = 1; k <= n; ++k)
    if (!IsContinuation(f.bytes[i + k])) return false;
  return true;
}

void Finish(BuiltinScope& scope, BuiltinArgs& a, const FunctionField& f, const Converted& out) {
  PutWhole(a, out.Text());
  MacroFinishFunctionField(scope, a, f);
}

// 140 "UTF8". A sequence cut short (by the field's end or a byte that does
// not continue it) writes "?" for its lead byte alone; four-byte sequences
// (lead F0-F4) are characters beyond the code page.
void FromUtf8(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  Converted out(scope);
  const std::uint8_t* s = f.bytes;
  const std::uint32_t n = f.Length();
  for (std::uint32_t i = 0; i < n;) {
    const std::uint8_t b = s[i];
    if (b < 0xC0) {
      out.Copy(b);
      ++i;
      continue;
    }
    std::uint32_t more;
    if (b >= 0xF0 && b <= 0xF4) more = 3;
    else if (b >= 0xE0) more = 2;
    else more = 1;
    if (!ContinuesBy(f, i, more)) {
      out.Byte('?');
      ++i;
      continue;
    }
    char32_t code;
    if (more == 3) code = 0x110000;  // no code-page form
    else if (more == 2) code = static_cast<char32_t>((b & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F));
    else code = static_cast<char32_t>((b & 0x3F) << 6 | (s[i + 1] & 0x3F));
    out.Code(textcodec::UnicodeToSjis(code));
    i += more + 1;
  }
  Finish(scope, a, f, out);
}

// The Shift-JIS pair of a JIS X 0208 code (row, cell); a code outside the
// set gives two zero bytes, written as blanks.
void PutJis(Converted& out, unsigned row, unsigned cell) {
  const std::uint16_t code = textcodec::JisToSjis(static_cast<std::uint16_t>((row & 0xFF) << 8 | (cell & 0xFF)));
  out.Byte(static_cast<std::uint8_t>(code >> 8));
  out.Byte(static_cast<std::uint8_t>(code & 0xFF));
}

// 141 "EUCC": half-width katakana after 0x8E, the supplementary set after
// 0x8F (as 0x81 0xA5), and JIS X 0208 pairs; the second byte of a pair is
// always within the field.
void FromEuc(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  Converted out(scope);
  const std::uint8_t* s = f.bytes;
  const std::uint32_t n = f.Length();
  for (std::uint32_t i = 0; i < n;) {
    const std::uint8_t b = s[i];
    const bool hasNext = i + 1 < n;
    const std::uint8_t next = hasNext ? s[i + 1] : 0;
    if (b == 0x8E && hasNext && next >= 0x9F && next <= 0xDF) {
      out.Byte(next == 0x9F ? 0xDD : next);
      i += 2;
    } else if (b == 0x8F && i + 2 < n && next >= 0x9F && s[i + 2] >= 0x9F) {
      out.Byte(0x81);
      out.Byte(0xA5);
      i += 3;
    } else if (b >= 0xA1 && hasNext && next >= 0xA0) {
      PutJis(out, b - 0x80u, next - 0x80u);
      i += 2;
    } else {
      out.Copy(b);
      ++i;
    }
  }
  Finish(scope, a, f, out);
}

// 142 "BINH": ESC $ B starts double-byte JIS, ESC ( B and ESC ( J end it.
void FromIso2022(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  Converted out(scope);
  const std::uint8_t* s = f.bytes;
  const std::uint32_t n = f.Length();
  bool twoByte = false;
  for (std::uint32_t i = 0; i < n;) {
    const std::uint8_t b = s[i];
    if (b == 0x1B && i + 2 < n) {
      if (s[i + 1] == '$' && s[i + 2] == 'B') {
        twoByte = true;
        i += 3;
        continue;
      }
      if (s[i + 1] == '(' && (s[i + 2] == 'B' || s[i + 2] == 'J')) {
        twoByte = false;
        i += 3;
        continue;
      }
    }
    if (twoByte && b > 0x1F && i + 1 < n && s[i + 1] > 0x1F) {
      PutJis(out, b, s[i + 1]);
      i += 2;
      continue;
    }
    out.Copy(b);
    ++i;
  }
  Finish(scope, a, f, out);
}

int Base64Value(std::uint8_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 0;  // any other character counts as 0
}

// The bytes that the first `count` values of a group stand for.
void PutGroup(Converted& out, const int* v, int count) {
  if (count >= 2) out.Byte(static_cast<std::uint8_t>(v[0] * 4 + v[1] / 16));
  if (count >= 3) out.Byte(static_cast<std::uint8_t>((v[1] % 16) * 16 + v[2] / 4));
  if (count >= 4) out.Byte(static_cast<std::uint8_t>((v[2] % 4) * 64 + v[3]));
}

// 143 "BASE": '=' ends the data; a group cut short writes the bytes its
// values complete; a byte of 0x0D or below ends the group and is copied.
void FromBase64(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  Converted out(scope);
  int v[4] = {0, 0, 0, 0};
  int have = 0;
  for (std::uint32_t i = 0; i < f.Length(); ++i) {
    const std::uint8_t c = f.bytes[i];
    if (c == '=') break;
    if (c <= 0x0D) {
      PutGroup(out, v, have);
      have = 0;
      out.Copy(c);
      continue;
    }
    v[have++] = Base64Value(c);
    if (have == 4) {
      PutGroup(out, v, 4);
      have = 0;
    }
  }
  PutGroup(out, v, have);
  Finish(scope, a, f, out);
}

bool IsHighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

// 144 "UNIC": little-endian pairs up to a pair whose first byte is a
// terminator (its second byte may be any byte). A surrogate pair is one
// character beyond the code page; a last byte without its partner is "?".
void FromUtf16(BuiltinScope& scope, BuiltinArgs& a) {
  const std::uint8_t* s = a.pSource;
  const std::uint32_t n = s ? scope.sourceLength : 0;
  std::uint32_t i = a.pnReadPos && *a.pnReadPos > 0 ? static_cast<std::uint32_t>(*a.pnReadPos) : 0;
  if (i > n) i = n;
  Converted out(scope);
  while (i < n && !IsFieldTerminator(s[i])) {
    if (i + 1 >= n) {
      out.Byte('?');
      ++i;
      break;
    }
    const unsigned u = s[i] | static_cast<unsigned>(s[i + 1]) << 8;
    i += 2;
    if (IsHighSurrogate(u) && i + 1 < n && !IsFieldTerminator(s[i]) &&
        IsLowSurrogate(s[i] | static_cast<unsigned>(s[i + 1]) << 8)) {
      i += 2;
      out.Byte('?');
      continue;
    }
    out.Code(textcodec::UnicodeToSjis(u));
  }
  PutWhole(a, out.Text());
  MacroConsumeTo(a, i);
}

// 27 "TZK": half-width katakana (with a following voiced or semi-voiced mark
// merged) to full width; counts one replacement when any was made.
void HalfToFullKana(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string kinds = SjisByteKinds(s);
  Converted out(scope);
  bool changed = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::uint8_t b = static_cast<std::uint8_t>(s[i]);
    const int next = i + 1 < s.size() ? static_cast<std::uint8_t>(s[i + 1]) : 0;
    const int full = kinds[i] == 0 ? textcodec::ConvertHalfKanaToFull(b, next) : 0;
    if (full <= 0) {
      out.Copy(b);
      continue;
    }
    out.Code(static_cast<std::uint16_t>(full & 0xFFFF));
    if (full > 0xFFFF) ++i;
    changed = true;
  }
  if (changed) ++scope.state.m_nMacroReplaceTotal;
  Finish(scope, a, f, out);
}

// 30 "THK": full-width katakana (lead 0x83) to half width, the letter
// before its mark.
void FullToHalfKana(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string kinds = SjisByteKinds(s);
  Converted out(scope);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::uint8_t b = static_cast<std::uint8_t>(s[i]);
    if (kinds[i] == 1) {
      const std::uint8_t second = static_cast<std::uint8_t>(s[i + 1]);
      const int half = b == 0x83 && second >= 0x40 ? csv::KatakanaToHalfWidth(second) : -1;
      if (half > 0) {
        out.Byte(static_cast<std::uint8_t>(half & 0xFF));
        if (half > 0xFF) out.Byte(static_cast<std::uint8_t>(half >> 8));
      } else {
        out.Copy(b);
        out.Copy(second);
      }
      ++i;
      continue;
    }
    out.Copy(b);
  }
  Finish(scope, a, f, out);
}

// Full-width forms of the ASCII digits and signs and of the letters.
constexpr char kNumberSigns[] = "+-.,";
constexpr std::uint16_t kFullSigns[] = {0x817B, 0x817C, 0x8144, 0x8143};

// 28 "TZN", 29 "TZA": ASCII digits (with + - . ,) or letters to full width.
// 31 "THN", 32 "THA": the full-width ones back to ASCII. Other characters
// stay as they are.
void Widths(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string kinds = SjisByteKinds(s);
  const bool numbers = a.nCode == 28 || a.nCode == 31;
  const bool toFull = a.nCode == 28 || a.nCode == 29;
  Converted out(scope);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::uint8_t b = static_cast<std::uint8_t>(s[i]);
    if (toFull && kinds[i] == 0) {
      std::uint16_t full = 0;
      if (numbers) {
        if (b >= '0' && b <= '9') full = static_cast<std::uint16_t>(0x824F + (b - '0'));
        for (int k = 0; k < 4 && b != 0; ++k)
          if (b == static_cast<std::uint8_t>(kNumberSigns[k])) full = kFullSigns[k];
      } else if (b >= 'A' && b <= 'Z') {
        full = static_cast<std::uint16_t>(0x8260 + (b - 'A'));
      } else if (b >= 'a' && b <= 'z') {
        full = static_cast<std::uint16_t>(0x8281 + (b - 'a'));
      }
      if (full) out.Code(full);
      else out.Copy(b);
      continue;
    }
    if (!toFull && kinds[i] == 1) {
      const std::uint16_t code = static_cast<std::uint16_t>(b << 8 | static_cast<std::uint8_t>(s[i + 1]));
      char half = 0;
      if (numbers) {
        if (code >= 0x824F && code <= 0x8258) half = static_cast<char>('0' + (code - 0x824F));
        for (int k = 0; k < 4; ++k)
          if (code == kFullSigns[k]) half = kNumberSigns[k];
      } else if (code >= 0x8260 && code <= 0x8279) {
        half = static_cast<char>('A' + (code - 0x8260));
      } else if (code >= 0x8281 && code <= 0x829A) {
        half = static_cast<char>('a' + (code - 0x8281));
      }
      if (half) {
        out.Copy(static_cast<std::uint8_t>(half));
      } else {
        out.Copy(b);
        out.Copy(static_cast<std::uint8_t>(s[i + 1]));
      }
      ++i;
      continue;
    }
    out.Copy(b);
  }
  Finish(scope, a, f, out);
}

bool IsTanLead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC); }

// 80 "TAN" and 78 "TUN": the Shift-JIS or UTF-16 code of the field's first
// character, "%d"; only its first byte (and an opening quote) is consumed.
void CharacterCode(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::uint8_t* s = f.bytes;
  const std::uint32_t n = f.Length();
  std::uint32_t i = 0;
  const bool quoted = f.Quoted();
  if (quoted) {
    a.Put("\"", 1);
    ++i;
  }
  long long code = 0;
  if (i < n) {
    const std::uint8_t b = s[i];
    const bool pair = i + 1 < n && IsTanLead(b);
    if (a.nCode == 80) {
      code = pair ? b * 256 + s[i + 1] : b;
    } else {
      char16_t u = pair ? textcodec::SjisToUnicode(static_cast<std::uint16_t>(b * 256 + s[i + 1]))
                        : textcodec::SjisToUnicode(b);
      if (u == textcodec::kNoUnicode) u = 0x30FB;  // the code page's default character
      code = u;
    }
    ++i;
  }
  PutNumber(a, code);
  if (quoted) a.Put("\"", 1);
  MacroConsumeTo(a, f.start + i);
}

// 179 "TNC": the character of a character id (the field's number, read as
// the number functions read it).
void CidCharacter(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const FieldNumber num = ReadFieldNumber(f.bytes, f.Length(), NumberReadMode::kInteger);
  const bool quoted = num.quoted;
  // The id's two bytes: the number's low 16 bits.
  const std::uint64_t id = (num.negative ? 0 - num.magnitude : num.magnitude) & 0xFFFF;
  std::uint8_t hi = static_cast<std::uint8_t>(id >> 8), lo = static_cast<std::uint8_t>(id & 0xFF);
  textcodec::CidToSjis(&hi, &lo);
  Converted out(scope);
  if (quoted) out.Copy('"');
  out.Byte(hi);
  if (lo != 0) out.Byte(lo);
  if (quoted) out.Copy('"');
  Finish(scope, a, f, out);
}

}  // namespace

void RegisterConversionFunctions(BuiltinHandler* at) {
  at[140] = FromUtf8;
  at[141] = FromEuc;
  at[142] = FromIso2022;
  at[143] = FromBase64;
  at[144] = FromUtf16;
  at[27] = HalfToFullKana;
  at[30] = FullToHalfKana;
  at[28] = at[29] = at[31] = at[32] = Widths;
  at[78] = at[80] = CharacterCode;
  at[179] = CidCharacter;
}

}  // namespace macro
