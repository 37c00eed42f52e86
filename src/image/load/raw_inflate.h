// The raw-deflate inflater of the image code: deflate data in a buffer is
// wrapped as a one-member ZIP image in place ("temp.txt", CRC 0, flags 2) and
// extracted by the archive codec, leaving the inflated bytes at the start of
// the same buffer. The document adds the unzip-library route for large data
// (app/dvkdoc_image.cpp); everything here stays in memory.
#pragma once

#include <cstdint>

namespace img {

constexpr int32_t kZipLocalSize = 38;      // local header with the name "temp.txt"
constexpr int32_t kZipTailSize = 94 - 38;  // central entry and end record ... (D + 94 in all)
constexpr int32_t kZipSpare = 256;         // cleared bytes after the data

// Uncompressed size the scratch image declares: the most deflate data of
// that length can give (1032 bytes a byte), so the extraction never stops at
// a declared size; what passes outLimit is dropped and the result clamped.
uint32_t DeclaredInflateSize(int32_t dataLength);

// Builds the ZIP image in `buffer` (deflate data moved up by 38 bytes, 256
// bytes after it cleared; with `library` the central entry and end record
// follow, declaring the same size). Returns the image's length: D + 76 with
// the records (the file ends at the end record), else D + 94
// (D = data + 38).
int32_t BuildInflateZip(uint8_t* buffer, int32_t dataLength, uint32_t declared, bool library);

// The in-memory route: the inflated length clamped to outLimit (the archive
// service's count), or a negative result; -9 when memory ran out. The bytes
// of the buffer from the inflated data up to outLimit are 0 afterwards.
// `buffer` holds max(dataLength + 294, outLimit + 1) bytes.
int32_t InflateRawInMemory(uint8_t* buffer, int32_t dataLength, int32_t outLimit, int32_t mode);

}  // namespace img
