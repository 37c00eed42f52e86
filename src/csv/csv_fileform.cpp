#include "csv/csv_fileform.h"

#include <cstring>
#include <utility>
#include <vector>

#include "core/docsvc/filekind.h"
#include "csv/csv_fastscan.h"

#include "csv/csv_buffer.h"
#include "csv/csv_cellbreaks.h"

namespace csv {
namespace {

constexpr std::uint8_t kSep = CSV_FIELD_SEP;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

// A byte of a cell as the file has it: an in-cell break code becomes the
// line-end byte it stands for (unless the table's code bytes are data).
inline char FileByte(std::uint8_t c, bool codes) {
  if (codes) {
    if (c == kCellCr) return '\r';
    if (c == kCellLf) return '\n';
  }
  return static_cast<char>(c);
}

// True when the row [b, e) is what the loader makes of a file row: counting
// quotes from the row start, no separator inside quotes and no comma
// outside them; and every in-cell code where the load makes one.
bool IsLoaderRow(const std::uint8_t* b, const std::uint8_t* e, bool codes) {
  bool quoted = false;
  bool hasCode = false;
  for (const std::uint8_t* p = b; p < e; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (*p == kSep && quoted) return false;
    else if (*p == ',' && !quoted) return false;
    else hasCode |= IsCellBreakCode(*p);
  }
  return !(codes && hasCode) || ReadRowAsLoaded(b, e).codesInside;
}

// One field [b, e) of an edited row in comma form.
// A field with a comma outside quotes, or with an in-cell code that would
// not read back as one, is written in quotes, so that it reads back as one
// field of one record.
// `strict` (a row with in-cell codes): every field with a quote, a comma or
// a code is written in quotes, so that each quoted field starts at its
// field's start and the load reads the codes back inside it; a field already
// quoted as the load leaves one is written as it stands (quoting it again
// would make its quotes part of its value).
// A field as the load leaves a quoted file field: a double quote at both
// ends and every quote between them doubled. Written as it stands it reads
// back as itself.
bool IsWellQuotedField(const std::uint8_t* b, const std::uint8_t* e) {
  if (e - b < 2 || *b != '"' || e[-1] != '"') return false;
  for (const std::uint8_t* p = b + 1; p < e - 1; ++p) {
    if (*p != '"') continue;
    if (p + 1 >= e - 1 || p[1] != '"') return false;
    ++p;
  }
  return true;
}

void PutCommaField(const std::uint8_t* b, const std::uint8_t* e, bool codes, bool strict, std::string& out,
                   CommaFormStats& st) {
  bool quoted = false;
  bool quoteIt = false;
  bool hasCode = false;
  for (const std::uint8_t* p = b; p < e; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (*p == ',' && !quoted) quoteIt = true;
    else hasCode |= codes && IsCellBreakCode(*p);
  }
  if (hasCode && !quoteIt && !ReadRowAsLoaded(b, e).codesInside) quoteIt = true;
  if (strict && !quoteIt && !IsWellQuotedField(b, e)) {
    for (const std::uint8_t* p = b; p < e && !quoteIt; ++p)
      quoteIt = *p == '"' || *p == ',' || (codes && IsCellBreakCode(*p));
  }
  if (quoteIt) {
    out += '"';
    for (const std::uint8_t* p = b; p < e; ++p) {
      if (*p == '"') out += '"';
      out += FileByte(*p, codes);
    }
    out += '"';
    ++st.quotedFields;
    return;
  }
  for (const std::uint8_t* p = b; p < e; ++p) out += FileByte(*p, codes);
  if (quoted) {
    out += '"';
    ++st.closedQuotes;
  }
}

// `rewrite`: written field by field even if the loader could have made it.
void PutRow(const std::uint8_t* b, const std::uint8_t* e, bool codes, bool rewrite, std::string& out,
            CommaFormStats& st) {
  if (!rewrite) {
    const std::size_t at = out.size();
    const auto n = static_cast<std::size_t>(e - b);
    // Most rows hold no quote, comma or code: copied whole, separators
    // turned into commas.
    static const std::uint8_t kSpecial[] = {'"', ',', kCellCr, kCellLf};
    if (FindFirstOfSet(b, 0, n, kSpecial, 4) == n) {
      out.append(reinterpret_cast<const char*>(b), n);
      for (char* o = &out[0] + at, *end = o + n; o < end; ++o) *o = *o == kSep ? ',' : *o;
      return;
    }
    // Written as the loader row it most likely is, checked on the way
    // (IsLoaderRow in the same pass); taken back when it is not one.
    out.resize(at + n);
    char* o = &out[at];
    bool quoted = false, hasCode = false, loader = true;
    for (const std::uint8_t* p = b; p < e; ++p, ++o) {
      std::uint8_t c = *p;
      if (c == '"') {
        quoted = !quoted;
      } else if (c == kSep) {
        if (quoted) {
          loader = false;
          break;
        }
        c = ',';
      } else if (c == ',') {
        if (!quoted) {
          loader = false;
          break;
        }
      } else if (codes && IsCellBreakCode(c)) {
        hasCode = true;
        c = c == kCellCr ? kCr : kLf;
      }
      *o = static_cast<char>(c);
    }
    if (loader && hasCode && !ReadRowAsLoaded(b, e).codesInside) loader = false;
    if (loader) return;
    out.resize(at);
  }
  ++st.rewrittenRows;
  bool strict = false;
  for (const std::uint8_t* p = b; p < e && codes && !strict; ++p) strict = IsCellBreakCode(*p);
  const std::uint8_t* f = b;
  for (const std::uint8_t* p = b;; ++p) {
    if (p == e || *p == kSep) {
      PutCommaField(f, p, codes, strict, out, st);
      if (p == e) break;
      out += ',';
      f = p + 1;
    }
  }
}

std::size_t RowEnd(const std::uint8_t* buf, std::size_t i, std::size_t len) {
  return FindFirstOf(buf, i, len, kCr, kLf, kCr, kLf);
}
std::size_t NextRow(const std::uint8_t* buf, std::size_t e, std::size_t len) {
  return e + ((buf[e] == kCr && e + 1 < len && buf[e + 1] == kLf) ? 2 : 1);
}

// Rows that must have their open quote closed: a row that, written as it
// stands, would end inside a quoted field which a quote further on in the
// written text closes: the load would read its row end as an in-cell break
// and join the next row to it. The load leaves no such row; an edit or a
// command may. Whether a later quote closes the field depends on how the
// later rows are written, so the rows are decided from the last one up.
std::vector<bool> RowsToClose(const std::uint8_t* buf, std::size_t len) {
  std::vector<std::pair<std::size_t, std::size_t>> rows;
  for (std::size_t i = 0; i < len;) {
    const std::size_t e = RowEnd(buf, i, len);
    rows.emplace_back(i, e);
    if (e == len) break;
    i = NextRow(buf, e, len);
  }
  std::vector<bool> close(rows.size(), false);
  bool tailCloses = false;  // the text after the current row holds a closing quote
  std::string scratch;
  CommaFormStats unused;
  for (std::size_t k = rows.size(); k-- > 0;) {
    const std::uint8_t* b = buf + rows[k].first;
    const std::uint8_t* e = buf + rows[k].second;
    bool verbatim = IsLoaderRow(b, e, true);
    if (verbatim && tailCloses && ReadRowAsLoaded(b, e).endsInQuotedField) {
      close[k] = true;
      verbatim = false;
    }
    if (tailCloses) continue;
    if (verbatim) {
      tailCloses = HasClosingQuote(b, e);
    } else {
      scratch.clear();
      PutRow(b, e, true, close[k], scratch, unused);
      const auto* o = reinterpret_cast<const std::uint8_t*>(scratch.data());
      tailCloses = HasClosingQuote(o, o + scratch.size());
    }
  }
  return close;
}

}  // namespace

CellBreakLoad CommasToFieldSeparators(const std::uint8_t* src, std::size_t len, std::uint8_t* dst) {
  CellBreakLoad load;
  load.codesAreData = HasCellBreakBytes(src, len);
  if (QuoteOpenAtRowEnd(src, len)) {
    if (load.codesAreData) {
      load.breaksLeft = true;
    } else if (src == dst) {
      const std::string aside(reinterpret_cast<const char*>(src), len);
      load.codes = CommasToSeparatorsWithCellBreaks(reinterpret_cast<const std::uint8_t*>(aside.data()), len, dst);
      return load;
    } else {
      load.codes = CommasToSeparatorsWithCellBreaks(src, len, dst);
      return load;
    }
  }
  CommasToSeparators(src, len, dst);
  return load;
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
                     CommaFormStats* stats, bool codesAreData) {
  const bool codes = !codesAreData;
  CommaFormStats st;
  if (!buf) len = 0;
  out.reserve(out.size() + len + len / 16 + 16);
  // Only a row that ends with a quote open can need closing.
  std::vector<bool> close;
  if (kind == CommaFormKind::kComma && codes && QuoteOpenAtRowEnd(buf, len)) close = RowsToClose(buf, len);
  std::size_t i = 0;
  for (std::size_t row = 0; i < len; ++row) {
    const std::size_t e = RowEnd(buf, i, len);
    if (kind == CommaFormKind::kTab) {
      for (std::size_t k = i; k < e; ++k) out += buf[k] == kSep ? '\t' : FileByte(buf[k], codes);
    } else {
      PutRow(buf + i, buf + e, codes, row < close.size() && close[row], out, st);
    }
    ++st.rows;
    if (e == len) break;
    const std::size_t next = NextRow(buf, e, len);
    out.append(reinterpret_cast<const char*>(buf + e), next - e);
    i = next;
  }
  if (stats) *stats = st;
}

}  // namespace csv
