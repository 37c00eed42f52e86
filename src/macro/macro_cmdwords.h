// Command words: the readable words of macro statements ("savexls",
// "rowdel", "call") turned into the short codes the dispatcher reads
// ("&Sx", "&Rd", "C"). One table of entries, tried in order.
#pragma once

#include <cstddef>

#include "fw/cstring.h"

namespace macro {

struct MacroState;

// Translates the command word of the statement being prepared. `word` is the
// command column before its first ':' outside square brackets (the whole
// column when there is none) and `rest` the text after that ':'. A word that
// is no command word leaves everything as it was. A command word rewrites
// `word` (and for some families `rest`); unless its entry leaves it alone,
// the command of the statement (st.m_strStmtCommand) becomes `word`
// followed directly by `rest`. The formula form ("form", "fm") moves the
// operand (st.m_strStmtOperand) into the command and empties it; the sort
// family reads the operand for its suffix.
void MacroTranslateCommandWord(MacroState& st, CString& word, CString& rest);

// ---- The table, visible for tests ----

// How an entry treats the word once its test held.
enum class CmdWordAction : unsigned char {
  Replace,     // every replacement of the family, in order
  FirstFound,  // only the first replacement that finds its text
  SetWord,     // the word becomes `setTo`
  Formula,     // the formula form
  LeaveAlone,  // nothing is changed and nothing stored
};

// A further rule after the replacements.
enum class CmdWordExtra : unsigned char {
  None,
  RowRest,     // "&R" alone: the rest keeps its ':'
  InputRest,   // a rest "&D..." longer than two bytes loses its "&D"
  SortSuffix,  // 'n', 'p' or 's' by the operand "num", "pass", "select"
  SheetRest,   // "&Sx" with options: the rest keeps its ':' ("f.xls:2", a template's sheet)
};

struct CmdWordReplacement {
  const char* from;
  const char* to;
};

struct CmdWordEntry {
  const char* name;                // for tests and traces
  const char* const* prefixes;     // first three bytes of the word (null-ended)
  const char* const* wholes;       // the whole word (null-ended)
  const CmdWordReplacement* family;
  std::size_t familySize;
  CmdWordAction action;
  const char* setTo;               // SetWord
  CmdWordExtra extra;
};

// The entries in the order they are tried.
const CmdWordEntry* CommandWordTable(std::size_t* count);

}  // namespace macro
