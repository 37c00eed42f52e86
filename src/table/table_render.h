// The ruled-table rebuild on plain buffers: a CSV table (the working form,
// 0x06 between cells, CR LF between rows) becomes one rich-text document in
// which every row is a paragraph with tab stops at the cell edges and every
// ruled line a 1-point highlighted run or a 20-twip paragraph.
//
// The window side calls RebuildTable with the view's table and the
// document's text buffer, then streams the text in (or leaves it, for 'T').
// Nothing here touches a window: message texts and status texts come back in
// the result for the view to show.
#pragma once

#include <cstdint>
#include <string>

#include "csv/csv_table.h"

namespace table {

class PictureConverter;

// Rebuild commands.
constexpr int kCmdRuled = 'D';       // ruled table, streamed into the control
constexpr int kCmdRtfText = 'T';     // as 'D', the text stays in the buffer
constexpr int kCmdCellFormat = 'd';  // cell formatter: a lead-in column of 20 twips
constexpr int kCmdNewTable = 'N';    // simple form, streamed in at the caret

constexpr int kRuledEditMode = 3;          // m_nEditMode of the ruled display
constexpr std::uint32_t kColumnLimit = 8990;  // m_nFieldCount at or past it stops
constexpr std::uint32_t kColumnEdgeCount = 1000;  // entries of the column edge table
constexpr int kMaxColourMarkers = 10;       // view's colour markers

// The document's text buffer (m_pText and its fields). The block comes from
// fw::Alloc/Realloc; the rebuild may reallocate it and always leaves a valid
// block in `text`.
struct OutputText {
  char* text = nullptr;
  std::uint32_t len = 0;       // m_nTextLen
  std::uint32_t capacity = 0;  // m_nTextCapacity
  std::uint32_t readEnd = 0;   // m_nReadEnd
};

// What one rebuild is asked to do.
struct RenderRequest {
  int cmd = kCmdRuled;       // 'D', 'T', 'd' or 'N'
  // Font height in tenths of a point (105 = 10.5 pt); the base font size is
  // row / 5 half-points when positive, else 21.
  int row = 0;
  int cellOnly = 0;
  // CSV rows to render (0-based, inclusive); 0 and 0 = the whole table.
  // The ruled display passes its page window here.
  int firstLine = 0;
  int lastLine = 0;
  int editMode = 0;           // the view's m_nEditMode (3 = ruled display)
  std::uint32_t startRow = 0; // first row of the ruled-mode scan (set-up step 8)
  std::uint32_t outdata = 0;  // the document's m_nOutdata (ruled-mode output bound)
  // The view's colour markers: column (0 = none), up to 10 marker bytes and
  // their colour letters (NUL-terminated, may be null).
  int colourBarColumn = 0;
  const char* colourBarChars = nullptr;
  const char* colourBarCodes = nullptr;
  std::uint32_t userColour = 0;  // colour entry 26 as 0x00BBGGRR (m_clrLastText)
  // The view's paragraph-to-row map and column edge table; filled while
  // there is room. Either may be null.
  std::uint32_t* paraRowMap = nullptr;
  std::uint32_t paraRowMapSize = 0;
  std::int32_t* columnEdges = nullptr;
  std::uint32_t columnEdgeSize = 0;   // entries of columnEdges (give kColumnEdgeCount)
  // The opening of a block: 1 = with the tab-stop list and an empty first
  // paragraph (and the title mark paragraph), 0 = the switches only, -1 =
  // by the arguments (the empty paragraph when row and firstLine are 0).
  int openingForm = -1;
  // Picture cells ("[Im" and one or two digits) become embedded bitmap
  // objects (table_bitmap.h) when `pictureFolder` is set: the folder of the
  // view's file with its trailing "\". Pictures that are no BMP files go
  // through `pictureConverter` first.
  std::string pictureFolder;
  PictureConverter* pictureConverter = nullptr;
};

// Failure places; the view shows string 152 followed by the place (" 038").
enum RenderFailure {
  kRenderOk = 0,
  kFailOutputBuffer = 38,   // "%s %d TAct1" with string 152 and the size, then " 038"
  kFailWriteBack = 41,      // string 152 + " 041"
  kFailWorkBuffer = 152,    // string 152 alone
};

struct RenderResult {
  int code = 0;              // 1 when stopped on the column limit or a failed buffer, else 0
  int failure = kRenderOk;   // RenderFailure
  std::uint64_t requestedSize = 0;  // output size asked for (for the 038 text)
  std::string status;        // status pane 0 text; empty = leave the pane as it is
  std::uint32_t written = 0; // bytes of rich text (out.len after the rebuild)
  std::uint32_t paragraphs = 0;  // paragraphs written (map entries wanted)
  std::int32_t maxColumns = 0;   // largest block column count (m_nMaxColumns)
  std::int32_t lastRowIncrement = 0;  // mark paragraphs added to m_nLastRow
  bool cut = false;          // ruled mode stopped at the output bound
  std::int32_t cutAfterRow = -1;  // last source row written when cut
  int fontSize = 21;         // base font size F (half-points) of the last block
  // The ruled-display scan from startRow: first table row, title row and
  // first data row (0-based; -1 when not found or not in the ruled display).
  std::int64_t firstTableRow = -1;
  std::int64_t titleRow = -1;
  std::int64_t firstDataRow = -1;
};

// Runs the rebuild set-up and the rendering. Changes `table` as the engine
// does: CR LF appended to a text without a final line end (the buffer grows
// first), m_nFieldCount + 1 for 'd', m_nLastRow raised per mark paragraph
// outside the ruled display. On success out.text holds the NUL-terminated
// rich text, out.len its length, out.capacity and out.readEnd the capacity.
// On the column limit nothing changes and result.status says so. When the
// output buffer is not obtained, capacity and readEnd become 0, out.text
// stays a valid block and result.failure is kFailOutputBuffer.
RenderResult RebuildTable(csv::Table& table, OutputText& out, const RenderRequest& req);

// Write-back set-up: out.text grows to out.len + 10000 bytes, capacity and
// readEnd store the size. False (buffer unchanged) when memory is short: the
// view shows string 152 + " 041".
bool PrepareWriteBack(OutputText& out);

// The message box text of a failed rebuild: `memoryText` is string 152.
std::string FailureText(const char* memoryText, const RenderResult& r);

}  // namespace table
