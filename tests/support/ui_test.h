// GoogleTest base for tests that touch modal UI: hooks in test mode, reset,
// a fixed random seed, and a failure for every modal window nobody expected.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// The seed every UiTest starts from.
constexpr unsigned kUiTestSeed = 20240101u;

// What is wrong with the hooks' records: unexpected modal UI and expectations
// that were never used, one line each; empty when all is well.
std::string HookProblems();

// Adds a non-fatal failure listing HookProblems() when there are any, then
// resets the hooks so each problem is reported once.
void CheckHooks();

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // CheckHooks(), then test mode off.
  void TearDown() override;
};

}  // namespace testsupport
