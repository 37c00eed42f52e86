// Text decoders and encoders over (hint, bytes):
// - no decoder reads past the input;
// - every decoder's text survives its own encoder and decoder again (the
//   same characters; IBM extension characters may come back under their
//   NEC-row codes), with nothing replaced on the way;
// - Base64 gives its bytes back through the encoder;
// - encoder output is well formed: valid UTF-8, whole UTF-16 units after the
//   mark, 7-bit JIS back in ASCII at the end, Base64 lines of at most 76
//   characters; decoding it replaces nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/textcodec/codec_internal.h"
#include "core/textcodec/sjis_map.h"
#include "core/textcodec/textcodec.h"

using textcodec::TextEncoding;

namespace {

// The characters of Shift-JIS text, as UTF-8 (the code a character has in
// the code page does not matter).
std::string Characters(const std::string& sjis) {
  std::string u;
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kUtf8, &u);
  return u;
}

bool IsPlain(TextEncoding e) {
  return e != TextEncoding::kAuto && e != TextEncoding::kBase64 && e != TextEncoding::kBinHex;
}

// Decodes with `e`, encodes the text with `e`, decodes again: the same
// characters, nothing replaced by the encoder or the second decode.
// ESC, SO and SI in a text have no form in ISO-2022-JP (they are its shift
// controls): such texts are left out of its checks.
bool HasJisControls(const std::string& t) { return t.find_first_of("\x1B\x0E\x0F") != std::string::npos; }

void CheckRoundTrip(TextEncoding e, const uint8_t* p, size_t n) {
  std::string t;
  textcodec::DecodeToSjis(e, p, n, t);
  if (e == TextEncoding::kIso2022Jp && HasJisControls(t)) return;
  std::string bytes;
  size_t replaced = 0;
  if (!textcodec::EncodeSjis(t.data(), t.size(), e, &bytes, &replaced)) __builtin_trap();
  if (replaced != 0) __builtin_trap();
  std::string again;
  if (textcodec::DecodeToSjis(e, bytes.data(), bytes.size(), again) != 0) __builtin_trap();
  if (Characters(again) != Characters(t)) __builtin_trap();
}

void CheckEncoderOutput(const std::string& t) {
  for (int i = 1; i < textcodec::kTextEncodingCount; ++i) {
    const TextEncoding e = static_cast<TextEncoding>(i);
    std::string out;
    size_t replaced = 0;
    const bool ok = textcodec::EncodeSjis(t.data(), t.size(), e, &out, &replaced);
    if (e == TextEncoding::kBinHex) {
      if (ok || !out.empty()) __builtin_trap();
      continue;
    }
    if (e == TextEncoding::kIso2022Jp && HasJisControls(t)) continue;
    if (!ok) __builtin_trap();
    switch (e) {
      case TextEncoding::kUtf8Bom:
        if (out.compare(0, 3, "\xEF\xBB\xBF") != 0) __builtin_trap();
        break;
      case TextEncoding::kUtf16Le:
      case TextEncoding::kUtf16Be:
        if (out.size() % 2 != 0 || out.compare(0, 2, e == TextEncoding::kUtf16Le ? "\xFF\xFE" : "\xFE\xFF") != 0)
          __builtin_trap();
        break;
      case TextEncoding::kIso2022Jp: {
        for (unsigned char c : out)
          if (c >= 0x80) __builtin_trap();
        const size_t esc = out.rfind('\x1B');
        if (esc != std::string::npos && out.compare(esc, 3, "\x1B(B") != 0) __builtin_trap();
        break;
      }
      case TextEncoding::kBase64: {
        size_t col = 0;
        for (size_t k = 0; k < out.size(); ++k) {
          const char c = out[k];
          if (c == '\r') {
            if (k + 1 >= out.size() || out[k + 1] != '\n') __builtin_trap();
            col = 0;
            ++k;
            continue;
          }
          if (++col > 76) __builtin_trap();
        }
        std::string raw;
        if (textcodec::detail::DecodeBase64(reinterpret_cast<const uint8_t*>(out.data()), out.size(), raw) !=
                textcodec::TextCodecError::kNone ||
            raw != t)
          __builtin_trap();
        continue;
      }
      default:
        break;
    }
    // Whatever the encoder wrote decodes without a replacement (Shift-JIS is
    // written as it is, broken sequences included).
    if (e == TextEncoding::kShiftJis) continue;
    std::string back;
    if (textcodec::DecodeToSjis(e, out.data(), out.size(), back) != 0) __builtin_trap();
  }
}

}  // namespace

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
  // Only whole characters come out of a decoder that is not Shift-JIS.
  if (r.inner != TextEncoding::kShiftJis) {
    for (size_t i = 0; i < t.size(); ++i) {
      uint8_t c = static_cast<uint8_t>(t[i]);
      if (textcodec::IsSjisLead(c)) {
        if (i + 1 >= t.size() || !textcodec::IsSjisTrail(static_cast<uint8_t>(t[i + 1]))) __builtin_trap();
        ++i;
      }
    }
  }
  // Every plain decoder round trips what it read.
  if (IsPlain(hint)) CheckRoundTrip(hint, bytes.get(), size);
  else if (IsPlain(r.encoding)) CheckRoundTrip(r.encoding, bytes.get(), size);
  // Base64: bytes -> text -> the same bytes.
  {
    std::string raw, b64, back;
    textcodec::detail::DecodeBase64(bytes.get(), size, raw);
    textcodec::EncodeSjis(raw.data(), raw.size(), TextEncoding::kBase64, &b64);
    if (textcodec::detail::DecodeBase64(reinterpret_cast<const uint8_t*>(b64.data()), b64.size(), back) !=
            textcodec::TextCodecError::kNone ||
        back != raw)
      __builtin_trap();
  }
  // Encoders: over the decoded text and over the raw bytes taken as Shift-JIS.
  CheckEncoderOutput(t);
  if (size <= 4096) CheckEncoderOutput(std::string(reinterpret_cast<const char*>(bytes.get()), size));
  return 0;
}
