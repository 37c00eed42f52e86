// The view core over arbitrary bytes: the comma form (its rows and fields
// read back the same when the file is loaded again), both page-mark
// converters (same length, only marks touched), and the line helpers at
// buffer ends.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "view/viewcore/commaform.h"
#include "view/viewcore/halfkana.h"
#include "view/viewcore/linetext.h"
#include "view/viewcore/pagemarks.h"

namespace {

bool IsRowEnd(uint8_t c) { return c == '\r' || c == '\n'; }

// Fields per row of the working form: 0x06 and a TAB outside quotes end a
// field; quotes start afresh in each field.
std::vector<int> WorkShape(const uint8_t* p, size_t n) {
  std::vector<int> rows;
  int fields = 1;
  bool q = false, any = false;
  for (size_t i = 0; i < n; ++i) {
    uint8_t c = p[i];
    if (IsRowEnd(c)) {
      rows.push_back(fields);
      if (c == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
      fields = 1;
      q = false;
      any = false;
      continue;
    }
    any = true;
    if (c == '"') q = !q;
    else if (c == 0x06 || (c == '\t' && !q)) {
      ++fields;
      q = false;
    }
  }
  if (any) rows.push_back(fields);
  return rows;
}

// Fields per row of comma-form text as the loader reads it: quotes toggle
// along the row, commas outside them separate.
std::vector<int> FileShape(const std::string& s) {
  std::vector<int> rows;
  int fields = 1;
  bool q = false, any = false;
  for (size_t i = 0; i < s.size(); ++i) {
    uint8_t c = static_cast<uint8_t>(s[i]);
    if (IsRowEnd(c) && !q) {
      rows.push_back(fields);
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      fields = 1;
      any = false;
      continue;
    }
    any = true;
    if (c == '"') q = !q;
    else if (c == ',' && !q) ++fields;
  }
  if (q) __builtin_trap();  // every field's quotes pair
  if (any) rows.push_back(fields);
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> buf(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(buf.get(), data, size);

  // Comma form.
  viewcore::CommaFormStats st;
  std::string comma = viewcore::ToCommaForm(buf.get(), size, viewcore::CommaFormKind::kComma, &st);
  size_t end = size;
  if (const void* nul = size ? std::memchr(buf.get(), 0, size) : nullptr)
    end = static_cast<size_t>(static_cast<const uint8_t*>(nul) - buf.get());
  if (st.droppedTail > 2 || st.droppedTail > end) __builtin_trap();
  if (comma.find('\x06') != std::string::npos) __builtin_trap();
  if (WorkShape(buf.get(), end - st.droppedTail) != FileShape(comma)) __builtin_trap();
  std::string tabs = viewcore::ToCommaForm(buf.get(), size, viewcore::CommaFormKind::kTab);
  if (tabs.find('\x06') != std::string::npos || tabs.size() > end) __builtin_trap();

  // Page marks: same bytes outside what the converters may change.
  std::vector<uint8_t> a(buf.get(), buf.get() + size), b = a;
  viewcore::RtfConvertPageMarks(a.data(), a.size());
  viewcore::ConvertRtfPageMarks(b.data(), b.size());
  if (a.size() != size || b.size() != size) __builtin_trap();
  for (size_t i = 0; i < size; ++i)
    if (a[i] != buf[i] && std::strchr(" \\page~`", a[i]) == nullptr) __builtin_trap();

  // Line helpers with small buffers and at the input's end.
  const char* text = reinterpret_cast<const char*>(buf.get());
  for (int room : {0, 1, 2, 3, 7}) {
    std::unique_ptr<char[]> line(new char[room ? room : 1]);
    int n = viewcore::GetLineTextSjis(text, size, size ? data[0] % 4 : 0, room ? line.get() : nullptr, room);
    if (n < 0 || (room > 0 && n >= room) || (room > 0 && line[n] != '\0')) __builtin_trap();
  }
  const int chars = viewcore::CharIndexOfByte(text, size, size);
  const int col = viewcore::LineColumnOfChar(text, size, chars, 1);
  if (viewcore::CalcLineMetrics(text, size, col, 1) < 0) __builtin_trap();
  if (size > 2) {
    CString pattern(text + size - 2, 2);
    int hit = viewcore::FindTextMatchCase(text, size, 0, -1, pattern);
    if (hit >= 0 && std::memcmp(text + hit, pattern.GetString(), 2) != 0) __builtin_trap();
  }
  if (size >= 2) {
    int k = viewcore::ConvertHalfKanaToFull(data[0], data[1]);
    if (k != 0 && (k & 0xFFFF) < 0x8140) __builtin_trap();
  }
  return 0;
}
