// Named blocks of shared memory: a section of the given size that every
// running copy of the program finds by its name. On Windows a block is a
// file mapping backed by the paging file; it lives while some handle to it
// is open. The native build (tests, fuzzing) keeps the blocks in a table
// of this process with the same lifetime rules, so the code above it runs
// unchanged.
//
// A block's size is whole pages (4096 bytes): asking for 10 bytes gives a
// block of 4096, the bytes past those written reading as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fw {

class SharedBlock {
 public:
  enum class OpenResult { kOpened, kMissing, kFailed };

  SharedBlock() = default;
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;
  ~SharedBlock() { Close(); }

  // Opens the existing block `name`, for writing when `write`.
  OpenResult Open(const char* name, bool write);
  // Opens `name` for writing, creating it with `size` bytes (at least 1)
  // when there is none. *created tells which happened. False on failure.
  bool OpenOrCreate(const char* name, std::uint32_t size, bool* created = nullptr);

  // Maps the first `bytes` of the block (0: the whole block). False when the
  // block is smaller or the system refuses; nothing is mapped then.
  bool Map(std::size_t bytes, bool write);
  void Unmap();
  unsigned char* Data() const { return m_data; }
  // Bytes of the current mapping (the whole block: its size in pages).
  std::size_t MappedSize() const { return m_mapped; }

  // Closes the mapping and this handle. Once the last handle of a block is
  // closed the block and its content are gone.
  void Close();
  // Hands the open handle to the process, so the block lives until the
  // program ends whatever this object does; one such handle is kept per
  // name. The object is closed afterwards.
  void KeepUntilExit();
  // Lets go of the handle kept for `name` by KeepUntilExit (nothing when
  // none is kept): the block ends once no other holder has it open.
  static void ReleaseKept(const char* name);

  bool IsOpen() const;

 private:
  std::string m_name;
  unsigned char* m_data = nullptr;
  std::size_t m_mapped = 0;
#ifdef _WIN32
  std::intptr_t m_handle = 0;  // the mapping object (0: none)
#else
  void* m_block = nullptr;     // the process table's entry, one reference held
#endif
};

// Test hook: the next Map calls fail, as when the system cannot map the
// block (FailMapFrom(n): the n-th Map after Reset and every later one).
namespace sharedblocktest {
void Reset();
void FailMapFrom(long n);
long MapCount();
}  // namespace sharedblocktest

}  // namespace fw
