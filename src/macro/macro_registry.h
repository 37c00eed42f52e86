// Class 2 of the statement loop: "registry" reads a registry value into a
// variable, "registry_w" writes a variable's text as a registry value.
//
// The command names the variable after its ':' ("&D181", or "[name]",
// which the row-data rewrite turns into the bare slot number; the command's
// references are not replaced by their values); the operand is the address in one of three
// forms: root code, type letter, ':', key path, ':', value name
// ("CUn:Software\Tabrye:count"); root code, ':', key path, ':', value name
// (a string); or key path, ':', value name with the first ':' at index 5
// or later (root "CU", a string). Every root code opens the key below the
// user's own hive (HKEY_CURRENT_USER): macros never reach another hive.
// Failures never end the run: the variable of "registry" receives the
// error text, and variable e (slot 146) "EROR".
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

class MacroHost;
struct MacroState;
struct MacroRunContext;

constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;
constexpr std::uint32_t kRegistryReadLimit = 9000;  // values of this size or more read as ""

// Texts the statements leave.
constexpr char kRegKeyNameError[] = "keyname eror";
constexpr char kRegSlotError[] = "data No. eror";
constexpr char kRegOpenError[] = "open eror";
constexpr char kRegDataError[] = "data eror";

struct RegistryOperand {
  bool ok = false;             // false: "keyname eror"
  CString root;                // "RT", "CU", "LM", "KU", "CF"
  std::uint32_t type = kRegSz;
  CString keyPath, valueName;
};
RegistryOperand MacroParseRegistryOperand(const CString& operand);

// The variable slot a command names after its first ':': an "&D" reference
// ("&D181", "&Da", "&DT3"), or the bare number a declared name in brackets
// was rewritten to (saturated); -1 when it names none.
int MacroRegistrySlot(const CString& command);

// A value read, as the variable receives it: a DWORD (`type` 4) in signed
// decimal, binary data (3) in lower-case hexadecimal pairs (at most 9,000
// digits), any other type as its bytes up to the first NUL.
CString MacroRegistryDataToText(std::uint32_t type, const std::string& data);

// A variable's text as the bytes written: a DWORD from an optional '-' and
// the digits after it (saturated to 32 bits, 4 bytes little-endian), binary
// data from pairs of hexadecimal digits (blanks before either digit
// skipped; an odd last digit dropped), any other type as the text and its
// NUL.
std::string MacroRegistryTextToData(std::uint32_t type, const CString& text);

// The statement on the run's state.
Outcome MacroRunRegistry(MacroState& st, MacroHost& host);

// The executor of class 2.
Outcome MacroExecRegistry(MacroRunContext& rc);

}  // namespace macro
