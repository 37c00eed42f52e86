#include "export/chart/chart_fields.h"

#include <gtest/gtest.h>

namespace {

TEST(ChartFields, LeadBytes) { EXPECT_TRUE(chart::ChartLeadByte(0x80)); }

}  // namespace
