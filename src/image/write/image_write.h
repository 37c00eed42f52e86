// Writing a DIB by format code: BMP (0-3) at its own depth, zipped BMP (4),
// PNG at 24 bits (5) or with 1, 4 or 8 bits and the fixed tables (9, 10, 11),
// JPEG with quality selector 1-3 (6, 7, 8).
#pragma once

#include <cstdint>
#include <string>

#include "image/write/write_host.h"

namespace img {

// Format codes of the writers.
enum ImageSaveFormat : int {
  kSaveBmpLast = 3,
  kSaveBmz = 4,
  kSavePng24 = 5,
  kSaveJpegFirst = 6,
  kSaveJpegLast = 8,
  kSavePng1 = 9,
  kSavePng4 = 10,
  kSavePng8 = 11,
};

// Brings the rows to the depth the format needs (in buffers of its own; the
// header, which must have room for 256 table entries after its 40 bytes, then
// describes the pixels written) and writes them. `pixels` holds height x
// stride bytes of the header's depth. Nothing is written after a memory
// shortage (string 152) or for a "+"-marked name (string 406).
void WriteImageFile(WriteHost& host, const uint8_t* pixels, uint8_t* header, const std::string& path, int format);

// Writes pixels already in the form the format needs (format 5 for the
// palette PNGs). Returns true when a file was written.
bool WriteImageByFormat(WriteHost& host, const uint8_t* pixels, uint8_t* header, const std::string& path,
                        int format);

// JPEG of any depth (converted in a buffer of its own; bits 0 refused). The
// file is created only after the encoder succeeded, so a failure leaves an
// existing target untouched. Returns true when written.
bool WriteJpegFile(WriteHost& host, const uint8_t* pixels, uint8_t* header, const std::string& path, int quality);

// The BMP file of the rows: "BM" header, the 40-byte info header, the colour
// table (or the three BI_BITFIELDS masks), stride x height pixel bytes.
bool BuildBmpFile(const uint8_t* pixels, const uint8_t* header, std::string* out);

// The "+"-marked extensions a picture cannot be saved as: the two words of
// string 406 ("+png", "png"), or false when the name is not one of them.
bool MarkedImageName(const std::string& path, std::string* mark, std::string* plain);

}  // namespace img
