#include "macro/macro_run_errors.h"

#include <string>

#include "fw/strtable.h"
#include "macro/macro_host.h"

namespace macro {
namespace {

using S = RunErrorShow;
using X = RunErrorExit;

constexpr unsigned kStrOutOfMemory = 152;
// String 152 as the resources hold it, for builds without them.
constexpr const char* kOutOfMemoryText = "メモリーが足りません\r\n";

constexpr RunErrorEntry kEntries[] = {
    {RunError::kTitleEror, "Title Eror", 0, S::kStatusPane, X::kCommon},
    {RunError::kNeedsAmpersand, "Eror : needs '&' before[ ]", 0, S::kBox, X::kCommon},
    // The statement ends there: the copy that follows would overrun the buffer.
    {RunError::kPaneTextMemory, "memory eror (&Ma) 034", 0, S::kBox, X::kGoesOn},
    {RunError::kOverCallStack, "Over call stack Eror", 2, S::kReport, X::kCommon},
    {RunError::kOverParameterStack, "Over parameter stack Eror", 2, S::kReport, X::kCommon},
    {RunError::kOverDefineFunction, "Over define function Eror   ", 2, S::kReport, X::kCommon},
    {RunError::kDefineVariables, "Define variables Eror   ", 2, S::kReport, X::kCommon},
    {RunError::kOverDefineVariables, "Over define variables Eror   ", 2, S::kReport, X::kCommon},
    // Command, operand and line follow (MacroRunErrorText).
    {RunError::kUnknownCommand, "Macro Eror : cord = \n", 2, S::kReport, X::kCommon},
    {RunError::kNotAvailableYet, "Macro Eror : not available yet\n", 2, S::kReport, X::kCommon},
    {RunError::kMmapSizeCheck, "mmapfile size check eror", 2, S::kReport, X::kCommon},
    {RunError::kMmapReadMemory, "mmapfile read memory eror 129", 2, S::kReport, X::kCommon},
    {RunError::kMmapRead, "mmapfile read eror", 2, S::kReport, X::kCommon},
    {RunError::kMmapDelete, "mmapfile delete eror", 2, S::kReport, X::kCommon},
    {RunError::kMmapVolumeOver, "mmapfile vol over \n  %d > %d MB MAX", 0, S::kBox, X::kCommon},
    {RunError::kMmapSave, "mmapfile save eror", 2, S::kReport, X::kCommon},
    {RunError::kTooManyMatchings, "Too many matchings", 2, S::kReport, X::kCommon},
    {RunError::kSilent, "", 0, S::kNothing, X::kCommon},
    {RunError::kNoData, "No Data Eror", 0, S::kBox, X::kCommon},
    // String 152 goes before the suffix (MacroRunErrorText).
    {RunError::kCopyMemory059, " 059", 0, S::kBox, X::kAtOnce},
    {RunError::kCopyMemory060, " 060", 0, S::kBox, X::kAtOnce},
    {RunError::kCopyMemory, "", 0, S::kBox, X::kCommon},
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
static_assert(sizeof kEntries / sizeof kEntries[0] == static_cast<std::size_t>(RunError::kCount),
              "one entry per run error");

constexpr bool InOrder() {
  for (std::size_t k = 0; k < sizeof kEntries / sizeof kEntries[0]; ++k)
    if (static_cast<std::size_t>(kEntries[k].id) != k) return false;
  return true;
}
static_assert(InOrder(), "entries in the order of RunError");

CString OutOfMemoryText() {
  std::string s;
  if (fw::LookupString(kStrOutOfMemory, s) && !s.empty()) return CString(std::move(s));
  return CString(kOutOfMemoryText);
}

// The statement part of the "Macro Eror" texts: command, operand, line.
CString StatementText(const char* head, const RunErrorArgs& args) {
  CString line;
  line.Format("cmnd = %d", args.line);
  CString text(head);
  text += args.command;
  text += "\n";
  text += args.operand;
  text += "\n";
  text += line;
  return text;
}

}  // namespace

const RunErrorEntry& MacroRunErrorEntry(RunError id) {
  const auto k = static_cast<std::size_t>(id);
  return k < sizeof kEntries / sizeof kEntries[0] ? kEntries[k] : kEntries[static_cast<int>(RunError::kSilent)];
}

CString MacroRunErrorText(RunError id, const RunErrorArgs& args) {
  const RunErrorEntry& e = MacroRunErrorEntry(id);
  switch (e.id) {
    case RunError::kUnknownCommand:
    case RunError::kNotAvailableYet:
      return StatementText(e.text, args);
    case RunError::kMmapVolumeOver: {
      CString text;
      text.Format(e.text, static_cast<int>(args.length / 1000000u), static_cast<int>(kMmapMaxBytes / 1048576u));
      return text;
    }
    case RunError::kCopyMemory059:
    case RunError::kCopyMemory060:
    case RunError::kCopyMemory:
      return OutOfMemoryText() + e.text;
    default:
      return CString(e.text);
  }
}

Outcome MacroRunErrorOutcome(RunError id) {
  switch (MacroRunErrorEntry(id).exit) {
    case RunErrorExit::kAtOnce:
      return Outcome::kExitAtOnce;
    case RunErrorExit::kGoesOn:
      return Outcome::kNext;
    case RunErrorExit::kCommon:
      break;
  }
  return Outcome::kErrorExit;
}

Outcome MacroRaiseRunError(MacroHost* host, RunError id, const RunErrorArgs& args) {
  const RunErrorEntry& e = MacroRunErrorEntry(id);
  if (host != nullptr) {
    switch (e.show) {
      case RunErrorShow::kStatusPane:
        host->SetStatusText(0, MacroRunErrorText(id, args));
        break;
      case RunErrorShow::kReport:
        host->ReportMessage(2, MacroRunErrorText(id, args));
        break;
      case RunErrorShow::kReportCode:
        host->ReportMessage(e.code, CString());
        break;
      case RunErrorShow::kBox:
        host->ShowMessageBox(MacroRunErrorText(id, args));
        break;
      case RunErrorShow::kNothing:
        break;
    }
  }
  return MacroRunErrorOutcome(id);
}

RunError MacroRunErrorByText(const CString& text) {
  if (text.IsEmpty()) return RunError::kCount;
  for (const RunErrorEntry& e : kEntries)
    if (e.show != RunErrorShow::kReportCode && text == CString(e.text)) return e.id;
  return RunError::kCount;
}

}  // namespace macro
