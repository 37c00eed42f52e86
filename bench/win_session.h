// The program started in-process for the Windows benchmarks (as the tests
// start it: its window shown, its settings under a key of its own), with a
// message pump that waits for a condition.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "bench_util.h"

#include "app/dvkapp.h"
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
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + key_).c_str());
    // The program's scratch folders and settings files in the folder.
    std::system(("cmd /c rmdir /s /q \"" + folder_ + "\" >nul 2>nul").c_str());
  }
  WinSession(const WinSession&) = delete;
  WinSession& operator=(const WinSession&) = delete;

  bool Started() const { return started_; }
  const std::string& Folder() const { return folder_; }
  CDvkView* View() const { return frame ? frame->GetTextView(0, 0) : nullptr; }

  CMainFrame* frame = nullptr;
  CDvkDoc* doc = nullptr;

 private:
  std::string folder_, key_, block_;
  CDvkApp* app_ = nullptr;
  bool started_ = false;
};

}  // namespace bench
