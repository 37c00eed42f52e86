// One byte of Latin-1 (Windows Western) text to one plain ASCII byte that a
// Shift-JIS text shows as itself: accented letters lose their accents, signs
// become their nearest ASCII look-alike. Bytes from 0x80 up would otherwise be
// read as lead bytes or half-width katakana.
#pragma once

namespace convert {

// Stateless; every result for an input from 0x80 up is below 0x80. Below
// 0x80 a few control bytes that Western documents use as marks become
// printable ("#", "[", "]", "'") and 0x0B (a line break inside a paragraph)
// becomes CR; every other byte is returned unchanged.
unsigned char TransliterateLatin1(unsigned char c);

}  // namespace convert
