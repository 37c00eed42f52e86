// Code-page conversion between Shift-JIS (code page 932, with the NEC and
// IBM extensions), UTF-16 and UTF-8. On Windows the system's code page 932
// tables do the work; natively iconv's "CP932", which has the same tables.
//
// Bad input never stops a conversion and is never read past its end:
// - CP932 input: a byte that starts no character (0x80, 0xA0, 0xFD-0xFF), a
//   lead byte without a valid trail byte, or a well-formed pair that has no
//   character, becomes U+30FB (the code page's own default character); a lead
//   byte followed by a non-trail byte loses only the lead byte.
// - UTF-16 input: an unpaired surrogate or a character CP932 lacks becomes
//   '?' in CP932 (no "best fit" look-alikes) and U+FFFD in UTF-8.
// - UTF-8 input: each bad sequence becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>

namespace fw {

constexpr char16_t kCp932Default = 0x30FB;  // "・"
constexpr char16_t kReplacement = 0xFFFD;

std::u16string Cp932ToUtf16(const char* text, std::size_t len);
std::string Utf16ToCp932(const char16_t* text, std::size_t len);
std::string Cp932ToUtf8(const char* text, std::size_t len);
std::string Utf8ToCp932(const char* text, std::size_t len);
std::string Utf16ToUtf8(const char16_t* text, std::size_t len);
std::u16string Utf8ToUtf16(const char* text, std::size_t len);

inline std::u16string Cp932ToUtf16(const std::string& s) { return Cp932ToUtf16(s.data(), s.size()); }
inline std::string Utf16ToCp932(const std::u16string& s) { return Utf16ToCp932(s.data(), s.size()); }
inline std::string Cp932ToUtf8(const std::string& s) { return Cp932ToUtf8(s.data(), s.size()); }
// Cp932ToUtf8 appended to `out` (for a text converted in pieces cut between
// characters).
void AppendCp932AsUtf8(const char* text, std::size_t len, std::string& out);
inline std::string Utf8ToCp932(const std::string& s) { return Utf8ToCp932(s.data(), s.size()); }
inline std::string Utf16ToUtf8(const std::u16string& s) { return Utf16ToUtf8(s.data(), s.size()); }
inline std::u16string Utf8ToUtf16(const std::string& s) { return Utf8ToUtf16(s.data(), s.size()); }

}  // namespace fw
