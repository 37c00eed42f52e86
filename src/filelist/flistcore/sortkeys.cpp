#include "filelist/flistcore/sortkeys.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "filelist/flistcore/entries.h"
#include "core/docsvc/sjis_state.h"
#include "fw/uihooks.h"

namespace flist {

namespace {

// Random orders place files only in lists below this many entries.
constexpr std::size_t kRandomLimit = 1000;

unsigned char Lowered(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c; }

int CompareText(const unsigned char* a, const unsigned char* b) {
  // Identical bytes are equal under any lowering.
  if (std::memcmp(a, b, kSortKeyCompared) == 0) return 0;
  bool fa = false, fb = false;
  for (int i = 0; i < kSortKeyCompared; ++i) {
    unsigned char x = a[i], y = b[i];
    if (!fa) x = Lowered(x);
    if (!fb) y = Lowered(y);
    if (x != y) return x > y ? 1 : -1;
    fa = !fa && IsSortLeadByte(x);
    fb = !fb && IsSortLeadByte(y);
  }
  return 0;
}

// Shift-JIS-aware lower-casing of a whole text (the document's rule).
std::string LowerSjis(const std::string& s) {
  return std::string(static_cast<const char*>(MakeLowerSjis(CString(s.c_str()))));
}

}  // namespace

std::uint64_t WorkEntry::WholeSize() const {
  if (!(sizeHigh & kSizeHighFile)) return static_cast<std::uint32_t>(size);
  return (static_cast<std::uint64_t>(sizeHigh & ~kSizeHighFile) << 32) | static_cast<std::uint32_t>(size);
}

bool IsSortLeadByte(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC); }

int CompareSortKeyAsc(const void* a, const void* b) {
  const int c = std::memcmp(a, b, kSortKeyCompared);
  return c > 0 ? 1 : c < 0 ? -1 : 0;
}
int CompareSortKeyDesc(const void* a, const void* b) { return -CompareSortKeyAsc(a, b); }
int CompareSortTextAsc(const void* a, const void* b) {
  return CompareText(static_cast<const unsigned char*>(a), static_cast<const unsigned char*>(b));
}
int CompareSortTextDesc(const void* a, const void* b) { return -CompareSortTextAsc(a, b); }

void KeyFromText(SortKeyRecord* key, const std::string& text) {
  std::memset(key->bytes, 0, kSortKeyText);
  // Up to and including the NUL, at most 251 bytes.
  std::size_t n = std::min<std::size_t>(std::strlen(text.c_str()), kSortKeyText);
  std::memcpy(key->bytes, text.data(), n);
}

void KeyFromNumber(SortKeyRecord* key, std::uint64_t value) {
  std::memset(key->bytes, 0, kSortKeyText);
  for (int i = 0; i < 8; ++i) key->bytes[i] = static_cast<unsigned char>(value >> (56 - 8 * i));
}

void KeyFromExtension(SortKeyRecord* key, const WorkEntry& e, int buildWork) {
  std::string k = LowerSjis(e.ext);
  while (k.size() < 5) k += ' ';
  char buf[32];
  buf[0] = 0;
  // The secondary texts are signed 32-bit values as the table holds them; a
  // file of 4 GiB and more counts as 0xFFFFFFFF bytes here.
  const std::uint64_t whole = e.WholeSize();
  const std::int32_t size32 = whole > 0xFFFFFFFFull ? -1 : static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
  const std::int32_t time32 = static_cast<std::int32_t>(e.time);
  const auto minus = [](std::int32_t x) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(1410065408) - static_cast<std::uint32_t>(x));
  };
  switch (buildWork) {
    case 1: std::snprintf(buf, sizeof buf, "%10d", size32); break;
    case 2: std::snprintf(buf, sizeof buf, "%10d", minus(size32)); break;
    case 3: std::snprintf(buf, sizeof buf, "%10d", minus(time32)); break;
    case 4: std::snprintf(buf, sizeof buf, "%10d", time32); break;
    case 5:
    case 6: k += std::string(e.name.c_str()); break;
    default: break;
  }
  k += buf;
  KeyFromText(key, k);
}

KeyComparator FileOrderComparator(unsigned sortMode) {
  switch (sortMode) {
    case 1: case 4: case 7: return CompareSortKeyAsc;
    case 2: case 3: case 8: return CompareSortKeyDesc;
    case 5: case 9: return CompareSortTextAsc;
    case 6: case 10: return CompareSortTextDesc;
    default: return nullptr;
  }
}

void BuildFileKey(SortKeyRecord* key, const WorkEntry& e, unsigned sortMode, int buildWork) {
  switch (sortMode) {
    case 1: case 2: KeyFromNumber(key, e.WholeSize()); break;
    case 3: case 4: KeyFromNumber(key, e.time); break;
    case 5: case 6: KeyFromText(key, e.name); break;
    case 7: case 8: KeyFromExtension(key, e, buildWork); break;
    case 9: case 10: KeyFromText(key, e.folder); break;
    default: std::memset(key->bytes, 0, kSortKeyText); break;
  }
}

namespace {

// The sort works on compact keys, not on 256-byte records. A record is
// compared over bytes 0-249 with memcmp; its text keys hold no NUL before
// their end and are NUL-padded, so comparing the record equals comparing
// the key's bytes up to its end (at most 250) with a shorter key first when
// one is the start of the other. Number keys are 8 bytes, all of one length.
// The first 16 bytes ride beside the key as two numbers, so most
// comparisons never reach the arena.
// The text comparators lower each record by its own bytes only (a byte's
// lead flag depends on the bytes before it in the same record), so the keys
// are lowered once and compared bytewise. Every comparison gives what the
// record comparator gives, and the sort starts from the same sequence, so
// equal keys end in the same places as with whole records.
constexpr std::size_t kHeadBytes = 16;

struct KeyRef {
  std::uint64_t head[2];  // bytes 0-15 as two big-endian words, NUL-padded
  std::uint32_t off;      // key bytes in the arena
  std::uint32_t posLen;  // work position << 8 | key length (<= 250)
  std::uint32_t Pos() const { return posLen >> 8; }
  std::uint32_t Len() const { return posLen & 0xFF; }
};

class KeyArena {
 public:
  explicit KeyArena(std::size_t keys) {
    bytes_.reserve(keys * kHeadBytes);
    refs_.reserve(keys);
  }
  // Appends the key of work position `pos` from `len` bytes (lowered for
  // the text comparators).
  void Add(std::uint32_t pos, const unsigned char* p, std::size_t len, bool lower) {
    if (len > static_cast<std::size_t>(kSortKeyCompared)) len = kSortKeyCompared;
    const std::size_t off = bytes_.size();
    bytes_.resize(off + len);
    unsigned char* out = bytes_.data() + off;
    unsigned char any = 0;
    for (std::size_t i = 0; lower && i < len; ++i) any |= p[i];
    if (lower && any < 0x80) {
      for (std::size_t i = 0; i < len; ++i) out[i] = Lowered(p[i]);  // ASCII: no lead bytes
    } else if (lower) {
      bool lead = false;
      for (std::size_t i = 0; i < len; ++i) {
        unsigned char c = p[i];
        if (!lead) c = Lowered(c);
        out[i] = c;
        lead = !lead && IsSortLeadByte(c);
      }
    } else if (len) {
      std::memcpy(out, p, len);
    }
    KeyRef r;
    unsigned char h[kHeadBytes] = {};
    if (len) std::memcpy(h, out, std::min(len, kHeadBytes));
    for (std::size_t w = 0; w < 2; ++w) {
      std::uint64_t v = 0;
      for (std::size_t i = 0; i < 8; ++i) v = (v << 8) | h[8 * w + i];
      r.head[w] = v;
    }
    r.off = static_cast<std::uint32_t>(off);
    r.posLen = pos << 8 | static_cast<std::uint32_t>(len);
    refs_.push_back(r);
  }
  // A text key: the bytes before the first NUL.
  void AddText(std::uint32_t pos, const std::string& s, bool lower) {
    const std::size_t n = std::min<std::size_t>(s.size(), kSortKeyText);
    const void* nul = std::memchr(s.data(), 0, n);
    const std::size_t len = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - s.data()) : n;
    Add(pos, reinterpret_cast<const unsigned char*>(s.data()), len, lower);
  }
  void AddNumber(std::uint32_t pos, std::uint64_t v) {
    unsigned char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(v >> (56 - 8 * i));
    Add(pos, b, 8, false);
  }
  // A key built as a whole record (the extension order): its text part.
  void AddRecord(std::uint32_t pos, const SortKeyRecord& k, bool lower) {
    const void* nul = std::memchr(k.bytes, 0, kSortKeyCompared);
    const std::size_t len = nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - k.bytes)
                                : static_cast<std::size_t>(kSortKeyCompared);
    Add(pos, k.bytes, len, lower);
  }

  // Orders the keys; returns the work positions.
  std::vector<std::uint32_t> Order(bool desc) {
    const unsigned char* base = bytes_.data();
    const auto keyCmp = [base](const KeyRef& a, const KeyRef& b) -> int {
      if (a.head[0] != b.head[0]) return a.head[0] < b.head[0] ? -1 : 1;
      if (a.head[1] != b.head[1]) return a.head[1] < b.head[1] ? -1 : 1;
      const std::uint32_t la = a.Len(), lb = b.Len();
      const std::uint32_t m = std::min(la, lb);
      if (m > kHeadBytes) {
        const int c = std::memcmp(base + a.off + kHeadBytes, base + b.off + kHeadBytes, m - kHeadBytes);
        if (c != 0) return c;
      }
      return la == lb ? 0 : la < lb ? -1 : 1;
    };
    const auto less = [&keyCmp, desc](const KeyRef& a, const KeyRef& b) {
      const int c = keyCmp(a, b);
      return desc ? c > 0 : c < 0;
    };
    std::sort(refs_.begin(), refs_.end(), less);
    std::vector<std::uint32_t> out;
    out.reserve(refs_.size());
    for (const KeyRef& r : refs_) out.push_back(r.Pos());
    return out;
  }

 private:
  std::vector<unsigned char> bytes_;
  std::vector<KeyRef> refs_;
};

bool IsTextComparator(KeyComparator cmp) { return cmp == CompareSortTextAsc || cmp == CompareSortTextDesc; }
bool IsDescending(KeyComparator cmp) { return cmp == CompareSortKeyDesc || cmp == CompareSortTextDesc; }

}  // namespace

Placing PlaceEntries(const std::vector<WorkEntry>& work, std::size_t count, const PlaceSettings& s) {
  Placing out;
  if (count > work.size()) count = work.size();
  if (count > static_cast<std::size_t>(kMaxWorkPosition) + 1) count = static_cast<std::size_t>(kMaxWorkPosition) + 1;
  out.foldersAfterFiles = (s.displayMode / 100) == 1;
  std::size_t folderCount = 0;
  for (std::size_t i = 2; i < count; ++i) folderCount += work[i].IsFolderLike() ? 1 : 0;
  const std::size_t fileCount = count < 2 ? 0 : count - 2 - folderCount;
  // Folders.
  const unsigned d = s.displayMode % 10;
  if (s.networkList) {
    out.folders.reserve(folderCount);
    for (std::size_t i = 2; i < count; ++i)
      if (work[i].IsFolderLike()) out.folders.push_back(static_cast<std::uint32_t>(i));
  } else if (folderCount > 0) {
    const KeyComparator cmp = d == 3 ? CompareSortKeyDesc
                              : d == 4 ? CompareSortKeyAsc
                              : (d == 0 || d == 6) ? CompareSortTextAsc
                                                   : CompareSortTextDesc;
    KeyArena keys(folderCount);
    for (std::size_t i = 2; i < count; ++i) {
      if (!work[i].IsFolderLike()) continue;
      const std::uint32_t pos = static_cast<std::uint32_t>(i);
      if (d == 3 || d == 4) keys.AddNumber(pos, work[i].time);
      else keys.AddText(pos, work[i].name, IsTextComparator(cmp));
    }
    out.folders = keys.Order(IsDescending(cmp));
  }
  // Files.
  const unsigned mode = s.sortMode;
  if (mode == 0) {
    for (std::size_t i = 2; i < count; ++i)
      if (!work[i].IsFolderLike()) out.files.push_back(static_cast<std::uint32_t>(i));
    return out;
  }
  if (mode == 51 || mode == 52) {
    if (count >= kRandomLimit) return out;
    // A permutation of the files' own positions, whatever order the reader
    // gave folders and files in.
    std::vector<std::uint32_t> files;
    for (std::size_t i = 2; i < count; ++i)
      if (!work[i].IsFolderLike()) files.push_back(static_cast<std::uint32_t>(i));
    for (std::size_t i = files.size(); i > 1; --i) {
      const std::uint32_t j = fw::hooks::RandomBelow(static_cast<std::uint32_t>(i));
      std::swap(files[i - 1], files[j]);
    }
    out.files = std::move(files);
    return out;
  }
  const KeyComparator cmp = FileOrderComparator(mode);
  if (!cmp || fileCount == 0) return out;  // an order the table does not list places no file
  const bool lower = IsTextComparator(cmp);
  KeyArena keys(fileCount);
  SortKeyRecord rec;
  for (std::size_t i = 2; i < count; ++i) {
    const WorkEntry& e = work[i];
    if (e.IsFolderLike()) continue;
    const std::uint32_t pos = static_cast<std::uint32_t>(i);
    switch (mode) {
      case 1: case 2: keys.AddNumber(pos, e.WholeSize()); break;
      case 3: case 4: keys.AddNumber(pos, e.time); break;
      case 5: case 6: keys.AddText(pos, e.name, lower); break;
      case 9: case 10: keys.AddText(pos, e.folder, lower); break;
      default:
        BuildFileKey(&rec, e, mode, s.buildWork);
        keys.AddRecord(pos, rec, lower);
        break;
    }
  }
  out.files = keys.Order(IsDescending(cmp));
  return out;
}

}  // namespace flist
