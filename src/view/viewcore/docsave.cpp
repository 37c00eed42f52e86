#include "view/viewcore/docsave.h"

#include <cstring>
#include <string>

#include "core/textcodec/keepbytes.h"
#include "csv/csv_fileform.h"

namespace viewcore {

bool KeepsLfLineEnds(const char* text, std::size_t len) {
  return text && len && std::memchr(text, '\n', len) && !std::memchr(text, '\r', len);
}

SaveResult SaveSjisText(const CString& path, const char* sjis, std::size_t len,
                        const textcodec::DecodeResult* origin, const SafeWriteOptions& options) {
  if (origin == nullptr) return SafeWriteFile(path, sjis, len, options);
  std::string bytes;
  std::size_t lost = 0;
  textcodec::TextCodecError error = textcodec::TextCodecError::kNone;
  SaveResult r;
  if (!textcodec::EncodeForSave(sjis, len, *origin, &bytes, &lost, &error)) {
    r.error = SaveError::kEncodeFailed;
    r.message = SaveErrorText(SaveError::kEncodeFailed, path);
    if (error != textcodec::TextCodecError::kNone) r.message += CString("\n") + textcodec::TextCodecErrorText(error);
    return r;
  }
  if (lost > 0 && options.confirmLoss && !options.confirmLoss(lost)) {
    r.error = SaveError::kNotConfirmed;
    r.message = SaveErrorText(SaveError::kNotConfirmed, path);
    return r;
  }
  return SafeWriteFile(path, bytes.data(), bytes.size(), options);
}

SaveResult SaveCsvBuffer(const CString& path, const std::uint8_t* buf, std::size_t len, int fileKind,
                         const textcodec::DecodeResult* origin, const SafeWriteOptions& options,
                         bool codesAreData) {
  const std::string text = csv::ToCommaForm(buf, len, csv::CommaFormKindFor(fileKind), nullptr, codesAreData);
  return SaveSjisText(path, text.data(), text.size(), origin, options);
}

}  // namespace viewcore
