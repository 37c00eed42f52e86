// The clipboard conversions: any bytes convert in place and into a second
// buffer alike, keep their length, change only separators, and the table
// given back as TAB text and read again gives the same table bytes; the cut
// for the clipboard stays within its size and never ends on a lead byte
// whose partner it dropped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fw/sjis.h"
#include "macro/macro_exec_clip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  const auto n = static_cast<std::uint32_t>(size);
  const int balance = macro::MacroClipBalance(data, n);
  std::vector<std::uint8_t> out(size + 1), inPlace(data, data + size);
  macro::MacroClipToTable(data, n, balance, out.data());
  macro::MacroClipToTable(inPlace.data(), n, balance, inPlace.data());
  if (size != 0 && std::memcmp(out.data(), inPlace.data(), size) != 0) std::abort();
  for (std::size_t k = 0; k < size; ++k) {
    if (out[k] == data[k]) continue;
    const bool sep = data[k] == ',' || data[k] == '\t';
    if (!sep || (out[k] != 0x06 && out[k] != '~')) std::abort();
  }
  const std::string tabs = macro::MacroTableAsTabText(out.data(), n);
  if (tabs.size() > size || tabs.find('\x06') != std::string::npos) std::abort();

  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string cut = macro::MacroClipCut(text);
  if (cut.size() > macro::kClipTextMost || text.compare(0, cut.size(), cut) != 0) std::abort();
  if (cut.find('\0') != std::string::npos) std::abort();
  return 0;
}
