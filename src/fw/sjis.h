// Shift-JIS (code page 932) byte classes.
#pragma once

namespace fw {

// True for a byte that starts a double-byte Shift-JIS character:
// 0x81-0x9F and 0xE0-0xFC.
bool IsSjisLeadByte(unsigned char c);

// Length in bytes of the character that starts at text[pos] (1 or 2); a lead
// byte at the very end of the text counts as one byte, never reading past len.
int SjisCharLength(const char* text, int len, int pos);

}  // namespace fw
