// Pattern mode's clearing and filling over any template bytes and table
// text. The input is split at the first 0x01 0x01 pair into the template
// and the table; the first byte gives the line and field counts. Short
// templates are padded to reach the search start, and a few placeholders of
// both forms are planted near the end, where their digits and budgets run
// past it. The template sits in a string of its exact size (ASan sees any
// access past it). Checked: the size never changes, nothing before byte
// 513 changes, and a template below 256 bytes is left alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "export/handover/xls_pattern.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t ctl = data[0];
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = in.find("\x01\x01");
  std::string templ = in.substr(0, cut);
  const std::string table = cut == std::string::npos ? std::string() : in.substr(cut + 2);
  if (ctl & 0x80) {
    // Reach past the search start and plant placeholders at the end.
    if (templ.size() < 600) templ.insert(0, 600 - templ.size(), 'A');
    templ += std::string("\x05\x00\x01\x83\x22\x30\x00\x31\x00\x30", 10);
    if (ctl & 0x40) templ += std::string("\x08\x00\x81\xBD\x30\x31\x30", 7);
  }
  const std::string before = templ;
  handover::PatchPatternTemplate(&templ, reinterpret_cast<const std::uint8_t*>(table.data()), table.size(),
                                 ctl & 0x07, (ctl >> 3) & 0x07);
  Check(templ.size() == before.size());
  if (before.size() < handover::kPatternMinTemplate) Check(templ == before);
  const std::size_t keep = before.size() < handover::kPatternSearchStart ? before.size() : handover::kPatternSearchStart;
  Check(templ.compare(0, keep, before, 0, keep) == 0);
  return 0;
}
