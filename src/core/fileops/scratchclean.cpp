#include "core/fileops/scratchclean.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/docsvc/backup.h"
#include "core/docsvc/schedule_runner.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/sjis.h"

namespace fileops {

namespace {

struct Listed {
  std::string name;
  std::uint32_t attributes;
};

bool IsDots(const std::string& name) { return name == "." || name == ".."; }

bool IsBackupFolderName(const std::string& name) {
  // The file system matches names without regard to ASCII case.
  static const char kName[] = "BACKUP";
  if (name.size() != sizeof kName - 1) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kName[i]) return false;
  }
  return true;
}

bool StartsWith(const std::string& s, const char* p) { return s.compare(0, std::strlen(p), p) == 0; }

CString Join(const CString& folder, const std::string& name) { return folder + "\\" + name.c_str(); }

// Up to `limit` entries of `folder` ("." and ".." counted, not returned);
// false when the folder cannot be entered.
bool ReadFolder(FileOpsHost& host, const CString& folder, int limit, std::vector<Listed>* out) {
  FolderHost& folders = host.Folders();
  if (ChangeDirectory(folders, folder.Str(), 0, 0) < 0) return false;
  long read = 0;
  folders.ListCurrentDir([&](const FolderEntry& e) {
    if (read >= limit) return false;
    ++read;
    if (!IsDots(e.name)) out->push_back(Listed{e.name, e.attributes});
    return read < limit;
  });
  return true;
}

// A scratch sub-folder with everything below it, as the converters clear
// theirs (mode 1, no questions).
bool RemoveScratchFolder(FileOpsHost& host, const CString& path, int capacity) {
  DeleteDirectoryTree(host, path, kModeForce, kConfirmNone, 1, 0, capacity);
  return RemoveFolder(host, path, 0) == kDone;
}

}  // namespace

// A scratch file goes without a backup: attributes normal, then removed.
bool RemoveScratchFile(const CString& path) {
  try {
    CFileStatus st;
    st.m_attribute = CFile::normal;
    CFile::SetStatus(path, st);
  } catch (const CFileException&) {
    // the removal below tells
  }
  try {
    CFile::Remove(path);
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

std::string BackupDayKey(int month, int day) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02d%02d", month, day);
  return buf;
}

bool IsStaleBackupName(const std::string& name, const std::string& todayKey) {
  if (IsDots(name)) return false;
  // p: the last "." that stands as a character of its own (a trail byte of
  // a two-byte character is never one), else the end of the name. A "." at
  // the start begins no extension, as the backup names are made: the
  // backup of ".profile" is ".profile_A0505~".
  std::size_t p = name.size();
  std::vector<bool> single(name.size(), false);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    single[i] = true;
    if (name[i] == '.' && i > 0) p = i;
  }
  if (p == 0 || !single[p - 1] || name[p - 1] != '~') return false;
  const std::string key = p <= 4 ? std::string() : name.substr(p - 5, 4);
  return key != todayKey;
}

int CleanScratchAtStart(FileOpsHost& host, const CString& programDir, int capacity) {
  int removed = 0;
  const CString tmp = docsvc::ScratchDir(programDir);
  std::vector<Listed> entries;
  if (ReadFolder(host, tmp, capacity, &entries)) {
    int tries = 0;
    for (const Listed& e : entries) {
      if (tries >= kStartRemovals) break;
      const CString full = Join(tmp, e.name);
      if (e.attributes & kAttrFolder) {
        if (IsBackupFolderName(e.name)) continue;
        ++tries;
        if (RemoveScratchFolder(host, full, capacity)) ++removed;
      } else {
        ++tries;
        if (RemoveScratchFile(full)) ++removed;
      }
    }
  }
  const CString backup = docsvc::BackupDir(programDir);
  entries.clear();
  if (!ReadFolder(host, backup, capacity, &entries)) return removed;
  const docsvc::LocalTime today = docsvc::CurrentLocalTime();
  const std::string key = BackupDayKey(today.month, today.day);
  for (const Listed& e : entries) {
    if (e.attributes & kAttrFolder) continue;
    if (IsStaleBackupName(e.name, key) && RemoveScratchFile(Join(backup, e.name))) ++removed;
  }
  return removed;
}

int CleanScratchAtExit(FileOpsHost& host, const CString& programDir, int capacity, const CString& currentFilePath,
                       int loadState) {
  int removed = 0;
  std::string current = currentFilePath.Str();
  const std::size_t slash = current.find_last_of('\\');
  if (slash != std::string::npos) current.erase(0, slash + 1);

  const CString tmp = docsvc::ScratchDir(programDir);
  FolderHost& folders = host.Folders();
  // The walks enter the scratch folders; the process steps back out at the
  // end, so no folder it cleaned stays held as the current directory.
  const std::string before = fw::FullPath(".");
  if (ChangeDirectory(folders, tmp.Str(), 0, 0) == 0) {
    // Read first (with each entry's place in the count), act afterwards.
    struct Counted {
      Listed entry;
      long number;
    };
    std::vector<Counted> entries;
    long count = 0;
    folders.ListCurrentDir([&](const FolderEntry& e) {
      if (count >= capacity) return false;
      ++count;
      if (!IsDots(e.name)) entries.push_back(Counted{Listed{e.name, e.attributes}, count});
      return count < capacity;
    });
    for (const Counted& c : entries) {
      const Listed& e = c.entry;
      const CString full = Join(tmp, e.name);
      if (e.attributes & kAttrFolder) {
        if (!IsBackupFolderName(e.name) && RemoveScratchFolder(host, full, capacity)) ++removed;
        continue;
      }
      if (loadState == 99 && e.name == current) continue;
      const bool go = c.number > kExitKeptEntries || StartsWith(e.name, "Dorvik") || StartsWith(e.name, "TMP_") ||
                      StartsWith(e.name, "temp.") || StartsWith(e.name, "pdftmp.");
      if (go && RemoveScratchFile(full)) ++removed;
    }
  }
  const CString tmp1 = docsvc::XlsxScratchDir(programDir);
  if (EntryAttributes(tmp1) != 0xFFFFFFFFu && RemoveScratchFolder(host, tmp1, capacity)) ++removed;
  if (!before.empty()) ChangeDirectory(folders, before, 0, 0);
  return removed;
}

}  // namespace fileops
