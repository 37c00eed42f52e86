// The markup engine over any bytes, as HTML or XML. The first four bytes
// choose the words: byte 0 bit 0 XML, bit 1 the source view, bits 2-3 the
// separator mode, bit 4 keeplay, bit 5 linklst, bit 6 asciisy, bit 7
// nocconv; byte 1 txtsiz (low 3 bits), txtonly and txtonln (bits 3, 4), and
// a small "outdata" (bits 5-7, 0: none); bytes 2-3 "n_tbl" (10-4105). The
// rest is the page, in a buffer of exactly its size. Checks:
//  - the result's size is the text's, and the same on a second run;
//  - the text stays within "outdata" plus the cut notice;
//  - a cut run ends with the notice, and at most 640 links are listed;
//  - no NUL byte appears that the page did not hold.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/markup_engine.h"
#include "core/docopen/opentexts.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint8_t b0 = data[0], b1 = data[1];
  convert::MarkupWords w;
  const bool xml = b0 & 1;
  w.openContext = (b0 & 2) ? 2 : 0;
  w.mode = (b0 >> 2) & 3;
  w.m_bKeepLayout = (b0 >> 4) & 1;
  w.m_bLinkList = (b0 >> 5) & 1;
  w.m_bAsciiSymbols = (b0 >> 6) & 1;
  w.m_bNoCharConv = (b0 >> 7) & 1;
  w.m_nTxtsiz = b1 & 7;
  w.m_nTextOnly = (b1 >> 3) & 1;
  w.m_nTextOnlyLines = (b1 >> 4) & 1;
  const int outSel = b1 >> 5;
  w.outdata = outSel ? 64 << outSel : 0;
  w.tblMax = 10 + ((data[2] << 8 | data[3]) & 0x0FFF);
  std::vector<std::uint8_t> page(data + 4, data + size);
  const std::uint8_t* p = page.empty() ? nullptr : page.data();

  auto run = [&](convert::LoadBuffer& out) {
    return xml ? convert::RenderXmlAsText(p, page.size(), w, out) : convert::RenderHtmlAsText(p, page.size(), w, out);
  };
  convert::LoadBuffer out;
  const convert::MarkupResult r = run(out);
  if (r.size != static_cast<std::int64_t>(out.Size())) Fail();
  const std::string notice = static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDataOmitted));
  if (w.outdata > 0 && out.Size() > static_cast<std::size_t>(w.outdata) + notice.size()) Fail();
  if (r.links > 640) Fail();
  const std::string text(out.Data(), out.Size());
  if (r.cut && (text.size() < notice.size() || text.compare(text.size() - notice.size(), notice.size(), notice) != 0))
    Fail();
  if ((page.empty() || std::memchr(page.data(), 0, page.size()) == nullptr) && text.find('\0') != std::string::npos) Fail();
  convert::LoadBuffer again;
  run(again);
  if (again.Size() != out.Size() || std::memcmp(again.Data(), out.Data(), out.Size()) != 0) Fail();
  return 0;
}
