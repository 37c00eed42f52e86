// The engine's command table and the plan of one call.
#include "table/table_commands.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using table::TablePath;

TEST(TableCommands, OneRowPerCodeAndTheRebuildAndConversionsAreThere) {
  std::size_t n = 0;
  const table::TableCommandRow* rows = table::TableCommands(&n);
  ASSERT_GT(n, 0u);
  std::set<int> codes;
  for (std::size_t i = 0; i < n; ++i) {
    EXPECT_TRUE(codes.insert(rows[i].code).second) << rows[i].code;
    EXPECT_EQ(rows[i].path == TablePath::kRebuild || rows[i].path == TablePath::kConvert, rows[i].built)
        << rows[i].code;
  }
  const int rebuildCodes[] = {'D', 'T', 'd', 'N'};
  for (int code : rebuildCodes) EXPECT_EQ(TablePath::kRebuild, table::FindTableCommand(code)->path);
  const int editCodes[] = {'1', '2', '9', '0', 'E', 'R', 'I', 'U', 'J', 'K', 37, 38, 39, 40};
  for (int code : editCodes)
    EXPECT_EQ(TablePath::kEdit, table::FindTableCommand(code)->path) << code;
  EXPECT_EQ(TablePath::kConvert, table::FindTableCommand('e')->path);
  EXPECT_EQ(TablePath::kPdf, table::FindTableCommand('P')->path);
  EXPECT_EQ(nullptr, table::FindTableCommand('Z'));
}

TEST(TableCommands, PlanOfOneCall) {
  struct Case {
    int cmd, cellOnly, first, last, count;
    std::uint32_t kind, mode, shift;
    TablePath path;
    int wantCount, wantCellOnly;
    bool streamIn, replaceNothing, replaceAll;
  } cases[] = {
      // 'D' on a CSV view: whole text replaced and streamed in; count 0 is 1.
      {'D', 0, 0, 0, 0, 33, 0, 0, TablePath::kRebuild, 1, 0, true, false, true},
      // A line range outside the ruled display replaces those lines.
      {'d', 0, 3, 5, 2, 33, 0, 0, TablePath::kRebuild, 2, 0, true, false, false},
      // The ruled display's page window replaces the whole display.
      {'D', 0, 1000, 1999, 1, 33, 3, 0, TablePath::kRebuild, 1, 0, true, false, true},
      // 'T' clears and does not stream in; 'N' replaces nothing.
      {'T', 0, 0, 0, 1, 33, 0, 0, TablePath::kRebuild, 1, 0, false, false, true},
      {'N', 0, 0, 0, 1, 33, 0, 0, TablePath::kRebuild, 1, 0, true, true, false},
      // 'D' on a view showing rich text: the line builder's, the final steps for now.
      {'D', 0, 0, 0, 1, 4, 0, 0, TablePath::kFinalOnly, 1, 0, false, false, false},
      // Shift held (1) forces the cell-only form; 2 (with Ctrl) does not.
      {'1', 0, 0, 0, 1, 4, 0, 1, TablePath::kFinalOnly, 1, 1, false, false, false},
      {'1', 0, 0, 0, 1, 4, 0, 2, TablePath::kFinalOnly, 1, 0, false, false, false},
      // Unknown codes and paths not built run the final steps only.
      {'Z', 1, 0, 0, 0, 33, 0, 0, TablePath::kFinalOnly, 1, 1, false, false, false},
      {'P', 0, 0, 0, 1, 33, 0, 0, TablePath::kFinalOnly, 1, 0, false, false, false},
      // The conversions run on rich text only; elsewhere nothing changes.
      {'e', 0, 2, 4, 1, 4, 0, 0, TablePath::kConvert, 1, 0, false, false, false},
      {'f', 0, 2, 4, 1, 4, 3, 0, TablePath::kConvert, 1, 0, false, false, false},
      {'f', 0, 2, 4, 1, 33, 3, 0, TablePath::kFinalOnly, 1, 0, false, false, false},
      {'e', 0, 0, 0, 1, 9, 0, 0, TablePath::kFinalOnly, 1, 0, false, false, false},
  };
  for (const Case& c : cases) {
    const table::TableCommandPlan p =
        table::PlanTableCommand(c.cmd, c.cellOnly, c.first, c.last, c.count, c.kind, c.mode, c.shift);
    SCOPED_TRACE(c.cmd);
    EXPECT_EQ(c.path, p.path);
    EXPECT_EQ(c.wantCount, p.count);
    EXPECT_EQ(c.wantCellOnly, p.cellOnly);
    EXPECT_EQ(c.streamIn, p.streamIn);
    EXPECT_EQ(c.replaceNothing, p.replaceNothing);
    EXPECT_EQ(c.replaceAll, p.replaceAll);
  }
}

}  // namespace
