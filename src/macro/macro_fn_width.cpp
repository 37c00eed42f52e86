// Width functions: a field padded with blanks or zeros, or cut, to a width
// in bytes, on the left or on the right. A double-byte character counts two
// bytes; one cut in half leaves a blank in place of its remaining half. The
// lead bytes are tracked over the whole field, however long.
#include <algorithm>
#include <string>

#include "macro/macro_fn_common.h"

namespace macro {
namespace {

enum class Side { kLeft, kRight };

struct WidthRule {
  int code;
  Side side;
  char fill;   // 0: no fill
  bool cuts;
  bool sign;   // zeros go after a leading sign (and leading blanks are dropped)
};

constexpr WidthRule kWidthRules[] = {
    {11, Side::kLeft, ' ', true, false},   // FL
    {10, Side::kLeft, '0', true, true},    // FZ
    {18, Side::kLeft, ' ', false, false},  // AL
    {42, Side::kLeft, '0', false, true},   // AZ
    {48, Side::kLeft, 0, true, false},     // CL with digits
    {12, Side::kRight, ' ', true, false},  // FR
    {44, Side::kRight, '0', true, false},  // F0
    {47, Side::kRight, ' ', false, false}, // AR
    {43, Side::kRight, '0', false, false}, // A0
    {16, Side::kRight, 0, true, false},    // CR with digits
};

const WidthRule& RuleOf(int code) {
  for (const WidthRule& r : kWidthRules)
    if (r.code == code) return r;
  return kWidthRules[0];
}

bool IsWidthCode(int code) {
  for (const WidthRule& r : kWidthRules)
    if (r.code == code) return true;
  return false;
}

void Width(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  MacroFinishFunctionField(scope, a, f);
  // Any other code of the family's range copies the field unchanged.
  if (!IsWidthCode(a.nCode) || s.empty() || s[0] == '~') {
    PutWhole(a, s);
    return;
  }
  const WidthRule& r = RuleOf(a.nCode);
  long long width = *a.pnParam;
  if ((a.nCode == 11 || a.nCode == 12) && (width == 999 || width == 998) && a.nColumn < 9000) {
    width = ColumnWidthFor(scope, a.nColumn);
    *a.pnParam = static_cast<int>(width);
  }
  if (width < 0) width = 0;

  const bool quoted = s[0] == '"';
  const bool closing = quoted && s.size() >= 2 && s.back() == '"';
  std::string inner = s.substr(quoted ? 1 : 0, s.size() - (quoted ? 1 : 0) - (closing ? 1 : 0));
  if (r.sign) {
    std::size_t b = 0;
    while (b < inner.size() && inner[b] == ' ') ++b;
    inner.erase(0, b);
  }
  const long long len = static_cast<long long>(inner.size());
  if (len == width) {
    PutWhole(a, s);
    return;
  }
  // The output never holds more than its capacity: a fill longer than that
  // is cut to it.
  const long long room = std::max(0, a.nOutCapacity - *a.pnOutLen) + 1;
  std::string value;
  if (len < width) {
    const std::size_t fill = r.fill ? static_cast<std::size_t>(std::min(width - len, room)) : 0;
    if (r.side == Side::kRight) {
      value = inner + std::string(fill, r.fill);
    } else {
      std::string rest = inner;
      if (r.sign && !rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
        value += rest[0];
        rest.erase(0, 1);
      }
      value += std::string(fill, r.fill);
      value += rest;
    }
  } else if (!r.cuts) {
    value = inner;
  } else {
    const std::string kinds = SjisByteKinds(inner);
    const std::size_t w = static_cast<std::size_t>(width);
    if (r.side == Side::kRight) {
      value = inner.substr(0, w);
      if (w > 0 && kinds[w - 1] == 1) value[w - 1] = ' ';
    } else {
      std::size_t from = 0;
      if (r.sign && !inner.empty() && (inner[0] == '-' || inner[0] == '+')) {
        value += inner[0];
        from = 1;
      }
      const std::size_t skip = static_cast<std::size_t>(len - width);
      const std::size_t keep = from + skip;
      if (keep < inner.size()) {
        std::string tail = inner.substr(keep);
        if (kinds[keep] == 2) tail[0] = ' ';
        value += tail;
      }
    }
  }
  std::string out;
  if (quoted) out += '"';
  out += value;
  if (quoted) out += '"';
  PutWhole(a, out);
}

}  // namespace

void RegisterWidthFunctions(BuiltinHandler* at) {
  for (int code = 10; code <= 499; ++code)
    if (at[code] == nullptr && !IsLaterFamilyCode(code)) at[code] = Width;
}

}  // namespace macro
