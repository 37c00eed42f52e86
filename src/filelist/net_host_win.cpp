#include "filelist/net_host_win.h"

#include <windows.h>
#include <winnetwk.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "fw/codepage.h"

namespace flist {

namespace {

constexpr DWORD kEnumBufferBytes = 32000;

std::u16string Wide(const std::string& s) { return fw::Cp932ToUtf16(s); }

std::string Narrow(const wchar_t* w) {
  return w ? fw::Utf16ToCp932(reinterpret_cast<const char16_t*>(w), std::wcslen(w)) : std::string();
}

wchar_t* TextOrNull(std::u16string& s) {
  return s.empty() ? nullptr : reinterpret_cast<wchar_t*>(&s[0]);
}

// A resource record for the system, its texts held as long as it lives.
struct SystemResource {
  std::u16string remote, provider;
  NETRESOURCEW nr = {};

  explicit SystemResource(const NetResource& r) : remote(Wide(r.remoteName)), provider(Wide(r.provider)) {
    nr.dwScope = r.scope;
    nr.dwType = r.type;
    nr.dwDisplayType = r.displayType;
    nr.dwUsage = r.usage;
    nr.lpRemoteName = TextOrNull(remote);
    nr.lpProvider = TextOrNull(provider);
  }
  SystemResource(const SystemResource&) = delete;
  SystemResource& operator=(const SystemResource&) = delete;
};

// A resource that holds no others, and a system without a network, have
// nothing to log in to: both are answered as "not a container", so the
// level is tried as its UNC folder instead of asking for a login.
std::uint32_t Code(DWORD r) {
  return r == ERROR_NOT_CONTAINER || r == ERROR_NO_NETWORK ? kNetNotContainer : static_cast<std::uint32_t>(r);
}

class MprNetworkHost : public NetworkHost {
 public:
  MprNetworkHost() : m_buffer(new std::uint64_t[(kEnumBufferBytes + 7) / 8]) {}
  ~MprNetworkHost() override { CloseEnum(); }

  std::uint32_t OpenEnum(int scope, const NetResource* res) override {
    CloseEnum();
    // The root lists what can be connected; a level lists everything.
    const DWORD usage = scope == kNetScopeContext ? RESOURCEUSAGE_CONNECTABLE : 0;
    HANDLE h = nullptr;
    DWORD r;
    if (res) {
      SystemResource sr(*res);
      r = ::WNetOpenEnumW(static_cast<DWORD>(scope), RESOURCETYPE_ANY, usage, &sr.nr, &h);
    } else {
      r = ::WNetOpenEnumW(static_cast<DWORD>(scope), RESOURCETYPE_ANY, usage, nullptr, &h);
    }
    if (r == NO_ERROR) m_enum = h;
    return Code(r);
  }

  std::uint32_t EnumNext(std::vector<NetResource>* out) override {
    if (!m_enum) return ERROR_INVALID_HANDLE;
    DWORD count = 0xFFFFFFFFu;  // as many as the buffer holds
    DWORD size = kEnumBufferBytes;
    const DWORD r = ::WNetEnumResourceW(m_enum, &count, m_buffer.get(), &size);
    if (r != NO_ERROR) return Code(r);
    const NETRESOURCEW* nr = reinterpret_cast<const NETRESOURCEW*>(m_buffer.get());
    const DWORD fits = kEnumBufferBytes / sizeof(NETRESOURCEW);
    for (DWORD i = 0; i < count && i < fits; ++i) {
      NetResource res;
      res.scope = nr[i].dwScope;
      res.type = nr[i].dwType;
      res.displayType = nr[i].dwDisplayType;
      res.usage = nr[i].dwUsage;
      res.localName = Narrow(nr[i].lpLocalName);
      res.remoteName = Narrow(nr[i].lpRemoteName);
      res.comment = Narrow(nr[i].lpComment);
      res.provider = Narrow(nr[i].lpProvider);
      out->push_back(std::move(res));
    }
    return 0;
  }

  void CloseEnum() override {
    if (m_enum) ::WNetCloseEnum(m_enum);
    m_enum = nullptr;
  }

  std::uint32_t CancelConnection(const std::string& remote, bool force) override {
    const std::u16string w = Wide(remote);
    return Code(::WNetCancelConnection2W(reinterpret_cast<const wchar_t*>(w.c_str()), 0, force ? TRUE : FALSE));
  }

  std::uint32_t AddConnection(const NetResource& res, const std::string& password, const std::string& user) override {
    SystemResource sr(res);
    std::u16string wu = Wide(user), wp = Wide(password);
    // No user: the logged-on user's login; a user without a password tries
    // the empty password.
    const wchar_t* u = user.empty() ? nullptr : reinterpret_cast<const wchar_t*>(wu.c_str());
    const wchar_t* p = user.empty() && password.empty() ? nullptr : reinterpret_cast<const wchar_t*>(wp.c_str());
    return Code(::WNetAddConnection2W(&sr.nr, p, u, CONNECT_UPDATE_PROFILE));
  }

 private:
  std::unique_ptr<std::uint64_t[]> m_buffer;  // 8-byte aligned: the records hold pointers
  HANDLE m_enum = nullptr;
};

}  // namespace

std::unique_ptr<NetworkHost> MakeSystemNetworkHost() { return std::make_unique<MprNetworkHost>(); }

}  // namespace flist
