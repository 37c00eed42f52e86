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

// Reads a whole file; false when it cannot be opened.
using PictureFileReader = std::function<bool(const CString& path, std::vector<std::uint8_t>* bytes)>;

// The reader of the disk.
bool ReadPictureFile(const CString& path, std::vector<std::uint8_t>* bytes);

struct PictureSaveContext {
  CString programDir;             // the scratch folder "\TMP" lies below it
  ConvertHost* host = nullptr;    // nullptr: the file is written, nothing loaded
  PictureFileWriter write;        // empty: WritePictureFile
  PictureFileReader read;         // empty: ReadPictureFile
  // --- left by the saver
  int m_nFileKind = 0;            // the kind of the file written
  CString m_strConvImage;         // its path
};

// Writes the scratch picture and loads it through the host. Result: the
// host's LoadPicture result (0 without a host), -1 when the scratch file
// cannot be written.
int PdfSaveEmbeddedImage(PictureSaveContext& ctx, const std::uint8_t* data, std::size_t length, int compression,
                         int mode, int width, int height);

// --- raw samples as a BMP ("\TMP\temp.txt" in, "\TMP\pdftmp.bmp" out)

constexpr std::int32_t kBmpRowMax = 32000;   // bytes of a written row at most
constexpr std::int32_t kBmpSideMax = 65535;  // the header's width and height have two bytes
constexpr std::int32_t kBmpPixelsPerMetre = 3780;
constexpr std::int64_t kBmpBytesMax = std::int64_t{256} << 20;  // a larger BMP is refused
constexpr int kRawLoadReversed = 99;         // load mode of a 1-bit picture with /Decode [1 0]

// The header size by bits: 62 (1 bit), 118 (4 bits), 54 (24 bits and 32-bit
// input) or 1,078 (the other counts from 2 to 23); 0 for bits it refuses.
std::int32_t RawBmpHeaderSize(int bits);
// The written row's bytes (a multiple of 4), or -1 for bits it refuses.
std::int64_t RawBmpRowSize(std::int64_t width, int bits);

// The BMP of raw samples, rows top-down in `samples` (at most `totalBytes`
// of them read); `palette` 256 RGB triples, used when `hasPalette`, else a
// grey ramp. False, and nothing made, when a row would exceed 32,000 bytes,
// a side is outside 1-65,535, bits are not 1-24 or 32, or the file would
// exceed 256 MB (or its memory is not had). *loadMode is the
// load mode to pass on (99 becomes 0 once the palette is reversed).
bool PlanRawBmp(const std::uint8_t* samples, std::size_t n, const std::uint8_t* palette, int hasPalette,
                std::int64_t totalBytes, int width, int height, int bits, int* loadMode,
                std::vector<std::uint8_t>* bmp);

// Reads "\TMP\temp.txt", writes "\TMP\pdftmp.bmp" and loads it through the
// host (file kind 12). Result: the host's LoadPicture result (0 without a
// host); -1, with nothing written, when a file cannot be opened or written
// or the picture is refused as above.
int PdfSaveRawImageAsBmp(PictureSaveContext& ctx, const std::uint8_t* palette, int hasPalette,
                         std::int64_t totalBytes, int width, int height, int bits, int loadMode);

}  // namespace convert
