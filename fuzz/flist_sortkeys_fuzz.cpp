// The key builder and the four comparators on random records: each
// comparator is antisymmetric and transitive on every triple, and the
// placing of random work entries gives each file and folder once.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/sortkeys.h"

namespace {

int Sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const unsigned mode = data[0] % 12;
  const int work = data[1] % 7;
  const unsigned display = data[2];
  // Split the rest into names.
  std::vector<flist::WorkEntry> w(2);
  w[0].name = ".";
  w[1].name = "..";
  std::string cur;
  for (size_t i = 3; i < size && w.size() < 400; ++i) {
    if (data[i] == 0 || cur.size() >= 300) {
      flist::WorkEntry e;
      e.name = cur.substr(0, 255);
      const size_t dot = e.name.rfind('.');
      if (dot != std::string::npos) e.ext = e.name.substr(dot + 1);
      const uint64_t sz = (static_cast<uint64_t>(cur.size()) * 2654435761u) << (i % 34);
      if (i % 5 == 0) {
        e.attributes = 0x10;
      } else {
        e.size = static_cast<int32_t>(static_cast<uint32_t>(sz));
        e.sizeHigh = flist::kSizeHighFile | static_cast<uint32_t>((sz >> 32) & 0x7FFFFFFF);
      }
      e.time = static_cast<uint32_t>(sz * 31);
      w.push_back(e);
      cur.clear();
      continue;
    }
    cur += static_cast<char>(data[i]);
  }
  // Comparator laws on the keys of the first 12 entries.
  const flist::KeyComparator cmps[] = {flist::CompareSortKeyAsc, flist::CompareSortKeyDesc, flist::CompareSortTextAsc,
                                       flist::CompareSortTextDesc};
  std::vector<flist::SortKeyRecord> keys;
  for (size_t i = 2; i < w.size() && keys.size() < 12; ++i) {
    flist::SortKeyRecord k;
    std::memset(k.bytes, 0, sizeof k.bytes);
    flist::BuildFileKey(&k, w[i], 1 + mode % 10, work);
    keys.push_back(k);
  }
  const size_t nk = keys.size();
  for (auto cmp : cmps) {
    for (size_t x = 0; x < nk; ++x)
      for (size_t y = x; y < nk; ++y)
        if (Sign(cmp(keys[x].bytes, keys[y].bytes)) != -Sign(cmp(keys[y].bytes, keys[x].bytes))) __builtin_trap();
    // Transitivity on triples picked by the input.
    for (size_t t = 0; nk > 0 && t < 16; ++t) {
      const auto& a = keys[data[(3 * t) % size] % nk];
      const auto& b = keys[data[(3 * t + 1) % size] % nk];
      const auto& c = keys[data[(3 * t + 2) % size] % nk];
      const int ab = Sign(cmp(a.bytes, b.bytes)), bc = Sign(cmp(b.bytes, c.bytes)), ac = Sign(cmp(a.bytes, c.bytes));
      if (ab <= 0 && bc <= 0 && ac > 0) __builtin_trap();
      if (ab >= 0 && bc >= 0 && ac < 0) __builtin_trap();
      if (ab == 0 && bc == 0 && ac != 0) __builtin_trap();
    }
  }
  // The placing: every entry once.
  flist::PlaceSettings s;
  s.sortMode = mode == 11 ? 51 : mode;
  s.buildWork = work;
  s.displayMode = display;
  const flist::Placing p = flist::PlaceEntries(w, w.size(), s);
  std::set<uint32_t> seen;
  for (uint32_t x : p.folders)
    if (x < 2 || x >= w.size() || !w[x].IsFolderLike() || !seen.insert(x).second) __builtin_trap();
  for (uint32_t x : p.files)
    if (x < 2 || x >= w.size() || w[x].IsFolderLike() || !seen.insert(x).second) __builtin_trap();
  // The sort's order agrees with the comparator of the mode, pair by pair.
  const flist::KeyComparator cmp = flist::FileOrderComparator(s.sortMode);
  for (size_t i = 1; cmp && i < p.files.size(); ++i) {
    flist::SortKeyRecord a, b;
    std::memset(a.bytes, 0, sizeof a.bytes);
    std::memset(b.bytes, 0, sizeof b.bytes);
    flist::BuildFileKey(&a, w[p.files[i - 1]], s.sortMode, work);
    flist::BuildFileKey(&b, w[p.files[i]], s.sortMode, work);
    if (cmp(a.bytes, b.bytes) > 0) __builtin_trap();
  }
  size_t files = 0;
  for (size_t i = 2; i < w.size(); ++i) files += w[i].IsFolderLike() ? 0 : 1;
  if (s.sortMode <= 10 && p.files.size() != files) __builtin_trap();
  return 0;
}
