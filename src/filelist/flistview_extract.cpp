// Archive extraction of the double-click (filled in with the extraction).
#include "filelist/flistview.h"
