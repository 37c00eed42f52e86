// The entries dialog's rows on random entry texts: reading an entry into a
// row and building it back must be stable (the rebuild of a parse parses to
// the same row), and a row the check passes must read back field for field.
//
// Input: the entry text; its first byte picks the row (FTP 0-2 or network
// 0-11).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/docsvc/netentries.h"
#include "core/docsvc/pathpart.h"

namespace {

bool Same(const docsvc::FtpEntryRow& a, const docsvc::FtpEntryRow& b) {
  return a.drive == b.drive && a.note == b.note && a.address == b.address && a.folder == b.folder &&
         a.user == b.user && a.password == b.password && a.passive == b.passive && a.localTime == b.localTime;
}
bool Same(const docsvc::NetEntryRow& a, const docsvc::NetEntryRow& b) {
  return a.drive == b.drive && a.note == b.note && a.address == b.address && a.user == b.user &&
         a.password == b.password;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4000) return 0;
  const int pick = data[0];
  const CString entry(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  const int ftpRow = pick % 3;
  const int netRow = pick % 12;

  // Parse, rebuild, parse: the second parse gives the first row, and the
  // second rebuild the first rebuild.
  const docsvc::FtpEntryRow f1 = docsvc::FtpRowOfEntry(entry, ftpRow);
  const CString fe1 = docsvc::EntryOfFtpRow(f1);
  const docsvc::FtpEntryRow f2 = docsvc::FtpRowOfEntry(fe1, ftpRow);
  const CString fe2 = docsvc::EntryOfFtpRow(f2);
  if (docsvc::EntryOfFtpRow(docsvc::FtpRowOfEntry(fe2, ftpRow)) != fe2) __builtin_trap();
  if (f2.passive < 0 || f2.passive > 1 || f2.localTime < 0 || f2.localTime > 1) __builtin_trap();

  const docsvc::NetEntryRow n1 = docsvc::NetRowOfEntry(docsvc::NetDriveEntryDefault(entry, netRow), netRow);
  const CString ne1 = docsvc::EntryOfNetRow(n1);
  const CString ne2 = docsvc::EntryOfNetRow(docsvc::NetRowOfEntry(ne1, netRow));
  if (docsvc::EntryOfNetRow(docsvc::NetRowOfEntry(ne2, netRow)) != ne2) __builtin_trap();

  // A row that passes the check is stored as a text that reads back into it.
  docsvc::FtpEntryRow ftp[3];
  docsvc::NetEntryRow net[12];
  for (int i = 0; i < 3; ++i) ftp[i] = docsvc::FtpRowOfEntry(CString(), i);
  for (int i = 0; i < 12; ++i) net[i] = docsvc::NetRowOfEntry(CString(), i);
  ftp[ftpRow] = f1;
  net[netRow] = n1;
  const docsvc::RowFault fault = docsvc::CheckEntryRows(ftp, net);
  if (fault.problem == docsvc::RowProblem::kNone) {
    if (!f1.address.IsEmpty()) {
      if (!Same(docsvc::FtpRowOfEntry(fe1, ftpRow), f1) && f1.address.Left(4) != "ftp:" &&
          f1.address.Left(4) != "FTP:")
        __builtin_trap();
      if (fe1.GetLength() < 24) __builtin_trap();
    }
    if (!n1.address.IsEmpty() && !Same(docsvc::NetRowOfEntry(ne1, netRow), n1) && n1.address.Left(4) != "ftp:" &&
        n1.address.Left(4) != "FTP:")
      __builtin_trap();
  } else {
    if (docsvc::RowFaultText(fault).IsEmpty()) __builtin_trap();
  }
  return 0;
}
