// The PDF structure dump over a file in memory, through the converter table:
// byte 0 picks the compact form, the text form and a small "outdata"; the
// rest follows a "%PDF-" head (so no other reader's sniff takes the file).
// Checks that the text starts "%P", holds no NUL byte and ends within
// "outdata".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "convert/convert_registry.h"
#include "convert/source_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string bytes = "%PDF-" + std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  convert::Request q;
  q.path = "f.pdf";
  q.kind = 11;
  q.openContext = 2;
  // The PDF rows' own read limit (what the default 204,800 becomes), given
  // directly: at the default the rows would also set 19,000 table rows, and
  // the frame's table buffers (about 10 MB, which the structure dump never
  // reads) would be made and freed on every run. 211 rows still take the
  // frame's step that clears an entry 210 rows from the end. The large
  // "outdata" stays: a Flate stream of a 4 KB input inflates to megabytes.
  q.limits.indata = 512000;
  q.limits.outdata = (data[0] & 4) ? 2000 + 300 + (data[0] >> 3) * 97 : 2000000;
  q.limits.tableRows = 211;
  q.m_bSizeHigh = data[0] & 1;
  q.m_nDocEditMode = (data[0] & 2) ? 1 : 0;
  q.open = [bytes](const CString&) {
    return std::unique_ptr<convert::SourceFile>(new convert::OwnedMemorySource(bytes));
  };
  const convert::Result r = convert::ConvertFile(q);
  if (r.status != convert::Status::kOk) return 0;
  if (r.text.compare(0, 2, "%P") != 0) std::abort();
  if (std::memchr(r.text.data(), 0, r.text.size())) std::abort();
  if (r.text.size() > static_cast<std::size_t>(q.limits.outdata) + 400) std::abort();
  return 0;
}
