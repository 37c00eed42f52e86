// The count and sum statement's operand reader and its parameter text over
// any command and operand: the extra numbers, the operand numbers, P and the
// cross-table values. Checks: P is the list a second, differently built model
// of the parameter table gives, followed by the operand numbers and the
// operand or "*"; the values stay in their ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "macro/macro_countsum.h"

namespace {

int Num(const uint8_t*& p, size_t& n) {
  if (n == 0) return 0;
  const int v = static_cast<int8_t>(*p);
  ++p;
  --n;
  return v;
}

// The parameter table as a chain: the key columns, then num4 whenever a
// later number is there, num5 whenever num6 is, num6.
std::string Model(const macro::CountNumbers& n, const std::string& operand) {
  std::vector<int> v{n.num1};
  if (n.num3 > 0) v.insert(v.end(), {n.num1, n.num2, n.num3});
  else if (n.num2 > 0) v.insert(v.end(), {n.num1, n.num2});
  if (n.num4 > 0 || n.num5 > 0 || n.num6 > 0) v.push_back(n.num4);
  if (n.num5 > 0 || n.num6 > 0) v.push_back(n.num5);
  if (n.num6 > 0) v.push_back(n.num6);
  if (n.a1 > 0) {
    v.push_back(n.a1);
    if (n.a2 > 0) {
      v.push_back(n.a2);
      if (n.a3 > 0) v.push_back(n.a3);
    }
  }
  std::string s;
  for (std::size_t k = 0; k < v.size(); ++k) s += (k ? "," : "") + std::to_string(v[k]);
  return s + (!operand.empty() && n.a1 <= 0 ? "," + operand : ",*");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* p = data;
  size_t n = size;
  macro::CountNumbers c;
  c.num1 = Num(p, n);
  c.num2 = Num(p, n);
  c.num3 = Num(p, n);
  c.num4 = Num(p, n);
  unsigned char letter2 = Num(p, n) & 1 ? 's' : 'n';
  const unsigned char letter3 = static_cast<unsigned char>(Num(p, n));
  const size_t cmdLen = n ? (*p % 32) : 0;
  if (n) ++p, --n;
  const std::string command(reinterpret_cast<const char*>(p), cmdLen < n ? cmdLen : n);
  p += command.size();
  n -= command.size();
  CString operand(std::string(reinterpret_cast<const char*>(p), n).c_str());

  macro::ReadCountExtraNumbers(CString(command.c_str()), &c);
  if (c.num5 < 0 || c.num6 < 0) std::abort();
  const unsigned char before = letter2;
  const macro::CountOperandVerdict v = macro::ReadCountOperand(&operand, &letter2, &c);
  if (v == macro::CountOperandVerdict::kNeedsAddress && before == 'n' && operand.Find('=') >= 0) std::abort();
  if (letter2 != 'n' && letter2 != 's') std::abort();
  if (operand.Find(';') >= 0) std::abort();
  const CString param = macro::CountParameterText(c, operand);
  if (std::string(param.GetString()) != Model(c, operand.GetString())) std::abort();
  const macro::CrossValues x = macro::CountCrossValues(c, letter2, letter3);
  if (x.rowMode < 1 || x.rowMode > 13 || x.columnMode < 0 || x.columnMode > 3 || x.valueMode < 0 ||
      x.valueMode > 3 || (x.countFlag != 0 && x.countFlag != 1))
    std::abort();
  return 0;
}
