// A second CSV text brought into the table (the joins, the column append,
// the vertical concatenation): its bytes come from a source the caller
// passes (a file, a named shared-memory block, bytes in memory) and are put
// into the working form exactly as the table's own load does
// (CommasToFieldSeparators, csv_fileform.h): commas outside quotes become
// 0x06, quotes stay, a line break inside a quoted field becomes its in-cell
// code (csv_cellbreaks.h), a stray quote ends at the row end. Every record
// is then one row, so a multi-line cell arrives whole.
//
// The buffer comes from fw::Alloc (a refused allocation is a clear result,
// never an exception) and holds a NUL after the text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv/csv_cellbreaks.h"
#include "fw/file.h"

namespace csv {

// Where the bytes come from.
class OtherSource {
 public:
  virtual ~OtherSource() = default;
  // Bytes the source holds; negative when it cannot be read.
  virtual std::int64_t Size() = 0;
  // Copies up to `n` bytes from `offset` into `dst`: the bytes copied
  // (fewer only at the end), negative on failure. Never more than `n`.
  virtual std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) = 0;
};

// Bytes in memory (tests, a block the caller already holds).
class MemorySource final : public OtherSource {
 public:
  MemorySource(const void* bytes, std::size_t n) : m_bytes(static_cast<const std::uint8_t*>(bytes)), m_len(n) {}
  std::int64_t Size() override { return static_cast<std::int64_t>(m_len); }
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override;

 private:
  const std::uint8_t* m_bytes;
  std::size_t m_len;
};

// A file opened for reading.
class FileSource final : public OtherSource {
 public:
  // False when the file cannot be opened.
  bool Open(const char* path);
  std::int64_t Size() override;
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override;

 private:
  CFile m_file;
};

// The first record of working-form text: `end` is where its line end begins
// (or the text's end), `next` the byte after that line end (CR LF, a lone CR
// or a lone LF), however long the record is.
struct RecordEnd {
  std::size_t end = 0;
  std::size_t next = 0;
};
RecordEnd FirstRecordEnd(const std::uint8_t* text, std::size_t len);

enum class OtherRead {
  kOk,
  kUnreadable,  // the source gave no size or a read failed
  kNoMemory,    // the buffer could not be had
  kTooLarge,    // more than a table's 32-bit length
};

// The second text in the working form.
class OtherText {
 public:
  // Largest text held (the table's 32-bit length with room to spare).
  static constexpr std::uint64_t kMaxBytes = 0xFFFFFFFFull - 0x10000;

  OtherText() = default;
  ~OtherText();
  OtherText(const OtherText&) = delete;
  OtherText& operator=(const OtherText&) = delete;

  // Reads the source from byte `offset` to its end and converts it. On any
  // result but kOk the object is left empty.
  OtherRead Read(OtherSource& source, std::uint64_t offset = 0);
  // The same for bytes in memory.
  OtherRead Load(const void* bytes, std::size_t n);

  const std::uint8_t* Data() const { return m_buf; }  // NUL-terminated; null when empty
  std::uint32_t Length() const { return m_len; }
  // The first record (the other file's title row) and where the data begins.
  RecordEnd Title() const { return FirstRecordEnd(m_buf, m_len); }
  // What the conversion did with quoted line breaks.
  const CellBreakLoad& Breaks() const { return m_breaks; }

  void Clear();

 private:
  std::uint8_t* m_buf = nullptr;
  std::uint32_t m_len = 0;
  CellBreakLoad m_breaks;
};

}  // namespace csv
