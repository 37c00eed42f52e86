// The CSV totals through the view: the new table with its subtotal rows is
// shown, and a memory failure reaches the user through the message box.
#include <gtest/gtest.h>

#include <string>

#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class CsvTotalsViewTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* Open(const std::string& text) {
    CDvkView* v = ShellFileTest::Open("t.csv", text);
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
};

TEST_F(CsvTotalsViewTest, SubtotalRowsAreShown) {
  CDvkView* v = Open("k,v\r\n\x83\x5C,1\r\n\x83\x5C,2\r\nb,5\r\n");
  ASSERT_NE(nullptr, v);
  v->m_strStmtOperand = "";
  EXPECT_EQ(0, v->CsvTotals(1, 1));
  EXPECT_EQ("k\tv\tTotal\n\x83\x5C\t1\t1\n\x83\x5C\t2\t2\ntotal\t3\t3\nb\t5\t5\ntotal\t5\t5\nTotal*\t8\t8", ControlText(v));
  EXPECT_EQ(6, v->m_table.m_nLastRow);  // seven rows
}

TEST_F(CsvTotalsViewTest, AMemoryFailureIsReportedWithItsCode) {
  CDvkView* v = Open("k,v\r\na,1\r\n");
  ASSERT_NE(nullptr, v);
  const std::string before(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen);
  v->m_strStmtOperand = "";
  fw::hooks::ExpectMessageBox("メモリーが足りません", IDOK);
  fw::alloctest::Reset();
  fw::alloctest::FailAt(1);
  const int r = v->CsvTotals(1, 1);
  fw::alloctest::Reset();
  EXPECT_EQ(-1, r);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  const auto texts = fw::hooks::MessageBoxTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(std::string::npos, texts.back().find("157"));
  EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen));
}

TEST_F(CsvTotalsViewTest, CrossTabulationSummaryIsShown) {
  CDvkView* v = Open("o,i,v\r\nA,x,1\r\nA,x,2\r\nB,y,4\r\n");
  ASSERT_NE(nullptr, v);
  v->m_strStmtOperand = "";
  EXPECT_EQ(0, v->CsvCrossTabulate(2, 0, 0, 0));
  EXPECT_EQ("o\ti\tv\tTotal\nA\tx\t3\t3\nA\t--total--\t3\t3\nB\ty\t4\t4\nB\t--total--\t4\t4\nTotal\t*\t7\t7",
            ControlText(v));
}

}  // namespace
