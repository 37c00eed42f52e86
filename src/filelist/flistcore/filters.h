// The pane's three filter texts: parsing into name, size or date conditions,
// their description for the summary line, and the conditions as the folder
// walk applies them. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace flist {

struct ListFilter {
  bool set = false;       // a non-empty text
  bool orFlag = false;    // leading "+": widens the filters before it
  char op = 0;            // '!', '<', '>' or 0
  std::string pattern;    // name pattern (lowered); the text before "*" when one stands at p > 0
  std::string suffix;     // text after that "*"
  int starPos = 0;        // position of that "*" in the pattern text (0: none)
  std::uint32_t sizeLimit = 0;   // size filter (bytes); 0 = a date or name filter
  std::int64_t dateLimit = 0;    // local midnight of the date (date filters)
  bool dateValid = false;
};

// Parses one filter text (lowered here with the ASCII-only Shift-JIS rule).
ListFilter ParseListFilter(const std::string& text);
// Reads a date text of a "<"/">" filter: true with the local midnight in *t.
bool ParseFilterDate(const std::string& text, std::int64_t* t);

// "[a*]+[*.txt]" and the like from the three raw texts ("" when none is set).
std::string DescribeFilters(const std::string& f1, const std::string& f2, const std::string& f3);

// One condition of the walk (argument columns 12-18 of the walk request).
struct WalkCondition {
  char op = 0;
  std::uint32_t sizeLimit = 0;
  std::int64_t dateLimit = 0;
  std::string text;        // a leading "|" anchors it at the start of the name
  std::string second;      // looked for from the hit + distance
  int distance = 0;
};

struct WalkConditions {
  WalkCondition cond[3];
  char join2 = ' ';   // '+' = or, else and
  char join3 = ' ';
  bool any = false;
};

// The mapping from the three parsed filters to the walk's conditions.
WalkConditions ConditionsFromFilters(const ListFilter f[3]);

// Whether a file of `matchName` (lowered), size and time passes.
bool FilePasses(const WalkConditions& c, const std::string& matchName, std::uint64_t size, std::int64_t time);

}  // namespace flist
