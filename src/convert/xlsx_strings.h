// Texts of ".xlsx" cells: the shared-string pool of "xl/sharedStrings.xml"
// and the texts a cell carries itself (inline strings, formula results,
// values that are no number).
//
// The pool keeps each string as written in the part (entities stay), ended
// by the byte 0x1F; runs of one string are joined and phonetic readings
// left out. The entities are decoded when a cell takes its string.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

constexpr int kXlsxSharedStrings = 30000;  // strings indexed at most

class XlsxSharedStrings {
 public:
  // Reads the pool from the part's text (`size` bytes, NUL after them).
  // False when the part holds more strings than the index table takes.
  bool Read(const char* text, int size);
  int Count() const { return static_cast<int>(m_offsets.size()); }
  // The text of string `index` as a cell shows it: entities decoded, a line
  // break as 0x0B, at most `nChar` - 1 characters (a double-byte character
  // is not split), one blank after a text of `nChar` - 4 characters or more.
  // False when the index lies outside the pool.
  bool CellText(int index, int nChar, std::string& out) const;

 private:
  std::string m_pool;
  std::vector<std::uint32_t> m_offsets;
};

// A text the cell holds itself (an inline string or a value that is no
// number), up to the next '<': entities decoded, CR and LF as ':', at most
// `maxChars` characters.
std::string XlsxInlineText(const char* value, int maxChars);

// A numeric character reference at `p` ("&#21697;" or "&#x54C1;", as some
// writers store every character outside ASCII): its character as Shift-JIS
// ("?" where code page 932 has none) and the reference's length in `length`;
// an empty result when `p` holds no complete reference.
std::string XlsxCharReference(const char* p, int* length);

// A formula's text result, up to the next '<': entities decoded, at most 99
// characters.
std::string XlsxFormulaText(const char* value);

}  // namespace convert
