// The ".docx" page layout over a package held in memory. The first byte
// chooses the table-layout switch (bit 0), whether the media folder is
// there (bit 1) and a small memory limit for the parts (bit 2); the rest is
// split at the first "\n|\n" into the document part and its relationships.
// Checks: the result is the text's length (or minus a memory message's);
// the text is whole rows of one width (a page line may hold CR LF inside
// its row), each at most 505 bytes, then at most the damage line; no
// control byte but CR, LF and TAB stands in the rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/docx_text.h"
#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"

using namespace convert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  MemoryPackage package;
  const std::size_t cut = input.find("\n|\n");
  package.Add("word/document.xml", input.substr(0, cut));
  if (cut != std::string::npos) package.Add("word/_rels/document.xml.rels", input.substr(cut + 3));
  if (options & 2) package.Add("word/media/image1.png", "\x89PNG");
  DocxWords words;
  words.tableLayout = (options & 1) != 0;
  words.memoryLimit = (options & 4) ? 64 : 1 << 20;
  LoadBuffer out;
  const std::int64_t n = ConvertDocxPackage(package, words, out);
  const std::string text(out.Data(), out.Size());
  if (n < 0) {
    if (static_cast<std::size_t>(-n) != text.size()) std::abort();
    return 0;
  }
  if (static_cast<std::size_t>(n) != text.size()) std::abort();
  // The rows: the first row's length is the width; every row is that long.
  const std::size_t first = text.find("\r\n");
  if (first == std::string::npos || first > 505 || first < 5) std::abort();
  const std::size_t width = first;
  std::size_t at = 0;
  while (at + width + 2 <= text.size()) {
    if (text.compare(at + width, 2, "\r\n") != 0) break;
    at += width + 2;
  }
  for (std::size_t i = 0; i < at; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < ' ' && c != '\r' && c != '\n' && c != '\t') std::abort();
  }
  // What follows the rows is the damage line ("\r\n" and the message).
  if (at != text.size() && text.find("(word\\document.xml)", at) == std::string::npos) std::abort();
  return 0;
}
