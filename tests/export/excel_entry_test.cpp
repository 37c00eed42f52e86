// The spreadsheet export's target path.
#include <gtest/gtest.h>

#include "export/excel_entry.h"

namespace {

using exportcore::ExcelExportTarget;

TEST(ExcelExportTarget, OperandStemFolderAndBackslashes) {
  // The operand as given, its doubled backslashes made single.
  EXPECT_EQ(ExcelExportTarget("C:\\\\out\\\\a.xlsx", "C:\\d\\memo", "", "C:\\list"), CString("C:\\out\\a.xlsx"));
  // A bare name goes in the active side's folder.
  EXPECT_EQ(ExcelExportTarget("a.xlsx", "C:\\d\\memo", "", "C:\\list"), CString("C:\\list\\a.xlsx"));
  // No operand: the document's stem, "_", the template's base name, ".xls".
  EXPECT_EQ(ExcelExportTarget("", "C:\\d\\memo", "C:\\t\\form.xlsm", "C:\\list"), CString("C:\\d\\memo_form.xls"));
  // A network path stays as it is.
  EXPECT_EQ(ExcelExportTarget("\\\\srv\\\\share\\a.xlsx", "", "", "C:\\list"), CString("\\\\srv\\\\share\\a.xlsx"));
  // "表" (0x95 0x5C) before a separator keeps both bytes; the doubled separator after it becomes one.
  EXPECT_EQ(ExcelExportTarget("C:\\\x95\x5C\\\\b.xlsx", "", "", ""), CString("C:\\\x95\x5C\\b.xlsx"));
}

}  // namespace
