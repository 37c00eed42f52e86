// The column append and the vertical concatenation in every source mode,
// skip count and text kind, on a random table and a random second text, a
// title resolver that matches, misses or answers "Eror", and at times a
// refused allocation or a failing source. The result always indexes again
// and keeps its NUL within the buffer; a straight append without the cut
// keeps the table's own bytes in front; anything but success leaves the
// table byte-identical with the same counts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "csv/csv_appendcols.h"
#include "csv/csv_concat.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"
#include "fuzz/csv_fuzz_check.h"
#include "fw/alloc.h"

namespace {

struct FuzzSource : csv::OtherSource {
  const std::uint8_t* bytes;
  std::size_t len;
  int failure;  // 0 none, 1 the size, 2 the reads
  FuzzSource(const std::uint8_t* b, std::size_t n, int f) : bytes(b), len(n), failure(f) {}
  std::int64_t Size() override { return failure == 1 ? -1 : static_cast<std::int64_t>(len); }
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override {
    if (failure == 2) return -1;
    csv::MemorySource m(bytes, len);
    return m.ReadAt(offset, dst, n);
  }
};

// Matches "[title]" against the cells of the first line; `style` picks
// misses, a number past every row, or a cancelled question.
csv::TitleResolver Resolver(int style) {
  return [style](const std::string& titles, const std::uint8_t* text, std::uint32_t len) -> std::string {
    if (style == 3) return "Eror";
    std::string first;
    for (std::uint32_t i = 0; i < len && text[i] != '\r' && text[i] != '\n'; ++i) first += static_cast<char>(text[i]);
    std::string list;
    std::size_t k = 0;
    for (std::size_t i = 0; i < titles.size() && k < 64; ++k) {
      const std::size_t open = titles.find('[', i);
      if (open == std::string::npos) break;
      const std::size_t close = titles.find(']', open);
      if (close == std::string::npos) break;
      const std::string t = titles.substr(open + 1, close - open - 1);
      std::size_t col = style == 1 ? 9999 : 0, c = 1, from = 0;
      for (;; ++c) {
        const std::size_t sep = first.find('\x06', from);
        if (first.compare(from, sep == std::string::npos ? std::string::npos : sep - from, t) == 0 && style != 1) {
          col = c;
          break;
        }
        if (sep == std::string::npos) break;
        from = sep + 1;
      }
      if (!list.empty()) list += ',';
      list += std::to_string(col == 0 ? 9999 : style == 2 ? col + 3 : col);
      i = close + 1;
    }
    return list.empty() ? std::string("1-") : list;
  };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5 || size > 4000) return 0;
  const int op = data[0] % 10;         // 0-6 the source modes, 7 mode 9, 8-9 the append
  const int skipPick = data[1] % 6;
  const int kindPick = (data[1] / 6) % 3;
  const int failAt = data[2] % 10;     // 0: no refusal
  const int sourceFailure = data[3] % 13 == 0 ? 1 + data[3] % 2 : 0;
  const int style = (data[3] / 13) % 4;
  const std::size_t split = data[4] * 8;
  data += 5;
  size -= 5;
  const std::size_t tableLen = split < size ? split : size / 2;
  static const int kSkips[] = {9999, 0, 1, 2, -1, 30000};
  static const int kKinds[] = {33, 9, 98};

  auto t = std::make_unique<csv::Table>();
  if (!t->LoadFileText(data, tableLen, 16)) return 0;
  const std::string before(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  // The operations read the table up to its first NUL.
  const std::string content = before.substr(0, before.find('\0'));
  const std::int32_t lastRow = t->m_nLastRow;
  const std::uint32_t fields = t->m_nFieldCount;
  FuzzSource src(data + tableLen, size - tableLen, sourceFailure);
  fuzzsupport::QuietOpHost host;

  fw::alloctest::Reset();
  fw::alloctest::FailAt(failAt);
  bool done = false;
  bool keepsFront = false;
  if (op >= 8) {
    done = csv::CsvAppendColumns(*t, src, &host) == csv::AppendResult::kDone;
  } else {
    csv::ConcatArgs args;
    args.skipLines = kSkips[skipPick];
    args.sourceMode = op == 7 ? 9 : op;
    args.fileKind = kKinds[kindPick];
    done = csv::CsvConcatVertical(*t, args, src, Resolver(style), &host) == csv::ConcatResult::kDone;
    keepsFront = args.skipLines != 9999 && (op == 0 || op == 1 || op == 2 || op == 3);
  }
  fw::alloctest::Reset();

  fuzzsupport::CheckTableIndex(*t, false);
  const std::string after(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  if (!done) {
    if (after != before || t->m_nLastRow != lastRow || t->m_nFieldCount != fields) __builtin_trap();
  } else if (keepsFront && after.compare(0, content.size(), content) != 0) {
    __builtin_trap();
  }
  return 0;
}
