// FTP site entries and the mapping of pseudo-drive paths against a fake
// connection, on random entries, paths and server trees: no crash, no read
// past the input, and
// - every folder change reaches the path's own site, after it was chosen;
// - server paths begin with "/", hold no "//" and end in "/" only as "/";
// - a refused folder leaves "/" current and, in mode 2, no name;
// - the scratch name of any path holds no separator, drive or "..";
// - entry fields, address parts and the address table keep their bounds.
//
// Input: NUL-separated texts: entry 1, entry 2, entry 3, the path, the
// server's folders (one a line), a control text (mode, which sites connect).
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "core/docsvc/address.h"
#include "core/docsvc/ftppath.h"
#include "core/docsvc/pathpart.h"

namespace {

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

void CheckServerPath(const std::string& p) {
  if (p.empty() || p[0] != '/') __builtin_trap();
  if (p.find("//") != std::string::npos) __builtin_trap();
  if (p.size() > 1 && p.back() == '/') __builtin_trap();
}

class Port : public docsvc::FtpFolderPort {
 public:
  std::set<std::string> folders;
  unsigned connectMask = 0;
  int served = 0;
  int expectedEntry = 0;
  std::string current = "/";
  std::string lastTarget;
  int changes = 0;

  bool UseEntry(int entry) override {
    if (entry < 1 || entry > 3 || entry != expectedEntry) __builtin_trap();
    if (!(connectMask & (1u << entry))) return false;
    served = entry;
    return true;
  }
  bool SetCurrentFolder(const CString& path) override {
    if (served == 0 || served != expectedEntry) __builtin_trap();
    CheckServerPath(path.Str());
    ++changes;
    lastTarget = path.Str();
    if (path.Str() != "/" && !folders.count(path.Str())) return false;
    current = path.Str();
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string parts[6];
  int k = 0;
  for (size_t i = 0; i < size && i < 6000; ++i) {
    if (data[i] == 0 && k < 5) {
      ++k;
      continue;
    }
    parts[k] += static_cast<char>(data[i]);
  }
  const CString entries[3] = {CString(parts[0]), CString(parts[1]), CString(parts[2])};
  const CString path(parts[3]);
  const int mode = parts[5].empty() ? 0 : static_cast<unsigned char>(parts[5][0]) % 4;
  Port port;
  port.connectMask = parts[5].size() > 1 ? static_cast<unsigned char>(parts[5][1]) : 0xFF;
  for (size_t b = 0, e; b <= parts[4].size(); b = e + 1) {
    e = parts[4].find('\n', b);
    if (e == std::string::npos) e = parts[4].size();
    port.folders.insert(parts[4].substr(b, e - b));
  }

  for (const CString& entry : entries) {
    for (int part = 0; part <= 4; ++part) {
      if (ParseFtpEntry(entry, part).GetLength() > entry.GetLength()) __builtin_trap();
    }
    CString host;
    int p = 0;
    if (docsvc::SplitFtpAddress(ParseFtpEntry(entry, 0), &host, &p) && (host.IsEmpty() || p < 1 || p > 65535))
      __builtin_trap();
  }

  const int entry = docsvc::FtpEntryOfPath(entries, path);
  port.expectedEntry = entry;
  const docsvc::FtpMapResult r = docsvc::MapFtpDrivePath(entries, path, mode, port);
  if (entry == 0 || !(port.connectMask & (1u << entry))) {
    if (!r.refused || !r.text.IsEmpty() || port.changes != 0) __builtin_trap();
  } else {
    const std::string full = docsvc::FtpServerPath(ParseFtpEntry(entries[entry - 1], 3), path).Str();
    CheckServerPath(full);
    if (r.refused) {
      if (port.current != "/" || port.lastTarget != "/") __builtin_trap();
      if (mode == 2 && !r.text.IsEmpty()) __builtin_trap();
    } else if (mode == 2) {
      if (full.substr(full.rfind('/') + 1) != r.text.Str()) __builtin_trap();
      if (port.current.size() > full.size()) __builtin_trap();
    } else {
      if (r.text.Str() != full) __builtin_trap();
      if (mode == 1 && port.current != full) __builtin_trap();
    }
  }

  const docsvc::FtpConnectPlan plan = docsvc::PlanFtpConnect(entries, path, static_cast<int>(size % 4), entries[0]);
  if (plan.result < -1 || plan.result > 1) __builtin_trap();
  if (plan.result == 1 && plan.host.IsEmpty()) __builtin_trap();

  // The scratch name never leaves the scratch folder.
  const std::string name = docsvc::FtpScratchName(path).Str();
  if (!name.empty()) {
    if (name.compare(0, 7, "Dorvik_") != 0 || name.size() > 7 + 200) __builtin_trap();
    if (name.find("..") != std::string::npos) __builtin_trap();
    for (size_t i = 0; i < name.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(name[i]);
      if (c == '/' || c == ':' || c < 0x20) __builtin_trap();  // never, not even after a lead byte
      if (IsLead(c) && i + 1 < name.size() && IsTrail(static_cast<unsigned char>(name[i + 1]))) {
        ++i;
        continue;
      }
      if (c == '\\') __builtin_trap();
    }
    if (name.back() == '.' || name.back() == ' ') __builtin_trap();
  }

  const docsvc::AddressPlan a = docsvc::ClassifyAddress(path, entries);
  if (a.kind == docsvc::AddressKind::kSide && (a.side < 0 || a.side > 2)) __builtin_trap();
  if (a.kind == docsvc::AddressKind::kFtpUrl && (a.port < 1 || a.port > 65535 || a.host.IsEmpty()))
    __builtin_trap();
  if ((a.kind == docsvc::AddressKind::kHttp || a.kind == docsvc::AddressKind::kHttps) &&
      (a.host.IsEmpty() || a.path.IsEmpty() || a.path.Find('#') >= 0))
    __builtin_trap();
  return 0;
}
