// Key records of the link join: one for each row of the table ('A') and of
// the other file ('B'), their order, and the rules by which a table row finds
// its other row.
//
// A key is the text of the key cell without its bytes of 0x1F and below and
// without the in-cell break codes (so a cell's line breaks are no part of
// it), and without one leading and then one trailing double quote, so a
// quoted key meets the same key unquoted. Keys are compared whole, byte by
// byte, however long; a record keeps a reference into its text (or into the
// key store when bytes were left out) and its index, by which the caller
// finds the row.
//
// Order: key (unsigned bytes, a shorter key before a longer one it begins),
// then side (every 'B' before the 'A' records of the same key), then the
// row's position in its own text. The order is total, so the join is
// repeatable.
//
// Matching (MatchRows), for each 'A' record in order: its candidate is the
// nearest 'B' record before it.
//   - exact: the candidate's key equals the row's key. With several other
//     rows of one key the candidate is the last of them in file order.
//   - range: a 'B' key "P&lo&hi" or "P&lo-" (hi 999999) matches a row key
//     that begins with P when the digits after P form a number between lo
//     and hi; of several, the nearest before the row in the order is taken.
//   - prefix ("p", "q"): a candidate whose key begins the row's key matches
//     (count 0); otherwise the 'B' records before it are walked backwards and
//     the nearest whose key begins the row's key is taken, the count being
//     the records examined; the walk gives up after 1000 records, or 200 when
//     the candidate's key and the row's key differ within their first 7
//     bytes.
//   - "s": an other row is given to one table row only (the first in order).
//   - "e": the second and later table rows of one key take, one by one, the
//     other rows of that key before the one the previous row took (the last
//     first); once those run out, the rows get none.
// An exact match comes first, then a range match, then the prefix walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace csv {

// 32 bytes, so the sort moves little and a record never spans two cache
// lines; what a row needs beyond its key is kept by the caller under
// `index`, and the match results in arrays beside the sorted records.
struct JoinRecord {
  std::uint64_t head;         // key bytes 0-7 and 8-15, zero-padded, most significant
  std::uint64_t head2;        // first (the order's shortcut)
  const std::uint8_t* key;
  std::uint32_t keyLen;
  std::uint32_t index;        // position among the records as given ('B' records first)
};
static_assert(sizeof(JoinRecord) == 32 || sizeof(void*) != 8, "a key record is 32 bytes");

constexpr std::uint32_t kNoMatch = 0xFFFFFFFFu;

// The key of a cell [b, e): returns the bytes in place when nothing is left
// out, else copies the kept bytes to `store` (room for e - b bytes) and
// returns them there. *len is the key's length. `store` may be null for a
// cell KeyNeedsStore found whole.
const std::uint8_t* KeyOfCell(const std::uint8_t* b, const std::uint8_t* e, std::uint8_t* store, std::uint32_t* len);

// True when the cell [b, e) loses bytes on the way to its key (KeyOfCell
// then needs store room).
bool KeyNeedsStore(const std::uint8_t* b, const std::uint8_t* e);

// Sorts records given in the order 'B' records then 'A' records, each side
// in the order of its rows, into the order above (equal keys keep the given
// order, which is side and position). `*recs` is a block from fw::Alloc;
// the sorted records may come in a new block, the old one freed. Sets
// `head`, `head2` and `index`. False (records unchanged) when memory for
// the sort is short.
bool SortJoinRecords(JoinRecord** recs, std::size_t n);

struct MatchOptions {
  bool prefix = false;  // "p" or "q"
  bool single = false;  // "s"
  bool pairs = false;   // "e"
};

// Parses a range key "P&lo&hi" / "P&lo-": false when `key` is none.
bool ParseRangeKey(const std::uint8_t* key, std::uint32_t len, std::uint32_t* prefixLen, std::uint32_t* lo,
                   std::uint32_t* hi);

// What MatchRows finds, by sorted position: for an 'A' record the sorted
// position of its other row (kNoMatch when none) and, under "q", the 'B'
// records examined; for a 'B' record whether some row took it. Arrays of n.
struct MatchResults {
  std::uint32_t* match;
  std::uint16_t* count;
  std::uint8_t* taken;
};

// Fills `out` over sorted records of which those with index below `bCount`
// are 'B' records. `poll(c)` is called every 1000 records with the index
// of the current candidate (or of the record reached when there is none);
// when it returns true the pass stops and MatchRows returns false. False
// also when memory for the range table is short (*noMemory set).
bool MatchRows(const JoinRecord* recs, std::size_t n, std::size_t bCount, const MatchOptions& opt,
               const std::function<bool(std::size_t)>& poll, const MatchResults& out, bool* noMemory);

}  // namespace csv
