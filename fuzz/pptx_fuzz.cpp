// The ".pptx" converter over a package held in memory. The first byte
// chooses the table switch and the part memory limit; the rest is split at
// each "\n|\n" into the parts, in this order: the slide master, slide
// layout 1, slides 1, 2 and 3, slide 1's relationships and a media file.
// Checks: the result is the text's length; the canvas is whole lines of 130
// columns and CR LF (none of them overwritten), the page lines of slides
// 1-3 stand in order at line starts, and the closing line of 100 "="
// follows them; anything after it is a loader message or the damage line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/convert_texts.h"
#include "convert/load_buffer.h"
#include "convert/ooxml_part.h"
#include "convert/ooxml_package.h"
#include "convert/pptx_text.h"

using namespace convert;

namespace {

const char* const kParts[] = {
    "ppt/slideMasters/slideMaster1.xml", "ppt/slideLayouts/slideLayout1.xml", "ppt/slides/slide1.xml",
    "ppt/slides/slide2.xml",             "ppt/slides/slide3.xml",             "ppt/slides/_rels/slide1.xml.rels",
    "ppt/media/image1.png",
};

constexpr std::size_t kLine = 132;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  MemoryPackage package;
  std::size_t from = 0;
  int slides = 0;
  for (int i = 0; i < static_cast<int>(sizeof kParts / sizeof kParts[0]); ++i) {
    if (from > input.size()) break;
    std::size_t end = input.find("\n|\n", from);
    if (end == std::string::npos) end = input.size();
    package.Add(kParts[i], input.substr(from, end - from));
    if (i >= 2 && i <= 4) slides = i - 1;
    from = end + 3;
  }
  PptxWords words;
  words.m_bTableLayout = options & 1;
  words.memoryLimit = (options & 2) ? 64 : 1 << 20;
  LoadBuffer out;
  const std::int64_t n = ConvertPptxToText(package, words, out);
  if (n != static_cast<std::int64_t>(out.Size())) std::abort();
  const std::string text(out.Data(), out.Size());
  const std::string closing = std::string(100, '=') + std::string(30, ' ') + "\r\n";
  const std::string damage = "\r\n" + std::string(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedFormat)));
  const std::string cannot(static_cast<const char*>(PartCannotOpenText()));
  const std::string memory(static_cast<const char*>(PartMemoryText(" 01")));
  const auto tailOk = [&](std::size_t at) {
    const std::string rest = text.substr(at);
    return rest.empty() || rest.compare(0, damage.size(), damage) == 0 || rest.compare(0, cannot.size(), cannot) == 0 ||
           rest.compare(0, memory.size(), memory) == 0;
  };
  std::size_t lines = 0;
  int page = 0;
  for (;; ++lines) {
    if ((lines + 1) * kLine > text.size()) std::abort();
    const char* l = text.data() + lines * kLine;
    if (l[130] != '\r' || l[131] != '\n') std::abort();
    if (std::memcmp(l, "=============================================page ", 50) == 0 && page < slides) {
      char want[8];
      std::snprintf(want, sizeof want, "%2d====", page + 1);
      if (std::memcmp(l + 50, want, 6) == 0) ++page;
    }
    if (std::memcmp(l, closing.data(), kLine) == 0 && tailOk((lines + 1) * kLine)) break;
  }
  if (page > slides) std::abort();
  return 0;
}
