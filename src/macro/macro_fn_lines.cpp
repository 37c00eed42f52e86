#include "macro/macro_fn_lines.h"

#include <vector>

#include "csv/csv_cellbreaks.h"
#include "macro/macro_builtins.h"
#include "macro/macro_fn_common.h"

namespace macro {

namespace {

// The text's own lines, split at each break (CR code, LF code, or the pair).
std::vector<std::string> OwnLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c == csv::kCellCr || c == csv::kCellLf) {
      if (c == csv::kCellCr && i + 1 < text.size() && static_cast<std::uint8_t>(text[i + 1]) == csv::kCellLf) ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

// One line cut into pieces of at most `width` bytes at character bounds.
void Wrap(const std::string& line, int width, std::vector<std::string>* out) {
  if (width <= 0 || static_cast<int>(line.size()) <= width) {
    out->push_back(line);
    return;
  }
  const std::string kinds = SjisByteKinds(line);
  std::string piece;
  for (std::size_t i = 0; i < line.size();) {
    std::size_t n = 1;
    while (i + n < line.size() && kinds[i + n] == 2) ++n;
    if (!piece.empty() && piece.size() + n > static_cast<std::size_t>(width)) {
      out->push_back(piece);
      piece.clear();
    }
    piece.append(line, i, n);
    i += n;
  }
  out->push_back(piece);
}

std::vector<std::string> WrappedLines(const std::string& text, int width) {
  std::vector<std::string> lines;
  for (const std::string& own : OwnLines(text)) Wrap(own, width, &lines);
  return lines;
}

// A cell's text inside its quotes, and the quotes back around a result.
struct Quoted {
  std::string text;
  bool quoted = false;
  explicit Quoted(const std::string& s) {
    quoted = s.size() >= 2 && s.front() == '"' && s.back() == '"';
    text = quoted ? s.substr(1, s.size() - 2) : s;
  }
  std::string Wrap(const std::string& v) const { return quoted ? "\"" + v + "\"" : v; }
};

// 180 "MLL": the operand's last three digits are the width (0 or 999: the
// column's width), what is above them the lines every cell gets at least
// (the cell walk measures the range and adds 1000 x its most lines).
void WrapLines(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Quoted q(f.Text());
  const int operand = *a.pnParam > 0 ? *a.pnParam : 0;
  int width = operand % 1000;
  if (width == 0 || width == 999) width = ColumnWidthFor(scope, a.nColumn);
  MacroFinishFunctionField(scope, a, f);
  PutWhole(a, q.Wrap(WrapCellLines(q.text, width, operand / 1000)));
}

// 181 "MLC": the cell's lines joined.
void JoinLines(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Quoted q(f.Text());
  MacroFinishFunctionField(scope, a, f);
  PutWhole(a, q.Wrap(JoinCellLines(q.text)));
}

}  // namespace

int CellLineCount(const std::string& text, int width) {
  return static_cast<int>(WrappedLines(text, width).size());
}

std::string WrapCellLines(const std::string& text, int width, int minLines) {
  std::vector<std::string> lines = WrappedLines(text, width);
  while (static_cast<int>(lines.size()) < minLines) lines.emplace_back();
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += static_cast<char>(csv::kCellLf);
    out += lines[i];
  }
  return out;
}

std::string JoinCellLines(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!csv::IsCellBreakCode(static_cast<std::uint8_t>(c))) out += c;
  return out;
}

void RegisterLineFunctions(BuiltinHandler* at) {
  at[180] = WrapLines;
  at[181] = JoinLines;
}

}  // namespace macro
