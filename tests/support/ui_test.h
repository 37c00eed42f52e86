// GoogleTest base for tests that touch modal UI: hooks in test mode, reset,
// a fixed clock and random seed, and a failure for every modal window nobody
// expected.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// The seed and the clock every UiTest starts from (the clock stands still
// at 2024-01-01 00:00:00 UTC, tick count 0, until the test moves it).
constexpr unsigned kUiTestSeed = 20240101u;
constexpr long long kUiTestTime = 1704067200;

// What is wrong with the hooks' records: unexpected modal UI and expectations
// that were never used, one line each; empty when all is well.
std::string HookProblems();

// Adds a non-fatal failure listing HookProblems() when there are any, then
// resets the hooks so each problem is reported once.
void CheckHooks();

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // CheckHooks(), then test mode off and the real clock back.
  void TearDown() override;
};

}  // namespace testsupport
