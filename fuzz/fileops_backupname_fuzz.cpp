// The backup-name rule of the start-up clean-up over any name and day: no
// read outside the name; "." and ".." are never stale; a backup name the
// program makes for a day is never stale on that day, and one of an ASCII
// file name made on another day always is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/docsvc/backup.h"
#include "core/fileops/scratchclean.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int month = 1 + data[0] % 12, day = 1 + data[1] % 31;
  const int otherMonth = 1 + data[2] % 12, otherDay = 1 + data[3] % 31;
  const char letter = static_cast<char>('A' + (data[0] >> 4) % 26);
  std::string name(reinterpret_cast<const char*>(data + 4), size - 4);
  const std::string key = fileops::BackupDayKey(month, day);
  if (key.size() != 4) std::abort();

  // Any name, any key (also one of another length).
  (void)fileops::IsStaleBackupName(name, key);
  (void)fileops::IsStaleBackupName(name, std::string(name, 0, name.size() / 2));
  if (fileops::IsStaleBackupName(".", key) || fileops::IsStaleBackupName("..", key)) std::abort();

  // File names only: no separators, no NUL.
  bool plain = true, ascii = true;
  for (char c : name) {
    if (c == '\\' || c == '/' || c == 0) plain = false;
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
  }
  // Windows drops trailing dots and blanks from a file name: no file has one.
  if (!plain || (!name.empty() && (name.back() == '.' || name.back() == ' '))) return 0;
  const std::string today = docsvc::BackupName(CString(name.c_str()), letter, month, day).Str();
  if (fileops::IsStaleBackupName(today, key)) std::abort();
  if (ascii && (otherMonth != month || otherDay != day)) {
    const std::string old = docsvc::BackupName(CString(name.c_str()), letter, otherMonth, otherDay).Str();
    if (!fileops::IsStaleBackupName(old, key)) std::abort();
  }
  return 0;
}
