// Helpers shared by the archive tests: code checks and test data.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_error.h"
#include "archive_data.h"

// Expects the statement to throw ArchiveError with the given code.
#define EXPECT_ARC_CODE(stmt, code)                                   \
  do {                                                                \
    std::string got_ = "none";                                        \
    try {                                                             \
      stmt;                                                           \
    } catch (const ::arc::ArchiveError& e_) {                         \
      got_ = e_.Code();                                               \
    }                                                                 \
    EXPECT_EQ(got_, std::string(code)) << "for: " #stmt;              \
  } while (0)

namespace arc {

// De Bruijn sequence over an alphabet of k letters ('A' + i) in which every
// string of n letters occurs once (cyclically).
inline void DeBruijnStep(int t, int p, int k, int n, std::vector<int>& a, std::vector<uint8_t>& seq) {
  if (t > n) {
    if (n % p == 0)
      for (int i = 1; i <= p; ++i) seq.push_back(static_cast<uint8_t>('A' + a[static_cast<size_t>(i)]));
    return;
  }
  a[static_cast<size_t>(t)] = a[static_cast<size_t>(t - p)];
  DeBruijnStep(t + 1, p, k, n, a, seq);
  for (int j = a[static_cast<size_t>(t - p)] + 1; j < k; ++j) {
    a[static_cast<size_t>(t)] = j;
    DeBruijnStep(t + 1, t, k, n, a, seq);
  }
}

inline std::vector<uint8_t> DeBruijn(int k, int n) {
  std::vector<int> a(static_cast<size_t>(k * n + 1), 0);
  std::vector<uint8_t> seq;
  DeBruijnStep(1, 1, k, n, a, seq);
  return seq;
}

}  // namespace arc
