// The registry statements' operand reader and both conversions over any
// bytes: the parts of an accepted operand come from the operand in order,
// binary data comes back from its text, and the DWORD text of the written
// bytes is the saturated number the text begins with.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "macro/macro_registry.h"

namespace {

// The number the DWORD conversion is to write: an optional '-' and the
// digits after it, saturated to 32 bits.
long long ModelDword(const std::string& s) {
  std::size_t i = 0;
  const bool minus = i < s.size() && s[i] == '-';
  if (minus) ++i;
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    if (v < 10000000000LL) v = v * 10 + (s[i] - '0');
  if (minus) v = -v;
  return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 12000) size = 12000;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const CString text(bytes);

  const macro::RegistryOperand op = macro::MacroParseRegistryOperand(text);
  if (op.ok) {
    const std::string key = op.keyPath.Str(), name = op.valueName.Str();
    if (op.type < 1 || op.type > 9) __builtin_trap();
    if (key.size() + name.size() + 1 > bytes.size()) __builtin_trap();
    // The value name is the operand's tail after the ':' that closes the key path.
    if (bytes.compare(bytes.size() - name.size(), name.size(), name) != 0) __builtin_trap();
    if (bytes[bytes.size() - name.size() - 1] != ':') __builtin_trap();
    if (bytes.find(key) == std::string::npos) __builtin_trap();
  }
  const int slot = macro::MacroRegistrySlot(text);
  (void)slot;

  // DWORD: four bytes, read back as the saturated number.
  const std::string dword = macro::MacroRegistryTextToData(macro::kRegDword, text);
  if (dword.size() != 4) __builtin_trap();
  const std::string back = macro::MacroRegistryDataToText(macro::kRegDword, dword).Str();
  if (back != std::to_string(ModelDword(bytes))) __builtin_trap();

  // Binary: the hexadecimal text of any bytes gives the bytes again (up to
  // the 9,000-digit limit), and a written text never gives more bytes than
  // half its length.
  const std::string hex = macro::MacroRegistryDataToText(macro::kRegBinary, bytes).Str();
  if (hex.size() != 2 * std::min<std::size_t>(bytes.size(), 4500)) __builtin_trap();
  if (macro::MacroRegistryTextToData(macro::kRegBinary, CString(hex)) != bytes.substr(0, hex.size() / 2))
    __builtin_trap();
  if (macro::MacroRegistryTextToData(macro::kRegBinary, text).size() > bytes.size() / 2) __builtin_trap();

  // Other types: the text and its NUL; read back up to the first NUL.
  const std::string sz = macro::MacroRegistryTextToData(macro::kRegSz, text);
  if (sz.size() != bytes.size() + 1 || sz.back() != '\0') __builtin_trap();
  const std::string read = macro::MacroRegistryDataToText(macro::kRegMultiSz, bytes).Str();
  if (read != bytes.substr(0, bytes.find('\0'))) __builtin_trap();
  return 0;
}
