// CDvkDoc::LoadImageForDoc: any picture the loaders read, written again as
// a plain BMP file (the table editor embeds it, the file list joins it).
#include "app/dvkdoc.h"

int CDvkDoc::LoadImageForDoc(CString path, CString bmpPath) {
  (void)path, (void)bmpPath;
  return -1;
}
