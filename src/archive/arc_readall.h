// Reads an archive file whole into memory for the own extraction paths,
// with the refusals they share: no file, 2 GiB or more, no memory, a read
// that fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace arc {

enum class WholeRead { kOk, kCannotOpen, kTooLarge, kNoMemory, kReadFailed };

// `block` gets the bytes and `spare` more zero bytes after them (the readers
// look a little past the end); `*got` the bytes read, which a file that
// shrank while it was read leaves short of its length.
WholeRead ReadWholeArchive(const std::string& path, std::size_t spare, std::vector<std::uint8_t>* block,
                           std::size_t* got);

}  // namespace arc
