#include "fw/shared_block.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fw {
namespace {

constexpr std::uint64_t kPage = 4096;

std::uint64_t RoundToPages(std::uint32_t size) {
  std::uint64_t n = size == 0 ? 1 : size;
  return (n + kPage - 1) / kPage * kPage;
}

struct MapHook {
  long count = 0;
  long failFrom = 0;
};
MapHook& Hook() {
  static MapHook hook;
  return hook;
}
// Counts a Map call; true when the hook refuses it.
bool MapRefused() {
  MapHook& h = Hook();
  ++h.count;
  return h.failFrom > 0 && h.count >= h.failFrom;
}

}  // namespace

namespace sharedblocktest {
void Reset() { Hook() = MapHook(); }
void FailMapFrom(long n) { Hook().failFrom = n; }
long MapCount() { return Hook().count; }
}  // namespace sharedblocktest

#ifdef _WIN32

namespace {
// Handles kept until the program ends, one per name.
std::map<std::string, HANDLE>& KeptHandles() {
  static std::map<std::string, HANDLE> kept;
  return kept;
}
}  // namespace

bool SharedBlock::IsOpen() const { return m_handle != 0; }

SharedBlock::OpenResult SharedBlock::Open(const char* name, bool write) {
  Close();
  HANDLE h = OpenFileMappingA(write ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ, FALSE, name);
  if (h == nullptr) {
    DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND ? OpenResult::kMissing : OpenResult::kFailed;
  }
  m_handle = reinterpret_cast<std::intptr_t>(h);
  m_name = name;
  return OpenResult::kOpened;
}

bool SharedBlock::OpenOrCreate(const char* name, std::uint32_t size, bool* created) {
  if (created != nullptr) *created = false;
  OpenResult r = Open(name, true);
  if (r == OpenResult::kOpened) return true;
  if (r == OpenResult::kFailed) return false;
  std::uint64_t bytes = RoundToPages(size);
  HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes), name);
  if (h == nullptr) return false;
  if (created != nullptr) *created = GetLastError() != ERROR_ALREADY_EXISTS;
  m_handle = reinterpret_cast<std::intptr_t>(h);
  m_name = name;
  return true;
}

bool SharedBlock::Map(std::size_t bytes, bool write) {
  Unmap();
  if (m_handle == 0 || MapRefused()) return false;
  void* view = MapViewOfFile(reinterpret_cast<HANDLE>(m_handle), write ? FILE_MAP_WRITE : FILE_MAP_READ,
                             0, 0, bytes);
  if (view == nullptr) return false;
  std::size_t mapped = bytes;
  if (mapped == 0) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(view, &info, sizeof info) == 0) {
      UnmapViewOfFile(view);
      return false;
    }
    mapped = info.RegionSize;
  }
  m_data = static_cast<unsigned char*>(view);
  m_mapped = mapped;
  return true;
}

void SharedBlock::Unmap() {
  if (m_data != nullptr) UnmapViewOfFile(m_data);
  m_data = nullptr;
  m_mapped = 0;
}

void SharedBlock::Close() {
  Unmap();
  if (m_handle != 0) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  m_handle = 0;
  m_name.clear();
}

void SharedBlock::KeepUntilExit() {
  Unmap();
  if (m_handle == 0) return;
  auto& kept = KeptHandles();
  if (kept.find(m_name) == kept.end()) {
    kept[m_name] = reinterpret_cast<HANDLE>(m_handle);
    m_handle = 0;
  }
  Close();
}

void SharedBlock::ReleaseKept(const char* name) {
  auto& kept = KeptHandles();
  auto it = kept.find(name);
  if (it == kept.end()) return;
  CloseHandle(it->second);
  kept.erase(it);
}

#else

namespace {
struct Block {
  std::vector<unsigned char> bytes;
};
struct Registry {
  std::mutex lock;
  std::map<std::string, std::weak_ptr<Block>> byName;
  std::map<std::string, std::shared_ptr<Block>> kept;
};
Registry& Blocks() {
  static Registry registry;
  return registry;
}
std::shared_ptr<Block>& Held(void* p) { return *static_cast<std::shared_ptr<Block>*>(p); }
}  // namespace

bool SharedBlock::IsOpen() const { return m_block != nullptr; }

SharedBlock::OpenResult SharedBlock::Open(const char* name, bool /*write*/) {
  Close();
  Registry& r = Blocks();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.byName.find(name);
  if (it == r.byName.end()) return OpenResult::kMissing;
  std::shared_ptr<Block> block = it->second.lock();
  if (!block) {
    r.byName.erase(it);
    return OpenResult::kMissing;
  }
  m_block = new std::shared_ptr<Block>(std::move(block));
  m_name = name;
  return OpenResult::kOpened;
}

bool SharedBlock::OpenOrCreate(const char* name, std::uint32_t size, bool* created) {
  if (created != nullptr) *created = false;
  if (Open(name, true) == OpenResult::kOpened) return true;
  auto block = std::make_shared<Block>();
  try {
    block->bytes.assign(static_cast<std::size_t>(RoundToPages(size)), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  Registry& r = Blocks();
  std::lock_guard<std::mutex> guard(r.lock);
  r.byName[name] = block;
  m_block = new std::shared_ptr<Block>(std::move(block));
  m_name = name;
  if (created != nullptr) *created = true;
  return true;
}

bool SharedBlock::Map(std::size_t bytes, bool /*write*/) {
  Unmap();
  if (m_block == nullptr || MapRefused()) return false;
  std::vector<unsigned char>& b = Held(m_block)->bytes;
  if (bytes > b.size()) return false;
  m_data = b.data();
  m_mapped = bytes == 0 ? b.size() : bytes;
  return true;
}

void SharedBlock::Unmap() {
  m_data = nullptr;
  m_mapped = 0;
}

void SharedBlock::Close() {
  Unmap();
  if (m_block != nullptr) delete static_cast<std::shared_ptr<Block>*>(m_block);
  m_block = nullptr;
  m_name.clear();
}

void SharedBlock::KeepUntilExit() {
  Unmap();
  if (m_block == nullptr) return;
  Registry& r = Blocks();
  {
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.kept.find(m_name) == r.kept.end()) r.kept[m_name] = Held(m_block);
  }
  Close();
}

void SharedBlock::ReleaseKept(const char* name) {
  Registry& r = Blocks();
  std::lock_guard<std::mutex> guard(r.lock);
  r.kept.erase(name);
}

#endif

}  // namespace fw
