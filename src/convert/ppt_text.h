// PowerPoint presentations in the record-based form as Shift-JIS text: the
// record walk over the "PowerPoint Document" stream collects events (slide
// headings, notes, revisions), texts, shape anchors and picture markers; the
// page layout then places each slide's texts roughly where they stand, in a
// grid of 180 columns by 50 rows per page. The older record form is copied
// as text; the oldest form gives the "unsupported Office form" line.
//
// The reader works on the stream copies the compound reader made and never
// reads outside them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/load_buffer.h"
#include "convert/office_pictures.h"
#include "convert/picture_save.h"

namespace convert {

class CfbReader;
struct CompoundStreamTable;
struct RenderJob;

// The stream copies of a presentation.
struct PptStreams {
  const std::uint8_t* data = nullptr;  // the buffer that holds the copies
  std::size_t size = 0;                // bytes it holds
  std::int32_t mainAt = 0;             // "PowerPoint Document": offset and bytes of its copy
  std::int32_t mainSize = 0;
  std::int32_t picturesAt = 0;         // "Pictures" (0: absent)
  std::int32_t picturesSize = 0;
  bool cut = false;                    // a copy was cut at the read limit (no damage then)
};

struct PptRequest {
  int nChar = 157;        // line width of the inspection listing
  int tblMax = 5000;      // entries of the event list
  int convStyle = 0;      // 0: anchor units 60 (column) and 250 (row); else 52 and 160
  int openContext = 0;    // 2: the picture entries and the event list are listed first
  int extractNo = 0;      // 100: the first picture is saved by the reader itself
};

struct PptResult {
  const char* damage = nullptr;  // the stream where damaged input ended the walk
  bool noMemory = false;         // the picture copy was not had (" 008" written)
  int pictures = 0;              // picture entries met
};

// Reads the presentation: fills `pictures` (type letter; position in the
// "Pictures" stream; the bytes of the picture record after its 8-byte
// header), writes the text. With extractNo 100 the first picture is copied
// from the "Pictures" copy and handed to PdfSaveEmbeddedImage through `save`
// (nullptr: not saved).
PptResult PptToText(const PptStreams& s, const PptRequest& req, LoadBuffer& out, OfficePictureTable& pictures,
                    PictureSaveContext* save);

// The compound reader's row for kind 1.
std::int64_t ReadPowerPoint(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table);

}  // namespace convert
