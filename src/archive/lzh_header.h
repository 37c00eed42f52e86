// LZH member headers (levels 0, 1 and 2), read from an ArcBitReader.
// Every field is checked against the header bytes held: "059" for a text
// field, "060" for a numeric field outside them, "061" for another level,
// "056" for an extended header under 3 bytes, "057" for a level-1 packed size
// smaller than its extended headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/arc_time.h"

namespace arc {

class LzhHeader {
 public:
  // Reads the next header from the reader's next byte boundary and leaves the
  // reader on the member's first data byte. Returns false at the end of the
  // archive (no byte left, or a header-size byte of 0); level stays -1.
  bool Read(ArcBitReader& r);
  // Reads header bytes until the raw header holds n; n, or -1 when the
  // archive ends first.
  int64_t ReadMore(ArcBitReader& r, size_t n);
  // Sets the extracted file's times from the header.
  bool RestoreFileTime(const std::string& path) const { return SetFileDateTime(path, time); }
  // Output path: folder name (ending in '/' when not empty) + file name.
  std::string OutputPath() const { return folderName + fileName; }

  std::vector<uint8_t> raw;
  int level = -1;
  std::string method;
  uint32_t packedSize = 0;
  uint32_t origSize = 0;
  ArcDateTime time;
  uint16_t dataCrc = 0;
  uint8_t os = 0;
  std::string fileName, folderName;
  bool headerOk = false;
  std::vector<std::vector<uint8_t>> unknownExt;
  // Where the member's data lies in the archive (bytes).
  uint64_t dataStart = 0;
  uint64_t dataSize = 0;

 private:
  uint32_t Num(size_t at, int bytes, size_t held) const;
  void ReadExtended(ArcBitReader& r, uint32_t firstSize, size_t pos, bool fromStream);
};

// Copies or decodes one member ("-lh0-", "-lh5-"; "-lhd-" has no data) into
// the sink and leaves the reader on the next header whatever the decoder
// consumed; with wideWindows also "-lh6-" and "-lh7-" (the LZH library
// stand-in). Other methods throw "083". Input that ends inside the member's
// data throws "050".
void LzhExtractMember(ArcBitReader& r, const LzhHeader& h, LzhCrc16& sink, bool wideWindows = false);

}  // namespace arc
