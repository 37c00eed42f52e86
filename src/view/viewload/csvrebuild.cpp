#include "view/viewload/csvrebuild.h"

#include <cstring>
#include <vector>

namespace viewload {
namespace {

struct Span {
  std::size_t begin = 0;  // first byte of the row
  std::size_t end = 0;    // end of its content (row end excluded)
  std::size_t next = 0;   // first byte after its row end
};

// Rows as AppendCsvShown counts them: CR LF, a lone CR or a lone LF ends one.
std::vector<Span> SplitRows(const char* p, std::size_t len) {
  std::vector<Span> rows;
  std::size_t i = 0;
  while (i < len) {
    Span s;
    s.begin = i;
    std::size_t e = i;
    while (e < len && p[e] != '\r' && p[e] != '\n') ++e;
    std::size_t next = e;
    if (next < len && p[next] == '\r') ++next;
    if (next < len && p[next] == '\n' && (next == e || p[next - 1] == '\r')) ++next;
    s.end = e;
    s.next = next;
    rows.push_back(s);
    i = next;
  }
  return rows;
}

std::string ShownForm(const char* p, std::size_t n, bool hideQuotes) {
  CsvShowOptions o;
  o.hideQuotes = hideQuotes;
  std::string s;
  AppendCsvShown(reinterpret_cast<const std::uint8_t*>(p), n, o, s);
  return s;
}

// The 0x06-separated fields of a working-form row (0x06 never stands inside
// quotes there: the commas inside quotes stay commas).
std::vector<std::string> SplitFields(const std::string& row, char sep) {
  std::vector<std::string> f;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= row.size(); ++i) {
    if (i == row.size() || row[i] == sep) {
      f.push_back(row.substr(start, i - start));
      start = i + 1;
    }
  }
  return f;
}

// A shown row with quotes visible: a TAB outside quotes separates fields.
std::string RowFromShownQuoted(const std::string& shown) {
  std::string out;
  out.reserve(shown.size());
  bool quoted = false;
  for (char c : shown) {
    if (c == '"') quoted = !quoted;
    out += (c == '\t' && !quoted) ? '\x06' : c;
  }
  return out;
}

std::string QuoteField(const std::string& f) {
  if (f.find_first_of(",\"\t") == std::string::npos) return f;
  std::string q = "\"";
  for (char c : f) {
    if (c == '"') q += '"';
    q += c;
  }
  q += '"';
  return q;
}

// A shown row with quotes hidden: every TAB separates; unchanged fields keep
// the bytes of the original row's field (when there is one).
std::string RowFromShownHidden(const std::string& shown, const std::string* original) {
  std::vector<std::string> fields = SplitFields(shown, '\t');
  std::vector<std::string> orig;
  if (original) orig = SplitFields(*original, '\x06');
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\x06';
    if (i < orig.size() && ShownForm(orig[i].data(), orig[i].size(), true) == fields[i])
      out += orig[i];
    else
      out += QuoteField(fields[i]);
  }
  return out;
}

}  // namespace

void RebuildWorkingForm(const std::uint8_t* buf, std::size_t len, const CsvShowOptions& options,
                        const char* shown, std::size_t shownLen, std::string& out,
                        CsvRebuildStats* stats) {
  CsvRebuildStats st;
  if (!buf) len = 0;
  // The display ends at the first NUL; the bytes from there on are kept as
  // they are after the rows.
  const std::size_t fullLen = len;
  if (len) {
    const void* nul = std::memchr(buf, 0, len);
    if (nul) len = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - buf);
  }
  if (!shown) shownLen = 0;
  const char* b = reinterpret_cast<const char*>(buf);

  // The original rows and the page that was shown.
  const std::vector<Span> rows = SplitRows(b, len);
  std::size_t first = options.firstRow < rows.size() ? options.firstRow : rows.size();
  std::size_t last = rows.size();
  if (options.maxRows && first + options.maxRows < last) last = first + options.maxRows;
  const std::size_t winBegin = first < rows.size() ? rows[first].begin : len;
  const std::size_t winEnd = last > first ? rows[last - 1].next : winBegin;
  std::vector<std::string> orig, origShown;
  for (std::size_t r = first; r < last; ++r) {
    orig.emplace_back(b + rows[r].begin, rows[r].end - rows[r].begin);
    origShown.push_back(ShownForm(orig.back().data(), orig.back().size(), options.hideQuotes));
  }
  const bool lastUnterminated = last > first && last == rows.size() && rows[last - 1].next == rows[last - 1].end;

  // The control's rows.
  // The control always has a last line, empty when its text ends in a row
  // end; it is a row only when the shown page did not end in a row end.
  std::vector<std::string> disp;
  for (const Span& s : SplitRows(shown, shownLen)) disp.emplace_back(shown + s.begin, s.end - s.begin);
  if (shownLen == 0 || shown[shownLen - 1] == '\r' || shown[shownLen - 1] == '\n') disp.emplace_back();
  // Empty lines at the end beyond the page's own empty last rows are the
  // control's paragraph marks (a control may give one more), not rows.
  const bool pageEndsInRowEnd = last == first || rows[last - 1].next > rows[last - 1].end;
  if (pageEndsInRowEnd) {
    std::size_t keepEmpty = 0;
    while (keepEmpty < origShown.size() && origShown[origShown.size() - 1 - keepEmpty].empty()) ++keepEmpty;
    std::size_t empty = 0;
    while (empty < disp.size() && disp[disp.size() - 1 - empty].empty()) ++empty;
    while (empty > keepEmpty && !disp.empty()) {
      disp.pop_back();
      --empty;
    }
  }

  // Unchanged rows at the top and at the bottom.
  const std::size_t nd = disp.size(), nw = origShown.size();
  std::size_t top = 0;
  while (top < nd && top < nw && disp[top] == origShown[top]) ++top;
  std::size_t bottom = 0;
  while (bottom < nd - top && bottom < nw - top && disp[nd - 1 - bottom] == origShown[nw - 1 - bottom]) ++bottom;

  // An edited row ends as the row it replaces did, a new row as the table's
  // first row does (CR LF in a table without one).
  std::string tableRowEnd = "\r\n";
  if (!rows.empty() && rows[0].next > rows[0].end) tableRowEnd.assign(b + rows[0].end, rows[0].next - rows[0].end);
  auto rowEndOf = [&](std::size_t w) -> std::string {
    if (w < nw - bottom) {
      const Span& s = rows[first + w];
      if (s.next > s.end) return std::string(b + s.end, s.next - s.end);
    }
    return tableRowEnd;
  };

  out.clear();
  out.reserve(fullLen + shownLen / 8 + 16);
  out.append(b, winBegin);
  st.rowsOutside = static_cast<std::uint32_t>(first);
  auto keep = [&](std::size_t w) {
    const Span& s = rows[first + w];
    out.append(b + s.begin, s.next - s.begin);
    ++st.rowsKept;
  };
  for (std::size_t i = 0; i < top; ++i) keep(i);
  for (std::size_t k = top; k < nd - bottom; ++k) {
    const std::size_t w = k;  // the original row in the same place, if it was changed too
    const std::string* original = w < nw - bottom ? &orig[w] : nullptr;
    out += options.hideQuotes ? RowFromShownHidden(disp[k], original) : RowFromShownQuoted(disp[k]);
    const bool endOfText = k + 1 == nd && bottom == 0 && lastUnterminated;
    if (!endOfText) out += rowEndOf(w);
    ++st.rowsRebuilt;
  }
  for (std::size_t j = nw - bottom; j < nw; ++j) keep(j);
  out.append(b + winEnd, len - winEnd);
  out.append(b + len, fullLen - len);
  st.rowsOutside += static_cast<std::uint32_t>(rows.size() - last);
  if (stats) *stats = st;
}

}  // namespace viewload
