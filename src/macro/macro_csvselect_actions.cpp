// The action list of the CSV condition statements: targets (variables,
// cells, inserted columns), values evaluated per cell, and the change
// records applied to the text in one pass.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/docsvc/sjis_state.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "fw/strtable.h"
#include "macro/macro_codes.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_csvselect_internal.h"
#include "macro/macro_host.h"
#include "macro/macro_number.h"
#include "macro/macro_operand.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace macro {
namespace csvsel {

// ---- change records ----------------------------------------------------------

ChangeTable::~ChangeTable() {
  fw::Free(m_recs);
  fw::Free(m_pool);
}

bool ChangeTable::Open(std::uint64_t records, std::uint64_t poolLimit) {
  m_poolLimit = poolLimit;
  if (records < 16) records = 16;
  if (records > 0x0FFFFFFFull) records = 0x0FFFFFFFull;
  m_recs = static_cast<Change*>(fw::AllocArray(static_cast<std::size_t>(records), sizeof(Change)));
  if (!m_recs) return false;
  m_cap = static_cast<std::uint32_t>(records);
  return true;
}

bool ChangeTable::Add(std::uint32_t pos, std::uint32_t len, const std::string& bytes, bool* overLimit) {
  if (m_poolLen + bytes.size() > m_poolLimit + m_replaced + len) {
    if (overLimit) *overLimit = true;
    return false;
  }
  if (m_count == m_cap) {
    if (m_cap >= 0x7FFFFFFFu / sizeof(Change)) return false;
    const std::uint32_t cap = m_cap ? m_cap * 2 : 16;
    void* p = fw::Realloc(m_recs, static_cast<std::size_t>(cap) * sizeof(Change));
    if (!p) return false;
    m_recs = static_cast<Change*>(p);
    m_cap = cap;
  }
  if (m_poolLen + bytes.size() > m_poolCap) {
    std::uint64_t cap = m_poolCap ? m_poolCap : 4096;
    while (cap < m_poolLen + bytes.size()) cap *= 2;
    if (cap > 0xFFFFFFFFull) return false;
    void* p = fw::Realloc(m_pool, static_cast<std::size_t>(cap));
    if (!p) return false;
    m_pool = static_cast<char*>(p);
    m_poolCap = cap;
  }
  if (!bytes.empty()) std::memcpy(m_pool + m_poolLen, bytes.data(), bytes.size());
  Change& c = m_recs[m_count];
  c.pos = pos;
  c.len = len;
  c.seq = m_count;
  c.at = m_poolLen;
  c.n = static_cast<std::uint32_t>(bytes.size());
  m_poolLen += bytes.size();
  m_replaced += len;
  ++m_count;
  return true;
}

namespace {

bool StartsWithVariable(const std::string& t) { return t.size() > 2 && t[0] == '&' && t[1] == 'D'; }

// "&cL+title" or "&cR+title" (and the "-" forms, which no caller uses).
// Returns 1 for an insertion, -1 for a "-" form, 0 for neither.
int ParseInsertTarget(const std::string& t, int* col, bool* right, std::string* title) {
  if (t.size() < 4 || t[0] != '&') return 0;
  std::size_t i = 1;
  long n = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9' && n < 100000) n = n * 10 + (t[i++] - '0');
  if (i == 1 || i + 1 >= t.size() || (t[i] != 'L' && t[i] != 'R')) return 0;
  if (t[i + 1] != '+' && t[i + 1] != '-') return 0;
  if (t[i + 1] == '-') return -1;
  *col = static_cast<int>(n);
  *right = t[i] == 'R';
  *title = t.substr(i + 2);
  return 1;
}

// Splits a variable's value text at its '|' (else its ',') outside
// brackets, double quotes and backslash escapes.
std::vector<std::string> SplitVariableValue(const std::string& v) {
  for (char sep : {'|', ','}) {
    std::vector<std::string> parts;
    int depth = 0;
    bool quoted = false;
    std::size_t from = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
      const char c = v[i];
      if (c == '\\') {
        ++i;
        continue;
      }
      if (c == '"') quoted = !quoted;
      else if (!quoted && c == '(') ++depth;
      else if (!quoted && c == ')' && depth > 0) --depth;
      else if (!quoted && depth == 0 && c == sep) {
        parts.push_back(v.substr(from, i - from));
        from = i + 1;
      }
    }
    if (!parts.empty()) {
      parts.push_back(v.substr(from));
      return parts;
    }
  }
  return {v};
}

std::string ExpandCodes(const std::string& text) {
  const int size = static_cast<int>(text.size()) + kNCodeMax * kNCodeTokenSize + 16;
  std::string out(static_cast<std::size_t>(size), '\0');
  MacroExpandNCodes(&out[0], CString(text), size);
  out.resize(std::strlen(out.c_str()));
  return out;
}

void ReplacePlaceholders(std::string& s, int rowNo, int col) {
  if (s.find('!') == std::string::npos) return;
  const std::string c = std::to_string(col), r = std::to_string(rowNo);
  for (std::size_t at = s.find("!?"); at != std::string::npos; at = s.find("!?", at + c.size())) s.replace(at, 2, c);
  for (std::size_t at = s.find("!$"); at != std::string::npos; at = s.find("!$", at + r.size())) s.replace(at, 2, r);
}

}  // namespace

std::string CellBytes(const std::string& value) {
  std::string out;
  out.reserve(std::min<std::size_t>(value.size(), kCondCellValueMax));
  int state = 0;
  for (std::size_t i = 0; i < value.size() && out.size() < static_cast<std::size_t>(kCondCellValueMax); ++i) {
    const unsigned char b = static_cast<unsigned char>(value[i]);
    const bool second = state != 0;
    IsSjisLeadByteState80(b, &state);
    if (!second && b == '\\' && i + 1 < value.size() && (value[i + 1] == ';' || value[i + 1] == '=')) {
      out.push_back(value[i + 1] == ';' ? static_cast<char>(kSep) : '=');
      ++i;
      continue;
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string EvaluateActionValue(Call& call, const std::string& value, const Row& row, int rowNo, int col, int cap) {
  std::string v = value;
  ReplacePlaceholders(v, rowNo, col);
  const CString text = MacroSubstituteVariables(call.scope.state, &call.scope.table, CString(v), kSubstKeepFirst);
  // One buffer per thread: values are taken on every matching row.
  thread_local std::vector<char> out;
  if (out.size() < static_cast<std::size_t>(cap) + 1) out.resize(static_cast<std::size_t>(cap) + 1);
  out[0] = 0;
  call.ctx.row = rowNo;
  call.ctx.column = col;
  const int n = MacroEvalExpression(static_cast<int>(row.start), out.data(), cap + 1, text, nullptr, nullptr, &call.ctx);
  if (n <= 0) return std::string();
  return std::string(out.data(), std::strlen(out.data()));
}

bool PrepareActions(Call& call) {
  const csv::CompiledCondition& cc = call.cc;
  const std::string assigned = cc.assignPiece >= 0 ? cc.pieces[static_cast<std::size_t>(cc.assignPiece)].left : "";
  for (const csv::CondAction& a : cc.actions) {
    ActionRun r;
    r.target = a.hasTarget ? a.target : assigned;
    r.value = ExpandCodes(a.value);
    r.placeholders = r.target.find("!?") != std::string::npos || r.target.find("!$") != std::string::npos;
    int col = 0;
    bool right = false;
    std::string title;
    const int insert = ParseInsertTarget(r.target, &col, &right, &title);
    if (insert < 0) {
      if (call.scope.host) call.scope.host->ReportMessage(2, CString("Macro eror : " + r.target));
      return false;
    }
    if (r.target.empty()) {
      r.kind = ActionRun::kEvaluateOnly;
    } else if (insert > 0) {
      r.kind = ActionRun::kInsert;
      r.insertColumn = col < 1 ? 1 : col;
      r.insertRight = right;
      r.insertTitle = title;
    } else if (StartsWithVariable(r.target)) {
      r.kind = ActionRun::kVariable;
      r.slot = MacroReadNumber(CString(r.target), 2, &call.scope.state);
      r.parts = SplitVariableValue(r.value);
      if (r.slot <= 0) r.kind = ActionRun::kEvaluateOnly;
    } else {
      r.kind = ActionRun::kCell;
    }
    call.actions.push_back(std::move(r));
  }
  return true;
}

namespace {

// Records the cells `bytes` inserted at column `col` of the row (left of it,
// or right of it for `right`); a short row is filled with empty cells first.
bool RecordInsert(Call& call, const Row& row, int col, bool right, const std::string& bytes) {
  const int cells = CellCount(call.text, row);
  std::uint32_t from = 0, to = 0;
  if (!right && CellOf(call.text, row, col, &from, &to))
    return call.changes.Add(from, 0, bytes + static_cast<char>(kSep), &call.overLimit);
  if (right && CellOf(call.text, row, col, &from, &to))
    return call.changes.Add(to, 0, static_cast<char>(kSep) + bytes, &call.overLimit);
  // Past the row's end: empty cells up to the place, then the new ones.
  const int seps = (right ? col + 1 : col) - cells;
  return call.changes.Add(row.end, 0,
                          std::string(static_cast<std::size_t>(seps > 1 ? seps : 1), static_cast<char>(kSep)) + bytes,
                          &call.overLimit);
}

bool RecordCell(Call& call, const Row& row, int col, const std::string& bytes) {
  std::uint32_t from = 0, to = 0;
  if (CellOf(call.text, row, col, &from, &to)) return call.changes.Add(from, to - from, bytes, &call.overLimit);
  const int cells = CellCount(call.text, row);
  const std::string fill(static_cast<std::size_t>(col - cells), static_cast<char>(kSep));
  return call.changes.Add(row.end, 0, fill + bytes, &call.overLimit);
}

}  // namespace

bool RunActions(Call& call, const Row& row, int rowNo, int col) {
  MacroState& st = call.scope.state;
  for (ActionRun& a : call.actions) {
    // A statement over variables only has no row for cell targets.
    if (rowNo == 0 && (a.kind == ActionRun::kCell || a.kind == ActionRun::kInsert)) continue;
    switch (a.kind) {
      case ActionRun::kEvaluateOnly:
        EvaluateActionValue(call, a.value, row, rowNo, col, kExprWorkBuffer);
        break;
      case ActionRun::kVariable: {
        int slot = a.slot;
        for (const std::string& part : a.parts) {
          if (slot > kLastVarSlot) break;
          st.m_strMacroVars[slot++] = CString(EvaluateActionValue(call, part, row, rowNo, col, kExprWorkBuffer));
        }
        break;
      }
      case ActionRun::kInsert: {
        const bool title = static_cast<std::uint32_t>(rowNo) == call.titleLine;
        const std::string bytes =
            CellBytes(title ? a.insertTitle : EvaluateActionValue(call, a.value, row, rowNo, col, kCondCellValueMax));
        if (!RecordInsert(call, row, a.insertColumn, a.insertRight, bytes)) return false;
        break;
      }
      case ActionRun::kCell: {
        std::string target = a.target;
        if (a.placeholders) ReplacePlaceholders(target, rowNo, col);
        int c1 = 0, c2 = 0, r1 = 0, r2 = 0, rs = 0, cs = 0, hp = 0;
        char kind = 0;
        MacroEvalOperand(call.env, target.c_str(), &c1, &c2, &r1, &r2, &kind, col, rowNo, &rs, &cs, &hp, 0);
        if (c1 < 1) c1 = col;
        if (c2 < c1 || kind != '%') c2 = c1;
        Row at = row;
        if (r1 > 0 && r1 != rowNo && r1 <= call.lastRow + 1) {
          // A fixed row: find it from the text's start.
          std::uint32_t p = 0;
          for (int k = 1; k < r1 && p < call.len; ++k) p = RowAt(call.text, call.len, p).next;
          at = RowAt(call.text, call.len, p);
        } else if (r1 > call.lastRow + 1) {
          break;
        }
        const std::string bytes = CellBytes(EvaluateActionValue(call, a.value, row, rowNo, col, kCondCellValueMax));
        for (int c = c1; c <= c2 && c <= csv::kCondMaxColumns; ++c)
          if (!RecordCell(call, at, c, bytes)) return false;
        break;
      }
    }
  }
  return true;
}

bool ApplyChanges(Call& call, csv::OutWriter& out, bool* tooLarge) {
  *tooLarge = false;
  ChangeTable& t = call.changes;
  // Insertions before replacements at one place; records in their order.
  std::stable_sort(t.begin(), t.end(), [](const Change& a, const Change& b) {
    if (a.pos != b.pos) return a.pos < b.pos;
    return (a.len != 0) < (b.len != 0);
  });
  const std::uint64_t limit = static_cast<std::uint64_t>(call.len) + kCondGrowthLimit;
  std::uint32_t done = 0;
  for (Change* c = t.begin(); c != t.end(); ++c) {
    // Of several replacements of one cell the last one counts.
    if (c->len != 0) {
      Change* last = c;
      for (Change* d = c + 1; d != t.end() && d->pos == c->pos && d->len != 0; ++d)
        if (d->seq > last->seq) last = d;
      Change* runEnd = c;
      while (runEnd + 1 != t.end() && (runEnd + 1)->pos == c->pos && (runEnd + 1)->len != 0) ++runEnd;
      if (c->pos < done) {
        c = runEnd;
        continue;
      }
      out.Put(call.text + done, c->pos - done);
      out.Put(t.Bytes(*last), last->n);
      done = c->pos + last->len;
      c = runEnd;
    } else {
      if (c->pos < done) continue;
      out.Put(call.text + done, c->pos - done);
      out.Put(t.Bytes(*c), c->n);
      done = c->pos;
    }
    if (out.Failed()) return false;
    if (out.Length() >= limit) {
      *tooLarge = true;
      return false;
    }
  }
  out.Put(call.text + done, call.len - done);
  if (!out.Failed() && out.Length() >= limit) *tooLarge = true;
  return !out.Failed() && !*tooLarge;
}

}  // namespace csvsel
}  // namespace macro
