// The one source of the current time. Every read of "now" in the program
// goes through these functions, so tests can fix the clock.
#pragma once

#include <cstdint>

namespace fw {

// Wall clock: milliseconds and seconds since 1970-01-01 00:00 UTC.
std::int64_t CurrentTimeMs();
std::int64_t CurrentTime();

// Monotonic milliseconds for measuring intervals (start unspecified).
std::uint64_t TickCount();

// The one wait of the program: `ms` milliseconds. Under clocktest::Fix it
// advances the fixed clock instead of sleeping, so tests never wait. `poll`,
// when given, is called about every 10 ms; a true result ends the wait early
// (and Wait returns false).
bool Wait(std::int64_t ms, bool (*poll)(void* ctx) = nullptr, void* ctx = nullptr);

namespace clocktest {
// Fixes the wall clock at `seconds` since 1970 (UTC) and the tick count at
// `ticks`; both stay put until Advance() or Release().
void Fix(std::int64_t seconds, std::uint64_t ticks = 0);
// Moves the fixed clock and tick count forward by `ms` milliseconds.
void Advance(std::int64_t ms);
// Back to the real clock.
void Release();
}  // namespace clocktest

}  // namespace fw
