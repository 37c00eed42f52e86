// The editor the macro fuzz targets run against: it shows nothing, opens
// nothing and answers every question with `answer`; the folders are set per
// target.
#pragma once

#include "fw/cstring.h"
#include "macro/macro_cellformat.h"
#include "macro/macro_host.h"

namespace fuzzsupport {

class QuietMacroHost : public macro::MacroHost {
 public:
  int answer = 1;
  CString programDir, listDir1, listDir2, paramPath;

  CString GetText() override { return CString(); }
  void GetSelection(long* s, long* e) override { *s = *e = 0; }
  void SetSelection(long, long) override {}
  void ReplaceSelection(const CString&) override {}
  int OpenFile(const CString&, int) override { return -1; }
  int SaveFile(const CString&, int) override { return -1; }
  int ReportMessage(int, const CString&) override { return answer; }
  void ShowMessageBox(const CString&) override {}
  void SetStatusText(int, const CString&) override {}
  bool CheckEscapeAbort() override { return false; }
  void ActivateTextPane(int) override {}
  CString ProgramDir() override { return programDir; }
  CString ListDir(int side) override { return side == 2 ? listDir2 : listDir1; }
  int ActiveSide() override { return 1; }
  CString ParamPath() override { return paramPath; }
  int FormatCells(const macro::CellFormat&, int, int, int, int) override { return 0; }
};

}  // namespace fuzzsupport
