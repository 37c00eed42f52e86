#include "view/viewcore/viewsize.h"
#include "core/docsvc/filekind.h"

namespace viewcore {

int ClampSizeIndex(int index) {
  if (index < kSizeIndexMin) return kSizeIndexMin;
  if (index > kSizeIndexMax) return kSizeIndexMax;
  return index;
}

bool UsesTableSize(int fileKind, int sourceForm) {
  return fileKind == docsvc::kKindExcel || fileKind == docsvc::kKindCsv || fileKind == docsvc::kKindXlsx || sourceForm > 0;
}

int FontHeightTwips(int sizeIndex) { return (ClampSizeIndex(sizeIndex) * 3 + 9) * 10; }

int DisplaySizeIndex(const SizeIndexes& sizes, int fileKind, int sourceForm) {
  return ClampSizeIndex(UsesTableSize(fileKind, sourceForm) ? sizes.table : sizes.text);
}

int DisplayFontHeightTwips(const SizeIndexes& sizes, int fileKind, int sourceForm) {
  return FontHeightTwips(DisplaySizeIndex(sizes, fileKind, sourceForm));
}

bool ZoomStep(SizeIndexes& sizes, int fileKind, int sourceForm, int step) {
  int& index = UsesTableSize(fileKind, sourceForm) ? sizes.table : sizes.text;
  const int before = index;
  const int from = ClampSizeIndex(index);
  const int s = step > 0 ? 1 : (step < 0 ? -1 : 0);
  index = ClampSizeIndex(from + s);
  return index != before;
}

}  // namespace viewcore
