// The merge's pattern scanner and value reader over any text, patterns and
// limits. The input is split at 0x01 bytes into the text, the first pattern,
// the replacement and the second pattern; the first byte picks the start, the
// limits and the reader's mode. The text sits in a buffer of its exact size,
// so any read past it is caught. Checked: the result names what stands just
// before the new position, copy mode writes exactly the passed text with the
// first pattern replaced, and the reader keeps at most 255 bytes, equal to
// the text's bytes when it does not convert. The block head and sheet-list
// readers run over the same text: they end inside it and keep their limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/merge/merge_control.h"
#include "export/merge/merge_scan.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t ctl = data[0];
  const std::uint8_t startByte = data[1];
  std::vector<std::string> pieces(1);
  for (std::size_t i = 2; i < size; ++i) {
    if (data[i] == 0x01 && pieces.size() < 4)
      pieces.emplace_back();
    else
      pieces.back().push_back(static_cast<char>(data[i]));
  }
  pieces.resize(4);
  const std::vector<char> text(pieces[0].begin(), pieces[0].end());
  const char* t = text.empty() ? nullptr : text.data();
  const std::size_t n = text.size();
  static const char kEmpty[1] = {0};
  const char* tp = t ? t : kEmpty;
  // Patterns are NUL-ended texts: a NUL inside one shortens it.
  const std::string first = pieces[1].c_str();
  const std::string repl = pieces[2].c_str();
  const std::string second = pieces[3].c_str();

  const std::size_t start = n ? startByte % (n + 1) : 0;
  const std::size_t limit = (ctl & 0x80) ? n : (n ? start + (ctl % (n - start + 1)) : 0);
  const std::size_t outLimit = (ctl & 0x40) ? static_cast<std::size_t>(-1) : 1 + ctl % 64;
  const bool useOut = (ctl & 0x20) != 0;

  exportcore::ByteWriter out;
  std::size_t pos = start;
  const int r = merge::ScanCopyToPattern(tp, &pos, limit, useOut ? &out : nullptr, outLimit, first.c_str(),
                                         repl.c_str(), second.c_str());
  Check(r >= 0 && r <= 2);
  Check(pos >= start && pos <= (limit > start ? limit : start));
  const std::string passed(tp + start, pos - start);
  const bool copy = useOut && !repl.empty();
  const std::string replUsed = repl.substr(0, merge::kMaxReplacementBytes);
  const std::string got(out.Data(), out.Size());
  if (r == 1) {
    Check(passed.size() >= first.size() && passed.compare(passed.size() - first.size(), first.size(), first) == 0);
    if (copy) Check(got == passed.substr(0, passed.size() - first.size()) + replUsed);
  } else if (r == 2) {
    Check(!second.empty() && passed.size() >= second.size() &&
          passed.compare(passed.size() - second.size(), second.size(), second) == 0);
    if (copy) Check(got == passed);
    else if (useOut) Check(got == second.substr(1));
  } else {
    if (copy) Check(got == passed);
    else Check(got.empty());
    Check(pos == limit || (useOut && out.Size() >= outLimit) || limit <= start);
  }

  std::string value;
  const int mode = ctl & 1;
  const std::size_t next = merge::ReadAttrValueSjis(mode, tp, n, start, &value, (ctl & 2) != 0);
  Check(next >= start && next <= n);
  Check(value.size() <= merge::kMaxValueBytes);
  if (mode == 0) {
    const std::string raw(tp + start, next - start);
    const std::size_t stop = raw.find_first_of("\"<");
    Check(stop == std::string::npos ? next == n : stop == raw.size() - 1);
    Check(value == raw.substr(0, stop == std::string::npos ? raw.size() : stop).substr(0, merge::kMaxValueBytes));
  }

  const merge::BlockHead head = merge::ReadBlockHead(tp, n, start);
  Check(head.end >= start && head.end <= (n > start ? n : start));
  Check(head.title.size() <= merge::kMaxNameBytes);
  Check(head.NextTemplate(5) >= 5);
  const merge::SheetList list = merge::ReadSheetList(tp, n, start);
  Check(list.end <= (n > start + 2 ? n : start + 2));
  Check(list.order.size() <= static_cast<std::size_t>(merge::kMaxListedSheets));
  Check(list.names.size() <= static_cast<std::size_t>(merge::kMaxListNames));
  for (const auto& name : list.names) {
    Check(name.position >= 1 && static_cast<std::size_t>(name.position) <= list.order.size());
    Check(name.name.size() <= merge::kMaxNameBytes);
  }
  return 0;
}
