#include "app/instance.h"

#include <cstring>
#include <string>

namespace app {

struct InstanceRegistry::Block {
  DWORD magic;
  DWORD version;
  struct Slot {
    DWORD pid;
    DWORD reserved;
    ULONGLONG startTime;  // process creation time, against reused process ids
  } slots[kSlots];
};

namespace {

const DWORD kMagic = 0x4B564444;  // "DDVK"
const DWORD kMappingSize = 4096;

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// A slot is in use while its process runs and is the same process that took it.
bool SlotAlive(DWORD pid, ULONGLONG startTime) {
  if (pid == 0) return false;
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return false;
  DWORD code = 0;
  bool alive = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE &&
               (startTime == 0 || CreationTime(h) == startTime);
  CloseHandle(h);
  return alive;
}

}  // namespace

InstanceRegistry::InstanceRegistry(const char* name) {
  static_assert(sizeof(Block) <= kMappingSize, "instance block too large");
  std::string mutexName = std::string(name) + "Lock";
  m_hMutex = CreateMutexA(nullptr, FALSE, mutexName.c_str());
  m_hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingSize, name);
  if (m_hMapping)
    m_pBlock = static_cast<Block*>(MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, kMappingSize));
}

InstanceRegistry::~InstanceRegistry() {
  Release();
  if (m_pBlock) UnmapViewOfFile(m_pBlock);
  if (m_hMapping) CloseHandle(m_hMapping);
  if (m_hMutex) CloseHandle(m_hMutex);
}

bool InstanceRegistry::Lock() {
  if (!m_hMutex || !m_pBlock) return false;
  DWORD r = WaitForSingleObject(m_hMutex, 5000);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void InstanceRegistry::Unlock() { ReleaseMutex(m_hMutex); }

int InstanceRegistry::Acquire() {
  if (m_nSlot >= 0) return m_nSlot;
  if (!Lock()) return -1;
  if (m_pBlock->magic != kMagic) {  // a fresh block (the mapping starts zeroed)
    std::memset(m_pBlock, 0, sizeof(Block));
    m_pBlock->magic = kMagic;
    m_pBlock->version = 1;
  }
  for (int i = 0; i < kSlots; ++i) {
    Block::Slot& s = m_pBlock->slots[i];
    if (!SlotAlive(s.pid, s.startTime)) {
      s.pid = GetCurrentProcessId();
      s.startTime = CreationTime(GetCurrentProcess());
      m_nSlot = i;
      break;
    }
  }
  Unlock();
  return m_nSlot;
}

void InstanceRegistry::Release() {
  if (m_nSlot < 0 || !Lock()) return;
  Block::Slot& s = m_pBlock->slots[m_nSlot];
  if (s.pid == GetCurrentProcessId()) s.pid = 0;
  m_nSlot = -1;
  Unlock();
}

bool InstanceRegistry::ReadSlots(DWORD pids[kSlots]) {
  if (!Lock()) return false;
  for (int i = 0; i < kSlots; ++i)
    pids[i] = m_pBlock->magic == kMagic ? m_pBlock->slots[i].pid : 0;
  Unlock();
  return true;
}

}  // namespace app
