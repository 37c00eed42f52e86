#include "core/crypto/encname.h"

#include <vector>

namespace crypto {
namespace {

constexpr size_t kMarkerLen = 4;  // both markers are four ASCII characters

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The last file-name component of a path, split at character boundaries (a
// "\" or "." that is the trail byte of a double-byte character does not count).
struct NameParts {
  size_t nameStart = 0;              // first byte after the last "\"
  size_t dot = std::string::npos;    // last "." of the name, or npos
  std::vector<bool> charStart;       // charStart[i]: a character starts at byte i
};

NameParts SplitName(const std::string& path) {
  NameParts p;
  p.charStart.assign(path.size() + 1, false);
  size_t i = 0;
  while (i < path.size()) {
    p.charStart[i] = true;
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\') {
      p.nameStart = i + 1;
      p.dot = std::string::npos;
    } else if (c == '.') {
      p.dot = i;
    }
    i += (IsLeadByte(c) && i + 1 < path.size()) ? 2 : 1;
  }
  p.charStart[path.size()] = true;
  return p;
}

bool MarkerAt(const std::string& path, size_t pos, const char* marker) {
  return pos + kMarkerLen <= path.size() && path.compare(pos, kMarkerLen, marker) == 0;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool EqualAsciiNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

std::string DisplayToStored(const std::string& path, const std::string& keyCode,
                            NameCipherStatus* status) {
  const NameParts p = SplitName(path);
  const size_t stemEnd = p.dot == std::string::npos ? path.size() : p.dot;
  // "@Enc" ends the stem, begins on a character, and leaves a base name of
  // at least one character in front of it.
  if (stemEnd < p.nameStart + 1 + kMarkerLen) return path;
  const size_t markerPos = stemEnd - kMarkerLen;
  if (!p.charStart[markerPos] || !MarkerAt(path, markerPos, kDisplayNameMarker)) return path;
  const std::string base = path.substr(p.nameStart, markerPos - p.nameStart);
  if (base.find('\0') != std::string::npos) return path;  // no file has such a name
  const NameCipherResult r = CipherName(base, 0, keyCode);
  if (!r.ok()) {
    *status = r.status;
    return path;
  }
  return path.substr(0, p.nameStart) + kStoredNameMarker + r.text + path.substr(stemEnd);
}

std::string StoredToDisplay(const std::string& path, const std::string& keyCode,
                            NameCipherStatus* status) {
  const NameParts p = SplitName(path);
  if (!MarkerAt(path, p.nameStart, kStoredNameMarker)) return path;
  const size_t partStart = p.nameStart + kMarkerLen;
  const size_t partEnd =
      (p.dot == std::string::npos || p.dot < partStart) ? path.size() : p.dot;
  const NameCipherResult r = CipherName(path.substr(partStart, partEnd - partStart), 1, keyCode);
  if (!r.ok()) {
    *status = r.status;
    return path;
  }
  std::string display =
      path.substr(0, p.nameStart) + r.text + kDisplayNameMarker + path.substr(partEnd);
  // Show the display form only when it leads back to this very file: a
  // deciphered name holding "\" or NUL, a "." when there is no extension, or
  // ending in a lone lead byte would not, and stays in its stored form.
  NameCipherStatus back = NameCipherStatus::kOk;
  if (!EqualAsciiNoCase(DisplayToStored(display, keyCode, &back), path)) {
    *status = NameCipherStatus::kNotDecipherable;
    return path;
  }
  return display;
}

}  // namespace

std::string TranslateEncryptedName(const std::string& path, int mode, const std::string& keyCode,
                                   NameCipherStatus* status) {
  NameCipherStatus local = NameCipherStatus::kOk;
  if (!status) status = &local;
  *status = NameCipherStatus::kOk;
  if (mode == 0) return DisplayToStored(path, keyCode, status);
  if (mode == 1) return StoredToDisplay(path, keyCode, status);
  return path;
}

}  // namespace crypto
