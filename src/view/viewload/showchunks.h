// A long text is put into the rich edit in chunks, one per timer tick, so the
// window keeps answering while a big file appears: the first chunk at once,
// the rest appended at the end. This part decides where chunks end and how
// many lines the control will show; the view does the streaming.
#pragma once

#include <cstddef>

namespace viewload {

struct ShowChunkTuning {
  std::size_t oneGoLimit;  // texts up to this size go in at once
  std::size_t chunkBytes;     // about this much per chunk (cut after a line end)
  unsigned tickMs;            // timer between two chunks
  std::size_t longLineScan;   // how far past chunkBytes a line end is looked for
  // A control holding more characters than this is replaced by a new one
  // rather than emptied in place (which takes time growing with the square
  // of its lines under Wine: about 0.3 s at 100 KB, minutes at 2 MB).
  long emptyInPlaceLimit;
};
const ShowChunkTuning& ShowTuning();

// The end of the chunk that starts at `pos` of `data` (`len` bytes): just
// after the first LF at or past pos + chunk, else within a line only at a
// whole Shift-JIS character, never between CR and LF; `len` at the latest.
std::size_t NextChunkEnd(const char* data, std::size_t len, std::size_t pos, std::size_t chunk,
                         std::size_t longLineScan);

// Lines the control shows for these bytes when nothing wraps: one more than
// the line breaks (CR LF, a lone CR and a lone LF are one break each).
long long CountShownLines(const char* data, std::size_t len);
// The same for `data` followed by `tail` (a CR at the end of one and an LF at
// the start of the other are one line end).
long long CountShownLines(const char* data, std::size_t len, const char* tail, std::size_t tailLen);

}  // namespace viewload
