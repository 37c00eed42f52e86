#include "fw/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace fw {
namespace {
std::atomic<bool> g_fixed{false};
std::atomic<std::int64_t> g_fixedMs{0};
std::atomic<std::uint64_t> g_fixedTicks{0};
}  // namespace

std::int64_t CurrentTimeMs() {
  if (g_fixed) return g_fixedMs;
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t CurrentTime() {
  std::int64_t ms = CurrentTimeMs();
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

std::uint64_t TickCount() {
  if (g_fixed) return g_fixedTicks;
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool Wait(std::int64_t ms, bool (*poll)(void* ctx), void* ctx) {
  if (ms <= 0) return !(poll && poll(ctx));
  if (g_fixed) {
    clocktest::Advance(ms);
    return !(poll && poll(ctx));
  }
  const std::uint64_t end = TickCount() + static_cast<std::uint64_t>(ms);
  for (;;) {
    if (poll && poll(ctx)) return false;
    const std::uint64_t now = TickCount();
    if (now >= end) return true;
    const std::uint64_t step = end - now < 10 ? end - now : 10;
    std::this_thread::sleep_for(std::chrono::milliseconds(step));
  }
}

namespace clocktest {
void Fix(std::int64_t seconds, std::uint64_t ticks) {
  g_fixedMs = seconds * 1000;
  g_fixedTicks = ticks;
  g_fixed = true;
}
void Advance(std::int64_t ms) {
  g_fixedMs += ms;
  g_fixedTicks += static_cast<std::uint64_t>(ms);
}
void Release() { g_fixed = false; }
}  // namespace clocktest

}  // namespace fw
