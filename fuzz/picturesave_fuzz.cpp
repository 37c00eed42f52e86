// The picture saver's sniff and header logic over a memory file system:
// byte 0 picks the mode (0, -1, -2), the rest is the picture data. Checks
// what the written file holds against the data: the TIFF header and data for
// fax modes, the data unchanged for PNG and other kinds, and for JPEG the
// data behind FF D8 with at most the transform byte changed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/picture_save.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int modes[] = {0, -1, -2, 0};
  const int mode = modes[data[0] & 3];
  const std::uint8_t* pic = data + 1;
  const std::size_t n = size - 1;
  // Exactly sized, so a read past the data is a finding.
  std::uint8_t* exact = static_cast<std::uint8_t*>(std::malloc(n ? n : 1));
  if (n) std::memcpy(exact, pic, n);

  std::string written;
  CString writtenPath;
  convert::PictureSaveContext ctx;
  ctx.programDir = "C:\\prog";
  ctx.write = [&](const CString& path, const std::uint8_t* bytes, std::size_t count) {
    writtenPath = path;
    written.assign(reinterpret_cast<const char*>(bytes), count);
    return (data[0] & 0x80) == 0;  // sometimes the folder cannot be written
  };
  const int result = convert::PdfSaveEmbeddedImage(ctx, exact, n, data[0] >> 2, mode, 100, 200);
  if ((data[0] & 0x80) != 0) {
    if (result != -1 || !ctx.m_strConvImage.IsEmpty()) std::abort();
  } else {
    if (result != 0 || ctx.m_strConvImage != writtenPath) std::abort();
    const std::string in(reinterpret_cast<const char*>(exact), n);
    switch (ctx.m_nFileKind) {
      case 16:
        if (written.size() != 128 + n || written.compare(0, 4, "II*\0", 4) != 0 || written.substr(128) != in)
          std::abort();
        break;
      case 14:
      case 22:
        if (written != in || mode != 0) std::abort();
        break;
      case 13: {
        const std::size_t pre = written.size() - n;
        if ((pre != 0 && pre != 2) || written.compare(0, 2, "\xFF\xD8", 2) != 0) std::abort();
        int diff = 0;
        for (std::size_t i = 0; i < n; ++i) diff += written[pre + i] != in[i];
        if (diff > 1) std::abort();
        break;
      }
      default:
        std::abort();
    }
  }
  std::free(exact);
  return 0;
}
