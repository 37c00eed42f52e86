// Stops of whole runs: step mode, the break statements, '#' breakpoints in
// debug mode, the pause and its resume; and the resume timer's tick.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_resume.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro/macro_stop.h"
#include "run_fixture.h"

namespace {

class MacroStop : public macrotest::RunFixture<> {
 protected:
  MacroStop() : RunFixture(98) {}
  // The document's text run again (a paused run resumes).
  int Run() { return macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m"); }
  // The value of a declared variable, "" when it was never declared.
  std::string Declared(const char* name) const {
    const std::string table(st->m_abMacroNameTable);
    const std::string key = std::string(":") + name + ";";
    const std::size_t at = table.find(key);
    if (at == std::string::npos) return "";
    std::size_t from = table.rfind(';', at);
    from = from == std::string::npos ? 0 : from + 1;
    return st->m_strMacroVars[std::stoi(table.substr(from, at - from))].GetString();
  }
  static bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  }
};

constexpr char kStepMacro[] =
    "\tdefine\tone=1\r\n"
    "\t8\r\n"
    "\tdefine\ttwo=2\r\n"
    "\tdefine\tthree=3\r\n"
    "\tdefine\tfour=4\r\n"
    "\tdefine\tfive=5\r\n";

TEST_F(MacroStop, StepModeStopsAfterEveryLaterStatementUntilCancel) {
  fileKind = 9;
  host.stopAnswers = {macro::kStopDialogOk, macro::kStopDialogOk, macro::kStopDialogOk, 2};
  EXPECT_EQ(macro::kRunEnded, RunDocument(kStepMacro));
  ASSERT_EQ(4u, host.stops.size());
  for (const auto& s : host.stops) {
    EXPECT_EQ("twDV5:Brake stop (BK,9,8)", s.options);
    EXPECT_EQ(300, s.height);
    EXPECT_EQ(500, s.width);
    EXPECT_TRUE(EndsWith(s.dump, "\r\n  : Step mode ON")) << s.dump;
  }
  // The "8" itself stops first, then each statement after it.
  EXPECT_EQ(0u, host.stops[0].dump.find("  -1 : define\tone=1\r\n  +0 : 8\t\r\n"));
  // A TAB before the command is no blank of its indentation.
  EXPECT_EQ("\r\n  cmnd line = 2\r\n  dwn space = 0 / 0", host.stops[0].lineText);
  EXPECT_EQ(0u, host.stops[3].dump.find("  -1 : define\tthree=3\r\n  +0 : define\tfour=4\r\n"));
  EXPECT_NE(std::string::npos, host.stops[3].dump.find("(four)\t\t=  4"));
  // Cancel ended the run after "four"; "five" never ran.
  EXPECT_EQ("4", Declared("four"));
  EXPECT_EQ("", Declared("five"));
  EXPECT_EQ(1u, doc->m_bMacroStepMode);
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(MacroStop, BreakStatementsOutsideDebugMode) {
  struct Case {
    const char* macro;
    std::size_t stops;
    const char* variables;  // the variables part of the first dump
  } cases[] = {
      {"\tBK\r\n\tdefine\tx=1\r\n", 0, ""},
      {"\tdefine\tx=1\r\n\t9\r\n", 1, ""},
      // A watch list writes an empty slot too.
      {"\tdefine\tx=1\r\n\t9 A\r\n", 1, "\r\n     A\t\t\t=  "},
      // '*' after the first character: the full list.
      {"\tdefine\tx=1\r\n\t7*\r\n", 1, "\r\n     L(line  title)\t=  1\r\n   180(x)\t\t=  1"},
  };
  for (const Case& c : cases) {
    host.stops.clear();
    host.stopCount = 0;
    st = std::make_unique<macro::MacroState>();
    macro::MacroRunContext r{*st,  host, table, *doc, *doc, *doc, *doc, *doc,
                             {&fileKind, &sourceView, &editMode, &sortFlags}};
    SetDocumentText(c.macro);
    EXPECT_EQ(macro::kRunEnded, macro::RunMacro(r, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m")) << c.macro;
    ASSERT_EQ(c.stops, host.stops.size()) << c.macro;
    EXPECT_EQ("macro end   total replace = 0", host.status.back());
    if (c.stops == 0) continue;
    const std::string& d = host.stops[0].dump;
    const std::size_t from = d.find("  variables") + std::strlen("  variables");
    std::string vars = d.substr(from, d.find("\r\n\r\n  constants") - from);
    // A full list ends with the run's own slots.
    const std::size_t runSlots = vars.find("\r\n     e(eror flag)");
    if (runSlots != std::string::npos) vars.resize(runSlots);
    EXPECT_EQ(c.variables, vars) << c.macro;
  }
}

TEST_F(MacroStop, BreakInDebugModePausesWithAnEmptyWatchList) {
  doc->m_nMacroDebugMode = 1;
  const std::string macro = "\tdefine\tx=1\r\n\tBK\r\n\tdefine\ty=2\r\n";
  EXPECT_EQ(macro::kRunPaused, RunDocument(macro));
  EXPECT_TRUE(host.stops.empty());
  ASSERT_EQ(1u, host.shown.size());
  EXPECT_EQ(2, host.shown[0].first);
  EXPECT_NE(std::string::npos, host.shown[0].second.find("  variables\r\n\r\n  constants\r\n"));
  const std::int32_t next = static_cast<std::int32_t>(macro.find("\r\n\tdefine\ty"));
  EXPECT_EQ(next, doc->m_nMacroStopPos);
  EXPECT_EQ(next, st->m_nMacroResumePos);
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  EXPECT_EQ(99, doc->m_nLoadState);
  EXPECT_EQ("", Declared("y"));
  // Resumed, it runs to its end.
  doc->m_nLoadState = 0;
  EXPECT_EQ(macro::kRunEnded, Run());
  EXPECT_EQ("2", Declared("y"));
  EXPECT_EQ("1", Declared("x"));
  EXPECT_EQ("macro end   total replace = 0", host.status.back());
}

TEST_F(MacroStop, BreakpointMarksStopBeforeTheirStatementInDebugMode) {
  doc->m_nMacroDebugMode = 1;
  const std::string macro =
      "\tdefine\ta=1\r\n"
      "#\tdefine\tb=2\r\n"
      "\tdefine\tc=3\r\n"
      "#\tdefine\td=4\r\n";
  EXPECT_EQ(macro::kRunPaused, RunDocument(macro));
  ASSERT_EQ(1u, host.shown.size());
  EXPECT_EQ(2, host.shown[0].first);
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  EXPECT_EQ(static_cast<std::int32_t>(macro.find("#\tdefine\tb")) + 1, doc->m_nMacroStopPos);
  // The marked statement has not run; the full list shows what has.
  EXPECT_EQ("", Declared("b"));
  EXPECT_NE(std::string::npos, host.shown[0].second.find("   180(a)\t\t=  1"));
  EXPECT_NE(std::string::npos, host.shown[0].second.find("\r\n  cmnd line = 2\r\n"));

  EXPECT_EQ(macro::kRunPaused, Run());
  ASSERT_EQ(2u, host.shown.size());
  EXPECT_EQ(4, host.shown[1].first);
  EXPECT_EQ("2", Declared("b"));
  EXPECT_EQ("3", Declared("c"));
  EXPECT_EQ("", Declared("d"));

  EXPECT_EQ(macro::kRunEnded, Run());
  EXPECT_EQ("4", Declared("d"));
  EXPECT_EQ("macro end   total replace = 0", host.status.back());
  // Outside debug mode the marks are passed over.
  doc->m_nMacroDebugMode = 0;
  host.shown.clear();
  EXPECT_EQ(macro::kRunEnded, Run());
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(MacroStop, StepModeInDebugModePausesAfterEachStatement) {
  doc->m_nMacroDebugMode = 1;
  const std::string macro = "\t8\r\n\tdefine\ta=1\r\n";
  EXPECT_EQ(macro::kRunPaused, RunDocument(macro));
  // The stop line of step mode is the next statement's.
  EXPECT_EQ(1, host.shown[0].first);
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  EXPECT_EQ(macro::kRunPaused, Run());
  EXPECT_EQ("1", Declared("a"));
}

// The resume timer with an instance file the test holds and a clock that is
// the test's count of ticks.
class ResumeTimer : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::vector<unsigned char> file;  // the instance file; empty with `missing`
  bool missing = false;
  int reads = 0;
  macro::InstanceFileReader reader = [this](unsigned char* buf, int size) {
    ++reads;
    if (missing) return -1;
    const int n = std::min<int>(size, static_cast<int>(file.size()));
    std::memcpy(buf, file.data(), static_cast<std::size_t>(n));
    return n;
  };
  void Paused(int ticks, unsigned char mark) {
    st->m_nMacroResumePos = 40;
    st->m_nMacroWaitTicks = ticks;
    st->m_nMacroInstanceMark = mark;
    file.assign(25600, 0);
  }
  // Ticks until the run resumes; -1 when it has not after `most`.
  int TicksToResume(int most) {
    for (int t = 1; t <= most; ++t) {
      const macro::ResumeTick k = macro::MacroResumeTick(*st, reader);
      if (k == macro::ResumeTick::kResume) return t;
      EXPECT_EQ(macro::ResumeTick::kRearmWait, k);
    }
    return -1;
  }
};

TEST_F(ResumeTimer, AMarkInTheSecondListWaitsOneTickPerSecond) {
  for (int at : {128, 200, 254}) {
    Paused(5, 7);
    file[static_cast<std::size_t>(at)] = 7;
    EXPECT_EQ(5, TicksToResume(10)) << at;
  }
}

TEST_F(ResumeTimer, AMarkGoneOrOutsideTheListResumesAtOnce) {
  Paused(5, 7);
  EXPECT_EQ(1, TicksToResume(10));
  Paused(5, 7);
  file[127] = 7;  // the first list
  file[255] = 7;  // past the second
  EXPECT_EQ(1, TicksToResume(10));
}

TEST_F(ResumeTimer, AMissingOrShortFileKeepsTheCount) {
  Paused(4, 7);
  missing = true;
  EXPECT_EQ(4, TicksToResume(10));
  missing = false;
  Paused(4, 7);
  file.assign(200, 0);  // holds only part of the second list
  EXPECT_EQ(4, TicksToResume(10));
  EXPECT_GT(reads, 0);
}

TEST_F(ResumeTimer, APlainTimedPauseResumesOnTheFirstTick) {
  Paused(0, 7);
  EXPECT_EQ(1, TicksToResume(1));
  EXPECT_EQ(0, reads);
}

TEST_F(ResumeTimer, NothingPausedStartsNothingAndABusyRunWaits) {
  Paused(0, 7);
  st->m_nMacroResumePos = 0;
  EXPECT_EQ(macro::ResumeTick::kNothing, macro::MacroResumeTick(*st, reader));
  st->m_nMacroResumePos = 40;
  st->m_bMacroRunActive = 1;
  EXPECT_EQ(macro::ResumeTick::kRearmBusy, macro::MacroResumeTick(*st, reader));
  st->m_bMacroRunActive = 0;
  EXPECT_EQ(macro::ResumeTick::kResume, macro::MacroResumeTick(*st, reader));
}

TEST(DebugPane, ThePaneOfTheRunAndTheFlipBack) {
  struct Case {
    int pane, split, col1, col2, row, col;
  } cases[] = {
      {1, 9, 0, 0, 0, 0}, {2, 9, 0, 0, 1, 0}, {2, 9, 1, 0, 1, 0}, {3, 9, 0, 1, 0, 1},
      {1, 2, 0, 1, 1, 1}, {2, 2, 0, 1, 0, 0}, {4, 2, 0, 1, 0, 1}, {4, 1, 1, 0, 1, 1},
  };
  for (const Case& c : cases) {
    const macro::PaneCell p = macro::MacroDebugRunPane(c.pane, c.split, c.col1, c.col2);
    EXPECT_EQ(c.row, p.row) << c.pane << "/" << c.split;
    EXPECT_EQ(c.col, p.col) << c.pane << "/" << c.split;
    const macro::PaneCell f = macro::MacroDebugFlipPane(p, c.split);
    EXPECT_EQ(c.split == 2 ? 1 - p.row : p.row, f.row);
    EXPECT_EQ(c.split == 2 ? p.col : 1 - p.col, f.col);
  }
  struct Split {
    int in, out;
    bool changed;
  } splits[] = {{1, 1, false}, {2, 2, false}, {9, 9, false}, {3, 9, true}, {0, 10, true}, {5, 10, true}};
  for (const Split& s : splits) {
    bool changed = !s.changed;
    EXPECT_EQ(s.out, macro::MacroDebugSplitMode(s.in, &changed));
    EXPECT_EQ(s.changed, changed);
  }
}

}  // namespace

namespace {

// A mark on a loop's head stops each time the loop comes back to it; one
// after the loop stops once the loop is left.
TEST_F(MacroStop, AMarkOnALoopHeadStopsOnEveryPass) {
  doc->m_nMacroDebugMode = 1;
  const std::string macro =
      "\tdefine\tt\r\n"
      "#\tdo\r\n"
      "\t  [t]++\r\n"
      "\t  if:[t]==2\r\n"
      "\t    outloop\r\n"
      "\tloop\r\n"
      "#\tdefine\tafter=1\r\n";
  EXPECT_EQ(macro::kRunPaused, RunDocument(macro));
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  EXPECT_EQ(macro::kRunPaused, Run());
  EXPECT_EQ("1", Declared("t"));
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  EXPECT_EQ(macro::kRunPaused, Run());
  EXPECT_EQ("2", Declared("t"));
  EXPECT_EQ(7, doc->m_nMacroStopLine);
  EXPECT_EQ(macro::kRunEnded, Run());
  EXPECT_EQ("1", Declared("after"));
}

}  // namespace
