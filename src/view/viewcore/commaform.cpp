#include "view/viewcore/commaform.h"

#include <cstring>

#include "csv/csv_buffer.h"

namespace viewcore {
namespace {

constexpr std::uint8_t kSep = csv::CSV_FIELD_SEP;
constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

bool IsRowEnd(std::uint8_t c) { return c == kCr || c == kLf; }

// Length of the text: up to `len` or the first NUL.
std::size_t TextEnd(const std::uint8_t* buf, std::size_t len) {
  const void* nul = len ? std::memchr(buf, 0, len) : nullptr;
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - buf) : len;
}

bool HasSeparator(const std::uint8_t* buf, std::size_t end) {
  for (std::size_t i = 0; i < end; ++i)
    if (buf[i] == kSep || buf[i] == kTab) return true;
  return false;
}

// Where the written text ends: control bytes after the last row end are left
// out when they are one or two.
std::size_t WrittenEnd(const std::uint8_t* buf, std::size_t end) {
  std::size_t t = end;
  while (t > 0 && buf[t - 1] < 0x20) --t;
  std::size_t k = t;
  while (k < end && !IsRowEnd(buf[k])) ++k;  // separators before the row end stay
  if (k == end) return end;                  // no row end in the tail
  std::size_t rowEnd = k + ((buf[k] == kCr && k + 1 < end && buf[k + 1] == kLf) ? 2 : 1);
  std::size_t rest = end - rowEnd;
  return (rest >= 1 && rest <= 2) ? rowEnd : end;
}

// One field [b, e) in comma form.
void PutCommaField(const std::uint8_t* b, const std::uint8_t* e, std::string& out, CommaFormStats& st) {
  bool inQuotes = false;
  bool commaOutside = false;
  for (const std::uint8_t* p = b; p < e; ++p) {
    if (*p == '"') inQuotes = !inQuotes;
    else if (*p == ',' && !inQuotes) commaOutside = true;
  }
  if (commaOutside) {
    out += '"';
    for (const std::uint8_t* p = b; p < e; ++p) {
      if (*p == '"') out += '"';
      out += static_cast<char>(*p);
    }
    out += '"';
    ++st.quotedFields;
    return;
  }
  out.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(e - b));
  if (inQuotes) {
    out += '"';
    ++st.closedQuotes;
  }
}

}  // namespace

CommaFormKind CommaFormKindFor(int fileKind) {
  return (fileKind == 33 || fileKind == 35) ? CommaFormKind::kComma : CommaFormKind::kTab;
}

void AppendCommaForm(const std::uint8_t* buf, std::size_t len, CommaFormKind kind, std::string& out,
                     CommaFormStats* stats) {
  CommaFormStats st;
  const std::size_t textEnd = buf ? TextEnd(buf, len) : 0;
  const std::size_t end = HasSeparator(buf, textEnd) ? WrittenEnd(buf, textEnd) : textEnd;
  st.droppedTail = textEnd - end;
  out.reserve(out.size() + end + end / 8 + 16);

  if (kind == CommaFormKind::kTab) {
    for (std::size_t i = 0; i < end; ++i) {
      const std::uint8_t c = buf[i];
      if (c == kLf || (c == kCr && !(i + 1 < end && buf[i + 1] == kLf))) ++st.rows;
      out += static_cast<char>(c == kSep ? kTab : c);
    }
    if (end > 0 && !IsRowEnd(buf[end - 1])) ++st.rows;
    if (stats) *stats = st;
    return;
  }

  std::size_t fieldStart = 0;
  bool inQuotes = false;
  for (std::size_t i = 0; i <= end; ++i) {
    const bool atEnd = i == end;
    const std::uint8_t c = atEnd ? 0 : buf[i];
    if (!atEnd && c == '"') {
      inQuotes = !inQuotes;
      continue;
    }
    const bool fieldEnd = atEnd || c == kSep || IsRowEnd(c) || (c == kTab && !inQuotes);
    if (!fieldEnd) continue;
    PutCommaField(buf + fieldStart, buf + i, out, st);
    inQuotes = false;
    if (atEnd) {
      if (end > 0 && !IsRowEnd(buf[end - 1])) ++st.rows;
      break;
    }
    if (c == kSep || c == kTab) {
      out += ',';
    } else {
      out += static_cast<char>(c);
      if (c == kCr && i + 1 < end && buf[i + 1] == kLf) out += static_cast<char>(buf[++i]);
      ++st.rows;
    }
    fieldStart = i + 1;
  }
  if (stats) *stats = st;
}

}  // namespace viewcore
