// The whole PDF reader with a picture asked for, on a memory file system:
// bytes 0-1 are the picture's number, byte 2 its letter. A picture file
// written raises the number by 100,000, 200,000 or 300,000 by its kind;
// otherwise the number stays as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

#include "convert/load_buffer.h"
#include "convert/pdf_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int number = (data[0] | (data[1] << 8)) % 64;
  const int letter = data[2] & 1 ? 'a' + (data[2] >> 1) % 8 : 0;
  // The file and 900,000 bytes of room behind it, as the reader's entry
  // grows its buffer: the room is not cleared (the entry's is not either;
  // object streams are written there before anything reads them).
  const std::size_t held = size - 3;
  const std::size_t capacity = held + 900000;
  // One block for every input, its bytes past `capacity` poisoned, so a read
  // or write past the room is still caught; making and unmapping 900 KB per
  // input took most of the run.
  constexpr std::size_t kBlock = 16384 + 900000;
  if (capacity > kBlock) return 0;
  static std::uint8_t* const block = static_cast<std::uint8_t*>(std::malloc(kBlock));
  ASAN_UNPOISON_MEMORY_REGION(block, kBlock);
  ASAN_POISON_MEMORY_REGION(block + capacity, kBlock - capacity);
  struct Room {
    std::uint8_t* get() const { return block; }
  } bytes;
  std::memcpy(bytes.get(), data + 3, held);
  const std::int32_t n = static_cast<std::int32_t>(held);
  std::map<std::string, std::vector<std::uint8_t>> files;
  convert::PdfRunWords words;
  words.readSize = n;
  words.extractNo = number;
  words.extractLetter = letter;
  words.programDir = "C:\\prog";
  words.writeFile = [&](const CString& p, const std::uint8_t* b, std::size_t k) {
    files[std::string(p)] = std::vector<std::uint8_t>(b, b + k);
    return true;
  };
  words.readFile = [&](const CString& p, std::vector<std::uint8_t>* out) {
    auto it = files.find(std::string(p));
    if (it == files.end()) return false;
    *out = it->second;
    return true;
  };
  convert::LoadBuffer out;
  std::unique_ptr<convert::PdfConverter> run(
      new convert::PdfConverter(bytes.get(), n, capacity, words, out, nullptr));
  run->Run();
  const int kind = run->m_nPictureKind;
  const std::int32_t raised = run->m_words.extractNo - number;
  if (kind == 0) {
    if (raised != 0) std::abort();
  } else if (kind == 12) {
    if (raised != 100000 || !files.count("C:\\prog\\TMP\\pdftmp.bmp")) std::abort();
  } else if (kind == 16) {
    if (raised != 300000) std::abort();
  } else if (raised != 200000) {
    std::abort();
  }
  return 0;
}
