// What the image loaders need of the document, as one small interface: the
// message text of the text pane, message boxes and the status pane by string
// number, the memory settings, and the window-side routes (image plug-ins,
// the unzip library). The document implements it; native tests record it.
#pragma once

#include <cstdint>
#include <string>

#include "image/load/image_record.h"

namespace img {

// String numbers the loaders and writers report with.
enum ImageString : unsigned {
  kStrOutOfMemory = 152,     // "メモリーが足りません"
  kStrUnsupported = 210,     // "対応していないフォーマットです。"
  kStrCannotOpen = 237,      // "ファイルをオープンできません。..."
  kStrNoPlugin = 333,        // "登録された画像形式ですが、..."
  kStrCannotSaveAs = 406,    // "修正したデータは%s形式では保存出来ません。..."
};

// Outcome of a plug-in call.
struct PluginPicture {
  uint8_t* bits = nullptr;   // locked pixel rows (the record keeps them, owner 2)
  void* bitsHandle = nullptr;
  uint32_t bitsBytes = 0;         // size of the pixel block
  const uint8_t* info = nullptr;  // locked BITMAPINFO
  uint32_t infoBytes = 0;         // readable bytes at info
};

class LoadHost {
 public:
  virtual ~LoadHost() = default;

  // Memory settings: the largest pixel data kept, the largest file read.
  uint32_t textBufSize = 41943040;
  uint32_t textBufSize2 = 41943040;

  // The text pane's message: replaced from its start, or appended at the
  // write position (always within the buffer's capacity).
  virtual void SetMessage(unsigned stringId) = 0;
  virtual void AppendMessage(unsigned stringId) = 0;
  // An OK message box with a string.
  virtual void MessageBox(unsigned stringId) = 0;
  // The status pane of indicator 104.
  virtual void StatusText(const std::string& text) = 0;
  virtual void WaitCursor(bool on) {}

  // The raw-deflate inflater: `buffer` holds dataLength bytes of deflate data
  // and room for data + 294 bytes and outLimit + 1 bytes; the inflated bytes
  // end at its start. Result: inflated length clamped to outLimit, or < 0.
  // The default inflates in memory (image/load/raw_inflate.h).
  virtual int32_t InflateRaw(uint8_t* buffer, int32_t dataLength, int32_t outLimit, int32_t mode);

  // The zipped-bitmap loader's library route. Returns true when the unzip
  // library is bound and took the archive: then *got holds the member bytes
  // read into work (at most size), or -1 after a failure it reported.
  virtual bool UnzipBitmapByLibrary(const uint8_t* data, uint32_t length, uint8_t* work, uint32_t size,
                                    int64_t* got) {
    return false;
  }

  // Image plug-ins (window side). OpenPlugin loads the library for `name`
  // ("IFJPEG"); with `search` it looks for name + "*.SPI" (program folder
  // first, then the current folder). CallPlugin runs GetPicture on the bytes
  // of the library opened last and releases the library; 0 on success.
  // ReleasePluginInfo frees the info handle of a successful call;
  // ReleasePluginBits frees pixels held with owner 2.
  virtual bool OpenPlugin(const std::string& name, bool search) { return false; }
  virtual int CallPlugin(const uint8_t* data, uint32_t length, PluginPicture* out) { return -1; }
  virtual void ReleasePluginInfo() {}
  virtual void ReleasePluginBits(void* handle) {}
};

}  // namespace img
