// The event list of the PowerPoint reader: what the record walk
// (ppt_walk.cpp) collects and the listing and page layout (ppt_layout.cpp)
// write out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/office_pictures.h"
#include "convert/ppt_text.h"

namespace convert {

enum class PptEntryKind : std::uint8_t {
  kEvent,   // code 0xF1-0xF5 or 0xFA
  kText,    // one text record, ending CR LF
  kAnchor,  // a shape's anchor ("\" + LLTTRRBB + kind digit + CR LF)
  kMarker,  // a picture's marker ("[Image1]JPG" ...), ending CR LF
};

enum : std::uint8_t {
  kPptSlideList = 0xF1,  // a slide of the slide list
  kPptSlide = 0xF2,      // a slide's own container
  kPptDocEnd = 0xF3,     // the end of the document container
  kPptRevision = 0xF4,   // a revision (a later save appended)
  kPptNote = 0xF5,       // a notes page follows
  kPptFrame = 0xFA,
};

struct PptEntry {
  PptEntryKind kind = PptEntryKind::kText;
  std::uint8_t code = 0;
  std::uint16_t number = 0;     // F1: the slide's number; F5: the slide it belongs to; F2: last shape id / 256
  std::uint16_t drawingId = 0;  // F2: the drawing's instance
  bool hasDrawing = false;      // F2: a drawing record filled the two above
  bool inSlideList = false;     // F1: met in the list of slides (not of masters or notes)
  int slideCount = 0;           // the slide count at the event
  int revision = 0;             // the revisions counted at the event
  int page = 0;                 // F1, F2, F5: the page (0: none), set by the page ordering
  int left = 0, top = 0, right = 0, bottom = 0, shapeKind = 0;  // anchors
  std::string text;             // texts, anchors and markers as they are listed
};

struct PptEvents {
  std::vector<PptEntry> entries;
  std::size_t capacity = 5000;  // entries held (a text counts one per line of nChar bytes)
  std::size_t used = 0;
  int nChar = 157;

  bool Add(PptEntry e);
};

// Phase 1: the record walk from `from` (just inside the document container)
// to `end` of data; picture entries go into `pictures` and, with the
// inspection context, are listed into `out` as they are met. Sets
// r.damage when a damaged length ended the walk (not when `cut` says the
// copy was merely cut at the read limit).
void WalkPptRecords(const std::uint8_t* data, std::int32_t from, std::int32_t end, const PptRequest& req, bool cut,
                    PptEvents& ev, OfficePictureTable& pictures, LoadBuffer& out, PptResult& r);
// The older record form (a stream beginning 03 00 00 00): rules and texts
// copied as they stand.
void CopyOlderPptForm(const std::uint8_t* data, std::int32_t from, std::int32_t end, LoadBuffer& out);

// Gives the 0xF1, 0xF2 and 0xF5 events their pages (ppt_layout.cpp).
void OrderPptPages(PptEvents& ev);
// The inspection listing of the event list.
void ListPptEvents(const PptEvents& ev, LoadBuffer& out);
// The pages, each in its grid, and the closing rule.
void LayOutPptPages(const PptEvents& ev, LoadBuffer& out);

// The picture marker entries start with one of these.
bool IsPptMarker(const std::string& text);

}  // namespace convert
