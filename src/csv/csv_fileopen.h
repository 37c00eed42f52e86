// The open of a CSV file shown as a table, in one pass where it can be.
//
// The careful open decodes the file into the document's text, and the view
// then copies that text into the table's working form and indexes it: two
// fresh buffers of the file's size beside the mapped file. For a file that
// reads as clean Shift-JIS without a 0x06 byte, the decoded text is the
// file's bytes and the working form differs from it only in its commas
// outside quotes (0x06 there), so:
//
//   1. while the file is mapped, LoadTableInOnePass makes the working form
//      straight from the mapped bytes into the table's one buffer
//      (csv_loadscan.h), and the index one piece behind it on another
//      thread;
//   2. after the file is unmapped, FinishOnePassOpen gives the document its
//      text back from the working form (each 0x06 a comma again).
//
// At most two buffers of the file's size live at any time, and the results
// are byte for byte those of the careful open: the same text, encoding,
// working form, index and saved bytes (nothing is kept for a save: the
// encode of clean Shift-JIS gives the file back).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/docopen/textload.h"
#include "core/textcodec/textcodec.h"
#include "csv/csv_table.h"

namespace csv {

// Spare bytes after the text of a shown table (room for edits in place).
constexpr std::uint32_t kShownTableMargin = 100000;

// Off: LoadTableInOnePass always declines, so every open takes the careful
// path (tests and the benchmark compare both).
void SetOnePassOpen(bool on);
bool OnePassOpenOn();

// Step 1: `bytes` (the whole file) read with `hint` (kAuto: detected as the
// careful open detects). True when the file reads as Shift-JIS and the one
// pass took it: `table` then holds its working form (with `margin` spare
// bytes) and index. False with `table` unchanged otherwise; the caller then
// opens the file the careful way.
// On a file cut into pieces `progress` is called after pieces; when it asks
// to stop, the result is false with *stopped set (the caller then keeps what
// it had, as for a stopped careful load).
bool LoadTableInOnePass(const std::uint8_t* bytes, std::size_t n, textcodec::TextEncoding hint,
                        std::uint32_t margin, Table* table, int threads = 0,
                        const docopen::LoadProgress* progress = nullptr, bool* stopped = nullptr);

// Step 2: the document's text as docopen::LoadTextToSjis gives it for the
// file (with `margin` spare bytes after its NUL). False when memory is short
// for the text (out->outOfMemory set; the table is kept all the same).
bool FinishOnePassOpen(Table* table, std::uint32_t margin, docopen::TextLoad* out, int threads = 0);

// The document's text alone from a working form the one pass made.
bool TextLoadFromTable(const Table& table, std::uint32_t margin, docopen::TextLoad* out, int threads = 1);

// Tables a view took from an OpenedTable since the program started (tests
// check that an open went the one-pass way).
std::uint32_t OpenedTablesTaken();

// A table the open made for the document's text, waiting for the first view
// that shows that text as a table: that view takes it instead of building
// its own from the text. It goes only to the very text it was made for (the
// same buffer and length) with the same margin; the document drops what no
// view took once the open has updated its views.
class OpenedTable {
 public:
  // Takes `table`'s content (table is left empty), made for text[0..len).
  void Offer(Table& table, const char* text, std::size_t len, std::uint32_t margin);
  // True when the offered table belongs to text[0..len) with `margin`: *into
  // then holds it and nothing is left here.
  bool TakeFor(const char* text, std::size_t len, std::uint32_t margin, Table* into);
  // Frees a table no view took.
  void Drop();
  bool Waiting() const { return table_.m_pTextBuf != nullptr; }

 private:
  Table table_;
  const char* text_ = nullptr;
  std::size_t len_ = 0;
  std::uint32_t margin_ = 0;
};

}  // namespace csv
