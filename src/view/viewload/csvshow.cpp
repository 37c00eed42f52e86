#include "view/viewload/csvshow.h"


#include <cstring>

namespace viewload {
namespace {

bool IsLead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

void AppendCsvShown(const std::uint8_t* buf, std::size_t len, const CsvShowOptions& options, std::string& out,
                    CsvShowStats* stats) {
  CsvShowStats st;
  if (!buf) len = 0;
  const void* nul = len ? std::memchr(buf, 0, len) : nullptr;
  if (nul) len = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - buf);
  std::uint64_t lastShown =
      options.maxRows ? static_cast<std::uint64_t>(options.firstRow) + options.maxRows : ~std::uint64_t(0);
  std::size_t p = 0;
  std::uint32_t row = 0;
  while (p < len) {
    // One row: [p, e) and its end.
    std::size_t e = p;
    while (e < len && buf[e] != '\r' && buf[e] != '\n') ++e;
    std::size_t next = e;
    if (next < len && buf[next] == '\r') ++next;
    if (next < len && buf[next] == '\n' && (next == e || buf[next - 1] == '\r')) ++next;
    if (row >= options.firstRow && row < lastShown) {
      bool quoted = false;
      for (std::size_t i = p; i < e; ++i) {
        std::uint8_t c = buf[i];
        if (c == 0x06) {
          out += '\t';
          quoted = false;
        } else if (c == '"' && options.hideQuotes) {
          if (quoted && i + 1 < e && buf[i + 1] == '"') {
            out += '"';
            ++i;
          } else {
            quoted = !quoted;
          }
        } else {
          out += static_cast<char>(c);
        }
      }
      if (next > e) out += "\r\n";
      ++st.rowsShown;
    } else {
      st.paged = true;
    }
    ++row;
    p = next;
  }
  st.rowsTotal = row;
  if (stats) *stats = st;
}

std::size_t ShownTextLength(const char* text, std::size_t len, long long limit, bool* cut) {
  if (cut) *cut = false;
  if (limit <= 0 || len <= static_cast<unsigned long long>(limit)) return len;
  if (cut) *cut = true;
  std::size_t lim = static_cast<std::size_t>(limit);
  for (std::size_t i = lim; i > 0; --i)
    if (text[i - 1] == '\n') return i;
  // One long line: whole characters only.
  std::size_t i = 0;
  while (i < lim) {
    std::size_t w = IsLead(static_cast<std::uint8_t>(text[i])) ? 2 : 1;
    if (i + w > lim) break;
    i += w;
  }
  return i;
}

}  // namespace viewload
