// The entries dialog's rows: reading FTP and network entries into rows,
// building them back, the R:-U: defaults, and the rows refused because they
// would not read back as typed.
#include <gtest/gtest.h>

#include "core/docsvc/netentries.h"
#include "core/docsvc/pathpart.h"

namespace {

using docsvc::FtpEntryRow;
using docsvc::NetEntryRow;
using docsvc::RowField;
using docsvc::RowProblem;

TEST(NetEntries, FtpRowsReadAndBuildBack) {
  // Entries as the dialog writes them come back byte for byte.
  const char* const entries[] = {
      "Y:~3site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p",
      "X:~0~/host;BASE=;USER=;PWRD=",
      "Z:~2社内~/ftp.example.jp;BASE=/表/ソフト;USER=名前;PWRD=p;w=d",
      "K:~1a b~/h:21/;BASE=\\x;USER=u;PWRD=",
  };
  for (const char* e : entries) {
    const FtpEntryRow row = docsvc::FtpRowOfEntry(CString(e), 0);
    EXPECT_EQ(docsvc::EntryOfFtpRow(row), CString(e)) << e;
  }
  const FtpEntryRow y = docsvc::FtpRowOfEntry(CString(entries[0]), 1);
  EXPECT_EQ(y.drive, "Y");
  EXPECT_EQ(y.note, "site");
  EXPECT_EQ(y.address, "127.0.0.1:2121");
  EXPECT_EQ(y.folder, "/pub");
  EXPECT_EQ(y.user, "u");
  EXPECT_EQ(y.password, "p");
  EXPECT_EQ(y.passive, 1);
  EXPECT_EQ(y.localTime, 1);
  const FtpEntryRow k = docsvc::FtpRowOfEntry(CString(entries[3]), 0);
  EXPECT_EQ(k.passive, 0);
  EXPECT_EQ(k.localTime, 1);
  EXPECT_EQ(k.note, "a b");
}

TEST(NetEntries, FtpFlagsAndDefaults) {
  // An empty description shows both boxes ticked and is written back with "3".
  FtpEntryRow row = docsvc::FtpRowOfEntry(CString("X:~~/h;BASE=/;USER=u;PWRD=p"), 0);
  EXPECT_EQ(row.passive, 1);
  EXPECT_EQ(row.localTime, 1);
  EXPECT_EQ(row.note, "");
  EXPECT_EQ(docsvc::EntryOfFtpRow(row), "X:~3~/h;BASE=/;USER=u;PWRD=p");
  // A description that starts with another character keeps it; the boxes stay ticked.
  row = docsvc::FtpRowOfEntry(CString("X:~site~/h;BASE=;USER=;PWRD="), 0);
  EXPECT_EQ(row.note, "site");
  EXPECT_EQ(row.passive + row.localTime, 2);
  // An empty entry takes the row's default letter; an empty folder still writes ";BASE=".
  for (int i = 0; i < 3; ++i) {
    row = docsvc::FtpRowOfEntry(CString(), i);
    EXPECT_EQ(row.drive, CString(std::string(1, static_cast<char>('X' + i))));
    row.address = "h";
    EXPECT_EQ(docsvc::EntryOfFtpRow(row).Mid(1), ":~3~/h;BASE=;USER=;PWRD=");
  }
  // Each flag digit sets its pair of boxes.
  for (int d = 0; d < 4; ++d) {
    CString e;
    e.Format("X:~%dn~/h;BASE=;USER=;PWRD=", d);
    row = docsvc::FtpRowOfEntry(e, 0);
    EXPECT_EQ(row.passive * 2 + row.localTime, d);
    EXPECT_EQ(docsvc::EntryOfFtpRow(row), e);
  }
}

TEST(NetEntries, NetworkRowsAndTheirDefaults) {
  const CString e("K:~共有~/\\\\srv\\share;USER=id;PWRD=pw");
  const NetEntryRow row = docsvc::NetRowOfEntry(e, 1);
  EXPECT_EQ(row.drive, "K");
  EXPECT_EQ(row.note, "共有");
  EXPECT_EQ(row.address, "\\\\srv\\share");
  EXPECT_EQ(row.user, "id");
  EXPECT_EQ(row.password, "pw");
  EXPECT_EQ(docsvc::EntryOfNetRow(row), e);
  // R:-U: shorter than 5 characters take their default; J:-Q: never do.
  EXPECT_EQ(docsvc::NetDriveEntryDefault(CString("R:"), 8), "R:~~/;USER=;PWRD=");
  EXPECT_EQ(docsvc::NetDriveEntryDefault(CString(""), 11), "U:~~/;USER=;PWRD=");
  EXPECT_EQ(docsvc::NetDriveEntryDefault(CString("S:~~/x"), 9), "S:~~/x");
  EXPECT_EQ(docsvc::NetDriveEntryDefault(CString("J:"), 0), "J:");
  EXPECT_EQ(docsvc::NetRowOfEntry(CString(), 3).drive, "M");
  // The slots of the system file.
  EXPECT_EQ(docsvc::FtpEntrySlot(0), 26);
  EXPECT_EQ(docsvc::FtpEntrySlot(2), 28);
  EXPECT_EQ(docsvc::NetDriveSlot(0), 31);
  EXPECT_EQ(docsvc::NetDriveSlot(7), 38);
  EXPECT_EQ(docsvc::NetDriveSlot(8), 40);
  EXPECT_EQ(docsvc::NetDriveSlot(11), 43);
}

struct Rows {
  FtpEntryRow ftp[3];
  NetEntryRow net[12];
  Rows() {
    for (int i = 0; i < 3; ++i) ftp[i] = docsvc::FtpRowOfEntry(CString(), i);
    for (int i = 0; i < 12; ++i) net[i] = docsvc::NetRowOfEntry(CString(), i);
  }
  docsvc::RowFault Check() const { return docsvc::CheckEntryRows(ftp, net); }
};

TEST(NetEntries, RowsThatDoNotReadBackAreRefused) {
  Rows rows;
  EXPECT_EQ(rows.Check().problem, RowProblem::kNone);  // empty rows are no error
  rows.ftp[1].address = "127.0.0.1:2121";
  rows.ftp[1].folder = "/pub";
  rows.net[1].address = "\\\\srv\\share";
  EXPECT_EQ(rows.Check().problem, RowProblem::kNone);

  struct Case {
    const char* what;
    void (*edit)(Rows&);
    bool ftp;
    int row;
    RowField field;
    RowProblem problem;
    const char* text;
  };
  const Case cases[] = {
      {"tilde in description", [](Rows& r) { r.ftp[1].note = "a~b"; }, true, 1, RowField::kNote,
       RowProblem::kNoReadBack, "FTP 2 の 説  明"},
      {"password holds ;USER=", [](Rows& r) { r.ftp[1].password = "x;USER=y"; }, true, 1, RowField::kPassword,
       RowProblem::kNoReadBack, "FTP 2 の ﾊﾟｽﾜｰﾄﾞ"},
      {"folder holds ;BASE=", [](Rows& r) { r.ftp[1].folder = "/a;BASE=b"; }, true, 1, RowField::kFolder,
       RowProblem::kNoReadBack, "ﾌｫﾙﾀﾞ"},
      {"id holds ;PWRD=", [](Rows& r) { r.net[1].user = "i;PWRD=d"; }, false, 1, RowField::kUser,
       RowProblem::kNoReadBack, "Network K: の I  D"},
      {"two rows with K", [](Rows& r) { r.net[5].address = "\\\\b\\c"; r.net[5].drive = "K"; }, false, 5,
       RowField::kDrive, RowProblem::kLetterTwice, "Network O:"},
      {"FTP and network on one letter", [](Rows& r) { r.net[0].address = "\\\\b\\c"; r.net[0].drive = "Y"; }, false,
       0, RowField::kDrive, RowProblem::kLetterTwice, "Network J:"},
      {"lower-case letter", [](Rows& r) { r.ftp[1].drive = "y"; }, true, 1, RowField::kDrive, RowProblem::kLetter,
       "FTP 2"},
      {"no letter", [](Rows& r) { r.ftp[1].drive = ""; }, true, 1, RowField::kDrive, RowProblem::kLetter, "FTP 2"},
      {"two letters", [](Rows& r) { r.ftp[1].drive = "YZ"; }, true, 1, RowField::kDrive, RowProblem::kLetter,
       "FTP 2"},
  };
  for (const Case& c : cases) {
    Rows r = rows;
    c.edit(r);
    const docsvc::RowFault f = r.Check();
    EXPECT_EQ(f.problem, c.problem) << c.what;
    EXPECT_EQ(f.ftp, c.ftp) << c.what;
    EXPECT_EQ(f.row, c.row) << c.what;
    EXPECT_EQ(f.field, c.field) << c.what;
    EXPECT_GE(docsvc::RowFaultText(f).Find(c.text), 0) << c.what << ": " << docsvc::RowFaultText(f).Str();
  }
  // The same faults in a row without an address are no error: that row is empty.
  Rows empty;
  empty.ftp[0].note = "a~b";
  empty.net[2].password = ";USER=";
  empty.net[3].drive = "1";
  EXPECT_EQ(empty.Check().problem, RowProblem::kNone);
  // An address written "ftp://host" reads back as the same site.
  Rows url = rows;
  url.ftp[0].address = "ftp://host";
  EXPECT_EQ(url.Check().problem, RowProblem::kNone);
}

TEST(NetEntries, EveryCheckedRowReadsBackWithParseFtpEntry) {
  // A row CheckEntryRows passes is stored as a text that ParseFtpEntry reads
  // into the same fields.
  Rows rows;
  rows.ftp[0].address = "h:2121/x";
  rows.ftp[0].folder = "/a;b";
  rows.ftp[0].user = "u;x";
  rows.ftp[0].password = "p;=;";
  rows.ftp[0].note = "表~";
  EXPECT_EQ(rows.Check().problem, RowProblem::kNoReadBack);
  rows.ftp[0].note = "表";
  ASSERT_EQ(rows.Check().problem, RowProblem::kNone);
  const CString e = docsvc::EntryOfFtpRow(rows.ftp[0]);
  EXPECT_EQ(ParseFtpEntry(e, 0), "h:2121/x");
  EXPECT_EQ(ParseFtpEntry(e, 3), "/a;b");
  EXPECT_EQ(ParseFtpEntry(e, 1), "u;x");
  EXPECT_EQ(ParseFtpEntry(e, 2), "p;=;");
}

}  // namespace
