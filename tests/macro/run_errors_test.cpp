// The run-error table: every entry's text, how it is shown and where the run
// goes, the texts built from the statement, and raising through a host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/strtable.h"
#include "macro/macro_run_errors.h"
#include "test_host.h"

namespace {

using macro::Outcome;
using macro::RunError;
using macro::RunErrorExit;
using macro::RunErrorShow;

const char kMemory152[] = "メモリーが足りません\r\n";

// Records the code and the pane of every message as well.
class RecordingHost : public macrotest::TestHost {
 public:
  std::vector<int> codes;
  std::vector<std::string> panes;
  int ReportMessage(int code, const CString& text) override {
    codes.push_back(code);
    return TestHost::ReportMessage(code, text);
  }
  void SetStatusText(int pane, const CString& text) override {
    panes.push_back(std::to_string(pane) + ":" + text.GetString());
  }
};

std::string Text(RunError id, const macro::RunErrorArgs& args = macro::RunErrorArgs()) {
  return macro::MacroRunErrorText(id, args).GetString();
}

struct Expected {
  RunError id;
  const char* text;  // nullptr: built from args (tested apart)
  int code;
  RunErrorShow show;
  RunErrorExit exit;
};

TEST(RunErrors, EveryEntry) {
  using S = RunErrorShow;
  using X = RunErrorExit;
  const std::string m152 = kMemory152;
  const Expected all[] = {
      {RunError::kTitleEror, "Title Eror", 0, S::kStatusPane, X::kCommon},
      {RunError::kNeedsAmpersand, "Eror : needs '&' before[ ]", 0, S::kBox, X::kCommon},
      {RunError::kPaneTextMemory, "memory eror (&Ma) 034", 0, S::kBox, X::kGoesOn},
      {RunError::kOverCallStack, "Over call stack Eror", 2, S::kReport, X::kCommon},
      {RunError::kOverParameterStack, "Over parameter stack Eror", 2, S::kReport, X::kCommon},
      {RunError::kOverDefineFunction, "Over define function Eror   ", 2, S::kReport, X::kCommon},
      {RunError::kDefineVariables, "Define variables Eror   ", 2, S::kReport, X::kCommon},
      {RunError::kOverDefineVariables, "Over define variables Eror   ", 2, S::kReport, X::kCommon},
      {RunError::kUnknownCommand, nullptr, 2, S::kReport, X::kCommon},
      {RunError::kNotAvailableYet, nullptr, 2, S::kReport, X::kCommon},
      {RunError::kMmapSizeCheck, "mmapfile size check eror", 2, S::kReport, X::kCommon},
      {RunError::kMmapReadMemory, "mmapfile read memory eror 129", 2, S::kReport, X::kCommon},
      {RunError::kMmapRead, "mmapfile read eror", 2, S::kReport, X::kCommon},
      {RunError::kMmapDelete, "mmapfile delete eror", 2, S::kReport, X::kCommon},
      {RunError::kMmapVolumeOver, nullptr, 0, S::kBox, X::kCommon},
      {RunError::kMmapSave, "mmapfile save eror", 2, S::kReport, X::kCommon},
      {RunError::kTooManyMatchings, "Too many matchings", 2, S::kReport, X::kCommon},
      {RunError::kSilent, "", 0, S::kNothing, X::kCommon},
      {RunError::kNoData, "No Data Eror", 0, S::kBox, X::kCommon},
      {RunError::kCopyMemory059, nullptr, 0, S::kBox, X::kAtOnce},
      {RunError::kCopyMemory060, nullptr, 0, S::kBox, X::kAtOnce},
      {RunError::kCopyMemory, nullptr, 0, S::kBox, X::kCommon},
      {RunError::kMemory115, "", 115, S::kReportCode, X::kCommon},
      {RunError::kMemory116, "", 116, S::kReportCode, X::kCommon},
      {RunError::kMemory117, "", 117, S::kReportCode, X::kCommon},
      {RunError::kMemory119, "", 119, S::kReportCode, X::kCommon},
      {RunError::kMemory120, "", 120, S::kReportCode, X::kGoesOn},
      {RunError::kMemory121, "", 121, S::kReportCode, X::kCommon},
      {RunError::kMemory123, "", 123, S::kReportCode, X::kCommon},
      {RunError::kMemory123AtOnce, "", 123, S::kReportCode, X::kAtOnce},
      {RunError::kMemory124AtOnce, "", 124, S::kReportCode, X::kAtOnce},
      {RunError::kMemory125, "", 125, S::kReportCode, X::kCommon},
      {RunError::kMemory126, "", 126, S::kReportCode, X::kCommon},
      {RunError::kMemory127, "", 127, S::kReportCode, X::kCommon},
      {RunError::kMemory128, "", 128, S::kReportCode, X::kCommon},
      {RunError::kMemory129, "", 129, S::kReportCode, X::kCommon},
      {RunError::kRichTextLoad, "", 0, S::kNothing, X::kAtOnce},
  };
  ASSERT_EQ(static_cast<std::size_t>(RunError::kCount), sizeof all / sizeof all[0]);
  for (const Expected& e : all) {
    const macro::RunErrorEntry& entry = macro::MacroRunErrorEntry(e.id);
    const int n = static_cast<int>(e.id);
    EXPECT_EQ(e.id, entry.id) << n;
    if (e.text) {
      EXPECT_EQ(std::string(e.text), Text(e.id)) << n;
    }
    EXPECT_EQ(e.code, entry.code) << n;
    EXPECT_EQ(e.show, entry.show) << n;
    EXPECT_EQ(e.exit, entry.exit) << n;
    const Outcome want = e.exit == X::kAtOnce   ? Outcome::kExitAtOnce
                         : e.exit == X::kGoesOn ? Outcome::kNext
                                                : Outcome::kErrorExit;
    EXPECT_EQ(want, macro::MacroRunErrorOutcome(e.id)) << n;
  }
}

TEST(RunErrors, StatementTexts) {
  macro::RunErrorArgs a;
  a.command = "&Qz";
  a.operand = "50%d";
  a.line = 12;
  EXPECT_EQ("Macro Eror : cord = \n&Qz\n50%d\ncmnd = 12", Text(RunError::kUnknownCommand, a));
  EXPECT_EQ("Macro Eror : not available yet\n&Qz\n50%d\ncmnd = 12", Text(RunError::kNotAvailableYet, a));
  macro::RunErrorArgs empty;
  EXPECT_EQ("Macro Eror : cord = \n\n\ncmnd = 0", Text(RunError::kUnknownCommand, empty));
}

TEST(RunErrors, SharedMemoryVolume) {
  macro::RunErrorArgs a;
  a.length = 11000000;
  EXPECT_EQ("mmapfile vol over \n  11 > 10 MB MAX", Text(RunError::kMmapVolumeOver, a));
  a.length = macro::kMmapMaxBytes + 1;  // just over the limit reads as 10 MB
  EXPECT_EQ("mmapfile vol over \n  10 > 10 MB MAX", Text(RunError::kMmapVolumeOver, a));
  a.length = 4000000000000ull;  // a length past 32 bits does not wrap
  EXPECT_EQ("mmapfile vol over \n  4000000 > 10 MB MAX", Text(RunError::kMmapVolumeOver, a));
}

TEST(RunErrors, CopyFailuresShowString152) {
  fw::SetStringTableEntry(152, nullptr);
  EXPECT_EQ(std::string(kMemory152) + " 059", Text(RunError::kCopyMemory059));
  EXPECT_EQ(std::string(kMemory152) + " 060", Text(RunError::kCopyMemory060));
  EXPECT_EQ(std::string(kMemory152), Text(RunError::kCopyMemory));
#if defined(__GNUC__) && !defined(__clang__)
  // Shift-JIS bytes of the text (the sources are UTF-8).
  EXPECT_EQ(0, Text(RunError::kCopyMemory).compare(0, 8, "\x83\x81\x83\x82\x83\x8a\x81\x5b"));
#endif
  fw::SetStringTableEntry(152, "low memory\r\n");  // the string table wins
  EXPECT_EQ("low memory\r\n 059", Text(RunError::kCopyMemory059));
  fw::SetStringTableEntry(152, nullptr);
}

TEST(RunErrors, RaisingShowsThroughTheHost) {
  RecordingHost host;
  EXPECT_EQ(Outcome::kErrorExit, macro::MacroRaiseRunError(&host, RunError::kTitleEror));
  EXPECT_EQ((std::vector<std::string>{"0:Title Eror"}), host.panes);

  macro::RunErrorArgs a;
  a.command = "xyz";
  a.operand = "1";
  a.line = 3;
  EXPECT_EQ(Outcome::kErrorExit, macro::MacroRaiseRunError(&host, RunError::kUnknownCommand, a));
  EXPECT_EQ(Outcome::kErrorExit, macro::MacroRaiseRunError(&host, RunError::kMemory127));
  EXPECT_EQ(Outcome::kNext, macro::MacroRaiseRunError(&host, RunError::kMemory120));
  EXPECT_EQ((std::vector<int>{2, 127, 120}), host.codes);
  EXPECT_EQ((std::vector<std::string>{"Macro Eror : cord = \nxyz\n1\ncmnd = 3", "", ""}), host.reports);

  EXPECT_EQ(Outcome::kExitAtOnce, macro::MacroRaiseRunError(&host, RunError::kCopyMemory060));
  EXPECT_EQ(Outcome::kNext, macro::MacroRaiseRunError(&host, RunError::kPaneTextMemory));
  EXPECT_EQ((std::vector<std::string>{std::string(kMemory152) + " 060", "memory eror (&Ma) 034"}), host.boxes);

  EXPECT_EQ(Outcome::kExitAtOnce, macro::MacroRaiseRunError(&host, RunError::kRichTextLoad));
  EXPECT_EQ(Outcome::kErrorExit, macro::MacroRaiseRunError(&host, RunError::kSilent));
  EXPECT_EQ(3u, host.codes.size());
  EXPECT_EQ(2u, host.boxes.size());
  EXPECT_EQ(1u, host.panes.size());

  EXPECT_EQ(Outcome::kErrorExit, macro::MacroRaiseRunError(nullptr, RunError::kNoData));
}

TEST(RunErrors, ByText) {
  EXPECT_EQ(RunError::kDefineVariables, macro::MacroRunErrorByText("Define variables Eror   "));
  EXPECT_EQ(RunError::kOverDefineVariables, macro::MacroRunErrorByText("Over define variables Eror   "));
  EXPECT_EQ(RunError::kOverDefineFunction, macro::MacroRunErrorByText("Over define function Eror   "));
  EXPECT_EQ(RunError::kOverParameterStack, macro::MacroRunErrorByText("Over parameter stack Eror"));
  EXPECT_EQ(RunError::kCount, macro::MacroRunErrorByText("Define variables Eror"));  // blanks count
  EXPECT_EQ(RunError::kCount, macro::MacroRunErrorByText(""));
  EXPECT_EQ(&macro::MacroRunErrorEntry(RunError::kSilent), &macro::MacroRunErrorEntry(RunError::kCount));
}

}  // namespace
