// Text to table over any text: the detection scan and the letter choice, the
// separator conversion (any separator byte, with and without quote mode),
// the column layout found in the text and a layout text taken from the
// input, the cut by either, and the copy of the cut fields. Checks: the
// conversion stays inside its output and ends with NUL; every line end of
// the text (up to a NUL) comes out once and nothing adds one; a layout's
// layout text covers its mask exactly; the cut writes one row per line after its
// start; nothing reads outside the text (ASan).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "macro/macro_columnlayout.h"
#include "macro/macro_texttable.h"

namespace {

struct Ends {
  std::size_t cr = 0, lf = 0;
};

Ends CountEnds(const char* p, std::size_t n) {
  Ends e;
  for (std::size_t i = 0; i < n && p[i] != '\0'; ++i) {
    e.cr += p[i] == '\r';
    e.lf += p[i] == '\n';
  }
  return e;
}

std::size_t SpecWidth(const std::string& spec) {
  std::size_t total = 0;
  for (const macro::LayoutEntry& e : macro::ParseLayoutSpec(spec))
    total += static_cast<std::size_t>(e.width < 0 ? -e.width : e.width);
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t options = data[0];
  const uint8_t sepByte = data[1];
  const std::size_t specLen = data[2] % 24;
  data += 3;
  size -= 3;
  const std::string spec(reinterpret_cast<const char*>(data), specLen < size ? specLen : size);
  const std::uint8_t* text = data + spec.size();
  const std::size_t length = size - spec.size();
  // An exactly sized copy (no NUL after it): a read past its end is caught.
  const std::vector<std::uint8_t> exact(text, text + length);
  const std::uint8_t* t = exact.data();
  const std::string owned(reinterpret_cast<const char*>(t), length);

  const macro::SeparatorCounts counts = macro::ScanSeparators(t, length, options & 0x10 ? length / 2 : 0);
  const char letters[] = {'a', 'c', 'x', 'b', 's', '6', 'z', 'a'};
  const char chosen = macro::ChooseTableLetter(static_cast<unsigned char>(letters[options & 7]), counts);
  if (chosen != 'c' && chosen != 'x' && chosen != 'b' && chosen != '6' && chosen != 's') std::abort();

  const CString operand = options & 0x20 ? CString(std::string(1, static_cast<char>(sepByte)).c_str()) : CString();
  const std::uint8_t sep = chosen == 's' ? sepByte : macro::TableSeparator(chosen, operand, t, length);
  macro::ConvertedText out;
  if (macro::ConvertBySeparator(t, length, sep, (options & 0x40) != 0, &out)) {
    if (out.length >= out.capacity || out.bytes[out.length] != '\0') std::abort();
    const Ends in = CountEnds(owned.c_str(), length);
    const Ends got = CountEnds(out.bytes, out.length);
    if (memchr(out.bytes, 0, out.length) == nullptr && (sep != '\r' && sep != '\n') &&
        (in.cr != got.cr || in.lf != got.lf))
      std::abort();
    fw::Free(out.bytes);
  }

  macro::ColumnLayout layout;
  const int mode = options & 0x80 ? macro::kLayoutFromLine : (options & 8 ? macro::kLayoutRuledPlus : macro::kLayoutFindTitle);
  macro::DetectColumnLayout(t, length, mode, 1 + (sepByte & 7), &layout);
  if (SpecWidth(layout.spec) != layout.mask.size()) std::abort();
  macro::ScanResult cut;
  macro::ScanTextRange(t, length, 0, layout.spec, std::string(), &cut);
  macro::ScanTextRange(t, length, sepByte, spec, spec.substr(0, 2), &cut);
  const std::string copied = macro::CopyCutFields(cut.out);
  if (copied.size() < cut.out.size()) std::abort();
  const int first = macro::FirstFixedWidthDataLine(t, length);
  if (first < 1 || first > 10) std::abort();
  return 0;
}
