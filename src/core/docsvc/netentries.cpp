#include "core/docsvc/netentries.h"

#include "core/docsvc/ftppath.h"
#include "core/docsvc/pathpart.h"
#include "fw/sjis.h"

namespace docsvc {

namespace {

const char* const kMarkers[] = {";BASE=", ";USER=", ";PWRD="};

bool HasHead(const CString& entry) { return entry.GetLength() >= 3 && entry.GetAt(1) == ':' && entry.GetAt(2) == '~'; }

// The description: from position 3 up to the next "~" (to the end without one).
CString Description(const CString& entry) {
  if (!HasHead(entry)) return CString();
  const int close = entry.Find('~', 3);
  return close < 0 ? entry.Mid(3) : entry.Mid(3, close - 3);
}

CString Letter(const CString& entry, char fallback) {
  if (!entry.IsEmpty()) return entry.Left(1);
  return CString(&fallback, 1);
}

// The address as the row shows it: without "ftp:" and the slashes after it
// (ParseFtpEntry drops one such prefix; a repeated one goes too, so that a
// row built back reads the same the next time).
CString ReadBackAddress(const CString& address) {
  CString a = address;
  while (a.Left(4) == "ftp:" || a.Left(4) == "FTP:") {
    a = a.Mid(4);
    a.TrimLeft('/');
  }
  return a;
}

// The field without a lead byte standing alone at its end: that byte would
// take the separator after it for its second half, and the entry would not
// read back. (CheckEntryRows refuses such a row; the cut keeps texts read from
// a damaged entry stable.)
CString Whole(const CString& field) {
  const std::string& s = field.Str();
  std::size_t i = 0;
  while (i < s.size()) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i]))) {
      if (i + 1 == s.size()) return field.Left(static_cast<int>(i));
      i += 2;
    } else {
      ++i;
    }
  }
  return field;
}

bool HasMarker(const CString& field) {
  for (const char* m : kMarkers)
    if (field.Find(m) >= 0) return true;
  return false;
}

bool IsLetter(const CString& drive) {
  return drive.GetLength() == 1 && drive.GetAt(0) >= 'A' && drive.GetAt(0) <= 'Z';
}

RowFault Fault(RowProblem problem, bool ftp, int row, RowField field) {
  RowFault f;
  f.problem = problem;
  f.ftp = ftp;
  f.row = row;
  f.field = field;
  return f;
}

// The field (in row order) whose text would not come back.
bool FieldFault(const CString& note, const CString* fields, const RowField* names, int count, RowField* which) {
  if (note.Find('~') >= 0 || HasMarker(note)) {
    *which = RowField::kNote;
    return true;
  }
  for (int i = 0; i < count; ++i) {
    if (HasMarker(fields[i])) {
      *which = names[i];
      return true;
    }
  }
  return false;
}

}  // namespace

int FtpEntrySlot(int index) { return 26 + index; }
int NetDriveSlot(int index) { return index < 8 ? 31 + index : 40 + (index - 8); }
char DefaultFtpLetter(int index) { return static_cast<char>('X' + index); }
char DefaultNetLetter(int index) { return static_cast<char>('J' + index); }

FtpEntryRow FtpRowOfEntry(const CString& entry, int index) {
  FtpEntryRow row;
  row.drive = Letter(entry, DefaultFtpLetter(index));
  CString note = Description(entry);
  const char flag = note.GetAt(0);
  if (flag >= '0' && flag <= '3') {
    row.passive = (flag - '0') & 2 ? 1 : 0;
    row.localTime = (flag - '0') & 1;
    note = note.Mid(1);
  }
  row.note = note;
  row.address = ReadBackAddress(ParseFtpEntry(entry, 0));
  row.folder = ParseFtpEntry(entry, 3);
  row.user = ParseFtpEntry(entry, 1);
  row.password = ParseFtpEntry(entry, 2);
  return row;
}

CString EntryOfFtpRow(const FtpEntryRow& row) {
  const char flag = static_cast<char>('0' + 2 * (row.passive ? 1 : 0) + (row.localTime ? 1 : 0));
  CString e = row.drive;
  e += ":~";
  e += CString(&flag, 1);
  e += Whole(row.note);
  e += "~/";
  e += Whole(row.address);
  e += ";BASE=";
  e += Whole(row.folder);
  e += ";USER=";
  e += Whole(row.user);
  e += ";PWRD=";
  e += row.password;
  return e;
}

NetEntryRow NetRowOfEntry(const CString& entry, int index) {
  NetEntryRow row;
  row.drive = Letter(entry, DefaultNetLetter(index));
  row.note = Description(entry);
  row.address = ReadBackAddress(ParseFtpEntry(entry, 0));
  row.user = ParseFtpEntry(entry, 1);
  row.password = ParseFtpEntry(entry, 2);
  return row;
}

CString EntryOfNetRow(const NetEntryRow& row) {
  CString e = row.drive;
  e += ":~";
  e += Whole(row.note);
  e += "~/";
  e += Whole(row.address);
  e += ";USER=";
  e += Whole(row.user);
  e += ";PWRD=";
  e += row.password;
  return e;
}

CString NetDriveEntryDefault(const CString& entry, int index) {
  if (index < 8 || index >= kNetDriveCount || entry.GetLength() >= 5) return entry;
  const char letter = DefaultNetLetter(index);
  CString e(&letter, 1);
  e += ":~~/;USER=;PWRD=";
  return e;
}

RowFault CheckEntryRows(const FtpEntryRow* ftp, const NetEntryRow* net) {
  // Letters of the rows in use, to find a second row with the same one.
  char used[26] = {};
  auto claim = [&](const CString& drive) {
    char& slot = used[drive.GetAt(0) - 'A'];
    if (slot) return false;
    slot = 1;
    return true;
  };
  for (int i = 0; i < kFtpEntryCount; ++i) {
    const FtpEntryRow& r = ftp[i];
    if (r.address.IsEmpty()) continue;
    if (!IsLetter(r.drive)) return Fault(RowProblem::kLetter, true, i, RowField::kDrive);
    if (!claim(r.drive)) return Fault(RowProblem::kLetterTwice, true, i, RowField::kDrive);
    const CString fields[] = {r.address, r.folder, r.user, r.password};
    const RowField names[] = {RowField::kAddress, RowField::kFolder, RowField::kUser, RowField::kPassword};
    RowField which = RowField::kDrive;
    if (FieldFault(r.note, fields, names, 4, &which)) return Fault(RowProblem::kNoReadBack, true, i, which);
    const CString entry = EntryOfFtpRow(r);
    if (entry.GetLength() < kFtpEntryMinLength) return Fault(RowProblem::kShort, true, i, RowField::kAddress);
    // Whatever the checks above missed: the stored text must give the row back.
    const FtpEntryRow back = FtpRowOfEntry(entry, i);
    if (back.drive != r.drive) return Fault(RowProblem::kNoReadBack, true, i, RowField::kDrive);
    if (back.note != r.note || back.passive != (r.passive ? 1 : 0) || back.localTime != (r.localTime ? 1 : 0))
      return Fault(RowProblem::kNoReadBack, true, i, RowField::kNote);
    if (back.address != ReadBackAddress(r.address)) return Fault(RowProblem::kNoReadBack, true, i, RowField::kAddress);
    if (back.folder != r.folder) return Fault(RowProblem::kNoReadBack, true, i, RowField::kFolder);
    if (back.user != r.user) return Fault(RowProblem::kNoReadBack, true, i, RowField::kUser);
    if (back.password != r.password) return Fault(RowProblem::kNoReadBack, true, i, RowField::kPassword);
  }
  for (int i = 0; i < kNetDriveCount; ++i) {
    const NetEntryRow& r = net[i];
    if (r.address.IsEmpty()) continue;
    if (!IsLetter(r.drive)) return Fault(RowProblem::kLetter, false, i, RowField::kDrive);
    if (!claim(r.drive)) return Fault(RowProblem::kLetterTwice, false, i, RowField::kDrive);
    const CString fields[] = {r.address, r.user, r.password};
    const RowField names[] = {RowField::kAddress, RowField::kUser, RowField::kPassword};
    RowField which = RowField::kDrive;
    if (FieldFault(r.note, fields, names, 3, &which)) return Fault(RowProblem::kNoReadBack, false, i, which);
    const NetEntryRow back = NetRowOfEntry(EntryOfNetRow(r), i);
    if (back.drive != r.drive) return Fault(RowProblem::kNoReadBack, false, i, RowField::kDrive);
    if (back.note != r.note) return Fault(RowProblem::kNoReadBack, false, i, RowField::kNote);
    if (back.address != ReadBackAddress(r.address)) return Fault(RowProblem::kNoReadBack, false, i, RowField::kAddress);
    if (back.user != r.user) return Fault(RowProblem::kNoReadBack, false, i, RowField::kUser);
    if (back.password != r.password) return Fault(RowProblem::kNoReadBack, false, i, RowField::kPassword);
  }
  return RowFault();
}

CString RowFaultText(const RowFault& fault) {
  static const char* const kFieldCaptions[] = {"ﾄﾞﾗｲﾌﾞ", "説  明", "ｱ ﾄﾞ ﾚ ｽ", "ﾌｫﾙﾀﾞ", "ﾕｰｻﾞｰ名", "ﾊﾟｽﾜｰﾄﾞ"};
  // One text per problem: %s the row, %s the field.
  static const char* const kProblemTexts[] = {
      "",
      "%s の %s は A-Z の1文字で指定してください",
      "%s の %s は他の行でも使われています",
      "%s の登録が短すぎます（%s）",
      "%s の %s に使えない文字列があります（\"~\" \";BASE=\" \";USER=\" \";PWRD=\"）",
  };
  CString row;
  if (fault.ftp) {
    row.Format("FTP %d", fault.row + 1);
  } else {
    row.Format("Network %c:", DefaultNetLetter(fault.row));
  }
  const char* field = kFieldCaptions[static_cast<int>(fault.field)];
  if (!fault.ftp && fault.field == RowField::kUser) field = "I  D";
  CString text;
  text.Format(kProblemTexts[static_cast<int>(fault.problem)], row.GetString(), field);
  return text;
}

}  // namespace docsvc
