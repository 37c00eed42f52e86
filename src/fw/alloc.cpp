#include "fw/alloc.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(TABRYE_FUZZ_BUILD) && defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TABRYE_BLOCK_CACHE 1
#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>

#include <mutex>
#endif
#endif

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

#ifdef TABRYE_BLOCK_CACHE
// Fuzz builds only. Each input of a fuzz target asks for a few buffers of
// megabytes, which the sanitizer's allocator maps and unmaps every time; with
// several workers those page-table changes, not the code under test, took
// most of the time. Large blocks are made in power-of-two sizes and kept here
// when freed, to be handed out again for a request of the same size class.
// Only the bytes asked for are addressable: the rest of the block, and the
// whole of a kept block, is poisoned, so reads and writes past the end and
// uses after the free are still reported. A handed-out block's head is
// filled as the sanitizer fills a new one.
constexpr std::size_t kCachedFrom = std::size_t{128} << 10;
constexpr int kCacheSlots = 32;

struct CachedBlock {
  void* block = nullptr;
  std::size_t capacity = 0;  // the block's size (a power of two)
  std::size_t size = 0;      // the bytes handed out
  bool inUse = false;
};
CachedBlock g_cache[kCacheSlots];
std::mutex g_cacheLock;  // some loaders allocate from worker threads

std::size_t SizeClass(std::size_t size) {
  std::size_t c = kCachedFrom;
  while (c < size && c <= (static_cast<std::size_t>(-1) >> 1)) c <<= 1;
  return c < size ? size : c;
}

void* HandOut(CachedBlock& c, std::size_t size) {
  ASAN_UNPOISON_MEMORY_REGION(c.block, size);
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(c.block) + size, c.capacity - size);
  std::memset(c.block, 0xbe, std::min<std::size_t>(size, 4096));
  c.size = size;
  c.inUse = true;
  return c.block;
}

void* KeptAlloc(std::size_t size) {
  const std::size_t capacity = SizeClass(size);
  for (CachedBlock& c : g_cache) {
    if (c.block != nullptr && !c.inUse && c.capacity == capacity) return HandOut(c, size);
  }
  CachedBlock* slot = nullptr;
  for (CachedBlock& c : g_cache) {
    if (c.block == nullptr) {
      slot = &c;
      break;
    }
    if (!c.inUse && slot == nullptr) slot = &c;  // a kept block of another class gives way
  }
  if (slot == nullptr) return std::malloc(size);
  void* p = std::malloc(capacity);
  if (p == nullptr) return nullptr;
  if (slot->block != nullptr) {
    ASAN_UNPOISON_MEMORY_REGION(slot->block, slot->capacity);
    std::free(slot->block);
  }
  *slot = CachedBlock{p, capacity, 0, false};
  return HandOut(*slot, size);
}

void* RawAlloc(std::size_t size) {
  if (size < kCachedFrom) return std::malloc(size);
  std::lock_guard<std::mutex> hold(g_cacheLock);
  return KeptAlloc(size);
}

CachedBlock* Kept(void* block) {
  for (CachedBlock& c : g_cache) {
    if (c.block == block && c.inUse) return &c;
  }
  return nullptr;
}

void RawFree(void* block) {
  std::lock_guard<std::mutex> hold(g_cacheLock);
  if (CachedBlock* c = Kept(block)) {
    c->inUse = false;
    ASAN_POISON_MEMORY_REGION(block, c->capacity);
    return;
  }
  std::free(block);
}

void* RawRealloc(void* block, std::size_t size) {
  std::unique_lock<std::mutex> hold(g_cacheLock);
  CachedBlock* c = Kept(block);
  if (c == nullptr && size < kCachedFrom) return std::realloc(block, size);
  const std::size_t old = c != nullptr ? c->size : __sanitizer_get_allocated_size(block);
  if (c != nullptr && size <= c->capacity && size >= kCachedFrom) {
    // Grows or shrinks within its block.
    if (size > old) ASAN_UNPOISON_MEMORY_REGION(static_cast<char*>(block) + old, size - old);
    if (size < old) ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + size, old - size);
    c->size = size;
    return block;
  }
  hold.unlock();
  void* p = RawAlloc(size);
  if (p == nullptr) return nullptr;
  std::memcpy(p, block, std::min(old, size));
  RawFree(block);
  return p;
}
#else
void* RawAlloc(std::size_t size) { return std::malloc(size); }
void RawFree(void* block) { std::free(block); }
void* RawRealloc(void* block, std::size_t size) { return std::realloc(block, size); }
#endif

}  // namespace

void* Alloc(std::size_t size) {
  NoteSize(size);
  if (Refused()) return nullptr;
  void* p = RawAlloc(size == 0 ? 1 : size);
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
  return RawRealloc(block, size == 0 ? 1 : size);
}

void Free(void* block) {
  if (block == nullptr) return;
  --g_live;
  RawFree(block);
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
