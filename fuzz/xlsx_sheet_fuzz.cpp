// One worksheet from random table text and random sheet settings, format
// records and format objects: the part, as the sink stores it (UTF-8), is
// well-formed XML with only the character references XML knows, every
// style index names a slot of the table, and the table never passes 1000
// slots.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "export/xlsx/xlsx_sheet.h"
#include "fw/codepage.h"

namespace {

struct Bytes {
  const std::uint8_t* p;
  std::size_t n;
  std::uint8_t Next() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
};

xlsx::XlsxRecordBytes RandomRecord(Bytes& in) {
  xlsx::XlsxRecordBytes r = xlsx::DefaultRecordBytes();
  const int changes = in.Next() % 6;
  for (int i = 0; i < changes; ++i) {
    const int pos = in.Next() % xlsx::kFormatRecordLength;
    r.c[pos] = in.Next();
  }
  return r;
}

// A small well-formedness check: tags nest and match, attribute values are
// quoted, '<' never stands in text, '&' only starts one of the five entities,
// and no control character other than TAB, CR and LF occurs.
bool WellFormed(const std::string& s) {
  std::vector<std::string> open;
  std::size_t i = 0;
  const std::size_t n = s.size();
  auto entity = [&](std::size_t at) {
    for (const char* e : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
      if (s.compare(at, std::strlen(e), e) == 0) return true;
    return false;
  };
  for (unsigned char ch : s)
    if (ch < 0x20 && ch != '\t' && ch != '\r' && ch != '\n') return false;
  if (s.compare(0, 5, "<?xml") == 0) {
    i = s.find("?>");
    if (i == std::string::npos) return false;
    i += 2;
  }
  bool root = false;
  while (i < n) {
    if (s[i] == '&') {
      if (!entity(i)) return false;
      ++i;
      continue;
    }
    if (s[i] != '<') {
      if (s[i] == '>' ) return false;  // the writers always escape it
      ++i;
      continue;
    }
    ++i;
    const bool closing = i < n && s[i] == '/';
    if (closing) ++i;
    const std::size_t nameStart = i;
    while (i < n && s[i] != ' ' && s[i] != '>' && s[i] != '/') ++i;
    const std::string name = s.substr(nameStart, i - nameStart);
    if (name.empty()) return false;
    if (closing) {
      if (i >= n || s[i] != '>' || open.empty() || open.back() != name) return false;
      open.pop_back();
      ++i;
      continue;
    }
    if (open.empty() && root) return false;  // a second root element
    root = true;
    // Attributes: name="value".
    for (;;) {
      while (i < n && s[i] == ' ') ++i;
      if (i >= n) return false;
      if (s[i] == '>') {
        open.push_back(name);
        ++i;
        break;
      }
      if (s[i] == '/') {
        if (i + 1 >= n || s[i + 1] != '>') return false;
        i += 2;
        break;
      }
      while (i < n && s[i] != '=' && s[i] != ' ' && s[i] != '>') ++i;
      if (i + 1 >= n || s[i] != '=' || s[i + 1] != '"') return false;
      i += 2;
      while (i < n && s[i] != '"') {
        if (s[i] == '<') return false;
        if (s[i] == '&' && !entity(i)) return false;
        ++i;
      }
      if (i >= n) return false;
      ++i;
    }
  }
  return open.empty() && root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  Bytes in{data, 16};
  const std::size_t textLen = std::min<std::size_t>(size - 16, 1 << 16);
  std::string text(reinterpret_cast<const char*>(data + 16), textLen);
  for (char& ch : text)
    if (ch == ',') ch = '\x06';  // fields of the working form

  csv::Table table;
  if (!table.Assign(text.data(), text.size(), 16)) return 0;

  xlsx::XlsxSheetLayout L;
  const std::uint8_t shape = in.Next();
  L.sheetNumber = 1 + in.Next();
  L.startOffset = shape & 1 ? std::min<std::uint32_t>(in.Next(), table.m_nTextLen) : 0;
  L.firstTextRow = 1 + (in.Next() & 3);
  L.titleRow = in.Next() & 7;
  L.rowLimit = L.titleRow + (in.Next() & 15);
  L.endRow = static_cast<std::uint32_t>(table.m_nLastRow + 2) - (shape & 2 ? 1 : 0);
  L.blockStartLine = in.Next() & 3;
  L.columnCount = 1 + in.Next() % 40;
  L.titleLastColumn = in.Next() & 7;
  L.titleRangeMode = shape & 4;
  L.skipRowMode = shape & 8;
  L.titleMarkOffset = shape & 16 ? in.Next() : 0;
  L.gridLetter = "uvsx"[in.Next() & 3];
  if (shape & 32) L.tabColourHex = "C0C0C0";
  L.fitWidth = in.Next() & 1;
  L.paperLetter = static_cast<char>('a' + in.Next() % 26);
  L.sizeDigit = static_cast<unsigned char>('0' + in.Next() % 10);
  L.defaultFlags = in.Next();
  L.defaultRowHeight = shape & 64 ? in.Next() : 0;
  L.colourBarColumn = shape & 128 ? 1 + in.Next() % 4 : 0;
  L.colourBarChars[0] = '*';
  L.colourBarHex[0] = "FF0000";
  L.colourBarChars[1] = ' ';

  // Records and objects from the tail of the text (the same bytes serve
  // twice: as text and as settings).
  Bytes rest{data + 16, size - 16};
  const std::uint32_t cols = L.columnCount;
  L.columnFormats.assign(cols + 1, xlsx::DefaultRecordBytes());
  L.columnHasFormat.assign(cols + 1, false);
  L.columnWidths.assign(cols + 1, 2);
  for (std::uint32_t c = 1; c <= cols; ++c) {
    if (rest.Next() & 1) {
      L.columnHasFormat[c] = true;
      L.columnFormats[c] = RandomRecord(rest);
    }
    L.columnWidths[c] = static_cast<std::int8_t>(rest.Next()) * 300;
  }
  std::uint32_t row = 0;
  for (int i = rest.Next() % 12; i > 0; --i) {
    row += rest.Next() % 4;
    xlsx::XlsxRowFormat f;
    f.row = row;
    f.rec = RandomRecord(rest);
    L.rowFormats.push_back(f);
  }
  const int objects = rest.Next() % 4;
  for (int k = 0; k < objects; ++k) {
    xlsx::XlsxShapeRecord s;
    s.rec = RandomRecord(rest);
    s.fromCol = rest.Next() % 8;
    s.fromRow = rest.Next() % 8;
    s.toCol = s.fromCol + rest.Next() % 4;
    s.toRow = s.fromRow + rest.Next() % 4;
    L.objects.shapes.push_back(s);
  }
  if (objects > 0) {
    L.objects.gridColumns = cols;
    const std::uint32_t lines = 12;
    std::string grid;
    for (std::uint32_t line = 0; line < lines; ++line) {
      for (std::uint32_t c = 1; c <= cols; ++c) {
        const std::uint8_t b = rest.Next();
        if (b % 3 == 0) {
          const int v = 1 + b % (objects + 1);
          grid += static_cast<char>('0' + v / 32);
          grid += static_cast<char>('0' + v % 32);
        } else {
          grid += b % 3 == 1 ? "O:" : "\x7f\x01";
        }
        grid += c == cols ? '\r' : '\x06';
      }
      grid += '\n';
    }
    if (!L.objects.grid.Assign(grid)) return 0;
    L.objects.overlaps.push_back({1, 1, static_cast<std::uint32_t>(1 + rest.Next() % (objects + 1))});
    L.mergeCount = rest.Next() & 1;
    L.shapeCount = rest.Next() & 1;
  }

  xlsx::XlsxStyleSlots slots;
  xlsx::XlsxSheetResult result;
  std::string part;
  if (!xlsx::WriteWorksheetText(table, L, slots, &part, &result)) return 0;
  if (slots.Count() < 1 || slots.Count() > xlsx::kStyleSlots) __builtin_trap();
  for (std::size_t i = part.find(" s=\""); i != std::string::npos; i = part.find(" s=\"", i + 1)) {
    const long slot = std::strtol(part.c_str() + i + 4, nullptr, 10);
    if (slot < 0 || slot >= slots.Count()) __builtin_trap();
  }
  if (!WellFormed(fw::Cp932ToUtf8(part))) __builtin_trap();
  return 0;
}
