// Variable substitution in every mode, the page-code step, file-name operands
// and operand escapes over any bytes. The input is split at 0x00 bytes: the
// text, then the values of a few slots (some refer to each other).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_buffer.h"
#include "macro/macro_host.h"
#include "macro/macro_paths.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace {

class Host : public macro::MacroHost {
 public:
  CString GetText() override { return CString(); }
  void GetSelection(long* s, long* e) override { *s = *e = 0; }
  void SetSelection(long, long) override {}
  void ReplaceSelection(const CString&) override {}
  int OpenFile(const CString&, int) override { return -1; }
  int SaveFile(const CString&, int) override { return -1; }
  int ReportMessage(int, const CString&) override { return 1; }
  void ShowMessageBox(const CString&) override {}
  void SetStatusText(int, const CString&) override {}
  bool CheckEscapeAbort() override { return false; }
  void ActivateTextPane(int) override {}
  CString ProgramDir() override { return "P:\\prog"; }
  CString ListDir(int side) override { return side == 2 ? "L:\\two" : "L:\\one"; }
  int ActiveSide() override { return 1; }
  CString ParamPath() override { return "C:\\doc\\report.txt"; }
};

const int kSlots[] = {1, 5, 12, 110, 118, 155, 157, 132, 5180};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  static csv::TableFields* table = [] {
    auto* t = new csv::TableFields;
    t->m_aSecRow[0] = 3;
    for (int b = 1; b <= 3; ++b) {
      t->m_aSecRow[b] = 1 + 10 * (b - 1);
      t->m_aSecLine[b] = 2 + 10 * (b - 1);
      t->m_aSecInfoA[b] = 9 + 10 * (b - 1);
      t->m_aSecFields[b] = 3 + b;
    }
    t->m_nLastRow = 29;
    return t;
  }();
  static Host host;
  if (size > 65536) size = 65536;
  std::vector<std::string> parts(1);
  for (size_t k = 0; k < size; ++k) {
    if (data[k] == 0 && parts.size() < 1 + sizeof kSlots / sizeof kSlots[0]) parts.emplace_back();
    else parts.back() += static_cast<char>(data[k]);
  }
  for (const int slot : kSlots) st->m_strMacroVars[slot].Empty();
  // Short values keep a self-referencing one (10,000 replacements) quick.
  for (size_t k = 1; k < parts.size(); ++k) st->m_strMacroVars[kSlots[k - 1]] = CString(parts[k].substr(0, 24));
  const CString text(parts[0]);

  for (int mode : {0, 1, 2, 3, 4, 9}) {
    st->m_strMacroVars[146].Empty();
    const CString out = macro::MacroSubstituteVariables(*st, table, text, mode, 3, 4, mode == 0 ? 1 : 0);
    const std::string& o = out.Str();
    if (o.size() > static_cast<size_t>(macro::kSubstMaxBytes) + text.Str().size()) __builtin_trap();
    if (o.find('\x01') != std::string::npos) __builtin_trap();
    if (mode == 4 && o.find_first_of("\x1d\x1e\x1f") != std::string::npos) __builtin_trap();
    // A text without references (and, outside mode 4, nothing to shield or
    // page) comes back without its 0x01 bytes only.
    if ((mode == 1 || mode == 2 || mode == 3) && text.Str().find("&D") == std::string::npos) {
      std::string expected;
      for (char c : text.Str())
        if (c != '\x01') expected += c;
      if (o != expected) __builtin_trap();
    }
  }
  macro::MacroExpandParameters(*st, host, text);
  const CString escaped = macro::MacroExpandLineEscapes(text, text.GetLength() % 2);
  if (text.Str().find('\\') == std::string::npos && escaped != text) __builtin_trap();
  return 0;
}
