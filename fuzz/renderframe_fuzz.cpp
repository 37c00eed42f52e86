// The renderer frame over a file in memory with any kind, extension, open
// context, small "indata"/"outdata" and switches: the result is the text's
// length, the text stays within its buffer with a NUL after it, the head
// buffer is gone at the end, a failure has its status and text, and nothing
// is read past the file (the file is an exact-size block).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "convert/convert_registry.h"
#include "convert/render_frame.h"

namespace {

class Source : public convert::SourceFile {
 public:
  explicit Source(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
  std::int64_t Length() const override { return static_cast<std::int64_t>(m_bytes.size()); }
  std::size_t ReadAt(std::int64_t at, void* buffer, std::size_t count) override {
    if (at < 0 || static_cast<std::uint64_t>(at) >= m_bytes.size()) return 0;
    const std::size_t from = static_cast<std::size_t>(at);
    const std::size_t n = count < m_bytes.size() - from ? count : m_bytes.size() - from;
    std::memcpy(buffer, m_bytes.data() + from, n);
    return n;
  }

 private:
  std::vector<std::uint8_t> m_bytes;
};

const int kKinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 22, 32, 33, 34,
                      35, 36, 37, 38, 51, 52, 53, 54, 55, 56, 98, 99, 0, -1};
const char* const kPaths[] = {"a.zip", "a.lzh", "A.LZH", "a.doc", "a.xls", "a.pdf", "a.jpg", "a.bmp",
                              "a.tif", "a.gif", "a.exe", "a.com", "a.bin", "a.dll", "a.csv", "a.wav",
                              "a.mp3", "a.wma", "a.mid", "a.msg", "a.m3u", "a.htm", "a.xml", "a.txt",
                              "folder\\", "a.+txt", "a.rtz"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  convert::RenderJob job;
  job.kind = kKinds[data[0] % (sizeof kKinds / sizeof kKinds[0])];
  job.path = kPaths[data[1] % (sizeof kPaths / sizeof kPaths[0])];
  job.openContext = data[2] % 4;
  job.m_nRawPage = static_cast<std::int8_t>(data[2]) >> 2;
  job.indata = 1024 + (data[3] & 0x0F) * 700;
  job.outdata = 200 + (data[3] >> 4) * 500;
  job.switches.quickLoad = data[4] & 1;
  job.switches.shortView = data[4] >> 1 & 1;
  job.switches.binaryView = data[4] >> 2 & 1;
  job.switches.rtfAsSource = data[4] >> 3 & 1;
  job.switches.markup = data[4] >> 4 & 1;
  job.forceMarkup = data[4] >> 5 & 1;
  job.layoutMode = data[4] >> 6 == 3 ? 12 : 0;
  job.nChar = 40 + data[5];
  job.tblMax = 10 + data[5] * 3;
  job.rtbl = 1 + data[5];
  std::vector<std::uint8_t> file(data + 6, data + size);
  const std::size_t length = file.size();
  job.open = [file](const CString&) { return std::unique_ptr<convert::SourceFile>(new Source(file)); };

  const std::int64_t result = convert::RenderFileAsText(job);
  const convert::LoadBuffer& out = job.out;
  if (result != static_cast<std::int64_t>(out.Size())) __builtin_trap();
  if (out.Size() > out.Capacity() && out.Capacity() != 0) __builtin_trap();
  if (out.Data()[out.Size()] != '\0') __builtin_trap();
  if (job.m_pConvData || job.File()) __builtin_trap();
  if (job.readSize < 0 || static_cast<std::size_t>(job.readSize) > length) __builtin_trap();
  if (job.m_nConvSize < 0 || static_cast<std::size_t>(job.m_nConvSize) > length + out.Size()) __builtin_trap();
  switch (job.status) {
    case convert::RenderStatus::kNoMemory:
      __builtin_trap();  // nothing here is large enough to run short
    case convert::RenderStatus::kNotBuilt:
      if (job.message.IsEmpty()) __builtin_trap();
      break;
    case convert::RenderStatus::kFileOver:
      if (job.m_nFileKind != 11 || static_cast<std::int64_t>(length) <= job.indata - 200) __builtin_trap();
      break;
    default:
      break;
  }
  // A text past "outdata" by more than the plain copy's slack, its notices
  // and a listing's last line comes only from the raw view, the CSV form or
  // the media information, each bounded by what was read.
  const std::int64_t bound = job.outdata + 3000 + 2000 + 2 * static_cast<std::int64_t>(length) + 400;
  if (static_cast<std::int64_t>(out.Size()) > bound) __builtin_trap();
  // The raw page is where the file is.
  if (job.openContext == 1 && job.m_nConvPos != 0 && static_cast<std::int64_t>(job.m_nConvPos) >= static_cast<std::int64_t>(length))
    __builtin_trap();
  return 0;
}
