// A macro host for the portable tests: records messages, answers with a
// preset value, and has no editor behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fw/clock.h"
#include "macro/macro_host.h"

namespace macrotest {

class TestHost : public macro::MacroHost {
 public:
  std::vector<std::string> boxes;     // ShowMessageBox texts
  std::vector<std::string> reports;   // ReportMessage texts
  int answer = 1;
  std::string listDir1, listDir2, paramPath;
  int side = 1;

  CString GetText() override { return CString(); }
  void GetSelection(long* s, long* e) override { *s = *e = 0; }
  void SetSelection(long, long) override {}
  void ReplaceSelection(const CString&) override {}
  int OpenFile(const CString&, int) override { return -1; }
  int SaveFile(const CString&, int) override { return -1; }
  int ReportMessage(int, const CString& text) override {
    reports.push_back(text.GetString());
    return answer;
  }
  void ShowMessageBox(const CString& text) override { boxes.push_back(text.GetString()); }
  void SetStatusText(int, const CString&) override {}
  bool CheckEscapeAbort() override { return false; }
  void ActivateTextPane(int) override {}
  CString ProgramDir() override { return CString(); }
  CString ListDir(int n) override { return CString(n == 2 ? listDir2 : listDir1); }
  int ActiveSide() override { return side; }
  CString ParamPath() override { return CString(paramPath); }
  // Input statements and user dialogs: the dialogs asked for ("input",
  // "menu", "choice", "hold", "openchoice", "cond187", "cond188"), the last
  // requests, and the answers given (dialogAnswer with dialogText; onCond
  // edits a selection-condition dialog's values, condOk answers it).
  std::vector<std::string> dialogs;
  std::vector<int> resumeArms;  // ArmMacroResume intervals
  int dialogAnswer = macro::kDialogOk;
  std::string dialogText;
  macro::InputBoxRequest lastInput;
  macro::MacroInputRequest lastMenu;
  macro::ChoiceRequest lastChoice;
  bool holdOpen = false;
  std::string holdText;
  std::function<void(csv::CondDialogValues&)> onCond;
  bool condOk = true;
  csv::CondDialogValues lastCond;
  bool clipboardOk = true;
  std::string clipboard = "before";
  int imeState = -1;  // -1: no IME context
  std::vector<int> imeSwitches;

  void ArmMacroResume(int ms) override { resumeArms.push_back(ms); }
  int SwitchIme(bool open) override {
    if (imeState >= 0) imeSwitches.push_back(open ? 1 : 0);
    return imeState;
  }
  int RunInputBox(macro::InputBoxRequest& r) override {
    dialogs.push_back("input");
    lastInput = r;
    if (dialogAnswer == macro::kDialogOk) r.text = CString(dialogText);
    return dialogAnswer;
  }
  bool OpenHoldInput(const macro::InputBoxRequest& r) override {
    dialogs.push_back("hold");
    lastInput = r;
    holdOpen = true;
    holdText = r.text.GetString();
    return true;
  }
  bool HoldInputOpen() override { return holdOpen; }
  CString HoldInputText() override { return CString(holdText); }
  void SetHoldInputText(const CString& text) override { holdText = text.GetString(); }
  void CloseHoldInput() override { holdOpen = false; }
  int RunMacroInput(macro::MacroInputRequest& r) override {
    dialogs.push_back("menu");
    lastMenu = r;
    if (dialogAnswer == macro::kDialogOk) r.text = CString(dialogText);
    return dialogAnswer;
  }
  int RunChoice(macro::ChoiceRequest& r) override {
    dialogs.push_back("choice");
    lastChoice = r;
    if (dialogAnswer == macro::kDialogOk) r.answer = CString(dialogText);
    return dialogAnswer;
  }
  bool OpenChoice(const macro::ChoiceRequest& r) override {
    dialogs.push_back("openchoice");
    lastChoice = r;
    return true;
  }
  bool RunSelectCondDialog(bool extended, csv::CondDialogValues& values) override {
    dialogs.push_back(extended ? "cond188" : "cond187");
    lastCond = values;
    if (onCond) onCond(values);
    return condOk;
  }
  bool SetClipboardText(const CString& text) override {
    if (!clipboardOk) return false;
    clipboard = text.GetString();
    return true;
  }
  // Load, save and join statements: the file dialogs asked for (filter and
  // initial name) and the answer (empty: Cancel).
  struct FileAsk {
    std::string filter, initialName;
  };
  std::vector<FileAsk> fileAsks;
  std::string fileAnswer;
  bool AskFileToOpen(const CString& filter, const CString& initialName, CString* path) override {
    fileAsks.push_back({filter.GetString(), initialName.GetString()});
    if (fileAnswer.empty()) return false;
    *path = CString(fileAnswer.c_str());
    return true;
  }
  // waits, keys, registry
  // Key-downs by the tick (fw::TickCount) from which each waits in the
  // queue; TakeKeyDown hands out the first that waits.
  std::vector<std::pair<std::uint64_t, int>> keysAt;
  int TakeKeyDown() override {
    if (keysAt.empty() || keysAt.front().first > fw::TickCount()) return -1;
    const int code = keysAt.front().second;
    keysAt.erase(keysAt.begin());
    return code;
  }
  // One hive: key path -> value name -> (type, bytes). Only keys present
  // open; writes never make a key.
  struct RegValue {
    std::uint32_t type = 0;
    std::string data;
  };
  std::map<std::string, std::map<std::string, RegValue>> registry;
  bool registryWriteFails = false;
  int ReadRegistryValue(const CString& key, const CString& name, std::uint32_t maxBytes, std::uint32_t* type,
                        std::string* data) override {
    const auto k = registry.find(key.Str());
    if (k == registry.end()) return macro::kRegistryNoKey;
    const auto v = k->second.find(name.Str());
    if (v == k->second.end()) return macro::kRegistryNoValue;
    *type = v->second.type;
    const std::size_t size = v->second.data.size();
    *data = size > 0 && size < maxBytes ? v->second.data : std::string();
    return macro::kRegistryOk;
  }
  int WriteRegistryValue(const CString& key, const CString& name, std::uint32_t type,
                         const std::string& data) override {
    const auto k = registry.find(key.Str());
    if (k == registry.end()) return macro::kRegistryNoKey;
    if (registryWriteFails) return macro::kRegistryWriteFailed;
    k->second[name.Str()] = RegValue{type, data};
    return macro::kRegistryOk;
  }
};

}  // namespace macrotest
