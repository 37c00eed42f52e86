// The spreadsheet export in the running program: a two-block Shift-JIS table
// saved by "save <path>.xlsx" and by "savexls"; a read-only target asked
// about (No keeps it, Yes replaces it); a target held open elsewhere asked
// about and then reported; a second running copy of the program exporting
// its own table through the same scratch tree at the same time.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "app/dvkdoc.h"
#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "core/docsvc/backup.h"
#include "core/docsvc/scratch_lock.h"
#include "fw/file.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

// "!#:売上" and "!#:在庫": a quoted number, a formula, ソ 表 ①.
const std::string kTable =
    "!#:\x94\x84\x8F\xE3\r\n"
    "\x95\x69\x96\xBC,\x8B\xE0\x8A\x7A\r\n"
    "\x83\x5C\x83\x74\x83\x67,\"1,234\"\r\n"
    "\x95\x5C\x87\x40,=B3*2\r\n"
    "!#:\x8D\xDD\x8C\xC9\r\n"
    "item,count\r\n"
    "a,5\r\n";

class XlsxExportRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static bool IsWorkbook(const std::string& bytes) {
    return bytes.size() > 100 && bytes.compare(0, 2, "PK") == 0 &&
           bytes.find("xl/worksheets/sheet2.xml") != std::string::npos &&
           bytes.find("xl/styles.xml") != std::string::npos;
  }
  static void SetReadOnly(const std::string& path) {
    CFileStatus st;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
    st.m_attribute = CFile::readOnly;
    st.m_ctime = st.m_mtime = st.m_atime = CTime();
    CFile::SetStatus(path.c_str(), st);
  }
};

TEST_F(XlsxExportRunTest, SaveAndSaveXlsWriteTheWorkbook) {
  CDvkView* v = OpenTable(kTable, "t.csv");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tsave\t" + File("out.xlsx") + "\r\n\tsavexls\t" + File("b.xlsx") + "\r\n"));
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
  const std::string out = testsupport::ReadFileBytes(File("out.xlsx"));
  EXPECT_TRUE(IsWorkbook(out)) << out.size();
  // The last export's package stays in the tree (the first one's may differ
  // from it in the members' times).
  const std::string last = testsupport::ReadFileBytes(File("b.xlsx"));
  EXPECT_TRUE(IsWorkbook(last));
  EXPECT_EQ(last, testsupport::ReadFileBytes(File("TMP1\\TestA.xlsx")));
  // The scratch tree stays, in UTF-8.
  const std::string book = testsupport::ReadFileBytes(File("TMP1\\xl\\workbook.xml"));
  EXPECT_NE(std::string::npos, book.find("\xE5\xA3\xB2\xE4\xB8\x8A")) << book;
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(XlsxExportRunTest, AReadOnlyTargetIsAskedAbout) {
  CDvkView* v = OpenTable(kTable, "t.csv");
  ASSERT_NE(nullptr, v);
  const std::string target = File("ro.xlsx");
  testsupport::WriteFileBytes(target, "old");
  SetReadOnly(target);
  fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDNO);  // 書込み可
  RunFile(v, "\tsave\t" + target + "\r\n");
  EXPECT_EQ("old", testsupport::ReadFileBytes(target));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDYES);
  EXPECT_EQ(1, RunFile(v, "\tsave\t" + target + "\r\n"));
  EXPECT_TRUE(IsWorkbook(testsupport::ReadFileBytes(target)));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(XlsxExportRunTest, ATargetHeldOpenIsAskedAboutThenReported) {
  CDvkView* v = OpenTable(kTable, "t.csv");
  ASSERT_NE(nullptr, v);
  const std::string target = File("held.xlsx");
  testsupport::WriteFileBytes(target, "old");
  {
    CFile held(target.c_str(), CFile::modeRead | CFile::shareExclusive);
    fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDYES);
    fw::hooks::ExpectMessageBox("\x8E\x67\x97\x70\x92\x86", IDOK);  // 使用中
    RunFile(v, "\tsave\t" + target + "\r\n");
    EXPECT_TRUE(fw::hooks::Unused().empty());
  }
  EXPECT_EQ("old", testsupport::ReadFileBytes(target));
}

// A table of `rows` rows whose every row carries `mark` (ASCII, so it is
// found as it stands in the UTF-8 worksheet), with numbers, a formula and
// Japanese text.
std::string MarkedTable(const std::string& mark, int rows) {
  std::string t = "name,number,text,amount\r\n";
  for (int r = 1; r <= rows; ++r) {
    const std::string n = std::to_string(r);
    t += mark + n + "," + n + ",\x95\x5C\x87\x40" + n + ",\"1," + std::to_string(100 + r % 900) + "\"\r\n";
  }
  return t;
}

// The members of a package as the program's own ZIP reader extracts them
// from the file, its central directory and CRCs checked; empty when the
// archive is refused.
std::map<std::string, std::string> PackageMembers(const std::string& path, std::string* refusal) {
  arc::ArcState st;
  arc::MemoryTarget target(std::size_t{1} << 26);
  const arc::ArcOutcome r = arc::UnzipOwn(st, path, 0, 0, nullptr, false, target);
  std::map<std::string, std::string> out;
  if (r.result != 0 || r.Failed()) {
    *refusal = r.Title();
    return out;
  }
  for (const auto& f : target.files) {
    std::string name = f.first;
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    out[name] = f.second.head;
    if (static_cast<std::int64_t>(f.second.head.size()) != f.second.length) *refusal = "member cut: " + name;
  }
  return out;
}

// A copy of Tabrye.exe started from a folder of the test's, so its program
// folder (and its "\TMP1") is that folder. Ended when the object goes.
class ProgramCopy {
 public:
  ProgramCopy(const std::string& exe, const std::string& argument) {
    std::string cmd = "\"" + exe + "\" \"" + argument + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    started_ = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != FALSE;
  }
  ~ProgramCopy() { End(); }
  bool Started() const { return started_; }
  bool Running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  // Asks the copy's windows to close; ends it when it has not gone within
  // ten seconds (a question it asks on the way out is not answered).
  void End() {
    if (!started_) return;
    if (Running()) {
      EnumWindows(CloseWindowsOf, static_cast<LPARAM>(pi_.dwProcessId));
      if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi_.hProcess, 9);
        WaitForSingleObject(pi_.hProcess, 10000);
      }
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    started_ = false;
  }

 private:
  static BOOL CALLBACK CloseWindowsOf(HWND hwnd, LPARAM pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == static_cast<DWORD>(pid)) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
  }
  bool started_ = false;
  PROCESS_INFORMATION pi_ = {};
};

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A second copy of the program exports another table to its own target
// while this one exports, both through the one "\TMP1" of their shared
// program folder. The copy opens a macro document (a ".h" file: the
// program runs a macro document once it is shown; a ".rmc" named on the
// command line is kept for the start-up macro, not opened) that loads its
// table, saves it as a plain CSV (the sign that it reached the export) and
// saves it as a workbook. This test holds the folder's scratch lock from before
// the copy starts until its own export has ended, so the copy's export is
// under way and waits on the lock the whole time this export writes, zips
// and delivers its package: the test's own run takes the lock again on the
// same thread (a mutex is held recursively by its owner). Both packages
// must be complete and hold only their own table.
TEST_F(XlsxExportRunTest, ASecondCopyExportsAtTheSameTimeAndBothPackagesAreTheirOwn) {
  const int rows = 4000;
  CDvkView* v = OpenTable(MarkedTable("OURMARK", rows), "ours.csv");
  ASSERT_NE(nullptr, v);
  const std::string exe = File("Tabrye.exe");
  ASSERT_TRUE(CopyFileA((std::string(TABRYE_BIN_ROOT) + "/Tabrye.exe").c_str(), exe.c_str(), FALSE));
  testsupport::WriteFileBytes(File("theirs.csv"), MarkedTable("THEIRMARK", rows));
  const std::string reached = File("reached.csv"), theirs = File("theirs.xlsx"), ours = File("ours.xlsx");
  testsupport::WriteFileBytes(File("copy.h"), "\tload\t" + File("theirs.csv") + "\r\n\tsave\t" + reached +
                                                  "\r\n\tsave\t" + theirs + "\r\n");
  const CString tree = docsvc::XlsxScratchDir(doc->PathFields().m_strProgramDir);
  auto held = std::make_unique<docsvc::ScratchLock>(tree, 0);
  ASSERT_TRUE(held->Held());

  ProgramCopy copy(exe, File("copy.h"));
  ASSERT_TRUE(copy.Started()) << exe;
  ASSERT_TRUE(testsupport::PumpUntil([&] { return FileExists(reached) || !copy.Running(); }, 60000))
      << "the second copy did not reach its export";
  ASSERT_TRUE(copy.Running());
  testsupport::PumpFor(1000);  // the copy is now in its export, waiting for the lock

  EXPECT_EQ(1, RunFile(v, "\tsave\t" + ours + "\r\n"));
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
  testsupport::PumpFor(2000);
  // The copy has not touched the tree: it still holds this run's package,
  // and the copy has delivered nothing.
  EXPECT_FALSE(FileExists(theirs));
  EXPECT_TRUE(testsupport::ReadFileBytes(ours) == testsupport::ReadFileBytes(File("TMP1\\TestA.xlsx")));
  held.reset();

  EXPECT_TRUE(testsupport::PumpUntil([&] { return FileExists(theirs) || !copy.Running(); }, 60000))
      << "the second copy delivered no package";
  copy.End();

  std::string refusal;
  const std::map<std::string, std::string> a = PackageMembers(ours, &refusal);
  EXPECT_EQ("", refusal) << ours;
  const std::map<std::string, std::string> b = PackageMembers(theirs, &refusal);
  EXPECT_EQ("", refusal) << theirs;
  for (const auto* m : {&a, &b}) {
    for (const char* part : {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/styles.xml",
                             "xl/_rels/workbook.xml.rels", "xl/worksheets/sheet1.xml"})
      EXPECT_EQ(1u, m->count(part)) << part;
  }
  const std::string sheetA = a.count("xl/worksheets/sheet1.xml") ? a.at("xl/worksheets/sheet1.xml") : "";
  const std::string sheetB = b.count("xl/worksheets/sheet1.xml") ? b.at("xl/worksheets/sheet1.xml") : "";
  // Every row of each table, the last included, and nothing of the other.
  const std::string last = std::to_string(rows) + "</t>";
  EXPECT_NE(std::string::npos, sheetA.find("OURMARK1<")) << sheetA.size();
  EXPECT_NE(std::string::npos, sheetA.find("OURMARK" + last));
  EXPECT_EQ(std::string::npos, sheetA.find("THEIRMARK"));
  EXPECT_NE(std::string::npos, sheetB.find("THEIRMARK1<")) << sheetB.size();
  EXPECT_NE(std::string::npos, sheetB.find("THEIRMARK" + last));
  EXPECT_EQ(std::string::npos, sheetB.find("OURMARK"));
  // 表① in UTF-8, in each.
  EXPECT_NE(std::string::npos, sheetA.find("\xE8\xA1\xA8\xE2\x91\xA0" + std::to_string(rows)));
  EXPECT_NE(std::string::npos, sheetB.find("\xE8\xA1\xA8\xE2\x91\xA0" + std::to_string(rows)));
  // The tree now holds the copy's package.
  EXPECT_TRUE(testsupport::ReadFileBytes(theirs) == testsupport::ReadFileBytes(File("TMP1\\TestA.xlsx")));
}

}  // namespace
