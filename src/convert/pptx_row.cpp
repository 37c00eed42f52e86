#include "convert/pptx_row.h"

#include "convert/ooxml_job.h"
#include "convert/pptx_text.h"

namespace convert {

std::int64_t ConvertPptxForJob(RenderJob& job) {
  // A nested open shows the package's listing instead (the frame's sniff).
  if (job.openContext == 2) return 0;
  // No program folder: no place to unpack to (never the root of the drive).
  if (job.m_strProgramDir.IsEmpty()) return -1;
  PackageStart start = OpenJobPackage(job, OoxmlKind::kPptx);
  if (!start.package) return start.result < 0 ? start.result : static_cast<std::int64_t>(job.out.Size());
  PptxWords words;
  words.m_bTableLayout = job.m_bTableLayout;
  words.memoryLimit = job.m_nTextBufSize;
  return ConvertPptxToText(*start.package, words, job.out);
}

}  // namespace convert
