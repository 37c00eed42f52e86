// Symbolic cell addresses of macro statements: the rewriter that turns "&"
// column and "@" row references with keys, landmarks, names and offsets into
// numbers, and the evaluator of one bracketed reference.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace csv {
struct TableFields;
}

namespace macro {

class MacroHost;
struct MacroState;

// What the rewriter and the evaluator read: the interpreter's state, the
// host that asks the user about unresolved references, and the table's
// block index and counts (none: no landmarks). `text`/`length` are the table
// text keys are searched in (cells separated by 0x06, rows by CR LF); a
// length of 0 disables key searches.
struct AddressScope {
  MacroState& state;
  MacroHost* host = nullptr;
  const csv::TableFields* table = nullptr;
  const std::uint8_t* text = nullptr;
  std::uint32_t length = 0;
  // Evaluations under the reference being valued (nested brackets and
  // aliases); counted by the evaluator.
  mutable int nestedCalls = 0;
  mutable bool nestingExceeded = false;
};

// Reference kinds.
enum AddressKind {
  kRefPlain = 0,       // names give "&D<n>", keys are column titles
  kRefRowValue = 1,    // row number as a plain value ("@[..]%")
  kRefValue = 2,       // plain value
  kRefColumnValue = 3, // column number as a plain value ("&[..]%")
  kRefIndex = 4,       // names only: no landmarks, no key search
  kRefSlot = 5,        // names give the bare slot number
  kRefRow = 6,         // "@[...]"
  kRefColumn = 7,      // "&[...]"
  kRefNestedColumn = 10,
  kRefNestedRow = 11,
  kRefNestedValue = 12,  // names give the variable's text
};

constexpr int kAddressRewritten = -999;     // the contents are text to write out
constexpr int kAddressRowNotFound = 4999999;
constexpr int kAddressMaxDepth = 32;        // nested brackets and aliases
constexpr int kAddressMaxNested = 10000;    // evaluations under one reference
constexpr int kAddressMaxContents = 1500;
constexpr int kAddressMaxInput = 25000;
constexpr int kAddressMaxOutput = 45000;

// Values one reference's contents (the text between its brackets; a final
// 0x05 asks for the last row of a run of matching rows). Returns a row,
// column or slot number, 0 when nothing was found (kind 1: m_nLastRow + 10),
// or kAddressRewritten with *contents rewritten into the text to write. A
// numeric result is also left in *contents as decimal text.
int MacroEvalAddressToken(const AddressScope& scope, std::string* contents, int kind, int index1, int index2,
                          int depth = 0);

// The rewriter. A text of more than 25,000 bytes comes back unchanged; a
// page code ("[ttn]") returns the whole input unchanged; "Eror" when the
// user cancels the question about an unresolved reference. Modes 0 and 2-6.
CString MacroParseRowData(const AddressScope& scope, const CString& text, int mode);

}  // namespace macro
