// Member names of archives on their way to the disk: the decoding of UTF-8
// names into Shift-JIS, and the rules that keep every written name inside the
// destination folder.
#pragma once

#include <string>

namespace arc {

// True when the bytes are valid Shift-JIS (code page 932 byte structure:
// ASCII, half-width kana, a lead byte 0x81-0x9F / 0xE0-0xFC with a trail byte
// 0x40-0x7E / 0x80-0xFC).
bool IsValidSjis(const std::string& bytes);
// True when the bytes are valid UTF-8 (no overlong forms, no surrogates, at
// most U+10FFFF); *multiByte tells whether one sequence was longer than one byte.
bool IsValidUtf8(const std::string& bytes, bool* multiByte = nullptr);

// The Shift-JIS form of a raw member name. It is read as UTF-8 when utf8Flag
// (general-purpose flag bit 11) is set, when utf8Mode (the document's UTF-8
// names switch) is set, or when it is no valid Shift-JIS but valid UTF-8 with
// a multi-byte sequence. UTF-8 is decoded in full (1-4 bytes); a bad byte is
// kept as it is; the kana sound marks U+3099 / U+309A join the kana before
// them; a character without a code-page-932 form becomes "_". Any other name
// is returned unchanged.
std::string MemberNameToSjis(const std::string& raw, bool utf8Flag, bool utf8Mode);

enum class NameCheck {
  kOk,      // *out holds a relative path below the destination
  kEmpty,   // nothing left (the destination itself): nothing to write
  kParent,  // a ".." component: the member is refused
};

// Makes a Shift-JIS member name safe to write below the destination:
// - separators are '/' and every '\' that is no trail byte of a double-byte
//   character;
// - a drive ("C:"), leading separators and UNC forms are dropped, so an
//   absolute name becomes relative; empty and "." components are dropped;
// - a ".." component refuses the whole name;
// - ':' and the characters Windows refuses in names (< > " | ? * and bytes
//   below 0x20) become '_';
// - trailing dots and blanks of a component are dropped (Windows drops them
//   too, so ". ." could otherwise name the folder above);
// - a component that is a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
//   with or without an extension) gets '_' in front.
// *out: the components joined with '\'; *isFolder: the name ended in a separator.
NameCheck SafeMemberPath(const std::string& name, std::string* out, bool* isFolder = nullptr);

}  // namespace arc
