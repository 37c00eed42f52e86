#include "view/viewload/sortpage.h"

#include "core/docsvc/filekind.h"

namespace viewload {
namespace {
constexpr std::int32_t kDefaultPageRows = 1000;
constexpr std::uint32_t kRuledTableMode = 3;
constexpr int kSourceForm1 = 1;
}  // namespace

PageCase PageCaseOf(int fileKind, int sourceView, bool shownInPart) {
  if (docsvc::IsCsvKind(fileKind) && sourceView != kSourceForm1) return PageCase::kCsvTable;
  if (!docsvc::IsCsvKind(fileKind) && fileKind != docsvc::kKindRichText && sourceView == 0 && shownInPart)
    return PageCase::kTextPart;
  return PageCase::kOther;
}

int SortKeyColumn(std::uint32_t curColumn, std::uint32_t columnPageWord, std::uint32_t editMode) {
  std::int64_t c = static_cast<std::int64_t>(curColumn) + (columnPageWord & 0xFFFFu);
  if (editMode == kRuledTableMode) --c;
  if (c < 0) c = 0;
  if (c > 0x7FFFFFFE) c = 0x7FFFFFFE;
  return static_cast<int>(c);
}

int SortKeyCode(int column0, bool descending) { return descending ? ~column0 : column0 + 1; }

int SortKeyArgument(int column0, bool descending) { return descending ? -(column0 + 1) : column0 + 1; }

std::uint32_t PageSizeFor(std::uint32_t editMode, std::int32_t bmpfile, std::int32_t* ruledCopy) {
  const std::int32_t setting = bmpfile > 0 ? bmpfile : kDefaultPageRows;
  if (editMode != kRuledTableMode || !ruledCopy) return static_cast<std::uint32_t>(setting);
  if (*ruledCopy <= 0) *ruledCopy = setting;
  return static_cast<std::uint32_t>(*ruledCopy);
}

}  // namespace viewload
