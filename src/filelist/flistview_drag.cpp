// Dragging the marked entries out of a list pane to another program: a
// CF_HDROP block (flistcore/dragplan.h) offered by an OLE data source, on the
// clipboard too.
#include <cstring>

#include "filelist/flistcore/dragplan.h"
#include "filelist/flistview.h"
#include "fw/oledata.h"

std::string CFlistView::EntryPathForDrag(int index) {
  CString path = m_strCurDir + "\\";
  if (m_nListFlag == 1) path += CString(flist::GetNameRecord(m_table.m_pTextRecs2, index).c_str()) + "\\";
  path += flist::GetNameRecord(m_table.m_pNameRecs, index).c_str();
  app::DocHost* doc = GetDocument();
  // Enciphered names go out in the form the file system holds.
  if (doc) path = doc->TranslateEncryptedFileName(path, 0);
  return std::string(path.GetString(), static_cast<std::size_t>(path.GetLength()));
}

void CFlistView::DragMarkedOut() {
  const std::vector<std::string> paths =
      flist::MarkedPathsUpTo(m_table, m_state.m_nCurEntry, [this](int i) { return EntryPathForDrag(i); });
  if (paths.empty()) return;
  const std::vector<std::uint8_t> block = flist::BuildDropBlock(paths);
  HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, flist::kDropGlobalBytes);
  if (!global) return;
  void* p = ::GlobalLock(global);
  if (!p) {
    ::GlobalFree(global);
    return;
  }
  std::memcpy(p, block.data(), block.size());
  ::GlobalUnlock(global);
  COleDataSource source;
  source.CacheGlobalData(CF_HDROP, global);
  source.SetClipboard();
  source.DoDragDrop(DROPEFFECT_COPY);
}
