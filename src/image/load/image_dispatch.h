// The loader dispatcher: reads a picture file into the load record by its
// kind and signature (own loaders, image plug-ins through the host), applies
// the trimming margins and the limits, and works out the transform words.
#pragma once

#include <cstdint>
#include <string>

#include "image/load/image_host.h"
#include "image/load/image_record.h"

namespace img {

// File kinds of the image group.
enum ImageKind : int {
  kKindBmp = 12,
  kKindJpeg = 13,
  kKindPng = 14,
  kKindGif = 15,
  kKindTiff = 16,
  kKindPict1 = 17,  // 17-21: the settings' five picture extensions
  kKindPict5 = 21,
  kKindBmz = 22,
  kKindWmf = 27,
  kKindEmf = 28,
};

struct LoadRequest {
  int kind = 0;                  // GetFileKind of the path
  int option = 0;                // nColorOption; > 0 on kind 13 forces the own JPEG loader
  std::string pictExt[5];        // extensions of kinds 17-21
};

struct LoadOutcome {
  int result = 0;        // 0 loaded; -1 failure; -2 no plug-in; -3 too large
  bool metafile = false; // 0 for a metafile: handed on by name (pending command 33)
};

// Plug-in name of a kind ("IFJPEG"), empty for the zipped bitmap and kinds
// without one.
std::string PluginName(int kind, const std::string pictExt[5]);

// The whole load from a file: the exclusive open (10 attempts, 100 ms apart
// through fw::Wait), the limits of the file length, then LoadImageBytes.
LoadOutcome LoadImageFile(LoadRecord& rec, LoadHost& host, const std::string& path, const LoadRequest& req);

// From the file's bytes (data holds `length` bytes; fileLength is the file's
// full length, larger when a bitmap was read only in part). The record must
// not be ready.
LoadOutcome LoadImageBytes(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length,
                           uint64_t fileLength, const LoadRequest& req);

// Step of the transform words (rotation and flips in effect, whether the view
// must run its transform pass) from the settings and the bit count.
void SetTransformWords(uint32_t* words, uint32_t bitCount);

}  // namespace img
