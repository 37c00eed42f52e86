// Statement preparation: the rewriting of one collected statement into its
// canonical form before it is classified. The scanner has already collected
// the two columns and normalised the comparison signs of the command; this
// step splits several statements of one line, rewrites escapes and short
// forms, the bracket forms of control statements, assignments, increments
// and implicit conditions, cuts the command into a word and a rest, and
// translates command words into their codes (macro_cmdwords.h).
#pragma once

#include <string_view>

#include "fw/cstring.h"

namespace macro {

struct MacroState;

constexpr unsigned char kMissingLetter = 1;  // a letter past the end of the text

struct PreparedStatement {
  CString word;  // what classification looks at ("if", "inc", "&Sx...", ...)
  CString rest;  // the command after the word's ':' (or the whole condition)
  // The first three bytes of the word (kMissingLetter past its end).
  unsigned char c[3] = {kMissingLetter, kMissingLetter, kMissingLetter};
  // The command letter and the byte after it. For a command that begins with
  // '&' they follow the address part of the command (an 'n' before "c:"
  // reads as ':'); for any other command they are c[1] and c[2].
  unsigned char letter = kMissingLetter;
  unsigned char letter2 = kMissingLetter;
  int letterAt = -1;             // index of `letter` in the command; -1 when taken from the word
  bool directCondition = false;  // an address or variable form: class 8 without classification
  bool assignment = false;       // of them, an assignment: the word is the target up to its '='
  bool runControl = false;       // a run-control word, classified as it is
  bool split = false;            // the line was cut before a "||"
};

// Prepares the statement in st.m_strStmtCommand / st.m_strStmtOperand:
// rewrites both in place, sets st.m_bStmtMultiCond, and for a line of
// several statements sets st.m_nMacroPos back to the "||" where the next one
// begins (never to or before the statement's first byte, never past where
// it was). st.m_nCmdLineNo then goes back by the line breaks of `text` (the
// macro text the offsets point into) between that "||" and the old
// position, so that the next statement, which passes them again, keeps the
// count right; without the text by one, the line break that ended the
// statement.
PreparedStatement PrepareStatement(MacroState& st, std::string_view text = {});

// True when `word` is one of the words that go to classification as they
// are ("registry", "if", "do while", "exe", ...).
bool IsRunControlWord(const CString& word);

}  // namespace macro
