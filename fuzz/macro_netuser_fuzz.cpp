// The operand reader of "fileuser" over any bytes: the resource name stays
// within 200 bytes and never ends in half a double-byte character, and each
// value is a piece of the operand after its key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fw/sjis.h"
#include "macro/macro_fileoperand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) size = 4096;
  const std::string_view op(reinterpret_cast<const char*>(data), size);
  const macro::NetUserOperand r = macro::MacroReadNetUserOperand(op);
  if (r.resource.size() > macro::kNetResourceBytes) __builtin_trap();
  if (op.compare(0, r.resource.size(), r.resource) != 0) __builtin_trap();
  // A cut resource ends on a character boundary: walking the operand's
  // characters from its start lands on the cut.
  if (r.resource.size() == macro::kNetResourceBytes || r.resource.size() + 1 == macro::kNetResourceBytes) {
    std::size_t i = 0;
    while (i < r.resource.size())
      i += fw::IsSjisLeadByte(static_cast<unsigned char>(op[i])) && i + 1 < op.size() ? 2 : 1;
    if (i != r.resource.size() && op.find(";USER=") != r.resource.size() && op.find(";PWRD=") != r.resource.size())
      __builtin_trap();
  }
  if (r.hasUser != (op.find(";USER=") != std::string_view::npos)) __builtin_trap();
  if (r.hasUser && op.find(";USER=" + r.user) == std::string_view::npos) __builtin_trap();
  if (r.hasPassword && op.find(";PWRD=" + r.password) == std::string_view::npos) __builtin_trap();
  return 0;
}
