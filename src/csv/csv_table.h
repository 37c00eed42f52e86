// The CSV table of a text view: the working buffer (the file text with 0x06
// between fields, csv_fileform.h), its length and capacity, the block index
// and the scan state, in one object that owns the buffer.
//
// The members keep the names the table commands use (m_pTextBuf,
// m_nWorkSize, m_nTextLen, m_aSecRow, m_nLastRow, m_nFieldCount, ...);
// the scanner and the line lookup (csv_index.h) work on them directly.
// Invariants kept by every member function: m_pTextBuf comes from fw::Alloc
// and holds m_nWorkSize bytes; m_nTextLen < m_nWorkSize with a NUL at
// m_nTextLen; the index describes the content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/docopen/textload.h"
#include "csv/csv_buffer.h"
#include "csv/csv_fileform.h"

namespace csv {

class Table : public TableFields {
 public:
  Table() = default;
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Bytes of content that lie inside the buffer (m_nTextLen, or less when a
  // caller left it past the capacity).
  std::uint32_t UsedLength() const;

  // Grows the buffer to at least `bytes` (content kept). False when memory
  // is short or the size does not fit 32 bits; the table is then unchanged.
  bool Reserve(std::uint64_t bytes);

  // Replaces the content with working-form `bytes` (`n` of them), a NUL and
  // `margin` spare bytes after them, and rebuilds the index. False (table
  // unchanged) when memory is short.
  bool Assign(const void* bytes, std::size_t n, std::uint32_t margin);

  // Loads CSV file text (`n` bytes) into the working form and indexes it;
  // *breaks (when given) tells what became of quoted line breaks.
  // False (table unchanged) when memory is short.
  bool LoadFileText(const void* text, std::size_t n, std::uint32_t margin, CellBreakLoad* breaks = nullptr);

  // Loads the bytes of a Shift-JIS CSV file in one pass (csv_loadscan.h:
  // the Shift-JIS check and the working form together, on up to `threads`
  // threads, 0 for the default) and indexes it: the content LoadFileText
  // gives for the decoded text. False with the table unchanged when the pass
  // gives up (not clean Shift-JIS, a 0x06 byte) or memory is short.
  // Without `index` the index is left to a Rescan the caller makes before
  // anything reads the table.
  // `progress` and `stopped` as for SjisToWorkingForm.
  bool LoadSjisFileBytes(const void* bytes, std::size_t n, std::uint32_t margin, int threads = 0,
                         bool index = true, const docopen::LoadProgress* progress = nullptr,
                         bool* stopped = nullptr);

  // The file text of the content: comma form or TAB form (csv_fileform.h).
  // Every row the load made is written back with the bytes it was read from.
  std::string FileText(CommaFormKind kind, CommaFormStats* stats = nullptr) const;

  // Rebuilds the block index over the content (scan only); sets
  // m_nFieldCount and returns m_nLastRow.
  std::int32_t Rescan();

  // Takes over another table's content, index and title line (a pane taking
  // its neighbour's table). False (table unchanged) when memory is short.
  bool CopyFrom(const Table& other);

  // Takes over another table's buffer, content and index; `other` is left
  // empty (no copy is made).
  void TakeContentOf(Table& other);

  // Frees the buffer and empties the table (index cleared).
  void Clear();
};

}  // namespace csv
