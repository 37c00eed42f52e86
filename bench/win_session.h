// The program started in-process for the Windows benchmarks (as the tests
// start it: its window shown, its settings under a key of its own), with a
// message pump that waits for a condition.
//
// The modal UI hooks are in test mode for the whole session, as the UI test
// fixture sets them: a message box, dialog or menu nobody expected is
// answered at once (cancel, or OK for a box with only OK) and recorded, so a
// benchmark never waits for a window nobody can click. A run that met one
// is a failed run (ModalProblems). The clock stays the real one: the work
// timed here paces itself by it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench_util.h"

#include "app/dvkapp.h"
#include "fw/uihooks.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "view/dvkview.h"

namespace bench {

// Dispatches messages until `done` or `seconds` have passed.
inline bool PumpUntil(const std::function<bool()>& done, double seconds) {
  const auto start = Clock::now();
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) return done();
      TranslateMessage(&m);
      DispatchMessageA(&m);
      if (done()) return true;
    }
    if (done()) return true;
    if (Seconds(start) > seconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

class WinSession {
 public:
  // `name` tells the scratch folder, the registry key and the instance apart.
  explicit WinSession(const std::string& name) {
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    const std::string id = std::to_string(GetCurrentProcessId());
    folder_ = std::string(tmp) + "tabrye_bench_" + name + "_" + id;
    CreateDirectoryA(folder_.c_str(), nullptr);
    key_ = "TabryeBench_" + name + "_" + id;
    fw::hooks::SetTestMode(true);
    fw::hooks::Reset();
    fw::hooks::SeedRandom(kSeed);
    block_ = "Local\\TabryeBench_" + name;
    app::ShellOptions o;
    o.useProcessCommandLine = false;
    o.commandLine = "$$";
    o.instanceBlock = block_.c_str();
    o.registerCom = false;
    o.makeVisible = true;
    o.programDir = folder_.c_str();
    o.registryKey = key_.c_str();
    app_ = new CDvkApp(o);
    started_ = app_->InitInstance();
    frame = g_pMainFrame;
    doc = g_pDvkDoc;
    if (started_) PumpUntil([] { return false; }, 1.5);  // the start-up's timers
  }
  ~WinSession() {
    if (frame && frame->m_hWnd) frame->DestroyWindow();
    app_->ExitInstance();
    delete app_;
    // What the closing met (a save question, ...) is reported, not waited for.
    const std::string late = ModalProblems();
    if (!late.empty()) std::fprintf(stderr, "modal UI while the program closed:\n%s", late.c_str());
    fw::hooks::SetTestMode(false);
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + key_).c_str());
    // The program's scratch folders and settings files in the folder.
    std::system(("cmd /c rmdir /s /q \"" + folder_ + "\" >nul 2>nul").c_str());
  }
  WinSession(const WinSession&) = delete;
  WinSession& operator=(const WinSession&) = delete;

  bool Started() const { return started_; }
  // Every modal window the hooks answered since the start (or the last
  // call), one line each, then forgotten; empty when there was none.
  static std::string ModalProblems() {
    std::string out;
    for (const std::string& u : fw::hooks::Unexpected()) out += u + "\n";
    fw::hooks::Reset();
    return out;
  }
  const std::string& Folder() const { return folder_; }
  CDvkView* View() const { return frame ? frame->GetTextView(0, 0) : nullptr; }

  CMainFrame* frame = nullptr;
  CDvkDoc* doc = nullptr;

 private:
  static constexpr std::uint32_t kSeed = 20240101u;  // the UI tests' seed
  std::string folder_, key_, block_;
  CDvkApp* app_ = nullptr;
  bool started_ = false;
};

}  // namespace bench
