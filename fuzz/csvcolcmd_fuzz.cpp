// The narrowing statement of the column commands on any condition text and
// column: the rewriting and the building stay inside their strings, the
// condition compiler takes the result (or refuses it with its own status),
// a plain word becomes one pattern test of the column, and the title-line
// test reads only the bytes it is given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_colcmd.h"
#include "csv/csv_condcompile.h"

namespace {

bool PlainWord(const std::string& s) {
  if (s.empty() || s == "NULL" || s == "NULLQ") return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int column = 1 + ((data[0] << 8 | data[1]) % 9000);
  const std::string condition(reinterpret_cast<const char*>(data + 2), size - 2);

  const std::string rewritten = csv::RewriteNarrowCondition(condition);
  if (rewritten.empty()) std::abort();
  const std::string command = csv::BuildNarrowCommand(condition, column);
  const std::string n = "&" + std::to_string(column);
  const std::size_t lead = command.find_first_not_of('(');
  if (lead == std::string::npos || command.compare(lead, n.size(), n) != 0) std::abort();
  if (PlainWord(condition) && command != n + "=:" + condition) std::abort();

  for (const char* operand : {"&SL", "&CKL"}) {
    const csv::CompiledCondition cc = csv::CompileCondition(command, operand);
    if (cc.status != csv::kCondOk) {
      if (cc.status != csv::kCondNothing && cc.status != csv::kCondEmpty && cc.status != csv::kCondBareWord &&
          cc.status != csv::kCondTooDeep)
        std::abort();
      continue;
    }
    if (cc.mode != (operand[1] == 'S' ? csv::kCondSelect : csv::kCondCheckLines)) std::abort();
    if (PlainWord(condition) && cc.pieces.size() != 1) std::abort();
  }

  // The title-line test on an exact copy of the bytes.
  std::vector<std::uint8_t> text(data + 2, data + size);
  const int titleLine = 2 + data[1] % 6;
  csv::TitleLineHasXlsShift(text.empty() ? nullptr : text.data(), static_cast<std::uint32_t>(text.size()), titleLine, 3);
  return 0;
}
