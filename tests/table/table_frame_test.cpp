// The rebuild on plain buffers: the column limit, the final line end, the
// output size and its growth, the ruled display's stop, failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fw/alloc.h"
#include "table_test_util.h"

using namespace tabletest;

namespace {

std::string Wide(int columns) {
  std::string row;
  for (int c = 0; c < columns; ++c) {
    if (c) row += '\x06';
    row += 'x';
  }
  return row + "\r\n";
}

std::string JapaneseTable(int rows, int cols, int charsPerCell) {
  std::string cell;
  for (int i = 0; i < charsPerCell; ++i) cell += "\x93\xfa\x96\x7b";  // 日本
  std::string text;
  for (int r = 0; r < rows; ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < cols; ++c) cells.push_back(cell + std::to_string(r) + "_" + std::to_string(c));
    text += Row(cells);
  }
  return text;
}

}  // namespace

TEST(TableFrame, ColumnLimitStopsAndChangesNothing) {
  struct Case {
    int columns;
    int cmd;
    bool stops;
  } cases[] = {{8989, 'D', false}, {8990, 'D', true}, {8989, 'd', true}, {8988, 'd', false}};
  for (const Case& c : cases) {
    std::string text = Wide(c.columns);
    csv::Table t;
    ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
    ASSERT_EQ(t.m_nFieldCount, static_cast<std::uint32_t>(c.columns));
    OutputBlock b;
    std::strcpy(b.out.text, "old");
    b.out.len = 3;
    table::RenderResult r = table::RebuildTable(t, b.out, Cmd(c.cmd));
    if (c.stops) {
      EXPECT_EQ(r.code, 1);
      EXPECT_EQ(r.status, " raw number over 9000 ");
      EXPECT_EQ(std::string(b.out.text, b.out.len), "old");
      EXPECT_EQ(b.out.capacity, 16u);
      EXPECT_EQ(t.m_nFieldCount, static_cast<std::uint32_t>(c.columns));
    } else {
      EXPECT_EQ(r.code, 0);
      EXPECT_TRUE(r.status.empty());
      EXPECT_EQ(r.maxColumns, c.columns);
      EXPECT_EQ(t.m_nFieldCount, static_cast<std::uint32_t>(c.columns + (c.cmd == 'd' ? 1 : 0)));
      RtfDoc d = ParseRtf(std::string(b.out.text, b.out.len));
      EXPECT_TRUE(d.balanced);
      EXPECT_EQ(d.depthAtEnd, 0);
    }
  }
}

TEST(TableFrame, FinalLineEndIsAddedToAFullBuffer) {
  const std::string text = std::string("a\x06") + "b\r\nc\x06" "d";
  csv::Table t;
  ASSERT_TRUE(t.Assign(text.data(), text.size(), 0));
  ASSERT_EQ(t.m_nWorkSize, text.size() + 1);  // exactly full with its NUL
  OutputBlock b;
  table::RenderResult r = table::RebuildTable(t, b.out, Cmd('T'));
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(t.m_nTextLen, text.size() + 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(t.m_pTextBuf), t.m_nTextLen), text + "\r\n");
  EXPECT_EQ(t.m_pTextBuf[t.m_nTextLen], 0);
  EXPECT_GT(t.m_nWorkSize, t.m_nTextLen);
  // A text that ends in a line end is left as it is.
  std::size_t before = t.m_nTextLen;
  table::RebuildTable(t, b.out, Cmd('T'));
  EXPECT_EQ(t.m_nTextLen, before);
}

TEST(TableFrame, OutputSizeIsComputedInSixtyFourBitsAndBounded) {
  // 9,000 columns x 200,000 rows asks for 360 GB: past the cap, a failure
  // instead of a wrapped size.
  csv::Table t;
  std::string text = Row({"a", "b"});
  ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
  t.m_nFieldCount = 8000;
  t.m_nLastRow = 200000;
  OutputBlock b;
  char* before = b.out.text;
  table::RenderResult r = table::RebuildTable(t, b.out, Cmd('T'));
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.failure, table::kFailOutputBuffer);
  EXPECT_EQ(r.requestedSize, 200ull * 8000 * 200000 + text.size());
  EXPECT_EQ(b.out.capacity, 0u);
  EXPECT_EQ(b.out.readEnd, 0u);
  EXPECT_EQ(b.out.text, before);
  EXPECT_NE(table::FailureText("M\r\n", r).find("M\r\n " + std::to_string(r.requestedSize) + " TAct1 038"), std::string::npos);
  // In the ruled display the same table is clamped to the output setting.
  table::RenderRequest q = Cmd('D');
  q.editMode = 3;
  q.outdata = 2000000;
  table::RenderResult ruled = table::RebuildTable(t, b.out, q);
  EXPECT_EQ(ruled.code, 0);
  EXPECT_EQ(b.out.capacity, 2000000u);
  // A small table gets the floors.
  t.m_nFieldCount = 2;
  t.m_nLastRow = 1;
  table::RebuildTable(t, b.out, Cmd('T'));
  EXPECT_EQ(b.out.capacity, 300000u);
  q.outdata = 0;
  table::RebuildTable(t, b.out, q);
  EXPECT_EQ(b.out.capacity, 1000000u);
}

TEST(TableFrame, FailedOutputBufferLeavesTheTextValid) {
  std::string text = Row({"a", "b"}) + Row({"c", "d"});
  for (long n = 1;; ++n) {
    csv::Table t;
    ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
    OutputBlock b;
    std::strcpy(b.out.text, "keep");
    b.out.len = 4;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    table::RenderResult r = table::RebuildTable(t, b.out, Cmd('D'));
    bool reached = fw::alloctest::Failed() > 0;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_EQ(r.code, 0);
      break;
    }
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.failure, table::kFailOutputBuffer);
    EXPECT_EQ(b.out.capacity, 0u);
    EXPECT_EQ(std::string(b.out.text, 4), "keep");  // still the old block
    std::string msg = table::FailureText("\x83\x81\x83\x82\x83\x8a\x81\x5b\r\n", r);
    EXPECT_NE(msg.find(" TAct1 038"), std::string::npos);
  }
}

TEST(TableFrame, LongJapaneseCellsAreWholeOutsideTheRuledDisplay) {
  // 200 rows of 10 cells of 120 double-byte characters: 4 bytes a byte
  // escaped, far past 200 bytes a cell.
  std::string text = JapaneseTable(200, 10, 60);
  for (int cmd : {'T', 'N', 'd'}) {
    Rendered r = Render(text, Cmd(cmd));
    ASSERT_EQ(r.result.code, 0) << static_cast<char>(cmd);
    EXPECT_FALSE(r.result.cut);
    EXPECT_TRUE(r.result.status.empty());
    EXPECT_GT(r.rtf.size(), 4u * 200 * 10 * 240);
    ASSERT_GE(r.rtf.size(), 2u);
    EXPECT_EQ(r.rtf.substr(r.rtf.size() - 2), "\n}");
    EXPECT_TRUE(r.doc.balanced);
    EXPECT_EQ(r.doc.depthAtEnd, 0);
    EXPECT_NE(r.Para("199_9"), nullptr);
  }
}

TEST(TableFrame, RuledDisplayStopsAtTheOutputSettingAndSaysWhere) {
  std::string text = JapaneseTable(400, 10, 60);
  csv::Table t;
  ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
  table::RenderRequest q = Cmd('D');
  q.editMode = 3;
  q.outdata = 400000;
  Rendered r = RenderTable(t, q);
  ASSERT_EQ(r.result.code, 0);
  ASSERT_TRUE(r.result.cut);
  ASSERT_GE(r.result.cutAfterRow, 0);
  EXPECT_EQ(r.result.status, " cut after row " + std::to_string(r.result.cutAfterRow + 1) + " ");
  EXPECT_NE(r.Para(std::to_string(r.result.cutAfterRow) + "_9"), nullptr);
  EXPECT_EQ(r.Para(std::to_string(r.result.cutAfterRow + 1) + "_0"), nullptr);
  EXPECT_LE(r.rtf.size() + 1, 400000u + 500u);
  EXPECT_EQ(r.rtf.substr(r.rtf.size() - 2), "\n}");
  EXPECT_EQ(r.doc.depthAtEnd, 0);
}

TEST(TableFrame, CellFormatterRaisesTheFieldCount) {
  csv::Table t;
  std::string text = Row({"a", "b"});
  ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
  OutputBlock b;
  table::RebuildTable(t, b.out, Cmd('d'));
  table::RebuildTable(t, b.out, Cmd('d'));
  EXPECT_EQ(t.m_nFieldCount, 4u);
}

TEST(TableFrame, RowRangeAndRuledStart) {
  std::string text = Row({"!^"}) + Row({"t1", "t2"}) + Row({"~c"}) + Row({"d1", "d2"}) + Row({"e1", "e2"});
  table::RenderRequest q = Cmd('D');
  q.editMode = 3;
  q.firstLine = 3;
  q.lastLine = 3;
  Rendered r = Render(text, q);
  EXPECT_NE(r.Para("d1"), nullptr);
  EXPECT_EQ(r.Para("e1"), nullptr);
  EXPECT_EQ(r.Para("t1"), nullptr);
  EXPECT_EQ(r.result.firstTableRow, 1);
  EXPECT_EQ(r.result.titleRow, 1);
  EXPECT_EQ(r.result.firstDataRow, 3);
  // With a range the opening has no empty paragraph.
  EXPECT_EQ(r.doc.paras.size(), 2u);
  // A range past the table still gives a whole document: the header, the
  // closing paragraph, balanced braces.
  q.firstLine = 50;
  q.lastLine = 60;
  q.openingForm = 1;
  Rendered past = Render(text, q);
  EXPECT_EQ(past.result.code, 0);
  EXPECT_EQ(past.rtf.compare(0, 6, "{\\rtf1"), 0);
  EXPECT_EQ(past.doc.paras.size(), 1u);
  EXPECT_EQ(past.doc.depthAtEnd, 0);
  EXPECT_EQ(past.result.paragraphs, 0u);
}

TEST(TableFrame, WriteBackGrowsByTenThousandOrLeavesTheBuffer) {
  OutputBlock b;
  b.out.len = 10;
  ASSERT_TRUE(table::PrepareWriteBack(b.out));
  EXPECT_EQ(b.out.capacity, 10010u);
  EXPECT_EQ(b.out.readEnd, 10010u);
  char* before = b.out.text;
  b.out.len = 20000;
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  bool ok = table::PrepareWriteBack(b.out);
  fw::alloctest::Reset();
  EXPECT_FALSE(ok);
  EXPECT_EQ(b.out.text, before);
  EXPECT_EQ(b.out.capacity, 10010u);
  table::RenderResult r;
  r.failure = table::kFailWriteBack;
  EXPECT_EQ(table::FailureText("M", r), "M 041");
}
