// A bitmap file embedded in rich text as an OLE 1.0 object of the class
// "PBrush" ("Paint.Picture"): the ruled table's picture cells and the files
// they name. The object is written whole or not at all, so the text after it
// always stays outside its braces. Layout: docs/table.md, "Picture cells".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace table {

// Files longer than this are not embedded.
constexpr std::size_t kMaxEmbeddedFile = 150000;
// The output keeps at least this much free after an object.
constexpr std::size_t kEmbedReserve = 5000;
// The header of a BMP file (file header 14 + info header 40).
constexpr std::size_t kBmpHeaderBytes = 54;

enum class EmbedResult {
  kEmbedded,    // the object was appended and the position advanced
  kCannotOpen,  // the file (or its converted form) could not be read
  kTooLarge,    // longer than 150,000 bytes or than half the free output
  kNoRoom,      // the whole object would not leave 5,000 bytes free
};

// The bytes of a BMP file that the object carries: the size the file's
// header records, but never more than the file holds; a recorded size below
// 54 bytes (or a file too short to hold one) takes the file's length.
std::size_t BitmapDataLength(const std::uint8_t* file, std::size_t fileLength);

// The whole object for `data` (`n` bytes; padded with zero bytes to a
// multiple of 16) at width and height 1.5 x the values given.
std::string BitmapObjectText(const std::uint8_t* data, std::size_t n, int width, int height);

// Appends the object for the BMP file bytes `file` to `output` at
// *position (NUL-terminated after it when room is left) and advances
// *position. Skips a file longer than kMaxEmbeddedFile or than half of
// capacity - *position, and an object that would leave fewer than
// kEmbedReserve bytes free: then nothing is written.
EmbedResult EmbedBitmapBytes(const std::uint8_t* file, std::size_t fileLength, char* output, std::uint32_t* position,
                             std::uint32_t capacity, int width, int height);

// Writes a picture that is no BMP file as a BMP file.
class PictureConverter {
 public:
  virtual ~PictureConverter() = default;
  // The scratch BMP file the converted pictures go to.
  virtual std::string ScratchBitmap() = 0;
  // 0 when `bmpPath` was written.
  virtual int WriteAsBitmap(const std::string& path, const std::string& bmpPath) = 0;
};

// The object for the file `path`: a name that does not end in ".bmp" (any
// case) is first written as the converter's scratch bitmap (no converter:
// the file is not embedded), then the BMP file is read and embedded as
// EmbedBitmapBytes does.
EmbedResult EmbedBitmapObject(const std::string& path, char* output, std::uint32_t* position, std::uint32_t capacity,
                              int width, int height, PictureConverter* converter);

}  // namespace table
