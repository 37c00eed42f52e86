// Declaration lists over any bytes, in two parts:
// - the raw bytes as a list: declare, collect references, show names,
//   release; the store and the names table must stay within their bounds;
// - the bytes as a program of "define", call, return and "clear:all" steps
//   over well-formed items (plain, valued, arrays, numbered, letter, alias),
//   checked against a model of the names and slots each step must give.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
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

// The model: what the names table, the next slot and the store hold, and
// the declarations in force with the slots each one took.
struct Decl {
  std::string name;  // without its size
  long long slot;
  long long span;  // slots taken from `slot` on
  bool run;        // placed by the run (not by a number or a letter)
};

struct Model {
  std::string table;
  int next = macro::kFirstDeclaredSlot;
  std::vector<std::string> vars = std::vector<std::string>(macro::kVarSlots);
  std::vector<Decl> decls;
  struct Frame {
    int next;
    size_t tableLen;
    size_t decls;
  };
  std::vector<Frame> frames;
};

struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  bool More() const { return p < end; }
  unsigned Byte() { return p < end ? *p++ : 0u; }
};

// One well-formed "define" list and what it must do, by the rules of
// docs/macro.md: a numbered item ("12:") takes its number and a letter item
// ("B:") its letter's slot; every other item takes the slot after the item
// before it (after a numbered item: after its last element), unless that
// would reach a taken slot of the declared area (180 up to the highest slot
// taken so far), in which case it takes the first slot above every slot
// taken. The next free slot ends past every slot taken and never moves down.
// Returns false when the statement must be refused (nothing changes).
bool BuildDefine(Reader& in, const Model& m, std::string* list, std::string* table, int* next,
                 std::vector<std::pair<int, std::string>>* writes, std::vector<Decl>* decls) {
  const int items = 1 + static_cast<int>(in.Byte() % 4);
  long long after = m.next;  // the slot after the item before
  long long top = m.next;    // past every slot taken
  std::string entries;
  bool refused = false;  // the whole list is still built: the statement gets all of it
  writes->clear();
  decls->clear();
  for (int k = 0; k < items; ++k) {
    if (k > 0) *list += ',';
    const unsigned place = in.Byte() % 8;  // 0-3 the run, 4-5 a number, 6 a letter, 7 an alias
    const unsigned shape = in.Byte() % 7;  // bare, two kinds of value, arrays with and without values
    const std::string name = "n" + std::to_string(in.Byte() % 40);
    if (place == 7) {
      *list += "#" + name;
      entries += "#:" + name + ";";
      continue;
    }
    std::string prefix;  // written before the name
    enum { kRun, kNumber, kLetter } by = kRun;
    long long slot = 0;
    if (place == 4 || place == 5) {  // numbered; four digits are no number but part of the name
      const int number = static_cast<int>((in.Byte() << 8 | in.Byte()) % 1200);
      prefix = std::to_string(number) + ":";
      if (number < 1000) {
        by = kNumber;
        slot = number;
      }
    } else if (place == 6) {
      const char letter = static_cast<char>(in.Byte() % 2 ? 'A' + in.Byte() % 26 : 'a' + in.Byte() % 26);
      prefix = std::string(1, letter) + ":";
      by = kLetter;
      slot = letter + 45;
    }
    long long a = 0, b = 0;
    bool twoDim = false;
    std::string size;
    if (shape == 3 || shape == 4) {
      a = in.Byte() % 12;
      size = "<" + std::to_string(a) + ">";
    } else if (shape >= 5) {
      a = in.Byte() % 6;
      b = in.Byte() % 6;
      twoDim = true;
      size = "<" + std::to_string(a) + "|" + std::to_string(b) + ">";
    }
    const long long span = twoDim ? a * b + 2 : a + 1;
    if (by == kRun) {
      slot = after;
      bool hits = false;
      for (long long s = slot; s < slot + span && !hits; ++s) hits = s >= macro::kFirstDeclaredSlot && s < top;
      if (hits) slot = top;
    }
    const std::string declared = (by == kRun ? prefix : std::string()) + name + size;
    if (slot + span - 1 > macro::kLastVarSlot) refused = true;
    std::string item = (by == kRun ? std::string() : prefix) + declared;
    if (twoDim) writes->emplace_back(static_cast<int>(slot), std::string(1, '\x0c') + std::to_string(b));
    if (shape == 1 || shape == 2) {  // a plain value; some hold digits and ':' ("1:5")
      const unsigned v = in.Byte();
      const std::string value = shape == 1 ? "v" + std::to_string(v) : std::to_string(v % 10) + ":" + std::to_string(v / 10);
      item += "=" + value;
      writes->emplace_back(static_cast<int>(slot), value);
    } else if (shape == 4 || shape == 6) {  // "{a|b|...}"
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
    decls->push_back({by == kRun ? prefix + name : name, slot, span, by == kRun});
    if (by != kLetter || slot + span > macro::kFirstDeclaredSlot) after = slot + span;
    if (slot + span > top) top = slot + span;
  }
  if (refused || top > macro::kLastVarSlot) return false;
  if (m.table.size() + entries.size() >= static_cast<size_t>(macro::kNameTableSize)) return false;
  *table = m.table + entries;
  *next = static_cast<int>(top);
  return true;
}

// After each step: the table, the next slot and the slots the model wrote,
// and, whatever order the declarations came in, that the next slot lies past
// every slot a declaration in force took, that no item placed by the run
// shares a slot of the declared area with another declaration, and that a
// name declared once is found at its slot. After the program: every slot.
void Check(const macro::MacroState& st, const Model& m, const std::vector<int>& written, bool whole) {
  if (std::string(st.m_abMacroNameTable) != m.table) __builtin_trap();
  if (st.m_nMacroNextSlot != m.next) __builtin_trap();
  for (int s : written)
    if (st.m_strMacroVars[s].Str() != m.vars[s]) __builtin_trap();

  // In declaration order: an item placed by the run finds its slots of the
  // declared area free (a numbered or letter item may name a taken slot).
  std::vector<unsigned char> taken(macro::kVarSlots);
  for (const Decl& d : m.decls) {
    if (d.slot + d.span > st.m_nMacroNextSlot && d.slot + d.span > macro::kFirstDeclaredSlot) __builtin_trap();
    for (long long s = std::max<long long>(d.slot, macro::kFirstDeclaredSlot); s < d.slot + d.span; ++s) {
      if (d.run && taken[s]) __builtin_trap();
      taken[s] = 1;
    }
  }
  // Names are looked up for the last few declarations only: each lookup
  // reads the whole table.
  std::map<std::string, int> uses;
  for (const Decl& d : m.decls) ++uses[d.name];
  const size_t from = m.decls.size() > 6 ? m.decls.size() - 6 : 0;
  for (size_t k = from; k < m.decls.size(); ++k) {
    const Decl& d = m.decls[k];
    if (d.slot == 0 || d.name.find(':') != std::string::npos || uses[d.name] != 1) continue;
    if (macro::MacroFindDeclaredSlot(st, d.name) != d.slot) __builtin_trap();
  }
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
        std::vector<Decl> decls;
        const bool ok = BuildDefine(in, m, &list, &table, &next, &writes, &decls);
        CString op(list);
        if (macro::MacroDefine(*st, nullptr, &op, &error) != ok) __builtin_trap();
        if (ok) {
          m.table = std::move(table);
          m.next = next;
          m.decls.insert(m.decls.end(), decls.begin(), decls.end());
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
          m.frames.push_back({m.next, m.table.size(), m.decls.size()});
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
        m.decls.resize(f.decls);
        m.next = f.next;
        break;
      }
      default: {
        CString op("clear:all");
        if (!macro::MacroDefine(*st, nullptr, &op, &error)) __builtin_trap();
        for (int s = macro::kFirstDeclaredSlot; s < m.next; ++s) m.vars[s].clear();
        m.next = macro::kFirstDeclaredSlot;
        m.table.clear();
        m.decls.clear();
        // Inside a subroutine the caller's names went too: its return puts
        // back the empty table and the first declared slot.
        for (Model::Frame& f : m.frames) f = {macro::kFirstDeclaredSlot, 0, 0};
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
