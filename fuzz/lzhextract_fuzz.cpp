// The own LZH extraction over arbitrary bytes into a memory target: header
// walk, "-lh0-"/"-lh5-" (and with the first byte's low bit "-lh6-"/"-lh7-"),
// CRC-16 and size checks and the name rules. Every name that reaches the
// target must be a safe relative path, and no file may exceed its header's
// 32-bit size.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/arc_names.h"
#include "archive/lzh_extract.h"

namespace {
[[noreturn]] void Bad(const char* what, const std::string& name) {
  std::fprintf(stderr, "%s: %s\n", what, name.c_str());
  __builtin_trap();
}

void CheckName(const std::string& n) {
  std::string again;
  if (arc::SafeMemberPath(n, &again) != arc::NameCheck::kOk || again != n) Bad("unsafe name", n);
  if (n.find(':') != std::string::npos) Bad("unsafe name", n);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  bool wide = data[0] & 1;
  arc::MemoryTarget t(4096);
  std::string last;
  arc::ArcOutcome r = arc::LzhExtractBlock(data + 1, size - 1, t, wide, &last);
  if (r.Failed() && r.result != -1) Bad("failure without -1", r.code);
  for (auto& f : t.files) {
    CheckName(f.first);
    if (f.second.length > 0xFFFFFFFFll) Bad("output beyond a 32-bit size", f.first);
  }
  for (const std::string& d : t.folders) CheckName(d);
  if (!last.empty()) CheckName(last);
  return 0;
}
