#include "archive/arc_path.h"

namespace arc {

namespace {
// Every Shift-JIS lead byte of code page 932, the NEC and IBM extension rows
// (0xED-0xEE, 0xFA-0xFC) included.
bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

std::vector<char> LeadByteMask(const std::string& text) {
  std::vector<char> mask(text.size(), 0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLead(static_cast<unsigned char>(text[i]))) {
      mask[i] = 1;
      if (i + 1 < text.size()) mask[++i] = 1;
    }
  }
  return mask;
}

std::string FolderPart(const std::string& text) {
  std::vector<char> mask = LeadByteMask(text);
  for (size_t i = text.size(); i-- > 0;)
    if (text[i] == '/' && !mask[i]) return text.substr(0, i);
  return std::string();
}

std::string SlashForm(const std::string& text) {
  std::vector<char> mask = LeadByteMask(text);
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] == '\\' && !mask[i]) out[i] = '/';
  return out;
}

std::string PathForm(const std::string& text) {
  if (text.empty()) return text;
  std::vector<char> mask = LeadByteMask(text);
  std::string out = SlashForm(text);
  if (!(out.back() == '/' && !mask.back())) out += '/';
  return out;
}

bool IsSafeMemberPath(const std::string& path) {
  std::string p = SlashForm(path);
  if (p.empty() || p[0] == '/') return false;
  if (p.size() >= 2 && p[1] == ':') return false;
  std::vector<char> mask = LeadByteMask(p);
  size_t start = 0;
  for (size_t i = 0; i <= p.size(); ++i) {
    if (i == p.size() || (p[i] == '/' && !mask[i])) {
      if (p.compare(start, i - start, "..") == 0 && i - start == 2) return false;
      start = i + 1;
    }
  }
  return true;
}

}  // namespace arc
