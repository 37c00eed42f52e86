// The readers of a compound document's streams, one row per file kind
// (compound_readers.cpp). The compound-document row of the converter table
// runs LoadCompoundStreams and hands the stream table to the row of the
// resolved kind; a kind without a row gives the "not yet" notice.
#pragma once

#include <cstdint>

#include "convert/cfb_reader.h"

namespace convert {

// Writes the text of the streams into job.out; the result is as a ConvertFn's
// (the bytes written, or below 0 a failure).
using CompoundReaderFn = std::int64_t (*)(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table);

// The reader of a resolved kind (1 PowerPoint, 2 and 42 Word, 3 Excel);
// nullptr when this build has none.
CompoundReaderFn CompoundReaderFor(int kind);

}  // namespace convert
