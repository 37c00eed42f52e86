// Whole-file reads and writes for tests that work with paths of the build
// machine (std::filesystem paths; "Z:/..." under Wine).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testsupport
