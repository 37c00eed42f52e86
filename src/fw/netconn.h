// The Windows network calls the program makes (opening an enumeration of a
// resource as a probe, and connecting a resource), behind one provider that
// tests replace with their own, so that no test depends on the system's
// network provider.
#pragma once

#include <windows.h>

#include <winnetwk.h>

namespace fw {

class NetProvider {
 public:
  virtual ~NetProvider() = default;
  // Opens and at once closes an enumeration of `resource` (null: the whole
  // network) in `scope`; the system's result code.
  virtual DWORD ProbeEnum(DWORD scope, NETRESOURCEA* resource) = 0;
  // Connects `resource` with the password and user (null: the defaults).
  virtual DWORD AddConnection(NETRESOURCEA* resource, const char* password, const char* user, DWORD flags) = 0;
};

// The provider in use: the system's, or a test's.
NetProvider& Net();

namespace nettest {
// Puts `provider` in place of the system's until Release().
void Install(NetProvider* provider);
void Release();
}  // namespace nettest

}  // namespace fw
