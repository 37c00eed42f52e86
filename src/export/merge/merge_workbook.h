// The bookkeeping parts of a merged package written back: the workbook
// part's sheet list replaced by the merged sheets and its active tab set;
// relationships and content-type overrides dropped and added by name. Every
// other byte stays (the declaration, views, defined names, calculation
// settings, the other relationships with their ids).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
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

// Defined names local to a sheet follow their sheet to its new place:
// `newIndex[k]` is the new position (from 0) of the sheet that stood at
// position k, or -1 when it is gone, and a name local to a sheet that is
// gone (or to a position past the table) is left out, since a reader takes
// such a name for a broken workbook. Names without localSheetId stay as
// they are. False, with `out` untouched, when nothing changes or the part
// is UTF-16.
bool RenumberLocalNames(const char* data, std::size_t len, const std::vector<int>& newIndex, std::string* out);

// The activeTab value of the first workbook view (-1 when there is none).
int ReadActiveTab(const char* data, std::size_t len);

// A relationship or content-type entry to add: the attribute pairs as
// written (values escaped once).
struct NewPartEntry {
  std::vector<std::pair<std::string, std::string>> attrs;
};

// Rewrites a part whose root holds entries named `item` (Relationship in a
// relationships part, Override in the content types): entries whose
// attribute `key` (Id, PartName) is one of `drop` are left out, `add` are
// written before the root's end. False, with `out` untouched, when the part
// has no such root end or is UTF-16.
bool RewriteEntryPart(const char* data, std::size_t len, const char* item, const char* key,
                      const std::vector<std::string>& drop, const std::vector<NewPartEntry>& add, std::string* out);

// The first id "rIdN" (N from 1) that none of `used` is.
std::string NextRelationshipId(const std::vector<std::string>& used);

// The '>' that ends a tag whose name ends at `from` (quoted values may hold
// '>'), or npos when the text ends first.
std::size_t FindTagClose(std::string_view d, std::size_t from);

}  // namespace merge
