// The readers of a workbook's bookkeeping parts over any bytes: the sheet
// list, the relationships and the content types, then which part each sheet
// is. The input, in a buffer of its exact size, is read as each kind of
// part. Checked: every sheet's part path is empty or a plain package path
// (no empty, "." or ".." segment, no leading '/'), and a path comes only
// from a worksheet relationship that is not external. The sheet list is
// then written back with the names read (escaped once): a rewrite that
// succeeds holds every entry, and the active tab reads back as set. The
// same bytes as a worksheet on another sheet's template only lose bytes,
// and stay as they are without any prefixed id or relationship element; as
// document properties, rewritten titles are all there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/merge/merge_bookkeeping.h"
#include "export/merge/merge_package.h"
#include "export/merge/merge_workbook.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool PlainPath(const std::string& p) {
  if (p.empty() || p[0] == '/' || p.back() == '/') return false;
  std::size_t b = 0;
  while (b <= p.size()) {
    std::size_t e = p.find('/', b);
    if (e == std::string::npos) e = p.size();
    const std::string seg = p.substr(b, e - b);
    if (seg.empty() || seg == "." || seg == "..") return false;
    b = e + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<char> bytes(data, data + size);
  static const char kEmpty[1] = {0};
  const char* p = bytes.empty() ? kEmpty : bytes.data();
  std::vector<merge::SheetEntry> sheets;
  std::vector<merge::Relationship> rels;
  merge::ContentTypes types;
  merge::ReadWorkbookSheets(p, size, &sheets);
  merge::ReadRelationships(p, size, &rels);
  merge::ReadContentTypes(p, size, &types);
  const std::vector<std::string> paths = merge::SheetPartPaths(sheets, rels);
  Check(paths.size() == sheets.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (paths[i].empty()) continue;
    Check(PlainPath(paths[i]));
    bool fromWorksheet = false;
    for (const merge::Relationship& r : rels)
      if (r.id == sheets[i].relId) {
        fromWorksheet = !r.external && merge::IsWorksheetRelationship(r.type);
        break;
      }
    Check(fromWorksheet);
  }
  for (const merge::Relationship& r : rels) {
    const std::string t = merge::ResolvePartTarget("xl/workbook.xml", r.target);
    Check(t.empty() || PlainPath(t));
  }

  std::vector<merge::NewSheetEntry> entries;
  for (std::size_t i = 0; i < sheets.size() && i < 8; ++i)
    entries.push_back({sheets[i].name, static_cast<long long>(i) + 100000, sheets[i].relId});
  std::string out;
  if (merge::RewriteWorkbookPart(p, size, entries, 7, &out)) {
    std::size_t at = 0;
    for (const merge::NewSheetEntry& e : entries) {
      std::string want = "\" name=\"";
      merge::AppendEscapedName(e.name, &want);
      want += "\" sheetId=\"" + std::to_string(e.sheetId) + "\"";
      at = out.find(want, at);
      Check(at != std::string::npos);
    }
  } else {
    Check(out.empty());
  }
  // Local names renumbered with positions reversed and every third gone:
  // what comes out names only positions that exist, so renumbering it again
  // with the positions as they are changes nothing.
  {
    std::vector<int> map(12), same(12);
    for (int i = 0; i < 12; ++i) {
      map[static_cast<std::size_t>(i)] = i % 3 == 2 ? -1 : 11 - i;
      same[static_cast<std::size_t>(i)] = i;
    }
    std::string renamed, again;
    if (merge::RenumberLocalNames(p, size, map, &renamed))
      Check(!merge::RenumberLocalNames(renamed.data(), renamed.size(), same, &again));
    else
      Check(renamed.empty());
  }
  // Relationships dropped by id and one added: a rewrite that succeeds
  // holds the added entry.
  std::vector<std::string> drop;
  if (!rels.empty()) drop.push_back(rels[0].id);
  std::vector<std::string> used;
  for (const merge::Relationship& r : rels) used.push_back(r.id);
  const std::string id = merge::NextRelationshipId(used);
  for (const std::string& u : used) Check(u != id);
  out.clear();
  if (merge::RewriteEntryPart(p, size, "Relationship", "Id", drop, {{{{"Id", id}, {"Target", "a&b"}}}}, &out))
    Check(out.find("Relationship Id=\"" + id + "\" Target=\"a&amp;b\"/>") != std::string::npos);
  else
    Check(out.empty());

  const std::string left = merge::LeaveOutRelationshipMarkup(p, size);
  Check(left.size() <= size);
  const std::string in(p, size);
  if (in.find("id") == std::string::npos && in.find("<") == std::string::npos) Check(left == in);
  const std::vector<std::string> titles = {"A&B", "x"};
  out.clear();
  if (merge::RewriteAppPart(p, size, titles, &out)) {
    Check(out.find(">A&amp;B<") != std::string::npos);
    Check(out.find(">x<") != std::string::npos);
  } else {
    Check(out.empty());
  }
  return 0;
}
