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
#include "archive/zip_writer.h"
#include "core/fileops/fileprims.h"
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

// file statements
// The file statements' calls over any macro host (TestHost, or the run
// fake): launches, windows, dialogs and the network recorded and answered
// from preset values; the archive written by the program's own ZIP writer;
// the tree counters kept here over the local file system.
class TreeSizeFake : public fileops::FileOpsHost {
 public:
  fileops::LocalFolderHost folders;
  std::int32_t depth = 0, files = 0;
  std::uint64_t bytes = 0;
  fileops::FolderHost& Folders() override { return folders; }
  std::int32_t& TreeDepth() override { return depth; }
  std::int32_t& TreeFiles() override { return files; }
  std::uint64_t& TreeBytes() override { return bytes; }
  bool EscapeConfirmed() override { return false; }
  void SetTitle(fileops::Text) override {}
  int Ask(fileops::Text, const CString&, fileops::Buttons) override { return fileops::kAnswerNo; }
  CString KeyCode() override { return CString(); }
  CString ProgramDir() override { return CString(); }
};

template <class Base>
class FileFakes : public Base {
 public:
  using AppWindow = macro::MacroHost::AppWindow;
  using NetResource = macro::MacroHost::NetResource;
  std::vector<std::string> launched, closes, netCalls, sourceCalls;
  std::vector<std::string> windowTitles;  // FindExternalAppWindow finds these (1-based handles)
  std::string sheetTitle;                 // FindWindowByTitle finds this one (handle 99)
  std::vector<std::string> dialogAsks;    // "open|filter|name", "save|filter|name"
  std::string openAnswer, saveAnswer;     // the dialogs' paths (empty: Cancel)
  std::vector<int> probeResults;          // ProbeNetResource of the resource, in turn (then 0)
  std::vector<int> connectResults;        // ConnectNetResource, in turn (then 0)
  std::size_t probed = 0, connected = 0;
  NetResource lastResource;
  int sourceResult = 0;
  bool treeHost = true;
  TreeSizeFake tree;

  int LaunchFile(const CString& path) override {
    launched.push_back(path.GetString());
    return 0;
  }
  AppWindow FindExternalAppWindow(const CString& name, const CString& extra, int mode) override {
    closes.push_back("find:" + std::string(name.GetString()) + ":" + extra.GetString() + ":" + std::to_string(mode));
    for (std::size_t k = 0; k < windowTitles.size(); ++k)
      if (windowTitles[k].find(name.GetString()) != std::string::npos) return static_cast<AppWindow>(k + 1);
    return 0;
  }
  AppWindow FindWindowByTitle(const CString& title) override {
    return !sheetTitle.empty() && sheetTitle == title.GetString() ? 99 : 0;
  }
  void CloseAppWindow(AppWindow w, bool post) override {
    closes.push_back(std::string(post ? "post:" : "send:") + std::to_string(w));
  }
  void SendAltF4(AppWindow w) override { closes.push_back("altf4:" + std::to_string(w)); }
  bool AskFileToOpen(const CString& filter, const CString& initialName, CString* path) override {
    return Ask("open", filter, initialName, openAnswer, path);
  }
  bool AskFileToSave(const CString& filter, const CString& initialName, CString* path) override {
    return Ask("save", filter, initialName, saveAnswer, path);
  }
  bool Ask(const char* kind, const CString& filter, const CString& name, const std::string& answer, CString* path) {
    dialogAsks.push_back(std::string(kind) + "|" + filter.GetString() + "|" + name.GetString());
    if (answer.empty()) return false;
    *path = CString(answer.c_str());
    return true;
  }
  int ProbeNetResource(int scope, const NetResource* r) override {
    if (!r) {
      netCalls.push_back("context:" + std::to_string(scope));
      return 0;
    }
    lastResource = *r;
    netCalls.push_back("probe");
    return probed < probeResults.size() ? probeResults[probed++] : 0;
  }
  int ConnectNetResource(const NetResource& r, const CString* password, const CString* user, int flags) override {
    lastResource = r;
    netCalls.push_back(std::string("connect:") + (user ? user->GetString() : "-") + ":" +
                       (password ? password->GetString() : "-") + ":" + std::to_string(flags));
    return connected < connectResults.size() ? connectResults[connected++] : 0;
  }
  int SaveEncryptedSource(int mode, const CString& path, const CString& extra) override {
    sourceCalls.push_back(std::to_string(mode) + ":" + path.GetString() + ":" + extra.GetString());
    return sourceResult;
  }
  int CreateArchive(int kind, const std::vector<CString>& items, const CString& archiveName) override {
    if (kind != 2) return -1;
    std::vector<std::string> names;
    for (const CString& i : items) names.push_back(i.GetString());
    const std::vector<arc::WalkEntry> entries = arc::CollectEntries(names, archiveName.GetString());
    if (entries.empty()) return -1;
    arc::ArcState state;
    return arc::WriteZip(state, archiveName.GetString(), entries).Failed() ? -1 : 0;
  }
  fileops::FileOpsHost* TreeSizeHost() override { return treeHost ? &tree : nullptr; }
};

using FileTestHost = FileFakes<TestHost>;

}  // namespace macrotest
