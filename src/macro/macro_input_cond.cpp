// The selection-condition dialogs of the letters 'a' (187) and 'b' (188):
// field k of the dialog's table is variable 11 + k.
#include <string>

#include "macro/macro_input.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kFirstCondVar = 11;
constexpr int kCondVarsSmall = 14, kCondVarsExtended = 30;
constexpr int kSmallFreeEditField = 13;  // variable 24: not written back
constexpr int kNoDateYear = 1970;        // 'b': a year up to this gives no date

bool IsDateText(const std::string& s) { return s.size() == 8 && s.find('/') == std::string::npos; }

int YearOf(const std::string& s) {
  int y = 0;
  for (std::size_t k = 0; k < 4 && k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return 0;
    y = y * 10 + (s[k] - '0');
  }
  return y;
}

// The dialog's "YYYYMMDD" as the variable's "%4d%02d%02d"; false when it is no date.
bool DateText(const std::string& in, CString* out) {
  if (in.size() != 8) return false;
  int v[3] = {};
  const int widths[3] = {4, 2, 2};
  std::size_t p = 0;
  for (int part = 0; part < 3; ++part) {
    for (int k = 0; k < widths[part]; ++k, ++p) {
      if (in[p] < '0' || in[p] > '9') return false;
      v[part] = v[part] * 10 + (in[p] - '0');
    }
  }
  out->Format("%4d%02d%02d", v[0], v[1], v[2]);
  return true;
}

}  // namespace

csv::CondDialogValues MacroCondDialogFill(MacroState& st, bool extended, const CString& caption) {
  const csv::CondDialogTable& t = extended ? csv::SelectCondExTable() : csv::SelectCondTable();
  const int vars = extended ? kCondVarsExtended : kCondVarsSmall;
  csv::CondDialogValues v;
  v.caption = caption.Str();
  v.prompts.resize(t.prompts.size());
  v.fields.resize(t.fields.size());
  for (int k = 0; k < vars && k < static_cast<int>(t.fields.size()); ++k) {
    const std::size_t f = static_cast<std::size_t>(k);
    CString& var = st.m_strMacroVars[kFirstCondVar + k];
    const int bar = MacroFindSjisByte(var, '|');
    const CString first = bar >= 0 ? var.Left(bar) : var;
    var = bar >= 0 ? var.Mid(bar + 1) : CString();
    if (f < v.prompts.size()) v.prompts[f] = first.Str();
    const std::string value = var.Str();
    switch (t.fields[f].kind) {
      case csv::CondField::Date:
        if (!IsDateText(value))
          v.fields[f] = "20100101";
        else if (extended && YearOf(value) <= kNoDateYear)
          v.fields[f].clear();
        else
          v.fields[f] = value;
        break;
      case csv::CondField::Check:
        v.fields[f] = value == "1" ? "1" : "0";
        break;
      default:
        v.fields[f] = value;
        break;
    }
  }
  return v;
}

void MacroCondDialogStore(MacroState& st, bool extended, const csv::CondDialogValues& values) {
  const csv::CondDialogTable& t = extended ? csv::SelectCondExTable() : csv::SelectCondTable();
  const int vars = extended ? kCondVarsExtended : kCondVarsSmall;
  for (int k = 0; k < vars && k < static_cast<int>(t.fields.size()) && k < static_cast<int>(values.fields.size());
       ++k) {
    const std::size_t f = static_cast<std::size_t>(k);
    CString& var = st.m_strMacroVars[kFirstCondVar + k];
    const std::string& answer = values.fields[f];
    switch (t.fields[f].kind) {
      case csv::CondField::Date: {
        CString date;
        if (!var.IsEmpty() && DateText(answer, &date)) var = date;
        break;
      }
      case csv::CondField::Check:
        if (answer == "1")
          var = "1";
        else if (!var.IsEmpty())
          var = "0";
        break;
      default:
        if (!extended && k == kSmallFreeEditField) break;
        var = CString(answer);
        break;
    }
  }
}

}  // namespace macro
