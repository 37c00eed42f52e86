#include "core/docsvc/sjis_state.h"

namespace docsvc {

bool IsSjisLeadByteStd(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC);
}

bool IsSjisLeadByte80(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC);
}

}  // namespace docsvc

void IsSjisLeadByteState(unsigned char b, int* state) {
  if (*state != 0)
    *state = 0;
  else if (docsvc::IsSjisLeadByteStd(b))
    *state = 1;
}

void IsSjisLeadByteState80(unsigned char b, int* state) {
  if (*state != 0)
    *state = 0;
  else if (docsvc::IsSjisLeadByte80(b))
    *state = 1;
}

CString MakeLowerSjis(const CString& text) {
  std::string out = text.Str();
  const std::size_t n = out.size();
  int state = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(out[i]);
    if (state != 0) {  // second byte of a pair
      state = 0;
      continue;
    }
    if (docsvc::IsSjisLeadByte80(b)) {
      state = 1;
      continue;
    }
    if (b == '~' && i > 0 && out[i - 1] == '\x01') {
      // The character after "\x01~" keeps its case (both bytes of a pair).
      if (i + 1 < n && docsvc::IsSjisLeadByte80(static_cast<unsigned char>(out[i + 1]))) state = 1;
      ++i;
      continue;
    }
    if (b >= 'A' && b <= 'Z') out[i] = static_cast<char>(b + ('a' - 'A'));
  }
  return CString(std::move(out));
}
