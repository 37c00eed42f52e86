// The lines the check-mark tick underlines: the check list's rows turned
// into lines of the control (the view's line shift, the ruled display's
// head lines, the title row), the ones outside the text left out.
#pragma once

#include <cstdint>
#include <vector>

#include "csv/csv_checklist.h"

namespace viewload {

struct CheckMarkPlace {
  std::int32_t lineShift = 0;  // the view's m_nLineShift
  bool ruled = false;          // ruled-table mode (m_nEditMode 3): 5 head lines
  bool hasTitle = false;       // the table has a title row (m_bTableHasTitle)
  std::int32_t lineCount = 0;  // lines of the control
};

// Lines (0-based, in list order) for the entries above 0 of the list's used
// part. An entry is a row counted from 1 (the caret's line + 1, as the check
// commands and the checked-line search count), so its line is entry - 1 -
// shift, + 5 in ruled-table mode, + 1 when the shift is set and the table
// has a title row; lines below 0 or past lineCount are left out.
std::vector<std::int32_t> CheckMarkLines(const csv::CheckList& list, const CheckMarkPlace& place);

}  // namespace viewload
