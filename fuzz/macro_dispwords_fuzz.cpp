// The keyword readers of the display, status, system-parameter and
// save-text statements over any operand: the display and status keywords,
// the system-parameter names and values, the file name's backslashes and the
// copy of the saved text. The first byte chooses the command letter of the
// display statement.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fw/sjis.h"
#include "macro/macro_display_words.h"
#include "macro/macro_exec_savetext.h"
#include "macro/macro_number.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool Has(const std::string& s, const char* w) { return s.find(w) != std::string::npos; }

// The bytes of `s` other than backslashes.
std::string WithoutBackslashes(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '\\') out += c;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (size > 4096) size = 4096;
  const char letter = static_cast<char>(data[0]);
  const std::string s(reinterpret_cast<const char*>(data) + 1, size - 1);
  const CString operand(s.data(), static_cast<int>(s.size()));

  const macro::DisplayWords w = macro::MacroReadDisplayWords(operand, letter);
  const int layout = w.layoutCode;
  Check(layout == 0 || layout == 1 || layout == 2 || layout == 3 || layout == 9 || layout == 11);
  Check((layout != 0) == (s.find("split") != std::string::npos && s.find("split") + 5 < s.size()));
  Check(w.handOver == (s.find("text") != std::string::npos && s.find("text") + 4 < s.size()));
  Check(!w.handOver || (w.handOverPane >= 1 && w.handOverPane <= 4));
  Check(w.columnSizeDigit >= -1 && w.columnSizeDigit <= 9);
  Check(w.ruled == (Has(s, "disprtf") || letter == 'r'));
  Check(w.plain == (Has(s, "disptxt") || letter == 't'));
  Check(w.title == Has(s, "title") && w.noMenu == Has(s, "no menu"));

  const macro::StatusWords sw = macro::MacroReadStatusWords(operand);
  Check(sw.statusMode >= -1 && sw.statusMode <= 3);
  Check(sw.showSet == (sw.statusMode == 3));
  Check((sw.statusMode == -1) == !(Has(s, "status off") || Has(s, "status line") || Has(s, "status on") ||
                                   Has(s, "status set")));

  const macro::SysParaReading r = macro::MacroReadSysPara(operand);
  for (int k = 0; k < macro::kSysParaNames; ++k) {
    const std::size_t at = s.find(macro::MacroSysParaName(k));
    Check(r.found[k] == (at != std::string::npos));
    if (!r.found[k]) continue;
    const std::string tail = s.substr(at);
    const long long v = macro::MacroReadNumber(CString(tail.data(), static_cast<int>(tail.size())), 0);
    if (k == macro::kFilevol || k == macro::kTextvol) {
      // Megabytes in bytes, held at INT_MAX: never wrapped.
      Check(r.value[k] >= 0);
      Check(r.value[k] == INT_MAX || (r.value[k] % 1048576 == 0 && r.value[k] / 1048576 == v));
      Check(r.value[k] != INT_MAX || v * 1048576 >= INT_MAX);
    } else if (k == macro::kZerodiv) {
      Check(r.value[k] == v || r.value[k] == -v);
    } else {
      Check(r.value[k] == v);
    }
  }

  const CString name = macro::MacroNormaliseBackslashes(operand);
  const std::string out = name.Str();
  Check(out.size() <= s.size());
  // Only backslashes go; every other byte stays, in order.
  Check(WithoutBackslashes(out) == WithoutBackslashes(s));
  if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\')
    Check(out.size() >= 2 && out[0] == '\\' && out[1] == '\\' && (out.size() == 2 || out[2] != '\\'));

  std::vector<char> copy(s.size() + 1);
  const std::uint32_t n = macro::MacroSaveTextCopy(reinterpret_cast<const std::uint8_t*>(s.data()),
                                                   static_cast<std::uint32_t>(s.size()), copy.data());
  Check(n <= s.size() && copy[n] == '\0');
  const std::string written(copy.data(), n);
  Check(written.find('\x06') == std::string::npos);
  Check(written.find('\0') == std::string::npos);
  // Every '&' of the text up to its NUL is written, each once.
  const std::string upToNul = s.substr(0, s.find('\0'));
  std::size_t amps = 0, ampsOut = 0;
  for (char c : upToNul) amps += c == '&';
  for (char c : written) ampsOut += c == '&';
  Check(amps == ampsOut);
  return 0;
}
