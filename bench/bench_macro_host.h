// A window side for the macro benchmarks: no text, no files; messages go to
// standard error so that a failing run says why.
#pragma once

#include <cstdio>

#include "macro/macro_host.h"

namespace bench {

class QuietMacroHost : public macro::MacroHost {
 public:
  CString GetText() override { return CString(); }
  void GetSelection(long* s, long* e) override { *s = *e = 0; }
  void SetSelection(long, long) override {}
  void ReplaceSelection(const CString&) override {}
  int OpenFile(const CString&, int) override { return -1; }
  int SaveFile(const CString&, int) override { return -1; }
  int ReportMessage(int code, const CString& text) override {
    std::fprintf(stderr, "report %d: %s\n", code, text.GetString());
    return 1;
  }
  void ShowMessageBox(const CString& text) override { std::fprintf(stderr, "box: %s\n", text.GetString()); }
  void SetStatusText(int, const CString&) override {}
  bool CheckEscapeAbort() override { return false; }
  void ActivateTextPane(int) override {}
  CString ProgramDir() override { return CString(); }
  CString ListDir(int) override { return CString(); }
  int ActiveSide() override { return 1; }
  CString ParamPath() override { return CString(); }
};

}  // namespace bench
