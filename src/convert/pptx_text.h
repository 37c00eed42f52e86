// ".pptx" presentations as text pictures: each slide a block of fixed-width
// lines under a page line, the text of every shape drawn where the shape
// stands on the slide (left, centred or right as its paragraphs say),
// tables in the columns of their grid, pictures as their media names.
//
// Order of work: the slide master's title and body positions, the slide
// count, the canvas, then for each slide its media names, its slide layout
// of the same number and the walk over the slide's elements, drawing each
// shape at its end and each table at its end. A closing line of 100 "="
// ends the text.
//
// Missing masters, layouts, relationships and media folders leave their
// positions and names empty. A slide part that ends inside an element ends
// the text with the damage line; a part that exists but does not load adds
// the loader's message after the closing line.
#pragma once

#include <cstdint>
#include <string>

#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"

namespace convert {

// The document's words the converter uses.
struct PptxWords {
  std::uint32_t m_bTableLayout = 0;      // 0: grid units 1,000 / 4,000 EMU; else 900 / 2,200
  std::uint64_t memoryLimit = 41943040;  // m_nTextBufSize: a larger part is not loaded
};

// Grid units: EMU per horizontal and vertical unit.
struct PptxUnits {
  std::int64_t horizontal;
  std::int64_t vertical;
};
PptxUnits PptxUnitsFor(std::uint32_t tableLayout);

// Writes the slides into `out` (empty on entry). Result: the bytes of text
// in `out`; below 0 minus the length of the message written when the canvas
// cannot be had (string 152 + " 020").
std::int64_t ConvertPptxToText(OoxmlPackage& package, const PptxWords& words, LoadBuffer& out);

}  // namespace convert
