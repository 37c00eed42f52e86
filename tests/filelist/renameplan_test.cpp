#include "filelist/flistcore/renameplan.h"

#include <gtest/gtest.h>

#include <string>

#include "core/crypto/namecipher.h"
#include "fw/file.h"
#include "fw/path.h"
#include "support/outside_tool.h"
#include "support/scratch.h"

namespace flist {
namespace {

// Local times of Asia/Tokyo (the test's zone): 1970-01-01 09:00:00 is the
// epoch itself.
constexpr std::int64_t kEpochJst = 0;
constexpr std::int64_t k20261209_101112 = 1796778672;

TEST(RenamePrefill, EachCaseOfTheDialogsStart) {
  struct Case {
    const char* what;
    RenamePrefillInput in;
    const char* name;
    int ro, hid, sys, arc;
    int y, mo, d, h, mi, s;
    int keep;
  } cases[] = {
      {"one local file", {1, 0, false, "memo.txt", 5, true, 0x23, k20261209_101112},
       "memo.txt", 1, 1, 0, 1, 2026, 12, 9, 10, 11, 12, 0},
      {"one file listed without a time", {1, 0, false, "x.txt", 0, true, 0x21, k20261209_101112},
       "x.txt", 0, 0, 0, 0, 1970, 1, 1, 9, 0, 1, 0},
      {"one file whose status cannot be read", {1, 0, false, "gone.txt", 5, false, 0, 0},
       "gone.txt", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"one FTP file", {1, 0, true, "a.htm", 5, true, 0x21, k20261209_101112},
       "a.htm", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"several marks", {3, 0, false, "a.txt", 5, true, 0x21, k20261209_101112},
       "******", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"a drive row", {1, 1, false, "D: DATA", 0, false, 0, 0}, "DATA", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"a drive row with a short label", {1, 1, false, "D: AB", 0, false, 0, 0}, "AB", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"a drive row without a label", {1, 1, false, "A:", 0, false, 0, 0}, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const RenameFields f = PrefillRenameFields(c.in);
    EXPECT_EQ(c.name, f.name) << c.what;
    EXPECT_EQ((std::vector<int>{c.ro, c.hid, c.sys, c.arc}),
              (std::vector<int>{f.readOnly, f.hidden, f.system, f.archive})) << c.what;
    EXPECT_EQ((std::vector<int>{c.y, c.mo, c.d, c.h, c.mi, c.s}),
              (std::vector<int>{f.year, f.month, f.day, f.hour, f.minute, f.second})) << c.what;
    EXPECT_EQ(c.keep, f.keepAttributes) << c.what;
  }
}

TEST(RenameDateCheck, OutOfRangeDatesBecomeTheEpochAndUnenteredDatesKeepTheTimes) {
  struct Case {
    int y, mo, d, h, mi, s;
    std::int64_t time;  // -1: not entered
  } cases[] = {
      {2026, 12, 9, 10, 11, 12, k20261209_101112},
      {2040, 5, 5, 10, 0, 0, kEpochJst},
      {2026, 0, 9, 10, 0, 0, kEpochJst},
      {2026, 12, 0, 10, 0, 0, kEpochJst},
      {1969, 12, 31, 10, 0, 0, kEpochJst},
      {2037, 12, 31, 23, 59, 59, 2145884399},
      {0, 0, 0, 0, 0, 0, -1},
      {0, 0, 0, 0, 0, 1, kEpochJst},  // entered (a second), the date fails
  };
  for (const Case& c : cases) {
    RenameFields f;
    f.year = c.y, f.month = c.mo, f.day = c.d, f.hour = c.h, f.minute = c.mi, f.second = c.s;
    EXPECT_EQ(c.time, CheckedRenameTime(f)) << c.y << "-" << c.mo << "-" << c.d;
    if (c.time == kEpochJst) {
      // The fields keep the epoch for the entries that follow.
      EXPECT_EQ((std::vector<int>{1970, 1, 1, 9, 0, 0}),
                (std::vector<int>{f.year, f.month, f.day, f.hour, f.minute, f.second}));
    }
  }
}

TEST(RenameStatusPlan, AttributesAndTimesPerEntry) {
  struct Case {
    const char* what;
    int keep, ro, hid, sys, arc;
    bool dated;       // 2026-12-09 10:11:12 entered, else all six fields 0
    bool hasTime;
    std::uint8_t current;
    std::uint8_t first;
    bool second;
    unsigned given;
  } cases[] = {
      {"boxes decide", 0, 0, 1, 0, 0, true, true, 0x21, 0x02, false, kGiveLastWrite},
      {"read-only box ticked", 0, 1, 0, 0, 1, true, true, 0x20, 0x20, true, kGiveLastWrite},
      {"kept: read-only stays read-only", 1, 0, 0, 0, 0, true, true, 0x27, 0x26, true, kGiveLastWrite},
      {"kept: other bits untouched", 1, 1, 0, 0, 0, false, true, 0x22, 0x22, false, 0},
      {"batch: nothing entered, nothing changes", 1, 0, 0, 0, 0, false, true, 0x25, 0x24, true, 0},
      {"no time: all three times, one write", 0, 1, 0, 0, 1, true, false, 0x00, 0x21, false,
       kGiveCreation | kGiveAccess | kGiveLastWrite},
      {"no time, nothing entered", 1, 0, 0, 0, 0, false, false, 0x01, 0x01, false, 0},
  };
  for (const Case& c : cases) {
    RenameFields f;
    f.keepAttributes = c.keep, f.readOnly = c.ro, f.hidden = c.hid, f.system = c.sys, f.archive = c.arc;
    if (c.dated) f.year = 2026, f.month = 12, f.day = 9, f.hour = 10, f.minute = 11, f.second = 12;
    EntryStatus cur;
    cur.attributes = c.current;
    cur.mtime = 1000;
    const StatusWrite w = PlanStatusWrite(f, false, c.hasTime, cur);
    EXPECT_FALSE(w.skip) << c.what;
    EXPECT_EQ(c.first, w.attributes) << c.what;
    EXPECT_EQ(c.second, w.second) << c.what;
    EXPECT_EQ(c.given, w.timesGiven) << c.what;
    EXPECT_EQ(c.dated ? k20261209_101112 : 0, w.mtime) << c.what;
  }
  RenameFields f;
  f.year = 2026, f.month = 1, f.day = 1;
  EXPECT_TRUE(PlanStatusWrite(f, true, true, EntryStatus()).skip);  // folders are left alone
}

TEST(RenameStatusPlan, TheFailedDateGivesTheEpochToEveryLaterEntry) {
  RenameFields f;
  f.year = 2040, f.month = 1, f.day = 1;
  const StatusWrite a = PlanStatusWrite(f, false, true, EntryStatus());
  const StatusWrite b = PlanStatusWrite(f, false, true, EntryStatus());
  EXPECT_EQ(kEpochJst, a.mtime);
  EXPECT_EQ(kGiveLastWrite, a.timesGiven);  // set although it is 0
  EXPECT_EQ(kEpochJst, b.mtime);
  EXPECT_EQ(kGiveLastWrite, b.timesGiven);
}

TEST(RenameNames, KindOfTheTypedText) {
  struct Case {
    const char* typed;
    RenameMode mode;
  } cases[] = {
      {"@Enc", RenameMode::kEncipherAll},
      {"@Dec", RenameMode::kDecipherAll},
      {"secret@Enc.txt", RenameMode::kEncipherTo},
      {"@Enc.txt", RenameMode::kSingle},  // "@Enc" at the very start is no cipher form
      {":txt:bak", RenameMode::kPattern},
      {"/txt/bak", RenameMode::kPattern},
      {":txt/bak", RenameMode::kPattern},
      {"|m/x", RenameMode::kSingle},
      {"new.txt", RenameMode::kSingle},
      {"a:b", RenameMode::kSingle},
      {"******", RenameMode::kSingle},
      {"", RenameMode::kSingle},
  };
  for (const Case& c : cases) EXPECT_EQ(c.mode, ClassifyRenameName(c.typed)) << c.typed;
}

TEST(RenameNames, BatchStepsOfEachMode) {
  KeyCodeNameForms forms("1234");
  const std::string memo = crypto::CipherName("memo", 0, "1234").text;
  const std::string secret = crypto::CipherName("secret", 0, "1234").text;
  ASSERT_FALSE(memo.empty());
  const std::string hyo = "\x95\x5C";  // 表, its second byte is "\"
  const std::string longName(250, 'a');
  struct Case {
    RenameMode mode;
    std::string typed;
    std::string shown;
    bool act;
    std::string from, to;
  } cases[] = {
      {RenameMode::kPattern, ":txt:bak", "memo.txt", true, "memo.txt", "memo.bak"},
      {RenameMode::kPattern, "/txt/bak", "a.TXT", true, "a.TXT", "a.bak"},
      {RenameMode::kPattern, ":txt:bak", "memo.csv", false, "", ""},
      {RenameMode::kPattern, ":|m:M", "mam.txt", true, "mam.txt", "Mam.txt"},
      {RenameMode::kPattern, ":|m:M", "amm.txt", false, "", ""},
      {RenameMode::kPattern, ":*.txt:x.csv", "long name.txt", true, "long name.txt", "x.csv"},
      {RenameMode::kPattern, ":txt:" + std::string(20, 'z'), longName + ".txt", false, "", ""},
      {RenameMode::kPattern, ":" + hyo + ":" + "ura", hyo + ".txt", true, hyo + ".txt", "ura.txt"},
      {RenameMode::kPattern, ":txt:bak", "memo@Enc.txt", true, "#~$_" + memo + ".txt", "#~$_" + memo + ".bak"},
      {RenameMode::kEncipherAll, "@Enc", "memo.txt", true, "memo.txt", "#~$_" + memo + ".txt"},
      {RenameMode::kEncipherAll, "@Enc", "memo", true, "memo", "#~$_" + memo},
      {RenameMode::kEncipherAll, "@Enc", "memo@Enc.txt", false, "", ""},
      {RenameMode::kEncipherAll, "@Enc", "#~$_ZZZZ.txt", false, "", ""},
      {RenameMode::kEncipherAll, "@Enc", ".profile", false, "", ""},
      {RenameMode::kDecipherAll, "@Dec", "memo@Enc.txt", true, "#~$_" + memo + ".txt", "memo.txt"},
      {RenameMode::kDecipherAll, "@Dec", "memo.txt", false, "", ""},
      {RenameMode::kDecipherAll, "@Dec", "a@Encb.txt", false, "", ""},
      {RenameMode::kEncipherTo, "secret@Enc.doc", "memo.txt", true, "memo.txt", "#~$_" + secret + ".doc"},
      {RenameMode::kEncipherTo, "secret@Enc", "memo@Enc.txt", true, "#~$_" + memo + ".txt", "#~$_" + secret},
  };
  for (const Case& c : cases) {
    const BatchRename b = PlanBatchRename(c.mode, c.typed, c.shown, forms);
    EXPECT_EQ(c.act, b.act) << c.typed << " " << c.shown;
    EXPECT_EQ(c.from, b.from) << c.typed << " " << c.shown;
    EXPECT_EQ(c.to, b.to) << c.typed << " " << c.shown;
  }
  // The round trip: the enciphered name's shown form deciphers to the start.
  KeyCodeNameForms other("9999");
  EXPECT_FALSE(PlanBatchRename(RenameMode::kDecipherAll, "@Dec", "memo@Enc.txt", other).from ==
               "#~$_" + memo + ".txt");
}

TEST(RenameNames, PathsOfTheEntriesAndTheSingleTarget) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
    const char* single;
  } cases[] = {
      {"C:\\data", "a.txt", "C:\\data\\a.txt", "C:\\data\\a.txt"},
      {"C:", "a.txt", "C:\\a.txt", "C:\\a.txt"},
      {"C:\\", "a.txt", "C:\\a.txt", "C:\\a.txt"},
      {"C:\\\x95\x5C", "a", "C:\\\x95\x5C\\a", "C:\\\x95\x5C\\a"},  // 表 ends in the byte of "\"
      {"C:\\data", "D:\\x.txt", "C:\\data\\D:\\x.txt", "D:\\x.txt"},
      {"C:\\data", "sub\\b.txt", "C:\\data\\sub\\b.txt", "C:\\data\\sub\\b.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.joined, JoinEntryPath(c.folder, c.name)) << c.folder << " " << c.name;
    EXPECT_EQ(c.single, SingleRenameTarget(c.folder, c.name)) << c.folder << " " << c.name;
  }
}

#ifndef _WIN32  // Python reads the times back: native builds only
// The plans carried out on real files; the times read back by Python.
void WriteProgramFile(const CString& path, const char* bytes) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite);
  f.Write(bytes, 1);
}

std::int64_t PythonMtime(const CString& path) {
  const std::string cmd = "python3 -c 'import os,sys; print(int(os.stat(sys.argv[1]).st_mtime))' '" +
                          fw::ToPosixPath(path.GetString()) + "'";
  return std::stoll(testsupport::RunCapture(cmd));
}

TEST(RenameStatusWrite, BatchKeepsTimesAndReadOnlyAndTheEpochIsWritten) {
  if (!testsupport::HaveTool("python3")) GTEST_SKIP() << "python3 missing";
  testsupport::Scratch scratch;
  const CString a = scratch.Path("a \x95\x5C.txt"), b = scratch.Path("b.txt");
  WriteProgramFile(a, "a");
  WriteProgramFile(b, "b");
  for (const CString& p : {a, b}) {
    CFileStatus st;
    st.m_mtime = CTime(1600000000);
    st.m_attribute = p == a ? CFile::readOnly : 0;
    CFile::SetStatus(p, st);
  }
  // A batch as the dialog opens it: nothing entered, attributes kept.
  RenamePrefillInput in;
  in.markedCount = 2;
  RenameFields f = PrefillRenameFields(in);
  for (const CString& p : {a, b}) {
    EntryStatus cur;
    ASSERT_TRUE(ReadEntryStatus(p.Str(), &cur));
    WriteEntryStatus(p.Str(), PlanStatusWrite(f, false, true, cur));
  }
  EXPECT_EQ(1600000000, PythonMtime(a));
  EXPECT_EQ(1600000000, PythonMtime(b));
  EntryStatus st;
  ASSERT_TRUE(ReadEntryStatus(a.Str(), &st));
  EXPECT_EQ(CFile::readOnly, st.attributes & CFile::readOnly);
  ASSERT_TRUE(ReadEntryStatus(b.Str(), &st));
  EXPECT_EQ(0, st.attributes & CFile::readOnly);
  // A year of 2040 writes 1970-01-01 09:00:00 local, the epoch here.
  f.year = 2040, f.month = 1, f.day = 1;
  ASSERT_TRUE(ReadEntryStatus(a.Str(), &st));
  WriteEntryStatus(a.Str(), PlanStatusWrite(f, false, true, st));
  EXPECT_EQ(0, PythonMtime(a));
  ASSERT_TRUE(ReadEntryStatus(a.Str(), &st));
  EXPECT_EQ(CFile::readOnly, st.attributes & CFile::readOnly);
  // A refused status write is the framework's exception.
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kSetStatus, 1);
  EXPECT_THROW(WriteEntryStatus(b.Str(), PlanStatusWrite(f, false, true, st)), CFileException);
  fw::filetest::Reset();
  EXPECT_EQ(1600000000, PythonMtime(b));
}
#endif

}  // namespace
}  // namespace flist
