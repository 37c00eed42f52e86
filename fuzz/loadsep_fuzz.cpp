// The separator count of a raw load, the join operand's bar and the splice
// of a macro text: any bytes,
// exact-sized buffers; the counts stay within what was scanned, only lead
// bytes become blanks, and the bar is a '|' inside the operand.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "macro/macro_fileentry.h"
#include "macro/macro_loadsep.h"
#include "macro/macro_splice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> buf(data, data + size);
  macro::LoadSeparatorCounts c;
  const bool comma = macro::MacroDetectLoadSeparator(buf.empty() ? nullptr : buf.data(), buf.size(), false, &c);
  if (c.scanned > size || c.scanned > 5000) std::abort();
  const std::size_t sum = static_cast<std::size_t>(c.commas) + c.tabs + c.bars + c.separators;
  if (sum > c.scanned) std::abort();
  if (comma && c.commas == 0) std::abort();
  for (std::size_t i = 0; i < size; ++i) {
    if (buf[i] != data[i] && buf[i] != ' ') std::abort();
  }
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CString operand(text.c_str());
  const int bar = macro::MacroFindJoinBar(operand);
  if (bar >= operand.GetLength() || (bar >= 0 && operand[bar] != '|')) std::abort();
  // The splice: the first bytes choose the offsets and the form, the rest
  // is split into the old text and the inserted one.
  if (size >= 3) {
    macro::SpliceRequest req;
    req.replaceRest = (data[0] & 1) != 0;
    if (data[0] & 2) req.headerName = "sub";
    const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::size_t cut = rest.size() / 2;
    const std::string old = rest.substr(0, cut), ins = rest.substr(cut);
    req.lineStart = data[1] % (old.size() + 2);
    req.nextStmt = data[2] % (old.size() + 2);
    std::size_t mark = 0;
    const std::string out = macro::MacroSpliceMacroText(old.data(), old.size(), req, ins, &mark);
    if (out.size() < ins.size() || mark > out.size() || out.find('\0') != std::string::npos) std::abort();
    if (req.replaceRest && out.compare(mark - 5, 5, "\tEy\r\n") != 0) std::abort();
  }
  return 0;
}
