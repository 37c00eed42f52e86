// Statement classes: which executor family a prepared statement belongs to,
// decided by one ordered table of tests over its translated command word and
// the command letters that preparation found after an "&" address.
#pragma once

#include "fw/cstring.h"

namespace macro {

// A byte that the word does not have reads as 1 in c0, c1, c2.
constexpr unsigned char kMissingByte = 1;

// Class 15's file kind of the operand (the document's file-kind codes).
using OperandKindFn = int (*)(const CString& operand);

// What classification reads of one prepared statement.
struct ClassifyInput {
  CString word;                       // the translated command word
  unsigned char c0 = kMissingByte;    // its first three bytes
  unsigned char c1 = kMissingByte;
  unsigned char c2 = kMissingByte;
  unsigned char letter = 0;           // L: the command letter after the address
  unsigned char letter2 = 0;          // L2: the byte after it
  int callDepth = 0;                  // m_nMacroCallDepth
  int frameCount = 0;                 // m_nMacroFrameCount ("$" subroutine frame)
  // The operand, read only when an "&S" save must be told by its file kind;
  // null reads as an empty operand.
  const CString* operand = nullptr;
  // Null: the built-in extension table (GetFileKind).
  OperandKindFn operandKind = nullptr;
};

// Fills c0, c1, c2 from `word` (1 where the word is shorter) and takes L and
// L2 as preparation found them.
ClassifyInput MacroClassifyInputFor(const CString& word, unsigned char letter, unsigned char letter2, int callDepth,
                                    int frameCount, const CString* operand);

// L is compared with its ASCII letters upper-cased, L2 lower-cased.
unsigned char MacroClassLetter(unsigned char letter);
unsigned char MacroClassLetter2(unsigned char letter2);

// The class and the table row (1-34) that decided it.
struct ClassifyResult {
  int cls = 0;
  int row = 0;
};

ClassifyResult MacroClassifyStatement(const ClassifyInput& in);

// The class alone.
inline int MacroStatementClass(const ClassifyInput& in) { return MacroClassifyStatement(in).cls; }

// Number of rows of the table (the last one takes everything).
int MacroClassRowCount();

// Class of an "&S" save by the file kind of its path: spreadsheet 53, rich
// text 54, PDF 59, HTML 60, anything else the plain save 55.
int MacroSaveClassByKind(int fileKind);

// After the command's numbers are read: a file statement whose command is
// "&Fe=" followed by a second comparison sign ("&Fe==", "&Fe=<", ...) is a
// condition (class 8); every other class is returned as it is.
int MacroReclassifyAfterNumbers(int cls, const CString& command);

}  // namespace macro
