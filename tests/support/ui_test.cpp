#include "support/ui_test.h"

#include "fw/clock.h"
#include "fw/uihooks.h"

namespace testsupport {

std::string HookProblems() {
  std::string out;
  for (const std::string& u : fw::hooks::Unexpected()) out += "unexpected " + u + "\n";
  for (const std::string& u : fw::hooks::Unused()) out += "never shown: " + u + "\n";
  return out;
}

void CheckHooks() {
  const std::string problems = HookProblems();
  if (!problems.empty()) ADD_FAILURE() << "modal UI hooks:\n" << problems;
  fw::hooks::Reset();
}

void UiTest::SetUp() {
  fw::hooks::SetTestMode(true);
  fw::hooks::Reset();
  fw::hooks::SeedRandom(kUiTestSeed);
  fw::clocktest::Fix(kUiTestTime, 0);
}

void UiTest::TearDown() {
  CheckHooks();
  fw::hooks::SetTestMode(false);
  fw::clocktest::Release();
}

}  // namespace testsupport
