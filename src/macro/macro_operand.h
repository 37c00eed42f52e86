// Cell-address operands of expressions and CSV commands ("&2@3", "&2-4@3-9",
// "&D5", "&@U1", "&3@1E"), the reading of one number of them, and the
// fetching of a field or variable value.
#pragma once

#include <cstdint>

namespace macro {

struct MacroEnv;

constexpr int kOperandBeyondColumn = 9999;   // a column beyond any real one
constexpr int kOperandNoBase = 5000000;      // '%' read against no base
constexpr int kOperandNoBaseValue = 10000000;
constexpr int kFieldValueDefault = 500;      // the usual field buffer

// Parses one operand. Writes the column range, row range, kind letter ('@'
// one cell, '%' a range, '&' "&RN", 'D' a variable, 'u' 'd' 'L' 'R' 'l' 'r'
// relative steps, 'T' 't' 'E' 'e' 'f' field parts, 9 "&AL") and the steps;
// *hashPos is the index of a '#' after a closing ')' or '@' (0: none).
// Returns the variable number + 1 for "&D" ("&DT3" 104), the first column
// when positive (9999 for 9999 and more), 0 for an empty text or no column.
int MacroEvalOperand(const MacroEnv& env, const char* text, int* col1, int* col2, int* row1, int* row2, char* kind,
                     int colBase, int rowBase, int* rowStep, int* colStep, int* hashPos, int evalArg);

// Reads one row ('@' in *mark) or column number at text[*pos] ("12", "0x1F",
// "%" the base, "%+1", "(expr)", "ii", "&D5", "5L2", "3U"), moves *pos after
// it and leaves the byte that follows in *mark. -1 for '+', '#', '='; 0 at
// the end of the text. Numbers saturate at the int range.
int MacroReadAddressNumber(const MacroEnv& env, const char* text, int* pos, char* mark, int colBase, int rowBase,
                           int evalArg);

// Copies one field, or variable column - 1 for type 'D', to `out` (at most
// outSize - 1 bytes and a NUL). Types '@' '%' 'T' 't' 'E' 'e' 'f' find row
// *row (1-based, its absolute value) and column *col (or `column` when *col
// is below 1); other types move rowDelta lines and colDelta fields from the
// line at `offset`, to `column`. Quote 1 drops the quotes of a quoted value,
// 2 adds them to an unquoted one. Returns the value's length (0 for the
// field-part types); mode 9 stores that in *row, the missing columns of a
// short row in *col and returns the field's byte offset (-1: none).
int MacroGetFieldValue(const MacroEnv& env, int offset, char* out, int outSize, int column, char type, int* row,
                       int* col, const std::int32_t* lineIndex, int mode, int quote, int rowDelta, int colDelta);

}  // namespace macro
