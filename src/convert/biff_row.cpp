#include "convert/biff_row.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "convert/biff_reader.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"
#include "core/docopen/opentexts.h"

namespace convert {
namespace {

struct StreamSpan {
  std::int32_t from = 0;
  std::int32_t to = 0;
};

// Reads the stream, names the sheets and lays the workbook out. Returns the
// bytes the job's text holds; `damage` gets the record whose damage stopped
// the reading.
std::int64_t RunWorkbook(RenderJob& job, StreamSpan stream, StreamSpan summary, StreamSpan namesSector, bool bare,
                         bool whole, const char** damage) {
  std::unique_ptr<WorkbookTable> table(new (std::nothrow) WorkbookTable);
  if (!table || !table->Allocate(job.tblMax, job.nChar)) {
    job.out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kOutOfMemory)));
    return static_cast<std::int64_t>(job.out.Size());
  }
  table->m_nKind = 3;
  table->m_bStreamsWhole = whole;
  BiffWords words;
  words.openContext = job.openContext;
  words.xlsMode = job.m_nXlsMode;
  words.xlsDecimals = job.m_nXlsDecimals;
  words.rtbl = job.rtbl;
  words.nChar = job.nChar;
  words.language = job.m_nLanguageSetting;
  words.bare = bare;
  const BiffRead read = ReadBiffRecords(job.m_pConvData, stream.from, stream.to, words, *table, job.out);
  if (damage) *damage = read.damage;

  // The picture table serves the picture extraction of the frame.
  job.pictures.Clear();
  for (int i = 0; i < table->m_pictures.Count(); ++i) job.pictures.Add(table->m_pictures.At(i));
  if (read.ended) return static_cast<std::int64_t>(job.out.Size());

  // Sheet names: the summary's vector of strings, else the sheet records.
  std::vector<std::string> names = BiffSummarySheetNames(job.Head(), summary.from, summary.to);
  if (names.empty()) names = BiffSummarySheetNames(job.Head(), namesSector.from, namesSector.to);
  if (names.empty()) names = read.sheetRecordNames;
  for (std::size_t i = 0; i < names.size() && i < static_cast<std::size_t>(kWorkbookSheetNames); ++i)
    table->SetSheetName(static_cast<std::int32_t>(i), reinterpret_cast<const std::uint8_t*>(names[i].data()),
                        names[i].size());

  LayoutWorkbookForJob(*table, job);
  return static_cast<std::int64_t>(job.out.Size());
}

StreamSpan SpanOf(const RenderJob& job, const CompoundStreamTable& table, int slot) {
  StreamSpan s;
  if (table.slot[slot] <= 0 || table.length[slot] <= 0) return s;
  std::int64_t to = static_cast<std::int64_t>(table.slot[slot]) + table.length[slot];
  const std::int64_t held = table.end > 0 ? table.end : job.readSize;
  if (to > held) to = held;
  if (job.headCapacity && to > static_cast<std::int64_t>(job.headCapacity)) to = static_cast<std::int64_t>(job.headCapacity);
  s.from = table.slot[slot];
  s.to = static_cast<std::int32_t>(to > s.from ? to : s.from);
  // The main stream ends at its recorded size, not at its last sector's end.
  if (table.streamSize[slot] > 0 && s.from + table.streamSize[slot] < s.to)
    s.to = static_cast<std::int32_t>(s.from + table.streamSize[slot]);
  return s;
}

}  // namespace

std::int64_t ReadExcelWorkbook(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table) {
  const StreamSpan main = SpanOf(job, table, kSlotMain);
  const StreamSpan summary = SpanOf(job, table, kSlotDocSummary);
  const StreamSpan names = SpanOf(job, table, kSlotSheetNames);
  const char* damage = nullptr;
  RunWorkbook(job, main, summary, names, false, !reader.Truncated(), &damage);
  if (damage) reader.Damage().Mark(damage);
  return static_cast<std::int64_t>(job.out.Size());
}

std::int64_t ReadBareBiff(RenderJob& job) {
  StreamSpan main;
  main.from = job.m_nConvPos > 0 ? job.m_nConvPos : 0;
  main.to = job.readSize > main.from ? job.readSize : main.from;
  const char* damage = nullptr;
  RunWorkbook(job, main, StreamSpan(), StreamSpan(), true, !job.inputCut && job.m_bFileCut == 0, &damage);
  if (damage) {
    DamageNote note;
    note.Mark(damage);
    note.WriteTo(job.out);
  }
  return static_cast<std::int64_t>(job.out.Size());
}

}  // namespace convert
