// Any bytes opened as a text and saved unchanged come back byte for byte,
// whatever the encoding chosen (first byte) and the decode piece size (second
// byte); an edit (a line added) never crashes and an edited BinHex text is
// refused with its error, never written half.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/docopen/textload.h"
#include "core/textcodec/keepbytes.h"
#include "fw/alloc.h"

using textcodec::TextEncoding;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const TextEncoding hint = static_cast<TextEncoding>(data[0] % textcodec::kTextEncodingCount);
  const size_t piece = 1 + data[1] * 3;
  data += 2;
  size -= 2;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(bytes.get(), data, size);

  docopen::TextLoad t;
  if (!docopen::LoadTextToSjis(bytes.get(), size, hint, 0, &t, piece)) return 0;
  const std::string text(t.text, t.length);
  fw::Free(t.text);

  std::string saved;
  size_t lost = 1;
  textcodec::TextCodecError error = textcodec::TextCodecError::kNone;
  if (!textcodec::EncodeForSave(text.data(), text.size(), t.info, &saved, &lost, &error)) __builtin_trap();
  if (lost != 0 || saved.size() != size || (size && std::memcmp(saved.data(), bytes.get(), size) != 0))
    __builtin_trap();

  const std::string edited = "edit\r\n" + text + "\r\nend";
  std::string out;
  const bool ok = textcodec::EncodeForSave(edited.data(), edited.size(), t.info, &out, &lost, &error);
  if (!ok && (t.info.encoding != TextEncoding::kBinHex || error != textcodec::TextCodecError::kCannotWriteBinHex ||
              !out.empty()))
    __builtin_trap();
  return 0;
}
