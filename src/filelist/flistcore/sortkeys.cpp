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

// The text comparators lower each record by its own bytes only (a byte's
// lead flag depends on the bytes before it in the same record), so
// comparing the lowered copies bytewise gives the same order. The sort
// lowers every key once and compares with memcmp; it moves 4-byte indexes,
// not 256-byte records.
void LowerForText(SortKeyRecord& k) {
  bool lead = false;
  for (int i = 0; i < kSortKeyCompared; ++i) {
    unsigned char c = k.bytes[i];
    if (!lead) c = Lowered(c);
    k.bytes[i] = c;
    lead = !lead && IsSortLeadByte(c);
  }
}

void SortKeys(std::vector<SortKeyRecord>& keys, KeyComparator cmp) {
  const bool text = cmp == CompareSortTextAsc || cmp == CompareSortTextDesc;
  const bool desc = cmp == CompareSortKeyDesc || cmp == CompareSortTextDesc;
  if (text)
    for (SortKeyRecord& k : keys) LowerForText(k);
  std::vector<std::uint32_t> idx(keys.size());
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<std::uint32_t>(i);
  const SortKeyRecord* base = keys.data();
  std::sort(idx.begin(), idx.end(), [base, desc](std::uint32_t a, std::uint32_t b) {
    const int c = std::memcmp(base[a].bytes, base[b].bytes, kSortKeyCompared);
    return desc ? c > 0 : c < 0;
  });
  std::vector<SortKeyRecord> out;
  out.reserve(keys.size());
  for (std::uint32_t i : idx) out.push_back(keys[i]);
  keys.swap(out);
}

}  // namespace

Placing PlaceEntries(const std::vector<WorkEntry>& work, std::size_t count, const PlaceSettings& s) {
  Placing out;
  if (count > work.size()) count = work.size();
  if (count > static_cast<std::size_t>(kMaxWorkPosition) + 1) count = static_cast<std::size_t>(kMaxWorkPosition) + 1;
  out.foldersAfterFiles = (s.displayMode / 100) == 1;
  // Folders.
  std::vector<SortKeyRecord> keys;
  const unsigned d = s.displayMode % 10;
  for (std::size_t i = 2; i < count; ++i) {
    if (!work[i].IsFolderLike()) continue;
    SortKeyRecord k;
    std::memset(k.bytes, 0, sizeof k.bytes);
    if (d == 3 || d == 4) KeyFromNumber(&k, work[i].time);
    else KeyFromText(&k, work[i].name);
    k.SetPosition(static_cast<std::uint32_t>(i));
    keys.push_back(k);
  }
  if (!s.networkList) {
    KeyComparator cmp = d == 3 ? CompareSortKeyDesc
                        : d == 4 ? CompareSortKeyAsc
                        : (d == 0 || d == 6) ? CompareSortTextAsc
                                             : CompareSortTextDesc;
    SortKeys(keys, cmp);
  }
  for (const SortKeyRecord& k : keys) out.folders.push_back(k.Position());
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
  KeyComparator cmp = FileOrderComparator(mode);
  if (!cmp) return out;  // an order the table does not list places no file
  keys.clear();
  for (std::size_t i = 2; i < count; ++i) {
    if (work[i].IsFolderLike()) continue;
    SortKeyRecord k;
    std::memset(k.bytes, 0, sizeof k.bytes);
    BuildFileKey(&k, work[i], mode, s.buildWork);
    k.SetPosition(static_cast<std::uint32_t>(i));
    keys.push_back(k);
  }
  SortKeys(keys, cmp);
  for (const SortKeyRecord& k : keys) out.files.push_back(k.Position());
  return out;
}

}  // namespace flist
