// The HTML form of the table export (the run's mode 'H'): the CSV table of
// the text view becomes one HTML page, one table per table block (sheet),
// its cells styled by CSS classes made from the format codes.
//
//   1. The run state is cleared and set to mode 'H' (the sheet model's
//      default number format '_', the nine rows after a title row).
//   2. Two growing buffers: the head (the CSS classes) with a first
//      capacity of the text's length + 1000 bytes per cell + 9000, tried
//      twice (halved the second time), and the body with the text's length
//      + 100 bytes per cell (at least 500000) + 9000, tried three times;
//      64-bit sizes, capped since the buffers grow.
//   3. The pre-scan and the sheet-list line, as in mode 0.
//   4. Per sheet: the sheet model; the chart writer for a sheet with a
//      chart definition (its parts below "\TMP1" as in mode 0, its own
//      buffer); the format section with merge lines ignored and the
//      condition marks listed; the sheet's classes into the head and its
//      table into the body. No scratch tree is set up, no pictures are
//      copied and no shapes drawn.
//   5. The page: the head closed with "-->", "</style></head>" and
//      "<body>", the body's final "<br>\r\n\r\n" replaced by
//      "</body>\r\n</html>\r\n", head then body.
//
// Memory short for a buffer: code 155, -1, and no page. A page that cannot
// be written: "file open eror : <path>" and -1. A class whose declarations
// cannot be had: code 123 (once a run), the class without them.
#pragma once

#include <cstdint>
#include <string>

#include "export/html/html_style.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"

namespace htmlexport {

// The first capacities of the body and head buffers (without the 9000
// spare bytes), 64-bit and capped.
std::uint64_t HtmlBodyCapacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount);
std::uint64_t HtmlHeadCapacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount);

// The whole mode-'H' run, the page written to in.target through the file
// layer (a temporary file that takes the target's name when complete). A
// sheet with a chart definition takes the XLSX run's scratch lock of "\TMP1"
// below in.programDir and keeps it to the end of the run (a lock that
// cannot be had leaves the charts out; the page is still written).
// Returns 0, or -1 after its message.
int XlsxWriteHtmlRun(xlsx::XlsxRun& run, const xlsx::XlsxRunInput& in, xlsx::XlsxRunHost& host);

// The page into memory (tests and fuzzing): no file, the chart parts into
// `chartSink`. 0 with *page set, or -1 after the message (*page empty).
int XlsxWriteHtmlPage(xlsx::XlsxRun& run, const xlsx::XlsxRunInput& in, exportcore::PartSink& chartSink,
                      xlsx::XlsxRunHost& host, std::string* page);

}  // namespace htmlexport
