// Any CSV text (format rows, row codes, settings lines, format sections,
// chart blocks) through the HTML run into memory. The table's text lies in
// a block of exactly its length, so that a read past it is caught; the run
// succeeds; the page has its frame; every cell is one line whose b, u, i, s
// and font tags are closed in it in the reverse order; a cell has at most
// one style attribute; and every width has its three digits (a column) or
// four (the table). A '<' of the input becomes '{' so that no cell text
// starts with markup of its own (the writer's tags are then the only ones
// at a cell's start).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "export/html/html_run.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_conditions.h"
#include "export/xlsx/xlsx_run.h"

namespace {

void Fail(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what.c_str(), detail.substr(0, 400).c_str());
  std::abort();
}

// Writes the command's marker into the first cell of every other row of its
// own table, so that condition records reach cells.
class FakeSelector : public xlsx::XlsxConditionSelector {
 public:
  int Select(csv::Table& table, const CString&, const CString& command) override {
    const std::string c = command.Str();
    const std::size_t z = c.find("zz");
    if (z == std::string::npos) return 0;
    const std::string marker = c.substr(z, 4);
    const std::string text(reinterpret_cast<const char*>(table.m_pTextBuf), table.UsedLength());
    std::string out;
    bool lineStart = true;
    int line = 0;
    for (char ch : text) {
      if (lineStart && ch != '\r' && ch != '\n' && (++line % 2) == 0) out += marker + '\x06';
      out += ch;
      lineStart = ch == '\n';
    }
    table.Assign(out.data(), out.size(), 16);
    return 1;
  }
};

class QuietHost : public xlsx::XlsxRunHost {
 public:
  int ReportMessage(int code, const CString&) override {
    reports.push_back(code);
    return 1;
  }
  void ShowMessage(const CString&) override {}
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
  xlsx::XlsxConditionSelector* ConditionSelector() override { return &selector; }
  FakeSelector selector;
  std::vector<int> reports;
};

bool StartsWith(const std::string& s, std::size_t at, const char* p) { return s.compare(at, std::strlen(p), p) == 0; }

// The digits of a width at s[at]: exactly `digits` of them, then `after`.
void CheckWidth(const std::string& s, std::size_t at, int digits, char after, const char* what) {
  for (int i = 0; i < digits; ++i)
    if (at + i >= s.size() || s[at + i] < '0' || s[at + i] > '9') Fail(what, s.substr(at, 16));
  if (at + digits >= s.size() || s[at + digits] != after) Fail(what, s.substr(at, 16));
}

// One cell line: "<td ...>", the font part and the flag tags, the text,
// their ends in the reverse order, "</td>".
void CheckCell(const std::string& line) {
  const std::size_t tagEnd = line.find('>');
  if (tagEnd == std::string::npos) Fail("cell tag", line);
  const std::string tag = line.substr(0, tagEnd);
  const std::size_t style = tag.find(" style='");
  if (style != std::string::npos && tag.find(" style=", style + 1) != std::string::npos) Fail("two styles", line);
  std::vector<std::string> closes;
  std::size_t at = tagEnd + 1;
  if (StartsWith(line, at, "<font ")) {
    const std::size_t end = line.find('>', at);
    if (end == std::string::npos) Fail("font part", line);
    at = end + 1;
    closes.push_back("</font>");
  }
  for (const char* t : {"b", "u", "i", "s"}) {
    const std::string open = std::string("<") + t + ">";
    if (StartsWith(line, at, open.c_str())) {
      at += open.size();
      closes.push_back(std::string("</") + t + ">");
    }
  }
  std::string tail;
  for (auto it = closes.rbegin(); it != closes.rend(); ++it) tail += *it;
  tail += "</td>";
  if (line.size() < at + tail.size() || line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
    Fail("unclosed tags", line);
}

void CheckPage(const std::string& page) {
  if (page.rfind("<html>\r\n<head>\r\n", 0) != 0) Fail("page start", page.substr(0, 40));
  const char kEnd[] = "</body>\r\n</html>\r\n";
  if (page.size() < sizeof kEnd || page.compare(page.size() - (sizeof kEnd - 1), sizeof kEnd - 1, kEnd) != 0)
    Fail("page end", page.substr(page.size() > 40 ? page.size() - 40 : 0));
  const std::size_t body = page.find("</style></head>\r\n<body>\r\n");
  if (body == std::string::npos) Fail("body tag", "");
  std::size_t tables = 0, ends = 0;
  for (std::size_t at = body; at < page.size();) {
    std::size_t next = page.find("\r\n", at);
    if (next == std::string::npos) next = page.size();
    const std::string line = page.substr(at, next - at);
    if (StartsWith(line, 0, "<td class=")) {
      CheckCell(line);
    } else if (StartsWith(line, 0, "<table width=")) {
      CheckWidth(line, 13, 4, ' ', "table width");
      ++tables;
    } else if (StartsWith(line, 0, "<colgroup")) {
      const std::size_t w = line.find(" width=\"");
      if (w == std::string::npos) Fail("colgroup", line);
      CheckWidth(line, w + 8, 3, '"', "column width");
    } else if (line == "</table>") {
      ++ends;
    }
    at = next + 2;
  }
  if (tables == 0 || tables != ends) Fail("tables", std::to_string(tables) + " " + std::to_string(ends));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 14)) return 0;
  std::string csvText(reinterpret_cast<const char*>(data), size);
  for (char& c : csvText)
    if (c == '<') c = '{';
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(csvText.data(), csvText.size(), 16)) return 0;

  // The run reads a copy of the table whose text fills its block exactly.
  const std::uint32_t len = table->m_nTextLen;
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[len ? len : 1]);
  std::memcpy(exact.get(), table->m_pTextBuf, len);
  auto fields = std::make_unique<csv::TableFields>(static_cast<const csv::TableFields&>(*table));
  fields->m_pTextBuf = exact.get();
  fields->m_nWorkSize = len;

  // One run for every input: its buffers keep their room between inputs.
  static xlsx::XlsxRun* const run = new xlsx::XlsxRun();
  xlsx::XlsxRunInput in;
  in.table = fields.get();
  QuietHost host;
  exportcore::MemoryPartSink charts;
  std::string page;
  const int r = htmlexport::XlsxWriteHtmlPage(*run, in, charts, host, &page);
  if (r != 0) Fail("run", std::to_string(r));
  if (!host.reports.empty()) Fail("report", std::to_string(host.reports[0]));
  CheckPage(page);
  return 0;
}
