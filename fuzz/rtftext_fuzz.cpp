// The RTF reader over any bytes, in both of its forms (a file of its own and
// the Word reader's hand-over) and in the inspection dump. The first byte
// chooses the words: bit 0 the ruled cells (m_nConvStyle 1), bit 1 the dump's
// line breaks, bit 2 the Word hand-over, bits 3-4 the open context (0, 2, 3,
// 4), bits 5-7 a small "outdata" for the dump (0: none). The rest is the RTF,
// in a buffer of exactly its size. Checks:
//  - the text is the same on a second run, and bounded by the input (no word
//    writes more than 250 blanks, and each takes at least 5 bytes);
//  - a hand-over begins "##word format##\n";
//  - the plain dump (no decoding, no breaks) is the input up to a NUL or
//    0x1A byte, or the "outdata" bound, after its "*\r\n";
//  - the decoding dump never grows the input, the breaking one adds only
//    CR LF pairs;
//  - input with no backslash, brace or byte from 0x81 up is its own text, less
//    its line ends and cut after 1,000 characters.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/rtf_text.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

std::string Run(const std::uint8_t* data, std::size_t size, const convert::RtfWords& w) {
  convert::LoadBuffer out;
  const std::int64_t n = convert::ConvertRtfToText(data, size, out, w);
  if (n != static_cast<std::int64_t>(out.Size())) Fail();
  return std::string(out.Data(), out.Size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  std::vector<std::uint8_t> rtf(data + 1, data + size);
  const std::size_t n = rtf.size();
  const std::uint8_t* p = n ? rtf.data() : nullptr;

  convert::RtfWords w;
  w.m_nConvStyle = flags & 1;
  w.m_nDumpBreaks = (flags >> 1) & 1;
  w.fromWord = (flags >> 2) & 1;
  static const int kContexts[] = {0, 2, 3, 4};
  w.m_nOpenContext = kContexts[(flags >> 3) & 3];
  w.outdata = (flags >> 5) * 37;

  const std::string text = Run(p, n, w);
  if (text != Run(p, n, w)) Fail();

  // The length of the input up to its end mark.
  std::size_t end = 0;
  while (end < n && rtf[end] != 0 && rtf[end] != 0x1A) ++end;

  if (w.m_nOpenContext < 2) {
    const std::string head = w.fromWord ? "##word format##\n" : "";
    if (text.compare(0, head.size(), head) != 0) Fail();
    if (text.size() > head.size() + 60 * n + 16) Fail();
    bool plain = true;
    for (std::size_t i = 0; i < end && plain; ++i)
      plain = rtf[i] != '\\' && rtf[i] != '{' && rtf[i] != '}' && rtf[i] < 0x81;
    if (plain) {
      std::string want;
      for (std::size_t i = 0; i < end; ++i)
        if (rtf[i] != '\r' && rtf[i] != '\n' && want.size() < 1000) want += static_cast<char>(rtf[i]);
      if (text != head + want) Fail();
    }
    return 0;
  }

  const bool star = w.m_nOpenContext == 2 || (!w.fromWord && w.m_nOpenContext != 3);
  const std::string head = star ? "*\r\n" : "";
  if (text.compare(0, head.size(), head) != 0) Fail();
  const std::string body = text.substr(head.size());
  const std::size_t limit = w.outdata == 0 ? SIZE_MAX : w.outdata > 2 ? static_cast<std::size_t>(w.outdata - 2) : 0;
  if (!w.m_nConvStyle && !w.m_nDumpBreaks) {
    std::size_t take = end;
    if (limit != SIZE_MAX) take = head.size() >= limit ? 0 : take < limit - head.size() ? take : limit - head.size();
    if (body != std::string(reinterpret_cast<const char*>(p), take)) Fail();
  } else if (!w.m_nDumpBreaks) {
    if (body.size() > end) Fail();
  } else if (!w.m_nConvStyle) {
    // Taking the CR LF pairs that the input lacks out gives a prefix of it.
    std::string left;
    std::size_t i = 0, k = 0;
    while (k < body.size()) {
      if (body.compare(k, 2, "\r\n") == 0 && (i >= end || rtf[i] != '\r')) {
        k += 2;
        continue;
      }
      left += body[k++];
      ++i;
    }
    if (left.size() > end || std::memcmp(left.data(), p ? p : reinterpret_cast<const std::uint8_t*>(""), left.size()))
      Fail();
  }
  return 0;
}
