// The bookkeeping parts of an existing workbook, read by their own
// references rather than by where things stand in the text: the sheet list
// of workbook.xml, the relationships of workbook.xml.rels and the content
// types. Elements and attributes are found by their local names, in any
// order, with or without namespace prefixes and an XML declaration; values
// come back with the five named entities and character references turned
// into characters (in the part's own encoding).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace merge {

// One entry of the workbook's sheet list.
struct SheetEntry {
  std::string name;     // entities resolved, in the part's encoding
  std::string sheetId;  // as written
  std::string relId;    // the relationship id the entry names ("" when none)
};

// One relationship of a relationships part.
struct Relationship {
  std::string id;
  std::string type;
  std::string target;
  bool external = false;  // TargetMode="External"
};

// The content types: extension defaults and part overrides.
struct ContentTypes {
  struct Entry {
    std::string key;  // the extension (defaults) or the part name (overrides)
    std::string contentType;
  };
  std::vector<Entry> defaults;
  std::vector<Entry> overrides;
};

// Each reader returns false when the bytes are not a part of its kind (no
// root element of that name, or a UTF-16 part); what it read up to there
// stays in the result.
bool ReadWorkbookSheets(const char* data, std::size_t len, std::vector<SheetEntry>* sheets);
bool ReadRelationships(const char* data, std::size_t len, std::vector<Relationship>* rels);
bool ReadContentTypes(const char* data, std::size_t len, ContentTypes* types);

// The relationship type of a worksheet (either ending of the namespaces).
bool IsWorksheetRelationship(const std::string& type);

// The package path a relationship of the part `source` (such as
// "xl/workbook.xml") targets: relative targets against the source's folder,
// "/xl/..." from the package root, "." and ".." segments resolved. Empty
// for external targets and for paths that climb above the root.
std::string ResolvePartTarget(const std::string& source, const std::string& target);

// The package path of each sheet's part, in sheet order ("" for a sheet
// whose relationship is missing or is no worksheet).
std::vector<std::string> SheetPartPaths(const std::vector<SheetEntry>& sheets,
                                        const std::vector<Relationship>& rels,
                                        const std::string& workbookPath = "xl/workbook.xml");

}  // namespace merge
