// The condition compiler on any command and operand texts: the pieces,
// groups and actions stay within their limits, every bracket count is
// within the stack, and a group start is a piece index.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "csv/csv_condcompile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = all.find('\n');
  const std::string command = all.substr(0, cut);
  const std::string operand = cut == std::string::npos ? std::string() : all.substr(cut + 1);
  const csv::CompiledCondition c = csv::CompileCondition(command, operand);
  if (c.status != csv::kCondOk) return 0;
  if (c.pieces.empty() || c.pieces.size() > static_cast<std::size_t>(csv::kCondMaxPieces)) std::abort();
  if (c.actions.size() > static_cast<std::size_t>(csv::kCondMaxActions)) std::abort();
  int depth = 0;
  for (const csv::CondPiece& p : c.pieces) {
    if (p.closeBefore < 0 || p.open < 0) std::abort();
    depth -= p.closeBefore < depth ? p.closeBefore : depth;
    depth += p.open;
    if (depth > csv::kCondStackDepth) std::abort();
    if (p.pattern && p.op1 != ':') std::abort();
  }
  for (int g : c.groupStarts)
    if (g < 0 || g >= static_cast<int>(c.pieces.size())) std::abort();
  // Compiling again gives the same pieces.
  const csv::CompiledCondition again = csv::CompileCondition(command, operand);
  if (again.pieces.size() != c.pieces.size()) std::abort();
  for (std::size_t k = 0; k < c.pieces.size(); ++k)
    if (again.pieces[k].left != c.pieces[k].left || again.pieces[k].right != c.pieces[k].right) std::abort();
  return 0;
}
