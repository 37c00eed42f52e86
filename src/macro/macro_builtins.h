// The boundary to the built-in function library: one table of function
// codes and their handlers, and the one call through which the command-line
// evaluator reaches them. The library fills the table code by code; a code
// without a handler is reported as not available yet.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace csv {
struct TableFields;
}

namespace macro {

struct MacroState;
struct MacroRunContext;
class MacroHost;

constexpr std::uint32_t kNoTablePos = 0xFFFFFFFFu;

// Function codes 0-599 (500-599 are the macro's defined functions).
constexpr int kBuiltinCodes = 600;

// What the library works on besides its arguments: the interpreter's state,
// the editor, the view's table (may be none) and the length of the source
// the current call reads (the table's used length, or a scratch text's).
struct BuiltinScope {
  MacroState& state;
  MacroHost* host = nullptr;
  csv::TableFields* table = nullptr;
  std::uint32_t sourceLength = 0;
  // The cell walk's text rebuilt so far, before this call's output (fill
  // up reads the row above in it); none outside a cell walk.
  const std::uint8_t* outHead = nullptr;
  std::uint32_t outHeadLen = 0;
  // Where the field stands in the table's text (fill down reads the rows
  // below there); kNoTablePos when the field is no cell of the table.
  std::uint32_t tablePos = kNoTablePos;
  // The view's column positions (csv/csv_widths.h) for the widths 999 and
  // 998, and the view's check list (row numbers from entry 0, entries
  // below checkListUsed; 0 entries are skipped).
  std::uint32_t* columnPos = nullptr;
  int columnPosSlots = 0;
  std::uint32_t titleLine = 1;
  const std::uint32_t* checkList = nullptr;
  std::uint32_t checkListUsed = 0;
  // The run under way, through which a macro-defined function runs its
  // body (none: defined functions write nothing).
  MacroRunContext* run = nullptr;
};

// The arguments of one call, in the library's order, and the output's
// capacity. A handler appends through Put, which never passes the
// capacity: what does not fit is cut.
struct BuiltinArgs {
  int nCode = 0;
  int* pnParam = nullptr;         // operand read after the name; may be written back
  int nColumn = 0;                // column of the field, from 1
  int nRow = 0;                   // row of the field, from 1
  int* pnReadPos = nullptr;       // in/out: position of the field in the source
  int* pnOutLen = nullptr;        // in/out: bytes already in the output
  int* pnTitleState = nullptr;    // title and statistics functions
  int* pnStatState = nullptr;
  const std::uint8_t* pSource = nullptr;
  std::uint8_t* pOut = nullptr;
  CString strFuncText;            // the function as written ("RG3", "LDT:x")
  CString strArgText;             // RP: the replacement text
  int* pnPatternOption = nullptr;
  int* pnFillDownPos = nullptr;
  int* pnCountValue = nullptr;
  int nOutCapacity = 0;           // bytes pOut holds

  // Appends `n` bytes, as many as fit; false when some were cut.
  bool Put(const void* bytes, int n);
  bool Put(const CString& text) { return Put(text.GetString(), text.GetLength()); }
  // The field at *pnReadPos: its bytes up to 0x06, NUL, CR, LF or the end.
  CString Field(const BuiltinScope& scope) const;
};

using BuiltinHandler = void (*)(BuiltinScope& scope, BuiltinArgs& args);

// The handler of `code`, nullptr when there is none (or the code is
// outside 0-599).
BuiltinHandler MacroBuiltinHandler(int code);
// Installs `handler` for `code` (nullptr removes it) and returns the one it
// replaces. The library's parts and tests register here.
BuiltinHandler MacroSetBuiltinHandler(int code, BuiltinHandler handler);

// The text of the report for a function without a handler.
CString MacroNotAvailableText(const CString& funcText);

// Calls the library: the fifteen arguments and the output's capacity. A
// code with a handler runs it; *pnOutLen never ends past the capacity. A
// code below 0 or from 600 on writes nothing and changes nothing (0).
// Returns 0, or -1 for a code without a handler, which is reported through
// ReportMessage code 2 ("#function not available yet : " and the function
// text) before anything is changed.
int MacroCallBuiltinFunction(BuiltinScope& scope, int nCode, int* pnParam, int nColumn, int nRow, int* pnReadPos,
                             int* pnOutLen, int* pnTitleState, int* pnStatState, const std::uint8_t* pSource,
                             std::uint8_t* pOut, const CString& strFuncText, const CString& strArgText,
                             int* pnPatternOption, int* pnFillDownPos, int* pnCountValue, int nOutCapacity);

// Registers a handler for the life of a scope (tests), then puts the old
// one back.
class ScopedBuiltin {
 public:
  ScopedBuiltin(int code, BuiltinHandler handler) : code_(code), old_(MacroSetBuiltinHandler(code, handler)) {}
  ~ScopedBuiltin() { MacroSetBuiltinHandler(code_, old_); }
  ScopedBuiltin(const ScopedBuiltin&) = delete;
  ScopedBuiltin& operator=(const ScopedBuiltin&) = delete;

 private:
  int code_;
  BuiltinHandler old_;
};

}  // namespace macro
