// The control text of a merge in the table: the head of each block (which
// template sheet it uses, its title) and the sheet-list line that orders,
// names and activates the merged sheets.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace merge {

constexpr int kMaxListedSheets = 99;  // entries of a sheet-list line
constexpr int kMaxListNames = 32;     // names a sheet-list line gives
constexpr std::size_t kMaxNameBytes = 255;

// The head of a block.
struct BlockHead {
  enum Mark { kNext, kRepeat, kSkip };
  Mark mark = kNext;   // kRepeat: "@+", the template of the block before; kSkip: "@-N"
  int skip = 0;        // N of "@-N" (1 without digits)
  bool hasTitle = false;
  std::string title;   // of "!*title", at most 255 bytes, as the table holds it
  std::size_t end = 0; // where the block's lines begin

  // The template number after one of `previous`.
  int NextTemplate(int previous) const {
    return mark == kRepeat ? previous : mark == kSkip ? previous + skip + 1 : previous + 1;
  }
  bool Marked() const { return mark != kNext; }
};

// Reads the head of the block at text[pos]: "@+" or "@-" with up to two
// digits and an optional ':', then "!*" with a title up to the first byte
// below 0x20 (that byte and one more below 0x20 passed over, then a "!#"),
// or "!#" alone.
BlockHead ReadBlockHead(const char* text, std::size_t len, std::size_t pos);

// A sheet-list line: "$$", the active sheet's number, then items of sheet
// numbers, "m-n" or "m_n" ranges, and "m=name" entries that also name the
// sheet at that list position.
struct SheetList {
  int active = 0;                // 1-based; 0 = not given
  std::vector<int> order;        // at most 99 entries
  struct Name {
    int position;                // 1-based list position
    std::string name;            // as the table holds it, at most 255 bytes
  };
  std::vector<Name> names;       // at most 32
  std::size_t end = 0;           // where the reading stopped ('!' of the next block head, or the end)

  const std::string* NameAt(int position) const {
    for (const Name& n : names)
      if (n.position == position) return &n.name;
    return nullptr;
  }
};

// Whether a sheet-list line starts at text[pos].
inline bool IsSheetListLine(const char* text, std::size_t len, std::size_t pos) {
  return pos + 1 < len && text[pos] == '$' && text[pos + 1] == '$';
}

// Reads the sheet-list line at text[pos] (which begins "$$"). The list runs
// over lines until a '!', a NUL or the end of the text.
SheetList ReadSheetList(const char* text, std::size_t len, std::size_t pos);

}  // namespace merge
