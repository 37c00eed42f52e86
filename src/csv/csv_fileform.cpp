#include "csv/csv_fileform.h"

#include "core/docsvc/filekind.h"
#include "csv/csv_fastscan.h"

#include "csv/csv_buffer.h"

namespace csv {
namespace {

constexpr std::uint8_t kSep = CSV_FIELD_SEP;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

bool IsRowEnd(std::uint8_t c) { return c == kCr || c == kLf; }

// True when the row [b, e) is what the loader makes of a file row: counting
// quotes from the row start, no separator inside quotes and no comma outside.
bool IsLoaderRow(const std::uint8_t* b, const std::uint8_t* e) {
  bool quoted = false;
  for (const std::uint8_t* p = b; p < e; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (*p == kSep && quoted) return false;
    else if (*p == ',' && !quoted) return false;
  }
  return true;
}

// One field [b, e) of an edited row in comma form.
void PutCommaField(const std::uint8_t* b, const std::uint8_t* e, std::string& out, CommaFormStats& st) {
  bool quoted = false;
  bool commaOutside = false;
  for (const std::uint8_t* p = b; p < e; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (*p == ',' && !quoted) commaOutside = true;
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
  if (quoted) {
    out += '"';
    ++st.closedQuotes;
  }
}

void PutRow(const std::uint8_t* b, const std::uint8_t* e, std::string& out, CommaFormStats& st) {
  if (IsLoaderRow(b, e)) {
    for (const std::uint8_t* p = b; p < e; ++p) out += static_cast<char>(*p == kSep ? ',' : *p);
    return;
  }
  ++st.rewrittenRows;
  const std::uint8_t* f = b;
  for (const std::uint8_t* p = b;; ++p) {
    if (p == e || *p == kSep) {
      PutCommaField(f, p, out, st);
      if (p == e) break;
      out += ',';
      f = p + 1;
    }
  }
}

}  // namespace

void CommasToFieldSeparators(const std::uint8_t* src, std::size_t len, std::uint8_t* dst) {
  CommasToSeparators(src, len, dst);
}

std::size_t CountFieldSeparatorBytes(const std::uint8_t* text, std::size_t len) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < len; ++i) n += text[i] == kSep;
  return n;
}

CommaFormKind CommaFormKindFor(int fileKind) {
  return docsvc::IsCsvKind(fileKind) ? CommaFormKind::kComma : CommaFormKind::kTab;
}

void AppendCommaForm(const std::uint8_t* buf, std::size_t len, CommaFormKind kind, std::string& out,
                     CommaFormStats* stats) {
  CommaFormStats st;
  if (!buf) len = 0;
  out.reserve(out.size() + len + len / 16 + 16);
  std::size_t i = 0;
  while (i < len) {
    std::size_t e = i;
    while (e < len && !IsRowEnd(buf[e])) ++e;
    if (kind == CommaFormKind::kTab) {
      for (std::size_t k = i; k < e; ++k) out += static_cast<char>(buf[k] == kSep ? '\t' : buf[k]);
    } else {
      PutRow(buf + i, buf + e, out, st);
    }
    ++st.rows;
    if (e == len) break;
    std::size_t next = e + ((buf[e] == kCr && e + 1 < len && buf[e + 1] == kLf) ? 2 : 1);
    out.append(reinterpret_cast<const char*>(buf + e), next - e);
    i = next;
  }
  if (stats) *stats = st;
}

}  // namespace csv
