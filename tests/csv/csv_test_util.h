// Small helpers of the table-operation tests: tables from file text, their
// text with ',' for the separator, a recording message host, and the check
// that a result indexes again.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "csv/csv_index.h"
#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csvtest {

// Closes a quote left open at a row end (such a row may hold a line break
// inside a quoted cell, which only the careful open reads).
inline std::string CloseQuotesAtRowEnds(const std::string& s) {
  std::string out;
  bool quoted = false;
  for (char c : s) {
    if (c == '"') quoted = !quoted;
    if ((c == '\r' || c == '\n') && quoted) {
      out += '"';
      quoted = false;
    }
    out += c;
  }
  return out;
}

inline std::unique_ptr<csv::Table> MakeTable(const std::string& file) {
  auto t = std::make_unique<csv::Table>();
  EXPECT_TRUE(t->LoadFileText(file.data(), file.size(), 16));
  return t;
}

inline std::string Text(const csv::Table& t) {
  std::string s(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
  for (char& c : s) c = c == 0x06 ? ',' : c;
  return s;
}

inline std::string Raw(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
}

struct Recorder : csv::OpHost {
  std::vector<std::pair<int, std::string>> calls;
  int ReportMessage(int code, const CString& text) override {
    calls.emplace_back(code, text.Str());
    return 1;
  }
};

// The table's index equals a fresh scan of its content, with a NUL after it.
inline void ExpectIndexesAgain(const csv::Table& t) {
  ASSERT_LT(t.m_nTextLen, t.m_nWorkSize);
  EXPECT_EQ(0, t.m_pTextBuf[t.m_nTextLen]);
  csv::TableFields f = t;
  std::uint32_t len = 0, cols = 0;
  csv::BuildCsvIndex(f, t.m_pTextBuf, t.m_nTextLen, &len, &cols, csv::kCsvScanOnly, -1);
  EXPECT_EQ(f.m_nLastRow, t.m_nLastRow);
  EXPECT_EQ(cols, t.m_nFieldCount);
  EXPECT_EQ(f.m_aSecRow[0], t.m_aSecRow[0]);
}

// A whole file's bytes ("" when it cannot be read).
inline std::string ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The parts of `s` between the separators (one part more than separators).
inline std::vector<std::string> SplitText(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = s.find(sep, from);
    out.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + sep.size();
  }
  return out;
}

// The verdict lines of an outside checking script: one "OK ..." line for
// each of the `ran` outputs it checked, and nothing else.
inline void ExpectAllVerdictsOk(const std::string& verdict, std::size_t ran) {
  std::size_t ok = 0;
  for (const std::string& v : SplitText(verdict, "\n")) {
    if (v.empty()) continue;
    EXPECT_EQ(0u, v.rfind("OK ", 0)) << v;
    ok += v.rfind("OK ", 0) == 0;
  }
  EXPECT_EQ(ran, ok) << verdict;
}

}  // namespace csvtest
