// The rename command's name decisions on any typed text and shown name
// (split at the first NUL): the kind of the typed text, the pattern forms
// with their translation and match, the cipher forms. Both texts sit in
// buffers of their exact size, so a read past either is caught. Checked: a
// pattern result stays within 256 bytes; a cipher result has the stored
// marker; and for plain literal patterns (":old:new" with letters, digits
// and a few marks) the new name equals a model's left-to-right replacement
// that ignores the case of ASCII letters.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "filelist/flistcore/renameplan.h"

namespace {

bool PlainChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-' || c == ' ';
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Every occurrence of `from` (ASCII letters in either case), left to right,
// not overlapping, replaced by `to`; the count in *n.
std::string Model(const std::string& name, const std::string& from, const std::string& to, int* n) {
  std::string out;
  *n = 0;
  std::size_t i = 0;
  while (i < name.size()) {
    bool hit = i + from.size() <= name.size();
    for (std::size_t k = 0; hit && k < from.size(); ++k) hit = Lower(name[i + k]) == from[k];
    if (hit) {
      out += to;
      i += from.size();
      ++*n;
    } else {
      out += name[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2000) return 0;
  const uint8_t* nul = size ? static_cast<const uint8_t*>(std::memchr(data, 0, size)) : nullptr;
  const size_t typedLen = nul ? static_cast<size_t>(nul - data) : size;
  const size_t nameLen = nul ? size - typedLen - 1 : 0;
  std::unique_ptr<char[]> typedBuf(new char[typedLen ? typedLen : 1]);
  std::unique_ptr<char[]> nameBuf(new char[nameLen ? nameLen : 1]);
  if (typedLen) std::memcpy(typedBuf.get(), data, typedLen);
  if (nameLen) std::memcpy(nameBuf.get(), nul + 1, nameLen);
  const std::string typed(typedBuf.get(), typedLen);
  const std::string shown(nameBuf.get(), nameLen);

  flist::KeyCodeNameForms forms("1234");
  const flist::RenameMode mode = flist::ClassifyRenameName(typed);
  if (mode != flist::RenameMode::kSingle) {
    const flist::BatchRename b = flist::PlanBatchRename(mode, typed, shown, forms);
    if (b.act && (b.from.empty() || b.to.empty() || b.from == b.to)) __builtin_trap();
    if (mode == flist::RenameMode::kPattern && b.act && b.to.size() > 256 &&
        shown.find("@Enc", 1) == std::string::npos)
      __builtin_trap();
    if (flist::IsCipherMode(mode) && mode != flist::RenameMode::kDecipherAll && b.act &&
        b.to.compare(0, 4, "#~$_") != 0)
      __builtin_trap();
  }

  // The model of plain literal patterns.
  if (typed.size() >= 3 && typed[0] == ':') {
    const size_t sep = typed.find(':', 1);
    if (sep != std::string::npos && sep > 1) {
      const std::string from = typed.substr(1, sep - 1), to = typed.substr(sep + 1);
      bool plain = true;
      for (char c : from) plain = plain && PlainChar(c);
      for (char c : to) plain = plain && PlainChar(c);
      for (char c : shown) plain = plain && c >= 0x20 && c < 0x7F;
      if (plain && shown.size() <= 256 && shown.find("@Enc", 1) == std::string::npos) {
        if (mode != flist::RenameMode::kPattern) __builtin_trap();
        int n = 0;
        const std::string want = Model(shown, from, to, &n);
        const flist::BatchRename b = flist::PlanBatchRename(mode, typed, shown, forms);
        if (want.size() <= 256) {
          const bool change = n > 0 && want != shown && !want.empty();
          if (b.act != change) __builtin_trap();
          if (change && b.to != want) __builtin_trap();
        } else if (b.act) {
          __builtin_trap();
        }
      }
    }
  }
  return 0;
}
