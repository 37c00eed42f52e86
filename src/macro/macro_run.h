// The macro run: the one entry every run passes (statements a command built,
// key and list macro files, ".rmc" documents, macro text, nested runs), the
// statement loop with its classification and dispatch, and the end of a run
// with its errors. Portable: the run reaches the window through
// MacroRunHost and works on the document's plain fields, the view's table
// and the macro state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/docdata/doc_fields.h"
#include "fw/cstring.h"
#include "macro/macro_outcome.h"
#include "macro/macro_run_host.h"
#include "macro/macro_run_start.h"

namespace csv {
class Table;
}

namespace macro {

struct MacroState;

// The view's own words that a run reads and writes.
struct MacroViewWords {
  std::uint32_t* fileKind;    // what the view shows (33 a CSV table)
  std::uint32_t* sourceView;  // its display form
  std::uint32_t* editMode;    // 3 in ruled-table mode
  std::uint32_t* sortFlags;   // one bit per text pane
};

// Everything one run works on.
struct MacroRunContext {
  MacroState& state;
  MacroRunHost& host;
  csv::Table& table;  // the view's working buffer and its index
  app::DocTextFields& docText;
  app::DocUpdateFields& docUpdate;
  app::DocPathFields& docPaths;
  app::DocSettingsFields& docSettings;
  app::DocWindowFields& docWindow;
  MacroViewWords view;
  // The view's column positions (csv/csv_widths.h) and check list (row
  // numbers from entry 0, entries below checkListUsed), for the "#"
  // statements; none: widths are measured on the spot, no row is checked.
  std::uint32_t* columnPos = nullptr;
  int columnPosSlots = 0;
  const std::uint32_t* checkList = nullptr;
  std::uint32_t checkListUsed = 0;
};

// Results of a run.
constexpr int kRunEnded = 1;     // ended (normally, by "E", by an error)
constexpr int kRunStopped = -1;  // did not start, was aborted, or ended at once
constexpr int kRunPaused = 2;    // waits to be resumed (timer 25)
constexpr int kRunWasText = 9;   // an "@BAT" text, handed to the document

// Runs a macro. `mode`: kRunStatement (the statement in st.m_strStmtCommand
// and st.m_strStmtOperand), kRunFile / kRunNestedFile (`source` names the
// file), kRunDocument / kRunNestedDocument (the document's text), kRunText
// (`source` is the text). `folder` empty: the folder of `source`. `arg` is
// kept for the input statements of a mode-12 run.
//
// A call made while a run is under way is a nested run: it keeps the outer
// run's place (position, line, stacks, call depth, the statement being run,
// trace) and puts it back when it returns; it shows no end of run and puts
// back no settings; modes 1 and 4 share the outer run's variables, names and
// defined functions.
int RunMacro(MacroRunContext& rc, int mode, CString source, CString arg, CString folder);

// A fingerprint of the table's text (its length and an FNV-1a hash): the
// view compares it around a run to learn whether the run changed the table.
std::uint64_t MacroTableFingerprint(const csv::Table& table);

// An executor put in place of a class's row, for tests: it runs after the
// statement's common steps with the whole run context and answers as any
// executor does. An empty function takes it away again.
using StatementExecutor = std::function<Outcome(MacroRunContext& rc)>;
void SetTestExecutor(int cls, StatementExecutor fn);

}  // namespace macro
