#include "filelist/flistcore/netlevel.h"

#include "core/docsvc/pathpart.h"
#include "fw/sjis.h"

namespace flist {

namespace {

// Empty answers with success in a row after which an enumeration is taken
// as ended (a provider that keeps answering nothing would hold the pane).
constexpr int kEmptyAnswersAllowed = 16;

// Position of the last single-byte "\" of a Shift-JIS text, or npos.
std::size_t LastBackslash(const std::string& s) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < s.size();) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == '\\') found = i;
    ++i;
  }
  return found;
}

void Enumerate(NetworkHost& host, NetLevelRead* out) {
  out->kind = NetLevelRead::Kind::kListed;
  int empty = 0;
  for (;;) {
    std::vector<NetResource> got;
    const std::uint32_t r = host.EnumNext(&got);
    if (r != 0) break;
    if (got.empty()) {
      if (++empty >= kEmptyAnswersAllowed) break;
      continue;
    }
    empty = 0;
    for (NetResource& res : got) {
      if (static_cast<int>(out->resources.size()) >= kNetMaxResources) break;
      out->resources.push_back(std::move(res));
    }
    if (static_cast<int>(out->resources.size()) >= kNetMaxResources) break;
  }
  host.CloseEnum();
}

}  // namespace

bool NetLevels::Push(const NetLevel& next) {
  if (depth < 0) depth = 0;
  if (depth >= kNetDeepestLevel) return false;
  ++depth;
  level[depth] = next;
  return true;
}

const NetLevel* NetLevels::Back() {
  if (depth <= 1) {
    depth = 0;
    return nullptr;
  }
  --depth;
  return &level[depth];
}

std::string NetShownName(const std::string& remote) {
  std::string name = remote;
  const std::size_t p = LastBackslash(remote);
  if (p != std::string::npos && p > 3 && p + 1 < remote.size()) name = remote.substr(p + 1);
  if (name.compare(0, 2, "\\\\") == 0) name = name.substr(2);
  return name;
}

NetLogin NetEntryLogin(const std::vector<std::string>& entries, const std::string& curDir) {
  NetLogin login;
  if (curDir.empty()) return login;
  for (const std::string& e : entries) {
    if (e.empty() || e[0] != curDir[0]) continue;
    // The fields as the entries dialog reads them: each runs to the next marker.
    login.user = ParseFtpEntry(CString(e), 1).Str();
    login.password = ParseFtpEntry(CString(e), 2).Str();
    break;
  }
  return login;
}

std::string NetEntryRemote(const std::string& entry) {
  const std::size_t slash = entry.find('/');
  if (slash == std::string::npos) return std::string();
  const std::size_t semi = entry.find(';', slash + 1);
  const std::string path = entry.substr(slash + 1, semi == std::string::npos ? std::string::npos : semi - slash - 1);
  if (path.empty()) return std::string();
  return "\\\\" + path;
}

NetLevelRead ReadNetworkLevel(NetworkHost& host, const NetResource* cur, const NetLogin& login,
                              const NetLoginAsk& ask) {
  NetLevelRead out;
  if (!cur) {
    if (host.OpenEnum(kNetScopeContext, nullptr) == 0) Enumerate(host, &out);
    return out;
  }
  std::uint32_t r = host.OpenEnum(kNetScopeGlobal, cur);
  if (r == 0) {
    Enumerate(host, &out);
    return out;
  }
  if (r == kNetNotContainer) {
    if (host.OpenEnum(kNetScopeGlobal, cur) == 0) host.CloseEnum();
    return out;  // listed as its UNC folder
  }
  NetResource res = *cur;
  bool connected = false;
  if (r == kNetBadParameter) {
    host.CancelConnection(res.remoteName, true);
    res.type = 0;  // RESOURCETYPE_ANY
    r = host.AddConnection(res, login.password, login.user);
    connected = r == 0;
  }
  if (r != 0 && r != kNetNotContainer) {
    std::string user = login.user, password = login.password;
    if (user.empty() || password.empty()) {
      password.clear();
      if (!ask || !ask(&user, &password)) {
        out.kind = NetLevelRead::Kind::kCancelled;
        return out;
      }
    }
    res.type = 0;
    r = host.AddConnection(res, password, user);
    connected = r == 0;
  }
  if (!connected) return out;
  if (host.OpenEnum(kNetScopeGlobal, cur) == 0) Enumerate(host, &out);
  return out;
}

}  // namespace flist
