// Messages of the table operations: the one table of their failure codes and
// the small host interface through which they reach the user. The view
// implements the host with its ReportMessage; tests record the calls.
#pragma once

#include "fw/cstring.h"

namespace csv {

class OpHost {
 public:
  virtual ~OpHost() = default;
  // The view's message routine: code 2 a plain message with `text`, a code
  // above 100 the memory-shortage text followed by the code (empty text).
  virtual int ReportMessage(int code, const CString& text) = 0;
};

// Failure codes of the row and column lists and table operations.
enum OpFailure : int {
  kOpOk = 0,
  kPadWorkArea = 101,        // padding: work area
  kPadReplace = 102,         // padding: working buffer not replaced
  // The column append.
  kAppendFileBuffer = 103,   // column append: the file's text
  kAppendOutput = 104,       // column append: output
  kAppendReplace = 105,      // column append: working buffer not replaced
  // The link join.
  kJoinOtherData = 106,      // link join: the other file's text or its column rewrite
  kJoinKeyRecords = 107,     // link join: key records
  kJoinOutput = 108,         // link join: output
  kJoinReplace = 109,        // link join: working buffer not replaced
  kSelectWork = 134,         // column selection: work buffer
  kSelectFinal = 135,        // column selection: final buffer
  kRebuildWork = 136,        // sections side by side: work buffer
  kRebuildFinal = 137,       // sections side by side: final buffer
  kTransposeFailed = 138,    // transpose
  kRowOrderFailed = 141,     // row order and row deletion
  kInsertBuffer = 142,       // variable listing / row insertion: buffer
  kInsertWork = 143,         // row insertion: work buffer
  kInsertFinal = 144,        // row insertion: final buffer
  kRewriteFailed = 145,      // column rewrite: memory
  kSplitWork = 150,          // bracketed lists: work buffer
  kSplitFinal = 151,         // bracketed lists: final buffer
  kTotalsOutput = 157,       // totals: output
  kTotalsReplace = 158,      // totals: working buffer not replaced
  kTotalsSaveArea = 159,     // totals: head and tail; cross tabulation: output or save area
  kPivotSort = 160,          // cross tabulation: the sort or the pivot
  kSummaryOutput = 161,      // group summary: output
  kSummaryFull = 162,        // group summary: output could not grow
  kSummaryReplace = 163,     // cross tabulation: working buffer not replaced
  kFixedWidthOutput = 164,   // blank-aligned text: output
  kFixedWidthReplace = 165,  // blank-aligned text: working buffer
  kRegroupWork = 167,        // regrouping: work buffer
  kRegroupFinal = 168,       // regrouping: final buffer
  // Not memory: a plain message (code 2) with the literal text below.
  kRewriteTooLarge = 1001,   // column rewrite: output past its limit
  kInsertUnknownMode = 1002, // row insertion: a mode not built
};

// The literal text of a plain-message failure, nullptr for a numbered one.
const char* OpFailureText(int failure);

// Reports `failure` through `host` (a numbered code with an empty text, or
// code 2 with the literal text); nothing for kOpOk. Returns `failure`.
int ReportOpFailure(OpHost* host, int failure);

}  // namespace csv
