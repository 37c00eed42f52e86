// Date and time helpers of the archive records: the MS-DOS packed form used
// by ZIP and LZH level 0/1 headers, seconds since 1970 (LZH level 2), and
// setting an extracted file's times.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace arc {

struct ArcDateTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Bits 0-4 second/2, 5-10 minute, 11-15 hour, 16-20 day, 21-24 month,
// 25-31 year - 1980 (taken modulo 128).
uint32_t ToDosDateTime(const ArcDateTime& t) noexcept;
ArcDateTime FromDosDateTime(uint32_t v) noexcept;
// Local date and time of a count of seconds since 1970.
ArcDateTime FromUnixTime(int64_t seconds) noexcept;
// Local date and time of a time_t (file modification times).
ArcDateTime LocalDateTime(std::time_t t) noexcept;
// The time_t of a local date and time; -1 when it does not convert.
std::time_t ToTimeT(const ArcDateTime& t) noexcept;
// Sets the access and modification time of a file to the local date and
// time; false when the date does not convert or the file cannot be changed.
bool SetFileDateTime(const std::string& path, const ArcDateTime& t);

}  // namespace arc
