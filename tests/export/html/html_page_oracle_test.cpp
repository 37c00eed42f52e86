// A small corpus of tables through the HTML run, judged from outside
// (tests/export/html/html_page_oracle.py): Python's html.parser reads every
// page and finds the cell texts it computes from the table, xmllint reads a
// UTF-8 copy without a complaint, and a CSS resolver finds the colours,
// lines and alignment the codes ask for. The condition objects run through
// the program's own CSV selection. Native tree only.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "csv/csv_table.h"
#include "export/html/html_run.h"
#include "export/part_sink.h"
#include "export/xlsx/selecting_run.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/export/html/html_page_oracle.py";

TEST(HtmlPageOracle, ParsersAndAStyleResolverReadTheCorpus) {
  REQUIRE_TOOLS("python3", "xmllint", "iconv");
  testsupport::TempProgramFolder dir;
  ASSERT_EQ("", testsupport::RunCapture("python3 '" + kScript + "' make '" + dir.Path() + "' 2>&1"));
  int pages = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir.Path())) {
    if (e.path().extension() != ".csv") continue;
    const std::string text = testsupport::ReadFileBytes(e.path());
    csv::Table table;
    ASSERT_TRUE(table.LoadFileText(text.data(), text.size(), 16)) << e.path();
    xlsx::XlsxRun run;
    xlsx::XlsxRunInput in;
    in.table = &table;
    xlsxtest::SelectingHost host;
    exportcore::MemoryPartSink charts;
    std::string page;
    ASSERT_EQ(0, htmlexport::XlsxWriteHtmlPage(run, in, charts, host, &page)) << e.path();
    EXPECT_TRUE(host.messages.empty()) << e.path() << ": " << host.messages[0];
    fs::path out = e.path();
    out.replace_extension(".html");
    testsupport::WriteFileBytes(out, page);
    ++pages;
  }
  EXPECT_EQ(pages, 3);
  EXPECT_EQ("", testsupport::RunCapture("python3 '" + kScript + "' check '" + dir.Path() + "' 2>&1"));
}

}  // namespace
