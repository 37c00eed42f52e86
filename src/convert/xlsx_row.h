// The ".xlsx" reader as the renderer frame calls it (kind 36, after the
// frame's buffers are set up and with the file closed): the package
// unpacked into the scratch folder, the workbook read into one workbook
// table and laid out as a drawn grid or a CSV table by "xlsmode".
#pragma once

#include <cstdint>

#include "convert/render_frame.h"

namespace convert {

// The bytes the job's text holds, or below 0 the package start's result
// (the file does not open: -1; the unpacking failed: its result).
std::int64_t ConvertXlsxWorkbook(RenderJob& job);

}  // namespace convert
