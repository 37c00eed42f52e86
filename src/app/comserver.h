// The program as a COM local server: one class object (an empty automation
// object), registered per user from the registry script resource.
#pragma once

#include <windows.h>

namespace app {

extern const CLSID kDocumentClsid;
extern const char kDocumentProgId[];  // "Tabrye.Document"

// Writes the registry script (resource `scriptId`, text with %MODULE%) below
// HKCU\Software\Classes, never HKLM. Idempotent. Returns false on failure.
bool RegisterServer(HINSTANCE module, int scriptId);
// Removes what RegisterServer wrote.
bool UnregisterServer(HINSTANCE module, int scriptId);

// Registers the class object with COM for this process; Revoke undoes it.
class ClassObjectRegistration {
 public:
  ClassObjectRegistration() = default;
  ~ClassObjectRegistration() { Revoke(); }
  ClassObjectRegistration(const ClassObjectRegistration&) = delete;
  ClassObjectRegistration& operator=(const ClassObjectRegistration&) = delete;
  HRESULT Register();
  void Revoke();

 private:
  DWORD m_dwCookie = 0;
};

// The class factory itself (for tests and for Register).
IClassFactory* DocumentClassFactory();

}  // namespace app
