// Path operations shared by the archive code. Member names are Shift-JIS
// (code page 932): a byte 0x81-0x9F or 0xE0-0xFC starts a double-byte
// character, and its second byte is never taken for a separator (it may be
// 0x5C, '\', as in 0xFA 0x5C).
#pragma once

#include <string>
#include <vector>

namespace arc {

// One flag per byte: 1 for both bytes of a double-byte character.
std::vector<char> LeadByteMask(const std::string& text);
// Text before the last '/' that is not part of a double-byte character
// (empty when there is none).
std::string FolderPart(const std::string& text);
// Every single-byte '\' becomes '/', and '/' is appended when the text does
// not end in one; an empty text stays empty.
std::string PathForm(const std::string& text);
// Every single-byte '\' becomes '/' (no trailing '/' added).
std::string SlashForm(const std::string& text);
// True when a member path stays below the extraction folder: not empty, not
// absolute ("/x", "\x", "C:..."), and no ".." component. Entry points refuse
// other names before creating anything.
bool IsSafeMemberPath(const std::string& path);

}  // namespace arc
