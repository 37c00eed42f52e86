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

namespace {

// The components of a path after its leading "\\" (or after "NW:"): the
// texts between separators at character boundaries, empty ones left out.
std::vector<std::string> Components(const std::string& s, std::size_t from) {
  std::vector<std::string> out;
  std::string cur;
  for (std::size_t i = from; i < s.size();) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      cur.append(s, i, 2);
      i += 2;
      continue;
    }
    if (s[i] == '\\') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += s[i];
    }
    ++i;
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

bool IsUnc(const std::string& s) { return s.compare(0, 2, "\\\\") == 0; }
bool IsNetworkText(const std::string& s) { return s.compare(0, 3, "NW:") == 0; }

// "\\a\b" from the first `n` components.
std::string UncOf(const std::vector<std::string>& parts, std::size_t n) {
  std::string r = "\\";
  for (std::size_t i = 0; i < n && i < parts.size(); ++i) r += "\\" + parts[i];
  return r;
}

// Remote names compared as the system does: ASCII letters of single-byte
// characters without case, a trailing "\" not counted.
bool SameRemote(const std::string& a, const std::string& b) {
  if (!IsUnc(a) || !IsUnc(b)) return a == b;
  const std::vector<std::string> pa = Components(a, 2), pb = Components(b, 2);
  if (pa.size() != pb.size()) return false;
  for (std::size_t k = 0; k < pa.size(); ++k) {
    const std::string &x = pa[k], &y = pb[k];
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(x[i]), d = static_cast<unsigned char>(y[i]);
      if (fw::IsSjisLeadByte(c) && i + 1 < x.size()) {
        if (c != d || x[i + 1] != y[i + 1]) return false;
        ++i;
        continue;
      }
      const auto fold = [](unsigned char ch) { return ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch; };
      if (fold(c) != fold(d)) return false;
    }
  }
  return true;
}

// The highest level (1..depth) holding `remote`, or 0.
int FindLevel(const NetLevels& levels, const std::string& remote) {
  const int top = levels.depth < kNetLevelSlots ? levels.depth : kNetLevelSlots - 1;
  for (int i = top; i >= 1; --i)
    if (SameRemote(levels.level[i].remote, remote)) return i;
  return 0;
}

NetMove Move(NetMove::Kind kind, int depth = 0, const std::string& server = std::string()) {
  NetMove m;
  m.kind = kind;
  m.depth = depth;
  m.server = server;
  return m;
}

}  // namespace

NetResource NetLevelResource(const NetLevel& level) {
  NetResource r;
  r.scope = kNetScopeGlobal;
  r.type = 0;
  r.usage = level.usage;
  r.remoteName = level.remote;
  r.provider = level.provider;
  return r;
}

std::string NetPathComponent(const std::string& remote) {
  const std::vector<std::string> parts = Components(remote, 0);
  if (parts.empty()) return "?";
  std::string c = parts.back();
  // A lead byte left alone at the end would take the "\" after it in the
  // folder text as its trail byte.
  std::size_t last = 0;
  for (std::size_t k = 0; k < c.size();) {
    last = k;
    k += fw::IsSjisLeadByte(static_cast<unsigned char>(c[k])) && k + 1 < c.size() ? 2 : 1;
  }
  if (fw::IsSjisLeadByte(static_cast<unsigned char>(c[last])) && last + 1 == c.size()) c.pop_back();
  return c.empty() ? std::string("?") : c;
}

std::string NetPathText(const NetLevels& levels) {
  std::string t = "NW:";
  const int top = levels.depth < kNetLevelSlots ? levels.depth : kNetLevelSlots - 1;
  for (int i = 1; i <= top; ++i) t += "\\" + NetPathComponent(levels.level[i].remote);
  return t;
}

int NetEntrySlotOf(const std::string* sysValue, char letter) {
  for (int slot : kNetEntrySlots)
    if (!sysValue[slot].empty() && sysValue[slot][0] == letter) return slot;
  return -1;
}

NetMove PlanNetworkMove(const NetLevels& levels, bool networkList, const std::string& curDir,
                        const std::string& path, int mode) {
  using K = NetMove::Kind;
  const int depth = levels.depth < 0 ? 0 : levels.depth >= kNetLevelSlots ? kNetLevelSlots - 1 : levels.depth;
  if (mode == 1) {
    if (IsNetworkText(path)) {
      if (!networkList && depth == 0) return Move(K::kRoot);
      // A level named by its folder text: as many levels as it has
      // components, never more than are held.
      int k = static_cast<int>(Components(path, 3).size());
      if (k > depth) k = depth;
      return Move(K::kLevel, k);
    }
    if (!IsUnc(path)) return Move(K::kNone);
    const std::vector<std::string> parts = Components(path, 2);
    if (parts.empty()) return Move(K::kRoot);
    if (parts.size() > 1) return Move(K::kNone);
    const std::string server = UncOf(parts, 1);
    const int i = FindLevel(levels, server);
    return i > 0 ? Move(K::kLevel, i) : Move(K::kServer, 0, server);
  }
  if (mode != 0) return Move(K::kNone);
  if (networkList) return depth == 0 ? Move(K::kDriveList) : Move(K::kLevel, depth - 1);
  if (IsNetworkText(curDir)) return Move(K::kRoot);
  if (!IsUnc(curDir)) return Move(K::kNone);
  const std::vector<std::string> parts = Components(curDir, 2);
  if (parts.size() >= 3) return Move(K::kNone);  // a folder of a share: its parent folder
  if (parts.empty()) return Move(K::kRoot);
  // Up from a share's root or a server: the level above the one it was
  // entered from, when the stack holds it.
  const int i = FindLevel(levels, UncOf(parts, parts.size()));
  if (i > 0) return Move(K::kLevel, i - 1);
  if (parts.size() == 2) {
    const int j = FindLevel(levels, UncOf(parts, 1));
    if (j > 0) return Move(K::kLevel, j);
  }
  if (depth > 0) return Move(K::kLevel, depth);
  return parts.size() == 2 ? Move(K::kServer, 0, UncOf(parts, 1)) : Move(K::kRoot);
}

int FolderRetryCut(const std::string& dir) {
  // The last separator ("\" or "/") at a character boundary.
  std::size_t pos = std::string::npos;
  for (std::size_t i = 0; i < dir.size();) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(dir[i])) && i + 1 < dir.size()) {
      i += 2;
      continue;
    }
    if (dir[i] == '\\' || dir[i] == '/') pos = i;
    ++i;
  }
  if (pos == std::string::npos || pos == 0) return -1;
  if (IsUnc(dir) && Components(dir.substr(0, pos), 2).size() < 2) return -1;
  return static_cast<int>(pos);
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
