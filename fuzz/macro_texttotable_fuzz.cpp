// The view's text-to-table conversion over any text and line range. Input:
// a byte for the range's first line, one for its last (255: to the end),
// then the text. Checks: the table's index is the one a fresh scan of its
// content gives; with the TAB separator every line of the text comes out
// as one row, and a row of the range holds one 0x06 for each TAB of its line
// (and each 0x06 it had) while a row outside it holds only the 0x06 it had;
// with the bar separator no row is added; nothing reads outside the text
// (ASan).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/sjis.h"
#include "macro/macro_texttotable.h"

namespace {

void Fail(const char* what) {
  (void)what;
  std::abort();
}

// Lines of `s` as the conversion splits them (CR LF, CR or LF).
std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t e = i;
    while (e < s.size() && s[e] != '\r' && s[e] != '\n') ++e;
    out.push_back(s.substr(i, e - i));
    if (e < s.size() && s[e] == '\r') {
      ++e;
      if (e < s.size() && s[e] == '\n') ++e;
    } else if (e < s.size()) {
      ++e;
    }
    i = e;
  }
  return out;
}

std::size_t Count(const std::string& s, char c) {
  std::size_t n = 0;
  for (char x : s) n += x == c;
  return n;
}

std::size_t CountTabs(const std::string& s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    n += s[i] == '\t';
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  macro::TextTableRequest req;
  req.how = 1;
  req.firstLine = data[0];
  req.lastLine = data[1] == 255 ? -1 : data[1];
  data += 2;
  size -= 2;
  // An exactly sized copy: a read past the text's end is caught.
  const std::vector<std::uint8_t> exact(data, data + size);
  csv::Table t;
  const macro::TextTableOutcome o = macro::ConvertTextLinesToTable(exact.data(), exact.size(), req, &t);
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));  // a NUL ends the text
  if (o.result != macro::kTextTableDone) Fail("result");
  const std::string got(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength());
  csv::Table fresh;
  if (!fresh.Assign(got.data(), got.size(), 16)) return 0;
  if (fresh.m_nLastRow != t.m_nLastRow || fresh.m_nFieldCount != t.m_nFieldCount) Fail("index");
  const std::vector<std::string> in = Lines(text), outRows = Lines(got);
  if (in.empty()) return 0;
  const int count = static_cast<int>(in.size());
  const int first = req.firstLine < count ? req.firstLine : count - 1;
  const int last = req.lastLine < 0 || req.lastLine >= count ? count - 1 : (req.lastLine < first ? first : req.lastLine);
  if (o.separator == macro::TextTableSeparator::kTab) {
    if (outRows.size() != in.size()) Fail("rows");
    for (int k = 0; k < count; ++k) {
      const std::size_t want = Count(in[k], '\x06') + (k >= first && k <= last ? CountTabs(in[k]) : 0);
      if (Count(outRows[k], '\x06') != want) Fail("fields");
    }
  } else if (o.separator == macro::TextTableSeparator::kBar) {
    if (outRows.size() > in.size()) Fail("rows added");
  }
  return 0;
}
