// What the image writers need of the document: message boxes by string
// number (406 with its two format words), the memory settings, the zipped
// bitmap's pack through the archive entries, and the file date rule.
#pragma once

#include <cstdint>
#include <string>

namespace img {

class WriteHost {
 public:
  virtual ~WriteHost() = default;
  uint32_t textBufSize = 41943040;    // memory settings (work buffers stay within their sum)
  uint32_t textBufSize2 = 41943040;
  // An OK message box with string `id`; for 406 a and b fill its two %s.
  virtual void MessageBox(unsigned id, const std::string& a = std::string(), const std::string& b = std::string()) = 0;
  // A short message of its own (an encoder failure).
  virtual void MessageText(const std::string& text) = 0;
  // Packs the bitmap at `bmpPath` into "\TMP\Dorvik1.bmz" and returns that
  // path, or an empty string when the pack failed.
  virtual std::string PackBitmap(const std::string& bmpPath) { return std::string(); }
  // Scratch bitmap of a zipped save ("\TMP\Dorvik1.bmp" below the program).
  virtual std::string ScratchBitmapPath() { return std::string(); }
  // After a write: with the keep-date setting, the opened file's time onto path.
  virtual void KeepFileDate(const std::string& path) {}
  uint64_t MemoryLimit() const { return uint64_t(textBufSize) + textBufSize2; }
};

}  // namespace img
