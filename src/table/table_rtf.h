// The rich-text writer of a ruled table: reads the table through the walk
// and writes one paragraph per row, rule paragraphs and mark paragraphs.
#pragma once

#include <cstdint>
#include <string>

#include "csv/csv_buffer.h"
#include "table/table_render.h"

namespace table {

// Where the writer puts its text, one row's text at a time. Append returns
// false when the row does not fit: the writer then stops before that row.
class RtfSink {
 public:
  virtual ~RtfSink() = default;
  virtual bool Append(const std::string& rowText) = 0;
  // Appends the bitmap object of the picture `path` (table_bitmap.h) after
  // the text appended so far; false when it was skipped.
  virtual bool AppendPicture(const std::string& path, int width, int height) {
    (void)path, (void)width, (void)height;
    return false;
  }
};

struct RtfStats {
  std::uint32_t paragraphs = 0;    // paragraphs written (every map entry wanted)
  std::int32_t maxColumns = 0;
  std::int32_t markParagraphs = 0;
  bool cut = false;                // the sink refused a row
  std::int32_t cutAfterRow = -1;   // last source row written before the cut
  int fontSize = 21;
};

// The document header: font table \f0-\f3 and colour table 0-26.
std::string RtfHeader(std::uint32_t userColour);

// The closing text with the font size F.
std::string RtfClosing(int fontSize);

// Writes the rows of `text` (`len` bytes, the working form) as rich text.
// Blocks start at the rows `index` gives; req selects the command, the row
// range, the ruled display and the view's outputs (map, column edges).
void WriteRtf(const std::uint8_t* text, std::uint32_t len, const csv::CsvBlockIndex& index, const RenderRequest& req,
              RtfSink* sink, RtfStats* stats);

}  // namespace table
