#include "fw/cmdtext.h"

#include <vector>

#include "fw/sjis.h"

namespace fw {

std::string PromptPart(const std::string& text) {
  std::size_t nl = text.find('\n');
  return nl == std::string::npos ? text : text.substr(0, nl);
}

std::string TooltipPart(const std::string& text) {
  std::size_t nl = text.find('\n');
  if (nl == std::string::npos) return std::string();
  std::string tip = text.substr(nl + 1);
  std::size_t next = tip.find('\n');  // a third part would be the caption's own
  return next == std::string::npos ? tip : tip.substr(0, next);
}

namespace {

// Offsets just after each separator ("\" or "/"), by whole characters.
std::vector<std::size_t> SeparatorEnds(const std::string& path) {
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < path.size();) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      i += 2;
      continue;
    }
    if (c == '\\' || c == '/') ends.push_back(i + 1);
    ++i;
  }
  return ends;
}

// The root that always stays: "C:\", "\\server\share\" or "\".
std::size_t RootLength(const std::string& path, const std::vector<std::size_t>& seps) {
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return 3;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return seps.size() >= 4 ? seps[3] : path.size();
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return 1;
  return 0;
}

std::string Abbreviate(const std::string& path, std::size_t maxBytes) {
  if (path.size() <= maxBytes) return path;
  const std::vector<std::size_t> seps = SeparatorEnds(path);
  if (seps.empty()) return path;
  const std::size_t root = RootLength(path, seps);
  const std::string head = path.substr(0, root) + "...\\";
  // Walk back over the folders while the rest still fits; the name always stays.
  std::size_t keepFrom = seps.back();
  for (std::size_t k = seps.size() - 1; k-- > 0;) {
    if (seps[k] <= root) break;
    if (head.size() + (path.size() - seps[k]) > maxBytes) break;
    keepFrom = seps[k];
  }
  if (keepFrom <= root) return path;
  return head + path.substr(keepFrom);
}

}  // namespace

std::string RecentFileCaption(int index, const std::string& path, std::size_t maxBytes) {
  std::string number = index < 9 ? "&" + std::to_string(index + 1) : std::to_string((index + 1) / 10) + "&" +
                                                                          std::to_string((index + 1) % 10);
  std::string shown;
  for (char c : Abbreviate(path, maxBytes)) {
    shown += c;
    if (c == '&') shown += '&';  // '&' is never a trail byte
  }
  return number + " " + shown;
}

}  // namespace fw
