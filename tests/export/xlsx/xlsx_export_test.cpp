// The whole export run on a real scratch tree: the package zipped with the
// program's own writer and delivered to the target; a read-only target asks
// before it is replaced; a part that cannot be written stops the run before
// anything is zipped or delivered; leftovers of an earlier run never reach
// the new package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/arc_state.h"
#include "archive/zip_writer.h"
#include "core/docsvc/backup.h"
#include "csv/csv_table.h"
#include "export/xlsx/xlsx_export.h"
#include "fw/alloc.h"
#include "fw/file.h"
#include "fw/path.h"
#include "support/scratch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#ifndef _WIN32
#include "support/outside_tool.h"
#endif
#include "support/in_folder.h"

namespace {

using namespace xlsx;

using testsupport::InFolder;

struct TestHost : XlsxRunHost {
  std::vector<std::string> reports, messages, asked, protectedShown;
  bool answerYes = true;
  int archiveCalls = 0;
  int ReportMessage(int code, const CString& text) override {
    reports.push_back(std::to_string(code) + ":" + text.GetString());
    return 1;
  }
  void ShowMessage(const CString& text) override { messages.push_back(text.GetString()); }
  CString CannotOpenText(const CString& path) override { return "cannot open " + path; }
  int CreateArchive(const CString& folder, const std::vector<CString>& entries, const CString& name) override {
    ++archiveCalls;
    // What the document's archive entry does for kind 1, in the folder, with
    // the quick packing the view asks for.
    InFolder in(folder);
    if (!in.ok) return -1;
    std::vector<std::string> argv;
    for (const CString& e : entries) argv.push_back(e.GetString());
    std::vector<std::string> items;
    std::string zip = arc::ArchiveNameFor(1, static_cast<int>(argv.size()), argv, name.GetString(), false, &items);
    std::vector<arc::WalkEntry> found = arc::CollectEntries(items, zip);
    if (found.empty()) return -1;
    arc::ArcState st;
    return arc::WriteZip(st, zip, found, nullptr, arc::kQuickZipChain).Failed() ? -1 : 0;
  }
  bool AskMakeWritable(const CString& target) override {
    asked.push_back(target.GetString());
    return answerYes;
  }
  void ShowWriteProtected(const CString& target) override { protectedShown.push_back(target.GetString()); }
};

// "!#:売上" and "!#:在庫": numbers in quotes, a formula, ソ 表 ①.
const std::string kTable =
    "!#:\x94\x84\x8F\xE3\r\n"
    "\x95\x69\x96\xBC\x06\x8B\xE0\x8A\x7A\r\n"   // 品名, 金額
    "\x83\x5C\x83\x74\x83\x67\x06\"1,234\"\r\n"  // ソフト, "1,234"
    "\x95\x5C\x87\x40\x06=B3*2\r\n"              // 表①, =B3*2
    "!#:\x8D\xDD\x8C\xC9\r\n"
    "item\x06" "count\r\n"
    "a\x06" "5\r\n";

struct ExportRun {
  testsupport::Scratch dir;
  csv::Table table;
  TestHost host;
  XlsxRunInput in;
  ExportRun() {
    EXPECT_TRUE(table.Assign(kTable.data(), kTable.size(), 100));
    in.table = &table;
    in.programDir = dir.Dir();
    in.target = dir.Path("out.xlsx");
  }
  int Go() {
    XlsxRun run;
    return XlsxWritePackageRun(run, in, host);
  }
};

TEST(XlsxExportRun, WritesAndDeliversTheWorkbook) {
  ExportRun r;
  ASSERT_EQ(r.Go(), 0);
  EXPECT_TRUE(r.host.reports.empty()) << r.host.reports[0];
  EXPECT_TRUE(r.host.messages.empty()) << r.host.messages[0];
  const std::string zip = testsupport::ReadBytes(r.in.target);
  ASSERT_GT(zip.size(), 100u);
  EXPECT_EQ(zip.compare(0, 2, "PK"), 0);
  for (const char* part : {"xl/workbook.xml", "xl/styles.xml", "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml",
                           "[Content_Types].xml", "_rels/.rels", "docProps/app.xml"})
    EXPECT_NE(zip.find(part), std::string::npos) << part;
  // The tree and the package stay in the scratch folder.
  const CString tree = docsvc::XlsxScratchDir(r.dir.Dir());
  EXPECT_EQ(testsupport::ReadBytes(tree + "\\TestA.xlsx"), zip);
  const std::string sheet = testsupport::ReadBytes(tree + "\\xl\\worksheets\\sheet1.xml");
  EXPECT_EQ(sheet.find("Shift"), std::string::npos);
  EXPECT_NE(sheet.find("\xE2\x91\xA0"), std::string::npos);  // ① in UTF-8
  const std::string book = testsupport::ReadBytes(tree + "\\xl\\workbook.xml");
  EXPECT_NE(book.find("\xE5\xA3\xB2\xE4\xB8\x8A"), std::string::npos);  // 売上
  EXPECT_NE(book.find("\xE5\x9C\xA8\xE5\xBA\xAB"), std::string::npos);  // 在庫
#ifndef _WIN32
  if (testsupport::HaveTool("unzip")) {
    const std::string t = testsupport::RunCapture("unzip -t '" + fw::ToPosixPath(r.in.target) + "' 2>&1");
    EXPECT_NE(t.find("No errors detected"), std::string::npos) << t;
  }
  const std::string check = testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT
                                                    "/tests/export/xlsx_check.py' '" +
                                                    fw::ToPosixPath(r.in.target) + "' 2>&1");
  EXPECT_EQ(check, "") << check;
#endif
}

TEST(XlsxExportRun, LeftoversOfAnEarlierRunNeverReachTheNewPackage) {
  ExportRun r;
  const CString tree = docsvc::XlsxScratchDir(r.dir.Dir());
  ASSERT_TRUE(docsvc::EnsureScratchFolders(r.dir.Dir()));
  fw::MakeDir(tree + "\\xl");
  fw::MakeDir(tree + "\\xl\\media");
  for (int i = 1; i <= 40; ++i)
    testsupport::WriteBytes(tree + "\\xl\\media\\image" + CString(std::to_string(i).c_str()) + ".png", "old");
  ASSERT_EQ(r.Go(), 0);
  EXPECT_EQ(testsupport::ReadBytes(r.in.target).find("image"), std::string::npos);
  // Nothing went to the backup folder.
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(docsvc::BackupDir(r.dir.Dir()) + "\\image1.png", st));
}

TEST(XlsxExportRun, AReadOnlyTargetAsksBeforeItIsReplaced) {
  ExportRun r;
  testsupport::WriteBytes(r.in.target, "old workbook");
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(r.in.target, st));
  st.m_attribute = CFile::readOnly;
  st.m_ctime = st.m_mtime = st.m_atime = CTime();
  CFile::SetStatus(r.in.target, st);

  r.host.answerYes = false;  // No: the target stays, the run fails
  EXPECT_EQ(r.Go(), -1);
  ASSERT_EQ(r.host.asked.size(), 1u);
  EXPECT_EQ(testsupport::ReadBytes(r.in.target), "old workbook");

  r.host.answerYes = true;  // Yes: made writable and replaced
  EXPECT_EQ(r.Go(), 0);
  EXPECT_EQ(r.host.asked.size(), 2u);
  EXPECT_EQ(testsupport::ReadBytes(r.in.target).compare(0, 2, "PK"), 0);
  EXPECT_TRUE(r.host.protectedShown.empty());
}

TEST(XlsxExportRun, ATargetThatCannotBeWrittenAfterYesShowsTheSecondMessage) {
  ExportRun r;
  r.in.target = r.dir.Path("missing\\out.xlsx");  // no such folder
  EXPECT_EQ(r.Go(), -1);
  EXPECT_EQ(r.host.asked.size(), 1u);
  EXPECT_EQ(r.host.protectedShown.size(), 1u);
}

#ifdef _WIN32
TEST(XlsxExportRun, ATargetHeldOpenElsewhereAsksThenShowsTheSecondMessage) {
  ExportRun r;
  testsupport::WriteBytes(r.in.target, "old workbook");
  {
    CFile held(r.in.target, CFile::modeRead | CFile::shareExclusive);
    EXPECT_EQ(r.Go(), -1);
    EXPECT_EQ(r.host.asked.size(), 1u);
    EXPECT_EQ(r.host.protectedShown.size(), 1u);
  }
  EXPECT_EQ(testsupport::ReadBytes(r.in.target), "old workbook");
}
#endif

TEST(XlsxExportRun, APartThatCannotBeWrittenStopsBeforeZipping) {
  ExportRun r;
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kWrite, 2);  // the second part's write
  EXPECT_EQ(r.Go(), -1);
  fw::filetest::Reset();
  ASSERT_EQ(r.host.messages.size(), 1u);
  EXPECT_EQ(r.host.messages[0].rfind("file open eror : ", 0), 0u) << r.host.messages[0];
  EXPECT_EQ(r.host.archiveCalls, 0);
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(r.in.target, st));
}

TEST(XlsxExportRun, AMemoryShortageReports155AndWritesNothing) {
  ExportRun r;
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  EXPECT_EQ(r.Go(), -1);
  fw::alloctest::Reset();
  ASSERT_FALSE(r.host.reports.empty());
  EXPECT_EQ(r.host.reports.back(), "155:");
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(r.in.target, st));
}

TEST(XlsxExportRun, WorkCapacityIsSixtyFourBitAndCapped) {
  EXPECT_EQ(XlsxWorkCapacity(10, 0, 1), 500000u + 9000u);
  // 3 million rows of 2000 fields overflow 32 bits; the first capacity stays capped.
  const std::uint64_t big = XlsxWorkCapacity(4000000000ull, 3000000, 2000);
  EXPECT_GT(big, 500000u + 9000u);
  EXPECT_LE(big, (64ull << 20) + 9000u);
}

}  // namespace
