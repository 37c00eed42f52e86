// The narrowing selection's value list on random working buffers, columns
// and widths, then random sorts and toggles. Checks: the hashed build gives
// the records, first-appearance order and counts of a plain linear lookup;
// no list line holds a byte below 0x20 besides its TAB; sorts keep the
// records; a toggle flips one mark, and two toggles give back the marks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "csv/csv_valuelist.h"

namespace {

// The same scan with the records looked up in a std::map (the table uses
// its own hash).
std::vector<std::pair<std::string, int>> Model(const std::uint8_t* p, std::size_t len, int column, int width) {
  std::vector<std::pair<std::string, int>> recs;
  std::map<std::string, std::size_t> where;
  const std::uint8_t* end = p + len;
  bool title = true;
  while (p < end) {
    const std::uint8_t* b = nullptr;
    const std::uint8_t* e = nullptr;
    int seps = 0;
    const std::uint8_t* q = p;
    if (column == 0) b = p;
    for (; q < end && *q != '\r' && *q != '\n' && *q != 0; ++q) {
      if (*q != 0x06) continue;
      ++seps;
      if (b && !e) e = q;
      if (seps == column) b = q + 1;
    }
    if (b && !e) e = q;
    const bool has = b && (seps > 0 || b < e);
    p = q;
    if (p < end) {
      const std::uint8_t c = *p++;
      if (c != 0 && p < end && (*p == '\r' || *p == '\n')) ++p;
    }
    if (title) {
      title = false;
      continue;
    }
    if (!has) continue;
    const std::string v = csv::ReadListValue(b, e, width, true);
    if (v.empty()) continue;
    const auto it = where.find(v);
    if (it != where.end()) {
      ++recs[it->second].second;
      continue;
    }
    if (recs.size() >= 1000) {
      recs.back().first = csv::kValueOverText;
      break;
    }
    where[v] = recs.size();
    recs.push_back({v, 1});
  }
  return recs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 65536) return 0;
  const int column = data[0] % 6;
  const int width = data[1] % 101;
  const std::uint8_t ops = data[2];
  const std::vector<std::uint8_t> text(data + 3, data + size);
  csv::ValueTable t;
  t.Build(text.data(), text.size(), column, width == 0 ? 100 : width);
  const auto model = Model(text.data(), text.size(), column, width == 0 ? 100 : width);
  if (static_cast<std::size_t>(t.Used()) != model.size()) __builtin_trap();
  for (int i = 0; i < t.Used(); ++i) {
    const auto& m = model[static_cast<std::size_t>(i)];
    if (t.Text(i) != m.first || t.Count(i) != m.second) __builtin_trap();
    if (t.Text(i).size() > static_cast<std::size_t>(csv::kValueTextMax)) __builtin_trap();
    const std::string line = t.Line(i);
    for (std::size_t k = 0; k < line.size(); ++k) {
      const unsigned char c = static_cast<unsigned char>(line[k]);
      if (c < 0x20 && !(k == 9 && c == '\t')) __builtin_trap();
    }
  }
  // Sorts keep the multiset of records.
  std::vector<std::string> before;
  for (int i = 0; i < t.Used(); ++i) before.emplace_back(t.Record(i), csv::kValueRecordSize);
  std::sort(before.begin(), before.end());
  t.Sort(ops % 4);
  std::vector<std::string> after;
  for (int i = 0; i < t.Used(); ++i) after.emplace_back(t.Record(i), csv::kValueRecordSize);
  std::sort(after.begin(), after.end());
  if (before != after) __builtin_trap();
  if (t.Used() == 0) return 0;
  // Toggles: one flips one mark; two give the marks back.
  std::string cond(reinterpret_cast<const char*>(data + 3), std::min<std::size_t>(size - 3, 40));
  const int i = (ops >> 2) % t.Used();
  const bool was = t.Marked(i);
  bool warn = false;
  std::string c1 = csv::ToggleValue(t, i, cond, cond, &warn);
  if (t.Marked(i) == was) __builtin_trap();
  if (warn && csv::CountConditionJoiners(c1) < csv::kConditionJoinerWarn) __builtin_trap();
  csv::ToggleValue(t, i, c1, cond, &warn);
  if (t.Marked(i) != was) __builtin_trap();
  // Added to a condition joined with " || ", a value comes out again.
  const std::string base = "|zzz-base";
  const std::string v = csv::ConditionValueOfLine(t.Line(i));
  const std::string joined = csv::AddConditionValue(base, v, "");
  if (csv::RemoveConditionValue(joined, v) != base && v.find(' ') == std::string::npos &&
      v.find(base) == std::string::npos) {
    __builtin_trap();
  }
  t.ClearMarks();
  for (int k = 0; k < t.Used(); ++k) {
    if (t.Marked(k)) __builtin_trap();
  }
  return 0;
}
