#include "app/convert_doc_host.h"

#include "app/dvkdoc.h"
#include "host/frame_host.h"

namespace app {

int ConvertDocHost::LoadPicture(const CString& path, int loadMode) { return m_doc.LoadImageFile(path, loadMode); }

void ConvertDocHost::StatusText(const CString& text) {
  if (g_pStatusBar) g_pStatusBar->SetPaneText(0, text);
}

int ConvertDocHost::PeekKey() {
  MSG m;
  if (!::PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) return 0;
  return static_cast<int>(m.wParam);
}

int ConvertDocHost::CheckEscapeAbort() { return app::g_pFrameHost ? app::g_pFrameHost->CheckEscapeAbort() : 0; }

// The package converters unpack through the document's one ZIP entry: every
// member to files, no output limit, no buffer.
int ConvertDocHost::UnzipArchive(int mode, const CString& zipName, const CString& destDir) {
  return m_doc.UnzipArchive(mode, zipName, destDir, 1, 0, nullptr);
}

}  // namespace app
