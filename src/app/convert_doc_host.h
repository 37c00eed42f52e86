// The document's side of convert::ConvertHost: thin calls into CDvkDoc.
#pragma once

#include "convert/convert_host.h"

class CDvkDoc;

namespace app {

class ConvertDocHost final : public convert::ConvertHost {
 public:
  explicit ConvertDocHost(CDvkDoc& doc) : m_doc(doc) {}
  int LoadPicture(const CString& path, int loadMode) override;
  void StatusText(const CString& text) override;
  int PeekKey() override;
  int CheckEscapeAbort() override;
  int UnzipArchive(int mode, const CString& zipName, const CString& destDir) override;

 private:
  CDvkDoc& m_doc;
};

}  // namespace app
