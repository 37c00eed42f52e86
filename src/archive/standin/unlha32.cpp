// "unlha32.dll" of this program: Unlha takes the two command forms of the LZH
// entry. "x" extracts like the program's own path and also decodes "-lh6-"
// and "-lh7-"; "a" packs a file, a folder or a pattern (recursively, with
// paths) into a new archive with level-2 headers and "-lh5-" members.
// Nothing but an integer leaves it: 0 on success, -1 on failure, and a
// one-line report in the caller's buffer.
#include <string>

#include "archive/arc_command.h"
#include "archive/extract_target.h"
#include "archive/lzh_extract.h"
#include "archive/lzh_writer.h"
#include "archive/zip_writer.h"
#include "fw/path.h"

extern "C" int UnlhaGetVersion(void) { return 100; }

extern "C" int Unlha(void* hwnd, const char* command, char* output, unsigned long size) {
  try {
    arc::ArchiverCommand c = arc::ParseUnlhaCommand(command ? command : "");
    if (!c.ok) {
      arc::WriteReport(output, size, "command not understood");
      return -1;
    }
    arc::ArcOutcome r;
    if (c.op == 'x') {
      fw::MakeDir(c.target.c_str());
      arc::DiskTarget target(c.target);
      r = arc::LzhExtractFile(c.archive, target, true, nullptr);
    } else {
      std::vector<arc::WalkEntry> entries = arc::CollectEntries({c.target}, c.archive);
      if (entries.empty()) {
        arc::WriteReport(output, size, "nothing to pack");
        return -1;
      }
      r = arc::WriteLzh(c.archive, entries);
    }
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
