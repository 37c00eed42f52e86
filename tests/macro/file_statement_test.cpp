// The file statements: their operand readers (the ':' splitter with its
// drive rule, the line range of "filepart" with 'n', the resource operand of
// "fileuser", the saturated numbers, dates and times) and whole runs over a
// test folder: new files, parts, folders, status, listings, the ':'
// operations with wildcards, archives, folder totals, the dialog, the
// network resource and the program windows through the host's fakes.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "fw/clock.h"
#include "fw/file.h"
#include "fw/path.h"
#include "macro/macro_exec_file.h"
#include "macro/macro_file_system.h"
#include "macro/macro_fileoperand.h"
#include "macro/macro_state.h"
#include "run_fixture.h"
#include "support/temp_folder.h"
#include "test_host.h"

namespace {

namespace fs = std::filesystem;
using macro::MacroSplitFileOperand;
using Parts = std::vector<std::string>;

// The system's form of a program path.
fs::path Sys(const std::string& path) {
#ifdef _WIN32
  return fs::path(fw::ToWidePath(path.c_str()));
#else
  return fs::path(fw::ToPosixPath(path.c_str()));
#endif
}

std::string ReadBytes(const std::string& path) {
  std::ifstream f(Sys(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(Sys(path), std::ios::binary) << bytes;
}
bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(Sys(path), ec);
}

// --- operand readers ----------------------------------------------------------

TEST(FileOperand, SplitsAtColonsButKeepsDriveLetters) {
  EXPECT_EQ((Parts{"C:\\a.txt", "D:\\b.txt"}), MacroSplitFileOperand("C:\\a.txt:D:\\b.txt"));
  EXPECT_EQ((Parts{"a.txt", "b.txt", "c"}), MacroSplitFileOperand("a.txt:b.txt:c"));
  // A drive only at the start of a part: "ab:" is no drive.
  EXPECT_EQ((Parts{"ab", "\\x"}), MacroSplitFileOperand("ab:\\x"));
  // Empty parts stay ("&Fw" reads them as not given).
  EXPECT_EQ((Parts{"C:\\f", "", "20240102", ""}), MacroSplitFileOperand("C:\\f::20240102:"));
  EXPECT_TRUE(MacroSplitFileOperand("").empty());
  // A part that is only a drive and its ':'.
  EXPECT_EQ((Parts{"C:", "x"}), MacroSplitFileOperand("C::x"));
}

TEST(FileOperand, AtMostAHundredPartsTheLastKeepingTheRest) {
  std::string op;
  for (int i = 0; i < 120; ++i) op += (i ? ":" : "") + std::to_string(i);
  const Parts parts = MacroSplitFileOperand(op);
  ASSERT_EQ(100u, parts.size());
  EXPECT_EQ("98", parts[98]);
  EXPECT_EQ(0u, parts[99].rfind("99:100:", 0));
  EXPECT_EQ((Parts{"1", "2:3"}), MacroSplitFileOperand("1:2:3", 2));
  EXPECT_EQ((Parts{"a:b", "c"}), MacroSplitFileOperand("a:b:c", 2));  // "a:" is a drive
}

TEST(FileOperand, WildcardsMatchNamesWithoutCaseAndDoubleByteCharactersAsOne) {
  EXPECT_TRUE(macro::MacroHasWildcard("C:\\d\\*.txt"));
  EXPECT_FALSE(macro::MacroHasWildcard("C:\\d*\\a.txt"));  // only the file name counts
  EXPECT_TRUE(macro::MacroWildcardMatch("*.TXT", "a.txt"));
  EXPECT_TRUE(macro::MacroWildcardMatch("a?c*", "abcdef"));
  EXPECT_FALSE(macro::MacroWildcardMatch("a?c", "abcd"));
  EXPECT_TRUE(macro::MacroWildcardMatch("*a*b*", "xxaYYbzz"));
  EXPECT_TRUE(macro::MacroWildcardMatch("?.txt", "\x95\x5c.txt"));  // "表" is one character
  EXPECT_FALSE(macro::MacroWildcardMatch("??.txt", "\x95\x5c.txt"));
  EXPECT_TRUE(macro::MacroWildcardMatch("*", ""));
}

macro::LineRange RangeOf(const std::string& text, std::int64_t first, std::int64_t last) {
  return macro::MacroFindLineRange(
      [&](std::uint64_t offset, char* buf, std::size_t n) {
        const std::size_t got = offset >= text.size() ? 0 : std::min<std::size_t>(n, text.size() - offset);
        std::copy_n(text.data() + offset, got, buf);
        return got;
      },
      text.size(), first, last);
}

TEST(FileLineRange, LinesAcrossBlocksAndTheEnds) {
  const std::string t = "one\ntwo\nthree\nfour";
  auto cut = [&](std::int64_t a, std::int64_t b) {
    const macro::LineRange r = RangeOf(t, a, b);
    return t.substr(r.start, r.end - r.start);
  };
  EXPECT_EQ("two\nthree\n", cut(2, 3));
  EXPECT_EQ("three\nfour", cut(3, 0));  // 0: ten thousand lines on, here the end
  EXPECT_EQ("one\n", cut(1, 1));
  EXPECT_EQ("one\n", cut(0, 1));        // a first line below 1 is line 1
  EXPECT_EQ("four", cut(4, 9));
  // A first line past the end: nothing (not the whole file).
  EXPECT_EQ(t.size(), RangeOf(t, 6, 8).start);
  EXPECT_EQ("", cut(6, 8));
  EXPECT_EQ("", cut(5, 0));
  // Line feeds on both sides of a 4,096-byte block edge.
  std::string big(4095, 'x');
  big += "\n\nyz\n";
  const macro::LineRange r = RangeOf(big, 2, 3);
  EXPECT_EQ(4096u, r.start);
  EXPECT_EQ(big.size(), r.end);
  // Saturated ends do not wrap.
  const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(t.size(), RangeOf(t, huge, 0).start);
}

TEST(FileOperand, WideNumbersSaturateAndStopAtAColon) {
  std::int64_t n[4] = {7, 7, 7, 7};
  EXPECT_EQ(2, macro::MacroReadWideNumbers("&Fp3000000000,99999999999999999999999", 0, n, 4));
  EXPECT_EQ(3000000000, n[0]);
  EXPECT_EQ(std::numeric_limits<std::int64_t>::max(), n[1]);
  EXPECT_EQ(7, n[2]);
  std::int64_t m[2] = {0, 0};
  EXPECT_EQ(1, macro::MacroReadWideNumbers("&Fpn-99999999999999999999:5", 0, m, 2));
  EXPECT_EQ(std::numeric_limits<std::int64_t>::min(), m[0]);
  EXPECT_EQ(0, m[1]);
  std::int64_t v = 0;
  EXPECT_FALSE(macro::MacroReadSaturatedDigits("", &v));
  EXPECT_FALSE(macro::MacroReadSaturatedDigits("1x", &v));
  EXPECT_TRUE(macro::MacroReadSaturatedDigits("184467440737095516160", &v));
  EXPECT_EQ(std::numeric_limits<std::int64_t>::max(), v);
}

TEST(FileOperand, DatesAndTimesAreCheckedNotWrapped) {
  int y = 0, m = 0, d = 0;
  EXPECT_TRUE(macro::MacroReadFileDate("20240229", &y, &m, &d));
  EXPECT_EQ(2024, y);
  EXPECT_EQ(2, m);
  EXPECT_EQ(29, d);
  EXPECT_FALSE(macro::MacroReadFileDate("20230229", &y, &m, &d));
  EXPECT_FALSE(macro::MacroReadFileDate("20241301", &y, &m, &d));
  EXPECT_FALSE(macro::MacroReadFileDate("2024011", &y, &m, &d));
  EXPECT_FALSE(macro::MacroReadFileDate("99999999999999999999", &y, &m, &d));
  int h = 0, mi = 0, s = 0;
  EXPECT_TRUE(macro::MacroReadFileTime("235959", &h, &mi, &s));
  EXPECT_EQ(23, h);
  EXPECT_FALSE(macro::MacroReadFileTime("240000", &h, &mi, &s));
  EXPECT_FALSE(macro::MacroReadFileTime("12:00:", &h, &mi, &s));
}

TEST(FileOperand, AttributeSumsBothWays) {
  EXPECT_EQ(10, macro::MacroAttributeSum(CFile::readOnly | CFile::hidden));
  EXPECT_EQ(16 + 1, macro::MacroAttributeSum(CFile::directory | CFile::archive));
  EXPECT_EQ(4, macro::MacroAttributeSum(CFile::system));
  EXPECT_EQ(unsigned(CFile::readOnly | CFile::hidden), macro::MacroAttributeBits(10));
  EXPECT_EQ(unsigned(CFile::archive | CFile::system), macro::MacroAttributeBits(5));
  EXPECT_EQ(0u, macro::MacroAttributeBits(16));
  EXPECT_EQ(0u, macro::MacroAttributeBits(-1));
}

TEST(FileOperand, ResourceUserAndPasswordInEitherOrder) {
  macro::NetUserOperand op = macro::MacroReadNetUserOperand("\\\\srv\\share;USER=me;PWRD=pw");
  EXPECT_EQ("\\\\srv\\share", op.resource);
  EXPECT_EQ("me", op.user);
  EXPECT_EQ("pw", op.password);
  op = macro::MacroReadNetUserOperand("\\\\srv\\x;PWRD=a;b;USER=u");
  EXPECT_EQ("a;b", op.password);
  EXPECT_EQ("u", op.user);
  op = macro::MacroReadNetUserOperand("\\\\srv\\y");
  EXPECT_EQ("\\\\srv\\y", op.resource);
  EXPECT_FALSE(op.hasUser);
  // The resource name: at most 200 bytes, never half a character.
  op = macro::MacroReadNetUserOperand(std::string(300, 'r') + ";USER=u");
  EXPECT_EQ(200u, op.resource.size());
  op = macro::MacroReadNetUserOperand(std::string(199, 'r') + "\x95\x5c" + "z");
  EXPECT_EQ(199u, op.resource.size());
}

TEST(FileOperand, ChosenPathParts) {
  macro::ChosenPathParts p = macro::MacroChosenPathParts("C:\\data\\list.csv");
  EXPECT_EQ("C:\\data\\list", p.withoutExt);
  EXPECT_EQ("C:\\data", p.folder);
  EXPECT_EQ("list.csv", p.name);
  EXPECT_EQ("list", p.nameWithoutExt);
  EXPECT_TRUE(p.hasName);
  // A dot in a folder name is no extension.
  p = macro::MacroChosenPathParts("C:\\v1.2\\readme");
  EXPECT_EQ("C:\\v1.2\\readme", p.withoutExt);
  EXPECT_EQ("readme", p.nameWithoutExt);
  p = macro::MacroChosenPathParts("plain.txt");
  EXPECT_FALSE(p.hasName);
  EXPECT_EQ("plain.txt", p.folder);
  EXPECT_EQ("plain.txt", p.nameWithoutExt);
  EXPECT_EQ("plain", p.withoutExt);
}

// --- whole runs ---------------------------------------------------------------

using Host = macrotest::FileFakes<macrotest::FakeRunHost>;

class FileRun : public macrotest::RunFixture<Host> {
 protected:
  testsupport::TempProgramFolder dir;
  macro::WorkingFolderKeeper keep;  // "changedir" moves it; put back before the folder goes
  // The test folder as a program path ("Z:" is the root natively).
  std::string Root() const {
    const std::string& p = dir.Path();
    return p.size() >= 2 && p[1] == ':' ? p : "Z:" + p;
  }
  std::string F(const std::string& name) const { return Root() + "\\" + name; }
  // One statement: command and operand.
  int Stmt(const std::string& command, const std::string& operand = "") {
    return RunDocument("\t" + command + "\t" + operand + "\r\n");
  }
  std::string Result() const { return Var(macro::kSlotLastResult); }
  void TearDown() override { fw::clocktest::Release(); }
};

TEST_F(FileRun, NewFileEmptiesAnExistingFileAndReportsAMissingFolder) {
  WriteBytes(F("a.txt"), "old text");
  st->m_strMacroVars[macro::kSlotLastResult] = "x";
  Stmt("filenew", F("a.txt"));
  EXPECT_EQ("", ReadBytes(F("a.txt")));
  EXPECT_EQ("", Result());
  const std::string missing = F("no\\such\\b.txt");
  RunDocument("\tfilenew\t" + F("b.txt") + "\r\n\tfilenew\t" + missing + "\r\n");
  // The run's line number of the statement (m_nCmdLineNo counts from 0).
  EXPECT_EQ("#Can not open the file\n   " + missing + "\nat  command line : 1", Result());
  EXPECT_TRUE(host.reports.empty());  // the run goes on, no message
}

TEST_F(FileRun, FilePartByBytesAndItsTempNames) {
  WriteBytes(F("src.csv"), "0123456789");
  Stmt("filepart2,5", F("src.csv") + " > " + F("out.bin"));
  EXPECT_EQ("23456", ReadBytes(F("out.bin")));
  // Length 0: to the end. No '>': "temp" and the ".csv" ending, in the
  // folder of the last change.
  WriteBytes(F("src.dat"), "abc");
  RunDocument("\tchangedir\t" + Root() + "\r\n\tfilepart4,0\t" + F("src.csv") + "\r\n\tfilepart\t" + F("src.dat") +
              "\r\n");
  EXPECT_EQ("456789", ReadBytes(F("temp.csv")));
  EXPECT_EQ("abc", ReadBytes(F("temp.bin")));
  // A start beyond the end: an empty destination.
  Stmt("filepart50,2", F("src.csv") + ">" + F("empty.txt"));
  EXPECT_TRUE(Exists(F("empty.txt")));
  EXPECT_EQ("", ReadBytes(F("empty.txt")));
  // A source that cannot be read: nothing written, nothing said.
  Stmt("filepart", F("none.txt") + ">" + F("never.txt"));
  EXPECT_FALSE(Exists(F("never.txt")));
}

TEST_F(FileRun, FilePartByLines) {
  std::string text;
  for (int i = 1; i <= 20; ++i) text += "line " + std::to_string(i) + "\r\n";
  WriteBytes(F("lines.txt"), text);
  Stmt("filepartn3,5", F("lines.txt") + ">" + F("out.txt"));
  EXPECT_EQ("line 3\r\nline 4\r\nline 5\r\n", ReadBytes(F("out.txt")));
  Stmt("filepartn19,0", F("lines.txt") + ">" + F("tail.txt"));
  EXPECT_EQ("line 19\r\nline 20\r\n", ReadBytes(F("tail.txt")));
  Stmt("filepartn30,40", F("lines.txt") + ">" + F("none.txt"));
  EXPECT_EQ("", ReadBytes(F("none.txt")));
}

TEST_F(FileRun, MakeDirMakesMissingParentsAndChangeDirKeepsTheFolder) {
  Stmt("makedir", F("x\\y\\z"));
  EXPECT_TRUE(fs::is_directory(fs::path(dir.Path()) / "x" / "y" / "z"));
  EXPECT_EQ("", Result());
  Stmt("makedir", F("x\\y\\z"));  // already there: the last folder is not made
  EXPECT_EQ("EROR", Result());
  Stmt("changedir", F("x"));
  EXPECT_EQ("", Result());
  EXPECT_EQ(F("x"), Var(157));
  EXPECT_TRUE(fs::equivalent(fs::current_path(), fs::path(dir.Path()) / "x"));
  Stmt("changedir", F("none"));
  EXPECT_EQ("EROR", Result());
}

TEST_F(FileRun, FileStatusOfAMissingFileAndOfAFile) {
  Stmt("filestatus", F("missing.txt"));
  EXPECT_EQ("99", Var(128));
  EXPECT_EQ("EROR", Result());
  WriteBytes(F("s.txt"), std::string(1234, 'a'));
  Stmt("filestatusw", F("s.txt") + "::20240315:071502");
  EXPECT_EQ("", Result());
  Stmt("filestatus181,182,183,184", F("s.txt"));
  EXPECT_EQ("", Result());
  EXPECT_EQ("20240315", Var(182));
  EXPECT_EQ("071502", Var(183));
  EXPECT_EQ("1234", Var(184));
  // Only the time: the date stays.
  Stmt("filestatusw", F("s.txt") + ":::235900");
  Stmt("filestatus181,182,183", F("s.txt"));
  EXPECT_EQ("20240315", Var(182));
  EXPECT_EQ("235900", Var(183));
  // A date that is none is a failure and changes nothing.
  Stmt("filestatusw", F("s.txt") + "::20241399");
  EXPECT_EQ("EROR", Result());
  Stmt("filestatus181,182", F("s.txt"));
  EXPECT_EQ("20240315", Var(182));
}

TEST_F(FileRun, FileListIntoTheTableAndIntoTheLookupBuffer) {
  WriteBytes(F("a.txt"), "12345");
  WriteBytes(F("b.csv"), "1");
  fs::create_directory(fs::path(dir.Path()) / "sub");
  doc->m_nFlist = 1000;
  Stmt("filelist", Root() + "\\");
  EXPECT_EQ(33u, fileKind);
  const std::string text(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  EXPECT_EQ(0u, text.find("name\x06" "ext\x06" "vol\x06" "date"));
  EXPECT_NE(std::string::npos, text.find("\r\na.txt\x06.txt\x06" "5\x06"));
  EXPECT_NE(std::string::npos, text.find("\r\nsub\x06\x06+\x06"));
  Stmt("filelistf", Root());  // files only
  const std::string files(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  EXPECT_EQ(std::string::npos, files.find("\r\nsub\x06"));
  Stmt("filelistd", Root());
  ASSERT_NE(nullptr, st->m_pMacroLookup);
  const std::string data(st->m_pMacroLookup, st->m_nMacroLookupLen);
  EXPECT_NE(std::string::npos, data.find("\r\nb.csv\x06.csv\x06" "1\x06"));
  Stmt("filelist", F("none"));
  EXPECT_EQ("EROR", Result());
  EXPECT_EQ(0u, table.m_nTextLen);
}

TEST_F(FileRun, ColonOperationsPairsPathsAndWildcards) {
  WriteBytes(F("a.txt"), "A");
  WriteBytes(F("b.txt"), "B");
  Stmt("filecopy", F("a.txt") + ":" + F("c.txt") + ":" + F("b.txt") + ":" + F("d.txt"));
  EXPECT_EQ("", Result());
  EXPECT_EQ("A", ReadBytes(F("c.txt")));
  EXPECT_EQ("B", ReadBytes(F("d.txt")));
  Stmt("filecopy", F("b.txt") + ":" + F("c.txt"));  // over an existing file
  EXPECT_EQ("B", ReadBytes(F("c.txt")));
  Stmt("filetrans", F("d.txt") + ":" + F("e.txt"));
  EXPECT_FALSE(Exists(F("d.txt")));
  EXPECT_EQ("B", ReadBytes(F("e.txt")));
  Stmt("filerename", F("e.txt") + ":" + F("f.txt"));
  EXPECT_EQ("B", ReadBytes(F("f.txt")));
  // Every .txt of the folder into another folder.
  Stmt("makedir", F("to"));
  Stmt("filecopy", F("*.txt") + ":" + F("to"));
  EXPECT_EQ("", Result());
  for (const char* n : {"a.txt", "b.txt", "c.txt", "f.txt"}) EXPECT_TRUE(Exists(F(std::string("to\\") + n))) << n;
  // Delete several paths; a missing one is a failure, the others go.
  Stmt("filekill", F("to\\a.txt") + ":" + F("to\\zz.txt") + ":" + F("to\\b.txt"));
  EXPECT_EQ("EROR", Result());
  EXPECT_FALSE(Exists(F("to\\a.txt")));
  EXPECT_FALSE(Exists(F("to\\b.txt")));
  Stmt("filekill", F("to\\*.txt"));
  EXPECT_EQ("", Result());
  Stmt("filekill", F("to"));  // the folder, empty now
  EXPECT_EQ("", Result());
  EXPECT_FALSE(Exists(F("to")));
  // A copy without its destination.
  Stmt("filecopy", F("a.txt"));
  EXPECT_EQ("EROR", Result());
}

TEST_F(FileRun, RenameEveryMatchByThePatternEngine) {
  WriteBytes(F("rep_1.txt"), "1");
  WriteBytes(F("rep_2.txt"), "2");
  WriteBytes(F("other.dat"), "3");
  Stmt("filerename", F("*.txt") + ":/rep/new");
  EXPECT_EQ("", Result());
  EXPECT_EQ("1", ReadBytes(F("new_1.txt")));
  EXPECT_EQ("2", ReadBytes(F("new_2.txt")));
  EXPECT_TRUE(Exists(F("other.dat")));
  // No entry matches: a failure.
  Stmt("filerename", F("*.none") + ":/a/b");
  EXPECT_EQ("EROR", Result());
}

TEST_F(FileRun, SourceFormsByTheirMarker) {
  WriteBytes(F("n.txt"), "x");
  Stmt("fileenc+", F("n.txt"));
  Stmt("fileenc", F("n.+txt"));
  ASSERT_EQ(2u, host.sourceCalls.size());
  EXPECT_EQ("1:" + F("n.txt") + ":", host.sourceCalls[0]);
  EXPECT_EQ("0:" + F("n.+txt") + ":" + F("n.txt"), host.sourceCalls[1]);
  EXPECT_EQ("", Result());
  Stmt("fileenc", F("plain.txt"));  // nothing to restore
  EXPECT_EQ("EROR", Result());
  host.sourceResult = -2;
  Stmt("fileenc-", F("n.txt"));
  EXPECT_EQ("EROR", Result());
}

TEST_F(FileRun, ZipArchiveKeepsTheWorkingFolder) {
  WriteBytes(F("one.txt"), "first file\r\n");
  fs::create_directory(fs::path(dir.Path()) / "sub");
  WriteBytes(F("sub\\two.txt"), "second");
  const fs::path before = fs::current_path();
  Stmt("filezip", F("pack.zip") + ":one.txt:sub");
  EXPECT_EQ("", Result());
  EXPECT_TRUE(Exists(F("pack.zip")));
  EXPECT_EQ(before, fs::current_path());
  // Nothing to pack, and no LZH: failures.
  Stmt("filezip", F("none.zip") + ":nothing.txt");
  EXPECT_EQ("EROR", Result());
  Stmt("filezip", F("pack.lzh") + ":one.txt");
  EXPECT_EQ("EROR", Result());
  EXPECT_EQ(before, fs::current_path());
}

TEST_F(FileRun, FolderTotalsIntoTheNamedVariables) {
  fs::create_directories(fs::path(dir.Path()) / "t" / "u");
  WriteBytes(F("t\\a"), std::string(100, 'a'));
  WriteBytes(F("t\\u\\b"), std::string(23, 'b'));
  WriteBytes(F("t\\u\\c"), "");
  const fs::path before = fs::current_path();
  Stmt("fileall181,182", F("t"));
  EXPECT_EQ("", Result());
  EXPECT_EQ("123", Var(181));
  EXPECT_EQ("3", Var(182));
  EXPECT_EQ(before, fs::current_path());
  Stmt("fileall181,182", F("none"));
  EXPECT_EQ("EROR", Result());
  host.treeHost = false;
  Stmt("fileall181", F("t"));
  EXPECT_EQ("EROR", Result());
}

TEST_F(FileRun, DivideSplitsIntoPartsAndAMissingFileFails) {
  WriteBytes(F("big.bin"), std::string(250000, 'z'));
  Stmt("filedivide", F("big.bin"));
  EXPECT_EQ("", Result());
  EXPECT_EQ(102400u, fs::file_size(fs::path(dir.Path()) / "big_part1.bin"));
  EXPECT_EQ(250000u - 204800u, fs::file_size(fs::path(dir.Path()) / "big_part3.bin"));
  Stmt("filedivide", F("gone.bin"));
  EXPECT_EQ("EROR", Result());
}

TEST_F(FileRun, FileInputSetsTheNameVariablesAndCancelLeavesTheMark) {
  host.openAnswer = "C:\\data\\list.csv";
  Stmt("fileinput", "start.csv");
  ASSERT_EQ(1u, host.dialogAsks.size());
  EXPECT_EQ("open|ALL|*.*|csv file|*.csv|| |start.csv", host.dialogAsks[0]);
  EXPECT_EQ("C:\\data\\list.csv", Var(115));
  EXPECT_EQ("C:\\data\\list", Var(147));
  EXPECT_EQ("C:\\data", Var(125));
  EXPECT_EQ("list.csv", Var(116));
  EXPECT_EQ("list", Var(148));
  RunDocument("\tfileinput\tstart.csv\r\n\tfileisave\tx\r\n");
  ASSERT_EQ(3u, host.dialogAsks.size());
  EXPECT_EQ("save|ALL|*.*|csv file|*.csv|| |x", host.dialogAsks[2]);
  EXPECT_EQ("@CANCEL", Var(115));
  EXPECT_EQ("list.csv", Var(116));  // the others stay
}

TEST_F(FileRun, NetworkResourceProbeResultsTakeTheirBranches) {
  const std::string op = "\\\\srv\\share;USER=me;PWRD=pw";
  host.probeResults = {0};
  Stmt("fileuser", op);
  EXPECT_EQ("", Result());
  EXPECT_EQ((Parts{"context:5", "probe"}), host.netCalls);
  EXPECT_EQ("\\\\srv\\share", std::string(host.lastResource.remoteName.GetString()));
  EXPECT_EQ(7, host.lastResource.displayType);
  EXPECT_EQ("\\", std::string(host.lastResource.comment.GetString()));

  host.netCalls.clear(), host.probed = 0, host.probeResults = {8, 8};
  Stmt("fileuser", op);
  EXPECT_EQ("EROR", Result());
  EXPECT_EQ((Parts{"context:5", "probe", "probe"}), host.netCalls);

  // 87: without the user first, then twice with it.
  host.netCalls.clear(), host.probed = 0, host.probeResults = {87, 0};
  host.connected = 0, host.connectResults = {5, 1326, 0};
  Stmt("fileuser", op);
  EXPECT_EQ("", Result());
  EXPECT_EQ((Parts{"context:5", "probe", "connect:-:-:1", "connect:me:pw:1", "connect:me:pw:1", "probe"}),
            host.netCalls);
  // 87 and a connection refused for memory: no more tries.
  host.netCalls.clear(), host.probed = 0, host.probeResults = {87};
  host.connected = 0, host.connectResults = {8};
  Stmt("fileuser", op);
  EXPECT_EQ("EROR", Result());
  EXPECT_EQ((Parts{"context:5", "probe", "connect:-:-:1"}), host.netCalls);
  // Any other result: one try with the user.
  host.netCalls.clear(), host.probed = 0, host.probeResults = {1222};
  host.connected = 0, host.connectResults = {86};
  Stmt("fileuser", op);
  EXPECT_EQ("EROR", Result());
  EXPECT_EQ((Parts{"context:5", "probe", "connect:me:pw:1"}), host.netCalls);
}

TEST_F(FileRun, QuitClosesTheWindowShowingTheFile) {
  fw::clocktest::Fix(1700000000, 1000);
  WriteBytes(F("book.xls"), "x");
  host.windowTitles = {"other", "book.xls - sheet"};
  Stmt("filequit", F("book.xls"));
  EXPECT_EQ((Parts{"find:book.xls::2", "send:2"}), host.closes);
  EXPECT_GE(fw::CurrentTime(), 1700000004);  // two waits of about two seconds
  host.closes.clear();
  host.sheetTitle = "Microsoft Excel";
  Stmt("filequitx", F("book.xls"));
  EXPECT_EQ((Parts{"find:book.xls::2", "post:2", "altf4:99"}), host.closes);
  // No window: nothing closed; no file: not even looked for.
  host.closes.clear();
  host.windowTitles.clear();
  Stmt("filequit", F("book.xls"));
  EXPECT_EQ((Parts{"find:book.xls::2"}), host.closes);
  host.closes.clear();
  Stmt("filequit", F("gone.xls"));
  EXPECT_TRUE(host.closes.empty());
}

TEST_F(FileRun, LaunchHandsTheFileToTheHost) {
  Stmt("fileexe", F("doc.txt"));
  Stmt("fileexe", "");
  EXPECT_EQ((Parts{F("doc.txt")}), host.launched);
}

#ifdef _WIN32
// The attributes as the system keeps them (Wine gives every file the
// archive bit, which adds 1).
TEST_F(FileRun, HiddenReadOnlyFileReadsTenAndWritesBack) {
  WriteBytes(F("h.txt"), "h");
  Stmt("filestatusw", F("h.txt") + ":10");
  EXPECT_EQ("", Result());
  const DWORD a = ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(fw::ToWidePath(F("h.txt").c_str()).c_str()));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
            a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
  Stmt("filestatus", F("h.txt"));
  EXPECT_EQ(std::to_string(10 + ((a & FILE_ATTRIBUTE_ARCHIVE) ? 1 : 0)), Var(128));
  Stmt("filestatusw", F("h.txt") + ":1");
  Stmt("filestatus180", F("h.txt"));
  EXPECT_EQ("1", Var(180));
}
#endif

}  // namespace
