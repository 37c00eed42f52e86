#include "fw/alloc.h"

#include <atomic>
#include <cstdlib>

namespace fw {
namespace {

std::atomic<long> g_count{0};
std::atomic<long> g_failed{0};
std::atomic<long> g_failAt{0};
std::atomic<long> g_failFrom{0};
std::atomic<long> g_live{0};
std::atomic<std::size_t> g_largest{0};

void NoteSize(std::size_t size) {
  std::size_t was = g_largest.load();
  while (size > was && !g_largest.compare_exchange_weak(was, size)) {
  }
}

// Numbers this allocation and says whether the test hook refuses it.
bool Refused() {
  long n = ++g_count;
  long at = g_failAt.load();
  long from = g_failFrom.load();
  if ((at != 0 && n == at) || (from != 0 && n >= from)) {
    ++g_failed;
    return true;
  }
  return false;
}

}  // namespace

void* Alloc(std::size_t size) {
  NoteSize(size);
  if (Refused()) return nullptr;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p != nullptr) ++g_live;
  return p;
}

void* AllocArray(std::size_t count, std::size_t size) {
  if (size != 0 && count > static_cast<std::size_t>(-1) / size) {
    Refused();  // still counted, so the numbering does not depend on the sizes
    return nullptr;
  }
  return Alloc(count * size);
}

void* Realloc(void* block, std::size_t size) {
  if (block == nullptr) return Alloc(size);
  NoteSize(size);
  if (Refused()) return nullptr;
  return std::realloc(block, size == 0 ? 1 : size);
}

void Free(void* block) {
  if (block == nullptr) return;
  --g_live;
  std::free(block);
}

namespace alloctest {
void Reset() {
  g_count = 0;
  g_failed = 0;
  g_failAt = 0;
  g_failFrom = 0;
  g_largest = 0;
}
void FailAt(long n) { g_failAt = n; }
void FailFrom(long n) { g_failFrom = n; }
long Count() { return g_count.load(); }
long Failed() { return g_failed.load(); }
long Live() { return g_live.load(); }
std::size_t Largest() { return g_largest.load(); }
}  // namespace alloctest

}  // namespace fw
