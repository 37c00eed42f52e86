// Refuses the allocations of one operation in turn: for n = 1, 2, ... a
// fresh state comes from `prepare` (nothing refused), then `run(state)`
// meets a refusal at its n-th allocation and `refused(n, result, state)`
// judges what it did; the walk ends with the first run that makes fewer
// than n allocations, whose result it returns.
#pragma once

#include "fw/alloc.h"

namespace testsupport {

template <typename Prepare, typename Run, typename Refused>
auto WalkAllocationFailures(Prepare prepare, Run run, Refused refused) {
  for (long n = 1;; ++n) {
    auto state = prepare();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const auto result = run(state);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) return result;
    refused(n, result, state);
  }
}

}  // namespace testsupport
