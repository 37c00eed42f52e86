// PNG writer: a DIB of 1, 4, 8 or 24 bits becomes signature, IHDR, PLTE (below
// 24 bits: 2, 16 or 256 entries from the colour table after the 40-byte
// header), one IDAT holding a zlib stream of the filter-0 rows (compressed in
// memory by the archive codec's deflate encoder) and IEND, where the file
// ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace img {

class WriteHost;

// CRC-32 of buffer[start .. end) stored big-endian at buffer[end .. end + 4).
void PngChunkCrc(int32_t start, int32_t end, uint8_t* buffer);

// Adler-32 of data (RFC 1950).
uint32_t Adler32(const uint8_t* data, size_t n);

// The PNG file of the rows (bottom-up, row rule) described by `header` (40
// bytes + colour table). false for another bit count, a picture without rows,
// sizes past the memory settings, or no memory (*noMemory set).
bool BuildPngFile(const uint8_t* pixels, const uint8_t* header, uint64_t memoryLimit, std::vector<uint8_t>* out,
                  bool* noMemory);

// Builds the file and writes it to path: the bytes written, or 0 (string
// 152 through the host after a memory shortage).
uint32_t WritePngFile(WriteHost& host, const uint8_t* pixels, const uint8_t* header, const std::string& path);

}  // namespace img
