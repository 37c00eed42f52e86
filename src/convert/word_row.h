// The Word reader as the renderer frame calls it: the job's words become the
// reader's request, and a main stream that is RTF inside goes to the RTF
// reader with the Word hand-over flag.
#pragma once

#include <cstdint>
#include <vector>

#include "convert/render_frame.h"
#include "convert/word_text.h"

namespace convert {

// The reader's request from the frame's job.
WordRequest WordRequestFor(const RenderJob& job);

// A compound Word file whose streams the compound reader copied; returns the
// bytes written (0 when no Word form matched).
std::int64_t WordStreamsToText(RenderJob& job, const WordStreams& streams, std::vector<WordPicture>* pictures);

// A Word file that is not a compound document (the head bytes 94 A6 2E or
// FE 37 00), read from the frame's head.
std::int64_t WordHeadToText(RenderJob& job);

}  // namespace convert
