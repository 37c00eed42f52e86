// The view core over arbitrary bytes: both page-mark converters (same
// length, only marks touched) and the line helpers at buffer ends.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/textcodec/halfkana.h"
#include "view/viewcore/linetext.h"
#include "view/viewcore/pagemarks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> buf(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(buf.get(), data, size);

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
    int k = textcodec::ConvertHalfKanaToFull(data[0], data[1]);
    if (k != 0 && (k & 0xFFFF) < 0x8140) __builtin_trap();
  }
  return 0;
}
