// ".docx" documents as text pictures of their pages: paragraphs laid line
// by line on a wide canvas whose text width follows the page size, margins
// and column count; frames, anchored drawings, text boxes and VML shapes at
// the rows and columns their positions give; pictures as their media names
// in brackets; page lines at rendered and explicit page breaks; tables cell
// beside cell (ruled with "+", "-" and "|" under the table-layout switch),
// tables nested in cells drawn after the body under "[Table%d]" headers.
//
// Every write stays inside its canvas row (columns 0-509) and inside the
// canvas: frames above the page, lines that start near the right edge and
// pages wider than the canvas give a clipped picture.
#pragma once

#include <cstdint>

#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"
#include "convert/render_frame.h"

namespace convert {

struct DocxWords {
  bool tableLayout = false;              // m_bTableLayout: rule the tables
  std::uint64_t memoryLimit = 41943040;  // "membuf": a larger document part is not loaded
};

// Lays out the document of an unpacked package into `out` (which it
// replaces). Result: the bytes of text, or below 0 minus the length of the
// memory message written (" 021" canvas, " 022" output). A document part
// cut inside an element ends the text with the damage line.
std::int64_t ConvertDocxPackage(OoxmlPackage& package, const DocxWords& words, LoadBuffer& out);

// The ".docx" converter as the renderer frame calls it (kind 37, before the
// file is opened): the package unpacked through the job's host, then laid
// out. 0 with no text when the file does not open or does not unpack.
std::int64_t ConvertDocxToText(RenderJob& job);

}  // namespace convert
