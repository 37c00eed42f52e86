// Runs the thread's message loop for tests that wait on timers or posted
// messages (Windows only).
#pragma once

#include <functional>

namespace testsupport {

// Dispatches messages until `done` returns true or `timeoutMs` has passed.
// Returns the last value of `done`. A WM_QUIT seen here is posted again and
// ends the wait.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// Dispatches messages for `ms` milliseconds.
void PumpFor(int ms);

}  // namespace testsupport
