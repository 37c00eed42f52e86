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
};

}  // namespace convert
