#include "macro/macro_exportopts.h"

#include <cstring>

namespace macro {

namespace {

bool IsOptionChar(char c) { return c != '\0' && std::strchr("@$!#*>", c) != nullptr; }

}  // namespace

ExportOptions MacroReadExportOptions(const CString& command, const CString& operand) {
  ExportOptions o;
  const std::string& cmd = command.Str();
  std::string text = cmd.size() > 3 ? cmd.substr(3) : std::string();
  if (!text.empty() && text[0] == '%') {
    o.titleRow = true;
    o.title = CString(text.substr(1));
    text.clear();
  }
  const bool xlsx = operand.Str().find(".xlsx") != std::string::npos;
  if (text.empty()) {
    if (xlsx) o.mode = 4;
    return o;
  }
  std::size_t taken = 0;
  if (IsOptionChar(text[0])) taken = text.size() > 1 && IsOptionChar(text[1]) ? 2 : 1;
  const std::string head = text.substr(0, taken);
  auto has = [&head](char c) { return head.find(c) != std::string::npos; };
  bool modeSet = false;
  if (has('@')) o.mode = xlsx ? 5 : 1, modeSet = true;
  if (has('$')) o.mode = 0, modeSet = true;
  if (has('!')) o.mode = 3, modeSet = true;
  if (has('#') && !modeSet) o.mode = 2, modeSet = true;
  if (has('*')) o.flag = 1;
  if (has('>')) o.flag = 2;
  if (!modeSet) o.mode = 2;
  o.text = CString(text.substr(taken));
  return o;
}

std::string MacroExportTitleRow(const CString& title, std::uint32_t fieldCount) {
  std::string row = title.Str();
  if (fieldCount > 1) row.append(fieldCount - 1, '\x06');
  row += "\r\n";
  return row;
}

}  // namespace macro
