#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace testsupport {
namespace {

std::atomic<unsigned> g_counter{0};

}  // namespace

TempProgramFolder::TempProgramFolder() {
  const fs::path base = fs::temp_directory_path();
  std::random_device rd;
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "TabryeTest-" + std::to_string(rd() ^ static_cast<unsigned>(ticks)) + "-" +
                             std::to_string(g_counter++);
    std::error_code ec;
    if (fs::create_directory(base / name, ec)) {
      path_ = (base / name).make_preferred().string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary program folder in " + base.string());
}

TempProgramFolder::~TempProgramFolder() {
  std::error_code ec;
  fs::remove_all(fs::path(path_), ec);
}

std::string TempProgramFolder::File(const std::string& name) const {
  return path_ + static_cast<char>(fs::path::preferred_separator) + name;
}

}  // namespace testsupport
