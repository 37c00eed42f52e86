// The Windows network as levels of the file list: the stack of levels the
// pane has descended ("NW:" at the root), the name a resource is shown by,
// the logins of the network-drive entries, and the reading of one level
// through a NetworkHost (the product's host calls mpr; tests script one,
// since Wine has no network provider). Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace flist {

constexpr int kNetLevelSlots = 50;    // the stack's entries
constexpr int kNetDeepestLevel = 49;  // a push from here is refused
constexpr int kNetMaxResources = 500;
constexpr int kNetScopeGlobal = 2;    // RESOURCE_GLOBALNET
constexpr int kNetScopeContext = 5;   // RESOURCE_CONTEXT: the network root
constexpr std::uint32_t kNetEnumDone = 259;  // ERROR_NO_MORE_ITEMS
constexpr std::uint32_t kNetNotContainer = 8;
constexpr std::uint32_t kNetBadParameter = 87;

// A resource as the platform describes it (strings Shift-JIS).
struct NetResource {
  std::uint32_t scope = 0, type = 0, displayType = 0, usage = 0;
  std::string localName, remoteName, comment, provider;
};

// One level of the stack: what descending into it recorded.
struct NetLevel {
  std::string remote;
  std::string provider;
  std::uint32_t usage = 0;
};

// The levels below "NW:". depth 0 is the root; levels 1-49 hold the
// resources descended into. Nothing reads or writes outside the 50 slots.
struct NetLevels {
  int depth = 0;
  NetLevel level[kNetLevelSlots];

  // Descends into `next` (depth + 1). False, nothing changed, at depth 49.
  bool Push(const NetLevel& next);
  // Goes back one level: the level to list now, or null for the network root
  // (from depth 0 or 1; the depth is then 0).
  const NetLevel* Back();
};

// The name a resource is shown by: the remote name's part after its last
// "\" (when that "\" stands after position 3 and is not the last character),
// else the whole remote name, without a leading "\\".
std::string NetShownName(const std::string& remote);

// The login of a network-drive path "J:+...": the first of the entries
// ("ntwJ".."ntwQ" texts) beginning with the path's first character gives the
// user (after ";USER=") and the password (after ";PWRD="), each running to
// the next marker as ParseFtpEntry reads them.
struct NetLogin {
  std::string user;
  std::string password;
};
NetLogin NetEntryLogin(const std::vector<std::string>& entries, const std::string& curDir);

// The network path of a "+" drive-list row's entry: "\\" + the entry's text
// between its first "/" and the ";" after it; "" when there is none.
std::string NetEntryRemote(const std::string& entry);

// The usage bits of a resource (RESOURCEUSAGE_*).
constexpr std::uint32_t kNetUsageConnectable = 1;
constexpr std::uint32_t kNetUsageContainer = 2;

// The resource a level stands for when it is read again (going back to it,
// or a level made from a path or an entry): global scope, any type, the
// level's remote name, provider and usage.
NetResource NetLevelResource(const NetLevel& level);

// The name a level takes in the pane's folder text: the remote name's last
// component (after its last "\" at a character boundary, trailing "\"
// dropped); "?" when nothing is left, so every level is one component.
std::string NetPathComponent(const std::string& remote);
// The pane's folder text of the levels held: "NW:" at the root, else
// "NW:" and "\" + NetPathComponent of each level 1..depth.
std::string NetPathText(const NetLevels& levels);

// The system-file slots of the twelve network-drive entries, in order
// (J:-Q: 31-38, R:-U: 40-43).
constexpr int kNetEntrySlots[12] = {31, 32, 33, 34, 35, 36, 37, 38, 40, 41, 42, 43};
// The slot of the first non-empty network entry whose first character is
// `letter`, or -1.
int NetEntrySlotOf(const std::string* sysValue, char letter);

// Where a folder change of the pane lands when the network is involved:
// while it lists a network level, from a UNC folder ("\\server\share..."),
// or to "NW:" or a UNC server root. `mode` as the pane's folder change
// (0 up from `curDir`, 1 to `path`, 2 the drive list).
struct NetMove {
  enum class Kind {
    kNone,       // not a network move: the local steps go on
    kDriveList,  // up from the network root
    kRoot,       // the network root, afresh
    kLevel,      // level `depth` of the stack held (0: the root)
    kServer,     // a fresh first level for `server` ("\\name")
  } kind = Kind::kNone;
  int depth = 0;
  std::string server;
};
NetMove PlanNetworkMove(const NetLevels& levels, bool networkList, const std::string& curDir,
                        const std::string& path, int mode);

// The folder a folder that cannot be entered is retried as: its text cut at
// the last "\" or "/" (position returned), or -1 when there is no retry (no "\"
// past the first character, or a UNC path that would lose its share:
// "\\srv\share" is never cut to "\\srv").
int FolderRetryCut(const std::string& dir);

// The platform's network functions (WNetOpenEnum and the rest); results are
// the system's error codes (0 success).
class NetworkHost {
 public:
  virtual ~NetworkHost() = default;
  // Opens the enumeration of `res` (null: the network root) with `scope`.
  virtual std::uint32_t OpenEnum(int scope, const NetResource* res) = 0;
  // The next resources of the open enumeration (appended to `out`): 0 with
  // or without resources, kNetEnumDone at the end, another code on a failure.
  virtual std::uint32_t EnumNext(std::vector<NetResource>* out) = 0;
  virtual void CloseEnum() = 0;
  virtual std::uint32_t CancelConnection(const std::string& remote, bool force) = 0;
  virtual std::uint32_t AddConnection(const NetResource& res, const std::string& password, const std::string& user) = 0;
};

// Asks for a user and password (dialog 172): `user` holds the entry's user
// on entry; false when the user cancels.
using NetLoginAsk = std::function<bool(std::string* user, std::string* password)>;

struct NetLevelRead {
  enum class Kind { kListed, kFolder, kCancelled } kind = Kind::kFolder;
  std::vector<NetResource> resources;  // kListed: at most 500, in the order returned
};

// Reads the level of `cur` (null: the network root, one enumeration of
// scope 5): a level that asks for a connection (87) is connected with the
// entry's login, a failed connection asks for one (unless the entry gave
// both), a level that cannot be enumerated (8, or a failed connection) is
// kFolder (listed as its UNC folder), Cancel gives kCancelled.
NetLevelRead ReadNetworkLevel(NetworkHost& host, const NetResource* cur, const NetLogin& login, const NetLoginAsk& ask);

}  // namespace flist
