// The Office Open XML package of a frame job: the job's file unpacked below
// its program folder (or read in memory), through the job's host.
#ifndef TABRYE_CONVERT_OOXML_JOB_H
#define TABRYE_CONVERT_OOXML_JOB_H

#include "convert/ooxml_package.h"
#include "convert/render_frame.h"

namespace convert {

// Starts the package of `job` for `kind`, writing any message into job.out.
PackageStart OpenJobPackage(RenderJob& job, OoxmlKind kind);

}  // namespace convert

#endif
