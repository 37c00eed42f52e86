// Key records of the link join, their order and the match rules.
#include "csv/csv_joinkeys.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "csv/csv_cellbreaks.h"
#include "fw/alloc.h"

namespace csv {

namespace {

// Tuning of the prefix walk.
struct WalkLimits {
  std::uint32_t records;     // 'B' records examined at most
  std::uint32_t nearRecords; // ... when the keys differ within nearBytes
  std::uint32_t nearBytes;
};
constexpr WalkLimits kWalk = {1000, 200, 7};

constexpr std::uint32_t kRangeOpenHigh = 999999;
constexpr std::uint32_t kPollEvery = 1000;
// Numbers of range keys and row keys stop growing here.
constexpr std::uint32_t kNumberCap = 999999999;

inline bool KeptByte(std::uint8_t c) { return c > 0x1F && !IsCellBreakCode(c); }

inline bool SameKey(const JoinRecord& x, const JoinRecord& y) {
  return x.keyLen == y.keyLen && x.head == y.head && x.head2 == y.head2 &&
         (x.keyLen <= 16 || std::memcmp(x.key + 16, y.key + 16, x.keyLen - 16) == 0);
}

// `b` begins `a` (or equals it).
inline bool KeyBegins(const JoinRecord& a, const JoinRecord& b) {
  return b.keyLen == 0 || (b.keyLen <= a.keyLen && std::memcmp(a.key, b.key, b.keyLen) == 0);
}

std::uint32_t FirstDifference(const JoinRecord& x, const JoinRecord& y) {
  const std::uint32_t n = std::min(x.keyLen, y.keyLen);
  std::uint32_t i = 0;
  while (i < n && x.key[i] == y.key[i]) ++i;
  return i;
}

std::uint32_t LeadingNumber(const std::uint8_t* p, const std::uint8_t* e) {
  std::uint32_t v = 0;
  for (; p < e && *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + static_cast<std::uint32_t>(*p - '0');
    if (v > kNumberCap) return kNumberCap + 1;
  }
  return v;
}

// Range keys of the other file by their beginning P, each list in record
// order.
class RangeTable {
 public:
  bool Empty() const { return m_byPrefix.empty(); }

  void Add(const JoinRecord& r, std::uint32_t index, std::uint32_t prefixLen, std::uint32_t lo, std::uint32_t hi) {
    m_byPrefix[std::string_view(reinterpret_cast<const char*>(r.key), prefixLen)].push_back({index, lo, hi});
  }

  // The nearest range record before record `self` that takes the row key.
  std::uint32_t Find(const JoinRecord* recs, std::uint32_t self) const {
    const JoinRecord& a = recs[self];
    std::uint32_t best = kNoMatch;
    for (std::uint32_t j = 0; j <= a.keyLen; ++j) {
      const auto it = m_byPrefix.find(std::string_view(reinterpret_cast<const char*>(a.key), j));
      if (it == m_byPrefix.end()) continue;
      const std::uint32_t number = LeadingNumber(a.key + j, a.key + a.keyLen);
      const auto& list = it->second;
      for (auto e = list.rbegin(); e != list.rend(); ++e) {
        if (e->index >= self) continue;
        if (best != kNoMatch && e->index <= best) break;
        if (e->lo <= number && number <= e->hi) {
          best = e->index;
          break;
        }
      }
    }
    return best;
  }

 private:
  struct Entry {
    std::uint32_t index, lo, hi;
  };
  std::unordered_map<std::string_view, std::vector<Entry>> m_byPrefix;
};

}  // namespace

bool KeyNeedsStore(const std::uint8_t* b, const std::uint8_t* e) {
  for (const std::uint8_t* p = b; p < e; ++p)
    if (!KeptByte(*p)) return true;
  return false;
}

const std::uint8_t* KeyOfCell(const std::uint8_t* b, const std::uint8_t* e, std::uint8_t* store, std::uint32_t* len) {
  const std::uint8_t* out = b;
  std::size_t n = static_cast<std::size_t>(e - b);
  if (store && KeyNeedsStore(b, e)) {
    n = 0;
    for (const std::uint8_t* p = b; p < e; ++p)
      if (KeptByte(*p)) store[n++] = *p;
    out = store;
  }
  if (n > 0 && out[0] == '"') {
    ++out;
    --n;
    if (n > 0 && out[n - 1] == '"') --n;
  }
  *len = static_cast<std::uint32_t>(n);
  return out;
}

namespace {

// Big-endian value of 8 bytes.
inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t h = 0;
  for (int j = 0; j < 8; ++j) h = (h << 8) | p[j];
  return h;
}

// The 8 bytes of a big-endian value.
inline void Store64(std::uint8_t* p, std::uint64_t h) {
  for (int j = 7; j >= 0; --j, h >>= 8) p[j] = static_cast<std::uint8_t>(h);
}

// A record's `head` and `head2`: its first 16 key bytes, zero-padded.
inline void SetHeads(JoinRecord& r) {
  std::uint8_t first[16] = {};
  if (r.keyLen > 0) std::memcpy(first, r.key, r.keyLen < 16 ? r.keyLen : 16);
  r.head = Load64(first);
  r.head2 = Load64(first + 8);
}

}  // namespace

namespace {

// One record's place in a sort pass: eight key bytes and its index.
struct SortItem {
  std::uint64_t bits;
  std::uint32_t index, pad;
};

// The full order of the records: prefix, the key bytes after it, length,
// given position.
inline bool RecordBefore(const JoinRecord& x, const JoinRecord& y) {
  if (x.head != y.head) return x.head < y.head;
  if (x.head2 != y.head2) return x.head2 < y.head2;
  if (x.keyLen > 16 && y.keyLen > 16) {
    const int c = std::memcmp(x.key + 16, y.key + 16, std::min(x.keyLen, y.keyLen) - 16);
    if (c) return c < 0;
  }
  if (x.keyLen != y.keyLen) return x.keyLen < y.keyLen;
  return x.index < y.index;
}

// Stable LSD radix sort of the items on `bits`, one pass per byte that is
// not the same in every item. Returns the sorted array (`a` or `b`).
SortItem* RadixSortItems(SortItem* a, SortItem* b, std::size_t n) {
  std::vector<std::uint32_t> counts(8 * 256, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t h = a[i].bits;
    for (unsigned k = 0; k < 8; ++k) ++counts[k * 256 + ((h >> (8 * k)) & 0xFF)];
  }
  for (unsigned k = 0; k < 8; ++k) {
    std::uint32_t* c = &counts[k * 256];
    const unsigned shift = 8 * k;
    if (c[(a[0].bits >> shift) & 0xFF] == n) continue;  // every item has this byte
    std::uint32_t sum = 0;
    for (unsigned v = 0; v < 256; ++v) {
      const std::uint32_t here = c[v];
      c[v] = sum;
      sum += here;
    }
    for (std::size_t i = 0; i < n; ++i) b[c[(a[i].bits >> shift) & 0xFF]++] = a[i];
    std::swap(a, b);
  }
  return a;
}

}  // namespace

bool SortJoinRecords(JoinRecord** records, std::size_t n) {
  if (n > 0xFFFFFFFFu) return false;
  JoinRecord* recs = *records;
  if (n < 2) {
    if (n == 1) {
      SetHeads(recs[0]);
      recs[0].index = 0;
    }
    return true;
  }
  // Keys are compared as bytes; a key without bytes below 0x20 never holds
  // a zero byte, so the zero padding puts a key before the longer keys it
  // begins. The radix passes keep the given order among equal prefixes,
  // which is the order of equal keys; only runs of one prefix holding a
  // longer key need the rest of the bytes compared.
  // Two stable passes: by key bytes 8-15, then by bytes 0-7, each over
  // 16-byte items. One block serves the sort and then holds the sorted
  // records: the items' two halves first, the first 8 key bytes of every
  // record after them (read at random by the second pass; a small array
  // stays in cache), then the records over the items with the sorted order
  // kept where the 8-byte heads were. Fresh memory costs a page fault per
  // page, so the join touches as little of it as it can.
  static_assert(sizeof(JoinRecord) <= 2 * sizeof(SortItem), "the records fit where the items were");
  const std::size_t headsAt = n * 2 * sizeof(SortItem);
  if (n > (SIZE_MAX - 16) / (2 * sizeof(SortItem) + sizeof(std::uint64_t))) return false;
  auto* block = static_cast<std::uint8_t*>(fw::Alloc(headsAt + n * sizeof(std::uint64_t)));
  if (!block) return false;
  try {
    auto* itemsA = reinterpret_cast<SortItem*>(block);
    SortItem* itemsB = itemsA + n;
    auto* heads = reinterpret_cast<std::uint64_t*>(block + headsAt);
    for (std::size_t i = 0; i < n; ++i) {
      JoinRecord& r = recs[i];
      SetHeads(r);
      r.index = static_cast<std::uint32_t>(i);
      heads[i] = r.head;
      itemsA[i] = {r.head2, r.index, 0};
    }
    SortItem* sorted = RadixSortItems(itemsA, itemsB, n);
    SortItem* next = sorted == itemsA ? itemsB : itemsA;
    for (std::size_t i = 0; i < n; ++i) next[i] = {heads[sorted[i].index], sorted[i].index, 0};
    sorted = RadixSortItems(next, sorted, n);
    // The sorted order over the heads, which are done with.
    std::uint8_t* order = block + headsAt;
    for (std::size_t i = 0; i < n; ++i) std::memcpy(order + i * sizeof(std::uint32_t), &sorted[i].index, sizeof(std::uint32_t));
    // The records in the sorted order: independent loads, so the memory
    // system overlaps them (following the permutation's cycles in place
    // waits for each load in turn).
    for (std::size_t i = 0; i < n; ++i) {
      std::uint32_t from = 0;
      std::memcpy(&from, order + i * sizeof(std::uint32_t), sizeof from);
      std::memcpy(block + i * sizeof(JoinRecord), &recs[from], sizeof(JoinRecord));
    }
  } catch (const std::bad_alloc&) {
    fw::Free(block);
    return false;
  }
  fw::Free(recs);
  recs = *records = reinterpret_cast<JoinRecord*>(block);
  for (std::size_t i = 0; i < n;) {
    std::size_t e = i + 1;
    bool more = recs[i].keyLen > 16;
    while (e < n && recs[e].head == recs[i].head && recs[e].head2 == recs[i].head2) {
      more |= recs[e].keyLen > 16 || recs[e].keyLen != recs[i].keyLen;
      ++e;
    }
    if (more && e - i > 1) std::sort(recs + i, recs + e, RecordBefore);
    i = e;
  }
  return true;
}

bool ParseRangeKey(const std::uint8_t* key, std::uint32_t len, std::uint32_t* prefixLen, std::uint32_t* lo,
                   std::uint32_t* hi) {
  auto digitsBack = [key](std::uint32_t end) {  // start of the digits ending at `end`
    std::uint32_t s = end;
    while (s > 0 && key[s - 1] >= '0' && key[s - 1] <= '9') --s;
    return s;
  };
  // Both forms need an '&' before digits at the end, which the walk back
  // below checks: most keys are refused at their last byte or two.
  if (len < 3 || (key[len - 1] != '-' && (key[len - 1] < '0' || key[len - 1] > '9'))) return false;
  std::uint32_t hiValue = kRangeOpenHigh;
  std::uint32_t end = len;
  if (key[len - 1] == '-') {
    end = len - 1;
  } else {
    const std::uint32_t s = digitsBack(len);
    if (s == len || s == 0 || key[s - 1] != '&') return false;
    hiValue = LeadingNumber(key + s, key + len);
    end = s - 1;
  }
  const std::uint32_t s = digitsBack(end);
  if (s == end || s == 0 || key[s - 1] != '&') return false;
  *lo = LeadingNumber(key + s, key + end);
  *hi = hiValue;
  *prefixLen = s - 1;
  return true;
}

bool MatchRows(const JoinRecord* recs, std::size_t n, std::size_t bCount, const MatchOptions& opt,
               const std::function<bool(std::size_t)>& poll, const MatchResults& out, bool* noMemory) {
  *noMemory = false;
  std::memset(out.taken, 0, n);
  // 'B' records in order, for the walks.
  auto* bList = static_cast<std::uint32_t*>(fw::Alloc((bCount + 1) * sizeof(std::uint32_t)));
  if (!bList) {
    *noMemory = true;
    return false;
  }
  bool ok = true;
  try {
    RangeTable ranges;
    std::size_t nb = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (recs[i].index >= bCount) continue;
      bList[nb++] = static_cast<std::uint32_t>(i);
      std::uint32_t p = 0, lo = 0, hi = 0;
      // A key of up to 16 bytes is read from the record itself, not from
      // its text (which the sorted order visits at random).
      std::uint8_t own[16];
      const std::uint8_t* key = recs[i].key;
      if (recs[i].keyLen <= 16) {
        Store64(own, recs[i].head);
        Store64(own + 8, recs[i].head2);
        key = own;
      }
      if (ParseRangeKey(key, recs[i].keyLen, &p, &lo, &hi))
        ranges.Add(recs[i], static_cast<std::uint32_t>(i), p, lo, hi);
    }
    std::size_t candPos = 0;          // B records before the current record
    std::uint32_t prevA = kNoMatch;   // previous 'A' record ("e")
    std::size_t pairPos = 0;          // "e": 1 + position in bList of the last paired record, 0 when used up
    for (std::size_t i = 0; i < n; ++i) {
      if (poll && i % kPollEvery == kPollEvery - 1 && poll(candPos > 0 ? bList[candPos - 1] : i)) {
        ok = false;
        break;
      }
      const JoinRecord& r = recs[i];
      if (r.index < bCount) {
        ++candPos;
        continue;
      }
      std::uint32_t match = kNoMatch;
      std::uint16_t count = 0;
      const bool laterOfKey = opt.pairs && prevA != kNoMatch && SameKey(recs[prevA], r);
      prevA = static_cast<std::uint32_t>(i);
      if (laterOfKey) {
        // The record before the one the previous row took, when it is an
        // other row that matches directly.
        if (pairPos > 1) {
          const std::uint32_t c = bList[pairPos - 2];
          if (SameKey(recs[c], r) || (opt.prefix && KeyBegins(r, recs[c]))) {
            match = c;
            --pairPos;
          } else {
            pairPos = 0;
          }
        } else {
          pairPos = 0;
        }
      } else {
        std::size_t takenPos = 0;
        if (candPos > 0) {
          const std::uint32_t c = bList[candPos - 1];
          if (SameKey(recs[c], r) || (opt.prefix && KeyBegins(r, recs[c]))) {
            match = c;
            takenPos = candPos;
          }
        }
        if (match == kNoMatch && !ranges.Empty()) {
          match = ranges.Find(recs, static_cast<std::uint32_t>(i));
          if (match != kNoMatch)
            takenPos = static_cast<std::size_t>(std::lower_bound(bList, bList + nb, match) - bList) + 1;
        }
        if (match == kNoMatch && opt.prefix && candPos > 1) {
          const JoinRecord& cand = recs[bList[candPos - 1]];
          const std::uint32_t limit =
              FirstDifference(cand, r) < kWalk.nearBytes ? kWalk.nearRecords : kWalk.records;
          std::uint32_t examined = 0;
          for (std::size_t w = candPos - 1; w > 0 && examined < limit;) {
            --w;
            ++examined;
            if (KeyBegins(r, recs[bList[w]])) {
              match = bList[w];
              count = static_cast<std::uint16_t>(examined);
              takenPos = w + 1;
              break;
            }
          }
        }
        pairPos = takenPos;
      }
      if (match != kNoMatch) {
        if (opt.single && out.taken[match]) {
          match = kNoMatch;
          count = 0;
        } else {
          out.taken[match] = 1;
        }
      }
      out.match[i] = match;
      out.count[i] = count;
    }
  } catch (const std::bad_alloc&) {
    *noMemory = true;
    ok = false;
  }
  fw::Free(bList);
  return ok;
}

}  // namespace csv
