// Decisions of the list's rename command (file name, attributes, times,
// batch name conversion, name enciphering, volume label): what the dialog
// opens with, how each marked entry's status changes, which kind of name
// change the typed text asks for and the old and new name of each entry.
// Portable; the pane reads the entries, shows the dialog and acts.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace flist {

// The values of the rename dialog.
struct RenameFields {
  std::string name;
  int archive = 0;
  int hidden = 0;
  int readOnly = 0;
  int system = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int keepAttributes = 0;  // "do not change the attributes"
};

// The shown name of a batch with several marks.
constexpr char kManyNames[] = "******";

// What the dialog is filled from.
struct RenamePrefillInput {
  int markedCount = 0;
  int listSource = 0;        // not 0 in the drive list
  bool ftpList = false;      // an FTP folder of a connected site is listed
  std::string cursorText;    // shown name of the cursor entry (the row text in the drive list)
  std::uint32_t cursorTime = 0;  // the entry's time value (0: none)
  bool statusRead = false;   // the cursor entry's status could be read
  std::uint8_t attributes = 0;
  std::int64_t mtime = 0;    // last write, seconds since 1970 (UTC)
};
RenameFields PrefillRenameFields(const RenamePrefillInput& in);

// The label part of a drive-list row ("D: DATA" -> "DATA"); the drive text
// is its first two characters.
std::string DriveRowLabel(const std::string& rowText);

// ---- Attributes and times of one marked entry ----
struct EntryStatus {
  std::uint8_t attributes = 0;
  std::int64_t ctime = 0, atime = 0, mtime = 0;
};
// The status writes for one entry. Times of 0 are left as they are unless
// their bit is in `timesGiven` (1 creation, 2 access, 4 last write): the
// epoch itself is a time the check can give.
struct StatusWrite {
  bool skip = true;               // nothing to write (a folder)
  std::uint8_t attributes = 0;    // first write: read-only cleared so times can be set
  std::int64_t ctime = 0, atime = 0, mtime = 0;
  unsigned timesGiven = 0;
  bool second = false;            // write once more with read-only added
};
constexpr unsigned kGiveCreation = 1, kGiveAccess = 2, kGiveLastWrite = 4;

// True when any of the six date and time fields holds a value: all six at 0
// mean "not entered" and every entry keeps its times.
bool DateEntered(const RenameFields& f);
// The date check: a year 1970-2037, a month 1-12 and a day 1-31 pass; any
// other entered date becomes 1970-01-01 09:00:00 in the fields (the later
// entries take it too). Returns the local time of the fields, or -1 when
// the date was not entered.
std::int64_t CheckedRenameTime(RenameFields& f);
// The plan of one entry whose status was read. `hasTime` false for an
// entry listed without a time: all three times take the dialog's time and
// one write carries every bit.
StatusWrite PlanStatusWrite(RenameFields& f, bool isFolder, bool hasTime, const EntryStatus& current);

// The status of a file (false when it cannot be read).
bool ReadEntryStatus(const std::string& path, EntryStatus* status);
// Carries out a plan through the framework's status call: the first write,
// then the second with read-only added. Throws CFileException.
void WriteEntryStatus(const std::string& path, const StatusWrite& w);

// ---- Names ----
enum class RenameMode { kSingle, kEncipherAll, kDecipherAll, kEncipherTo, kPattern };
// "@Enc", "@Dec", a name holding "@Enc" after its first character, a
// conversion pattern (":old:new", "/old/new", ":old/new"), or a plain name.
RenameMode ClassifyRenameName(const std::string& typed);
inline bool IsCipherMode(RenameMode m) {
  return m == RenameMode::kEncipherAll || m == RenameMode::kDecipherAll || m == RenameMode::kEncipherTo;
}

// The document's name forms the rename needs.
class RenameNameForms {
 public:
  virtual ~RenameNameForms() = default;
  // The stored form of a shown name (a name with "@Enc" before its
  // extension enciphered); other names unchanged.
  virtual std::string StoredName(const std::string& shown) = 0;
  // The cipher text of a base name; "" when it cannot be made.
  virtual std::string CipherBase(const std::string& base) = 0;
};
// The forms under a key code (the name cipher itself, silent).
class KeyCodeNameForms : public RenameNameForms {
 public:
  explicit KeyCodeNameForms(std::string keyCode) : m_key(std::move(keyCode)) {}
  std::string StoredName(const std::string& shown) override;
  std::string CipherBase(const std::string& base) override;

 private:
  std::string m_key;
};

// One entry of a batch: rename `from` to `to` in the entry's folder, or
// nothing (`act` false).
struct BatchRename {
  bool act = false;
  std::string from, to;
};
// The batch step of the shown name `shown` for the typed text in `mode`
// (not kSingle). Names beyond 256 bytes, patterns that replace nothing or
// give more than 256 bytes, and names the cipher cannot take give nothing.
BatchRename PlanBatchRename(RenameMode mode, const std::string& typed, const std::string& shown,
                            RenameNameForms& forms);

// The full path of an entry: `folder`, "\" and `name` (a drive root "C:"
// gets its "\" the same way).
std::string JoinEntryPath(const std::string& folder, const std::string& name);
// The target of a single rename: a typed absolute path ("C:\..", "\..")
// as it is, anything else in the working folder.
std::string SingleRenameTarget(const std::string& workFolder, const std::string& typed);

}  // namespace flist
