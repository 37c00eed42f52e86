// A macro host for the portable tests: records messages, answers with a
// preset value, and has no editor behind it.
#pragma once

#include <string>
#include <vector>

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
};

}  // namespace macrotest
