// The concatenation's column matching with the address rewriter the view
// passes (mode 6 against the source's first line): titles in another order,
// titles the source lacks and an empty title.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "csv/csv_concat.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"
#include "macro/macro_address.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

std::string Concat(const std::string& table, const std::string& other, int mode) {
  auto st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  csv::TitleResolver resolve = [&](const std::string& titles, const std::uint8_t* text, std::uint32_t len) {
    macro::AddressScope scope{*st};
    scope.host = &host;
    scope.text = text;
    scope.length = len;
    return macro::MacroParseRowData(scope, CString(titles), 6).Str();
  };
  csv::Table t;
  EXPECT_TRUE(t.LoadFileText(table.data(), table.size(), 16));
  csv::MemorySource src(other.data(), other.size());
  csv::ConcatArgs args;
  args.sourceMode = mode;
  EXPECT_EQ(csv::ConcatResult::kDone, csv::CsvConcatVertical(t, args, src, resolve, nullptr));
  EXPECT_TRUE(host.reports.empty());
  std::string s(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
  for (char& c : s) c = c == 0x06 ? ',' : c;
  return s;
}

TEST(ConcatTitles, TheAddressRewriterMatchesTheColumns) {
  EXPECT_EQ("a,b,c\r\n1,2,3\r\n4,5,6\r\n", Concat("a,b,c\r\n1,2,3\r\n", "c,a,b\r\n6,4,5\r\n", 2));
  // A title the source lacks gives an empty cell; its extra column goes.
  EXPECT_EQ("a,b,c\r\n1,2,3\r\n4,,6\r\n", Concat("a,b,c\r\n1,2,3\r\n", "c,x,a\r\n6,9,4\r\n", 2));
  // Mode 6 keeps it behind, with its title, and the table's rows get it empty.
  EXPECT_EQ("a,b,c,x\r\n1,2,3,\r\n4,,6,9\r\n", Concat("a,b,c\r\n1,2,3\r\n", "c,x,a\r\n6,9,4\r\n", 6));
  // An empty title of the table is a column no row of the source has.
  EXPECT_EQ("a,,c\r\n1,2,3\r\n4,,6\r\n", Concat("a,,c\r\n1,2,3\r\n", "c,x,a\r\n6,9,4\r\n", 2));
}

}  // namespace
