#include "csv/csv_pivotkeys.h"

#include <algorithm>
#include <unordered_map>

namespace csv {
namespace {

// Held for an empty innermost key while the list is built, so that it is
// told from the slot text of no key.
constexpr char kNullKey[] = "NULL$%";

std::vector<std::string> Split(const std::string& s, char c) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = s.find(c, from);
    out.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 1;
  }
  return out;
}

std::string Joined(const PivotEntry& e) { return e.t[0] + '\x01' + e.t[1] + '\x01' + e.t[2]; }

}  // namespace

PivotOperand ReadPivotOperand(const std::string& operandIn, int levels, int number) {
  PivotOperand op;
  std::string s = operandIn.substr(0, operandIn.find('\0'));
  for (std::size_t at; (at = s.find("NULL")) != std::string::npos;) s.erase(at, 4);
  std::string list = s;
  const std::size_t c1 = s.find(':');
  if (c1 != std::string::npos) {
    list = s.substr(0, c1);
    const std::size_t c2 = s.find(':', c1 + 1);
    const std::string over = s.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
    if (!over.empty()) op.overflowLabel = over;
    if (c2 != std::string::npos && c2 + 1 < s.size()) op.totalLabel = s.substr(c2 + 1);
  }
  if (levels < 1) levels = 1;
  if (levels > 3) levels = 3;
  if (list.empty()) return op;
  if (list[0] == 'N') {
    op.limit = number < 1 ? kPivotDefaultLimit : std::min(number, kPivotDataLimit);
    return op;
  }
  if (list.find('^') != std::string::npos) {
    op.form = PivotListForm::kProduct;
    // The lists map from the innermost back: inner, then middle, then outer;
    // a level without a list has one empty text.
    const std::vector<std::string> parts = Split(list, '^');
    std::vector<std::string> lv[3];
    for (int k = 0; k < levels; ++k) {
      const int from = static_cast<int>(parts.size()) - levels + k;
      lv[k] = from >= 0 ? Split(parts[static_cast<std::size_t>(from)], ',') : std::vector<std::string>{""};
    }
    std::vector<std::string>& inner = lv[levels - 1];
    inner.push_back("other");
    inner.push_back("total");
    const std::vector<std::string> one{""};
    const auto& a = levels >= 2 ? lv[0] : one;
    const auto& b = levels >= 3 ? lv[1] : one;
    for (const auto& x : a) {
      for (const auto& y : b) {
        for (const auto& z : inner) {
          if (op.listed.size() >= static_cast<std::size_t>(kPivotDataLimit)) return op;
          PivotEntry e;
          if (levels == 1) e.t[0] = z;
          else if (levels == 2) e.t[0] = x, e.t[1] = z;
          else e.t[0] = x, e.t[1] = y, e.t[2] = z;
          op.listed.push_back(e);
        }
      }
    }
    return op;
  }
  op.form = PivotListForm::kExplicit;
  for (const std::string& item : Split(list, ',')) {
    if (op.listed.size() >= static_cast<std::size_t>(kPivotExplicitLimit)) break;
    const std::vector<std::string> lv = Split(item, '|');
    PivotEntry e;
    for (int k = 0; k < levels && k < static_cast<int>(lv.size()); ++k) e.t[k] = lv[static_cast<std::size_t>(k)];
    op.listed.push_back(e);
  }
  return op;
}

void BuildPivotKeys(const std::vector<PivotKey>& rows, int levels, int limitIn, std::vector<PivotEntry>* list) {
  const std::size_t limit = static_cast<std::size_t>(std::max(0, limitIn));
  std::unordered_map<std::string, std::size_t> slot;  // every entry's slot
  auto store = [&](const PivotEntry& e) {
    slot.emplace(Joined(e), list->size());
    list->push_back(e);
  };
  PivotEntry last;
  bool any = false;
  std::vector<PivotEntry> subs;
  for (const PivotKey& k : rows) {
    if (list->size() >= limit) break;
    PivotEntry e;
    for (int j = 0; j < levels; ++j) e.t[j] = k.t[j];
    if (e.t[levels - 1].empty()) e.t[levels - 1] = kNullKey;
    const auto found = slot.find(Joined(e));
    if (found != slot.end()) {
      if (found->second + 1 >= limit) break;  // found in the last slot
      continue;
    }
    subs.clear();
    if (any && levels == 3) {
      if (e.t[0] != last.t[0]) {
        subs.push_back(PivotEntry{{last.t[0], last.t[1], "total"}});
        subs.push_back(PivotEntry{{last.t[0], "Total", "--"}});
      } else if (e.t[1] != last.t[1]) {
        subs.push_back(PivotEntry{{last.t[0], last.t[1], "total"}});
      }
    } else if (any && levels == 2 && e.t[0] != last.t[0]) {
      subs.push_back(PivotEntry{{last.t[0], "total", ""}});
    }
    if (list->size() + subs.size() + 1 > limit) break;  // the tuple does not fit
    for (const PivotEntry& s : subs) store(s);
    store(e);
    last = e;
    any = true;
  }
  if (any && levels == 2) list->push_back(PivotEntry{{last.t[0], "total", ""}});
  if (any && levels == 3) {
    list->push_back(PivotEntry{{last.t[0], last.t[1], "total"}});
    list->push_back(PivotEntry{{last.t[0], "Total", "--"}});
  }
  for (PivotEntry& e : *list) {
    for (std::string& t : e.t) {
      if (t == kNullKey) t.clear();
    }
  }
}

void ClosePivotKeys(int levels, const PivotOperand& op, std::vector<PivotEntry>* list) {
  PivotEntry over, total;
  over.t[0] = op.overflowLabel;
  total.t[0] = op.totalLabel;
  for (int k = 1; k < levels; ++k) over.t[k] = total.t[k] = "-";
  list->push_back(over);
  list->push_back(total);
}

}  // namespace csv
