#include "app/convert_doc_host.h"

#include "app/dvkdoc.h"

namespace app {

int ConvertDocHost::LoadPicture(const CString& path, int loadMode) { return m_doc.LoadImageFile(path, loadMode); }

}  // namespace app
