// Line, column and find helpers of the text view over Shift-JIS bytes. The
// window side reads the control's text (or one line of it) and calls these;
// the control's character positions count a double-byte character as one,
// so CharIndexOfByte / ByteOfCharIndex convert between the two.
#pragma once

#include <cstddef>

#include "fw/cstring.h"

namespace viewcore {

// One line into `buf` (`size` bytes with its NUL): copied from `src` up to a
// CR, LF or NUL byte or `srcLen`; a double-byte character (lead bytes
// 0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC) is copied whole or not at all, and a lead
// byte whose second byte is missing or a line end is left out. Always
// NUL-terminated when size >= 1. Returns the bytes copied (without the NUL);
// 0 for size <= 0.
int CopyLineSjis(const char* src, std::size_t srcLen, char* buf, int size);

// Line `line` (from 0; lines end at CR LF, a lone CR or a lone LF) of `text`
// copied as CopyLineSjis does. A line past the end gives 0 and "".
int GetLineTextSjis(const char* text, std::size_t len, int line, char* buf, int size);

// The delta of GetLineStartOffset that asks for the byte offset in the line.
constexpr int kByteOffsetDelta = 99999;

// Display column (in byte-width units) of the character `charIndex` (from 0)
// of a line: a single-byte character is 1, a double-byte one 2, a TAB moves
// to the next multiple of `tabWidth` (1 = a TAB counts one). Characters past
// the line's end count one each. GetLineStartOffset's delta maps to the tab
// width through TabWidthForDelta.
int LineColumnOfChar(const char* line, std::size_t len, int charIndex, int tabWidth);
// 99999 -> 1; any other value above 0 -> itself; 0 or below -> 8.
int TabWidthForDelta(int delta);

// CalcLineMetrics: the character index (from 0) a run of `units` byte-width
// units reaches in the line: characters are counted while they fit whole
// (so a unit inside a double-byte character stops before it). Mode 1 counts
// a TAB as one unit; other modes move it to the next multiple of 8.
int CalcLineMetrics(const char* line, std::size_t len, int units, int mode);

// Character index of byte offset `pos` (a trail byte counts as its
// character), and the byte offset of character `index`; both clamp to the
// text.
int CharIndexOfByte(const char* text, std::size_t len, std::size_t pos);
std::size_t ByteOfCharIndex(const char* text, std::size_t len, int index);

// FindTextMatchCase: byte offset of the first case-sensitive match of
// `pattern` that starts on a character boundary at or after `from` and ends
// at or before `to` (-1 = the end of the text); -1 when there is none or the
// pattern is empty.
int FindTextMatchCase(const char* text, std::size_t len, int from, int to, const CString& pattern);

}  // namespace viewcore
