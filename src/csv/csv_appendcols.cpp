#include "csv/csv_appendcols.h"

#include "csv/csv_out.h"

namespace csv {
namespace {

// End of the row that starts at `pos` (its first CR or LF, or `len`), and
// the start of the next row behind its line end.
std::uint32_t RowEnd(const std::uint8_t* t, std::uint32_t len, std::uint32_t pos, std::uint32_t* next) {
  std::uint32_t e = pos;
  while (e < len && t[e] != '\r' && t[e] != '\n') ++e;
  std::uint32_t n = e;
  if (n < len) n += t[n] == '\r' && n + 1 < len && t[n + 1] == '\n' ? 2 : 1;
  *next = n;
  return e;
}

std::uint32_t Separators(const std::uint8_t* b, const std::uint8_t* e) {
  std::uint32_t n = 0;
  for (; b < e; ++b) n += *b == CSV_FIELD_SEP;
  return n;
}

}  // namespace

AppendResult CsvAppendColumns(Table& table, OtherSource& source, OpHost* host) {
  OtherText other;
  switch (other.Read(source)) {
    case OtherRead::kOk: break;
    case OtherRead::kUnreadable: return AppendResult::kUnreadable;
    case OtherRead::kNoMemory:
    case OtherRead::kTooLarge:
      ReportOpFailure(host, kAppendFileBuffer);
      return AppendResult::kFailed;
  }
  const std::uint8_t* f = other.Data();
  const std::uint32_t flen = other.Length();
  const RecordEnd title = other.Title();
  const std::uint32_t fileColumns = Separators(f, f + title.end) + 1;

  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t tlen = ContentLength(table);
  OutWriter out;
  // Usually the whole result: both texts and a row end per row.
  const std::uint64_t rows = table.m_nLastRow >= 0 ? static_cast<std::uint64_t>(table.m_nLastRow) + 1 : 1;
  if (!out.Reserve(std::uint64_t{tlen} + flen + rows * 3 + 2)) {
    ReportOpFailure(host, kAppendOutput);
    return AppendResult::kFailed;
  }
  std::uint32_t tpos = 0, fpos = 0;
  while (tpos < tlen) {
    std::uint32_t tnext = 0;
    const std::uint32_t tend = RowEnd(t, tlen, tpos, &tnext);
    out.Put(t + tpos, tend - tpos);
    out.PutByte(CSV_FIELD_SEP);
    if (fpos < flen) {
      std::uint32_t fnext = 0;
      const std::uint32_t fend = RowEnd(f, flen, fpos, &fnext);
      out.Put(f + fpos, fend - fpos);
      fpos = fnext;
    } else {
      out.PutRepeat(CSV_FIELD_SEP, fileColumns - 1);
    }
    out.PutCrLf();
    tpos = tnext;
  }
  if (out.Failed()) {
    ReportOpFailure(host, kAppendOutput);
    return AppendResult::kFailed;
  }
  out.Drop(2);  // the final line break
  const std::uint32_t oldFields = table.m_nFieldCount;
  // The file's code bytes are data only when the table holds no codes of
  // its own (one flag says how the whole table is saved).
  const bool codesAreData =
      table.m_bCellCodesAreData || (other.Breaks().codesAreData && !HasCellBreakBytes(t, tlen));
  if (!out.InstallInto(table, 1000)) {
    ReportOpFailure(host, kAppendReplace);
    return AppendResult::kFailed;
  }
  table.m_bCellCodesAreData = codesAreData;
  table.Rescan();
  table.m_nFieldCount = oldFields + fileColumns;
  return AppendResult::kDone;
}

}  // namespace csv
