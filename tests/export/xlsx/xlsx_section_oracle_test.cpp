// A table with a format section through the whole run into a real .xlsx
// file, read back by openpyxl: the merged title, the filter over the head,
// the sheet's protection, a condition's fill on the amounts it selects (and
// on no other cell), a region's bold font, and the overlapping merge left
// out. The conditions run the program's own CSV selection. Native tree only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "selecting_run.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const char* const kCheck = R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
out = []
def want(ok, what):
    if not ok: out.append(what)
merged = sorted(str(r) for r in ws.merged_cells.ranges)
want(merged == ["A1:C1"], "merged %r" % merged)
want(ws.auto_filter.ref == "A2:C2", "filter %r" % ws.auto_filter.ref)
want(bool(ws.protection.sheet), "protection")
def solid(ref):
    f = ws[ref].fill
    return f is not None and f.fill_type == "solid"
for r in range(3, 7):
    amount = ws.cell(row=r, column=2).value
    want(solid("B%d" % r) == (float(amount) > 1000), "fill of B%d (%r)" % (r, amount))
    want(not solid("A%d" % r), "fill of A%d" % r)
want(ws["C4"].font.b, "bold C4")
want(not ws["C3"].font.b, "plain C3")
print("\n".join(out))
)PY";

TEST(XlsxSectionOracle, OpenpyxlReadsMergesFilterProtectionAndConditionFills) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python module missing: openpyxl";
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "xlsx_section_oracle";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string csvText =
      "Sales,,\r\nname,amount,note\r\nA,500,x\r\nB,1500,y\r\nC,2500,z\r\nD,50,w\r\n!%\r\n"
      "M,C,A1:C1\r\nM,,B1:B2\r\nFP,,A2:C2\r\n,%r,if:&2>#(1000),&2=nn\r\n,%BBB,C4\r\n";
  const fs::path target = dir / "section.xlsx";
  xlsxtest::WriteWithSelection(csvText, target.string());
  if (HasFatalFailure()) return;
  const fs::path script = dir / "check.py";
  std::ofstream(script) << kCheck;
  EXPECT_EQ("\n", testsupport::RunCapture("/usr/bin/python3 '" + script.string() + "' '" + target.string() + "' 2>&1"));
}

}  // namespace
