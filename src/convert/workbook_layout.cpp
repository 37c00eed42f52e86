#include "convert/workbook_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "convert/convert_host.h"
#include "convert/convert_texts.h"
#include "convert/render_frame.h"
#include "convert/workbook_grid.h"
#include "core/docopen/opentexts.h"
#include "fw/codepage.h"

namespace convert {
namespace {

constexpr int kProgressAbove = 1000;  // cells laid out before progress is shown
constexpr int kProgressStep = 256;
constexpr int kKeyUp = 0x26;
constexpr int kKeyDown = 0x28;
constexpr int kQuickLoadLastRow = 20;
constexpr int kHeadLineBytes = 80;  // mode 11's head line, counted from the name

std::int64_t CellKey(const WorkbookCell& c) {
  return (static_cast<std::int64_t>(c.sheet) * 4096 + c.row) * 4096 + c.column;
}

bool IsBiff8Numbering(const WorkbookTable& t) { return t.m_nKind == 36 || t.m_nFirstRecordLength == 16; }

bool Utf8Triple(const unsigned char* p, std::size_t left) {
  return left >= 3 && p[0] >= 0xE0 && p[0] <= 0xEF && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80;
}

// Up to 32 bytes of a name slot.
std::string NameBytes(const char* name) {
  std::size_t n = 0;
  while (n < static_cast<std::size_t>(kWorkbookNameBytes) && name[n]) ++n;
  return std::string(name, n);
}

}  // namespace

int SheetHeadingNumber(const WorkbookTable& table, std::int32_t sheet) {
  return IsBiff8Numbering(table) ? sheet + 1 : sheet;
}

std::string SheetNameForShow(const char* name, bool wholeTest) {
  const std::string raw = NameBytes(name ? name : "");
  const auto* b = reinterpret_cast<const unsigned char*>(raw.data());
  if (wholeTest && !(raw.size() >= 4 && b[0] >= 0xE0 && b[3] >= 0xE0)) return raw;
  std::string out;
  std::size_t i = 0;
  while (i < raw.size()) {
    // Only well-formed three-byte sequences are taken as UTF-8: a Shift-JIS
    // name whose lead bytes lie at 0xE0 or above stays as it is.
    if (Utf8Triple(b + i, raw.size() - i)) {
      out += fw::Utf8ToCp932(raw.data() + i, 3);
      i += 3;
    } else {
      out.push_back(raw[i]);
      ++i;
    }
  }
  return out;
}

std::vector<WorkbookCell> MergeShapeCells(WorkbookTable& table, std::int32_t nChar) {
  std::vector<WorkbookCell> cells = table.Cells();
  const std::vector<WorkbookCell>& shapes = table.ShapeCells();
  const std::int32_t maxChars = std::max<std::int32_t>(0, nChar);
  for (std::size_t n = 0; n < shapes.size(); ++n) {
    WorkbookCell c = shapes[n];
    const std::int32_t index = table.ShapeValueIndex(static_cast<std::int32_t>(n));
    if (c.value < kShapeTextBase && table.m_nKind != 36) {
      // A picture: the marker of the entry at the rank of its number among
      // the picture numbers the shapes use.
      const std::int32_t r = table.PictureRank(c.value);
      const std::uint8_t letter =
          r >= 0 && r < table.m_pictures.Count() ? table.m_pictures.At(r).type : static_cast<std::uint8_t>(0);
      const std::string marker(static_cast<const char*>(PictureMarker(letter, r + 1)));
      table.SetValue(index, reinterpret_cast<const std::uint8_t*>(marker.data()), marker.size(), kValueKindText);
    } else {
      // A text box or comment keeps its text, at most nChar characters.
      std::string text = table.Text(index);
      if (static_cast<std::int32_t>(text.size()) > maxChars) text.resize(static_cast<std::size_t>(maxChars));
      table.SetValue(index, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), kValueKindText);
    }
    c.value = index;
    const std::int64_t key = CellKey(c);
    auto at = std::find_if(cells.begin(), cells.end(), [key](const WorkbookCell& x) { return CellKey(x) >= key; });
    cells.insert(at, c);
  }
  return cells;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n\v") == std::string::npos) return text;
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '"') out.push_back('"');
    out.push_back(ch);
  }
  out.push_back('"');
  return out;
}

// --- the run: progress, stop and bounds shared by both forms

LayoutRun::LayoutRun(WorkbookTable& t, const WorkbookLayoutRequest& r, LoadBuffer& o, std::int32_t total)
    : table(t), req(r), out(o), m_total(total) {
  m_progress = req.quickLoad == 0 && total > kProgressAbove && req.host != nullptr;
}

bool LayoutRun::Tick() {
  ++m_done;
  if (stoppedByKey) return false;
  if (!m_progress || m_done % kProgressStep != 0) return true;
  CString text;
  text.Format("Making Table  %d/%d   (Push ESC to stop, Up/Down to skip)", m_done / kProgressStep,
              m_total / kProgressStep);
  req.host->StatusText(text);
  if (req.host->CheckEscapeAbort() != 0) {
    table.m_bStop = true;
    stoppedByKey = true;
    return false;
  }
  const int key = req.host->PeekKey();
  if (key == kKeyUp || key == kKeyDown) {
    table.m_bStop = true;
    stoppedByKey = true;
    return false;
  }
  return true;
}

namespace {

// Quick load keeps rows 0-20 of the first sheet.
std::vector<WorkbookCell> QuickLoadCells(const std::vector<WorkbookCell>& cells) {
  std::vector<WorkbookCell> kept;
  if (cells.empty()) return kept;
  const std::int32_t first = cells.front().sheet;
  for (const WorkbookCell& c : cells)
    if (c.sheet == first && c.row <= kQuickLoadLastRow) kept.push_back(c);
  return kept;
}

// The cells of each sheet in row and column order (the file order within a
// row and between equal keys kept), as runs of one sheet each.
std::vector<std::vector<WorkbookCell>> SheetRuns(const std::vector<WorkbookCell>& cells) {
  std::vector<std::vector<WorkbookCell>> runs;
  for (const WorkbookCell& c : cells) {
    if (runs.empty() || runs.back().front().sheet != c.sheet) runs.emplace_back();
    runs.back().push_back(c);
  }
  for (auto& run : runs)
    std::stable_sort(run.begin(), run.end(), [](const WorkbookCell& a, const WorkbookCell& b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
  return runs;
}

void WriteTableForm(LayoutRun& run, const std::vector<std::vector<WorkbookCell>>& sheets) {
  WorkbookTable& t = run.table;
  LoadBuffer& out = run.out;
  const std::int64_t bound = run.req.outdata;
  auto full = [&]() { return static_cast<std::int64_t>(out.Size()) >= bound; };
  auto hold = [&]() {
    if (static_cast<std::int64_t>(out.Size()) > bound) out.Truncate(static_cast<std::size_t>(std::max<std::int64_t>(0, bound)));
  };
  if (run.req.xlsMode == kXlsTableModeHeaded) {
    const std::string name = sheets.empty() ? std::string() : SheetNameForShow(t.SheetName(sheets.front().front().sheet), false);
    out.Append("!*");
    out.Append(name.data(), name.size());
    const int dashes = kHeadLineBytes - static_cast<int>(name.size() + 1);
    if (dashes > 0) out.Fill('-', static_cast<std::size_t>(dashes));
    out.Append("\r\n");
  }
  const bool biff8 = IsBiff8Numbering(t);
  bool stop = false;
  for (std::size_t s = 0; s < sheets.size() && !stop; ++s) {
    const std::vector<WorkbookCell>& cells = sheets[s];
    const std::int32_t sheet = cells.front().sheet;
    if (biff8 || s > 0) {
      const std::string name = SheetNameForShow(t.SheetName(sheet), false);
      out.Printf("\r\n!*[Sheet%2d]", SheetHeadingNumber(t, sheet));
      out.Append(name.data(), name.size());
      out.Append("\r\n");
    }
    std::int32_t row = cells.front().row;
    std::size_t i = 0;
    while (i < cells.size() && !stop) {
      // Rows without cells between two filled rows are empty lines.
      // (A far row stops at the output bound, not after a billion lines.)
      for (; row < cells[i].row && !full(); ++row) out.Append("\r\n");
      std::string line;
      std::int32_t column = 0;
      while (i < cells.size() && cells[i].row == row) {
        const WorkbookCell& c = cells[i];
        // A later cell of the same key replaces the earlier one.
        if (i + 1 < cells.size() && cells[i + 1].row == c.row && cells[i + 1].column == c.column) {
          if (!run.Tick()) {
            stop = true;
            break;
          }
          ++i;
          continue;
        }
        for (; column < c.column; ++column) line.push_back(',');
        line += CsvField(t.Text(c.value));
        ++i;
        if (!run.Tick()) {
          stop = true;
          break;
        }
      }
      line += "\r\n";
      out.Append(line.data(), line.size());
      ++row;
      if (full()) {
        hold();
        return;
      }
    }
  }
  if (stop || full()) {
    hold();
    return;
  }
  if (run.req.xlsMode == kXlsTableModeHeaded) out.Append("\n[Sheet end]");
  hold();
}

}  // namespace

WorkbookLayoutResult LayoutWorkbook(WorkbookTable& table, const WorkbookLayoutRequest& req, LoadBuffer& out) {
  WorkbookLayoutResult result;
  std::vector<WorkbookCell> cells = MergeShapeCells(table, req.nChar);
  if (cells.empty()) {
    // A workbook of charts or drawings only.
    result.empty = true;
    if (table.m_bStreamsWhole) out.Append(static_cast<const char*>(GetConvertText(ConvertText::kChartOnly)));
    return result;
  }
  if (req.quickLoad == 1) cells = QuickLoadCells(cells);
  const std::vector<std::vector<WorkbookCell>> sheets = SheetRuns(cells);
  LayoutRun run(table, req, out, static_cast<std::int32_t>(cells.size()));
  if (req.xlsMode >= kXlsTableModeFirst && req.xlsMode <= kXlsTableModeLast) {
    result.fileKind = 33;
    WriteTableForm(run, sheets);
  } else {
    result.bounded = WriteGridForm(run, sheets);
    // The value store or the cell list ran full: name the setting to raise.
    const std::int32_t cap = table.Capacity();
    if (table.m_nValueCount >= cap || table.m_nCellCount >= cap) {
      CString text;
      text.Format(static_cast<const char*>(GetConvertText(ConvertText::kTableItemsOver)),
                  std::max(table.m_nValueCount, table.m_nCellCount) / 100 + 2);
      out.Append(static_cast<const char*>(text));
    }
  }
  result.stopped = run.stoppedByKey;
  result.cellsLaidOut = run.Done();
  return result;
}

void LayoutWorkbookForJob(WorkbookTable& table, RenderJob& job) {
  WorkbookLayoutRequest req;
  req.xlsMode = job.m_nXlsMode;
  req.readerMode = job.readerMode;
  req.quickLoad = job.switches.quickLoad;
  req.nChar = job.nChar;
  req.rtbl = job.rtbl;
  req.outdata = job.outdata > 0 ? job.outdata : 2000000;
  req.host = job.host;
  const WorkbookLayoutResult r = LayoutWorkbook(table, req, job.out);
  if (r.fileKind == 33) job.m_nFileKind = 33;
}

}  // namespace convert
