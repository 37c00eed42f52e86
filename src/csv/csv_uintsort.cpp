// SortUInt32Array: elements ordered by their leading unsigned 32-bit number,
// elements with the same number by their remaining bytes, so the result is
// the same whichever way it was reached (equal elements cannot be told
// apart).
#include <algorithm>
#include <cstring>

#include "csv/csv_linesort.h"
#include "fw/alloc.h"

namespace csv {
namespace {

struct Element {
  std::uint8_t* base;
  std::size_t size;
  std::uint8_t* At(std::size_t i) const { return base + i * size; }
  std::uint32_t Key(std::size_t i) const {
    std::uint32_t k;
    std::memcpy(&k, At(i), 4);
    return k;
  }
  bool Less(std::size_t i, std::size_t j) const {
    const std::uint32_t a = Key(i), b = Key(j);
    if (a != b) return a < b;
    return std::memcmp(At(i) + 4, At(j) + 4, size - 4) < 0;
  }
  void Swap(std::size_t i, std::size_t j) const {
    std::uint8_t* a = At(i);
    std::uint8_t* b = At(j);
    for (std::size_t k = 0; k < size; ++k) std::swap(a[k], b[k]);
  }
};

// In place, without memory of its own.
void HeapSort(const Element& e, std::size_t n) {
  auto sift = [&e](std::size_t root, std::size_t end) {
    for (;;) {
      std::size_t child = 2 * root + 1;
      if (child >= end) return;
      if (child + 1 < end && e.Less(child, child + 1)) ++child;
      if (!e.Less(root, child)) return;
      e.Swap(root, child);
      root = child;
    }
  };
  for (std::size_t i = n / 2; i-- > 0;) sift(i, n);
  for (std::size_t end = n; end-- > 1;) {
    e.Swap(0, end);
    sift(0, end);
  }
}

}  // namespace

int SortUInt32Array(void* base, std::size_t count, std::size_t elementSize) {
  if (base == nullptr || count < 2 || elementSize < 4) return 0;
  auto* bytes = static_cast<std::uint8_t*>(base);
  if (elementSize == 4 && reinterpret_cast<std::uintptr_t>(base) % alignof(std::uint32_t) == 0) {
    auto* v = static_cast<std::uint32_t*>(base);
    std::sort(v, v + count);
    return 0;
  }
  const Element e{bytes, elementSize};
  // Sort an order of indexes, then move the elements once; without the
  // memory for that, sort in place.
  auto* order = static_cast<std::size_t*>(fw::AllocArray(count, sizeof(std::size_t)));
  auto* copy = order ? static_cast<std::uint8_t*>(fw::AllocArray(count, elementSize)) : nullptr;
  if (copy == nullptr) {
    fw::Free(order);
    HeapSort(e, count);
    return 0;
  }
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::sort(order, order + count, [&e](std::size_t a, std::size_t b) { return e.Less(a, b); });
  std::memcpy(copy, bytes, count * elementSize);
  for (std::size_t i = 0; i < count; ++i) std::memcpy(bytes + i * elementSize, copy + order[i] * elementSize, elementSize);
  fw::Free(copy);
  fw::Free(order);
  return 0;
}

}  // namespace csv
