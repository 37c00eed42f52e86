// The FTP site and network-drive entries as the entries dialog shows them:
// one row of fields per entry, read from the entry text and built back.
//
//   FTP site:      letter ":~" flag digit + description "~/" address ";BASE=" folder ";USER=" user ";PWRD=" password
//   network drive: letter ":~" description "~/" address ";USER=" id ";PWRD=" password
//
// The flag digit is "0" + 2 * passive + local time; an FTP description
// without one (empty, or starting with another character) reads as both set.
// Fields are read with ParseFtpEntry, so a row whose text holds "~" in the
// description or one of the markers in a field would not read back as typed:
// CheckEntryRows finds such a row before anything is stored.
#pragma once

#include "fw/cstring.h"

namespace docsvc {

constexpr int kNetDriveCount = 12;

// The system-file slot of FTP entry 0-2 (26-28) and of network drive 0-11
// (J:-Q: 31-38, R:-U: 40-43).
int FtpEntrySlot(int index);
int NetDriveSlot(int index);
// The letter a row takes when its entry gives none: X, Y, Z; J-U.
char DefaultFtpLetter(int index);
char DefaultNetLetter(int index);

struct FtpEntryRow {
  CString drive;  // one letter, no ":"
  CString note;   // the description without its flag digit
  CString address;
  CString folder;
  CString user;
  CString password;
  int passive = 1;
  int localTime = 1;
};

struct NetEntryRow {
  CString drive;
  CString note;
  CString address;
  CString user;
  CString password;
};

FtpEntryRow FtpRowOfEntry(const CString& entry, int index);
CString EntryOfFtpRow(const FtpEntryRow& row);
NetEntryRow NetRowOfEntry(const CString& entry, int index);
CString EntryOfNetRow(const NetEntryRow& row);

// A network entry of R:-U: (drives 8-11) shorter than 5 characters becomes
// "R:~~/;USER=;PWRD=" (its own letter); every other entry stays.
CString NetDriveEntryDefault(const CString& entry, int index);

// Which field of a row a refusal names.
enum class RowField { kDrive, kNote, kAddress, kFolder, kUser, kPassword };
enum class RowProblem {
  kNone,
  kLetter,       // the drive is not one letter A-Z
  kLetterTwice,  // another row (FTP or network) has the same letter
  kShort,        // the FTP entry would be shorter than 24 characters
  kNoReadBack,   // the field would not read back as typed
};

struct RowFault {
  RowProblem problem = RowProblem::kNone;
  bool ftp = false;  // an FTP row, else a network row
  int row = 0;       // 0-2 or 0-11
  RowField field = RowField::kDrive;
};

// The first row that could not be stored as typed, FTP rows first. A row
// with an empty address is never refused.
RowFault CheckEntryRows(const FtpEntryRow* ftp, const NetEntryRow* net);

// The message for a refusal, naming the row ("FTP 2", "Network K:") and the
// field by its column caption.
CString RowFaultText(const RowFault& fault);

}  // namespace docsvc
