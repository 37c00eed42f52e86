// The whole export run into a real .xlsx file with the program's own CSV
// selection answering the condition objects (the outside checks of the
// format section use it).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "export/xlsx/xlsx_conditions.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx_oracle_host.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_state.h"
#include "support/temp_folder.h"

namespace xlsxtest {

class SelectingHost : public OracleHost {
 public:
  class Real : public xlsx::XlsxConditionSelector {
   public:
    int Select(csv::Table& table, const CString& condition, const CString& command) override {
      macro::CsvSelectScope scope{*state, nullptr, table};
      return macro::MacroCsvSelectCommands(scope, condition, command, 1);
    }
    std::unique_ptr<macro::MacroState> state = std::make_unique<macro::MacroState>();
  };
  xlsx::XlsxConditionSelector* ConditionSelector() override { return &real; }
  Real real;
};

// Writes `csvText` as a workbook at `target`: the run succeeds without a
// message and leaves the table's text as it was.
inline void WriteWithSelection(const std::string& csvText, const std::string& target) {
  csv::Table table;
  ASSERT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 16));
  const std::string before(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  testsupport::TempProgramFolder program;
  xlsx::XlsxRun run;
  xlsx::XlsxRunInput in;
  in.table = &table;
  in.programDir = program.Path().c_str();
  in.target = target.c_str();
  SelectingHost host;
  ASSERT_EQ(0, xlsx::XlsxWritePackageRun(run, in, host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen));
}

}  // namespace xlsxtest
