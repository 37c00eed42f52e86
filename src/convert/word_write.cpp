// The Word reader's grid to text: plain paragraphs as they stand, table rows
// laid out cell beside cell in a row buffer by their table definition.
#include <algorithm>
#include <cstdio>
#include <string>

#include "convert/word_text.h"

namespace convert {
namespace {

constexpr int kRowLines = 198;
constexpr int kMaxColumn = 400;

bool IsLead(std::uint8_t c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC); }

class Writer {
 public:
  Writer(const WordGrid& g, const WordRequest& req, const std::vector<WordPicture>& pictures, LoadBuffer& out)
      : m_g(g), m_req(req), m_pictures(pictures), m_text(out) {}

  void Run() {
    const std::string& c = m_g.cells;
    m_text.Reserve(m_text.Size() + c.size() + c.size() / 8 + 64);
    m_out.reserve(kChunk + 1024);
    std::size_t seg = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
      const std::uint8_t b = static_cast<std::uint8_t>(c[i]);
      if (b >= 0x20) continue;
      if (b == 0x0D) {
        std::size_t last = i;
        if (i + 1 < c.size() && c[i + 1] == 0x0A) last = i + 1;
        Text(seg, last + 1);
        Flush(kChunk);
        m_inTable = false;
        seg = last + 1;
        i = last;
      } else if (b == kGridRowEnd || b == kGridLastRow || b == kGridRowNoDef) {
        Row(seg, i);
        Flush(kChunk);
        seg = i + 1;
      }
    }
    if (seg < c.size()) Text(seg, c.size());
    Flush();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;

  // The text so far into the output once it holds `atLeast` bytes.
  void Flush(std::size_t atLeast = 0) {
    if (m_out.size() < atLeast || m_out.empty()) return;
    m_text.Append(m_out.data(), m_out.size());
    m_out.clear();
  }

  // The marker of the next object of the object list.
  std::string Object() {
    const std::uint8_t letter = m_next < m_pictures.size() ? m_pictures[m_next++].letter : 0;
    if (letter == 0) return " ";
    char buf[32];
    if (letter == 'R' || letter == 'b') {
      std::snprintf(buf, sizeof buf, "[Image%d]%s", ++m_image, letter == 'R' ? "JPG" : "PNG");
      return buf;
    }
    return "[WorkSheet]";
  }

  // The bytes a grid character stands for outside a table.
  void Char(std::uint8_t b, std::string& to) {
    switch (b) {
      case 0x08: to += "\x81\xA0"; return;
      case 0x0B: to += "\x81\x9E"; return;
      case 0x13: to += '#'; return;
      case 0x14: to += '['; return;
      case 0x15: to += ']'; return;
      case 0x00: case 0x01: to += Object(); return;
      case kGridLineInCell: to += '\r'; return;
      case kGridCellEnd: to += '\t'; return;
      default: to += static_cast<char>(b);
    }
  }

  // Runs of ordinary characters (all codes lie below 0x20) go out as they are.
  void Text(std::size_t from, std::size_t to) {
    const std::string& c = m_g.cells;
    std::size_t i = from;
    while (i < to) {
      std::size_t j = i;
      while (j < to && static_cast<std::uint8_t>(c[j]) >= 0x20) ++j;
      m_out.append(c, i, j - i);
      if (j < to) Char(static_cast<std::uint8_t>(c[j]), m_out);
      i = j + 1;
    }
  }

  // The definition of the row that ends with `code`.
  WordTableDef Definition(std::uint8_t code, std::size_t from, std::size_t to) {
    const int mark = m_rowIndex < m_g.rowDefs.size() ? m_g.rowDefs[m_rowIndex] : -1;
    ++m_rowIndex;
    if (code == kGridRowNoDef || mark < 0) {
      int cells = 1;
      for (std::size_t i = from; i < to; ++i)
        if (m_g.cells[i] == static_cast<char>(kGridCellEnd)) ++cells;
      const int step = cells > 1 ? std::max(9, 120 / (cells - 1)) : 120;
      WordTableDef d;
      d.count = kWordMaxBounds;
      for (int k = 0; k < d.count; ++k) d.bound[k] = static_cast<std::int16_t>(std::min(k * step, 30000));
      return d;
    }
    if (mark >= kMarkRowDef) {
      // The nearest number less than 50 away whose value mod 100 is the mark's.
      const int want = mark - kMarkRowDef;
      int best = -1;
      for (int d = 0; d < 50 && best < 0; ++d) {
        for (int n : {m_defNo + d, m_defNo - d}) {
          if (n >= 0 && n <= 999 && n % 100 == want) {
            best = n;
            break;
          }
        }
      }
      m_defNo = best >= 0 ? best : m_defNo + 1;
    } else {
      ++m_defNo;
    }
    m_defNo = std::max(0, std::min(m_defNo, 999));
    if (m_defNo < static_cast<int>(m_g.defs.size())) return m_g.defs[m_defNo];
    return WordDefaultDefinition();
  }

  void Row(std::size_t from, std::size_t endAt) {
    const std::uint8_t code = static_cast<std::uint8_t>(m_g.cells[endAt]);
    if (m_req.openContext == 2 && m_req.fileKind == 2) {
      char head[32];
      std::snprintf(head, sizeof head, "\r\n[%4d:]\r\n", m_dumpRow);
      m_out += head;
      m_out.append(m_g.cells, from, endAt + 1 - from);
      m_out += "<<";
    }
    ++m_dumpRow;
    const WordTableDef def = Definition(code, from, endAt);
    // Cells from boundary to boundary, contiguous, each within 400 columns.
    std::vector<int> start, end;
    const int bounds = std::max(0, std::min(def.count, kWordMaxBounds));
    int at = 0;
    for (int k = 0; k + 1 < bounds; ++k) {
      int next = def.bound[k + 1];
      if (next <= at || next > kMaxColumn) next = at + 20;
      start.push_back(at);
      end.push_back(next);
      at = next;
      if (at >= kMaxColumn) break;
    }
    if (start.empty()) {
      start.push_back(0);
      end.push_back(20);
    }
    const int width = end.back();
    const int indent = std::max(0, std::min<int>(def.bound[0], kMaxColumn));
    const bool rule = m_req.readerMode != 0;

    std::vector<std::string> lines;
    auto line = [&](int n) -> std::string& {
      while (static_cast<int>(lines.size()) <= n) {
        std::string l(static_cast<std::size_t>(width), ' ');
        if (rule)
          for (int e : end) l[static_cast<std::size_t>(e - 1)] = '|';
        lines.push_back(std::move(l));
      }
      return lines[static_cast<std::size_t>(n)];
    };
    line(0);

    std::size_t cell = 0;
    int ln = 0, col = 0;
    bool afterLead = false;
    auto place = [&](std::uint8_t b) {
      if (cell >= start.size()) return;
      int pos = start[cell] + col;
      if (pos >= end[cell]) {
        ++ln;
        col = 0;
        afterLead = false;
        pos = start[cell];
      }
      if (ln >= kRowLines) return;
      line(ln)[static_cast<std::size_t>(pos)] = static_cast<char>(b);
      ++col;
      const bool lead = !afterLead && IsLead(b);
      afterLead = lead;
      if (pos >= end[cell] - 3 && !lead) {
        ++ln;
        col = 0;
      }
    };
    for (std::size_t i = from; i < endAt; ++i) {
      const std::uint8_t b = static_cast<std::uint8_t>(m_g.cells[i]);
      if (b == kGridCellEnd) {
        ++cell;
        ln = 0;
        col = 0;
        afterLead = false;
      } else if (b == 0x0D || b == kGridLineInCell) {
        ++ln;
        col = 0;
        afterLead = false;
      } else if (b == 0x08 || b == 0x0B || b == 0x00 || b == 0x01) {
        std::string s;
        Char(b, s);
        for (char ch : s) place(static_cast<std::uint8_t>(ch));
      } else if (b >= 32) {
        place(b);
      }
    }

    if (!m_inTable) {
      if (m_req.readerMode == 1) {
        int last = std::min(width, kMaxColumn);
        if (start.empty() || start.size() >= 100) last = 50;
        m_out.append(static_cast<std::size_t>(indent), ' ');
        m_out += '+';
        m_out.append(static_cast<std::size_t>(std::max(0, last - 1)), '-');
        m_out += "+\r\n";
      } else {
        m_out += "\r\n";
      }
    }
    m_inTable = code != kGridLastRow;
    for (const std::string& l : lines) {
      m_out.append(static_cast<std::size_t>(indent), ' ');
      m_out += m_req.readerMode == 1 ? '|' : ' ';
      m_out += l;
      m_out += "\r\n";
    }
  }

  const WordGrid& m_g;
  const WordRequest& m_req;
  const std::vector<WordPicture>& m_pictures;
  LoadBuffer& m_text;
  std::string m_out;         // the text not yet in m_text
  std::size_t m_next = 0;    // next entry of the object list
  int m_image = 0;           // pictures shown so far
  std::size_t m_rowIndex = 0;
  int m_defNo = 0;
  int m_dumpRow = 0;
  bool m_inTable = false;
};

}  // namespace

void WordWriteText(const WordGrid& grid, const WordRequest& req, const std::vector<WordPicture>& pictures,
                   LoadBuffer& out) {
  Writer w(grid, req, pictures, out);
  w.Run();
}

}  // namespace convert
