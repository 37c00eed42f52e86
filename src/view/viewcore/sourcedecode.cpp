#include "view/viewcore/sourcedecode.h"

#include <utility>

#include "core/textcodec/textcodec.h"

namespace viewcore {

bool NeedsDecoding(int encoding) {
  return static_cast<textcodec::TextEncoding>(encoding) != textcodec::TextEncoding::kShiftJis;
}

bool DecodeSourceFile(const std::string& bytes, std::string* text, void* ctx) {
  const auto* source = static_cast<const SourceEncoding*>(ctx);
  if (source == nullptr || text == nullptr) return false;
  textcodec::DecodeResult r;
  if (!textcodec::DecodeTextToSjis(bytes.data(), bytes.size(), static_cast<textcodec::TextEncoding>(source->encoding),
                                   &r))
    return false;
  *text = std::move(r.text);
  return true;
}

}  // namespace viewcore
