// The link join: the other text, the key records, the merge and the result.
#include "csv/csv_linkjoin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "csv/csv_columns.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_joinkeys.h"
#include "csv/csv_out.h"
#include "csv/csv_pad.h"
#include "fw/alloc.h"

namespace csv {

namespace {

constexpr std::uint8_t kSep = CSV_FIELD_SEP;
constexpr std::uint32_t kInstallMargin = 1000;
constexpr std::uint32_t kCountShown = 999;       // "nbk" holds up to three digits
constexpr std::size_t kStatusKeyBytes = 200;     // key bytes shown in pane 0
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// Records ahead of the one written whose row place and row bytes are
// fetched early.
constexpr std::size_t kAheadPlace = 16;
constexpr std::size_t kAheadRow = 8;

struct JoinFlags {
  bool single = false;  // "s"
  bool pairs = false;   // "e"
  bool prefix = false;  // "p" or "q"
  bool nbk = false;     // "q"
  bool both = false;    // "b"
};

JoinFlags ReadOptions(char option1, char option2) {
  if (option1 == 'b') std::swap(option1, option2);
  JoinFlags f;
  f.single = option1 == 's';
  f.pairs = option1 == 'e';
  f.prefix = option1 == 'p' || option1 == 'q';
  f.nbk = option1 == 'q';
  f.both = option2 == 'b';
  return f;
}

// One row from `i`: where it ends, where the next begins, its cells and
// the bounds of cell `keyIdx` (empty at the row end when the row is shorter).
struct RowScan {
  std::uint32_t end, next, cells, keyB, keyE;
};

RowScan ScanRowBytes(const std::uint8_t* t, std::uint32_t i, std::uint32_t len, std::uint32_t keyIdx) {
  RowScan r{};
  std::uint32_t cell = 0;
  r.keyB = keyIdx == 0 ? i : kNone;
  r.keyE = kNone;
  std::uint32_t j = i;
  for (; j < len; ++j) {
    const std::uint8_t c = t[j];
    if (c == '\r' || c == '\n') break;
    if (c == kSep) {
      if (cell == keyIdx) r.keyE = j;
      ++cell;
      if (cell == keyIdx) r.keyB = j + 1;
    }
  }
  r.end = j;
  if (r.keyB == kNone) r.keyB = j;
  if (r.keyE == kNone) r.keyE = j;
  r.cells = cell + 1;
  if (j < len) j += t[j] == '\r' && j + 1 < len && t[j + 1] == '\n' ? 2 : 1;
  r.next = j;
  return r;
}

// The same, the row end and its separators found block-wise and the key
// cell's bounds by byte search. A NUL before the row end (neither text
// holds one) goes the byte way.
RowScan ScanRow(const std::uint8_t* t, std::uint32_t i, std::uint32_t len, std::uint32_t keyIdx) {
  std::uint32_t seps = 0;
  const auto end = static_cast<std::uint32_t>(FindRowEndCountingSeparators(t, i, len, &seps));
  if (end < len && t[end] == 0) return ScanRowBytes(t, i, len, keyIdx);
  RowScan r{};
  r.end = end;
  r.cells = seps + 1;
  auto nextSep = [t, end](std::uint32_t from) {
    const void* p = from < end ? std::memchr(t + from, kSep, end - from) : nullptr;
    return p ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(p) - t) : end;
  };
  std::uint32_t keyB = i;
  for (std::uint32_t k = 0; k < keyIdx && keyB < end; ++k) {
    const std::uint32_t sep = nextSep(keyB);
    keyB = sep < end ? sep + 1 : end;
  }
  if (keyIdx > seps) keyB = end;
  r.keyB = keyB;
  r.keyE = keyB < end ? nextSep(keyB) : end;
  std::uint32_t j = end;
  if (j < len) j += t[j] == '\r' && j + 1 < len && t[j + 1] == '\n' ? 2 : 1;
  r.next = j;
  return r;
}

std::uint32_t CountCells(const std::uint8_t* b, std::uint32_t n) {
  std::uint32_t cells = 1;
  for (std::uint32_t i = 0; i < n; ++i) cells += b[i] == kSep;
  return cells;
}

// Where the first `L` cells of a row end (before the separator that follows
// them) and how many cells that part has.
std::uint32_t LeadEnd(const std::uint8_t* row, std::uint32_t n, std::uint32_t L, std::uint32_t* cellsThere) {
  if (L == 0) {
    *cellsThere = 0;
    return 0;
  }
  std::uint32_t seen = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (row[i] == kSep && ++seen == L) {
      *cellsThere = L;
      return i;
    }
  }
  *cellsThere = seen + 1;
  return n;
}

// Rows (upper bound) of a text: its line-end bytes plus one.
std::uint64_t RowBound(const std::uint8_t* t, std::uint32_t n) {
  if (!t) return 1;
  return 1 + static_cast<std::uint64_t>(std::count(t, t + n, '\n')) + static_cast<std::uint64_t>(std::count(t, t + n, '\r'));
}

std::string KeyText(const JoinRecord& r) {
  const std::size_t n = std::min<std::size_t>(r.keyLen, kStatusKeyBytes);
  return std::string(reinterpret_cast<const char*>(r.key), n);
}

// Messages of the padding step are the join's own failure.
class QuietHost final : public OpHost {
 public:
  int ReportMessage(int, const CString&) override { return 0; }
};

// Where a record's row is in its text and its cells.
struct RowSpan {
  std::uint32_t start, len, cells;
};

class LinkJoin {
 public:
  LinkJoin(Table& table, const LinkJoinArgs& args, LinkJoinHost* host)
      : m_table(table), m_args(args), m_host(host), m_flags(ReadOptions(args.option1, args.option2)) {}
  ~LinkJoin() {
    fw::Free(m_recs);
    fw::Free(m_rows);
    fw::Free(m_results);
  }

  int Run(OtherSource& source, bool* unreadable);

 private:
  int Fail(int code) {
    ReportOpFailure(m_host, code);
    return kLinkJoinNothing;
  }
  int PrepareOther();
  bool AddRecords(const std::uint8_t* t, std::uint32_t len, std::uint32_t from, std::uint32_t keyIdx);
  std::uint64_t OutputEstimate() const;
  void PutOtherCells(const std::uint8_t* row, std::uint32_t n, std::uint32_t cells);
  void WriteTitle();
  void WriteTableRow(std::size_t i);
  void WriteOwnRow(const RowSpan& r);
  int Install(std::uint32_t L);

  Table& m_table;
  const LinkJoinArgs& m_args;
  LinkJoinHost* m_host;
  JoinFlags m_flags;

  OtherText m_read;
  OutWriter m_otherCopy;  // the other text after NULs left out or the column rewrite
  const std::uint8_t* m_o = nullptr;
  std::uint32_t m_olen = 0;
  RecordEnd m_otherTitle;
  std::uint32_t m_otherKey = 0;
  bool m_dropKey = false;
  std::uint32_t m_wanted = 1;  // other cells written per row

  const std::uint8_t* m_t = nullptr;
  std::uint32_t m_tlen = 0;
  RecordEnd m_tableTitle;
  std::uint32_t m_L = 0;
  std::uint32_t m_fields = 0;

  JoinRecord* m_recs = nullptr;
  RowSpan* m_rows = nullptr;  // by record index
  std::size_t m_n = 0, m_cap = 0;
  std::size_t m_bCount = 0;   // 'B' records: the first indexes
  std::uint8_t* m_results = nullptr;
  MatchResults m_match{};
  OutWriter m_keyStore;
  bool m_anyStored = false;  // some key is in the store
  bool m_storeFailed = false;
  OutWriter m_out;
};

int LinkJoin::PrepareOther() {
  m_o = m_read.Data();
  m_olen = m_read.Length();
  if (m_o && std::memchr(m_o, 0, m_olen)) {
    for (std::uint32_t i = 0; i < m_olen; ++i)
      if (m_o[i] && !m_otherCopy.PutByte(m_o[i])) return Fail(kJoinOtherData);
    if (!m_otherCopy.PutByte(0)) return Fail(kJoinOtherData);
    m_o = m_otherCopy.Data();
    m_olen = m_otherCopy.Length() - 1;
  }
  m_otherKey = m_args.otherKeyColumn > 0 ? static_cast<std::uint32_t>(m_args.otherKeyColumn - 1) : 0;
  std::string list = m_args.otherColumns;
  if (!list.empty() && list[0] == '!') {
    m_dropKey = true;
    list.erase(0, 1);
  }
  if (!list.empty()) {
    const RecordEnd title = FirstRecordEnd(m_o, m_olen);
    std::string resolved;
    if (m_host && !m_host->ResolveColumns(list, m_o, static_cast<std::uint32_t>(title.end), &resolved))
      return kLinkJoinNothing;
    if (!m_host) resolved = list;
    const std::size_t mark = resolved.find('#');
    if (mark != std::string::npos) {
      m_otherKey = static_cast<std::uint32_t>(std::count(resolved.begin(), resolved.begin() + mark, ','));
      resolved.erase(mark, 1);
    }
    const std::uint32_t columns =
        std::max(CountCells(m_o, static_cast<std::uint32_t>(title.end)), WidestRow(m_o, m_olen, 0xFFFFFFFFu));
    std::vector<ColumnEntry> plan;
    bool unchanged = false;
    if (!BuildColumnPlan(resolved, columns, false, kColumnListMax, &plan, &unchanged)) return Fail(kJoinOtherData);
    if (!unchanged) {
      OutWriter rewritten;
      if (!RewriteColumnsText(m_o, m_olen, 0xFFFFFFFFu, plan, rewritten) || !rewritten.PutByte(0))
        return Fail(kJoinOtherData);
      // The rewritten text takes the place of the copy (if any).
      m_otherCopy.Drop(m_otherCopy.Length());
      if (!m_otherCopy.Put(rewritten.Data(), rewritten.Length())) return Fail(kJoinOtherData);
      m_o = m_otherCopy.Data();
      m_olen = m_otherCopy.Length() - 1;
    }
  }
  m_otherTitle = FirstRecordEnd(m_o, m_olen);
  const std::uint32_t otherCols = CountCells(m_o, static_cast<std::uint32_t>(m_otherTitle.end));
  m_wanted = m_dropKey ? std::max<std::uint32_t>(otherCols - 1, 1) : otherCols;
  return kLinkJoinDone;
}

bool LinkJoin::AddRecords(const std::uint8_t* t, std::uint32_t len, std::uint32_t from, std::uint32_t keyIdx) {
  std::string scratch;
  for (std::uint32_t i = from; i < len;) {
    const RowScan s = ScanRow(t, i, len, keyIdx);
    if (s.end > i && m_n < m_cap) {
      m_rows[m_n] = {i, s.end - i, s.cells};
      JoinRecord& r = m_recs[m_n];
      r.index = static_cast<std::uint32_t>(m_n++);
      const std::uint8_t* kb = t + s.keyB;
      const std::uint8_t* ke = t + s.keyE;
      if (KeyNeedsStore(kb, ke)) {
        try {
          scratch.resize(static_cast<std::size_t>(ke - kb));
        } catch (const std::bad_alloc&) {
          return false;
        }
        std::uint32_t klen = 0;
        const std::uint8_t* k = KeyOfCell(kb, ke, reinterpret_cast<std::uint8_t*>(&scratch[0]), &klen);
        r.head = m_keyStore.Length();
        r.keyLen = klen;
        r.key = nullptr;  // in the store; set once the store stops moving
        m_anyStored = true;
        if (!m_keyStore.Put(k, klen)) return false;
      } else {
        r.key = KeyOfCell(kb, ke, nullptr, &r.keyLen);
      }
    }
    i = s.next;
  }
  return true;
}

std::uint64_t LinkJoin::OutputEstimate() const {
  std::uint64_t size = static_cast<std::uint64_t>(m_tableTitle.end) + m_otherTitle.end + m_L + m_wanted + 16;
  const std::uint64_t perRow = static_cast<std::uint64_t>(m_L) + m_wanted + 8;
  for (std::size_t i = 0; i < m_n; ++i) {
    if (i + kAheadPlace < m_n) __builtin_prefetch(&m_rows[m_recs[i + kAheadPlace].index]);
    const std::uint32_t index = m_recs[i].index;
    if (index >= m_bCount) {
      size += m_rows[index].len + perRow;
      if (m_match.match[i] != kNoMatch) size += m_rows[m_recs[m_match.match[i]].index].len;
    } else if (m_flags.both && !m_match.taken[i]) {
      size += m_rows[index].len + perRow + m_fields;
    }
  }
  return size;
}

void LinkJoin::PutOtherCells(const std::uint8_t* row, std::uint32_t n, std::uint32_t cells) {
  if (m_dropKey) {
    const void* sep = std::memchr(row, kSep, n);
    if (sep) {
      const auto skip = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(sep) - row) + 1;
      row += skip;
      n -= skip;
      --cells;
    } else {
      n = 0;
    }
  }
  m_out.Put(row, n);
  if (cells < m_wanted) m_out.PutRepeat(kSep, m_wanted - cells);
}

void LinkJoin::WriteTitle() {
  const std::uint8_t* row = m_t;
  const auto n = static_cast<std::uint32_t>(m_tableTitle.end);
  std::uint32_t have = 0;
  const std::uint32_t lead = LeadEnd(row, n, m_L, &have);
  if (m_L > 0) {
    m_out.Put(row, lead);
    m_out.PutRepeat(kSep, m_L - have);
    m_out.PutByte(kSep);
  }
  if (m_flags.nbk) {
    m_out.Put("nbk", 3);
    m_out.PutByte(kSep);
  }
  PutOtherCells(m_o, static_cast<std::uint32_t>(m_otherTitle.end),
                CountCells(m_o, static_cast<std::uint32_t>(m_otherTitle.end)));
  if (m_L == 0) m_out.PutByte(kSep);
  m_out.Put(row + lead, n - lead);
  m_out.PutCrLf();
}

void LinkJoin::WriteTableRow(std::size_t i) {
  const RowSpan& r = m_rows[m_recs[i].index];
  const std::uint32_t match = m_match.match[i];
  const std::uint8_t* row = m_t + r.start;
  std::uint32_t have = r.cells;
  // A row of at most L cells is all lead; its cells are known.
  const std::uint32_t lead = m_L > 0 && r.cells <= m_L ? r.len : LeadEnd(row, r.len, m_L, &have);
  if (m_L > 0) {
    m_out.Put(row, lead);
    m_out.PutRepeat(kSep, m_L - have);
    m_out.PutByte(kSep);
  }
  if (m_flags.nbk) {
    if (match != kNoMatch) {
      char digits[8];
      const std::uint32_t c = std::min<std::uint32_t>(m_match.count[i], kCountShown);
      const int k = std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(c));
      m_out.Put(digits, static_cast<std::size_t>(k));
    }
    m_out.PutByte(kSep);
  }
  if (match != kNoMatch) {
    const RowSpan& b = m_rows[m_recs[match].index];
    PutOtherCells(m_o + b.start, b.len, b.cells);
  } else {
    m_out.PutRepeat(kSep, m_wanted - 1);
  }
  if (m_L == 0) m_out.PutByte(kSep);
  m_out.Put(row + lead, r.len - lead);
  m_out.PutCrLf();
}

void LinkJoin::WriteOwnRow(const RowSpan& r) {
  m_out.PutRepeat(kSep, m_L);
  if (m_flags.nbk) m_out.PutByte(kSep);
  PutOtherCells(m_o + r.start, r.len, r.cells);
  if (m_fields > m_L) m_out.PutRepeat(kSep, m_fields - m_L);
  m_out.PutCrLf();
}

int LinkJoin::Install(std::uint32_t L) {
  Table result;
  result.m_bCellCodesAreData = m_table.m_bCellCodesAreData;
  if (!m_out.InstallInto(result, kInstallMargin)) return Fail(kJoinReplace);
  result.Rescan();
  if (L == 0) {
    QuietHost quiet;
    if (CsvPadShortRows(result, "\"\"", 0, 0, &quiet) != kOpOk) return Fail(kJoinReplace);
  }
  const RecordEnd first = FirstRecordEnd(result.m_pTextBuf, result.m_nTextLen);
  result.m_nFieldCount = CountCells(result.m_pTextBuf, static_cast<std::uint32_t>(first.end));
  m_table.TakeContentOf(result);
  return kLinkJoinDone;
}

int LinkJoin::Run(OtherSource& source, bool* unreadable) {
  switch (m_read.Read(source)) {
    case OtherRead::kOk:
      break;
    case OtherRead::kUnreadable:
      if (unreadable) *unreadable = true;
      return kLinkJoinNothing;
    case OtherRead::kNoMemory:
    case OtherRead::kTooLarge:
      return Fail(kJoinOtherData);
  }
  if (const int rc = PrepareOther(); rc != kLinkJoinDone) return rc;

  m_t = m_table.m_pTextBuf;
  m_tlen = ContentLength(m_table);
  m_tableTitle = FirstRecordEnd(m_t, m_tlen);
  m_fields = m_table.m_nFieldCount;
  const int ib = m_args.insertBefore;
  m_L = ib <= 0 || static_cast<std::uint32_t>(ib) > m_fields ? m_fields : static_cast<std::uint32_t>(ib - 1);
  const std::uint32_t keyIdx = m_args.keyColumn > 0 ? static_cast<std::uint32_t>(m_args.keyColumn - 1) : 0;

  // Key records: one per data row of either text.
  const std::uint64_t bound = RowBound(m_t, m_tlen) + RowBound(m_o, m_olen);
  if (bound > 0xFFFFFFF0u) return kLinkJoinTooMany;
  m_cap = static_cast<std::size_t>(bound);
  m_recs = static_cast<JoinRecord*>(fw::Alloc(m_cap * sizeof(JoinRecord)));
  if (!m_recs) return Fail(kJoinKeyRecords);
  m_rows = static_cast<RowSpan*>(fw::Alloc(m_cap * sizeof(RowSpan)));
  if (!m_rows) return Fail(kJoinKeyRecords);
  // 'B' records first: the sort keeps the given order among equal keys.
  if (!AddRecords(m_o, m_olen, static_cast<std::uint32_t>(m_otherTitle.next), m_otherKey)) return Fail(kJoinKeyRecords);
  m_bCount = m_n;
  if (!AddRecords(m_t, m_tlen, static_cast<std::uint32_t>(m_tableTitle.next), keyIdx)) return Fail(kJoinKeyRecords);
  for (std::size_t i = 0; m_anyStored && i < m_n; ++i) {
    if (m_recs[i].key == nullptr)
      m_recs[i].key = m_keyStore.Data() ? m_keyStore.Data() + m_recs[i].head : reinterpret_cast<const std::uint8_t*>("");
  }
  // A record's index tells which text its row is in.
  if (!SortJoinRecords(&m_recs, m_n)) return Fail(kJoinKeyRecords);
  // Match results: match, count and taken of each sorted record.
  constexpr std::size_t kResultBytes = sizeof(std::uint32_t) + sizeof(std::uint16_t) + sizeof(std::uint8_t);
  m_results = static_cast<std::uint8_t*>(fw::Alloc((m_n + 1) * kResultBytes));
  if (!m_results) return Fail(kJoinKeyRecords);
  m_match.match = reinterpret_cast<std::uint32_t*>(m_results);
  m_match.count = reinterpret_cast<std::uint16_t*>(m_results + (m_n + 1) * sizeof(std::uint32_t));
  m_match.taken = m_results + (m_n + 1) * (sizeof(std::uint32_t) + sizeof(std::uint16_t));

  MatchOptions mo;
  mo.prefix = m_flags.prefix;
  mo.single = m_flags.single;
  mo.pairs = m_flags.pairs;
  bool noMemory = false;
  bool stopped = false;
  auto poll = [&](std::size_t c) {
    if (!m_host) return false;
    stopped = m_host->PollEscape(KeyText(m_recs[c]));
    return stopped;
  };
  if (!MatchRows(m_recs, m_n, m_bCount, mo, poll, m_match, &noMemory)) {
    if (stopped) return kLinkJoinNothing;
    return Fail(kJoinKeyRecords);
  }

  if (!m_out.Reserve(OutputEstimate())) return Fail(kJoinOutput);
  WriteTitle();
  for (std::size_t i = 0; i < m_n && !m_out.Failed(); ++i) {
    // Rows come in key order, so from anywhere in their texts: their places
    // are asked for well ahead and their first bytes a little ahead.
    if (i + kAheadPlace < m_n) __builtin_prefetch(&m_rows[m_recs[i + kAheadPlace].index]);
    if (i + kAheadRow < m_n) {
      const std::uint32_t ahead = m_recs[i + kAheadRow].index;
      __builtin_prefetch((ahead >= m_bCount ? m_t : m_o) + m_rows[ahead].start);
      if (ahead >= m_bCount && m_match.match[i + kAheadRow] != kNoMatch)
        __builtin_prefetch(m_o + m_rows[m_recs[m_match.match[i + kAheadRow]].index].start);
    }
    const std::uint32_t index = m_recs[i].index;
    if (index >= m_bCount) {
      WriteTableRow(i);
    } else if (m_flags.both && !m_match.taken[i]) {
      WriteOwnRow(m_rows[index]);
    }
  }
  if (m_out.Failed()) return Fail(kJoinOutput);
  return Install(m_L);
}

}  // namespace

int CsvLinkJoin(Table& table, OtherSource& source, const LinkJoinArgs& args, LinkJoinHost* host, bool* unreadable) {
  if (unreadable) *unreadable = false;
  try {
    LinkJoin join(table, args, host);
    return join.Run(source, unreadable);
  } catch (const std::bad_alloc&) {
    ReportOpFailure(host, kJoinKeyRecords);
    return kLinkJoinNothing;
  }
}

}  // namespace csv
