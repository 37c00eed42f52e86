// The HTML page of the run's mode 'H': its frame (the comment and body
// tags, the one-sheet end, the page breaks, the preformatted lines around a
// table), and the faults it is built against: a page that cannot be
// written, memory running out at any allocation, widths past their digits,
// several styles on one cell, and the charts of a later sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "export/html/html_run.h"
#include "fw/alloc.h"
#include "fw/file.h"
#include "html_test_run.h"
#include "support/alloc_walk.h"
#include "support/scratch.h"

namespace {

using htmltest::Between;
using htmltest::Count;
using htmltest::PageRun;

bool Exists(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) != FALSE;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The run writing a file below a scratch folder.
struct FileRun {
  testsupport::Scratch dir;
  csv::Table table;
  xlsx::XlsxRunInput in;
  htmltest::Host host;
  explicit FileRun(const std::string& csvText) {
    EXPECT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 16));
    in.table = &table;
    in.programDir = dir.Dir();
    in.target = dir.Path("page.html");
  }
  int Go() {
    xlsx::XlsxRun run;
    host.reports.clear();
    host.messages.clear();
    return htmlexport::XlsxWriteHtmlRun(run, in, host);
  }
};

TEST(HtmlPageFrame, OneSheetWithCommentAndBodyTags) {
  PageRun r("a,b\r\n1,2\r\n");
  ASSERT_EQ(r.result, 0);
  EXPECT_TRUE(r.host.reports.empty() && r.host.messages.empty());
  EXPECT_EQ(r.page.rfind("<html>\r\n<head>\r\n"
                         "<meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\">\r\n"
                         "<style type=\"text/css\">\r\n<!--\r\nh5 { page-break-before: always; }\r\n.xs",
                         0),
            0u);
  EXPECT_EQ(Count(r.page, "<!--"), 1u);
  EXPECT_EQ(Count(r.page, "-->\r\n</style></head>\r\n<body>\r\n<style>\r\ntable.allset1\r\n"), 1u);
  // No lines after the table: the table's end is followed by the page's.
  EXPECT_TRUE(EndsWith(r.page, "</tr>\r\n</table>\r\n</body>\r\n</html>\r\n")) << r.page;
  EXPECT_EQ(Count(r.page, "<br>"), 0u);
}

TEST(HtmlPageFrame, PageBreaksOnlyBeforeLaterSheetsThatAskForThem) {
  PageRun r(
      "XL_P:First\r\na,b\r\n1,2\r\n3,4\r\n"
      "!#:Second\r\nc,d\r\n5,6\r\n7,8\r\n"
      "!#XL_P:Third\r\ne,f\r\n9,10\r\n11,12\r\n");
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(Count(r.page, "<h5>page</h5>"), 1u);
  EXPECT_NE(r.page.find("class=\"allset2\""), std::string::npos);
  EXPECT_NE(r.page.find("</table>\r\n<br>\r\n\r\n<h5>page</h5>\r\n<pre>#Third<br></pre>\r\n<style>\r\ntable.allset3"),
            std::string::npos)
      << r.page;
  // Sheets 1 and 2 end with the break line, the last one with the page's end.
  EXPECT_EQ(Count(r.page, "</table>\r\n<br>\r\n\r\n"), 2u);
  EXPECT_TRUE(EndsWith(r.page, "</table>\r\n</body>\r\n</html>\r\n"));
}

TEST(HtmlPageFrame, LinesAroundTheTableArePreformattedWithTheirHiddenStretches) {
  PageRun r(
      "~note ^secret^ shown,tab\tXLhidden:after\r\n"
      "XL_R:Heading\r\n"
      "~\x83\x5E^gone\r\n"  // タ: its trail byte is no mark
      "name,amt\r\nx,1\r\ny,2\r\n"
      "~tail ^gone\r\n"
      "!%\r\n,%r,A1\r\n");
  ASSERT_EQ(r.result, 0);
  EXPECT_NE(r.page.find("<body>\r\n<pre>note  shown\ttab\tafter<br>Heading<br>\x83\x5E<br></pre>\r\n<style>"),
            std::string::npos)
      << r.page;
  EXPECT_TRUE(EndsWith(r.page, "</table>\r\n<pre>tail <br></pre>\r\n</body>\r\n</html>\r\n")) << r.page;
  EXPECT_EQ(r.page.find("%r"), std::string::npos);  // the format section is not text
  // The sheet's alignment: in its style and on every row.
  EXPECT_NE(r.page.find("text-align:right;\r\n}\r\n</style>"), std::string::npos);
  EXPECT_EQ(Count(r.page, "<tr   align=\"right\">\r\n"), 3u);
}

TEST(HtmlPageFrame, SpanningRowsSpanAColumnForEightBytes) {
  // Two '~' rows inside the table (a full row after them goes on with it,
  // the last '~' line ends it). "~" and 20 bytes and the CR: 22 bytes, two
  // columns; 42 bytes would be five, but only three columns are left.
  PageRun r(
      "XL_:Spans\r\n~intro\r\na,b,c,d\r\n1,2,3,4\r\n~0123456789abcdefghij\r\n~"
      "0123456789abcdefghij0123456789abcdefghij\r\n5,6,7,8\r\n~end\r\n");
  ASSERT_EQ(r.result, 0);
  EXPECT_NE(r.page.find(" colspan=2>0123456789abcdefghij&nbsp;</td>\r\n</tr>"), std::string::npos) << r.page;
  EXPECT_NE(r.page.find(" colspan=3>0123456789abcdefghij0123456789abcdefghij&nbsp;</td>"), std::string::npos);
  // Spanning texts do not widen their first column: "1&nbsp;", (7 + 2) x 7.
  EXPECT_NE(r.page.find("<colgroup width=\"063\">\r\n<colgroup"), std::string::npos);
}

TEST(HtmlPageFaults, APageThatCannotBeWrittenIsReported) {
  FileRun f("a,b\r\n1,2\r\n");
  ASSERT_EQ(f.Go(), 0);
  ASSERT_TRUE(Exists(f.in.target));
  PageRun memory("a,b\r\n1,2\r\n");
  EXPECT_EQ(testsupport::ReadBytes(f.in.target), memory.page);
  // No "\TMP1" without a chart.
  EXPECT_FALSE(Exists(docsvc::XlsxScratchDir(f.dir.Dir())));
  CFile::Remove(f.in.target);

  fw::filetest::Reset();
  fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);
  const int r = f.Go();
  fw::filetest::Reset();
  EXPECT_EQ(r, -1);
  EXPECT_EQ(f.host.messages, std::vector<std::string>{"file open eror : " + f.in.target.Str()});
  EXPECT_FALSE(Exists(f.in.target));
  EXPECT_EQ(testsupport::FolderNames(f.dir.Dir()), std::vector<std::string>{});
}

TEST(HtmlPageFaults, EveryRefusedAllocationGivesTheWholePageOrNone) {
  // Enough text for the body to grow past its first capacity.
  const std::string big(200000, '&');
  const std::string table = "h1,h2\r\nx," + big + "\r\ny,2\r\n";
  FileRun f(table);
  ASSERT_EQ(f.Go(), 0);
  const std::string whole = testsupport::ReadBytes(f.in.target);
  ASSERT_GT(whole.size(), 1000000u);
  int shortOfMemory = 0, cssShort = 0;
  testsupport::WalkAllocationFailures(
      [&] {
        if (Exists(f.in.target)) CFile::Remove(f.in.target);
        return 0;
      },
      [&](int) { return f.Go(); },
      [&](long n, int result, int) {
        if (result == 0) {
          ASSERT_TRUE(Exists(f.in.target)) << n;
          const std::string page = testsupport::ReadBytes(f.in.target);
          if (f.host.reports.empty()) {
            EXPECT_EQ(page, whole) << n;
          } else {
            // A class without its declarations: reported once, the page whole.
            EXPECT_EQ(f.host.reports, std::vector<std::string>{"123:"}) << n;
            EXPECT_TRUE(EndsWith(page, "</html>\r\n")) << n;
            ++cssShort;
          }
        } else {
          EXPECT_EQ(result, -1) << n;
          EXPECT_EQ(f.host.reports, std::vector<std::string>{"155:"}) << n;
          EXPECT_FALSE(Exists(f.in.target)) << n;
          ++shortOfMemory;
        }
      });
  EXPECT_GT(shortOfMemory, 0);
  EXPECT_GT(cssShort, 0);
  // Every allocation refused from the first on: no page at all.
  if (Exists(f.in.target)) CFile::Remove(f.in.target);
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  const int r = f.Go();
  fw::alloctest::Reset();
  EXPECT_EQ(r, -1);
  EXPECT_EQ(f.host.reports, std::vector<std::string>{"155:"});
  EXPECT_FALSE(Exists(f.in.target));
}

TEST(HtmlPageFaults, WidthsStayWithinTheirDigits) {
  const std::string wide(200, 'w');
  std::string title, row;
  for (int c = 1; c <= 11; ++c) {
    title += (c > 1 ? "," : "") + std::string("t");
    row += (c > 1 ? "," : "") + wide;
  }
  PageRun r(title + "\r\n" + row + "\r\nab," + row.substr(wide.size() + 1) + "\r\n");
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(Count(r.page, "<colgroup width=\"999\">"), 11u);
  EXPECT_NE(r.page.find("<table width=9999 border=0"), std::string::npos);
  // Short columns: "ab" and "&nbsp;", 8 bytes, (8 + 2) x 7 pixels; "cde" 9 bytes.
  PageRun s("t,u\r\nab,c\r\nab,cde\r\n");
  ASSERT_EQ(s.result, 0);
  EXPECT_NE(s.page.find("<table width=0167 border=0 cellpadding=0 cellspacing=0 class=\"allset1\">\r\n"
                        "<colgroup width=\"070\">\r\n<colgroup width=\"077\">\r\n<tr"),
            std::string::npos)
      << s.page;
}

TEST(HtmlPageFaults, ACellWithSeveralStylesHasOneStyleAttribute) {
  // A condition right-aligns, fills, draws thick top and bottom lines, and
  // makes the text red and bold in the cell it marks (line 2, field 2).
  PageRun r("h1,h2\r\nx,5\r\ny,6\r\n!%\r\n,R9922%rRB,if:&2=5,\r\n", {{2, 2}});
  ASSERT_EQ(r.result, 0);
  ASSERT_EQ(r.run.XlsxConditionMarks.size(), 1u);
  const std::string cell = Between(r.page, "<td class=xs0100201", "</td>", r.page.find("<tr", r.page.find("<tr") + 1));
  EXPECT_EQ(cell,
            " style='text-align:right;background-color:#FFC0C0;border-top:1.5pt solid windowtext;"
            "border-bottom:1.5pt solid windowtext'><font color=\"#FF0000\" ><b>5&nbsp;</b></font>")
      << r.page;
  EXPECT_EQ(Count(r.page, " style="), 1u);
}

TEST(HtmlPageFaults, AChartOnSheetTwoLeavesSheetOnesTable) {
  const std::string one = "!#:One\r\na,b\r\n1,2\r\n3,4\r\n";
  const std::string two = "!#:Two\r\nMonth,East\r\nJan,10\r\nFeb,11\r\n";
  const std::string chart = "!$\r\ngraph,Bar,,10,10,400,300\r\ndata,B2:B3\r\n";
  PageRun with(one + two + chart);
  PageRun without(one + two);
  ASSERT_EQ(with.result, 0);
  ASSERT_EQ(without.result, 0);
  EXPECT_EQ(with.charts.parts.count("xl/charts/chart1.xml"), 1u);
  EXPECT_EQ(with.page, without.page);
  EXPECT_NE(with.page.find("<td class=xs0400101>3&nbsp;</td>"), std::string::npos);

  // Through the file: the chart goes below "\TMP1", the page to its target.
  FileRun f(one + two + chart);
  ASSERT_EQ(f.Go(), 0);
  EXPECT_EQ(testsupport::ReadBytes(f.in.target), with.page);
  EXPECT_TRUE(Exists(docsvc::XlsxScratchDir(f.dir.Dir()) + "\\xl\\charts\\chart1.xml"));
}

}  // namespace
