#include "archive/arc_names.h"

#include <cstdint>
#include <vector>

#include "fw/codepage.h"
#include "fw/sjis.h"

namespace arc {
namespace {

bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Length of the UTF-8 sequence at p[i] and its code point; 0 when it is bad.
int Utf8At(const std::string& s, size_t i, uint32_t* cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    *cp = c;
    return 1;
  }
  int n;
  uint32_t v, min;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, v = c & 0x1F, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, v = c & 0x0F, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, v = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + static_cast<size_t>(n) > s.size()) return 0;
  for (int k = 1; k < n; ++k) {
    unsigned char t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((t & 0xC0) != 0x80) return 0;
    v = v << 6 | (t & 0x3F);
  }
  if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *cp = v;
  return n;
}

// The kana that U+3099 (voiced mark) turns into its voiced form (code + 1).
bool TakesVoicedMark(uint32_t c) {
  static const uint16_t kBase[] = {0x304B, 0x304D, 0x304F, 0x3051, 0x3053, 0x3055, 0x3057, 0x3059,
                                   0x305B, 0x305D, 0x305F, 0x3061, 0x3064, 0x3066, 0x3068, 0x306F,
                                   0x3072, 0x3075, 0x3078, 0x307B, 0x309D};
  uint32_t h = (c >= 0x30A0 && c <= 0x30FF) ? c - 0x60 : c;
  if (c == 0x30FD) return true;  // katakana iteration mark
  for (uint16_t b : kBase)
    if (h == b) return true;
  return false;
}

bool TakesSemiVoicedMark(uint32_t c) {
  uint32_t h = (c >= 0x30A0 && c <= 0x30FF) ? c - 0x60 : c;
  return h == 0x306F || h == 0x3072 || h == 0x3075 || h == 0x3078 || h == 0x307B;
}

// The voiced form of a kana with U+3099, or 0.
uint32_t Voiced(uint32_t c) {
  if (c == 0x3046) return 0x3094;  // u
  if (c == 0x30A6) return 0x30F4;  // U
  if (c == 0x30EF) return 0x30F7;  // WA
  if (c == 0x30F0) return 0x30F8;
  if (c == 0x30F1) return 0x30F9;
  if (c == 0x30F2) return 0x30FA;
  return TakesVoicedMark(c) ? c + 1 : 0;
}

void AppendCp932(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
    return;
  }
  if (cp > 0xFFFF) {
    out += '_';
    return;
  }
  char16_t u = static_cast<char16_t>(cp);
  std::string s = fw::Utf16ToCp932(&u, 1);
  if (s.empty() || s == "?") {
    out += '_';
    return;
  }
  out += s;
}

bool IsDeviceName(const std::string& comp) {
  std::string base = comp.substr(0, comp.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0))
    return base[3] >= '1' && base[3] <= '9';
  return false;
}

}  // namespace

bool IsValidSjis(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
    if (!fw::IsSjisLeadByte(c)) return false;
    if (i + 1 >= s.size() || !IsTrail(static_cast<unsigned char>(s[i + 1]))) return false;
    ++i;
  }
  return true;
}

bool IsValidUtf8(const std::string& s, bool* multiByte) {
  bool multi = false;
  for (size_t i = 0; i < s.size();) {
    uint32_t cp;
    int n = Utf8At(s, i, &cp);
    if (n == 0) return false;
    if (n > 1) multi = true;
    i += static_cast<size_t>(n);
  }
  if (multiByte) *multiByte = multi;
  return true;
}

std::string MemberNameToSjis(const std::string& raw, bool utf8Flag, bool utf8Mode) {
  bool asUtf8 = utf8Flag || utf8Mode;
  if (!asUtf8 && !IsValidSjis(raw)) {
    bool multi = false;
    asUtf8 = IsValidUtf8(raw, &multi) && multi;
  }
  if (!asUtf8) return raw;
  // Code points first (a bad byte stays as a byte of its own), then the sound
  // marks joined, then code page 932.
  std::vector<uint32_t> cps;
  std::vector<bool> rawByte;
  for (size_t i = 0; i < raw.size();) {
    uint32_t cp;
    int n = Utf8At(raw, i, &cp);
    if (n == 0) {
      cps.push_back(static_cast<unsigned char>(raw[i]));
      rawByte.push_back(true);
      ++i;
      continue;
    }
    if ((cp == 0x3099 || cp == 0x309A) && !cps.empty() && !rawByte.back()) {
      uint32_t joined = cp == 0x3099 ? Voiced(cps.back()) : (TakesSemiVoicedMark(cps.back()) ? cps.back() + 2 : 0);
      if (joined != 0) {
        cps.back() = joined;
        i += static_cast<size_t>(n);
        continue;
      }
    }
    cps.push_back(cp);
    rawByte.push_back(false);
    i += static_cast<size_t>(n);
  }
  std::string out;
  for (size_t k = 0; k < cps.size(); ++k) {
    if (rawByte[k])
      out += static_cast<char>(cps[k]);
    else
      AppendCp932(cps[k], out);
  }
  return out;
}

NameCheck SafeMemberPath(const std::string& raw, std::string* out, bool* isFolder) {
  // A lead byte without a valid trail byte becomes '_' first, so that every
  // later step (and the system's own conversion) sees the same characters.
  std::string name = raw;
  for (size_t i = 0; i < name.size(); ++i) {
    if (!fw::IsSjisLeadByte(static_cast<unsigned char>(name[i]))) continue;
    if (i + 1 < name.size() && IsTrail(static_cast<unsigned char>(name[i + 1]))) {
      ++i;
      continue;
    }
    name[i] = '_';
  }
  // Split into components at unflagged separators.
  std::vector<std::string> comps;
  std::string cur;
  bool endsInSep = false;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < name.size()) {
      cur += name[i];
      cur += name[++i];
      endsInSep = false;
      continue;
    }
    if (c == '/' || c == '\\') {
      comps.push_back(cur);
      cur.clear();
      endsInSep = true;
      continue;
    }
    cur += name[i];
    endsInSep = false;
  }
  comps.push_back(cur);
  // A drive at the start ("C:x", "C:\x"): drop the letter and colon.
  if (!comps.empty()) {
    std::string& first = comps.front();
    if (first.size() >= 2 && first[1] == ':' &&
        ((first[0] >= 'A' && first[0] <= 'Z') || (first[0] >= 'a' && first[0] <= 'z')))
      first.erase(0, 2);
  }
  std::string path;
  for (std::string comp : comps) {
    if (comp == "..") return NameCheck::kParent;
    // Characters no Windows name may hold.
    for (size_t i = 0; i < comp.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(comp[i]);
      if (fw::IsSjisLeadByte(c) && i + 1 < comp.size()) {
        ++i;
        continue;
      }
      if (c < 0x20 || c == ':' || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
        comp[i] = '_';
    }
    // Trailing dots and blanks (both below 0x40: never a trail byte).
    while (!comp.empty() && (comp.back() == '.' || comp.back() == ' ')) comp.pop_back();
    if (comp.empty()) continue;
    if (IsDeviceName(comp)) comp.insert(comp.begin(), '_');
    if (!path.empty()) path += '\\';
    path += comp;
  }
  if (isFolder) *isFolder = endsInSep;
  if (out) *out = path;
  return path.empty() ? NameCheck::kEmpty : NameCheck::kOk;
}

}  // namespace arc
