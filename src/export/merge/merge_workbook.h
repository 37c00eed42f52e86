// The workbook part of a merged package: its sheet list replaced by the
// merged sheets and its active tab set, everything else kept byte for byte
// (the declaration, views, defined names, calculation settings).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace merge {

// One entry of the new sheet list. The name is plain text in the part's
// encoding (it is escaped once when written).
struct NewSheetEntry {
  std::string name;
  long long sheetId = 0;
  std::string relId;
};

// Appends `text` with '&', '"', '<' and '>' escaped, in this order.
void AppendEscapedName(const std::string& text, std::string* out);

// Rewrites workbook.xml: the entries inside its sheet list become `sheets`
// (each declaring the relationships namespace for its id, so the part needs
// no declaration of its own), and the first workbook view gets `activeTab`
// (added when it has none). False, with `out` untouched, when the part has
// no sheet list or is UTF-16.
bool RewriteWorkbookPart(const char* data, std::size_t len, const std::vector<NewSheetEntry>& sheets,
                         int activeTab, std::string* out);

// The activeTab value of the first workbook view (-1 when there is none).
int ReadActiveTab(const char* data, std::size_t len);

}  // namespace merge
