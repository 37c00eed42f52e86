// The output of the PowerPoint reader (phase 2): the pages the slide events
// belong to, the inspection listing of the event list, and the page layout
// that places each page's texts in a grid of 180 columns by 50 rows.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "convert/ppt_events.h"
#include "fw/sjis.h"

namespace convert {
namespace {

constexpr std::size_t kPageTable = 500;  // slides and drawings matched to pages
constexpr int kMaxPages = 200;
constexpr int kColumns = 180;
constexpr int kRows = 50;
constexpr int kLongestLineCap = 150;
constexpr int kMinPageLines = 25;
constexpr int kCutRow = 26;

// The page of `key` in `table`: its place (1-based), a new place when it is
// not there yet, 0 when the table is full.
int PageOf(std::vector<int>& table, int key) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i] == key) return static_cast<int>(i) + 1;
  if (table.size() >= kPageTable) return 0;
  table.push_back(key);
  return static_cast<int>(table.size());
}

int DrawingNumber(std::uint16_t bytes) { return (bytes >> 8) * 64 + (bytes & 0xFF) / 4; }

bool IsLead(std::uint8_t c) { return fw::IsSjisLeadByte(c); }

// One page's grid. A double-byte character takes two cells; a character
// written over half of one blanks its other half, so the text never holds a
// broken pair.
class PageGrid {
 public:
  PageGrid() {
    std::memset(m_cell, ' ', sizeof m_cell);
    std::memset(m_part, 0, sizeof m_part);
    std::fill(m_rightmost, m_rightmost + kRows, -1);
  }

  void Put(int col, int row, char c) { Set(col, row, c, 0); }
  void PutPair(int col, int row, char lead, char trail) {
    if (col < 0 || col + 1 >= kColumns || row < 0 || row >= kRows) return;
    Set(col, row, lead, 1);
    Set(col + 1, row, trail, 2);
  }
  int Lowest() const { return m_lowest; }

  // Places a text from (left, top); line ends start the next row at `left`,
  // and a row is left when the column passes `right` (a blank past right -
  // 10 in a wide frame, the second byte of a pair past right - 4). Returns
  // the row after the text.
  int Place(const std::string& t, int left, int top, int right) {
    const int n = static_cast<int>(t.size());
    const int wide = right - left;
    int col = left;
    int row = top;
    for (int i = 0; i < n && row < kRows; ++i) {
      const std::uint8_t c = static_cast<std::uint8_t>(t[static_cast<std::size_t>(i)]);
      if (c == '\r' || c == '\n' || c == 0x0B) {
        if (c == '\r' && i + 1 < n && t[static_cast<std::size_t>(i) + 1] == '\n') ++i;
        ++row;
        col = left;
        continue;
      }
      if (IsLead(c) && i + 1 < n && static_cast<std::uint8_t>(t[static_cast<std::size_t>(i) + 1]) >= 0x40) {
        PutPair(col, row, static_cast<char>(c), t[static_cast<std::size_t>(i) + 1]);
        ++i;
        col += 2;
        if (col > right - 4) {
          ++row;
          col = left;
        }
        continue;
      }
      Put(col, row, static_cast<char>(c));
      ++col;
      if (col > right || (c == ' ' && col > right - 10 && wide > 30)) {
        ++row;
        col = left;
      }
    }
    return row;
  }

  // Rows 0 to the lowest row used + 1, each to its last character; fewer
  // than 25 rows are made up with empty lines, more are cut after row 26 or
  // the last row holding a character.
  void Write(LoadBuffer& out) const {
    const int lowest = m_lowest < 0 ? 0 : m_lowest;
    const int last = lowest + 1 < kRows ? lowest + 1 : kRows - 1;
    std::size_t keep = out.Size();
    for (int r = 0; r <= last; ++r) {
      int right = m_rightmost[r];
      while (right >= 0 && m_cell[r][right] == ' ') --right;
      if (right >= 0) out.Append(m_cell[r], static_cast<std::size_t>(right) + 1);
      out.Append("\r\n");
      if (r == kCutRow || (r > kCutRow && right >= 0)) keep = out.Size();
    }
    if (lowest < kMinPageLines) {
      for (int i = 0; i < kMinPageLines - lowest; ++i) out.Append("\r\n");
    } else {
      out.Truncate(keep);
    }
  }

 private:
  void Set(int col, int row, char c, std::uint8_t part) {
    if (col < 0 || col >= kColumns || row < 0 || row >= kRows) return;
    // A half of a pair overwritten: its other half becomes a blank (the
    // trail byte of a pair being written keeps the lead just put before it).
    if (m_part[row][col] == 1 && col + 1 < kColumns && m_part[row][col + 1] == 2) Blank(col + 1, row);
    if (m_part[row][col] == 2 && part != 2 && col > 0 && m_part[row][col - 1] == 1) Blank(col - 1, row);
    m_cell[row][col] = c;
    m_part[row][col] = part;
    if (col > m_rightmost[row]) m_rightmost[row] = col;
    if (row > m_lowest) m_lowest = row;
  }
  void Blank(int col, int row) {
    m_cell[row][col] = ' ';
    m_part[row][col] = 0;
  }

  char m_cell[kRows][kColumns];
  std::uint8_t m_part[kRows][kColumns];  // 0 a single byte, 1 a lead byte, 2 its trail byte
  int m_rightmost[kRows];
  int m_lowest = -1;
};

int LongestLine(const std::string& t) {
  int longest = 0, run = 0;
  for (char c : t) {
    if (c == '\r' || c == '\n' || c == 0x0B) {
      run = 0;
      continue;
    }
    if (++run > longest) longest = run;
  }
  return longest < kLongestLineCap ? longest : kLongestLineCap;
}

// A text entry as it is listed: VT as CR LF TAB, a CR without LF as CR LF,
// a line reaching nChar characters ended with CR LF "##" CR LF; pairs kept.
void ListText(const std::string& t, int nChar, LoadBuffer& out) {
  std::string s;
  int col = 0;
  const std::size_t n = t.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t c = static_cast<std::uint8_t>(t[i]);
    if (c == 0x0B) {
      s += "\r\n\t";
      col = 0;
      continue;
    }
    if (c == '\r') {
      s += "\r\n";
      if (i + 1 < n && t[i + 1] == '\n') ++i;
      col = 0;
      continue;
    }
    if (c == '\n') {
      s += "\n";
      col = 0;
      continue;
    }
    s.push_back(static_cast<char>(c));
    ++col;
    if (IsLead(c) && i + 1 < n) {
      s.push_back(t[++i]);
      ++col;
    }
    if (nChar > 0 && col >= nChar) {
      s += "\r\n##\r\n";
      col = 0;
    }
  }
  out.Append(s.data(), s.size());
}

struct Section {
  std::uint8_t code = 0;  // the event the entry follows (0: none)
  int page = 0;
};

}  // namespace

void OrderPptPages(PptEvents& ev) {
  std::vector<int> slides;    // slide numbers of the slide list, in order met
  std::vector<int> drawings;  // drawing numbers of the slides' own containers
  int unnumbered = 0;
  for (PptEntry& e : ev.entries) {
    if (e.kind != PptEntryKind::kEvent) continue;
    if (e.code == kPptSlideList) e.page = e.inSlideList ? PageOf(slides, e.number) : 0;
  }
  for (PptEntry& e : ev.entries) {
    if (e.kind != PptEntryKind::kEvent) continue;
    if (e.code == kPptSlide) {
      // Masters come before the first slide (count 1); a slide saved again
      // by a later revision has the same drawing and so the same page.
      if (e.slideCount <= 1) e.page = 0;
      else e.page = PageOf(drawings, e.hasDrawing ? DrawingNumber(e.number) : -1 - unnumbered++);
    } else if (e.code == kPptNote) {
      e.page = 0;
      for (std::size_t i = 0; i < slides.size(); ++i)
        if (slides[i] == e.number) e.page = static_cast<int>(i) + 1;
    }
  }
}

void ListPptEvents(const PptEvents& ev, LoadBuffer& out) {
  bool inRevision = false;
  const auto endRevision = [&]() {
    if (!inRevision) return;
    out.Append("\r\n===End Rev=============================================\r\n");
    inRevision = false;
  };
  for (const PptEntry& e : ev.entries) {
    if (e.kind != PptEntryKind::kEvent) {
      ListText(e.text, ev.nChar, out);
      continue;
    }
    switch (e.code) {
      case kPptSlideList:
        endRevision();
        if (e.revision > 0)
          out.Printf("\r\n===%3d==================page%3d [Rev%2d] ===============\r\n\r\n", e.number, e.page,
                     e.revision);
        else
          out.Printf("\r\n===%3d==================page%3d========================\r\n", e.number, e.page);
        break;
      case kPptSlide:
        if (e.page <= 0) break;
        endRevision();
        if (e.revision > 0)
          out.Printf("\r\n---%3d--------------page%3d--- [Rev%2d] --------\r\n", DrawingNumber(e.number), e.page,
                     e.revision);
        else
          out.Printf("\r\n---%3d--------------page%3d---------------------\r\n", DrawingNumber(e.number), e.page);
        break;
      case kPptDocEnd:
        out.Append("\r\n======================================================\r\n\r\n");
        break;
      case kPptRevision:
        endRevision();
        out.Append("\r\n===Rev ================================================\r\n");
        inRevision = true;
        break;
      case kPptNote:
        out.Append("\r\n[Note]--------------\r\n");
        break;
      default:
        break;
    }
  }
  endRevision();
}

void LayOutPptPages(const PptEvents& ev, LoadBuffer& out) {
  // Each entry's section (the slide or note event it follows), and the
  // entries of each page in event order.
  int pages = 0;
  for (const PptEntry& e : ev.entries)
    if (e.kind == PptEntryKind::kEvent && e.page > pages) pages = e.page;
  if (pages > kMaxPages) pages = kMaxPages;
  std::vector<std::vector<std::size_t>> byPage(static_cast<std::size_t>(pages) + 1);
  std::vector<Section> sectionOf(ev.entries.size());
  Section cur;
  for (std::size_t i = 0; i < ev.entries.size(); ++i) {
    const PptEntry& e = ev.entries[i];
    if (e.kind == PptEntryKind::kEvent) {
      if (e.code == kPptSlideList || e.code == kPptSlide || e.code == kPptNote) {
        cur.code = e.code;
        cur.page = e.page;
      } else if (e.code == kPptDocEnd) {
        cur = Section();
      }
    }
    sectionOf[i] = cur;
    if (cur.page > 0 && cur.page <= pages) byPage[static_cast<std::size_t>(cur.page)].push_back(i);
  }

  for (int page = 1; page <= pages; ++page) {
    PageGrid grid;
    out.Printf("=================================================page%3d===============================================\r\n",
               page);
    const PptEntry* anchor = nullptr;
    int noteRow = -1;
    for (std::size_t i : byPage[static_cast<std::size_t>(page)]) {
      const PptEntry& e = ev.entries[i];
      const Section& sec = sectionOf[i];
      if (e.kind == PptEntryKind::kEvent) {
        anchor = nullptr;
        noteRow = -1;
        if (e.code == kPptNote) {
          // A note starts below what the page holds, marked "#".
          noteRow = grid.Lowest() + 1;
          grid.Put(0, noteRow, '#');
        }
        continue;
      }
      if (sec.code == kPptNote) {
        if (e.kind == PptEntryKind::kAnchor) continue;
        if (noteRow < 0) noteRow = grid.Lowest() + 1;
        noteRow = grid.Place(e.text, 2, noteRow, 92);
        continue;
      }
      if (e.kind == PptEntryKind::kAnchor) {
        anchor = &e;
        continue;
      }
      int left = 5, top = 6, right = 92, bottom = 16, kind = 0;
      if (anchor) {
        left = anchor->left, top = anchor->top, right = anchor->right, bottom = anchor->bottom;
        kind = anchor->shapeKind;
        if (right > 134 && left > 40) right = 135;
        if (left < 0) left = 0;
        if (sec.code == kPptSlideList && top == 99) top = 0;
        if (sec.code == kPptSlide) {
          if (top < 1) top = 1;
          if (right - left < 3) right = left + 3;
        }
      } else {
        // Texts without an anchor (the slide list's) stand one below the
        // other, never over each other.
        top = std::max(6, grid.Lowest() + 1);
        bottom = top + 10;
      }
      if (e.kind == PptEntryKind::kMarker) {
        if (bottom > top + 5) top = (bottom + top) / 2 - 2;
        if (right - left > 30) left = (right - 10 + left) / 2;
        if (right < left + 8) right = left + 8;
      } else {
        const int n = LongestLine(e.text);
        if (right - left < 5 && n > 20) right = left + 50;
        if (bottom - top < 10 && ((kind >= 3 && kind <= 5) || right - left - n > 10)) left = (right - n + left) / 2;
        if (left < 0) left = 0;
      }
      grid.Place(e.text, left, top, right);
    }
    grid.Write(out);
  }
  out.Append("=======================================================================================================\r\n");
}

}  // namespace convert
