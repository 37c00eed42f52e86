#include "csv/csv_concat.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "csv/csv_columns.h"
#include "csv/csv_index.h"
#include "csv/csv_out.h"
#include "fw/alloc.h"

namespace csv {
namespace {

constexpr std::uint32_t kTitleListMax = 9000;
constexpr int kFieldScanLines = 10;

int Clamp(std::uint64_t v) { return v > INT_MAX ? INT_MAX : static_cast<int>(v); }

void Message(OpHost* host, const char* text) {
  if (host) host->ReportMessage(2, CString(text));
}

void BufferFailure(OpHost* host, std::uint64_t capacity, std::uint64_t size) {
  char text[96];
  std::snprintf(text, sizeof text, "Memory eror (OnCsvAdd2 01) %d,%d", Clamp(capacity), Clamp(size));
  Message(host, text);
}

void ReplaceFailure(OpHost* host, std::uint64_t length, std::uint64_t added) {
  char text[96];
  std::snprintf(text, sizeof text, "Memory eror (OnCsvAdd2 02) %d,i2=%d", Clamp(length), Clamp(added));
  Message(host, text);
}

// Start of the line after the one that starts at `pos` (`len` when none).
std::uint32_t NextLine(const std::uint8_t* t, std::uint32_t len, std::uint32_t pos) {
  while (pos < len && t[pos] != '\r' && t[pos] != '\n') ++pos;
  if (pos < len) pos += t[pos] == '\r' && pos + 1 < len && t[pos + 1] == '\n' ? 2 : 1;
  return pos;
}

// Where the data begins after skipping: 9999 skips the leading "~" lines and
// one more line (the title), another count that many lines.
std::uint32_t SkipLines(const std::uint8_t* t, std::uint32_t len, int skipLines) {
  std::uint32_t pos = 0;
  if (skipLines == 9999) {
    while (pos < len && t[pos] == '~') pos = NextLine(t, len, pos);
    return NextLine(t, len, pos);
  }
  for (int k = 0; k < skipLines && pos < len; ++k) pos = NextLine(t, len, pos);
  return pos;
}

// The line with the most fields among the first ten (a "~" line counts as
// one field; a field counts at a separator that does not follow another).
std::uint32_t WidestOfFirstLines(const std::uint8_t* t, std::uint32_t len) {
  std::uint32_t best = 0, bestFields = 0;
  std::uint32_t pos = 0;
  for (int k = 0; k < kFieldScanLines && pos < len; ++k) {
    std::uint32_t fields = 1;
    if (t[pos] != '~') {
      for (std::uint32_t i = pos; i < len && t[i] != '\r' && t[i] != '\n'; ++i)
        if (t[i] == CSV_FIELD_SEP && (i == pos || t[i - 1] != CSV_FIELD_SEP)) ++fields;
    }
    if (fields > bestFields) best = pos, bestFields = fields;
    pos = NextLine(t, len, pos);
  }
  return best;
}

bool EndsWithLineBreak(const OutWriter& out) {
  return out.Length() == 0 || out.LastByte() == '\n' || out.LastByte() == '\r';
}

// Raw bytes of a source from `offset` to its end (the kinds that append
// their text unconverted). The buffer comes from fw::Alloc.
struct RawText {
  std::uint8_t* data = nullptr;
  std::uint32_t len = 0;
  ~RawText() { fw::Free(data); }
  OtherRead Read(OtherSource& src, std::uint64_t offset) {
    const std::int64_t size = src.Size();
    if (size < 0) return OtherRead::kUnreadable;
    const std::uint64_t total = static_cast<std::uint64_t>(size);
    const std::uint64_t want = offset < total ? total - offset : 0;
    if (want > OtherText::kMaxBytes) return OtherRead::kTooLarge;
    data = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(want) + 1));
    if (!data) return OtherRead::kNoMemory;
    std::uint64_t got = 0;
    while (got < want) {
      const std::int64_t r = src.ReadAt(offset + got, data + got, static_cast<std::size_t>(want - got));
      if (r < 0) return OtherRead::kUnreadable;
      if (r == 0) break;
      got += std::min<std::uint64_t>(static_cast<std::uint64_t>(r), want - got);
    }
    len = static_cast<std::uint32_t>(got);
    data[len] = 0;
    return OtherRead::kOk;
  }
};

// The source as the operation reads it: converted (kind 33) or raw.
struct SourceText {
  OtherText converted;
  RawText raw;
  bool isRaw = false;
  const std::uint8_t* Data() const { return isRaw ? raw.data : converted.Data(); }
  std::uint32_t Length() const { return isRaw ? raw.len : converted.Length(); }
  bool CodesAreData() const { return !isRaw && converted.Breaks().codesAreData; }
  OtherRead Read(OtherSource& src, bool convert) {
    isRaw = !convert;
    return isRaw ? raw.Read(src, 0) : converted.Read(src, 0);
  }
};

class Concat {
 public:
  Concat(Table& table, const ConcatArgs& args, OtherSource& src, const TitleResolver& resolve, OpHost* host)
      : table_(table), args_(args), src_(src), resolve_(resolve), host_(host) {
    mode_ = args.sourceMode;
    if (mode_ != 0 && mode_ != 2 && mode_ != 3 && mode_ != 6) mode_ = 1;
    shared_ = ConcatReadsSharedMemory(args.sourceMode);
  }

  ConcatResult Run() {
    const std::int64_t size = src_.Size();
    if (size < 0) {
      if (!shared_) return ConcatResult::kUnreadable;
      Message(host_, "mmapfile size-2");
      return ConcatResult::kFailed;
    }
    const std::uint8_t* t = table_.m_pTextBuf;
    const std::uint32_t tlen = ContentLength(table_);
    // The output's first size: the table, the source and a margin; the
    // column matching rewrites the source (and under mode 6 the table).
    const auto ssize = static_cast<std::uint64_t>(size);
    std::uint64_t capacity = std::uint64_t{tlen} + ssize + 9000;
    if (mode_ == 2 || mode_ == 6) capacity += ssize;
    if (mode_ == 6 && table_.m_nLastRow > 0)
      capacity += std::uint64_t{table_.m_nFieldCount} * static_cast<std::uint64_t>(table_.m_nLastRow);
    if (!out_.Reserve(capacity + 1000)) {
      BufferFailure(host_, capacity, ssize);
      return ConcatResult::kFailed;
    }
    sourceSize_ = ssize;
    capacity_ = capacity;

    // The table's own text, cut after its last block's data rows under 9999.
    std::uint32_t keep = tlen;
    const std::uint32_t blocks = table_.BlockCount();
    if (args_.skipLines == 9999 && blocks >= 1 && blocks <= 499) {
      const std::uint32_t end = table_.m_aSecInfoB[blocks];
      if (tlen >= 2 && end < tlen - 2) {
        keep = end;
        if (keep > 0 && t[keep - 1] == '\n') --keep;
        if (keep > 0 && t[keep - 1] == '\r') --keep;
      }
    }
    tableCodes_ = HasCellBreakBytes(t, keep);
    const bool matching = mode_ == 2 || mode_ == 3 || mode_ == 6;
    const ConcatResult r = matching ? Matching(t, keep) : Straight(t, keep);
    if (r != ConcatResult::kDone) return r;
    return Install();
  }

 private:
  // Reads the whole source: converted for a table, raw for the text kinds.
  ConcatResult ReadSource(bool convert, const char* sharedFailure) {
    switch (source_.Read(src_, convert)) {
      case OtherRead::kOk: return ConcatResult::kDone;
      case OtherRead::kUnreadable:
        if (!shared_) return ConcatResult::kUnreadable;
        Message(host_, sharedFailure);
        return ConcatResult::kFailed;
      case OtherRead::kNoMemory:
      case OtherRead::kTooLarge: break;
    }
    BufferFailure(host_, capacity_, sourceSize_);
    return ConcatResult::kFailed;
  }

  // The source's bytes. A table whose code bytes are data (it held them
  // when it was loaded, so its quoted breaks stayed row ends) takes the
  // source's quoted breaks as the line ends they were, as its own load did.
  void PutSource(const std::uint8_t* p, std::uint32_t n) {
    if (!table_.m_bCellCodesAreData || source_.isRaw || source_.converted.Breaks().codes == 0) {
      out_.Put(p, n);
      return;
    }
    std::uint32_t run = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      if (!IsCellBreakCode(p[i])) continue;
      out_.Put(p + run, i - run);
      out_.PutByte(p[i] == kCellCr ? '\r' : '\n');
      run = i + 1;
    }
    out_.Put(p + run, n - run);
  }

  void PutTableText(const std::uint8_t* t, std::uint32_t keep) {
    out_.Put(t, keep);
    if (!EndsWithLineBreak(out_)) out_.PutCrLf();
  }

  // Modes 0 and 1: the source's rows from its data start, straight behind
  // the table.
  ConcatResult Straight(const std::uint8_t* t, std::uint32_t keep) {
    const bool skip = args_.skipLines > 0;
    const ConcatResult r = ReadSource(args_.fileKind == 33, skip ? "mmapfile part-read" : "mmapfile read-2");
    if (r != ConcatResult::kDone) return r;
    const std::uint8_t* s = source_.Data();
    const std::uint32_t slen = source_.Length();
    const std::uint32_t start = skip ? SkipLines(s, slen, args_.skipLines) : 0;
    if (start >= slen) return ConcatResult::kNothing;
    PutTableText(t, keep);
    PutSource(s + start, slen - start);
    added_ = slen - start;
    return ConcatResult::kDone;
  }

  // Rewrites `len` bytes of `text` by the column list `list` into `out`.
  bool Rewrite(const std::uint8_t* text, std::uint32_t len, std::uint32_t columns, const std::string& list,
               OutWriter& out) {
    std::vector<ColumnEntry> plan;
    bool unchanged = false;
    if (!BuildColumnPlan(list, std::max(columns, WidestRow(text, len, 0xFFFFFFFFu)), false, 0, &plan, &unchanged))
      return false;
    if (unchanged) return out.Put(text, len);
    return RewriteColumnsText(text, len, 0xFFFFFFFFu, plan, out);
  }

  // Modes 2, 3 and 6: the source's columns in the table's order by title.
  ConcatResult Matching(const std::uint8_t* t, std::uint32_t keep) {
    const ConcatResult r = ReadSource(true, "mmapfile read-3");
    if (r != ConcatResult::kDone) return r;
    const std::uint8_t* s = source_.Data();
    std::uint32_t slen = source_.Length();
    // The source starts at its title row: the widest of the first lines of
    // a file, the first line after the leading "~" lines of a block.
    std::uint32_t from = 0;
    if (mode_ != 3) {
      from = WidestOfFirstLines(s, slen);
    } else {
      while (from < slen && s[from] == '~') from = NextLine(s, slen, from);
    }
    s += from;
    slen -= from;
    std::uint32_t titlePos = 0;
    LineToOffset(table_, t, keep, &titlePos, kLineTitleAtCurLine, 0);
    const std::string titleList = ConcatTitleList(t, keep, titlePos);
    const std::uint32_t titles = CountRowFields(t, keep, titlePos);
    std::string list = resolve_ ? resolve_(titleList, s, slen) : std::string("1-");
    if (list.empty() || list == "Eror") return ConcatResult::kFailed;  // the user cancelled a question
    if (mode_ == 6) list += ",*";
    OutWriter rewritten;
    if (!Rewrite(s, slen, 0, list, rewritten)) return OutputFailure(rewritten);
    const std::uint8_t* rs = rewritten.Data();
    const std::uint32_t rlen = rewritten.Length();
    const int skipLines = args_.skipLines == 9999 ? 1 : args_.skipLines;
    const std::uint32_t start = skipLines > 0 ? SkipLines(rs, rlen, skipLines) : 0;
    if (rs == nullptr || start >= rlen) return ConcatResult::kNothing;
    if (mode_ == 6) {
      if (!PutTableWithExtraColumns(t, keep, titlePos, rs, rlen, titles)) return OutputFailure(out_);
    } else {
      PutTableText(t, keep);
    }
    PutSource(rs + start, rlen - start);
    added_ = rlen - start;
    return ConcatResult::kDone;
  }

  // Mode 6: the source now holds the table's `titles` columns and then its
  // own other columns. The table's rows keep their cells and get an empty
  // cell for each of those other columns (their cells beyond the title row's
  // follow behind), and its title row gets the source's titles for them, so
  // both parts have the same columns.
  bool PutTableWithExtraColumns(const std::uint8_t* t, std::uint32_t keep, std::uint32_t titlePos,
                                const std::uint8_t* rs, std::uint32_t rlen, std::uint32_t titles) {
    std::uint32_t sourceTitleEnd = 0;
    while (sourceTitleEnd < rlen && rs[sourceTitleEnd] != '\r' && rs[sourceTitleEnd] != '\n') ++sourceTitleEnd;
    const std::uint32_t sourceColumns = CountRowFields(rs, rlen, 0);
    const std::uint32_t extra = sourceColumns > titles ? sourceColumns - titles : 0;
    if (extra == 0) {
      PutTableText(t, keep);
      return !out_.Failed();
    }
    // The source's titles of its other columns: its title row from cell titles + 1.
    std::uint32_t from = 0;
    for (std::uint32_t seps = 0; from < sourceTitleEnd && seps < titles; ++from) seps += rs[from] == CSV_FIELD_SEP;
    std::string list = "1-" + std::to_string(titles);
    for (std::uint32_t k = 0; k < extra; ++k) list += ",9999";
    list += ",*";
    std::vector<ColumnEntry> plan;
    bool unchanged = false;
    if (!BuildColumnPlan(list, std::max(titles, WidestRow(t, keep, 0xFFFFFFFFu)), false, 0, &plan, &unchanged))
      return false;
    const std::uint32_t titleNext = NextLine(t, keep, titlePos);
    std::uint32_t titleEnd = titleNext;
    while (titleEnd > titlePos && (t[titleEnd - 1] == '\r' || t[titleEnd - 1] == '\n')) --titleEnd;
    if (!RewriteColumnsText(t, titlePos, 0xFFFFFFFFu, plan, out_)) return false;
    // The title row: its own cells up to `titles`, the source's other titles,
    // then any cells it has beyond.
    std::uint32_t cut = titlePos;
    for (std::uint32_t seps = 0; cut < titleEnd; ++cut) {
      if (t[cut] == CSV_FIELD_SEP && ++seps == titles) break;
    }
    out_.Put(t + titlePos, cut - titlePos);
    out_.PutByte(CSV_FIELD_SEP);
    PutSource(rs + from, sourceTitleEnd - from);
    out_.Put(t + cut, titleNext - cut);
    if (titleNext < keep && !RewriteColumnsText(t + titleNext, keep - titleNext, 0xFFFFFFFFu, plan, out_)) return false;
    if (!EndsWithLineBreak(out_)) out_.PutCrLf();
    return !out_.Failed();
  }

  ConcatResult OutputFailure(const OutWriter&) {
    BufferFailure(host_, capacity_, sourceSize_);
    return ConcatResult::kFailed;
  }

  ConcatResult Install() {
    if (out_.Failed()) return OutputFailure(out_);
    const std::uint32_t length = out_.Length();
    const bool codesAreData = table_.m_bCellCodesAreData || (source_.CodesAreData() && !tableCodes_);
    if (!out_.InstallInto(table_, 1000)) {
      ReplaceFailure(host_, length, added_);
      return ConcatResult::kFailed;
    }
    table_.m_bCellCodesAreData = codesAreData;
    table_.Rescan();
    return ConcatResult::kDone;
  }

  Table& table_;
  const ConcatArgs& args_;
  OtherSource& src_;
  const TitleResolver& resolve_;
  OpHost* host_;
  int mode_ = 0;
  bool shared_ = false;
  bool tableCodes_ = false;
  std::uint64_t sourceSize_ = 0, capacity_ = 0, added_ = 0;
  SourceText source_;
  OutWriter out_;
};

}  // namespace

bool ConcatReadsSharedMemory(int sourceMode) { return sourceMode != 0 && sourceMode != 2 && sourceMode != 6; }

std::string ConcatTitleList(const std::uint8_t* text, std::uint32_t len, std::uint32_t pos) {
  std::string list = "[";
  std::uint32_t titles = 0;
  for (std::uint32_t i = pos; i < len && text[i] != '\r' && text[i] != '\n' && text[i] != 0; ++i) {
    if (titles >= kTitleListMax) break;
    const std::uint8_t c = text[i];
    if (c == '"') continue;
    if (c == CSV_FIELD_SEP) {
      list += "],[";
    } else {
      list += static_cast<char>(c);
      ++titles;
    }
  }
  list += ']';
  return list;
}

ConcatResult CsvConcatVertical(Table& table, const ConcatArgs& args, OtherSource& source,
                               const TitleResolver& resolve, OpHost* host) {
  Concat c(table, args, source, resolve, host);
  return c.Run();
}

}  // namespace csv
