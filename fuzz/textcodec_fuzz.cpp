// Text decoders over (hint, bytes): never a read past the input, and text
// decoded from Unicode survives a round trip through the UTF-8 encoder.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/textcodec/sjis_map.h"
#include "core/textcodec/textcodec.h"

using textcodec::TextEncoding;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const TextEncoding hint = static_cast<TextEncoding>(data[0] % textcodec::kTextEncodingCount);
  ++data;
  --size;
  // An exact copy, so that the sanitizer sees any read past the end.
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(bytes.get(), data, size);

  textcodec::DecodeResult r;
  textcodec::DecodeTextToSjis(bytes.get(), size, hint, &r);
  const std::string& t = r.text;
  if (r.encoding == TextEncoding::kUtf8 || r.encoding == TextEncoding::kUtf8Bom ||
      r.encoding == TextEncoding::kUtf16Le || r.encoding == TextEncoding::kUtf16Be) {
    // Only whole characters come out of a Unicode decoder.
    for (size_t i = 0; i < t.size(); ++i) {
      uint8_t c = static_cast<uint8_t>(t[i]);
      if (textcodec::IsSjisLead(c)) {
        if (i + 1 >= t.size() || !textcodec::IsSjisTrail(static_cast<uint8_t>(t[i + 1]))) __builtin_trap();
        ++i;
      }
    }
    std::string utf8;
    size_t replaced = 0;
    textcodec::EncodeSjis(t.data(), t.size(), TextEncoding::kUtf8, &utf8, &replaced);
    if (replaced != 0) __builtin_trap();
    std::string back;
    textcodec::DecodeToSjis(TextEncoding::kUtf8, utf8.data(), utf8.size(), back);
    if (back != t) __builtin_trap();
  }
  // Every encoder takes any text.
  for (int e = 1; e < textcodec::kTextEncodingCount; ++e) {
    std::string out;
    textcodec::EncodeSjis(t.data(), t.size(), static_cast<TextEncoding>(e), &out);
  }
  return 0;
}
