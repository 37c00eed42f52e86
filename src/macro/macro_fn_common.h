// What every family of the built-in function library shares: the field
// reader, the common finish, small output helpers, and the registration of
// the families in the one handler table.
#pragma once

#include <cstdint>
#include <string>

#include "macro/macro_builtins.h"

namespace macro {

// The field at *pnReadPos: [start, end) with end at its terminator (0x06,
// NUL, CR, LF) or at the end of the source. A terminator always ends the
// field, even right after a lead byte (a lone lead byte at the end of a
// field is a byte of its own): a cell never swallows the next one.
struct FunctionField {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  bool atSourceEnd = false;  // no terminator: the source ended
  const std::uint8_t* bytes = nullptr;  // pSource + start
  std::uint32_t Length() const { return end - start; }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(bytes), Length()); }
  bool Quoted() const { return Length() > 0 && bytes[0] == '"'; }
};

// A field without its enclosing quotes: a field that begins with '"' is
// written back inside quotes (the closing one only when it had one).
struct UnquotedField {
  const std::uint8_t* b = nullptr;
  std::uint32_t n = 0;
  bool quoted = false;
  bool closed = false;

  // One character at i: two bytes for a lead byte with its second byte
  // inside the text, else one.
  std::uint32_t CharLen(std::uint32_t i) const;
  bool Is(std::uint32_t i, std::uint8_t lead, std::uint8_t second) const {
    return i + 1 < n && b[i] == lead && b[i + 1] == second;
  }
};
UnquotedField SplitFieldQuotes(const FunctionField& f);
// Writes `text` inside the quotes the field had, whole or not at all, and
// consumes the field.
void FinishUnquoted(BuiltinScope& scope, BuiltinArgs& args, const FunctionField& f, const UnquotedField& in,
                    const std::string& text);

bool IsFieldTerminator(std::uint8_t b);

// Reads the field at the read position (never at or past the source's length).
FunctionField MacroReadFunctionField(const BuiltinScope& scope, const BuiltinArgs& args);

// The common finish: the read position goes to the field's terminator, so
// the evaluator sees it (at the end of the source it stays there).
void MacroFinishFunctionField(const BuiltinScope& scope, BuiltinArgs& args, const FunctionField& field);

// The same for a position inside the source: consume up to `pos`.
void MacroConsumeTo(BuiltinArgs& args, std::uint32_t pos);

// For each byte of `text`, whether it is the lead byte of a double-byte
// character (1), its second byte (2) or a single byte (0), over the whole
// text whatever its length.
std::string SjisByteKinds(const std::string& text);

// Writes `text` cut at a character boundary when the output is full: what
// does not fit is left out whole. True when everything fit.
bool PutWhole(BuiltinArgs& args, const std::string& text);

// Writes a number as "%d".
void PutNumber(BuiltinArgs& args, long long n);

// The argument tail of "NAME..:tail" or "NAME..^tail" of the function text:
// what follows the first `sep` after the name's two bytes ("" when none).
std::string FunctionTail(const CString& funcText, char sep);

// The column's width for FL/FR/LA.. 999 and 998: from the column positions
// the evaluator passed (measured first when none was measured yet).
int ColumnWidthFor(BuiltinScope& scope, int column);

// The family registrations, each filling its codes of `at` (kBuiltinCodes
// entries); called once, in this order, when the table is first used.
void RegisterFieldFunctions(BuiltinHandler* at);
void RegisterDefinedFunctions(BuiltinHandler* at);
void RegisterStatisticsFunctions(BuiltinHandler* at);
void RegisterTextFunctions(BuiltinHandler* at);
void RegisterLineFunctions(BuiltinHandler* at);
void RegisterLookupFunctions(BuiltinHandler* at);
// Last: every code from 10 to 499 still free that no later family owns.
void RegisterWidthFunctions(BuiltinHandler* at);
// Dates (7-9, 70-75, 90-94, 104) and times of day (100-103).
void RegisterDateFunctions(BuiltinHandler* at);
void RegisterTimeFunctions(BuiltinHandler* at);
// The number functions and number formats (after the width family, which
// leaves their codes free).
void RegisterNumberFunctions(BuiltinHandler* at);
// Code conversions, character codes and character ids.
void RegisterConversionFunctions(BuiltinHandler* at);

// True for the codes of the date, number and code-conversion families,
// which the width family leaves to their own handlers.
bool IsLaterFamilyCode(int code);


}  // namespace macro
