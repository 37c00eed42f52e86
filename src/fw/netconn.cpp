#include "fw/netconn.h"

namespace fw {

namespace {

class SystemNet : public NetProvider {
 public:
  DWORD ProbeEnum(DWORD scope, NETRESOURCEA* resource) override {
    HANDLE h = nullptr;
    const DWORD r = ::WNetOpenEnumA(scope, RESOURCETYPE_ANY, 0, resource, &h);
    if (r == NO_ERROR && h) ::WNetCloseEnum(h);
    return r;
  }
  DWORD AddConnection(NETRESOURCEA* resource, const char* password, const char* user, DWORD flags) override {
    return ::WNetAddConnection2A(resource, password, user, flags);
  }
};

SystemNet g_system;
NetProvider* g_provider = &g_system;

}  // namespace

NetProvider& Net() { return *g_provider; }

namespace nettest {
void Install(NetProvider* provider) { g_provider = provider ? provider : &g_system; }
void Release() { g_provider = &g_system; }
}  // namespace nettest

}  // namespace fw
