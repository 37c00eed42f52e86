// Package parts a merge edits besides the workbook part: a worksheet built
// on another sheet's template loses the markup that names relationships of
// that sheet, and the document properties' sheet titles follow the merged
// sheet list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace merge {

// A worksheet with every element left out that names one of its
// relationships (drawing, legacyDrawing, legacyDrawingHF, picture,
// oleObjects, controls, tableParts, and hyperlink entries with a prefixed
// id; a hyperlinks list left empty goes too); on pageSetup only the prefixed
// id attribute goes. Such a sheet carries its template's markup to a part
// whose relationships are not the template's. Everything else stays byte
// for byte.
std::string LeaveOutRelationshipMarkup(const char* data, std::size_t len);

// docProps/app.xml with the first heading pair's count set to the number of
// `titles` and its entries among the titles of parts replaced by `titles`
// (plain text in the part's encoding, escaped once); the other titles (named
// ranges) stay. False, with `out` untouched, when the part does not hold
// both lists in that form (it then stays as it was).
bool RewriteAppPart(const char* data, std::size_t len, const std::vector<std::string>& titles, std::string* out);

// The relationships part of a package part: "xl/worksheets/sheet1.xml"
// gives "xl/worksheets/_rels/sheet1.xml.rels".
std::string RelationshipsPartOf(const std::string& partPath);

}  // namespace merge
