// The ".pptx" converter as the renderer frame calls it (kind 38, before the
// file is opened, never with m_nOpenContext 2): the package unpacked into
// the scratch folder, then the slides drawn as text (pptx_text.h).
#pragma once

#include <cstdint>

#include "convert/render_frame.h"

namespace convert {

// The bytes the job's text holds, or below 0 the package start's result
// (the file does not open: -1) or minus the canvas message's length.
std::int64_t ConvertPptxForJob(RenderJob& job);

}  // namespace convert
