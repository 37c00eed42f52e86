// Numbers the running copies of the program through a named shared-memory
// block: each copy takes the lowest free slot (0 for the first copy) and frees
// it at exit. A slot whose process has ended without freeing it counts as free.
#pragma once

#include <windows.h>

namespace app {

class InstanceRegistry {
 public:
  static const int kSlots = 32;
  // `name` names the mapping; the guarding mutex is `name` + "Lock".
  explicit InstanceRegistry(const char* name = "Local\\DorvikInstances");
  ~InstanceRegistry();
  InstanceRegistry(const InstanceRegistry&) = delete;
  InstanceRegistry& operator=(const InstanceRegistry&) = delete;

  // Takes a slot for the current process; returns its number, or -1 when the
  // block cannot be opened or every slot is taken by a live copy.
  int Acquire();
  // Frees the slot taken by Acquire (also done by the destructor).
  void Release();
  int Number() const { return m_nSlot; }

  // The process id held by each slot (0 = free), for diagnostics and tests.
  bool ReadSlots(DWORD pids[kSlots]);

 private:
  struct Block;
  bool Lock();
  void Unlock();

  HANDLE m_hMapping = nullptr;
  HANDLE m_hMutex = nullptr;
  Block* m_pBlock = nullptr;
  int m_nSlot = -1;
};

}  // namespace app
