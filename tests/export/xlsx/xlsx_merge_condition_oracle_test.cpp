// Merges and condition objects through the whole run into a real .xlsx file,
// judged from outside: openpyxl finds exactly the merges written (an
// overlapping one left out) and on the cells each condition selects the
// fill and font colours its codes ask for ('r' light red fill FFC0C0, 'B'
// blue font 0000FF, 'g' light green fill C0FFC0), on no other cell;
// LibreOffice opens the workbook and its CSV holds the cell texts. The
// conditions run the program's own CSV selection. Native tree only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/file_bytes.h"
#include "selecting_run.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Amounts in column B, notes in column C. Merges: the title over A-E, a
// block D3:E4, and E4:E5 overlapping it (left out). Conditions: amounts
// above 1000 get a light red fill; the note "y" a blue font; amounts below
// 100 a blue font on a light green fill.
const std::string kTable =
    "Sales,,,,\r\n"
    "name,amount,note,p,q\r\n"
    "A,500,x,1,2\r\n"
    "B,1500,y,3,4\r\n"
    "C,2500,z,5,6\r\n"
    "D,50,w,7,8\r\n"
    "!%\r\n"
    "M,C,A1:E1\r\n"
    "M,,D3:E4\r\n"
    "M,,E4:E5\r\n"
    ",%r,if:&2>#(1000),&2=nn\r\n"
    ",%B,if:&3=y,&3=nn\r\n"
    ",%Bg,if:&2<#(100),&2=nn\r\n";

const char* const kCheck = R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
out = []
def want(ok, what):
    if not ok: out.append(what)
merged = sorted(str(r) for r in ws.merged_cells.ranges)
want(merged == ["A1:E1", "D3:E4"], "merged %r" % merged)
def fill(ref):
    f = ws[ref].fill
    if f is None or f.fill_type != "solid": return None
    return str(f.fgColor.rgb).upper()
def font(ref):
    c = ws[ref].font.color
    if c is None or c.rgb is None or not isinstance(c.rgb, str): return None
    return c.rgb.upper()
# (cell, fill, font colour) of every cell the conditions select.
expect = {"B4": ("FFFFC0C0", None), "B5": ("FFFFC0C0", None),
          "C4": (None, "FF0000FF"), "B6": ("FFC0FFC0", "FF0000FF")}
for r in range(3, 7):
    for col in "ABC":
        ref = "%s%d" % (col, r)
        wf, wc = expect.get(ref, (None, None))
        want(fill(ref) == wf, "fill of %s: %r" % (ref, fill(ref)))
        if wc is not None:
            want(font(ref) == wc, "font of %s: %r" % (ref, font(ref)))
        else:
            want(font(ref) in (None, "FF000000"), "font of %s: %r" % (ref, font(ref)))
want(ws["A1"].value == "Sales", "A1 %r" % ws["A1"].value)
want(ws["B5"].value in (2500, "2500"), "B5 %r" % ws["B5"].value)
print("\n".join(out))
)PY";

TEST(XlsxMergeConditionOracle, OpenpyxlAndLibreOfficeReadMergesAndConditionColours) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python module missing: openpyxl";
  REQUIRE_TOOLS("soffice");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "xlsx_merge_condition_oracle";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = dir / "book.xlsx";
  xlsxtest::WriteWithSelection(kTable, target.string());
  if (HasFatalFailure()) return;

  const fs::path script = dir / "check.py";
  std::ofstream(script) << kCheck;
  EXPECT_EQ("\n", testsupport::RunCapture("/usr/bin/python3 '" + script.string() + "' '" + target.string() + "' 2>&1"));

  // LibreOffice opens the workbook; the sheet as CSV holds the cell texts.
  const fs::path out = dir / "lo";
  fs::create_directories(out);
  const std::string cmd = "HOME='" + out.string() + "' soffice --headless -env:UserInstallation=file://" +
                          out.string() + "/profile --convert-to csv --outdir '" + out.string() + "' '" +
                          target.string() + "' >/dev/null 2>&1";
  EXPECT_EQ(0, std::system(cmd.c_str()));
  const std::string csvOut = testsupport::ReadFileBytes((out / "book.csv").string());
  ASSERT_FALSE(csvOut.empty()) << "LibreOffice wrote no CSV";
  EXPECT_NE(std::string::npos, csvOut.find("Sales")) << csvOut;
  EXPECT_NE(std::string::npos, csvOut.find("name,amount,note,p,q")) << csvOut;
  EXPECT_NE(std::string::npos, csvOut.find("B,1500,y,3,4")) << csvOut;
  EXPECT_NE(std::string::npos, csvOut.find("D,50,w,7,8")) << csvOut;
}

}  // namespace
