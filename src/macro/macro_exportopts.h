// The options of the spreadsheet save "savexls" ("&Sx"): the text after the
// command's first three bytes. Its first character, and the second after an
// option character, may be option characters; they are read in this order,
// a later one overriding an earlier:
//   '@' mode 5 when the operand holds ".xlsx", else 1;  '$' mode 0;
//   '!' mode 3;  '#' mode 2 unless '@', '$' or '!' set it;
//   '*' flag 1;  '>' flag 2.
// A text that is not empty and sets no mode gives mode 2; an empty text gives
// mode 4 with ".xlsx" in the operand, else -2. The option characters are
// taken off the text; a text that begins with no option character keeps all
// of its characters (a sheet name is never cut).
//
// A '%' as the command's fourth byte puts a title row in front of the table
// instead: the text after it, a separator for every further field, CR LF;
// the option text is then empty.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace macro {

struct ExportOptions {
  int mode = -2;
  int flag = 0;
  CString text;         // the option text without its option characters
  bool titleRow = false;  // '%': `title` goes in front of the table
  CString title;
};

// `command` the statement's command ("&Sx..."), `operand` its path.
ExportOptions MacroReadExportOptions(const CString& command, const CString& operand);

// The title row's bytes for a table of `fieldCount` fields.
std::string MacroExportTitleRow(const CString& title, std::uint32_t fieldCount);

}  // namespace macro
