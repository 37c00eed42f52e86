// The region's files: the writer's format for a region saved under a name,
// and the clip built from an inserted picture (a BMP file of any depth made
// a 24-bit clip). Untrusted bytes: every size is checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace image {

// The writer's format code by the name's ending: ".jpg" JPEG at quality
// selector 2, "jpeg" at 3, ".png" PNG, ".bmz" the zipped bitmap, any other a
// BMP at the clip's depth. (Marked names are the writer's to refuse.)
int RegionSaveFormat(const std::string& path);

// The file kinds a picture can be inserted from (BMP, the zipped bitmap,
// JPEG, PNG, TIFF, GIF).
bool InsertableKind(int kind);

struct InsertPlan {
  bool ok = false;
  int64_t width = 0, height = 0;
  int bits = 0;
  int64_t pixelOffset = 0;  // of the rows in the BMP file
  int64_t pixelBytes = 0;   // of the rows in the BMP file
  int64_t clipBytes = 0;    // 54 + the 24-bit rows
};

// The plan of the clip of the BMP file `bmp`: false for anything that is not
// a whole bottom-up BMP of 1-32 bits.
InsertPlan PlanInsertClip(const uint8_t* bmp, size_t size);

// Writes the clip: "BM", the total size and the offset 54, a 40-byte 24-bit
// header and the rows widened to 24 bits. False when `out` is too small or
// the rows cannot be widened.
bool BuildInsertClip(const InsertPlan& plan, const uint8_t* bmp, size_t size, uint8_t* out, size_t outSize);

}  // namespace image
