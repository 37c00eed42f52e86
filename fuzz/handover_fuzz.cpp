// The hand-over conversion over any table text: the input's first byte is
// the sheet number, the rest the table (target "C:\o.xls"). The table sits
// in a buffer of its exact size. Checked: the table is untouched, the
// counting pass gives the written length, the text is never cut (it ends
// with the "F=" line), and no quote is ever added.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/handover/handover_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int sheet = data[0] % 4;
  const std::vector<std::uint8_t> table(data + 1, data + size);
  const std::vector<std::uint8_t> copy = table;
  const std::string source = handover::HandoverSource(table.data(), table.size(), sheet, "C:\\o.xls");
  const std::size_t counted = handover::HandoverConvertedLength(source);
  const std::string out = handover::ConvertHandover(source);
  Check(table == copy);
  Check(out.size() == counted);
  const std::string last = sheet > 0 ? "F=" + std::to_string(sheet + 1) + ";C:\\o.xls" : "F=C:\\o.xls";
  Check(out.size() >= last.size() && out.compare(out.size() - last.size(), last.size(), last) == 0);
  std::size_t quotesIn = 0, quotesOut = 0;
  for (char c : source) quotesIn += c == '"';
  for (char c : out) quotesOut += c == '"';
  Check(quotesOut <= quotesIn);
  return 0;
}
