// The workbook layout over a workbook table built from the input: cells of
// text and numbers, shape cells, pictures, widths and names, in every
// display mode, reader mode and with quick load. Checks: the text stays
// within the output bound (the grid's end lines aside); in the table form
// the CSV rows read back give exactly the cells of the table (the last cell
// of a key wins; keys a shape shares are left out).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "convert/convert_host.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"

namespace {

struct Input {
  const std::uint8_t* p;
  std::size_t n;
  std::size_t at = 0;
  bool Left() const { return at < n; }
  std::uint8_t Byte() { return at < n ? p[at++] : 0; }
  int Word() { return Byte() | (Byte() << 8); }
};

// A host that asks nothing but answers the key peek from the input.
class FuzzHost : public convert::ConvertHost {
 public:
  explicit FuzzHost(std::uint8_t key) : m_key(key) {}
  int LoadPicture(const CString&, int) override { return 0; }
  int PeekKey() override { return m_key; }

 private:
  std::uint8_t m_key;
};

using Key = std::tuple<int, int, int>;

std::uint8_t NoLineEnd(std::uint8_t b) { return b == '\r' || b == '\n' ? static_cast<std::uint8_t>('_') : b; }

// The fields of CSV text: rows of fields, quotes doubled inside quotes.
std::vector<std::vector<std::string>> ParseCsv(const std::string& s) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted) {
      if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
        rows.back().back().push_back('"');
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back().push_back(c);
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      rows.back().back().push_back(c);
    }
  }
  rows.pop_back();  // after the last CR LF
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  Input in{data, size};
  static const int kModes[] = {0, 1, 2, 11, 10, 12, 13, 5};
  const std::uint8_t mode = in.Byte();
  const std::uint8_t flags = in.Byte();
  convert::WorkbookLayoutRequest req;
  req.xlsMode = kModes[mode & 7];
  req.readerMode = flags & 3;
  req.quickLoad = (flags >> 2) & 1;
  req.nChar = 2 + in.Byte() % 40;
  req.rtbl = 12 + in.Byte() * 8;
  const int outdataByte = in.Byte();
  req.outdata = outdataByte == 0 ? 1000000 : outdataByte * 40;
  FuzzHost host(flags & 0x80 ? 0x26 : 0);
  req.host = (flags & 0x40) ? &host : nullptr;

  convert::WorkbookTable t;
  if (!t.Allocate(220 + (mode >> 3) * 64, req.nChar)) return 0;
  t.m_nFirstRecordLength = (flags & 8) ? 8 : 16;
  t.m_nKind = (flags & 16) ? 36 : 3;
  t.m_bStreamsWhole = (flags & 32) == 0;

  std::map<Key, std::string> model;  // the last ordinary cell of each key
  std::map<Key, bool> shapeKeys;
  int sheet = 0;
  while (in.Left()) {
    const std::uint8_t op = in.Byte();
    switch (op & 7) {
      case 0:
      case 1:
      case 2: {  // a text or number cell
        if (op & 0x80) ++sheet;
        const int row = in.Word() & 0x3FF;
        const int col = in.Byte();
        const std::size_t len = in.Byte() % 24;
        std::string text;
        // (CR and LF stay out of the texts, so that the read-back finds the
        // block headings by their line ends.)
        for (std::size_t k = 0; k < len && in.Left(); ++k) text.push_back(static_cast<char>(NoLineEnd(in.Byte())));
        const int v = t.AddValue(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                                 op & 1 ? convert::kValueKindNumber : convert::kValueKindText);
        if (t.AddCell(row, col, v, sheet)) model[Key(sheet, row, col)] = v >= 0 ? t.Text(v) : std::string();
        break;
      }
      case 3: {  // a shape cell: a picture number or a text box
        const int row = in.Word() & 0x3FF;
        const int col = in.Byte();
        int value = static_cast<std::int8_t>(in.Byte());
        if (op & 0x80) {
          value = convert::kShapeTextBase + t.ShapeCount();
          const std::string note(1 + (op >> 3) % 8, 'n');
          t.SetValue(t.ShapeValueIndex(t.ShapeCount()), reinterpret_cast<const std::uint8_t*>(note.data()),
                     note.size(), convert::kValueKindText);
        }
        if (t.AddShapeCell(row, col, value, sheet)) shapeKeys[Key(sheet, row, col)] = true;
        break;
      }
      case 4:
        t.m_pictures.Add({in.Byte(), 0, 0});
        t.UsePicture(in.Word());
        break;
      case 5:
        t.NextWidthRow();
        t.SetColumnWidths(in.Byte(), in.Byte(), static_cast<std::uint8_t>(in.Byte() % 40));
        break;
      case 6: {
        const int index = in.Word() % 300;
        std::uint8_t name[6] = {'x', 'y', 'z', 'w', 'x', 'y'};
        for (int k = 0; k < 4; ++k) name[k] = NoLineEnd(in.Byte());
        t.SetSheetName(index, name, sizeof name);
        break;
      }
      default:
        t.m_nSheetCount = in.Word();
        break;
    }
  }

  convert::LoadBuffer out;
  const convert::WorkbookLayoutResult r = convert::LayoutWorkbook(t, req, out);
  const std::string text(out.Data(), out.Size());
  const bool table = req.xlsMode >= 10 && req.xlsMode <= 13;
  if (table && !r.empty && static_cast<std::int64_t>(text.size()) > req.outdata) std::abort();
  if (!table && static_cast<std::int64_t>(text.size()) > req.outdata + 4096) std::abort();

  // The table form read back, when it is whole: BIFF8 headings, no quick
  // load, no stop and no bound.
  if (table && !r.empty && !r.stopped && outdataByte == 0 && req.quickLoad == 0 && t.m_nFirstRecordLength == 16 &&
      t.m_nKind == 3) {
    std::string body = text;
    if (req.xlsMode == 11) {
      const std::size_t head = body.find("\r\n");
      body = body.substr(head + 2);
      const std::string end = "\n[Sheet end]";
      if (body.size() < end.size() || body.compare(body.size() - end.size(), end.size(), end) != 0) std::abort();
      body.resize(body.size() - end.size());
    }
    // Blocks: "\r\n!*[Sheet%2d]name\r\n" then rows from the sheet's first
    // filled row. Names are the input's bytes, so the heading is found by the
    // block's known number and skipped to its line end.
    std::map<Key, std::string> seen;
    std::size_t at = 0;
    while (at < body.size()) {
      if (body.compare(at, 5, "\r\n!*[") != 0) std::abort();
      const std::size_t lineEnd = body.find("\r\n", at + 2);
      const int number = std::atoi(body.c_str() + at + 10);
      std::size_t next = body.find("\r\n!*[Sheet", lineEnd);
      if (next == std::string::npos) next = body.size();
      const std::string rows = body.substr(lineEnd + 2, next - lineEnd - 2);
      // The first row of the block is the first filled row of the sheet.
      int firstRow = -1;
      for (const auto& [k, v] : model)
        if (std::get<0>(k) == number - 1 && (firstRow < 0 || std::get<1>(k) < firstRow)) firstRow = std::get<1>(k);
      for (const auto& [k, v] : shapeKeys)
        if (std::get<0>(k) == number - 1 && (firstRow < 0 || std::get<1>(k) < firstRow)) firstRow = std::get<1>(k);
      const auto parsed = ParseCsv(rows);
      for (std::size_t i = 0; i < parsed.size(); ++i)
        for (std::size_t c = 0; c < parsed[i].size(); ++c)
          if (!parsed[i][c].empty()) seen[Key(number - 1, firstRow + static_cast<int>(i), static_cast<int>(c))] = parsed[i][c];
      at = next;
    }
    for (const auto& [k, v] : model) {
      if (shapeKeys.count(k) || v.empty()) continue;
      auto it = seen.find(k);
      if (it == seen.end() || it->second != v) std::abort();
    }
  }
  return 0;
}
