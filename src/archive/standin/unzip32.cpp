// "unzip32.dll" of this program: UnZip takes the extraction command the ZIP
// extraction entry builds and extracts with the same code as the program's
// own path (the archive is always read from its file, with every check).
// Nothing but an integer leaves it: 0 on success, -1 on failure, and a
// one-line report in the caller's buffer.
#include <string>

#include "archive/arc_command.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "fw/path.h"

extern "C" int UnZip(void* hwnd, const char* command, char* output, unsigned long size) {
  try {
    arc::ArchiverCommand c = arc::ParseUnZipCommand(command ? command : "");
    if (!c.ok) {
      arc::WriteReport(output, size, "command not understood");
      return -1;
    }
    fw::MakeDir(c.target.c_str());
    arc::DiskTarget target(c.target);
    arc::ArcState st;
    arc::ArcOutcome r = arc::UnzipOwn(st, c.archive, 0, 0, nullptr, false, target);
    if (r.result < 0) {
      arc::WriteReport(output, size, r.code.empty() ? "archive does not open" : "error " + r.Title());
      return -1;
    }
    arc::WriteReport(output, size, "ok");
    return 0;
  } catch (...) {
    arc::WriteReport(output, size, "failed");
    return -1;
  }
}
