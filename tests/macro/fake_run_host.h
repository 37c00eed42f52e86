// A window side for whole macro runs in the portable tests and the fuzz
// target: records the status texts, messages, questions and opens the run
// asked for, answers with preset values, and can run code from the first
// trace (to start a nested run in the middle of one).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "macro/macro_run_host.h"

namespace macrotest {

class FakeRunHost : public macro::MacroRunHost {
 public:
  // After this many trace texts or statements the next Esc check stops the
  // run (so that a macro that loops cannot hang a test or a fuzz target).
  long statusLimit = -1;
  long statusCount = 0;
  long statementCount = 0;  // Esc checks, one after every statement (traced or not)
  bool keepTexts = true;  // false: texts are only counted (long fuzz runs)
  std::vector<std::string> status, reports, boxes, asked, opened, titles;
  int escapes = 0;        // Esc key-downs waiting
  bool answerYes = true;
  int menuUpdates = 0, redisplays = 0, cleared = 0;
  std::function<void()> onStatus;  // run from the trace (a nested run)
  // Stops: the dialog's texts and options, the variable display's line and
  // dump, and the dialog's answers in turn (OK once they run out).
  struct Stop {
    std::string lineText, dump, options;
    int height = 0, width = 0;
  };
  std::vector<Stop> stops;
  std::vector<int> stopAnswers;
  std::vector<std::pair<int, std::string>> shown;

  CString GetText() override { return CString(); }
  void GetSelection(long* s, long* e) override { *s = *e = 0; }
  void SetSelection(long, long) override {}
  void ReplaceSelection(const CString&) override {}
  int OpenFile(const CString& path, int) override {
    opened.push_back(path.GetString());
    return 0;
  }
  int SaveFile(const CString&, int) override { return -1; }
  int ReportMessage(int code, const CString& text) override {
    if (keepTexts) reports.push_back(std::to_string(code) + ":" + text.GetString());
    return 1;
  }
  void ShowMessageBox(const CString& text) override {
    if (keepTexts) boxes.push_back(text.GetString());
  }
  void SetStatusText(int, const CString& text) override {
    ++statusCount;
    if (keepTexts) status.push_back(text.GetString());
    if (onStatus) {
      auto f = std::move(onStatus);
      onStatus = nullptr;
      f();
    }
  }
  bool CheckEscapeAbort() override {
    ++statementCount;
    return statusLimit >= 0 && (statusCount > statusLimit || statementCount > statusLimit);
  }
  void ActivateTextPane(int) override {}
  CString ProgramDir() override { return CString(); }
  CString ListDir(int) override { return CString(); }
  int ActiveSide() override { return 1; }
  CString ParamPath() override { return CString(); }

  bool TakeEscapeKeyDown() override {
    if (escapes == 0) return false;
    --escapes;
    return true;
  }
  bool AskYesNo(const CString& text) override {
    asked.push_back(text.GetString());
    return answerYes;
  }
  CString ResourceString(int id) override { return id == 330 ? "stop?" : ""; }
  void RedisplayView() override { ++redisplays; }
  void UpdateMenuTexts(int, int, int) override { ++menuUpdates; }
  void ApplyListLayout() override {}
  void UpdateAllViews() override { ++viewUpdates; }
  int viewUpdates = 0;
  // The spreadsheet export: each call as "mode flag options|operand", answered by exportResult.
  std::vector<std::string> exports;
  int exportResult = 0;
  int ExportToExcel(const CString& options, int mode, int flag) override {
    exports.push_back(std::to_string(mode) + " " + std::to_string(flag) + " " + options.GetString());
    return exportResult;
  }
  // The HTML page: each call's operand, answered by htmlResult.
  std::vector<std::string> htmlTargets;
  int htmlResult = 0;
  int WriteHtmlTable() override {
    htmlTargets.push_back(operandForHtml ? operandForHtml() : std::string());
    return htmlResult;
  }
  std::function<std::string()> operandForHtml;
  void SetMainTitle(const CString& t) override { titles.push_back(t.GetString()); }
  void ClearModified() override { ++cleared; }
  CString UserName() override { return "tester"; }
  void ShowVariableView(int line, const CString& dump) override { shown.emplace_back(line, dump.GetString()); }
  int ShowStopDialog(const CString& lineText, const CString& dump, const CString& options, int height,
                     int width) override {
    if (keepTexts) stops.push_back({lineText.GetString(), dump.GetString(), options.GetString(), height, width});
    const std::size_t k = stopCount++;
    return k < stopAnswers.size() ? stopAnswers[k] : macro::kStopDialogOk;
  }
  std::size_t stopCount = 0;
  // The clipboard: its text, and whether it can be opened.
  bool clipboardOpens = true;
  std::string clipboardText;
  int clipboardWrites = 0;
  int ReadClipboardText(CString* text) override {
    if (!clipboardOpens) return -1;
    *text = CString(clipboardText);
    return 0;
  }
  bool SetClipboardText(const CString& text) override {
    if (!clipboardOpens) return false;
    clipboardText = text.Str();
    ++clipboardWrites;
    return true;
  }
};

}  // namespace macrotest
