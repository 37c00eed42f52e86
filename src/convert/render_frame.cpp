#include "convert/render_frame.h"

#include <cstring>

#include "convert/convert_registry.h"
#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace convert {
namespace {

using docopen::GetOpenText;
using docopen::OpenText;

constexpr int kPathMax = 512;                  // longer paths give an empty text
constexpr std::size_t kHeadBytes = 2000;       // first read of most files
constexpr std::size_t kHeadBytesAudio = 8000;  // first read of MP3 and WMA (their tags)
constexpr std::size_t kHeadSlack = 5;          // spare bytes of the head buffer
constexpr std::int64_t kRereadExtra = 900000;  // the second read asks for this much more
constexpr std::int64_t kQuickWorkbook = 1000000;
constexpr std::int64_t kQuickOther = 200000;
constexpr std::int64_t kGateMinSize = 2000;    // smaller files skip the sniff gate
constexpr std::size_t kBinaryTestMin = 1999;   // bytes the binary test needs
constexpr std::size_t kBinaryTestSpan = 1000;  // NULs are counted in these bytes...
constexpr int kBinaryNuls = 5;                 // ...and this many make a binary file
constexpr std::int64_t kBinaryKeep = 2000;     // what a binary file keeps of its head
constexpr std::int64_t kHugeLimit = 100000000;
constexpr std::size_t kCommentBound = 500;     // comments before the head end by here
constexpr std::int64_t kPlainSlack = 3000;     // the plain copy may pass "outdata" by this
constexpr std::int64_t kShortCopy = 2000;
constexpr std::int64_t kRawPage = 65536;
constexpr std::int64_t kRawSlack = 2000;
constexpr std::int32_t kLineWidthMax = 510;
constexpr std::int32_t kPdfLineWidth = 512;
constexpr int kPerRowArrays = 6;               // one of bytes, five of 32-bit integers

const std::uint8_t kCompoundHead[3] = {0xD0, 0xCF, 0x11};

bool StartsWith(const std::uint8_t* h, std::size_t n, const void* bytes, std::size_t count) {
  return n >= count && std::memcmp(h, bytes, count) == 0;
}

bool IsPlainCopyKind(int kind) { return kind == 5 || (kind >= 7 && kind <= 10) || kind > 90; }

// The table readers' buffers (row and column buffers, per-row arrays). No
// reader of this build uses them; the frame makes them so that a reader that
// does finds them, and so that a shortage is reported where it happens.
struct TableBuffers {
  void* rows = nullptr;
  void* columns = nullptr;
  void* perRow[kPerRowArrays] = {};
  ~TableBuffers() {
    fw::Free(rows);
    fw::Free(columns);
    for (void* p : perRow) fw::Free(p);
  }
};

std::int64_t End(RenderJob& job) {
  if (job.m_nFileKind == 33 && job.m_nConvSize < static_cast<std::int64_t>(job.out.Size()))
    job.m_nConvSize = static_cast<std::int32_t>(job.out.Size() > 0x7FFFFFFF ? 0x7FFFFFFF : job.out.Size());
  EndRender(job);
  return static_cast<std::int64_t>(job.out.Size());
}

// String 152 and the code: what the run had written stays before it.
std::int64_t NoMemory(RenderJob& job, int code) {
  CString text = GetOpenText(OpenText::kRenderMemory);
  CString number;
  number.Format(" %03d", code);
  text += number;
  job.out.Append(static_cast<const char*>(text));
  job.status = RenderStatus::kNoMemory;
  job.failCode = code;
  job.message = text;
  return End(job);
}

// Steps 20-22.
bool MakeTableBuffers(RenderJob& job, TableBuffers& t) {
  const int fk = job.m_nFileKind;
  const bool narrow = fk == 9 || fk == 99 || fk == 98 || fk == 34;
  const std::size_t rowsTbl = job.tblMax > 0 ? static_cast<std::size_t>(job.tblMax) : 0;
  const std::size_t width = static_cast<std::size_t>(fk == 11 ? kPdfLineWidth : job.nChar);
  t.rows = fw::AllocArray(width + 10, (narrow ? 1 : rowsTbl) + 290);
  if (!t.rows) {
    NoMemory(job, 3);
    return false;
  }
  const std::size_t columnBytes = narrow ? 10 : static_cast<std::size_t>(job.rtbl > 0 ? job.rtbl : 0);
  t.columns = fw::AllocArray(static_cast<std::size_t>(job.nChar) + 6, columnBytes);
  if (!t.columns) {
    NoMemory(job, 4);
    return false;
  }
  const std::size_t entries = rowsTbl > 0 ? rowsTbl : 1;
  for (int i = 0; i < kPerRowArrays; ++i) {
    t.perRow[i] = fw::AllocArray(entries, i == 0 ? 1 : 4);
    if (!t.perRow[i]) {
      NoMemory(job, 5);
      return false;
    }
  }
  // Entry 0 and entry n_tbl - 210 of four integer arrays start at 0 (where
  // the arrays hold them).
  for (int i = 1; i <= 4; ++i) {
    auto* a = static_cast<std::int32_t*>(t.perRow[i]);
    a[0] = 0;
    if (rowsTbl >= 211) a[rowsTbl - 210] = 0;
  }
  return true;
}

// Step 18: the head's bytes as they are.
void PlainCopy(RenderJob& job, const std::uint8_t* h, std::int64_t fileLength) {
  const int fk = job.m_nFileKind;
  std::int64_t count = job.readSize;
  if (job.layoutMode == 2 || job.layoutMode == 12 || job.switches.shortView == 1 ||
      (fk >= 12 && fk <= 28 && job.openContext == 0))
    count = kShortCopy;
  if (count > job.readSize) count = job.readSize;
  const std::int64_t room = static_cast<std::int64_t>(job.outdata) + kPlainSlack - static_cast<std::int64_t>(job.out.Size());
  if (count > room) count = room > 0 ? room : 0;
  job.out.Append(h, static_cast<std::size_t>(count));
  // A DOS end-of-file mark two bytes before the end goes.
  const std::size_t n = job.out.Size();
  if (n >= 2 && job.out.m_pLoadBuf[n - 2] == 0x1A) job.out.m_pLoadBuf[n - 2] = '\0';
  // A binary file shows its first 2000 bytes and says that more follows.
  if (job.binary && count == kBinaryKeep && fileLength > count)
    job.out.Append(static_cast<const char*>(GetOpenText(OpenText::kDataOmitted)));
}

// The finish of the readers.
void FinishReaders(RenderJob& job) {
  LoadBuffer& out = job.out;
  const int kind = job.m_nKind;
  if (job.inputCut && job.switches.quickLoad == 0) {
    out.Append(static_cast<const char*>(GetOpenText(OpenText::kDataOmitted)));
    out.Append(static_cast<const char*>(docopen::FileOverText(job.indata)));
  }
  if (job.m_nFileKind != 9 && job.m_nFileKind < 91) {
    const std::int64_t bound = static_cast<std::int64_t>(job.outdata) - 4;
    out.Truncate(static_cast<std::size_t>(bound > 0 ? bound : 0));
  }
  if (kind < 4 || kind == 5 || kind == 6) out.Append("\r\n");
  // The text always ends in a NUL (the buffer keeps one after it).
  if (out.Size() == 1 || out.Size() == 2) out.Truncate(out.Size() - 1);
}

}  // namespace

CString LastThree(const CString& path) { return path.GetLength() >= 3 ? path.Right(3) : path; }

void EndRender(RenderJob& job) {
  fw::Free(job.m_pConvData);
  job.m_pConvData = nullptr;
  job.m_file.reset();
}

std::int64_t RenderFileAsText(RenderJob& job) {
  LoadBuffer& out = job.out;
  // Step 1-3: a fresh run.
  out.Clear();
  job.status = RenderStatus::kText;
  job.failCode = 0;
  job.message.Empty();
  job.inputCut = job.binary = false;
  job.m_bFileCut = 0;
  job.m_nConvPos = 0;
  job.m_nConvSize = 0;
  job.readSize = 0;
  if (job.nChar > kLineWidthMax) job.nChar = kLineWidthMax;
  if (job.nChar < 0) job.nChar = 0;
  std::int64_t limit = job.indata;
  int kind = job.kind;
  job.m_nFileKind = job.kind;
  job.m_nKind = kind;
  const CString three = LastThree(job.path);
  if (job.forceMarkup == 1 || three == "m3u") kind = 6;
  CString ext = three;
  ext.MakeLower();

  // Step 4.
  if (job.path.GetLength() > kPathMax) return End(job);

  // Step 6: the Office Open XML documents are read from their packages.
  if ((kind == 37 || kind == 38) && job.openContext != 2) {
    Detect d;
    d.kind = kind;
    d.openContext = job.openContext;
    d.extension = ext;
    job.m_nKind = kind;
    RunReader(*ConverterAt(Stage::kDispatch, d), job);
    job.m_nConvSize = static_cast<std::int32_t>(out.Size() > 0x7FFFFFFF ? 0x7FFFFFFF : out.Size());
    return End(job);
  }

  // Step 7.
  job.m_file = job.open ? job.open(job.path) : OpenSourceFile(job.path);
  if (!job.m_file) {
    job.status = RenderStatus::kCannotOpen;
    const bool folder = job.path.GetLength() > 0 && job.path[job.path.GetLength() - 1] == '\\';
    if (!folder) {
      out.Append(static_cast<const char*>(GetOpenText(OpenText::kCannotOpen)));
      job.message = GetOpenText(OpenText::kCannotOpen) + "\nfile = " + job.path;
    }
    return End(job);
  }
  SourceFile& file = *job.m_file;

  // Step 8: a PDF over the read limit is not read at all.
  const std::int64_t fileLength = file.Length() > 0 ? file.Length() : 0;
  job.m_nConvSize = static_cast<std::int32_t>(fileLength > 0x7FFFFFFF ? 0x7FFFFFFF : fileLength);
  if (fileLength > static_cast<std::int64_t>(job.indata) - 200 && job.m_nFileKind == 11) {
    job.message = docopen::FileOverText(job.indata);
    out.Append(static_cast<const char*>(job.message));
    job.status = RenderStatus::kFileOver;
    return End(job);
  }

  // Step 9: the read limit.
  if (job.switches.quickLoad == 1)
    limit = job.m_nFileKind == 3 || job.m_nFileKind == 35 ? kQuickWorkbook : kQuickOther;
  if (limit < 0) limit = 0;

  // Steps 10-11: the head.
  const std::size_t first = kind == 56 ? kHeadBytesAudio : kHeadBytes;
  job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(first + kHeadSlack));
  if (!job.m_pConvData) return NoMemory(job, 1);
  job.headCapacity = first + kHeadSlack;
  std::size_t held = file.ReadAt(0, job.m_pConvData, first);

  // Step 12: the sniff gate; step 13: the binary test.
  bool binaryTest = false;
  {
    const std::uint8_t* h = job.m_pConvData;
    const bool gate = (kind == 2 || kind == 3 || kind == 7 || kind == 8 || (kind >= 11 && kind != 51)) &&
                      job.openContext == 0 && fileLength >= kGateMinSize;
    if (gate && !StartsWith(h, held, kCompoundHead, 3) && !StartsWith(h, held, "%PDF-", 5) &&
        !StartsWith(h, held, "PK\x03\x04", 4)) {
      const bool wordHead = StartsWith(h, held, "\x94\xA6", 2) || StartsWith(h, held, "\xFE\x37", 2);
      const bool biffHead = held >= 3 && h[0] == 0x09 && h[2] == 0x06;
      if (kind == 2 && wordHead) {
      } else if (kind == 3 && biffHead) {
      } else if (kind == 2 || kind == 3) {
        kind = 9;  // a Word or Excel name over plain text
      }
      binaryTest = !(kind == 11 || kind == 33 || kind <= 3);
    }
  }
  bool reread = job.openContext != 1;
  if (binaryTest && held >= kBinaryTestMin) {
    int nuls = 0;
    for (std::size_t i = 0; i < kBinaryTestSpan && i < held; ++i) nuls += job.m_pConvData[i] == 0;
    if (nuls >= kBinaryNuls && job.switches.binaryView == 0) {
      job.binary = true;
      limit = kBinaryKeep;
      reread = false;
    } else if (limit > job.outdata && limit > kHugeLimit) {
      limit = job.outdata;
    }
  }
  std::int64_t readSize = limit < fileLength ? limit : fileLength;

  // Step 14: the whole read size (and more, when the file has it) in one read.
  bool compoundKept = false;
  if (reread) {
    const std::int64_t want = readSize + kRereadExtra;
    if (want < fileLength || job.outdata < fileLength) job.m_bFileCut = 1;
    // The buffer holds what the read can give: never more than the file.
    std::int64_t size = want < fileLength ? want : fileLength;
    if (size < static_cast<std::int64_t>(held)) size = static_cast<std::int64_t>(held);
    void* grown = fw::Realloc(job.m_pConvData, static_cast<std::size_t>(size) + kHeadSlack);
    if (!grown) return NoMemory(job, 2);
    job.m_pConvData = static_cast<std::uint8_t*>(grown);
    job.headCapacity = static_cast<std::size_t>(size) + kHeadSlack;
    compoundKept = StartsWith(job.m_pConvData, held, kCompoundHead, 3) && kind >= 1 && kind <= 3;
    if (!compoundKept) {
      held = file.ReadAt(0, job.m_pConvData, static_cast<std::size_t>(size));
    } else if (static_cast<std::size_t>(size) > held) {
      // The compound reader reads its sectors itself; the rest of the buffer
      // holds no stale bytes meanwhile.
      std::memset(job.m_pConvData + held, 0, static_cast<std::size_t>(size) - held);
    }
  }
  // The readers never look past the bytes the buffer holds (a compound
  // document not read again keeps the read size: its reader copies up to it).
  if (!compoundKept && readSize > static_cast<std::int64_t>(held)) readSize = static_cast<std::int64_t>(held);
  job.readSize = static_cast<std::int32_t>(readSize);
  const std::uint8_t* h = job.m_pConvData;
  const std::size_t n = static_cast<std::size_t>(readSize);

  // Steps 15-17: the content sniff.
  std::size_t pos = 0;
  auto skipLineEnds = [&] {
    while (pos < n && (h[pos] == '\r' || h[pos] == '\n')) ++pos;
  };
  skipLineEnds();
  while (pos + 1 < n && h[pos] == '<' && h[pos + 1] == '!') {
    bool found = false;
    for (std::size_t k = pos + 2; k + 1 < n && k + 1 < kCommentBound; ++k) {
      if ((h[k] == '-' && h[k + 1] == '>') || (h[k] == '"' && h[k + 1] == '-')) {
        pos = k + 2;
        found = true;
        break;
      }
    }
    if (!found) {
      pos = 0;
      break;
    }
    skipLineEnds();
  }
  auto at = [&](const char* bytes) {
    const std::size_t len = std::strlen(bytes);
    return pos <= n && n - pos >= len && std::memcmp(h + pos, bytes, len) == 0;
  };
  if (at("{\\rtf")) {
    if (kind == 99) job.m_nFileKind = 4;
    if (job.openContext > 0 || job.switches.rtfAsSource == 0) kind = 4;
  }
  if (job.openContext != 1) {
    bool toSetUp = false;
    if (at("%PDF-")) {
      if (job.m_nFileKind != 99) kind = job.m_nFileKind = 11;
      toSetUp = true;
    } else if ((at("<html") || at("<HTML")) && kind != 9) {
      kind = job.m_nFileKind = 6;
      if (job.switches.markup == 1) job.readerMode = 1;
      toSetUp = true;
    }
    if (!toSetUp) {
      Detect d;
      d.kind = kind;
      d.openContext = job.openContext;
      d.head = h + pos;
      d.length = n - pos;
      d.extension = ext;
      if (const Converter* row = ConverterAt(Stage::kSniff, d)) {
        // A listing or a title is the whole text.
        out.Clear();
        job.m_nKind = kind;
        job.m_nConvPos = static_cast<std::int32_t>(pos);
        RunReader(*row, job);
        return End(job);
      }
      if (IsPlainCopyKind(kind)) PlainCopy(job, h, fileLength);
    }
  }

  // Steps 20-22.
  TableBuffers tables;
  if (!MakeTableBuffers(job, tables)) return static_cast<std::int64_t>(out.Size());

  // The raw view: the head as it is, or nothing when the caller pages itself.
  if (job.openContext == 1 ||
      (job.openContext >= 2 && !(kind <= 4 || kind == 6 || kind == 11 || kind == 32 || kind == 42))) {
    if (job.m_nRawPage < 0) job.m_nRawPage = static_cast<std::int32_t>(fileLength / kRawPage);
    std::int64_t from = static_cast<std::int64_t>(job.m_nRawPage) * kRawPage;
    if (from > 0 && from >= fileLength) {
      job.m_nRawPage = 0;
      from = 0;
    }
    job.m_nConvPos = static_cast<std::int32_t>(from);
    if (job.openContext != 1) {
      out.Clear();
      const std::int64_t larger = job.outdata > job.indata ? job.outdata : job.indata;
      std::int64_t count = larger - kRawSlack;
      if (count > readSize) count = readSize;
      if (count > 0) out.Append(h, static_cast<std::size_t>(count));
    }
    job.m_nKind = kind;
    return End(job);
  }

  // The readers see the read size as the file's length.
  if (fileLength > readSize) {
    job.m_nConvSize = static_cast<std::int32_t>(readSize);
    job.inputCut = true;
  }
  if (kind < 5 || kind == 6) out.Clear();
  if (kind == 2 || kind == 3) {
    const bool known = StartsWith(h, n, kCompoundHead, 3) || StartsWith(h, n, "\x94\xA6\x2E", 3) ||
                       (kind == 2 && StartsWith(h, n, "\xFE\x37\x00", 3)) ||
                       (kind == 3 && (StartsWith(h, n, "\x09\x04\x06", 3) || StartsWith(h, n, "\x09\x02\x06", 3)));
    if (!known) kind = 92;  // no reader takes it: an empty text
  }

  // The dispatch.
  Detect d;
  d.kind = kind;
  d.openContext = job.openContext;
  d.head = h;
  d.length = n;
  d.extension = ext;
  const Converter& row = *ConverterAt(Stage::kDispatch, d);
  job.m_nKind = kind;
  job.m_nConvPos = 0;
  RunReader(row, job);
  if (job.status == RenderStatus::kText && row.finish) {
    FinishReaders(job);
    // The picture extraction at the end of the Office readers.
    if (job.m_nFileKind < 4) ExtractOfficePicture(job);
  }
  return End(job);
}

}  // namespace convert
