// The options of "savexls": any command and operand give a mode and flag of
// the table, an option text that is the command's tail less at most two
// characters, and a title row of the title, the separators and CR LF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "macro/macro_exportopts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t nl = rest.find('\n');
  const std::string cmd = rest.substr(0, nl);
  const CString command(cmd), operand(nl == std::string::npos ? std::string() : rest.substr(nl + 1));
  const macro::ExportOptions o = macro::MacroReadExportOptions(command, operand);
  if (o.mode < -2 || o.mode > 5 || o.flag < 0 || o.flag > 2) std::abort();
  const std::string tail = cmd.size() > 3 ? cmd.substr(3) : std::string();
  const std::string& text = o.text.Str();
  if (text.size() > tail.size() || tail.size() - text.size() > 2) {
    if (!o.titleRow || !text.empty()) std::abort();
  }
  if (!o.titleRow && tail.compare(tail.size() - text.size(), text.size(), text) != 0) std::abort();
  const std::uint32_t fields = data[0];
  const std::string row = macro::MacroExportTitleRow(o.title, fields);
  const std::size_t seps = fields > 1 ? fields - 1 : 0;
  if (row.size() != o.title.Str().size() + seps + 2 || row.compare(row.size() - 2, 2, "\r\n") != 0) std::abort();
  return 0;
}
