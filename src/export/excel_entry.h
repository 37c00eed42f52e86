// The spreadsheet export entry's target path: the statement's operand, or
// the document's stem + "_" + the template's base name + ".xls" when there is
// none. A name that is neither a network path ("\\" at its start) nor holds
// a ':' is put in the active side's folder; then doubled backslashes become
// single ones (a network path is left as it is).
#pragma once

#include "fw/cstring.h"

namespace exportcore {

CString ExcelExportTarget(const CString& operand, const CString& docStem, const CString& templateArg,
                          const CString& activeFolder);

}  // namespace exportcore
