// The field reader, the common finish and the output helpers that every
// family of the built-in function library shares.
#include "macro/macro_fn_common.h"

#include <cstdio>
#include <vector>

#include "core/docsvc/sjis_state.h"
#include "csv/csv_buffer.h"
#include "csv/csv_widths.h"

namespace macro {

bool IsFieldTerminator(std::uint8_t b) { return b == csv::CSV_FIELD_SEP || b == 0 || b == '\r' || b == '\n'; }

FunctionField MacroReadFunctionField(const BuiltinScope& scope, const BuiltinArgs& args) {
  FunctionField f;
  std::uint32_t n = scope.sourceLength;
  std::uint32_t s = args.pnReadPos && *args.pnReadPos > 0 ? static_cast<std::uint32_t>(*args.pnReadPos) : 0;
  if (args.pSource == nullptr) s = n = 0;
  if (s > n) s = n;
  std::uint32_t e = s;
  while (e < n && !IsFieldTerminator(args.pSource[e])) ++e;
  f.start = s;
  f.end = e;
  f.atSourceEnd = e >= n;
  f.bytes = args.pSource ? args.pSource + s : reinterpret_cast<const std::uint8_t*>("");
  return f;
}

void MacroFinishFunctionField(const BuiltinScope& scope, BuiltinArgs& args, const FunctionField& field) {
  (void)scope;
  MacroConsumeTo(args, field.end);
}

void MacroConsumeTo(BuiltinArgs& args, std::uint32_t pos) {
  if (args.pnReadPos) *args.pnReadPos = static_cast<int>(pos);
}

std::string SjisByteKinds(const std::string& text) {
  std::string kinds(text.size(), 0);
  int state = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int before = state;
    IsSjisLeadByteState(static_cast<unsigned char>(text[i]), &state);
    kinds[i] = before ? 2 : (state ? 1 : 0);
  }
  // A lead byte at the very end has no second byte: it is a byte of its own.
  if (!kinds.empty() && kinds.back() == 1) kinds.back() = 0;
  return kinds;
}

bool PutWhole(BuiltinArgs& args, const std::string& text) {
  const int at = *args.pnOutLen;
  const int room = args.nOutCapacity - at;
  if (static_cast<long long>(text.size()) <= room) return args.Put(text.data(), static_cast<int>(text.size()));
  if (room <= 0) return false;
  // Cut at the last character boundary that fits.
  const std::string kinds = SjisByteKinds(text);
  int take = room;
  if (take > 0 && kinds[static_cast<std::size_t>(take - 1)] == 1) --take;
  args.Put(text.data(), take);
  return false;
}

void PutNumber(BuiltinArgs& args, long long n) {
  char buf[32];
  const int len = std::snprintf(buf, sizeof buf, "%lld", n);
  args.Put(buf, len);
}

std::string FunctionTail(const CString& funcText, char sep) {
  const std::string& s = funcText.Str();
  int state = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int before = state;
    IsSjisLeadByteState(static_cast<unsigned char>(s[i]), &state);
    if (!before && i >= 2 && s[i] == sep) return s.substr(i + 1);
  }
  return std::string();
}

int ColumnWidthFor(BuiltinScope& scope, int column) {
  if (column < 1 || column >= csv::kMaxPositionColumns) return 0;
  std::vector<std::uint32_t> local;
  std::uint32_t* pos = scope.columnPos;
  int slots = scope.columnPosSlots;
  if (pos == nullptr || slots < 3) {
    local.assign(csv::kColumnPositionSlots, 0);
    pos = local.data();
    slots = csv::kColumnPositionSlots;
  }
  if (pos[0] == 0 && scope.table != nullptr) {
    csv::ComputeColumnWidths(*scope.table, scope.titleLine, pos, slots, 1, -1, 1, 1, csv::kWidthPlain);
  }
  return static_cast<int>(csv::ColumnWidthAt(pos, slots, column));
}

bool IsLaterFamilyCode(int c) {
  // Dates and times, number formats and number functions, code conversions.
  if ((c >= 7 && c <= 9) || (c >= 70 && c <= 75) || (c >= 90 && c <= 94) || c == 104 || (c >= 100 && c <= 103))
    return true;
  if (c == 13 || c == 14 || c == 17 || c == 19 || (c >= 81 && c <= 86)) return true;
  if (c == 58 || c == 59 || c == 79 || (c >= 87 && c <= 89) || c == 76 || c == 77 || c == 179 ||
      (c >= 105 && c <= 135))
    return true;
  return c == 27 || c == 28 || c == 29 || c == 30 || c == 31 || c == 32 || c == 78 || c == 80 ||
         (c >= 140 && c <= 144);
}

std::uint32_t UnquotedField::CharLen(std::uint32_t i) const {
  return docsvc::IsSjisLeadByteStd(b[i]) && i + 1 < n ? 2 : 1;
}

UnquotedField SplitFieldQuotes(const FunctionField& f) {
  UnquotedField in;
  in.b = f.bytes;
  in.n = f.Length();
  if (in.n > 0 && in.b[0] == '"') {
    in.quoted = true;
    ++in.b;
    --in.n;
    if (in.n > 0 && in.b[in.n - 1] == '"') {
      in.closed = true;
      --in.n;
    }
  }
  return in;
}

void FinishUnquoted(BuiltinScope& scope, BuiltinArgs& args, const FunctionField& f, const UnquotedField& in,
                    const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  if (in.quoted) out += '"';
  out += text;
  if (in.closed) out += '"';
  PutWhole(args, out);
  MacroFinishFunctionField(scope, args, f);
}

}  // namespace macro
