// The picture saver: data that is already a picture (JPEG, PNG, fax data
// behind a built TIFF header, anything else as it is) written as a scratch
// file "\TMP\pdftmp.*" below the program folder, then loaded as the
// document's image through the converter host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "fw/cstring.h"

namespace convert {

class ConvertHost;

// What the saver writes for some data: the file name in the scratch folder,
// the file kind, the load mode and the file's bytes.
struct EmbeddedImageFile {
  const char* name = "pdftmp.TMP";  // "pdftmp.tif", "pdftmp.PNG", "pdftmp.jpg" or "pdftmp.TMP"
  int fileKind = 22;                // 16, 14, 13 or 22
  int loadMode = 0;
  std::vector<std::uint8_t> bytes;
};

// The sniff and header logic: modes -1 and -2 give the 128-byte TIFF header
// (photometric 1 for -2) with `compression`, `width` and `height`; otherwise
// the data's first bytes choose PNG, JPEG (FF D8 put in front when missing,
// the Adobe APP14 transform 0 gives load mode 2, 2 is written as 1) or the
// other kind. Every test checks the data is long enough first.
EmbeddedImageFile PlanEmbeddedImage(const std::uint8_t* data, std::size_t length, int compression, int mode,
                                    int width, int height);

// Writes a whole file; false when it cannot be written.
using PictureFileWriter = std::function<bool(const CString& path, const std::uint8_t* bytes, std::size_t n)>;

// The writer of the disk.
bool WritePictureFile(const CString& path, const std::uint8_t* bytes, std::size_t n);

struct PictureSaveContext {
  CString programDir;             // the scratch folder "\TMP" lies below it
  ConvertHost* host = nullptr;    // nullptr: the file is written, nothing loaded
  PictureFileWriter write;        // empty: WritePictureFile
  // --- left by the saver
  int m_nFileKind = 0;            // the kind of the file written
  CString m_strConvImage;         // its path
};

// Writes the scratch picture and loads it through the host. Result: the
// host's LoadPicture result (0 without a host), -1 when the scratch file
// cannot be written.
int PdfSaveEmbeddedImage(PictureSaveContext& ctx, const std::uint8_t* data, std::size_t length, int compression,
                         int mode, int width, int height);

}  // namespace convert
