// A window side for the macro benchmarks (no text, no files; messages go to
// standard error so that a failing run says why), and the "-apply" side of
// the function benchmarks: a chain over the cells of a comma file, the
// result to standard output.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "bench_util.h"
#include "csv/csv_table.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_host.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"

namespace bench {

// The members every quiet host answers the same way: no text, no files,
// messages to standard error, each answered `report_`.
template <class Base>
class QuietHostOf : public Base {
 public:
  CString GetText() override { return CString(); }
  void GetSelection(long* s, long* e) override { *s = *e = 0; }
  void SetSelection(long, long) override {}
  void ReplaceSelection(const CString&) override {}
  int OpenFile(const CString&, int) override { return -1; }
  int SaveFile(const CString&, int) override { return -1; }
  int ReportMessage(int code, const CString& text) override {
    std::fprintf(stderr, "report %d: %s\n", code, text.GetString());
    return report_;
  }
  void ShowMessageBox(const CString& text) override { std::fprintf(stderr, "box: %s\n", text.GetString()); }
  void SetStatusText(int, const CString&) override {}
  bool CheckEscapeAbort() override { return false; }
  void ActivateTextPane(int) override {}
  CString ProgramDir() override { return CString(); }
  CString ListDir(int) override { return CString(); }
  int ActiveSide() override { return 1; }
  CString ParamPath() override { return CString(); }

 protected:
  int report_ = 1;
};

using QuietMacroHost = QuietHostOf<macro::MacroHost>;

// Loads `path`, applies `chain` over rows a1..a2 and columns a3..a4 in cell
// mode and writes the comma text to standard output; 0 when all went well.
inline int ApplyChainToFile(const std::string& path, int a1, int a2, int a3, int a4, const char* chain) {
  const std::string file = ReadFile(path);
  auto st = std::make_unique<macro::MacroState>();
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(file.data(), file.size(), 1000)) return 1;
  QuietMacroHost host;
  macro::CmdFuncScope scope{*st};
  scope.host = &host;
  scope.table = table.get();
  if (macro::MacroEvalCommandLineFunctions(scope, a1, a2, a3, a4, CString(chain)) != 1) return 1;
  const std::string out = table->FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

// The window side of a whole macro run for the benchmarks: a message is
// answered `report` and a question `yes`.
class QuietRunHost : public QuietHostOf<macro::MacroRunHost> {
 public:
  QuietRunHost(int report, bool yes) : yes_(yes) { report_ = report; }
  bool TakeEscapeKeyDown() override { return false; }
  bool AskYesNo(const CString&) override { return yes_; }
  CString ResourceString(int) override { return CString(); }
  void RedisplayView() override {}
  void UpdateMenuTexts(int, int, int) override {}
  void ApplyListLayout() override {}
  void UpdateAllViews() override {}
  void SetMainTitle(const CString&) override {}
  void ClearModified() override {}
  CString UserName() override { return CString(); }

 private:
  bool yes_;
};

}  // namespace bench
