#include "filelist/flistcore/sortkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "filelist/flistcore/entries.h"
#include "fw/uihooks.h"

namespace flist {
namespace {

WorkEntry File(const std::string& name, std::uint64_t size = 0, std::uint32_t time = 0) {
  WorkEntry e;
  e.name = name;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) e.ext = name.substr(dot + 1);
  e.size = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
  e.sizeHigh = kSizeHighFile | static_cast<std::uint32_t>(size >> 32);
  e.time = time;
  return e;
}

WorkEntry Folder(const std::string& name, std::uint32_t time = 0) {
  WorkEntry e;
  e.name = name;
  e.time = time;
  e.attributes = 0x10;
  return e;
}

std::vector<WorkEntry> WithDots(std::vector<WorkEntry> v) {
  v.insert(v.begin(), Folder(".."));
  v.insert(v.begin(), Folder("."));
  return v;
}

std::vector<std::string> Names(const std::vector<WorkEntry>& w, const std::vector<std::uint32_t>& pos) {
  std::vector<std::string> out;
  for (std::uint32_t p : pos) out.push_back(w[p].name);
  return out;
}

// The reference key of the text orders: ASCII letters lowered outside
// double-byte characters (as a Python key function would), first 250 bytes.
std::string TextKey(const std::string& s) {
  std::string k;
  bool lead = false;
  for (std::size_t i = 0; i < s.size() && i < 250; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (!lead && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
    k += static_cast<char>(c);
    lead = !lead && IsSortLeadByte(c);
  }
  return k;
}

TEST(SortOrders, NameOrderIsCaseInsensitiveForAsciiOnly) {
  auto w = WithDots({File("ABD"), File("abc"), File("Abc")});
  PlaceSettings s;
  s.sortMode = 5;
  auto names = Names(w, PlaceEntries(w, w.size(), s).files);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[2], "ABD");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.begin() + 2), (std::set<std::string>{"abc", "Abc"}));
  // A trail byte in 0x41-0x5A is not lowered: "ア" (0x83 0x41) vs "ャ" (0x83 0x61).
  unsigned char a[256] = {0x83, 0x41}, b[256] = {0x83, 0x61};
  EXPECT_LT(CompareSortTextAsc(a, b), 0);
  EXPECT_GT(CompareSortTextDesc(a, b), 0);
}

TEST(SortOrders, ExtensionOrderAfterNameOrder) {
  auto w = WithDots({File("b.txt"), File("a.TXT"), File("c.doc")});
  PlaceSettings s;
  s.sortMode = 7;
  s.buildWork = 5;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).files), (std::vector<std::string>{"c.doc", "a.TXT", "b.txt"}));
  s.sortMode = 8;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).files), (std::vector<std::string>{"b.txt", "a.TXT", "c.doc"}));
  // "*" (a name without extension on an FTP site) sorts before letters.
  WorkEntry star = File("noext");
  star.ext = "*";
  auto w2 = WithDots({File("x.a"), star, File("y.0")});
  s.sortMode = 7;
  s.buildWork = 0;
  EXPECT_EQ(Names(w2, PlaceEntries(w2, w2.size(), s).files).front(), "noext");
}

TEST(SortOrders, LargeSizesInSizeAndExtensionOrders) {
  auto w = WithDots({File("big.bin", 3000000000u), File("mid.bin", 2000000000u), File("small.bin", 5),
                     File("huge.bin", 5ull << 30)});
  PlaceSettings s;
  s.sortMode = 1;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).files),
            (std::vector<std::string>{"small.bin", "mid.bin", "big.bin", "huge.bin"}));
  s.sortMode = 2;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).files).front(), "huge.bin");
  // Extension order with the size as secondary text: the signed "%10d" text
  // of 3,000,000,000 is "-1294967296", which orders by its bytes ("-" after
  // the blanks of short numbers, before the digits of 10-digit ones).
  s.sortMode = 7;
  s.buildWork = 1;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).files),
            (std::vector<std::string>{"small.bin", "huge.bin", "big.bin", "mid.bin"}));
  SortKeyRecord k;
  KeyFromExtension(&k, File("big.bin", 3000000000u), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(k.bytes), "bin  -1294967296");
  // 4 GiB and more: the secondary text of 0xFFFFFFFF.
  KeyFromExtension(&k, File("huge.bin", 5ull << 30), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(k.bytes), "bin          -1");
}

TEST(SortOrders, GeneratedNamesAgreeWithReferenceKeys) {
  std::mt19937 rng(2000);
  const char* exts[] = {"txt", "TXT", "csv", "Doc", "", "c"};
  std::vector<WorkEntry> files;
  for (int i = 0; i < 2000; ++i) {
    std::string n;
    const int len = 1 + static_cast<int>(rng() % 12);
    for (int j = 0; j < len; ++j) {
      const unsigned r = rng() % 10;
      if (r < 6) n += static_cast<char>((rng() % 2 ? 'A' : 'a') + rng() % 26);
      else if (r < 9) {
        n += static_cast<char>(0x81 + rng() % 0x1F);             // lead byte
        n += static_cast<char>(0x40 + rng() % 0x3F);             // trail 0x40-0x7E
      } else n += static_cast<char>('0' + rng() % 10);
    }
    if (i % 50 == 0 && !files.empty()) n = files[rng() % files.size()].name;  // equal keys
    const char* e = exts[rng() % 6];
    if (*e) n += std::string(".") + e;
    files.push_back(File(n, rng() % 100000, static_cast<std::uint32_t>(rng() % 2000000000)));
  }
  auto w = WithDots(files);
  for (unsigned mode : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u}) {
    PlaceSettings s;
    s.sortMode = mode;
    s.buildWork = 5;
    const auto order = PlaceEntries(w, w.size(), s).files;
    ASSERT_EQ(order.size(), files.size()) << mode;
    // Reference key per mode, compared as plain strings.
    const auto ref = [&](const WorkEntry& e) -> std::string {
      char buf[32];
      switch (mode) {
        case 1: case 2: std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(e.WholeSize())); return buf;
        case 3: case 4: std::snprintf(buf, sizeof buf, "%08x", e.time); return buf;
        case 5: case 6: return TextKey(e.name);
        case 9: case 10: return TextKey(e.folder);
        default: {
          std::string x = TextKey(e.ext);
          while (x.size() < 5) x += ' ';
          return (x + e.name).substr(0, 250);
        }
      }
    };
    const bool desc = mode == 2 || mode == 3 || mode == 6 || mode == 8 || mode == 10;
    std::vector<std::string> keys;
    for (std::uint32_t p : order) keys.push_back(ref(w[p]));
    for (std::size_t i = 1; i < keys.size(); ++i) {
      if (desc) EXPECT_GE(keys[i - 1], keys[i]) << "mode " << mode << " at " << i;
      else EXPECT_LE(keys[i - 1], keys[i]) << "mode " << mode << " at " << i;
    }
    std::vector<std::uint32_t> sorted(order);
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i + 2);  // a permutation
  }
}

// The placing as whole 256-byte records: keys built by the key builders,
// lowered in full for the text comparators, indexes sorted by memcmp over
// bytes 0-249. The placing's compact keys must give this very sequence,
// equal keys included (std::sort sees the same comparisons).
std::vector<std::uint32_t> RecordOrder(const std::vector<WorkEntry>& w, bool folders, const PlaceSettings& s) {
  std::vector<SortKeyRecord> keys;
  std::vector<std::uint32_t> pos;
  const unsigned d = s.displayMode % 10;
  KeyComparator cmp = folders ? (d == 3 ? CompareSortKeyDesc
                                 : d == 4 ? CompareSortKeyAsc
                                 : (d == 0 || d == 6) ? CompareSortTextAsc
                                                      : CompareSortTextDesc)
                              : FileOrderComparator(s.sortMode);
  for (std::size_t i = 2; i < w.size(); ++i) {
    if (w[i].IsFolderLike() != folders) continue;
    SortKeyRecord k;
    std::memset(k.bytes, 0, sizeof k.bytes);
    if (!folders) BuildFileKey(&k, w[i], s.sortMode, s.buildWork);
    else if (d == 3 || d == 4) KeyFromNumber(&k, w[i].time);
    else KeyFromText(&k, w[i].name);
    keys.push_back(k);
    pos.push_back(static_cast<std::uint32_t>(i));
  }
  const bool text = cmp == CompareSortTextAsc || cmp == CompareSortTextDesc;
  const bool desc = cmp == CompareSortKeyDesc || cmp == CompareSortTextDesc;
  for (SortKeyRecord& k : keys) {
    bool lead = false;
    for (int i = 0; text && i < kSortKeyCompared; ++i) {
      unsigned char c = k.bytes[i];
      if (!lead && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
      k.bytes[i] = c;
      lead = !lead && IsSortLeadByte(c);
    }
  }
  std::vector<std::uint32_t> idx(keys.size());
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<std::uint32_t>(i);
  std::sort(idx.begin(), idx.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int c = std::memcmp(keys[a].bytes, keys[b].bytes, kSortKeyCompared);
    return desc ? c > 0 : c < 0;
  });
  std::vector<std::uint32_t> out;
  for (std::uint32_t i : idx) out.push_back(pos[i]);
  return out;
}

TEST(SortOrders, CompactKeysPlaceAsWholeRecords) {
  std::mt19937 rng(4646);
  std::vector<WorkEntry> v;
  const std::string longStem(260, 'q');
  for (int i = 0; i < 3000; ++i) {
    std::string n;
    const unsigned shape = rng() % 8;
    if (shape == 0) n = longStem.substr(0, 245 + rng() % 15) + std::to_string(rng() % 30);  // past byte 250
    else if (shape == 1) n = std::string(1, static_cast<char>('A' + rng() % 3));           // short, case ties
    else if (shape == 2) n = std::string("\x95\x5C\x83") + static_cast<char>('A' + rng() % 26);  // trails 0x5C, 0x41-0x5A
    else if (shape == 3) n = "Ab" + std::string(1, '\0') + "tail";                           // a NUL ends the key
    else {
      const int len = 1 + static_cast<int>(rng() % 14);
      for (int j = 0; j < len; ++j) n += static_cast<char>((rng() % 2 ? 'A' : 'a') + rng() % 4);
    }
    if (rng() % 3 == 0) n += rng() % 2 ? ".TXT" : ".txt";
    const std::uint64_t size = rng() % 4 == 0 ? (5ull << 30) + rng() % 3 : rng() % 5;  // many equal sizes
    WorkEntry e = rng() % 7 == 0 ? Folder(n, static_cast<std::uint32_t>(rng() % 4)) : File(n, size, rng() % 6);
    if (rng() % 5 == 0) e.folder = rng() % 2 ? "Sub" : "sub";
    v.push_back(e);
  }
  const auto w = WithDots(v);
  for (unsigned mode = 1; mode <= 10; ++mode) {
    for (unsigned display : {0u, 1u, 3u, 4u, 6u}) {
      PlaceSettings s;
      s.sortMode = mode;
      s.buildWork = mode < 7 ? static_cast<int>(mode) : static_cast<int>(rng() % 7);
      s.displayMode = display;
      const Placing p = PlaceEntries(w, w.size(), s);
      ASSERT_EQ(p.files, RecordOrder(w, false, s)) << "mode " << mode << " work " << s.buildWork;
      ASSERT_EQ(p.folders, RecordOrder(w, true, s)) << "display " << display;
    }
  }
}

TEST(SortOrders, FolderOrdersAndFoldersAfterFiles) {
  auto w = WithDots({Folder("b", 200), File("z.txt"), Folder("A", 100), Folder("c", 300), File("y.txt")});
  PlaceSettings s;
  s.sortMode = 5;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).folders), (std::vector<std::string>{"A", "b", "c"}));
  s.displayMode = 1;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).folders), (std::vector<std::string>{"c", "b", "A"}));
  s.displayMode = 3;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).folders), (std::vector<std::string>{"c", "b", "A"}));
  s.displayMode = 104;
  Placing p = PlaceEntries(w, w.size(), s);
  EXPECT_EQ(Names(w, p.folders), (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_TRUE(p.foldersAfterFiles);
  s.networkList = true;
  EXPECT_EQ(Names(w, PlaceEntries(w, w.size(), s).folders), (std::vector<std::string>{"b", "A", "c"}));
  auto noFolders = WithDots({File("q"), File("p")});
  Placing q = PlaceEntries(noFolders, noFolders.size(), s);
  EXPECT_TRUE(q.folders.empty());
  EXPECT_EQ(Names(noFolders, q.files), (std::vector<std::string>{"p", "q"}));
}

TEST(SortOrders, RandomOrdersArePermutationsOfTheFilesBelowAThousand) {
  fw::hooks::SeedRandom(46);
  std::vector<WorkEntry> v;
  for (int i = 0; i < 200; ++i) {
    v.push_back(File("f" + std::to_string(i)));
    if (i % 3 == 0) v.push_back(Folder("d" + std::to_string(i)));  // a reader that mixes them
  }
  auto w = WithDots(v);
  PlaceSettings s;
  s.sortMode = 51;
  Placing p = PlaceEntries(w, w.size(), s);
  std::multiset<std::string> got;
  for (auto n : Names(w, p.files)) got.insert(n);
  std::multiset<std::string> want;
  for (const auto& e : v)
    if (!e.IsFolderLike()) want.insert(e.name);
  EXPECT_EQ(got, want);
  // 1,200 entries: folders only.
  std::vector<WorkEntry> many;
  for (int i = 0; i < 1200; ++i) many.push_back(i % 10 ? File("f" + std::to_string(i)) : Folder("d" + std::to_string(i)));
  auto wm = WithDots(many);
  Placing pm = PlaceEntries(wm, wm.size(), s);
  EXPECT_TRUE(pm.files.empty());
  EXPECT_EQ(pm.folders.size(), 120u);
  // An order the table does not list places no file either.
  s.sortMode = 33;
  EXPECT_TRUE(PlaceEntries(w, w.size(), s).files.empty());
}

TEST(SortOrders, PositionsAbove65535AreCarriedInThreeBytes) {
  std::vector<WorkEntry> v;
  for (int i = 0; i < 70000; ++i) v.push_back(File("n" + std::to_string(70000 - i), static_cast<std::uint64_t>(i)));
  auto w = WithDots(v);
  PlaceSettings s;
  s.sortMode = 1;  // size order: the read order
  Placing p = PlaceEntries(w, w.size(), s);
  ASSERT_EQ(p.files.size(), 70000u);
  for (std::size_t i = 0; i < p.files.size(); ++i) ASSERT_EQ(p.files[i], i + 2) << i;
  SortKeyRecord k;
  k.SetPosition(0x123456);
  EXPECT_EQ(k.bytes[251], 0x12);
  EXPECT_EQ(k.bytes[253], 0x56);
  EXPECT_EQ(k.Position(), 0x123456u);
}

}  // namespace
}  // namespace flist
