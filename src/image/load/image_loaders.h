// The program's own picture loaders. Each takes the file bytes and a
// 2000-byte BITMAPINFO work area; on success it has stored its rows in
// rec.m_pLoadBits (fw::Alloc, owner 1, m_nLoadBitsAlloc set, every byte it
// did not decode 0) and written the header (biSize 40, biSizeImage = stride
// x height) and colour table into the work area, and returns nonzero; on
// failure it returns 0 and holds no pixels. Bad input never reads or writes
// outside the buffers.
#pragma once

#include <cstdint>

#include "image/load/image_host.h"
#include "image/load/image_record.h"

namespace img {

uint32_t LoadPngImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info);
uint32_t LoadGifImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info);
uint32_t LoadTiffImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info);
uint32_t LoadJpegImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info);
uint32_t LoadBmzImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info);

// Allocates the record's pixel block of `bytes` (zeroed, owner 1); false
// after string 152 in a message box.
bool AllocLoadBits(LoadRecord& rec, LoadHost& host, uint64_t bytes);

}  // namespace img
