#include "convert/word_marks.h"

#include <algorithm>

namespace convert {
namespace {

// Operand bytes of a two-byte property code (Word 97), from its size bits;
// variable operands carry their length. 0 when the operand runs past `end`.
std::size_t SprmSize(const WordBytes& b, std::size_t at, std::size_t end) {
  const std::uint32_t op = b.U16(at);
  std::size_t size = 0;
  switch ((op >> 13) & 7) {
    case 0: case 1: size = 1; break;
    case 2: case 4: case 5: size = 2; break;
    case 3: size = 4; break;
    case 7: size = 3; break;
    default:
      if (op == 0xD608) {
        // A table definition: a 16-bit count that includes one byte of itself.
        const std::uint32_t cb = b.U16(at + 2);
        size = 2 + (cb > 0 ? cb - 1 : 0);
      } else {
        size = 1 + static_cast<std::size_t>(b.U8(at + 2));
      }
  }
  if (at + 2 + size > end) return 0;
  return size;
}

// The boundaries of a definition: the cell count (a negative one is 0) and
// cell count + 1 16-bit boundaries in twips, as character columns.
WordTableDef MakeDefinition(const WordBytes& b, std::size_t at, std::size_t end) {
  WordTableDef def;
  if (at >= end) return WordDefaultDefinition();
  int cells = static_cast<std::int8_t>(b.U8(at));
  if (cells < 0) cells = 0;
  if (cells > kWordMaxBounds - 1) cells = kWordMaxBounds - 1;
  int count = cells + 1;
  // Only the boundaries the operand holds.
  const std::size_t held = (end - (at + 1)) / 2;
  if (static_cast<std::size_t>(count) > held) count = static_cast<int>(held);
  if (count <= 0) return WordDefaultDefinition();
  const int first = static_cast<std::int16_t>(b.U16(at + 1));
  for (int i = 0; i < count; ++i) {
    const int v = static_cast<std::int16_t>(b.U16(at + 1 + 2 * static_cast<std::size_t>(i)));
    def.bound[i] = static_cast<std::int16_t>(i == 0 ? std::max(0, v / 80) : (v - first) / 80);
  }
  def.count = count;
  return def;
}

struct PropsKind {
  std::uint8_t kind = kMarkEmpty;
  bool haveDef = false;
  WordTableDef def;
};

// Version 4: the kind of a paragraph from its property codes [at, end).
void ScanProps4(const WordBytes& b, std::size_t at, std::size_t end, PropsKind& k, const WordBytes& data, int depth) {
  int index = 0;
  while (at + 2 <= end) {
    const std::uint32_t op = b.U16(at);
    const std::size_t size = SprmSize(b, at, end);
    if (size == 0) break;
    const std::size_t operand = at + 2;
    if (op == 0x6646 && index == 0 && depth == 0) {
      // The properties are kept in the "Data" stream (a 16-bit size first).
      const std::size_t where = b.U32(operand);
      if (data.Has(where, 2)) {
        const std::size_t len = data.U16(where);
        const std::size_t stop = std::min(data.n, where + 2 + std::min<std::size_t>(len, 496));
        PropsKind inner;
        ScanProps4(data, where + 2, stop, inner, data, 1);
        k = inner;
        if (k.kind == kMarkEmpty) k.kind = kMarkRowEnd;
      } else {
        k.kind = kMarkRowEnd;
      }
      return;
    }
    if (op == 0x2417 && b.U8(operand) == 1) {
      k.kind = kMarkRowEnd;
    } else if ((op == 0x2416 || op == 0x6649) && b.U8(operand) != 0) {
      if (k.kind != kMarkRowEnd) k.kind = kMarkInTable;
    } else if (op == 0xD608 && !k.haveDef) {
      k.haveDef = true;
      k.def = MakeDefinition(b, operand + 2, operand + size);
    }
    at = operand + size;
    ++index;
  }
}

// Version 3 (one-byte codes): the Part's byte tests.
void ScanProps3(const WordBytes& b, std::size_t at, std::size_t end, PropsKind& k) {
  if (at + 2 <= end && b.U8(at) == 13 && b.U8(at + 1) < 10) {
    k.kind = kMarkPlain;
    return;
  }
  if (at + 4 <= end && b.U8(at + 2) == 25 && b.U8(at + 3) == 1) {
    k.kind = kMarkRowEnd;
  } else {
    for (std::size_t i = at; i + 1 < end; ++i)
      if (b.U8(i) == 24 && b.U8(i + 1) == 1) {
        k.kind = kMarkInTable;
        break;
      }
  }
  if (k.kind != kMarkRowEnd) return;
  for (std::size_t i = at; i + 3 < end; ++i) {
    if (b.U8(i) == 190 && b.U8(i + 2) < 3) {
      const std::size_t len = b.U16(i + 1);
      k.haveDef = true;
      k.def = MakeDefinition(b, i + 3, std::min(end, i + 3 + len));
      return;
    }
  }
}

void AddMark(WordMarks& m, std::uint32_t pos, PropsKind k) {
  if (static_cast<int>(m.marks.size()) >= kWordMaxMarks) return;
  WordMark mark;
  mark.pos = pos;
  mark.kind = k.kind;
  if (k.kind == kMarkRowEnd) {
    const int number = WordAddDefinition(m, k.haveDef ? k.def : WordDefaultDefinition());
    mark.kind = static_cast<std::uint8_t>(kMarkRowDef + number % 100);
  }
  m.marks.push_back(mark);
}

}  // namespace

WordTableDef WordDefaultDefinition() {
  WordTableDef def;
  def.count = 20;
  for (int i = 0; i < 20; ++i) def.bound[i] = static_cast<std::int16_t>(i * 10);
  def.bound[0] = 0;
  return def;
}

int WordAddDefinition(WordMarks& m, const WordTableDef& def) {
  if (static_cast<int>(m.defs.size()) < kWordMaxDefs) {
    m.defs.push_back(def);
  } else {
    m.defs.back() = def;
  }
  return static_cast<int>(m.defs.size()) - 1;
}

std::vector<WordPiece> WordReadPieceTable(const WordBytes& table, std::size_t at, bool* damaged) {
  std::vector<WordPiece> pieces;
  *damaged = false;
  // Property blocks (type 1, 16-bit size) come before the piece table (type 2).
  for (int guard = 0; guard < 100000 && table.Has(at, 1); ++guard) {
    const std::uint8_t type = table.U8(at);
    if (type == 1) {
      at += 3 + table.U16(at + 1);
      continue;
    }
    if (type != 2) break;
    const std::uint32_t size = table.U32(at + 1);
    const std::size_t start = at + 5;
    std::size_t n = size >= 4 ? (size - 4) / 12 : 0;
    // Bounded by the bytes held: (n + 1) positions and n descriptors.
    const std::size_t held = table.n > start + 4 ? (table.n - start - 4) / 12 : 0;
    if (n > held) {
      // A table that claims more than the stream holds places its
      // descriptors nowhere known: no pieces (the text is read as one run).
      *damaged = true;
      return pieces;
    }
    pieces.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      WordPiece p;
      p.cp = table.U32(start + 4 * i);
      p.cpEnd = table.U32(start + 4 * (i + 1));
      const std::size_t d = start + 4 * (n + 1) + 8 * i;
      if (table.U16(d) == 0xFFFF) break;  // the end of the list
      const std::uint32_t fc = table.U32(d + 2);
      p.compressed = (fc & 0x40000000u) != 0;
      p.fc = p.compressed ? (fc & 0x3FFFFFFFu) / 2 : fc & 0x3FFFFFFFu;
      if (p.cpEnd < p.cp) {
        *damaged = true;
        break;
      }
      pieces.push_back(p);
    }
    return pieces;
  }
  *damaged = true;  // no piece-table block
  return pieces;
}

bool WordReadMarkPage(WordMarks& m, const WordBytes& main, std::size_t page, int version, const WordBytes& data) {
  if (!main.Has(page, 512)) {
    m.damaged = true;
    return false;
  }
  const int c = main.U8(page + 511);
  if (c == 0 || c >= 60) return false;
  const std::size_t bxSize = version >= 4 ? 13 : 7;
  if (4 * static_cast<std::size_t>(c + 1) + bxSize * static_cast<std::size_t>(c) > 511) {
    m.damaged = true;
    return false;
  }
  for (int i = 0; i < c; ++i) {
    const std::uint32_t pos = main.U32(page + 4 * static_cast<std::size_t>(i + 1));
    const std::size_t off = static_cast<std::size_t>(main.U8(page + 4 * static_cast<std::size_t>(c + 1) + bxSize * i)) * 2;
    PropsKind k;
    if (off == 0) {
      k.kind = kMarkPlain;
    } else {
      std::size_t at = page + off;
      std::size_t len = main.U8(at);
      if (version >= 4) {
        if (len == 0) {
          len = 2 * static_cast<std::size_t>(main.U8(at + 1));
          at += 2;
        } else {
          len = 2 * len - 1;
          at += 1;
        }
      } else {
        len = 2 * len;
        at += 1;
      }
      std::size_t end = at + len;
      if (off + 1 > 511 || end > page + 511) {
        // Offsets past their page: only what the page holds.
        m.damaged = true;
        end = std::min(end, page + 511);
      }
      if (len <= 2 || at + 2 >= end) {
        k.kind = kMarkPlain;
      } else if (version >= 4) {
        ScanProps4(main, at + 2, end, k, data, 0);
      } else {
        ScanProps3(main, at + 2, end, k);
      }
    }
    AddMark(m, pos, k);
  }
  return true;
}

void WordReadParagraphMarks(WordMarks& m, const WordBytes& main, const WordBytes& table, std::size_t binAt,
                            std::size_t binSize, const WordBytes& data) {
  m.marks.clear();
  m.defs.clear();
  if (binSize < 8 || !table.Has(binAt, binSize)) {
    if (binSize > 0) m.damaged = true;
    return;
  }
  const std::size_t n = (binSize - 4) / 8;
  std::vector<std::uint32_t> seen;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t pn = table.U32(binAt + 4 * (n + 1) + 4 * i) & 0x3FFFFF;
    // Each page once: a page named twice would give its marks twice.
    if (std::find(seen.begin(), seen.end(), pn) != seen.end()) {
      m.damaged = true;
      continue;
    }
    seen.push_back(pn);
    WordReadMarkPage(m, main, static_cast<std::size_t>(pn) * 512, 4, data);
  }
}

std::size_t WordScanParagraphMarks(WordMarks& m, const WordBytes& main, std::size_t from, std::size_t limit,
                                   std::uint32_t textStart, int version) {
  m.marks.clear();
  m.defs.clear();
  if (limit > main.n) limit = main.n;
  std::size_t at = from - from % 512;
  // The first page: the one that starts with the text start.
  while (at + 512 <= limit && main.U32(at) != textStart) at += 512;
  if (at + 512 > limit) return 0;
  WordBytes none;
  std::uint32_t last = 0;
  bool first = true;
  // Forward only, each page visited once.
  for (; at + 512 <= limit; at += 512) {
    if (!first && (main.U24(at) != (last & 0xFFFFFF))) continue;
    const int c = main.U8(at + 511);
    if (c == 0 || c >= 60) continue;
    if (WordReadMarkPage(m, main, at, version, none)) {
      last = main.U32(at + 4 * static_cast<std::size_t>(c));
      first = false;
    }
  }
  return at;
}

int WordFindMark(const WordMarks& m, int index, std::uint32_t pos) {
  if (index < 0 || index >= kWordMaxMarks - 1) return 0;
  for (int i = index + 1; i < static_cast<int>(m.marks.size()); ++i)
    if (m.marks[i].pos >= pos) return i;
  return 0;
}

int WordMarkAt(const WordMarks& m, int index, std::uint32_t pos) {
  if (index < 0) index = 0;
  for (int i = index; i < static_cast<int>(m.marks.size()) && i < kWordMaxMarks; ++i)
    if (m.marks[i].pos >= pos) return i;
  return -1;
}

int WordCellKind(WordMarks& m, int index) {
  if (index < 0 || index >= static_cast<int>(m.marks.size())) return 5;
  const int kind = m.marks[index].kind;
  const bool hasNext = index + 1 < static_cast<int>(m.marks.size());
  const int next = hasNext ? m.marks[index + 1].kind : 0;
  if (kind == kMarkPlain) return 5;
  if (kind == kMarkRowEnd || kind >= 10) return (next == kMarkPlain || next == kMarkEmpty) ? 3 : 6;
  if (kind == kMarkInTable) {
    if (hasNext && next == kMarkEmpty) m.marks[index + 1].kind = kMarkAltCell;
    return 7;
  }
  if (kind == kMarkCell) return 3;
  if (kind == kMarkAltCell) return 5;
  return 7;
}

}  // namespace convert
