#include "macro/macro_dump.h"

#include <cstring>
#include <string>

#include "macro/macro_names.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kFirstLetterSlot = 100, kLastLetterSlot = 169;
constexpr int kFirstHighSlot = 180;
constexpr char kArrayBaseMark = 0x0C;

// Letters the full list leaves out: the run keeps its own words there.
constexpr char kRunLetters[] = "DEFGIJMPQUWXYefghlmprsvy";
// Added at the end of a full list, in this order: e, F, r, l, I, J.
constexpr int kRunSlots[] = {146, 115, 159, 153, 118, 119};

struct FixedLabel {
  char letter;
  const char* label;
};
constexpr FixedLabel kFixedLabels[] = {
    {'e', "     e(eror flag)"}, {'F', "     F(file name)"},   {'l', "     l(line max)"},
    {'r', "     r(clmn max)"},  {'I', "     I(clmn fit)"},    {'J', "     J(line fit)"},
    {'H', "     H(table stage)"}, {'K', "     K(page  numbr)"}, {'L', "     L(line  title)"},
};

char LetterOf(int slot) { return static_cast<char>(slot < 110 ? slot - 52 : slot - 45); }

bool IsRunLetter(int slot) {
  const char c = LetterOf(slot);
  return std::strchr(kRunLetters, c) != nullptr;
}

const CString& SlotText(const MacroState& st, int slot) { return st.m_strMacroVars[slot]; }

// TABs after a label of `length` characters: three below 8, two below 16,
// one below 24.
void AppendTabs(std::string& out, std::size_t length) {
  if (length < 8) out += '\t';
  if (length < 16) out += '\t';
  if (length < 24) out += '\t';
}

// The named constants: "#:", "&:" and "@:" entries of the names table.
void AppendConstants(std::string& out, const MacroState& st) {
  const char* t = st.m_abMacroNameTable;
  std::size_t end = 0;
  while (end < static_cast<std::size_t>(kNameTableSize) && t[end] != '\0') ++end;
  std::size_t i = 0;
  while (i + 1 < end) {
    const char c = t[i];
    if ((c != '#' && c != '&' && c != '@') || t[i + 1] != ':') {
      ++i;
      continue;
    }
    std::string line = "  ";
    line += c;
    line += ' ';
    std::size_t j = i + 2;
    bool endedBySemicolon = false;
    while (j < end && line.size() < static_cast<std::size_t>(kDumpLineMost)) {
      const char ch = t[j++];
      if (ch == '=') {
        const std::size_t tab = line.find('\t');
        AppendTabs(line, tab == std::string::npos ? line.size() : tab);
        line += "= ";
      } else {
        line += ch;
      }
      if (ch == ';') {
        endedBySemicolon = true;
        break;
      }
    }
    // The ';' that closed the entry is not shown.
    if (endedBySemicolon) line.pop_back();
    out += "   ";
    out += line;
    out += "\r\n";
    i = j;
  }
}

}  // namespace

std::vector<int> MacroStopSlots(const MacroState& st, const CString& command, const CString& operand, bool full) {
  std::vector<int> slots;
  if (!full) {
    CString watch = command;
    if (!operand.IsEmpty()) watch += " " + operand;
    const std::string& w = watch.Str();
    if (w.size() > 2) MacroCollectArgumentRefs(CString(w.substr(2)), &slots, nullptr);
    if (slots.size() > static_cast<std::size_t>(kDumpMostSlots)) slots.resize(kDumpMostSlots);
    if (slots.empty() || slots.back() != 0) slots.push_back(0);
    return slots;
  }
  auto take = [&](int slot) {
    if (slots.size() < static_cast<std::size_t>(kDumpMostSlots) && !SlotText(st, slot).IsEmpty())
      slots.push_back(slot);
  };
  for (int s = 1; s < kFirstLetterSlot; ++s) take(s);
  for (int s = kFirstLetterSlot; s <= kLastLetterSlot; ++s)
    if (!IsRunLetter(s)) take(s);
  for (int s = kFirstHighSlot; s <= kLastVarSlot; ++s) take(s);
  if (slots.size() < static_cast<std::size_t>(kDumpFitSlots))
    for (int s : kRunSlots) slots.push_back(s);
  slots.push_back(0);
  return slots;
}

CString MacroDumpSlotLabel(int slot) {
  CString label;
  if (slot >= kFirstLetterSlot && slot <= kLastLetterSlot) {
    const char c = LetterOf(slot);
    for (const FixedLabel& f : kFixedLabels)
      if (f.letter == c) return CString(f.label);
    label.Format("     %c", c);
  } else {
    label.Format("  %4d", slot);
  }
  return label;
}

CString MacroStopDump(const MacroState& st, const std::vector<int>& slots, const StopDumpInput& in) {
  std::string out;
  out += "  -1 : ";
  out += in.prevCommand.Str();
  out += '\t';
  out += in.prevOperand.Str();
  out += "\r\n  +0 : ";
  out += in.command.Str();
  out += '\t';
  out += in.operand.Str();
  out += "\r\n-----------------------------------------------  \r\n  variables";

  for (int slot : slots) {
    if (slot <= 0 || slot > kDumpLastSlot) break;
    std::string label = MacroDumpSlotLabel(slot).Str();
    const CString name = MacroVariableDisplayName(st, slot);
    if (!name.IsEmpty()) label += "(" + name.Str() + ")";
    AppendTabs(label, label.size());
    const std::string& value = SlotText(st, slot).Str();
    out += "\r\n";
    out += label;
    out += "=  ";
    if (!value.empty() && value[0] == kArrayBaseMark) {
      out += "array base : ";
      out.append(value, 1, std::string::npos);
    } else {
      out += value;
    }
  }

  out += "\r\n\r\n  constants\r\n";
  AppendConstants(out, st);

  CString tail;
  tail.Format("\r\n  cmnd line = %d\r\n  dwn space = %d / %d", in.line, in.indent, in.blockIndent);
  out += tail.Str();
  if (in.stepMode) out += "\r\n  : Step mode ON";
  return CString(std::move(out));
}

}  // namespace macro
