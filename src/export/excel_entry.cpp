#include "export/excel_entry.h"

#include <string>

#include "core/docsvc/pathpart.h"
#include "export/byte_writer.h"

namespace exportcore {

CString ExcelExportTarget(const CString& operand, const CString& docStem, const CString& templateArg,
                          const CString& activeFolder) {
  CString target = operand;
  if (target.IsEmpty()) target = docStem + "_" + GetPathPart(templateArg, 2) + ".xls";
  if (target.Left(2) == CString("\\\\")) return target;
  if (target.Find(':') < 0) {
    CString folder = activeFolder;
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != '\\') folder += '\\';
    target = folder + target;
  }
  // Doubled backslashes (as a macro writes them) become single ones; the
  // trail byte 0x5C of a double-byte character is no backslash.
  const std::string& in = target.Str();
  std::string out;
  bool afterBackslash = false;
  for (std::size_t i = 0; i < in.size();) {
    const std::size_t k = SjisPairLength(in.data(), i, in.size());
    const bool backslash = k == 1 && in[i] == '\\';
    if (!(backslash && afterBackslash)) out.append(in, i, k);
    afterBackslash = backslash && !afterBackslash;
    i += k;
  }
  return CString(out);
}

}  // namespace exportcore
