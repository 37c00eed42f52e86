#include "convert/word_text.h"

#include <algorithm>
#include <cstring>

#include "convert/convert_texts.h"
#include "convert/latin1.h"
#include "convert/word_marks.h"
#include "core/docopen/opentexts.h"
#include "fw/codepage.h"

namespace convert {
namespace {


WordBytes Slot(const WordStreams& s, int i) {
  WordBytes b;
  if (!s.data || s.slot[i] <= 0 || s.slotSize[i] <= 0) return b;
  const std::size_t at = static_cast<std::size_t>(s.slot[i]);
  if (at >= s.size) return b;
  b.p = s.data + at;
  b.n = std::min(static_cast<std::size_t>(s.slotSize[i]), s.size - at);
  return b;
}

// The running text: characters into the grid with the paragraph marks at hand.
class TextReader {
 public:
  TextReader(WordGrid& grid, WordMarks& marks) : m_grid(grid), m_marks(marks) {}

  // One character of a Word 97 piece; `after` is the stream position just
  // after it (how the paragraph marks count).
  bool Unit(std::uint32_t u, std::uint32_t after) {
    if (u - 0x20u < 0x60u) {
      // Printable ASCII, the bulk of most documents.
      m_lastCellEnd = false;
      return Put(static_cast<std::uint8_t>(u));
    }
    const std::uint32_t high = u >> 8;
    if (high == 0 && u < 0x80) return Control(static_cast<std::uint8_t>(u), after);
    if (high == 0x10) return Put(TransliterateLatin1(static_cast<unsigned char>(u & 0xFF)));
    const char16_t ch = static_cast<char16_t>(u);
    const std::string sj = fw::Utf16ToCp932(&ch, 1);
    for (char c : sj)
      if (!Put(static_cast<std::uint8_t>(c))) return false;
    m_lastCellEnd = false;
    return true;
  }

  // One byte of 8-bit text (compressed pieces, Word 6/95).
  bool Byte(std::uint8_t b, std::uint32_t after) {
    if (b < 0x80) return Control(b, after);
    m_lastCellEnd = false;
    return Put(TransliterateLatin1(b));
  }

  bool Full() const { return m_grid.full; }

 private:
  bool Put(std::uint8_t c) { return m_grid.Put(c); }

  bool Control(std::uint8_t c, std::uint32_t after) {
    switch (c) {
      case 0x13: c = '#'; break;
      case 0x14: c = '['; break;
      case 0x15: c = ']'; break;
      case 0x0B:
      case 0x0D: {
        const int i = WordMarkAt(m_marks, m_index, after);
        if (i >= 0) m_index = i;
        const bool inCell = i >= 0 && m_marks.marks[i].kind == kMarkInTable;
        m_lastCellEnd = false;
        return Put(inCell ? kGridLineInCell : 0x0D) && Put(0x0A);
      }
      case 0x07: {
        const int i = WordMarkAt(m_marks, m_index, after);
        if (i >= 0) m_index = i;
        int code = WordCellKind(m_marks, i);
        if (code == 5) code = m_lastCellEnd ? kGridRowNoDef : kGridCellEnd;
        if (code == kGridRowEnd || code == kGridLastRow) {
          m_grid.rowDefs.push_back(m_marks.marks[i].kind);
        } else if (code == kGridRowNoDef) {
          m_grid.rowDefs.push_back(-1);
        }
        m_lastCellEnd = code == kGridCellEnd;
        return Put(static_cast<std::uint8_t>(code));
      }
      default: break;
    }
    m_lastCellEnd = false;
    return Put(c);
  }

  WordGrid& m_grid;
  WordMarks& m_marks;
  int m_index = 0;
  bool m_lastCellEnd = false;
};

// The grid holds nChar * lines positions; its room grows with the text (a
// character of the stream gives at most three positions).
void InitGrid(WordGrid& g, const WordRequest& req, std::size_t streamBytes) {
  const int nChar = std::max(1, std::min(req.nChar, 510));
  const int lines = std::max(1, req.gridLines);
  g.capacity = static_cast<std::size_t>(nChar) * static_cast<std::size_t>(lines);
  g.cells.reserve(std::min(g.capacity, 3 * streamBytes + 16));
}

// The grid to text, with string 239 when it filled and the damage line.
const char* Finish(WordGrid& g, const WordMarks& marks, const WordRequest& req,
            const std::vector<WordPicture>& pictures, LoadBuffer& out, const char* damage) {
  g.defs = marks.defs;
  WordWriteText(g, req, pictures, out);
  if (g.full) {
    out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDataOmitted)));
    return nullptr;
  }
  return damage;
}

bool Encrypted(const WordBytes& main) { return (main.U16(0x0A) & 0x0100) != 0; }

// Word 97 and later.
const char* ReadWord97(const WordStreams& s, const WordBytes& main, const WordRequest& req, LoadBuffer& out,
                const std::vector<WordPicture>& pictures) {
  if (Encrypted(main)) {
    out.Append(static_cast<const char*>(GetConvertText(ConvertText::kEncryptedData)));
    return nullptr;
  }
  const bool one = Slot(s, 3).n > 0;
  const WordBytes table = one ? Slot(s, 3) : Slot(s, 2);
  const char* tableName = one ? "1Table" : "0Table";
  const WordBytes data = Slot(s, 1);
  const char* damage = nullptr;

  WordMarks marks;
  WordReadParagraphMarks(marks, main, table, main.U32(0x102), main.U32(0x106), data);
  if (marks.damaged) damage = tableName;

  WordGrid grid;
  InitGrid(grid, req, main.n);
  TextReader reader(grid, marks);

  // The text's end in the main stream (24 bits at 0x1C).
  std::uint32_t end = main.U24(0x1C);
  if (end == 0 || end > main.n) end = static_cast<std::uint32_t>(main.n);

  bool pieceDamage = false;
  std::vector<WordPiece> pieces;
  if (table.n > 0) pieces = WordReadPieceTable(table, main.U32(0x1A2), &pieceDamage);
  if (pieces.empty()) {
    // No piece table: the text as one run of 16-bit characters from its start.
    WordPiece p;
    p.fc = main.U32(0x18);
    p.cp = 0;
    p.cpEnd = p.fc < end ? (end - p.fc) / 2 : 0;
    pieces.push_back(p);
    pieceDamage = true;
  }
  if (pieceDamage) damage = tableName;  // the first damage met names the line

  for (const WordPiece& p : pieces) {
    const std::uint64_t count = p.cpEnd - p.cp;
    const std::uint64_t width = p.compressed ? 1 : 2;
    std::uint64_t fc = p.fc;
    const std::uint64_t stop = fc + count * width;
    // A piece whose text lies past the stream copy: the text ends there.
    if (stop > main.n) {
      if (!s.cut && !damage) damage = "WordDocument";
    }
    bool ended = false;
    for (std::uint64_t i = 0; i < count && !ended; ++i, fc += width) {
      if (fc + width > main.n) {
        ended = true;
        break;
      }
      if (!p.compressed && fc + width > end) {
        ended = true;
        break;
      }
      const std::uint32_t after = static_cast<std::uint32_t>(fc + width);
      const bool ok = p.compressed ? reader.Byte(main.p[fc], after)
                                   : reader.Unit(main.p[fc] | (main.p[fc + 1] << 8u), after);
      if (!ok) ended = true;
    }
    if (reader.Full()) break;
  }
  return Finish(grid, marks, req, pictures, out, damage);
}

// Word 6/95 and the older compound forms: 8-bit text from offset 0x300.
const char* ReadWord6(const WordStreams& s, const WordBytes& main, const WordRequest& req, LoadBuffer& out,
               const std::vector<WordPicture>& pictures) {
  if (Encrypted(main)) {
    out.Append(static_cast<const char*>(GetConvertText(ConvertText::kEncryptedData)));
    return nullptr;
  }
  WordMarks marks;
  std::size_t limit = WordScanParagraphMarks(marks, main, 0x300, main.n, main.U32(0x18), 3);
  std::uint32_t end = main.U24(0x1C);
  if (end == 0 || end > main.n) end = static_cast<std::uint32_t>(main.n);
  if (limit == 0 || limit > end) limit = end;
  WordGrid grid;
  InitGrid(grid, req, main.n);
  TextReader reader(grid, marks);
  for (std::size_t at = 0x300; at < limit; ++at) {
    const std::uint8_t b = main.p[at];
    if (b == 0 && at + 1 < limit && main.p[at + 1] == 0) break;
    if (!reader.Byte(b, static_cast<std::uint32_t>(at + 1))) break;
  }
  (void)s;
  return Finish(grid, marks, req, pictures, out, marks.damaged ? "WordDocument" : nullptr);
}

// The 8-bit text stream: every byte from 0x201 through the transliteration.
void Read8Bit(const std::uint8_t* p, std::size_t n, LoadBuffer& out) {
  if (n <= 0x201) return;
  std::string text;
  text.reserve(n - 0x201);
  for (std::size_t i = 0x201; i < n; ++i) text.push_back(static_cast<char>(TransliterateLatin1(p[i])));
  out.Append(text.data(), text.size());
}

bool HeadIs(const WordBytes& b, const char* head, std::size_t n) {
  return b.Has(0, n) && std::memcmp(b.p, head, n) == 0;
}

}  // namespace

WordResult WordCompoundToText(const WordStreams& s, const WordRequest& req, LoadBuffer& out,
                              const std::vector<WordPicture>& pics) {
  WordResult r;
  const WordBytes main = Slot(s, 0);
  if (main.n < 4) return r;
  if (HeadIs(main, "{\\rt", 4)) {
    r.outcome = WordOutcome::kRtf;
    r.rtfAt = static_cast<std::size_t>(s.slot[0]);
    r.rtfSize = main.n;
    return r;
  }
  r.outcome = WordOutcome::kText;
  if (HeadIs(main, "\xFE\x37\x00", 3) || req.fileKind == 32) {
    Read8Bit(main.p, main.n, out);
  } else if (HeadIs(main, "\xEC\xA5", 2)) {
    r.damage = ReadWord97(s, main, req, out, pics);
  } else if (HeadIs(main, "R\0o", 3) || (HeadIs(main, "\x97\xA6", 2) && (main.p[2] == 'h' || main.p[2] == 'e')) ||
             (HeadIs(main, "\xDC\xA5", 2) && main.p[2] == 'h') || main.p[2] == 'e') {
    r.damage = ReadWord6(s, main, req, out, pics);
  } else {
    r.outcome = WordOutcome::kNoForm;
  }
  return r;
}

WordResult WordFileToText(const std::uint8_t* data, std::size_t size, const WordRequest& req, LoadBuffer& out) {
  (void)req;
  WordResult r;
  if (!data || size < 3) return r;
  if (data[0] == 0xFE && data[1] == 0x37 && data[2] == 0x00) {
    r.outcome = WordOutcome::kText;
    Read8Bit(data, size, out);
    return r;
  }
  if (!(data[0] == 0x94 && data[1] == 0xA6 && data[2] == 0x2E)) return r;
  r.outcome = WordOutcome::kText;
  // The early Word file: bytes from 0x180 up to the end position; CR 07 is a
  // cell end (TAB), CR 07 CR 07 a row end (CR LF).
  WordBytes b{data, size};
  std::size_t end = b.U24(0x1C);
  if (end == 0 || end > size) end = size;
  std::string text;
  for (std::size_t i = 0x180; i < end; ++i) {
    const std::uint8_t c = data[i];
    if (c == 0 && i + 1 < end && data[i + 1] == 0) break;
    if (c == 0x1E && i + 1 < end && data[i + 1] == 'x') break;
    if (c == 0x0D && i + 1 < end && data[i + 1] == 0x07) {
      if (i + 3 < end && data[i + 2] == 0x0D && data[i + 3] == 0x07) {
        text += "\r\n";
        i += 3;
      } else {
        text += '\t';
        i += 1;
      }
      continue;
    }
    if (c == 0x0D) {
      text += "\r\n";
      if (i + 1 < end && data[i + 1] == 0x0A) ++i;
      continue;
    }
    text.push_back(static_cast<char>(c));
  }
  out.Append(text.data(), text.size());
  return r;
}

}  // namespace convert
