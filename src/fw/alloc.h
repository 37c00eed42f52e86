// Heap blocks for buffers whose allocation failure the program reports as
// "memory shortage". Every such buffer comes from fw::Alloc/Realloc and goes
// back through fw::Free, so tests can make any one allocation fail.
#pragma once

#include <cstddef>

namespace fw {

// A block of at least `size` bytes (a zero size still gives a unique block),
// or nullptr when memory is short or the test hook refuses the allocation.
void* Alloc(std::size_t size);

// count * size bytes, nullptr when the product overflows or memory is short.
void* AllocArray(std::size_t count, std::size_t size);

// Grows or shrinks a block. On failure returns nullptr and `block` stays valid
// and unchanged. Realloc(nullptr, n) is Alloc(n).
void* Realloc(void* block, std::size_t size);

// Frees a block from Alloc/Realloc; nullptr is allowed.
void Free(void* block);

// Test hook. Allocations are numbered from 1 after Reset(); FailAt(n) makes
// the n-th one return nullptr (only that one), FailFrom(n) the n-th and every
// later one. Typical use, reaching every failure path of an operation:
//
//   for (long n = 1;; ++n) {
//     fw::alloctest::Reset();
//     fw::alloctest::FailAt(n);
//     bool ok = RunOperation();                  // must fail cleanly
//     bool reached = fw::alloctest::Count() >= n;
//     fw::alloctest::Reset();
//     if (!reached) break;                       // n is past the last one
//     EXPECT_FALSE(ok);
//   }
namespace alloctest {
void Reset();              // counter to 0, no failures planned
void FailAt(long n);       // only allocation n fails (0: none)
void FailFrom(long n);     // allocations n, n+1, ... fail (0: none)
long Count();              // Alloc/Realloc calls since Reset()
long Failed();             // of those, how many were refused
long Live();               // blocks handed out and not yet freed (all time)
std::size_t Largest();     // the largest size asked for since Reset()
}  // namespace alloctest

}  // namespace fw
