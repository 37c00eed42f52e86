#include "archive/arc_time.h"

#include <sys/types.h>
#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

namespace arc {

uint32_t ToDosDateTime(const ArcDateTime& t) noexcept {
  uint32_t year = static_cast<uint32_t>(t.year - 1980) & 127;
  uint32_t date = year << 9 | (static_cast<uint32_t>(t.month) & 15) << 5 | (static_cast<uint32_t>(t.day) & 31);
  uint32_t time = (static_cast<uint32_t>(t.hour) & 31) << 11 | (static_cast<uint32_t>(t.minute) & 63) << 5 |
                  ((static_cast<uint32_t>(t.second) / 2) & 31);
  return date << 16 | time;
}

ArcDateTime FromDosDateTime(uint32_t v) noexcept {
  ArcDateTime t;
  t.second = static_cast<int>(v & 31) * 2;
  t.minute = static_cast<int>(v >> 5 & 63);
  t.hour = static_cast<int>(v >> 11 & 31);
  t.day = static_cast<int>(v >> 16 & 31);
  t.month = static_cast<int>(v >> 21 & 15);
  t.year = static_cast<int>(v >> 25 & 127) + 1980;
  return t;
}

ArcDateTime LocalDateTime(std::time_t tt) noexcept {
  std::tm tm{};
#ifdef _WIN32
  if (localtime_s(&tm, &tt) != 0) return ArcDateTime{1970, 1, 1, 0, 0, 0};
#else
  if (!localtime_r(&tt, &tm)) return ArcDateTime{1970, 1, 1, 0, 0, 0};
#endif
  ArcDateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  return t;
}

ArcDateTime FromUnixTime(int64_t seconds) noexcept { return LocalDateTime(static_cast<std::time_t>(seconds)); }

std::time_t ToTimeT(const ArcDateTime& t) noexcept {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

bool SetFileDateTime(const std::string& path, const ArcDateTime& t) {
  const std::time_t when = ToTimeT(t);
  if (when == static_cast<std::time_t>(-1)) return false;
#ifdef _WIN32
  struct _utimbuf ub;
  ub.actime = when;
  ub.modtime = when;
  return _utime(path.c_str(), &ub) == 0;
#else
  struct utimbuf ub;
  ub.actime = when;
  ub.modtime = when;
  return utime(path.c_str(), &ub) == 0;
#endif
}

}  // namespace arc
