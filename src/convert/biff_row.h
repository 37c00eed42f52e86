// The Excel reader as the renderer frame calls it: the compound reader's
// "Workbook" (or "Book") copy, or a bare BIFF file from the head, read into
// one workbook table and laid out as a drawn grid or a CSV table.
#pragma once

#include <cstdint>

#include "convert/cfb_reader.h"
#include "convert/render_frame.h"

namespace convert {

// The compound reader's row for kind 3.
std::int64_t ReadExcelWorkbook(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table);

// A bare BIFF file (head 09 04 06 or 09 02 06): the head buffer is the
// stream, read as BIFF5.
std::int64_t ReadBareBiff(RenderJob& job);

}  // namespace convert
