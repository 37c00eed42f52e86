// A chart call filled by hand over a small generated table, for the tests of
// the chart groups and axes: keyword lines are appended under the table and
// their value offsets go into the call state.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "export/chart/chart_call.h"
#include "support/xml_wellformed.h"

namespace charttest {

struct ChartFixture {
  std::string text;
  std::string names[2];
  std::uint32_t starts[2] = {0, 0};
  chart::ChartMessages messages;
  chart::ChartCall c;

  // Rows of the table from the text's first byte (sheet 1 starts at 0).
  explicit ChartFixture(std::initializer_list<std::vector<std::string>> rows) {
    for (const auto& row : rows) {
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (i) text += '\x06';
        text += row[i];
      }
      text += "\r\n";
    }
    text += "!$\r\n";
  }

  // Appends a keyword line and returns the offset of its value.
  std::uint32_t Line(const char* keyword, const std::string& value) {
    text += keyword;
    text += '\x06';
    const auto offset = static_cast<std::uint32_t>(text.size());
    text += value;
    text += "\r\n";
    return offset;
  }
  void Data(const std::string& reference) { c.data[c.ndata++] = Line("data", reference); }

  // Points the call at the text once every line is in, with a chart of the
  // given pixel size.
  void Ready(std::int64_t widthPx = 400, std::int64_t heightPx = 300) {
    c.table = chart::ChartText{text.data(), static_cast<std::uint32_t>(text.size()), 3};
    c.sheets = chart::ChartSheetList{names, starts, 2};
    c.messages = &messages;
    c.sheet = 1;
    c.widthPx = widthPx;
    c.heightPx = heightPx;
  }

  std::string Xml() const { return std::string(c.xml.Data(), c.xml.Size()); }
  // The output wrapped in one element (opened by `open`) passes the
  // well-formedness check.
  std::string Problem(const std::string& open = std::string()) const {
    return testsupport::XmlWellFormedProblem("<r>" + open + Xml() + "</r>");
  }
};

// The n-th (from 0) element that starts with `open` up to its `close`,
// both included; empty when there is none.
inline std::string Nth(const std::string& xml, const std::string& open, const std::string& close, int n = 0) {
  std::size_t at = 0;
  for (int i = 0;; ++i) {
    at = xml.find(open, at);
    if (at == std::string::npos) return std::string();
    if (i == n) break;
    at += open.size();
  }
  std::size_t end = xml.find(close, at);
  if (end == std::string::npos) return std::string();
  return xml.substr(at, end + close.size() - at);
}

inline int Count(const std::string& xml, const std::string& what) {
  int n = 0;
  for (std::size_t at = xml.find(what); at != std::string::npos; at = xml.find(what, at + what.size())) ++n;
  return n;
}

inline bool Has(const std::string& xml, const std::string& what) { return xml.find(what) != std::string::npos; }

}  // namespace charttest
