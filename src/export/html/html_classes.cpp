#include "export/html/html_classes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "export/html/html_style.h"

namespace htmlexport {
namespace {

constexpr int kLen = xlsx::kFormatRecordLength;
constexpr std::size_t kMaxRowClasses = 1000;       // row records that get classes
constexpr std::uint32_t kFirstLeftOutColumn = 10;  // columns 1-9 are always listed
constexpr std::int64_t kFarDistance = 99;          // a row at or above the title row
constexpr unsigned char kWinningColumn = 0x80;     // position 7 of a column record
constexpr unsigned char kNoCrossBorders = 0x01;    // position 9

// The positions three limit digits (16, 17, 18) clear.
constexpr int kRowLimited[3] = {10, 11, 6};   // a row record's, for columns below the digit
constexpr int kColumnLimited[3] = {2, 3, 6};  // a column record's, for rows near the title
// Positions a winning column does not take from its record.
constexpr int kRowKept[] = {10, 11, 14, 15};

bool Unset(char c) { return c == '_' || c == 0; }
unsigned char AlignCode(char c) { return Unset(c) ? '@' : static_cast<unsigned char>(c); }
int LimitDigit(char c) { return c >= '0' && c <= '9' ? c - '0' : -1; }
unsigned char Byte(char c) { return c == '_' ? 0 : static_cast<unsigned char>(c); }

std::int64_t Distance(std::uint32_t row, std::uint32_t title) {
  const std::int64_t d = static_cast<std::int64_t>(row) - title;
  return d < 1 ? kFarDistance : d;
}

// Clears what the column record's limit digits leave out of rows `distance`
// lines after the title row.
void ClearNearTitle(const char* cf, std::int64_t distance, char* out) {
  for (int k = 0; k < 3; ++k) {
    const int n = LimitDigit(cf[16 + k]);
    if (n >= 0 && distance < n) out[kColumnLimited[k]] = '_';
  }
}

void WriteClass(exportcore::ByteWriter& head, std::uint32_t row, std::uint32_t column, std::uint32_t sheet, bool region,
                const char* code, HtmlClassNotes& notes) {
  head.AppendFormat(region ? ".xs%02u%03u%02uA\r\n{\r\n" : ".xs%02u%03u%02u\r\n{\r\n", row, column, sheet);
  try {
    const std::string css = StyleCodeToCss(code);
    head.Append(css.data(), css.size());
  } catch (const std::bad_alloc&) {
    notes.cssShort = true;
    head.Append("}\r\n");
  }
  head.Append("\r\n");
}

const xlsx::XlsxFormatRecord* RowRecordOf(const xlsx::XlsxRun& run, std::uint32_t row) {
  const auto& rows = run.XlsxRowFormatRows;
  const auto it = std::lower_bound(rows.begin(), rows.end(), row);
  if (it == rows.end() || *it != row) return nullptr;
  const std::size_t i = static_cast<std::size_t>(it - rows.begin());
  return i < run.XlsxRowFormats.size() ? &run.XlsxRowFormats[i] : nullptr;
}

// Step 4: the classes of the regions laid on the object grid.
void WriteRegionClasses(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text, std::uint32_t len,
                        exportcore::ByteWriter& head, HtmlClassNotes& notes) {
  const xlsx::XlsxObjectLayer& layer = run.XlsxObjects;
  if (layer.laid.empty() || layer.grid.empty()) return;
  const std::vector<std::uint32_t> rows = HtmlGridRowsToRows(run, frame, text, len, layer.gridRows);
  static const xlsx::XlsxFormatRecord kBlank;
  for (const xlsx::XlsxLaidRegion& g : layer.laid) {
    if (g.object < 1 || g.object > layer.shapes.size()) continue;
    const char* rec = reinterpret_cast<const char*>(layer.shapes[g.object - 1].rec.c);
    const char mode = rec[9];
    const bool rowLines = mode != 'N' && mode != 'V';
    const bool columnLines = mode != 'N' && mode != 'H';
    const std::uint64_t r2 = std::min<std::uint64_t>(g.r2, layer.gridRows);
    for (std::uint64_t r = g.r1; r <= r2; ++r) {
      const std::uint32_t row = rows[r];
      if (row == 0) continue;
      const xlsx::XlsxFormatRecord* rr = RowRecordOf(run, row);
      const char* rf = rowLines && rr ? rr->c : kBlank.c;
      for (std::uint64_t c = g.c1; c <= g.c2; ++c) {
        const std::uint32_t column = static_cast<std::uint32_t>(c);
        const char* cf = columnLines ? HtmlColumnRecord(run, column).c : kBlank.c;
        char code[kLen];
        std::memcpy(code, rec, kLen);
        // Inside the region the row's and the column's lines take the place
        // of the region's own.
        if (r != g.r1) code[10] = rf[10], code[14] = rf[14];
        if (r != r2) code[11] = rf[11], code[15] = rf[15];
        if (c != g.c1) code[2] = cf[2], code[12] = cf[12];
        if (c != g.c2) code[3] = cf[3], code[13] = cf[13];
        WriteClass(head, row, column, frame.number, true, code, notes);
      }
    }
  }
}

}  // namespace

std::uint32_t HtmlClassIndex::ListedColumn(std::uint32_t c) const {
  const auto it = std::upper_bound(columns.begin(), columns.end(), c);
  if (it == columns.begin()) return columns.empty() ? 1 : columns.front();
  return *(it - 1);
}

long HtmlClassIndex::GroupOf(std::uint32_t row) const {
  const auto it = std::upper_bound(groupRows.begin(), groupRows.end(), row);
  if (it == groupRows.begin()) return -1;
  return static_cast<long>(it - groupRows.begin()) - 1;
}

void HtmlMergeClassCode(const char* rf, std::uint32_t row, const char* cf, std::uint32_t column, unsigned char sd,
                        std::uint32_t title, char out[kLen]) {
  const bool wins = (static_cast<unsigned char>(cf[7]) & kWinningColumn) != 0;
  // Position 0: the vertical part (two low bits), then the horizontal one.
  const unsigned char ra = AlignCode(rf[0]), ca = AlignCode(cf[0]), sa = AlignCode(static_cast<char>(sd));
  unsigned v;
  if (ra & 3)
    v = wins && (ca & 3) ? ca & 3 : ra & 3;
  else
    v = (ca & 3) ? ca & 3 : sa & 3;
  const unsigned char rh = ra & 0xFC, ch = ca & 0xFC, sh = sa & 0xFC;
  unsigned char h;
  if (rh == '@')
    h = ch > '@' ? ch : sh > '@' ? sh : '@';
  else if (rh > '@')
    h = wins && ch > '@' ? ch : rh;
  else
    h = '@';
  out[0] = static_cast<char>(h | v);
  // The other positions: the row's unless unset; a winning column's own
  // unless unset, except for the row's lines.
  for (int k = 1; k < kLen; ++k) {
    const bool rowKept = std::find(std::begin(kRowKept), std::end(kRowKept), k) != std::end(kRowKept);
    if (wins && !rowKept)
      out[k] = Unset(cf[k]) ? rf[k] : cf[k];
    else
      out[k] = Unset(rf[k]) ? cf[k] : rf[k];
  }
  for (int k = 0; k < 3; ++k) {
    const int n = LimitDigit(rf[16 + k]);
    if (n >= 0 && column < static_cast<std::uint32_t>(n)) out[kRowLimited[k]] = '_';
  }
  ClearNearTitle(cf, Distance(row, title), out);
  if (Byte(rf[9]) & kNoCrossBorders) out[2] = out[3] = '_';
  if (Byte(cf[9]) & kNoCrossBorders) out[10] = out[11] = '_';
}

void HtmlWriteSheetClasses(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text, std::uint32_t len,
                           exportcore::ByteWriter& head, HtmlClassIndex& index, HtmlClassNotes& notes) {
  index = HtmlClassIndex();
  // Step 1: the column list.
  const std::uint32_t last = frame.lastColumn;
  for (std::uint32_t c = 1; c <= last; ++c) {
    // (Columns past the 1000 records all have the blank record.)
    if (c >= kFirstLeftOutColumn &&
        std::memcmp(HtmlColumnRecord(run, c).c, HtmlColumnRecord(run, index.columns.back()).c, kLen) == 0)
      continue;
    index.columns.push_back(c);
  }

  const std::size_t records = std::min({run.XlsxRowFormats.size(), run.XlsxRowFormatRows.size(), kMaxRowClasses});
  const std::uint32_t sheet = frame.number;
  // Step 2: the table rows before the first row record.
  const std::uint32_t firstRecordRow = records > 0 ? run.XlsxRowFormatRows[0] : frame.firstTableRow;
  if (records == 0 || firstRecordRow > frame.firstTableRow) {
    const std::int64_t distance = Distance(firstRecordRow, frame.title);
    for (std::uint32_t c : index.columns) {
      char code[kLen];
      std::memcpy(code, HtmlColumnRecord(run, c).c, kLen);
      ClearNearTitle(HtmlColumnRecord(run, c).c, distance, code);
      WriteClass(head, frame.firstTableRow, c, sheet, false, code, notes);
    }
    index.groupRows.push_back(frame.firstTableRow);
    index.groupRecords.push_back(-1);
  }
  // Step 3: a class per row record and listed column.
  const unsigned char sd = static_cast<unsigned char>(run.sheet.settings.alignment);
  for (std::size_t i = 0; i < records; ++i) {
    const std::uint32_t row = run.XlsxRowFormatRows[i];
    const char* rf = run.XlsxRowFormats[i].c;
    for (std::uint32_t c : index.columns) {
      char code[kLen];
      HtmlMergeClassCode(rf, row, HtmlColumnRecord(run, c).c, c, sd, frame.title, code);
      WriteClass(head, row, c, sheet, false, code, notes);
    }
    if (index.groupRows.empty() || row > index.groupRows.back()) {
      index.groupRows.push_back(row);
      index.groupRecords.push_back(static_cast<long>(i));
    }
  }
  // Step 4: the regions.
  WriteRegionClasses(run, frame, text, len, head, notes);
}

}  // namespace htmlexport
