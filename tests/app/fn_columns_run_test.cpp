// One ".rmc" of "#" statements over a CSV shown in the running program: its
// columns hold dates (plain, era, with kanji units), times of day, angles
// and words written in UTF-8, EUC-JP and Base64,
// each rewritten by a date, time, number or code function; the table in comma form
// equals what Python's datetime, timedelta, math, codecs and base64 give for the same cells
// (tests/app/fn_columns_reference.py wrote fn_columns_data.h once: no
// Python under Wine).
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "fn_columns_data.h"
#include "macro/macro_run.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

class FnColumnsRun : public shelltest::ShellFileTest {};

TEST_F(FnColumnsRun, DateTimeNumberAndCodeColumnsMatchPython) {
  CDvkView* v = Open("columns.csv", std::string(kFnColumnsInput, kFnColumnsInputLen));
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const std::string macroPath = File("columns.rmc");
  testsupport::WriteFileBytes(macroPath, std::string(kFnColumnsMacro, kFnColumnsMacroLen));
  EXPECT_EQ(1, v->RunMacro(macro::kRunFile, macroPath.c_str(), "", ""));
  EXPECT_EQ(std::string(kFnColumnsExpected, kFnColumnsExpectedLen), v->m_table.FileText(csv::CommaFormKind::kComma));
}

}  // namespace
