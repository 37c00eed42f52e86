// Lists an FTP site's folder of many files with the list's own code (the
// framework's WinINet connection and search, the FTP entry records and the
// placing of the pane's table, as the pane's FTP listing does) against
// Python's ftplib dir() of the same folder on the same server: whole process
// against whole process, paired runs, median ratio. The server is the test
// suite's pyftpdlib server; both sides make one connection and one listing.
//
//   bench_ftplist.exe [-runs N] [files]      the table rows (default 5,000 files)
//   bench_ftplist.exe -once PORT USER FOLDER OUTFILE
//       one listing; "files seconds-of-the-listing seconds-of-the-search's-start"
//       written to OUTFILE
//
// Built in the Windows tree only; run under Wine, which starts the Python
// side as a host program.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "core/fileops/folderhost.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/ftprecord.h"
#include "filelist/flistcore/listbuild.h"
#include "filelist/flistcore/walk.h"
#include "fw/inet.h"

namespace {

using bench::Clock;
using bench::Seconds;

const char* const kPython = "/usr/bin/python3";
const std::string kHelper = std::string(TABRYE_BENCH_DIR) + "/ftplist_helper.py";
const std::string kUnixRoot = "/tmp/tabrye_ftplist_bench";

std::string WindowsPath(const std::string& unix) {
  std::string w = "Z:" + unix;
  for (char& c : w)
    if (c == '/') c = '\\';
  return w;
}

// The pane's listing of a site folder, without the window: connect, enter
// the folder, one search with the reload flag, each entry made a work
// record with the site's time rules, then the table placed in name order.
int ListOnce(int port, const char* user, const char* folder, const char* outFile) {
  CInternetSession session;
  std::unique_ptr<CFtpConnection> ftp =
      session.GetFtpConnection("127.0.0.1", user, "p", static_cast<INTERNET_PORT>(port), TRUE);
  if (!ftp || !ftp->SetCurrentDirectory(folder)) return 1;
  const auto t0 = Clock::now();
  flist::WalkState walk;
  const std::int64_t now = static_cast<std::int64_t>(time(nullptr));
  CFtpFileFind find(ftp.get());
  // The search's start reads the whole listing (timed apart: under Wine it
  // is nearly all of the time).
  const bool found = find.FindFile(nullptr, INTERNET_FLAG_RELOAD);
  const double search = Seconds(t0);
  if (found) {
    fileops::FolderEntry e;
    for (BOOL more = TRUE; more;) {
      more = find.FindNextFile();
      e.name = find.GetFileName().Str();
      const bool isFolder = find.IsDirectory() != FALSE;
      e.attributes = isFolder ? fileops::kAttrFolder : fileops::kAttrArchive;
      e.size = isFolder ? 0 : find.GetLength();
      CTime t;
      e.mtime = find.GetLastWriteTime(t) ? t.GetTime() : 0;
      flist::WorkEntry w;
      if (!flist::FtpWorkEntry(e, true, now, &w)) continue;
      if (!w.IsFolderLike()) {
        ++walk.files;
        walk.bytes += w.WholeSize();
      }
      walk.work.push_back(std::move(w));
      ++walk.count;
    }
    find.Close();
  }
  flist::EntryTable table;
  if (!table.AllocateEntryBuffers(flist::kStartCapacity)) return 1;
  flist::PlaceRequest pr;
  pr.order.sortMode = 5;
  pr.order.buildWork = 5;
  pr.fhold = 19000;
  pr.sourceFiles = walk.files;
  pr.sourceBytes = walk.bytes;
  const flist::PlaceResult res = flist::PlaceListing(walk.work, static_cast<std::size_t>(walk.count), pr, &table);
  const double listing = Seconds(t0);
  ftp->Close();
  FILE* out = std::fopen(outFile, "w");
  if (!out) return 1;
  std::fprintf(out, "%d %.6f %.6f\n", res.countedFiles, listing, search);
  std::fclose(out);
  return 0;
}

// The pairs run by the Python side (Wine starts host programs but cannot
// wait for them): this program starts it, waits for its table rows and
// prints them.
int Paired(int runs, long files, const char* self) {
  const std::string rows = kUnixRoot + "/rows.txt";
  CreateDirectoryA(WindowsPath(kUnixRoot).c_str(), nullptr);
  DeleteFileA(WindowsPath(rows).c_str());
  char unixSelf[MAX_PATH * 2] = {};
  // Z:\... back to the host path the Python side starts under Wine.
  std::string exe = self;
  if (exe.size() > 2 && (exe[0] == 'Z' || exe[0] == 'z') && exe[1] == ':') exe = exe.substr(2);
  for (char& c : exe)
    if (c == '\\') c = '/';
  std::snprintf(unixSelf, sizeof unixSelf, "%s", exe.c_str());
  const std::string cmd = std::string(kPython) + " " + kHelper + " pairs " + unixSelf + " " + std::to_string(runs) +
                          " " + std::to_string(files) + " " + rows;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s\n", cmd.c_str());
    return 1;
  }
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  // The rows file appears whole (written aside, then renamed) at the end.
  for (int waited = 0; waited < 3600 * 10; ++waited) {
    const std::string text = bench::ReadFile(WindowsPath(rows));
    if (!text.empty()) {
      std::fputs(text.c_str(), stdout);
      return text.find("DIFFER") == std::string::npos && text.find("ROW|") != std::string::npos ? 0 : 1;
    }
    Sleep(100);
  }
  std::fprintf(stderr, "no rows from %s\n", cmd.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "-once") return ListOnce(std::atoi(argv[2]), argv[3], argv[4], argv[5]);
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 7, &next);
  const long files = next < argc ? std::atol(argv[next]) : 5000;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return Paired(runs, files, self);
}
