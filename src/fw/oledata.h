// A data source for OLE drag and drop and the clipboard: global memory
// blocks offered in clipboard formats, put on the clipboard or dragged out
// with the drag loop of OLE. The drag hook of fw/uihooks.h answers the drag
// in tests.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

typedef DWORD DROPEFFECT;

class COleDataSource {
 public:
  COleDataSource();
  ~COleDataSource();
  COleDataSource(const COleDataSource&) = delete;
  COleDataSource& operator=(const COleDataSource&) = delete;

  // Offers `global` in `format` (TYMED_HGLOBAL); the source owns the block
  // from now on and frees it when the last user lets go of the data.
  void CacheGlobalData(CLIPFORMAT format, HGLOBAL global);
  // Puts the data on the clipboard (OleSetClipboard); the clipboard keeps
  // its own reference. False when OLE refused it.
  bool SetClipboard();
  // Runs the drag loop with the effects allowed; the effect the drop target
  // chose, DROPEFFECT_NONE when the drag was cancelled or failed.
  DROPEFFECT DoDragDrop(DWORD allowedEffects = DROPEFFECT_COPY);

 private:
  class Object;
  Object* m_pObject;
};
