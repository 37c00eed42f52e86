// The whole PDF reader over a file in memory, through the converter table
// (object streams and Flate through the archive codec's inflate). Checks
// that a text always comes back and stays within "outdata".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "convert/convert_registry.h"
#include "convert/source_file.h"

namespace {

using OwnedSource = convert::OwnedMemorySource;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  convert::Request q;
  q.path = "f.pdf";
  q.kind = 11;
  // The PDF rows' own read limit, given directly: at the default 204,800
  // the rows would set 19,000 table rows, and byte 0's row choice below
  // would never take effect.
  q.limits.indata = 512000;
  q.limits.outdata = (data[0] & 1) ? 6000 : 2000000;
  q.limits.tableRows = (data[0] & 2) ? 700 : 5000;
  q.m_nPdfWidthAdjust = 1 + (data[0] >> 2) % 5;
  q.m_nDocEditMode = (data[0] & 0x80) ? 2 : 0;
  q.open = [bytes](const CString&) { return std::unique_ptr<convert::SourceFile>(new OwnedSource(bytes)); };
  const convert::Result r = convert::ConvertFile(q);
  if (r.status == convert::Status::kOk && r.text.size() > static_cast<std::size_t>(q.limits.outdata) + 4000)
    std::abort();
  return 0;
}
