// The rows of the drive list: drive A:, the drives found, pseudo-drive rows
// of the FTP and network entries, "NW:", the special folders and blanks.
// Portable: the pane supplies a prober for the real drives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flist {

struct DriveInfo {
  bool exists = false;
  std::string label;        // volume label
  std::string fileSystem;   // file-system name
  int type = 0;             // 2 removable, 3 fixed, 4 remote, 5 CD, 6 RAM disk (GetDriveType)
  std::uint64_t freeBytes = 0;
  std::uint64_t totalBytes = 0;
};

struct DriveRow {
  std::string name;
  std::string kind;
  std::int32_t val1 = -1;   // free MB
  std::int32_t val3 = -1;   // total MB
};

struct DriveListResult {
  std::vector<DriveRow> rows;  // rows 1.. (row 0 ".." untouched)
  int cursorRow = 0;
  int entryCount = 0;          // last row + 1
};

constexpr int kDriveListBlankTo = 29;

// `sysValue` are the 60 system-file values; `probe(n)` tells about drive
// number n (2 = B: ... 30 = "^:"); `currentDrive` is the number of the
// current drive; `curDir` the pane's folder.
template <typename Probe>
DriveListResult BuildDriveList(const std::string* sysValue, int currentDrive, const std::string& curDir, Probe probe);

// The kind text of a drive type.
std::string DriveKindText(int type, const std::string& fileSystem);
// The first pseudo-drive entry (values 26-43 without 29, 30, 39) of a
// letter: its index, or -1.
int PseudoDriveEntry(const std::string* sysValue, char letter);
// Position of the entry's second "~" (searched from index 3 when the first
// stands at 2), or -1.
int SecondTilde(const std::string& entry);
// The special-folder rows in their order.
extern const char* const kSpecialFolders[7];

template <typename Probe>
DriveListResult BuildDriveList(const std::string* sysValue, int currentDrive, const std::string& curDir, Probe probe) {
  DriveListResult r;
  r.rows.push_back(DriveRow{"A:", "FD", -1, -1});
  int row = 2;
  for (int n = 2; n <= 30; ++n) {
    const char letter = static_cast<char>(64 + n);
    const int entry = PseudoDriveEntry(sysValue, letter);
    const int tilde = entry >= 0 ? SecondTilde(sysValue[entry]) : -1;
    const DriveInfo info = probe(n);
    if (info.exists) {
      if (n == currentDrive) r.cursorRow = row;
      std::string label = info.label;
      if (entry >= 0 && tilde > 3) {
        for (int k = 31; k <= 59; ++k) {
          const std::string& v = sysValue[k];
          if (!v.empty() && v[0] == letter) {
            label = v.size() > 3 ? v.substr(3, static_cast<std::size_t>(tilde - 3)) : std::string();
            break;
          }
        }
      }
      DriveRow d;
      d.name = std::string(1, letter) + ": " + label;
      d.kind = DriveKindText(info.type, info.fileSystem);
      d.val1 = static_cast<std::int32_t>(static_cast<std::uint32_t>(info.freeBytes >> 20));
      d.val3 = static_cast<std::int32_t>(static_cast<std::uint32_t>(info.totalBytes >> 20));
      r.rows.push_back(d);
      ++row;
    } else if (entry >= 0 && tilde > 4) {
      const std::string& v = sysValue[entry];
      DriveRow d;
      if (entry > 30) {
        d.name = v.substr(0, 2) + "+" + v.substr(3, static_cast<std::size_t>(tilde - 3));
        d.kind = "Net";
      } else {
        const std::size_t from = v.size() > 3 && v[3] >= '0' && v[3] <= '3' ? 4 : 3;
        d.name = v.substr(0, 2) + ">" + v.substr(from, static_cast<std::size_t>(tilde) - from);
        d.kind = "FTP";
      }
      r.rows.push_back(d);
      ++row;
    }
  }
  if (curDir == "NW:") r.cursorRow = row;
  if (curDir == "A:") r.cursorRow = 0;
  r.rows.push_back(DriveRow{"NW:", "Net", -1, -1});
  ++row;
  for (const char* s : kSpecialFolders) {
    r.rows.push_back(DriveRow{s, "dir", -1, -1});
    ++row;
  }
  r.entryCount = row;
  return r;
}

}  // namespace flist
