#include "convert/xlsx_row.h"

#include <memory>
#include <new>

#include "convert/ooxml_package.h"
#include "convert/ooxml_job.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"
#include "convert/xlsx_reader.h"
#include "core/docopen/opentexts.h"

namespace convert {

std::int64_t ConvertXlsxWorkbook(RenderJob& job) {
  // The reader opens the file itself: the frame's handle goes first.
  job.m_file.reset();
  // The scratch folder lies below the program folder; without one there is
  // no place to unpack to (never the root of the drive).
  if (job.m_strProgramDir.IsEmpty()) return -1;
  PackageStart start = OpenJobPackage(job, OoxmlKind::kXlsx);
  if (!start.package) return start.result < 0 ? start.result : static_cast<std::int64_t>(job.out.Size());

  std::unique_ptr<WorkbookTable> table(new (std::nothrow) WorkbookTable);
  if (!table || !table->Allocate(job.tblMax, job.nChar)) {
    job.out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kOutOfMemory)));
    return static_cast<std::int64_t>(job.out.Size());
  }
  table->m_nKind = 36;
  XlsxWords words;
  words.nChar = job.nChar;
  words.fixedDecimals = job.m_nFixedDecimals;
  words.groupSwitch = job.m_nGroupSwitch;
  words.memoryLimit = job.m_nTextBufSize;
  const XlsxRead read = ReadXlsxWorkbook(*start.package, words, *table, job.out);

  LayoutWorkbookForJob(*table, job);
  WriteXlsxDamage(read.damagedPart, job.out);
  return static_cast<std::int64_t>(job.out.Size());
}

}  // namespace convert
