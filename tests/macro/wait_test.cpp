// The wait statements under the fixed clock: the plain waits and their
// fraction form, the file waits, "waitkey" with the key names, the timed
// resumes, the outside resume and the instance file of "waitprocess".
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "fw/clock.h"
#include "fw/datetime.h"
#include "fw/file.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_keynames.h"
#include "macro/macro_state.h"
#include "macro/macro_wait.h"
#include "run_fixture.h"
#include "support/temp_folder.h"
#include "test_host.h"

namespace {

using macro::Outcome;

constexpr std::uint32_t kTextLen = 4000;

// A host whose Esc poll answers Yes at its `escapeAt`-th call (0: never)
// and runs `onPoll` at every call.
class EscHost : public macrotest::TestHost {
 public:
  int polls = 0;
  int escapeAt = 0;
  std::function<void(int)> onPoll;
  bool CheckEscapeAbort() override {
    ++polls;
    if (onPoll) onPoll(polls);
    return escapeAt > 0 && polls >= escapeAt;
  }
};

struct WaitRig {
  testsupport::TempProgramFolder dir;
  macro::MacroState st;
  EscHost host;
  app::DocUpdateFields doc;
  std::uint64_t startTicks = 1000000;
  std::int64_t startSeconds = CTime(2026, 3, 10, 14, 0, 0).GetTime();
  WaitRig() {
    st.m_strMacroDir() = CString(dir.Path().c_str());
    st.m_nMacroPos = 100;
    fw::clocktest::Fix(startSeconds, startTicks);
  }
  ~WaitRig() { fw::clocktest::Release(); }
  Outcome Run(const std::string& command, std::int32_t n, const std::string& operand = std::string()) {
    st.m_strStmtCommand = CString(command.c_str());
    st.m_strStmtOperand = CString(operand.c_str());
    st.m_anStmtNumbers[0] = n;
    return macro::MacroRunWait(st, host, doc, kTextLen);
  }
  std::uint64_t ElapsedMs() const { return fw::TickCount() - startTicks; }
  std::int64_t ElapsedSeconds() const { return fw::CurrentTime() - startSeconds; }
};

void WriteFile(const std::string& path, std::int64_t mtime) {
  std::ofstream(path, std::ios::binary) << "data";
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
  status.m_mtime = CTime(mtime);
  CFile::SetStatus(path.c_str(), status);
}

TEST(WaitTime, PlainWaitsAndTheirFractionForm) {
  struct Case {
    const char* command;
    std::int32_t n;
    bool calendar;
    std::int64_t ms, seconds;
  } const cases[] = {
      {"W", -1, false, 10000, 0},   {"W", 0, false, 10000, 0},     {"W5", 5, false, 5000, 0},
      {"W500m", 500, false, 500, 0}, {"W599", 599, false, 599000, 0}, {"W600m", 600, true, 0, 600},
      {"W900", 900, true, 0, 900},  {"Wx7", 7, false, 7000, 0},     {"W0.5", 0, false, 500, 0},
      {"W0.25", 0, false, 250, 0},  {"W0.125", 0, false, 125, 0},   {"W0.1234", 0, false, 123, 0},
      {"W0.05", 0, false, 50, 0},   {"W0.", 0, false, 0, 0},        {"Wx0.3", 0, false, 300, 0},
      {"W0.5m", 0, false, 500, 0},
  };
  for (const Case& c : cases) {
    const macro::WaitTime t = macro::MacroReadWaitTime(CString(c.command), c.n);
    EXPECT_EQ(t.calendar, c.calendar) << c.command;
    EXPECT_EQ(t.plainMs, c.ms) << c.command;
    EXPECT_EQ(t.seconds, c.seconds) << c.command;
  }
  // Timed resumes: N seconds, 100 ms without a number, tenths in the fraction form.
  EXPECT_EQ(macro::MacroReadWaitTime(CString("Wd5"), 5).resumeMs, 5000);
  EXPECT_EQ(macro::MacroReadWaitTime(CString("Wd"), -1).resumeMs, 100);
  EXPECT_EQ(macro::MacroReadWaitTime(CString("Wd0.3"), 0).resumeMs, 300);
  EXPECT_TRUE(macro::MacroReadWaitTime(CString("Wd0.3"), 0).fraction);
  EXPECT_EQ(macro::MacroReadWaitTime(CString("Wd0.0"), 0).resumeMs, 100);
  EXPECT_EQ(macro::MacroReadWaitTime(CString("Wd9999999"), 9999999).resumeMs, 2147483647);
}

TEST(WaitStatement, PlainWaitsTakeTheirTimeOnTheFixedClock) {
  struct Case {
    const char* command;
    std::int32_t n;
    std::uint64_t ms;
  } const cases[] = {
      {"W", -1, 10000}, {"W5", 5, 5000}, {"W500m", 500, 500}, {"W600m", 600, 600000}, {"W0.5", 0, 500},
  };
  for (const Case& c : cases) {
    WaitRig rig;
    EXPECT_EQ(rig.Run(c.command, c.n), Outcome::kNext) << c.command;
    EXPECT_EQ(rig.ElapsedMs(), c.ms) << c.command;
    EXPECT_EQ(rig.st.m_nMacroPos, 100u) << c.command;
  }
}

TEST(WaitStatement, EscAnsweredYesEndsEveryBusyWaitAndTheRun) {
  struct Case {
    const char* command;
    std::int32_t n;
    const char* operand;
  } const cases[] = {
      {"W", -1, ""}, {"W30", 30, ""}, {"W900", 900, ""}, {"Wf", 20, "none.txt"},
      {"Wn", 20, "here.txt"}, {"Wu", 20, "here.txt"},
  };
  for (const Case& c : cases) {
    WaitRig rig;
    WriteFile(rig.dir.File("here.txt"), rig.startSeconds - 5);
    rig.st.m_tMacroRefTime = rig.startSeconds;
    rig.host.escapeAt = 2;
    EXPECT_EQ(rig.Run(c.command, c.n, c.operand), Outcome::kNext) << c.command;
    EXPECT_EQ(rig.st.m_nMacroPos, kTextLen) << c.command;
    EXPECT_EQ(rig.host.polls, 2) << c.command;
  }
}

TEST(WaitStatement, WaitFileTakesARecentFileAtOnceAnOlderOneNever) {
  {
    WaitRig rig;
    WriteFile(rig.dir.File("new.txt"), rig.startSeconds - 10);
    rig.Run("Wf", 5, "new.txt");
    EXPECT_EQ(rig.ElapsedMs(), 1000u);
  }
  {
    WaitRig rig;
    WriteFile(rig.dir.File("old.txt"), rig.startSeconds - 40);
    rig.Run("Wf", 5, "old.txt");
    EXPECT_EQ(rig.ElapsedMs(), 5000u);
  }
  {
    // Without a number: 60 looks at a file that never comes.
    WaitRig rig;
    EXPECT_EQ(rig.Run("Wf", -1, "never.txt"), Outcome::kNext);
    EXPECT_EQ(rig.ElapsedMs(), 60000u);
  }
  {
    // Written by another program during the wait.
    WaitRig rig;
    rig.host.onPoll = [&rig](int k) {
      if (k == 3) WriteFile(rig.dir.File("late.txt"), fw::CurrentTime());
    };
    rig.Run("WF", 10, "late.txt");
    EXPECT_EQ(rig.ElapsedMs(), 3000u);
  }
}

TEST(WaitStatement, WaitFileAcrossMidnightAndNotAFileOfAnEarlierDay) {
  const std::int64_t midnight = CTime(2026, 3, 10, 0, 0, 0).GetTime();
  {
    WaitRig rig;
    fw::clocktest::Fix(midnight + 10, rig.startTicks);
    WriteFile(rig.dir.File("eve.txt"), midnight - 10);  // 23:59:50
    rig.Run("Wf", 5, "eve.txt");
    EXPECT_EQ(rig.ElapsedMs(), 1000u);
  }
  {
    // Written yesterday a little later in the day than the wait begins:
    // a whole day old, so the wait runs out.
    WaitRig rig;
    WriteFile(rig.dir.File("yesterday.txt"), rig.startSeconds - 86400 + 20);
    rig.Run("Wf", 4, "yesterday.txt");
    EXPECT_EQ(rig.ElapsedMs(), 4000u);
  }
}

TEST(WaitStatement, WaitNoFileEndsWhenTheFileGoes) {
  WaitRig rig;
  const std::string file = rig.dir.File("busy.txt");
  WriteFile(file, rig.startSeconds);
  rig.host.onPoll = [&file](int k) {
    if (k == 3) CFile::Remove(file.c_str());
  };
  EXPECT_EQ(rig.Run("Wn", 10, "busy.txt"), Outcome::kNext);
  EXPECT_EQ(rig.ElapsedMs(), 3000u);
  EXPECT_EQ(rig.st.m_nMacroPos, 100u);
}

TEST(WaitStatement, WaitUpdateAgainstTheReferenceTimeOfASave) {
  WaitRig rig;
  const std::string file = rig.dir.File("out.csv");
  WriteFile(file, rig.startSeconds - 100);
  // The save statement's common entry notes the file's time.
  rig.st.m_strStmtOperand = "out.csv";
  macro::FileEntryRequest req;
  req.code = 'S';
  CString path, key;
  ASSERT_EQ(macro::MacroFileEntry(rig.st, rig.host, req, &path, &key), macro::FileEntryResult::kGo);
  ASSERT_EQ(rig.st.m_tMacroRefTime, rig.startSeconds - 100);
  // Three seconds newer is not enough; four is.
  rig.host.onPoll = [&](int k) {
    if (k == 2) WriteFile(file, rig.startSeconds - 97);
    if (k == 4) WriteFile(file, rig.startSeconds - 96);
  };
  rig.Run("Wu", 10, "out.csv");
  EXPECT_EQ(rig.ElapsedMs(), 4000u);
  EXPECT_TRUE(macro::MacroFileWaitDone('U', true, 104, 0, 100));
  EXPECT_FALSE(macro::MacroFileWaitDone('u', true, 103, 0, 100));
  EXPECT_FALSE(macro::MacroFileWaitDone('u', false, 200, 0, 100));
}

// Key names transcribed from the table of the statement by hand.
std::string ExpectedKeyName(int code) {
  if (code == 0) return "";
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return std::string(1, static_cast<char>(code));
  if (code >= 0x70 && code <= 0x7C) return "F" + std::to_string(code - 0x6F);
  switch (code) {
    case 0x08: return "BS";
    case 0x09: return "TAB";
    case 0x0D: return "ENTR";
    case 0x20: return "SP";
    case 0x10: return "SHIFT";
    case 0x11: return "CTRL";
    case 0x12: return "ALT";
    case 0x1B: return "ESC";
    case 0x21: return "PGUP";
    case 0x22: return "PGDN";
    case 0x23: return "END";
    case 0x24: return "HOME";
    case 0x25: return "LEFT";
    case 0x27: return "RIGHT";
    case 0x26: return "UP";
    case 0x28: return "DOWN";
    case 0x2D: return "INS";
    case 0x2E: return "DEL";
    case 0x90: return "NUM";
    case 0x13: return "BRK";
    case 0xBA: return ":";
    case 0xBB: return ";";
    case 0xBC: return ",";
    case 0xBD: return "-";
    case 0xBE: return ".";
    case 0xBF: return "/";
    case 0xC0: return "@";
    case 0xDE: return "^";
    case 0xDB: return "[";
    case 0xDC: return "\\";
    case 0xDD: return "]";
    default: return code >= 10 ? std::to_string(code) : "K" + std::to_string(code);
  }
}

TEST(KeyNames, EveryCodeAgainstTheTable) {
  for (int code = 0; code < 256; ++code)
    EXPECT_EQ(std::string(macro::MacroKeyName(code)), ExpectedKeyName(code)) << code;
  EXPECT_EQ(std::string(macro::MacroKeyName(0x60)), "96");
  EXPECT_EQ(std::string(macro::MacroKeyName(5)), "K5");
  EXPECT_EQ(std::string(macro::MacroKeyName(0x74)), "F5");
  EXPECT_EQ(std::string(macro::MacroKeyName(0x7C)), "F13");
  EXPECT_EQ(std::string(macro::MacroKeyName(0x7D)), "125");
}

TEST(WaitStatement, WaitKeyDiscardsOnePendingKeyThenStoresTheNextKeysName) {
  {
    WaitRig rig;
    rig.host.keysAt = {{0, 'A'}, {rig.startTicks + 2000, 0x74}};
    rig.Run("Wk", 3);
    EXPECT_EQ(std::string(rig.st.m_strMacroVars[152]), "F5");
    EXPECT_GE(rig.ElapsedMs(), 2000u);
    EXPECT_LT(rig.ElapsedMs(), 2100u);
  }
  {
    WaitRig rig;
    rig.host.keysAt = {{0, 0x10}, {0, 0x60}};
    rig.Run("Wk", 3);
    EXPECT_EQ(std::string(rig.st.m_strMacroVars[152]), "96");
  }
  {
    // No key: the empty text once three calendar seconds have passed.
    WaitRig rig;
    rig.st.m_strMacroVars[152] = "old";
    rig.Run("Wk", 3);
    EXPECT_EQ(std::string(rig.st.m_strMacroVars[152]), "");
    EXPECT_GE(rig.ElapsedSeconds(), 3);
    EXPECT_LT(rig.ElapsedSeconds(), 4);
    // The pending key is discarded even when it is the only one.
    rig.host.keysAt = {{0, 'Q'}};
    rig.Run("Wk", 1);
    EXPECT_EQ(std::string(rig.st.m_strMacroVars[152]), "");
  }
}

TEST(WaitStatement, TimedResumesArmTimer25AndPause) {
  {
    WaitRig rig;
    EXPECT_EQ(rig.Run("Wd", 4), Outcome::kPause);
    EXPECT_EQ(std::string(rig.st.m_strLastResult()), "@OVER");
    EXPECT_EQ(rig.host.resumeArms, std::vector<int>{4000});
    EXPECT_EQ(rig.st.m_nMacroWaitTicks, 0);
    EXPECT_EQ(rig.ElapsedMs(), 0u);
  }
  {
    WaitRig rig;
    EXPECT_EQ(rig.Run("Wp", 2), Outcome::kPause);
    EXPECT_EQ(std::string(rig.st.m_strLastResult()), "");
    EXPECT_EQ(rig.host.resumeArms, std::vector<int>{2000});
  }
  {
    // 'P' with this copy's mark: ticks of a second up to the delay.
    WaitRig rig;
    rig.st.m_nMacroInstanceMark = 3;
    EXPECT_EQ(rig.Run("WP", 5), Outcome::kPause);
    EXPECT_EQ(rig.st.m_nMacroWaitTicks, 5);
    EXPECT_EQ(rig.host.resumeArms, std::vector<int>{1000});
  }
  {
    // Without a mark 'P' is a plain timed resume.
    WaitRig rig;
    EXPECT_EQ(rig.Run("WP", 5), Outcome::kPause);
    EXPECT_EQ(rig.st.m_nMacroWaitTicks, 0);
    EXPECT_EQ(rig.host.resumeArms, std::vector<int>{5000});
  }
  {
    WaitRig rig;
    EXPECT_EQ(rig.Run("WD", -1), Outcome::kPause);
    EXPECT_EQ(rig.host.resumeArms, std::vector<int>{100});
    EXPECT_EQ(rig.Run("Wd0.3", 0), Outcome::kPause);
    EXPECT_EQ(rig.host.resumeArms.back(), 300);
    EXPECT_EQ(rig.Run("Wp0.2", 0), Outcome::kPause);
    EXPECT_EQ(rig.host.resumeArms.back(), 200);
  }
}

TEST(WaitStatement, OutsideResumeKeepsThePlaceInTheDocument) {
  WaitRig rig;
  rig.st.m_nCmdLineNo = 7;
  EXPECT_EQ(rig.Run("Wm", -1), Outcome::kPause);
  EXPECT_EQ(rig.doc.m_nMacroStopPos, 100);
  EXPECT_EQ(rig.doc.m_nMacroStopLine, 7);
  EXPECT_TRUE(rig.host.resumeArms.empty());
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(InstanceMarks, RemovalShiftsBothListsFromTheSameIndex) {
  std::vector<std::uint8_t> head(256, 0);
  const std::uint8_t marks[] = {1, 2, 3, 4};
  for (int i = 0; i < 4; ++i) head[i] = head[128 + i] = marks[i];
  head[127] = 9;
  head[255] = 9;
  EXPECT_TRUE(macro::MacroRemoveInstanceMark(head.data(), head.size(), 2));
  EXPECT_EQ(head[0], 1);
  EXPECT_EQ(head[1], 3);
  EXPECT_EQ(head[2], 4);
  EXPECT_EQ(head[3], 0);
  EXPECT_EQ(head[126], 9);
  EXPECT_EQ(head[127], 0);
  EXPECT_EQ(head[129], 3);
  EXPECT_EQ(head[130], 4);
  EXPECT_EQ(head[254], 9);
  EXPECT_EQ(head[255], 0);
  const std::vector<std::uint8_t> before = head;
  EXPECT_FALSE(macro::MacroRemoveInstanceMark(head.data(), head.size(), 7));
  EXPECT_FALSE(macro::MacroRemoveInstanceMark(head.data(), head.size(), 0));
  EXPECT_EQ(head, before);
  // A head of 130 bytes: the second list is edited only as far as it goes.
  std::vector<std::uint8_t> shortHead(130, 0);
  shortHead[0] = 5;
  shortHead[1] = 6;
  shortHead[128] = 5;
  shortHead[129] = 6;
  EXPECT_TRUE(macro::MacroRemoveInstanceMark(shortHead.data(), shortHead.size(), 5));
  EXPECT_EQ(shortHead[0], 6);
  EXPECT_EQ(shortHead[128], 6);
  EXPECT_EQ(shortHead[129], 0);
}

TEST(WaitStatement, WaitProcessWithoutANumberTakesTheMarkOutOfTheInstanceFile) {
  WaitRig rig;
  const std::string file = rig.dir.File("tabrymacro.tmp");
  // Nothing happens without the file.
  rig.st.m_nMacroInstanceMark = 2;
  EXPECT_EQ(rig.Run("Wp", -1), Outcome::kNext);
  CFileStatus none;
  EXPECT_FALSE(CFile::GetStatus(file.c_str(), none));
  std::string image(25600, '\0');
  image[0] = image[128] = 1;
  image[1] = image[129] = 2;
  image[2] = image[130] = 3;
  image[512] = 'x';
  std::ofstream(file, std::ios::binary) << image;
  EXPECT_EQ(rig.Run("WP", 0), Outcome::kNext);
  std::string want = image;
  want[1] = want[129] = 3;
  want[2] = want[130] = 0;
  EXPECT_EQ(ReadAll(file), want);
  EXPECT_TRUE(rig.host.resumeArms.empty());
  // A file shorter than its head stays as long as it was.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string("\x01\x03", 2);
  rig.st.m_nMacroInstanceMark = 1;
  rig.Run("Wp", -1);
  EXPECT_EQ(ReadAll(file), std::string("\x03\x00", 2));
}

// Whole runs: the statement's class runs the wait, and a timed resume
// pauses the run.
class ArmHost : public macrotest::FakeRunHost {
 public:
  std::vector<int> arms;
  void ArmMacroResume(int ms) override { arms.push_back(ms); }
};

class WaitRun : public macrotest::RunFixture<ArmHost> {
 protected:
  void SetUp() override { fw::clocktest::Fix(CTime(2026, 3, 10, 14, 0, 0).GetTime(), 5000); }
  void TearDown() override { fw::clocktest::Release(); }
};

TEST_F(WaitRun, WaitDispPausesTheRunWithOverInE) {
  EXPECT_EQ(macro::kRunPaused, RunDocument("\twaitdisp5\t\r\n\tdefine\tq=1\r\n"));
  EXPECT_EQ(Var(146), "@OVER");
  EXPECT_EQ(host.arms, std::vector<int>{5000});
  EXPECT_GT(st->m_nMacroResumePos, 0);
  EXPECT_EQ(Var(180), "");
}

TEST_F(WaitRun, PlainWaitRunsOnAfterItsTime) {
  EXPECT_EQ(macro::kRunEnded, RunDocument("\twait3\t\r\n\tdefine\tq=1\r\n"));
  EXPECT_EQ(fw::TickCount(), 5000u + 3000u);
  EXPECT_EQ(Var(180), "1");
  EXPECT_TRUE(host.reports.empty());
}

}  // namespace

namespace {

TEST_F(WaitRun, EscDuringTheWaitEndsTheRunAfterTheStatement) {
  host.statusLimit = 0;  // the first Esc poll answers Yes
  EXPECT_EQ(macro::kRunEnded, RunDocument("\twait5\t\r\n\tdefine\tq=1\r\n"));
  EXPECT_EQ(fw::TickCount(), 5000u + 1000u);
  EXPECT_EQ(Var(180), "");
}

}  // namespace
