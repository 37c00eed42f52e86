// Tests of the date texts run in one fixed zone (Asia/Tokyo, no summer time).
#pragma once

#include <cstdlib>
#include <ctime>

namespace flisttest {

inline void FixZone() {
#ifndef _WIN32
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
#endif
}

}  // namespace flisttest
