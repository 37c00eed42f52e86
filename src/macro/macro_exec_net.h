// Classes 22 and 25 of the statement loop: "filereg" ("&Fg") and "loadnet"
// ("&Ln").
//
// "filereg" with no operand puts the document's programs per file type back
// to their defaults; with an extension (".txt") it reads the command the
// system opens that type with and stores the program in it (a quoted
// program up to its closing quote, else the text up to the first '%', one
// blank before the cut dropped) in variable num1, or 99 when num1 is not a
// variable. A type the system does not know stores nothing.
//
// "loadnet" fetches the page at the operand's address into the scratch page
// file (the document only fetches, it opens nothing), opens that file as
// the document's text (open mode 1, which turns a page into text) and puts
// the text into the view as a table of kind 35. When the page cannot be
// opened the view keeps its table: the document's text is then still the
// old one, which is not the page.
#pragma once

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

constexpr int kFileRegDefaultSlot = 99;

// The program of an open command, cut as "filereg" stores it.
CString MacroProgramOfCommand(const CString& command);

Outcome MacroExecFileReg(MacroRunContext& rc);
Outcome MacroExecLoadNet(MacroRunContext& rc);

}  // namespace macro
