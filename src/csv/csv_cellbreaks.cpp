#include "csv/csv_cellbreaks.h"

#include <cstring>

#include "csv/csv_buffer.h"
#include "csv/csv_fastscan.h"

namespace csv {

namespace {

constexpr std::uint8_t kQuote = '"';

bool IsLineEnd(std::uint8_t c) { return c == '\r' || c == '\n'; }

// True when the quoted field that is open at `pos` (just after its opening
// quote or inside it) closes before the end: a single quote follows, not
// one of a doubled pair.
bool QuotedFieldCloses(const std::uint8_t* src, std::size_t pos, std::size_t len) {
  while (pos < len) {
    const void* q = std::memchr(src + pos, kQuote, len - pos);
    if (!q) return false;
    const std::size_t at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(q) - src);
    if (at + 1 < len && src[at + 1] == kQuote) {
      pos = at + 2;
      continue;
    }
    return true;
  }
  return false;
}

// The comma rule on one byte with the quote state `quoted`.
inline std::uint8_t CommaRule(std::uint8_t c, bool quoted) {
  if (c == ',' && !quoted) return CSV_FIELD_SEP;
  if (c == CSV_FIELD_SEP && quoted) return ',';
  return c;
}

}  // namespace

bool HasCellBreakBytes(const std::uint8_t* text, std::size_t len) {
  return len && (std::memchr(text, kCellCr, len) || std::memchr(text, kCellLf, len));
}

bool QuoteOpenAtRowEnd(const std::uint8_t* text, std::size_t len) {
  if (!len || !std::memchr(text, kQuote, len)) return false;
  bool quoted = false;
  std::size_t pos = 0;
  for (;;) {
    pos = quoted ? FindFirstOf(text, pos, len, kQuote, '\r', '\n', kQuote)
                 : FindFirstOf(text, pos, len, kQuote, kQuote, kQuote, kQuote);
    if (pos >= len) return false;
    if (text[pos] == kQuote) {
      quoted = !quoted;
    } else {
      return true;  // a row end with the quote open
    }
    ++pos;
  }
}

RowReading ReadRowAsLoaded(const std::uint8_t* b, const std::uint8_t* e) {
  RowReading r;
  enum class Field { kStart, kPlain, kQuoted };
  Field field = Field::kStart;
  bool quoted = false;
  bool pending = false;  // a code in the quoted field still open
  for (const std::uint8_t* p = b; p < e; ++p) {
    const std::uint8_t c = *p;
    if (field == Field::kQuoted) {
      if (c == kQuote) {
        if (p + 1 < e && p[1] == kQuote) {
          ++p;
        } else {
          field = Field::kPlain;
          quoted = !quoted;
          pending = false;
        }
      } else if (IsCellBreakCode(c)) {
        if (!quoted) r.codesInside = false;
        pending = true;
      }
      continue;
    }
    if (c == kQuote) {
      quoted = !quoted;
      field = field == Field::kStart ? Field::kQuoted : Field::kPlain;
    } else if (IsCellBreakCode(c)) {
      r.codesInside = false;
      field = Field::kPlain;
    } else {
      field = (c == ',' || c == CSV_FIELD_SEP) ? Field::kStart : Field::kPlain;
    }
  }
  r.endsInQuotedField = field == Field::kQuoted && quoted;
  // A code in a field the row leaves open reads back as a code only if a
  // later quote closes the field, which the row cannot promise.
  if (field == Field::kQuoted && pending) r.codesInside = false;
  return r;
}

bool HasClosingQuote(const std::uint8_t* b, const std::uint8_t* e) {
  return QuotedFieldCloses(b, 0, static_cast<std::size_t>(e - b));
}

std::size_t CommasToSeparatorsWithCellBreaks(const std::uint8_t* src, std::size_t len, std::uint8_t* dst) {
  // Two states side by side: `quoted` for the commas (toggled by every
  // quote, ended by a row end), `field` for the breaks (the quoted-field
  // rule of csv_cellbreaks.h).
  enum class Field { kStart, kPlain, kQuoted };
  Field field = Field::kStart;
  bool quoted = false;
  bool closeKnown = false, closes = false;  // of the quoted field now open
  std::size_t codes = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const std::uint8_t c = src[i];
    if (field == Field::kQuoted) {
      if (c == kQuote) {
        if (i + 1 < len && src[i + 1] == kQuote) {  // a doubled quote: two toggles
          dst[i] = dst[i + 1] = kQuote;
          ++i;
          continue;
        }
        field = Field::kPlain;
        quoted = !quoted;
        dst[i] = c;
        continue;
      }
      if (IsLineEnd(c) && quoted) {
        if (!closeKnown) {
          closes = QuotedFieldCloses(src, i, len);
          closeKnown = true;
        }
        if (closes) {
          dst[i] = c == '\r' ? kCellCr : kCellLf;
          ++codes;
          continue;
        }
      }
      if (IsLineEnd(c)) {
        // Never closed, or the commas' quote state is off (a stray quote
        // earlier in the row): an ordinary row end.
        field = Field::kStart;
        quoted = false;
        dst[i] = c;
        continue;
      }
      dst[i] = CommaRule(c, quoted);
      continue;
    }
    if (c == kQuote) {
      quoted = !quoted;
      if (field == Field::kStart) {
        field = Field::kQuoted;
        closeKnown = false;
      } else {
        field = Field::kPlain;
      }
      dst[i] = c;
    } else if (IsLineEnd(c)) {
      quoted = false;
      field = Field::kStart;
      dst[i] = c;
    } else {
      dst[i] = CommaRule(c, quoted);
      field = (c == ',' || c == CSV_FIELD_SEP) ? Field::kStart : Field::kPlain;
    }
  }
  return codes;
}

const char* CellBreaksLeftNote() {
  return "セル内改行の符号に使うバイト(0x0E, 0x7F)を含むファイルのため、引用符内の改行は行の区切りとして読みました";
}

}  // namespace csv
