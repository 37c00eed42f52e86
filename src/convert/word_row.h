// The Word reader as the renderer frame calls it: the job's words become the
// reader's request, the compound reader's copies its streams, the picture
// entries of the copies its object list, and a main stream that is RTF
// inside goes to the RTF reader with the Word hand-over flag.
#pragma once

#include <cstdint>

#include "convert/cfb_reader.h"
#include "convert/render_frame.h"
#include "convert/word_text.h"

namespace convert {

// The reader's request from the frame's job.
WordRequest WordRequestFor(const RenderJob& job);

// The stream copies of the compound reader as the Word reader sees them.
WordStreams WordStreamsOf(const RenderJob& job, const CompoundStreamTable& table, bool cut);

// The compound reader's row for kinds 2 and 42 (and a kind-32 stream that
// reaches it): fills job.pictures from the copies, writes the text; returns
// the bytes the job's text holds.
std::int64_t ReadWordDocument(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table);

// A Word file that is not a compound document (the head bytes 94 A6 2E or
// FE 37 00), read from the frame's head.
std::int64_t WordHeadToText(RenderJob& job);

}  // namespace convert
