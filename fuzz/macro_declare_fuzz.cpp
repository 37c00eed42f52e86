// Declaration lists over any bytes, in two parts:
// - the raw bytes as a list: declare, collect references, show names,
//   release; the store and the names table must stay within their bounds;
// - the bytes as a program of "define", call, return and "clear:all" steps
//   over well-formed items (plain, valued, arrays, numbered, letter, alias),
//   checked against a model of the names and slots each step must give.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "macro/macro_names.h"
#include "macro/macro_state.h"
#include "macro/macro_vars.h"

namespace {

void Reset(macro::MacroState* st) {
  for (CString& v : st->m_strMacroVars) v.Empty();
  std::memset(st->m_aMacroVarFlags, 0, sizeof st->m_aMacroVarFlags);
  std::memset(st->m_anMacroVarRefSlot, 0, sizeof st->m_anMacroVarRefSlot);
  st->m_abMacroNameTable[0] = '\0';
  st->m_nMacroNextSlot = macro::kFirstDeclaredSlot;
  st->m_nMacroCallFrames = 0;
}

void RawBytes(macro::MacroState* st, const uint8_t* data, size_t size) {
  Reset(st);
  if (size > 8192) size = 8192;
  const CString list(reinterpret_cast<const char*>(data), static_cast<int>(size));
  const int next = size > 0 ? 180 + data[0] * 16 : 180;
  const int r = macro::MacroDeclareVariables(*st, nullptr, list, next);
  if (r < -1 || r > macro::kLastVarSlot + 1) __builtin_trap();
  if (r > 0 && r < next) __builtin_trap();  // the next slot never moves down
  if (macro::MacroNameTableLength(*st) >= macro::kNameTableSize) __builtin_trap();
  for (int slot = 175; slot < 215; ++slot) macro::MacroVariableDisplayName(*st, slot);
  if (r > 0) macro::MacroVariableDisplayName(*st, r - 1);
  macro::MacroVariableDisplayName(*st, macro::kLastVarSlot);

  int pos = 0;
  while (pos >= 0 && pos < list.GetLength()) {
    const int before = pos;
    macro::MacroParseIndexRef(*st, list, &pos);
    if (pos <= before) ++pos;
  }
  std::vector<int> slots;
  macro::MacroCollectArgumentRefs(list, &slots, st->m_aMacroVarFlags);

  // The same text as a call's arguments and a subroutine's parameters.
  CString error;
  st->m_strMacroArgs[0] = "x";
  st->m_nMacroArgCount = 1;
  if (macro::MacroSetUpReferences(*st, list, &error)) {
    macro::MacroBindParameters(*st, nullptr, list, &error);
    macro::MacroReleaseSubroutine(*st);
  }
  CString op = list;
  macro::MacroDefine(*st, nullptr, &op, &error);
  if (st->m_nMacroNextSlot < 0 || st->m_nMacroNextSlot > macro::kLastVarSlot + 1) __builtin_trap();
}

// The model: what the names table, the next slot and the store hold.
struct Model {
  std::string table;
  int next = macro::kFirstDeclaredSlot;
  std::vector<std::string> vars = std::vector<std::string>(macro::kVarSlots);
  struct Frame {
    int next;
    size_t tableLen;
  };
  std::vector<Frame> frames;
};

struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  bool More() const { return p < end; }
  unsigned Byte() { return p < end ? *p++ : 0u; }
};

// One well-formed "define" list and its effect on the model. Returns false
// when the model says the statement must be refused (nothing changes);
// else the names table and next slot after it, and the slots it writes.
bool BuildDefine(Reader& in, const Model& m, std::string* list, std::string* table, int* next,
                 std::vector<std::pair<int, std::string>>* writes) {
  const int items = 1 + static_cast<int>(in.Byte() % 4);
  long long running = m.next, highest = m.next;
  std::string entries;
  writes->clear();
  bool fits = true;
  for (int k = 0; k < items; ++k) {
    if (k > 0) *list += ',';
    const unsigned kind = in.Byte() % 8;
    const std::string name = "n" + std::to_string(in.Byte() % 40);
    if (kind == 7) {  // alias
      *list += "#" + name;
      entries += "#:" + name + ";";
      continue;
    }
    long long slot;
    std::string item;
    if (kind == 5) {  // numbered
      const int number = static_cast<int>((in.Byte() << 8 | in.Byte()) % 1000);
      item = std::to_string(number) + ":";
      slot = number;
      running = slot + 1;
    } else if (kind == 6) {  // a letter's slot
      const char letter = static_cast<char>(in.Byte() % 2 ? 'A' + in.Byte() % 26 : 'a' + in.Byte() % 26);
      item = std::string(1, letter) + ":";
      slot = letter + 45;
    } else {
      slot = running++;
    }
    long long a = 0, b = 0;
    bool twoDim = false;
    std::string declared = name;
    if (kind == 2 || kind == 3) {
      a = in.Byte() % 12;
      declared += "<" + std::to_string(a) + ">";
    } else if (kind == 4) {
      a = in.Byte() % 6;
      b = in.Byte() % 6;
      twoDim = true;
      declared += "<" + std::to_string(a) + "|" + std::to_string(b) + ">";
    }
    item += declared;
    const long long last = twoDim ? slot + a * b + 1 : slot + a;
    if (slot > macro::kLastVarSlot || last > macro::kLastVarSlot) fits = false;
    if (twoDim) writes->emplace_back(static_cast<int>(slot), std::string(1, '\x0c') + std::to_string(b));
    if (kind == 1) {  // a plain name with a value
      const std::string value = "v" + std::to_string(in.Byte());
      item += "=" + value;
      writes->emplace_back(static_cast<int>(slot), value);
    } else if (kind == 3 || (kind == 4 && in.Byte() % 2)) {  // "{a|b|...}"
      const int pieces = 1 + static_cast<int>(in.Byte() % 8);
      const long long first = twoDim ? slot + 1 : slot;
      const long long room = twoDim ? a * b : a + 1;
      item += "={";
      for (int q = 0; q < pieces; ++q) {
        const std::string piece = "e" + std::to_string(q);
        item += (q ? "|" : "") + piece;
        if (q < room) writes->emplace_back(static_cast<int>(first + q), piece);
      }
      item += "}";
    }
    *list += item;
    char num[16];
    std::snprintf(num, sizeof num, "%03d", static_cast<int>(slot));
    entries += (slot != 0 ? std::string(num) : std::string()) + ":" + declared + ";";
    const long long past = twoDim ? slot + a * b + 2 : slot + a + 1;
    if (past > macro::kFirstDeclaredSlot) running = past;
    if (past > highest) highest = past;
    if (!fits) break;
  }
  if (!fits || highest > macro::kLastVarSlot) return false;
  if (m.table.size() + entries.size() >= static_cast<size_t>(macro::kNameTableSize)) return false;
  *table = m.table + entries;
  *next = static_cast<int>(highest);
  return true;
}

// After each step the table, the next slot and the slots the model wrote;
// after the program every slot of the store.
void Check(const macro::MacroState& st, const Model& m, const std::vector<int>& written, bool whole) {
  if (std::string(st.m_abMacroNameTable) != m.table) __builtin_trap();
  if (st.m_nMacroNextSlot != m.next) __builtin_trap();
  for (int s : written)
    if (st.m_strMacroVars[s].Str() != m.vars[s]) __builtin_trap();
  if (!whole) return;
  for (int s = 0; s < macro::kVarSlots; ++s)
    if (st.m_strMacroVars[s].Str() != m.vars[s]) __builtin_trap();
}

void Program(macro::MacroState* st, const uint8_t* data, size_t size) {
  Reset(st);
  Model m;
  Reader in{data, data + size};
  CString error;
  std::vector<int> written;  // slots the model has given a value
  std::vector<bool> isWritten(macro::kVarSlots);
  for (int step = 0; in.More() && step < 400; ++step) {
    switch (in.Byte() % 5) {
      case 0:
      case 1: {
        std::string list;
        std::string table;
        int next = 0;
        std::vector<std::pair<int, std::string>> writes;
        const bool ok = BuildDefine(in, m, &list, &table, &next, &writes);
        CString op(list);
        if (macro::MacroDefine(*st, nullptr, &op, &error) != ok) __builtin_trap();
        if (ok) {
          m.table = std::move(table);
          m.next = next;
          for (auto& w : writes) {
            m.vars[w.first] = w.second;
            if (!isWritten[w.first]) written.push_back(w.first);
            isWritten[w.first] = true;
          }
        }
        break;
      }
      case 2: {  // a call: its names start after a mark
        const bool ok = m.frames.size() < static_cast<size_t>(macro::kMacroCallFrames);
        if (macro::MacroSetUpReferences(*st, "", &error) != ok) __builtin_trap();
        if (ok) {
          m.frames.push_back({m.next, m.table.size()});
          if (!m.table.empty()) m.table += macro::kNameScopeMark;
        }
        break;
      }
      case 3: {  // return: the caller's names, next slot and values come back
        macro::MacroReleaseSubroutine(*st);
        if (m.frames.empty()) break;
        const Model::Frame f = m.frames.back();
        m.frames.pop_back();
        for (int s = f.next; s < m.next; ++s) m.vars[s].clear();
        if (m.table.size() >= f.tableLen) m.table.resize(f.tableLen);
        m.next = f.next;
        break;
      }
      default: {
        CString op("clear:all");
        if (!macro::MacroDefine(*st, nullptr, &op, &error)) __builtin_trap();
        for (int s = macro::kFirstDeclaredSlot; s < m.next; ++s) m.vars[s].clear();
        m.next = macro::kFirstDeclaredSlot;
        m.table.clear();
        break;
      }
    }
    Check(*st, m, written, false);
  }
  Check(*st, m, written, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One state for every run, put back to a fresh start each time.
  static macro::MacroState* st = new macro::MacroState;
  RawBytes(st, data, size);
  Program(st, data, size);
  return 0;
}
