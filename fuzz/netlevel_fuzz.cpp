// Network levels on random input: the shown name of a remote name, the
// login and path of a network-drive entry, and the level stack under a
// random sequence of pushes and backs. No crash, and
// - the shown name is a tail of the remote name without a leading "\\";
// - the entry's path is "" or starts with "\\";
// - the stack's depth stays within 0-49;
// - the folder text of the stack has one component per level;
// - a folder change plans a level within the stack, a server "\\name";
// - the retry of a folder cuts at one of its own separators, never a
//   UNC share down to its server.
//
// Input: the text; its bytes also drive the stack (even push, odd back).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "filelist/flistcore/netlevel.h"
#include "fw/sjis.h"

namespace {

// Separators of a text at character boundaries.
int Separators(const std::string& s) {
  int n = 0;
  for (std::size_t i = 0; i < s.size();) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == '\\') ++n;
    ++i;
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4000) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string shown = flist::NetShownName(text);
  if (shown.size() > text.size()) __builtin_trap();
  if (text.compare(text.size() - shown.size(), shown.size(), shown) != 0 &&
      text.compare(2, std::string::npos, shown) != 0)
    __builtin_trap();
  const std::string remote = flist::NetEntryRemote(text);
  if (!remote.empty() && remote.compare(0, 2, "\\\\") != 0) __builtin_trap();
  const flist::NetLogin login = flist::NetEntryLogin(std::vector<std::string>{text}, text);
  if (login.user.size() + login.password.size() > text.size()) __builtin_trap();

  flist::NetLevels s;
  for (unsigned char c : text) {
    if (c & 1) {
      const flist::NetLevel* l = s.Back();
      if ((l == nullptr) != (s.depth == 0)) __builtin_trap();
    } else {
      const int before = s.depth;
      const bool pushed = s.Push(flist::NetLevel{text.substr(0, c), "", c});
      if (pushed != (before < flist::kNetDeepestLevel)) __builtin_trap();
    }
    if (s.depth < 0 || s.depth > flist::kNetDeepestLevel) __builtin_trap();
  }
  if (Separators(flist::NetPathText(s)) != s.depth) __builtin_trap();
  const std::string half = text.substr(0, text.size() / 2), rest = text.substr(text.size() / 2);
  for (int mode = 0; mode <= 2; ++mode) {
    for (bool networkList : {false, true}) {
      const flist::NetMove m = flist::PlanNetworkMove(s, networkList, half, rest, mode);
      if (m.depth < 0 || m.depth > s.depth) __builtin_trap();
      if (m.kind == flist::NetMove::Kind::kServer &&
          (m.server.compare(0, 2, "\\\\") != 0 || Separators(m.server) != 2))
        __builtin_trap();
    }
  }
  const int cut = flist::FolderRetryCut(text);
  if (cut >= 0) {
    if (cut == 0 || cut >= static_cast<int>(text.size())) __builtin_trap();
    if (text[static_cast<std::size_t>(cut)] != '\\' && text[static_cast<std::size_t>(cut)] != '/') __builtin_trap();
  }
  return 0;
}
