// The statement scanner over any bytes, to the end of the text. The first
// byte picks the debug mode; the rest is the macro text, in a buffer of
// exactly its length (no NUL after it). Checked on every statement: the
// position moves on, the line count is the line breaks before the position,
// every command byte comes from its offset (or was added after the byte
// there), the offsets never go back, the columns keep their limits and the
// text is left as it was. A line cut at "||" goes on at the bars, as
// preparation does, whenever that moves forward.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "macro/macro_scan.h"
#include "macro/macro_state.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool AddedByte(const std::string& cmd, const std::uint32_t* at, std::size_t i, const char* text) {
  if (i > 0 && at[i] == at[i - 1] && (cmd[i] == '=' || cmd[i] == '$')) return true;
  return cmd[i] == '0' && text[at[i]] == 'n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  if (size < 1 || size > 200000) return 0;
  const int debug = static_cast<int>(data[0] % 3) - 1;
  const std::uint32_t length = static_cast<std::uint32_t>(size - 1);
  std::unique_ptr<char[]> text(new char[length ? length : 1]);
  std::memcpy(text.get(), data + 1, length);

  st->m_nMacroPos = 0;
  st->m_nCmdLineNo = 0;
  std::uint32_t calls = 0;
  for (;;) {
    Check(++calls <= 2 * length + 2);
    const std::uint32_t start = st->m_nMacroPos;
    const macro::ScanResult r = macro::ScanMacroStatement(*st, text.get(), length, debug);
    const std::uint32_t pos = st->m_nMacroPos;
    Check(pos <= length);
    if (r == macro::ScanResult::kStop) {
      Check(pos == length && st->m_strStmtCommand.IsEmpty());
      Check(st->m_nCmdLineNo <= macro::MacroCountLineBreaks(text.get(), 0, length));
      break;
    }
    Check(st->m_nCmdLineNo == macro::MacroCountLineBreaks(text.get(), 0, pos));
    if (r == macro::ScanResult::kEnd) {
      Check(st->m_strStmtCommand.IsEmpty() && st->m_strStmtOperand.IsEmpty());
      Check(pos >= start && (pos == length || text[pos] == '\0'));
      break;
    }
    Check(pos > start);

    const std::string cmd = st->m_strStmtCommand.Str();
    const std::uint32_t* at = st->m_anStmtCommandAt.data();
    Check(st->m_anStmtCommandAt.size() == cmd.size());
    Check(cmd.size() <= static_cast<std::size_t>(macro::kStmtColumnMax));
    Check(st->m_strStmtOperand.GetLength() <= macro::kStmtColumnMax);
    Check(st->m_nStmtIndent >= 0 && static_cast<std::uint32_t>(st->m_nStmtIndent) <= pos - start);
    if (cmd == "BK\r\n") {
      Check(debug > 0 && st->m_strStmtOperand.IsEmpty());
      Check(at[0] > start && at[0] <= pos && text[at[0] - 1] == '#' && at[3] == at[0]);
    } else {
      if (!cmd.empty() && cmd[0] >= '7' && cmd[0] <= '9')
        Check(cmd.size() <= static_cast<std::size_t>(macro::kNumericStmtMax) && st->m_strStmtOperand.IsEmpty());
      for (std::size_t i = 0; i < cmd.size(); ++i) {
        Check(at[i] >= start && at[i] < pos);
        Check(i == 0 || at[i] >= at[i - 1]);
        Check(text[at[i]] == cmd[i] || AddedByte(cmd, at, i, text.get()));
      }
      // A line of several statements: go on at the bars.
      const std::size_t bars = cmd.find("||", 3);
      if (bars != std::string::npos && st->m_strStmtOperand.IsEmpty() && at[bars] > start) {
        st->m_nCmdLineNo -= macro::MacroCountLineBreaks(text.get(), at[bars], pos);
        st->m_nMacroPos = at[bars];
      }
    }
  }
  Check(std::memcmp(text.get(), data + 1, length) == 0);
  return 0;
}
