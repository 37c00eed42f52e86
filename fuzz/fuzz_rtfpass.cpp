// The ruled table's RTF passes ('D', 37, 39, '3'-'6', and commands without a
// pass) over any block and arguments. The first nine bytes choose the
// arguments, the facts and the output limit; the rest is the block, in a
// buffer of exactly its size so that any read past it shows. Checks:
//  - a result fits its limit, and a pass that fails for room needed more
//    than the limit (the same pass without a limit gives a longer text);
//  - a bounded result is the unbounded one;
//  - a pass that changes nothing returns its input byte for byte, and a
//    changed result differs from the input;
//  - only the width keys report a status.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_reader.h"
#include "table/rtfpass/table_passes.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

constexpr int kCommands[] = {'D', 37, 39, '3', '4', '5', '6', 'E', 'X', 0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace table::rtfpass;
  fuzz::ByteReader in{data, size};
  PassArgs a;
  a.command = kCommands[in.Byte() % (sizeof kCommands / sizeof kCommands[0])];
  a.column = in.Byte() % 40;
  a.count = static_cast<int>(in.Byte() % 8) - 2;
  a.firstPara = static_cast<int>(in.Byte() % 10) - 1;
  a.endPara = in.Byte() % 10;
  PassFacts facts;
  facts.textSize = in.Byte() % 40;
  const std::uint8_t f = in.Byte();
  facts.moveFollowing = f & 1;
  facts.lineCount = f >> 1;
  const std::uint8_t limitMode = in.Byte();
  const std::uint8_t slack = in.Byte();

  std::vector<char> block(in.p, in.p + in.n);
  const std::string_view rtf(block.data(), block.size());
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  switch (limitMode % 4) {
    case 0: break;
    case 1: limit = 2 * rtf.size() + slack; break;
    case 2: limit = rtf.size() + slack % 16; break;
    default: limit = slack; break;
  }

  const PassResult full = RewriteTable(rtf, a, facts, std::numeric_limits<std::size_t>::max());
  if (full.error != PassError::kNone) Fail();
  if (!full.changed && full.rtf != rtf) Fail();
  if (full.changed && full.rtf == rtf) Fail();
  if (!full.status.empty() && a.command != kKeyNarrower && a.command != kKeyWider) Fail();

  const PassResult r = RewriteTable(rtf, a, facts, limit);
  if (r.error == PassError::kNoRoom) {
    if (!r.rtf.empty() || full.rtf.size() <= limit) Fail();
  } else {
    if (r.rtf.size() > limit || r.rtf != full.rtf || r.changed != full.changed) Fail();
  }
  return 0;
}
