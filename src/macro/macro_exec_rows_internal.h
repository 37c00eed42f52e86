// Shared between the files of the table-row statements.
#pragma once

#include "csv/csv_opreport.h"
#include "fw/cstring.h"
#include "macro/macro_host.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// The byte at k of a command, 0 past its end.
char LetterAt(const CString& text, int k);

// The table routines' messages go to the run's host.
class RunOpHost final : public csv::OpHost {
 public:
  explicit RunOpHost(MacroHost& host) : host_(host) {}
  int ReportMessage(int code, const CString& text) override { return host_.ReportMessage(code, text); }

 private:
  MacroHost& host_;
};

Outcome MacroExecSort(MacroRunContext& rc);
Outcome MacroExecPrint(MacroRunContext& rc);
Outcome MacroExecNewRows(MacroRunContext& rc);

}  // namespace macro
