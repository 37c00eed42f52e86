// Reading a second CSV text into the working form.
#include "csv/csv_otherfile.h"

#include <cstring>

#include "csv/csv_fileform.h"
#include "fw/alloc.h"

namespace csv {

namespace {

// Bytes asked of the source in one read.
constexpr std::size_t kReadChunk = 1u << 20;

}  // namespace

std::int64_t MemorySource::ReadAt(std::uint64_t offset, void* dst, std::size_t n) {
  if (offset >= m_len) return 0;
  const std::size_t left = m_len - static_cast<std::size_t>(offset);
  const std::size_t take = n < left ? n : left;
  if (take) std::memcpy(dst, m_bytes + offset, take);
  return static_cast<std::int64_t>(take);
}

bool FileSource::Open(const char* path) {
  if (m_file.IsOpen()) m_file.Abort();
  return m_file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary) != FALSE;
}

std::int64_t FileSource::Size() {
  if (!m_file.IsOpen()) return -1;
  try {
    const ULONGLONG len = m_file.GetLength();
    return len > 0x7FFFFFFFFFFFFFFFull ? -1 : static_cast<std::int64_t>(len);
  } catch (const CFileException&) {
    return -1;
  }
}

std::int64_t FileSource::ReadAt(std::uint64_t offset, void* dst, std::size_t n) {
  if (!m_file.IsOpen() || offset > 0x7FFFFFFFFFFFFFFFull) return -1;
  try {
    m_file.Seek(static_cast<LONGLONG>(offset), CFile::begin);
    std::size_t got = 0;
    auto* p = static_cast<std::uint8_t*>(dst);
    while (got < n) {
      const std::size_t want = n - got < kReadChunk ? n - got : kReadChunk;
      const UINT r = m_file.Read(p + got, static_cast<UINT>(want));
      if (r == 0) break;
      got += r;
    }
    return static_cast<std::int64_t>(got);
  } catch (const CFileException&) {
    return -1;
  }
}

RecordEnd FirstRecordEnd(const std::uint8_t* text, std::size_t len) {
  RecordEnd r;
  if (!text) return r;
  std::size_t i = 0;
  while (i < len && text[i] != '\r' && text[i] != '\n') ++i;
  r.end = i;
  if (i < len) {
    i += text[i] == '\r' && i + 1 < len && text[i + 1] == '\n' ? 2 : 1;
  }
  r.next = i;
  return r;
}

OtherText::~OtherText() { Clear(); }

void OtherText::Clear() {
  fw::Free(m_buf);
  m_buf = nullptr;
  m_len = 0;
  m_breaks = CellBreakLoad();
}

OtherRead OtherText::Read(OtherSource& source, std::uint64_t offset) {
  Clear();
  const std::int64_t size = source.Size();
  if (size < 0) return OtherRead::kUnreadable;
  const std::uint64_t total = static_cast<std::uint64_t>(size);
  const std::uint64_t want = offset < total ? total - offset : 0;
  if (want > kMaxBytes) return OtherRead::kTooLarge;
  const std::size_t n = static_cast<std::size_t>(want);
  auto* raw = static_cast<std::uint8_t*>(fw::Alloc(n + 1));
  if (!raw) return OtherRead::kNoMemory;
  // A source that shrank since its size was asked gives fewer bytes; one
  // that grew is read only as far as the buffer goes.
  std::size_t got = 0;
  while (got < n) {
    const std::int64_t r = source.ReadAt(offset + got, raw + got, n - got);
    if (r < 0) {
      fw::Free(raw);
      return OtherRead::kUnreadable;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r) < n - got ? static_cast<std::size_t>(r) : n - got;
  }
  // Quoted breaks are written as codes into a second buffer (the conversion
  // then needs the source apart); every other text converts in place.
  std::uint8_t* dst = raw;
  if (!HasCellBreakBytes(raw, got) && QuoteOpenAtRowEnd(raw, got)) {
    dst = static_cast<std::uint8_t*>(fw::Alloc(got + 1));
    if (!dst) {
      fw::Free(raw);
      return OtherRead::kNoMemory;
    }
  }
  m_breaks = CommasToFieldSeparators(raw, got, dst);
  if (dst != raw) fw::Free(raw);
  dst[got] = 0;
  m_buf = dst;
  m_len = static_cast<std::uint32_t>(got);
  return OtherRead::kOk;
}

OtherRead OtherText::Load(const void* bytes, std::size_t n) {
  MemorySource source(bytes, n);
  return Read(source);
}

}  // namespace csv
