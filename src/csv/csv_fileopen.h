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
//      straight from the mapped bytes into the table's one buffer and
//      indexes it (csv_loadscan.h);
//   2. after the file is unmapped, TextLoadFromTable gives the document its
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

// Off: LoadTableInOnePass always declines, so every open takes the careful
// path (tests and the benchmark compare both).
void SetOnePassOpen(bool on);
bool OnePassOpenOn();

// Step 1: `bytes` (the whole file) read with `hint` (kAuto: detected as the
// careful open detects). True when the file reads as Shift-JIS and the one
// pass took it: `table` then holds its working form (with `margin` spare
// bytes) and index. False with `table` unchanged otherwise; the caller then
// opens the file the careful way.
bool LoadTableInOnePass(const std::uint8_t* bytes, std::size_t n, textcodec::TextEncoding hint,
                        std::uint32_t margin, Table* table, int threads = 0);

// Step 2: the document's text of a table made by step 1, as
// docopen::LoadTextToSjis gives it for the file (with `margin` spare bytes
// after its NUL). False when memory is short (out->outOfMemory set).
bool TextLoadFromTable(const Table& table, std::uint32_t margin, docopen::TextLoad* out);

}  // namespace csv
