// Text moved through named shared-memory blocks (fw/shared_block.h): the
// load and save statements of the macro language and the vertical
// concatenation read and write the working buffer through it.
//
// Modes:
//   0  delete: the handle this program keeps for the block is let go (the
//      block ends when no other copy holds it), then the block is probed;
//      always 0
//   1  write the text of `buffer` with its NUL at `offset`, creating the
//      block with `mapSize` bytes when there is none; 0 or -1
//   2  read the text that starts at `offset` (with its NUL) into `buffer`;
//      the bytes copied without the NUL (the block's text length minus
//      `offset` when it fits), 0 for no block or an empty text, -1 when the
//      block cannot be mapped or `offset` lies past the text
//   3  the block's text length (from its start to its first NUL), nothing
//      copied; 0 for no block, -1 when it cannot be mapped
//   4  append the text of `buffer` with its NUL after the block's text
//      (a missing block is written as in mode 1); 0 or -1
//   5  raw read of `size` − `offset` bytes from `offset`; the count copied,
//      0 for no block, -1 when it cannot be mapped, `size` is not above
//      `offset` or the range lies outside the block
//   other  nothing; 0
//
// `size` is the part of the block mapped (0: all of it); a write refuses a
// `size` above `mapSize`. Every read copies at most `bufferSize` bytes, NUL
// included: a block that grew after its length was asked is cut to the
// buffer, never written past it (mode 2 then ends the copy with a NUL in
// the last byte and returns the bytes before it). A write takes the text
// up to its NUL or `bufferSize` bytes, whichever comes first. Writes keep
// the block's handle until the program ends, so the block outlives the
// statement that wrote it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv/csv_otherfile.h"
#include "fw/cstring.h"

namespace macro {

int TransferSharedMemory(const char* name, std::uint8_t* buffer, std::size_t bufferSize, int offset, int size,
                         int mode, int mapSize);

// A named block read as the second text of the concatenation: its size is
// the block's text length (mode 3, with the caller's map size), its reads
// raw reads (mode 5), each bounded by the buffer it is given.
class SharedMemorySource final : public csv::OtherSource {
 public:
  SharedMemorySource(const CString& name, int mapSize) : m_name(name), m_mapSize(mapSize) {}
  std::int64_t Size() override;
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override;

 private:
  CString m_name;
  int m_mapSize;
};

}  // namespace macro
