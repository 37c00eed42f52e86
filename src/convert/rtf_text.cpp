#include "convert/rtf_text.h"

namespace convert {

std::int64_t ConvertRtfToText(const std::uint8_t* data, std::size_t length, LoadBuffer& out,
                              const RtfWords& words) {
  (void)data;
  (void)length;
  const std::size_t start = out.Size();
  if (words.fromWord) out.Append("##word format##\n");
  return static_cast<std::int64_t>(out.Size() - start);
}

}  // namespace convert
