#include "filelist/flistcore/ftprecord.h"

#include <ctime>

#include "core/docsvc/ftppath.h"
#include "fw/datetime.h"

namespace flist {

namespace {

constexpr std::int64_t kTimeEnd = 2145916800;  // 2038-01-01: later times count as 0

// One year of 365 or 366 days, within 2,000 seconds.
bool AboutOneYear(std::int64_t span) {
  return (span > 31534000 && span < 31538000) || (span > 31620400 && span < 31624400);
}
// One year and 9 hours, within 2,000 seconds.
bool AboutOneYearAndNine(std::int64_t span) {
  return (span > 31566400 && span < 31570400) || (span > 31652800 && span < 31656800);
}

// `t`'s local date and time moved into `year`; -1 when the system has no such time.
std::int64_t InYear(std::int64_t t, int year) {
  const std::tm f = fw::LocalFields(t);
  return fw::MakeLocalTime(year, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec, -1);
}

}  // namespace

std::int64_t FtpListTime(std::int64_t t, bool oddFlag, std::int64_t now) {
  if (oddFlag) t -= kFtpNineHours;
  const int nowYear = fw::LocalFields(now).tm_year + 1900;
  const int years = nowYear - (fw::LocalFields(t).tm_year + 1900);
  if (years >= 0 && years <= 2) {
    const std::int64_t span = now - t;
    if (AboutOneYear(span)) {
      const std::int64_t moved = InYear(t, nowYear);
      if (moved >= 0) t = moved;
    } else if (AboutOneYearAndNine(span)) {
      const std::int64_t moved = InYear(t, nowYear);
      if (moved >= 0) t = moved + kFtpNineHours;
    }
  }
  return t >= 0 && t < kTimeEnd ? t : 0;
}

std::string FtpExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return "*";
  return name.substr(dot + 1);
}

bool FtpWorkEntry(const fileops::FolderEntry& e, bool oddFlag, std::int64_t now, WorkEntry* out) {
  if (e.name == "." || e.name == "..") return false;
  if (!docsvc::IsSafeFtpName(e.name)) return false;
  WorkEntry w;
  w.name = e.name;
  w.time = static_cast<std::uint32_t>(FtpListTime(e.mtime, oddFlag, now));
  w.attributes = e.attributes & (fileops::kAttrReadOnly | fileops::kAttrHidden | fileops::kAttrSystem |
                                 fileops::kAttrFolder | fileops::kAttrArchive);
  if (e.attributes & fileops::kAttrFolder) {
    w.size = -1;
    w.sizeHigh = 0;
  } else {
    w.ext = FtpExtension(e.name);
    w.size = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.size));
    w.sizeHigh = kSizeHighFile | static_cast<std::uint32_t>((e.size >> 32) & 0x7FFFFFFFu);
  }
  *out = std::move(w);
  return true;
}

}  // namespace flist
