#include "convert/ooxml_job.h"

namespace convert {

PackageStart OpenJobPackage(RenderJob& job, OoxmlKind kind) {
  PackageRequest request;
  request.path = job.path;
  request.programDir = job.m_strProgramDir;
  request.unzipBound = job.m_bUnzipBound != 0;
  request.host = job.host;
  return OpenOoxmlPackage(request, kind, job.out);
}

}  // namespace convert
