#include "export/chart_fragments.h"

#include <gtest/gtest.h>

namespace {

TEST(ChartFragments, UnknownPatternIsPct5) { EXPECT_EQ(exportcore::XlsxPatternName(0), "pct5"); }

}  // namespace
