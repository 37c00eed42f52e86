// The stop dump over any variable store and names table: the bytes fill some
// slots, the names table (raw, so constants and declarations of any shape)
// and the two statements; the slot list is the full list or the watch list
// the command names. Checks: every list ends with its 0 and holds no more
// than the store has; the text has its fixed frame; nothing reads outside the
// store or the table (ASan).
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "macro/macro_dump.h"
#include "macro/macro_state.h"

namespace {

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  std::string Text(size_t most) {
    size_t k = Byte();
    if (k > most) k = most;
    if (k > n) k = n;
    std::string s(reinterpret_cast<const char*>(p), k);
    p += k;
    n -= k;
    return s;
  }
};

bool EndsWith(const std::string& s, const char* tail) {
  const size_t k = std::strlen(tail);
  return s.size() >= k && s.compare(s.size() - k, k, tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState();
  static std::vector<int> touched;
  for (int s : touched) st->m_strMacroVars[s].Empty();
  touched.clear();
  std::memset(st->m_abMacroNameTable, 0, sizeof st->m_abMacroNameTable);

  Reader r{data, size};
  const uint8_t flags = r.Byte();
  // Up to 24 slots anywhere in the store.
  const int slots = r.Byte() % 25;
  for (int k = 0; k < slots; ++k) {
    const int slot = ((r.Byte() << 8) | r.Byte()) % macro::kVarSlots;
    st->m_strMacroVars[slot] = CString(r.Text(64));
    touched.push_back(slot);
  }
  // The names table: the rest up to its size, or a long run of one byte so
  // that a constants line reaches its limit.
  size_t tableLen = (static_cast<size_t>(r.Byte()) << 8) | r.Byte();
  if (flags & 0x40) {
    const uint8_t fill = r.Byte();
    std::memset(st->m_abMacroNameTable, fill, macro::kNameTableSize - 1);
    st->m_abMacroNameTable[0] = "#&@"[flags % 3];
    st->m_abMacroNameTable[1] = ':';
  }
  if (tableLen > r.n) tableLen = r.n;
  if (tableLen > macro::kNameTableSize - 1) tableLen = macro::kNameTableSize - 1;
  if (tableLen > 0)
    std::memcpy(st->m_abMacroNameTable + ((flags & 0x40) ? 2 : 0), r.p,
                std::min(tableLen, static_cast<size_t>(macro::kNameTableSize - 3)));
  st->m_abMacroNameTable[macro::kNameTableSize - 1] = '\0';
  r.p += tableLen;
  r.n -= tableLen;

  macro::StopDumpInput in;
  in.prevCommand = CString(r.Text(255));
  in.prevOperand = CString(r.Text(255));
  in.command = CString(r.Text(255));
  in.operand = CString(r.Text(255));
  in.line = static_cast<int>(r.Byte()) * 1000 - 3;
  in.indent = r.Byte();
  in.blockIndent = r.Byte();
  in.stepMode = (flags & 1) != 0;
  const bool full = (flags & 2) != 0;

  std::vector<int> list = macro::MacroStopSlots(*st, in.command, in.operand, full);
  if (list.empty() || list.back() != 0) __builtin_trap();
  if (list.size() > static_cast<size_t>(macro::kDumpMostSlots) + 1) __builtin_trap();
  if (flags & 4) {
    // Any list at all, entries past the store included.
    list.clear();
    while (r.n >= 2 && list.size() < 64) list.push_back(static_cast<int16_t>((r.Byte() << 8) | r.Byte()));
  }
  const std::string dump = macro::MacroStopDump(*st, list, in).Str();
  if (dump.compare(0, 7, "  -1 : ") != 0) __builtin_trap();
  if (dump.find("\r\n  variables") == std::string::npos) __builtin_trap();
  if (dump.find("\r\n  cmnd line = ") == std::string::npos) __builtin_trap();
  if (in.stepMode != EndsWith(dump, "\r\n  : Step mode ON")) __builtin_trap();
  return 0;
}
