// The key list of the cross tabulation's pivot: the operand (labels, limit,
// list form), the list built from the sorted data with its subtotal
// entries, the explicit and product lists, and the closing entries.
//
// An entry has one text per key level, outermost first. The list's columns
// are its entries, each repeated once per value field (the innermost text,
// then the same with "$", then with "$$").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace csv {

constexpr int kPivotDefaultLimit = 20;
constexpr int kPivotDataLimit = 500;      // "N" lists and product lists
constexpr int kPivotExplicitLimit = 510;  // ','/'|' lists
constexpr std::uint32_t kPivotKeyBytes = 200;

struct PivotEntry {
  std::string t[3];  // outermost first; levels past the list's count empty
  bool operator==(const PivotEntry& o) const { return t[0] == o.t[0] && t[1] == o.t[1] && t[2] == o.t[2]; }
};

enum class PivotListForm { kData, kProduct, kExplicit };

struct PivotOperand {
  std::string overflowLabel = "Other";
  std::string totalLabel = "Total";
  PivotListForm form = PivotListForm::kData;
  int limit = kPivotDefaultLimit;
  std::vector<PivotEntry> listed;  // product and explicit forms
};

// Reads the operand: every "NULL" removed; the labels after the first and
// the second ':' (an empty label keeps its default); the part in front of
// them is empty (a list from the data, limit 20), "N" + number (from the
// data; `number` is the operand's first decimal number, held to 1-500, a
// number below 1 giving 20), a '^' product list (at most 500 entries) or a
// ','/'|' explicit list (at most 510 entries).
PivotOperand ReadPivotOperand(const std::string& operand, int levels, int number);

// The key tuple of one row: one text per level, outermost first, each the
// cell's bytes up to its separator, at most kPivotKeyBytes.
struct PivotKey {
  std::string t[3];
};

// Builds the list from the rows' keys in their sorted order: a new tuple is
// stored after the subtotal entries of the groups it closes; building ends
// once the last of `limit` slots is used or a tuple does not fit. An empty
// innermost key is an entry of its own with an empty text.
void BuildPivotKeys(const std::vector<PivotKey>& rows, int levels, int limit, std::vector<PivotEntry>* list);

// Appends the two closing entries (overflow, total); their levels past the
// first are "-".
void ClosePivotKeys(int levels, const PivotOperand& op, std::vector<PivotEntry>* list);

}  // namespace csv
