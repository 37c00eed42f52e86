// The HTML run in memory for the tests: a host that keeps every message, a
// condition selection that marks chosen cells, and a run of a CSV text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "csv/csv_table.h"
#include "export/html/html_run.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_conditions.h"
#include "export/xlsx/xlsx_run.h"

namespace htmltest {

// Writes each condition's marker ("zz" and the object number, from the
// command) over the cells listed (line and field of the condition's own
// table, both from 1), as the selection's assignment would.
class MarkingSelector : public xlsx::XlsxConditionSelector {
 public:
  std::vector<std::pair<int, int>> cells;
  int Select(csv::Table& table, const CString& condition, const CString& command) override {
    const std::string c = command.Str();
    const std::size_t z = c.find("zz");
    if (z == std::string::npos) return 0;
    const std::string marker = c.substr(z, 4);
    const std::string text(reinterpret_cast<const char*>(table.m_pTextBuf), table.UsedLength());
    std::string out;
    int line = 1, field = 1;
    bool marked = false;
    for (char ch : text) {
      if (ch == '\n') {
        out += ch;
        ++line;
        field = 1;
        marked = false;
        continue;
      }
      if (ch == '\r' || ch == '\x06') {
        out += ch;
        if (ch == '\x06') ++field;
        marked = false;
        continue;
      }
      bool wanted = false;
      for (const auto& cell : cells) wanted = wanted || (cell.first == line && cell.second == field);
      if (wanted) {
        if (!marked) out += marker;
        marked = true;
        continue;
      }
      out += ch;
    }
    table.Assign(out.data(), out.size(), 16);
    return 1;
  }
};

class Host : public xlsx::XlsxRunHost {
 public:
  std::vector<std::string> reports;   // "code:text"
  std::vector<std::string> messages;  // message boxes
  MarkingSelector selector;
  int ReportMessage(int code, const CString& text) override {
    reports.push_back(std::to_string(code) + ":" + text.Str());
    return 1;
  }
  void ShowMessage(const CString& text) override { messages.push_back(text.Str()); }
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
  xlsx::XlsxConditionSelector* ConditionSelector() override { return &selector; }
};

// A CSV text (commas) through the run into memory.
struct PageRun {
  csv::Table table;
  xlsx::XlsxRun run;
  xlsx::XlsxRunInput in;
  exportcore::MemoryPartSink charts;
  Host host;
  std::string page;
  int result = 0;

  explicit PageRun(const std::string& csvText, std::vector<std::pair<int, int>> marked = {}) {
    EXPECT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 16));
    in.table = &table;
    host.selector.cells = std::move(marked);
    result = htmlexport::XlsxWriteHtmlPage(run, in, charts, host, &page);
  }
};

// The text between the first `from` at or after `at` and the next `to`
// (empty when either is missing).
inline std::string Between(const std::string& s, const std::string& from, const std::string& to, std::size_t at = 0) {
  const std::size_t a = s.find(from, at);
  if (a == std::string::npos) return std::string();
  const std::size_t b = s.find(to, a + from.size());
  if (b == std::string::npos) return std::string();
  return s.substr(a + from.size(), b - a - from.size());
}

inline std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

}  // namespace htmltest
