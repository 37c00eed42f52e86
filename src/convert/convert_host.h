// What a converter reaches of the window side: the document implements it
// with a thin adapter in src/app/, native tests pass a recording fake, and a
// run without a host (nullptr in the request) writes its scratch files and
// loads nothing.
#pragma once

#include "fw/cstring.h"

namespace convert {

class ConvertHost {
 public:
  virtual ~ConvertHost() = default;

  // Loads a scratch picture a converter wrote as the document's image
  // (CDvkDoc::LoadImageFile): 0 or more on success, below 0 on failure.
  virtual int LoadPicture(const CString& path, int loadMode) = 0;

  // Progress of a long conversion: the text goes to the status bar's first
  // pane. A run without a window shows nothing.
  virtual void StatusText(const CString& text) { (void)text; }
  // The virtual-key code of the first key-down waiting in the queue, left in
  // it, or 0 when none waits.
  virtual int PeekKey() { return 0; }
  // Esc poll: removes a waiting Esc, asks once whether to stop, and returns 1
  // (with the document's abort flag set) when the user stops.
  virtual int CheckEscapeAbort() { return 0; }

  // Unpacks every member of the ZIP archive `zipName` into files below
  // `destDir` (the document's UnzipArchive with count 1, no output limit and
  // no buffer): mode 0 the program's own codec, 1 the outside library when
  // it is bound. 0 or more on success, below 0 on failure. The default runs
  // the program's own codec (UnzipPackageOwn in ooxml_package.h).
  virtual int UnzipArchive(int mode, const CString& zipName, const CString& destDir);
};

}  // namespace convert
