// The address rewriter in every mode, with the reference evaluator, over any
// bytes, against a small two-block table and a few declared names.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "csv/csv_table.h"
#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_address.h"
#include "macro/macro_state.h"

namespace {

using Host = fuzzsupport::QuietMacroHost;

const char kTable[] =
    "City,Total,Note\r\nNagoya,1,a\r\nTokyo,4,d\r\nTokyo,5,e\r\nOsaka,6,f\r\n!#\r\nPlace,Sum\r\nOsaka,7\r\n\"Sendai\",9\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = [] {
    auto* s = new macro::MacroState;
    std::strcpy(s->m_abMacroNameTable, "180:total;181:arr<3>;185:m<2|2>;#:hdr=Note;&:col=[hdr];@:row=To&;&:w=[w][w][w];\x05" "190:i;");
    s->m_strMacroVars[185] = "\x0c" "2";
    s->m_strMacroVars[7] = "Tokyo";
    s->m_strMacroVars[8] = "&D8";
    s->m_strMacroVars[155] = "2";
    return s;
  }();
  static csv::Table* table = [] {
    auto* t = new csv::Table;
    t->LoadFileText(kTable, std::strlen(kTable), 16);
    return t;
  }();
  static Host host;
  if (size < 1) return 0;
  if (size > 30000) size = 30000;
  const int mode = data[0] % 7;
  host.answer = data[0] & 0x80 ? 1 : 2;
  st->m_bMacroErrorsOff = (data[0] >> 3) & 1;
  st->m_nMacroCallDepth = (data[0] >> 4) & 1;
  const CString text(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
  macro::AddressScope sc{*st};
  sc.host = &host;
  sc.table = table;
  sc.text = table->m_pTextBuf;
  sc.length = table->m_nTextLen;
  const CString out = macro::MacroParseRowData(sc, text, mode);
  if (out != text && out.GetLength() > macro::kAddressMaxOutput) __builtin_trap();
  if (text.GetLength() > macro::kAddressMaxInput && out != text) __builtin_trap();
  // Text with nothing the rewriter reads comes back as it is.
  if (text.Str().find_first_of("[]&@#\\()=|%!<") == std::string::npos && text.Str().find('\0') == std::string::npos &&
      text.Str().compare(0, 4, "sort") != 0 && out != text)
    __builtin_trap();

  // The evaluator alone, with every kind.
  for (int kind : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12}) {
    std::string contents = text.Str().substr(0, macro::kAddressMaxContents);
    macro::MacroEvalAddressToken(sc, &contents, kind, data[0] % 3, (data[0] & 4) ? 1 : -1);
  }
  return 0;
}
