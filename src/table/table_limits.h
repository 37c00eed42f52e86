// Sizes of the rebuild's output buffer.
#pragma once

#include <cstdint>

namespace table {

struct OutputSizing {
  std::uint64_t perCell;        // bytes reserved per cell (fields x rows)
  std::uint64_t floor;          // smallest buffer
  std::uint64_t ruledFloor;     // smallest buffer of the ruled display
  std::uint64_t cap;            // largest buffer outside the ruled display
  std::uint64_t slack;          // allocated past the stored capacity
  std::uint64_t reserve;        // a row must leave this much room
  std::uint64_t growthStep;     // smallest growth outside the ruled display
};
extern const OutputSizing kOutputSizing;

}  // namespace table
