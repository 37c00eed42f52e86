#include "convert/workbook_grid.h"

#include <algorithm>

#include "convert/convert_texts.h"
#include "core/docopen/opentexts.h"
#include "fw/sjis.h"

namespace convert {
namespace {

constexpr int kMinColumns = 5;
constexpr int kMaxColumns = 255;   // the column count's one-byte place
constexpr int kTailSlotWidth = 15; // the slot after the last column
constexpr int kBoundMargin = 1000;
constexpr int kTrailingLineEnds = 11;
constexpr int kXlsxSheetLimit = 256;
constexpr char kRule[] = "---------------------------------------------------------------\r\n";
constexpr char kEmptyRow[] = "                \r\n";  // 16 spaces

struct Slot {
  std::vector<std::string> parts;  // the text's lines (split at VT)
  bool number = false;
  bool filled = false;
};

int ColumnCount(const std::vector<WorkbookCell>& cells) {
  std::int32_t highest = 0;
  for (const WorkbookCell& c : cells) highest = std::max(highest, c.column);
  return std::min(kMaxColumns, std::max(kMinColumns, static_cast<int>(highest)) + 1);
}

std::vector<std::string> SplitAtVt(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char ch : text) {
    if (ch == '\v')
      parts.emplace_back();
    else
      parts.back().push_back(ch);
  }
  return parts;
}

// The text of a cell as the grid shows it.
Slot MakeSlot(const WorkbookTable& t, const WorkbookCell& c, std::int32_t nChar) {
  Slot s;
  s.filled = true;
  std::string text = t.Text(c.value);
  s.number = WorkbookTable::IsNumberKind(t.Kind(c.value));
  if (!s.number) {
    if (!text.empty() && (text[0] == 0x1E || text[0] == 0x1F)) text[0] = ' ';
    const std::int32_t keep = std::max<std::int32_t>(0, nChar - 2);
    if (static_cast<std::int32_t>(text.size()) > keep) text = CutSjis(text, static_cast<std::size_t>(keep)) + "..";
  }
  s.parts = SplitAtVt(text);
  return s;
}

bool HasPart(const Slot& s, std::size_t line) { return s.filled && line < s.parts.size() && !s.parts[line].empty(); }

// One line of a row: each slot is its width and a blank, then the closing
// mark. A text longer than that runs on into the following empty slots
// (their marks are not drawn) and is cut at the first filled one; a number
// is right-aligned and never cut.
std::string GridLine(const std::vector<Slot>& slots, const std::vector<int>& widths, std::size_t line, char mark) {
  std::string out;
  const std::size_t n = slots.size();
  std::size_t k = 0;
  while (k < n) {
    const std::size_t width = static_cast<std::size_t>(widths[k]);
    if (!HasPart(slots[k], line)) {
      out.append(width + 1, ' ');
      out.push_back(mark);
      ++k;
      continue;
    }
    std::string text = slots[k].parts[line];
    if (slots[k].number && text.size() <= width) {
      out.append(width - text.size(), ' ');
      out += text;
      out.push_back(' ');
      out.push_back(mark);
      ++k;
      continue;
    }
    std::size_t room = width + 1;
    std::size_t last = k;
    while (text.size() > room && last + 1 < n && !HasPart(slots[last + 1], line)) {
      ++last;
      room += 1 + static_cast<std::size_t>(widths[last]) + 1;
    }
    const bool blocked = last + 1 < n;
    if (text.size() > room && blocked && !slots[k].number) text = CutSjis(text, room);
    out += text;
    if (text.size() < room) out.append(room - text.size(), ' ');
    out.push_back(mark);
    k = last + 1;
  }
  out += "\r\n";
  return out;
}

}  // namespace

std::string CutSjis(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t i = 0;
  while (i < bytes) {
    const std::size_t len = fw::IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (i + len > bytes) break;
    i += len;
  }
  return text.substr(0, i);
}

std::vector<int> GridWidths(const WorkbookTable& table, const std::vector<WorkbookCell>& sheetCells,
                            std::int32_t sheet, int columnCount, bool firstSheet, const WorkbookLayoutRequest& req) {
  std::vector<int> w(static_cast<std::size_t>(columnCount) + 1, kWorkbookDefaultWidth);
  if (req.xlsMode <= 0) {
    // The widths of the column records; a sheet past the rows the records
    // filled takes the last filled row.
    const std::int32_t filled = table.m_nKind == 36 ? kWorkbookWidthRows - 1 : table.WidthRow();
    if (filled > 0) {
      const std::uint8_t* row = table.WidthRowAt(std::min(std::max(sheet, 0) + 1, filled));
      for (int c = 0; c < columnCount; ++c) w[static_cast<std::size_t>(c)] = row[c + 1];
    }
  } else {
    for (int c = 0; c < columnCount; ++c) w[static_cast<std::size_t>(c)] = 2;
    for (const WorkbookCell& cell : sheetCells) {
      const int c = std::min(static_cast<int>(cell.column), columnCount - 1);
      const int len = std::min<int>(table.Length(cell.value), req.nChar);
      w[static_cast<std::size_t>(c)] = std::max(w[static_cast<std::size_t>(c)], len);
    }
    int cap;
    if (req.xlsMode == 2) {
      cap = 150;
    } else {
      const int n = firstSheet ? columnCount : columnCount + 2;
      if (n < 20)
        cap = firstSheet ? 100 / (n + 1) * 2 + 1 : 200 / (n + 1);
      else if (n < 60)
        cap = 13;
      else
        cap = 8;
    }
    for (int c = 0; c < columnCount; ++c) w[static_cast<std::size_t>(c)] = std::min(w[static_cast<std::size_t>(c)], cap);
  }
  w[static_cast<std::size_t>(columnCount)] = kTailSlotWidth;
  return w;
}

bool WriteGridForm(LayoutRun& run, const std::vector<std::vector<WorkbookCell>>& sheets) {
  WorkbookTable& t = run.table;
  LoadBuffer& out = run.out;
  const WorkbookLayoutRequest& req = run.req;
  const std::int64_t bound = std::max<std::int64_t>(0, req.outdata);
  const std::int64_t limit = std::max<std::int64_t>(0, bound - kBoundMargin);
  const char mark = req.readerMode == 1 ? '|' : req.readerMode == 2 ? '\x08' : ' ';
  const bool biff8 = t.m_nKind == 36 || t.m_nFirstRecordLength == 16;
  bool passedBound = false;

  // Each line is held at the bound; true once the text passed the margin
  // before the bound (then it ends with string 239).
  auto put = [&](const std::string& s) {
    out.Append(s.data(), s.size());
    if (static_cast<std::int64_t>(out.Size()) > bound) {
      out.Truncate(static_cast<std::size_t>(bound));
      passedBound = true;
    }
  };
  auto bounded = [&]() {
    if (static_cast<std::int64_t>(out.Size()) <= limit) return false;
    if (passedBound) out.Truncate(static_cast<std::size_t>(limit));
    out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDataOmitted)));
    return true;
  };

  for (std::size_t s = 0; s < sheets.size(); ++s) {
    const std::vector<WorkbookCell>& cells = sheets[s];
    const std::int32_t sheet = cells.front().sheet;
    const std::string name = SheetNameForShow(t.SheetName(sheet), true);
    if (s == 0) {
      put("[Sheet 1]" + name + kRule);
    } else {
      const int number = SheetHeadingNumber(t, sheet);
      if (biff8 || number > 1) {
        char head[32];
        std::snprintf(head, sizeof head, "\r\n\r\n[Sheet%2d]", number);
        put(head + name + kRule + " \r\n");
      }
    }
    const int columnCount = ColumnCount(cells);
    const std::vector<int> widths = GridWidths(t, cells, sheet, columnCount, s == 0, req);
    // The working row of the width table holds the sheet being drawn.
    std::uint8_t* working = t.WidthRowAt(0);
    for (int c = 0; c <= columnCount && c < kWorkbookWidthColumns; ++c)
      working[c] = static_cast<std::uint8_t>(std::min(widths[static_cast<std::size_t>(c)], 255));

    // Rows are laid out and written one at a time, so the text never runs
    // more than one row past the margin before the bound is seen.
    std::size_t i = 0;
    std::int32_t prevRow = cells.front().row;
    while (i < cells.size()) {
      const std::int32_t row = cells[i].row;
      const std::int32_t gap = row - prevRow;
      if (gap >= 2 && gap <= 10) {
        for (std::int32_t k = 1; k < gap; ++k) put(kEmptyRow);
      } else if (gap >= 11 && gap <= 255) {
        char line[64];
        std::snprintf(line, sizeof line, "\r\n#-------------%3dLine -------------#\r\n\r\n", gap - 1);
        put(line);
      }
      prevRow = row;
      // The slots of the row; a column beyond the row's last column is drawn
      // in the slot after it (the widths table has one byte per column).
      std::vector<Slot> slots(static_cast<std::size_t>(columnCount) + 1);
      bool stop = false;
      for (; i < cells.size() && cells[i].row == row; ++i) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::int32_t>(cells[i].column, columnCount));
        slots[k] = MakeSlot(t, cells[i], req.nChar);
        if (!run.Tick()) {
          stop = true;
          ++i;
          break;
        }
      }
      std::size_t lines = 1;
      for (const Slot& sl : slots) lines = std::max(lines, sl.filled ? sl.parts.size() : 1);
      for (std::size_t l = 0; l < lines; ++l) put(GridLine(slots, widths, l, mark));
      if (stop) return false;
      if (bounded()) return true;
    }
  }

  if (t.m_bStreamsWhole) {
    const std::int32_t cap = t.Capacity();
    if (t.m_nCellCount >= cap) {
      put(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDataOmitted)));
    } else {
      if (t.m_nKind == 36 && t.m_nSheetCount >= kXlsxSheetLimit) {
        char line[128];
        std::snprintf(line, sizeof line,
                      "\r\n[sheet%d-]-------------------------------------------------------------------\r\n\r\n",
                      kXlsxSheetLimit + 1);
        put(line);
      }
      put("\r\n[sheet end]-------------------------------------------------------------------\r\n");
    }
    for (int k = 0; k < kTrailingLineEnds; ++k) put("\r\n");
  }
  return false;
}

}  // namespace convert
