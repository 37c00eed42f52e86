// The own ZIP extraction over arbitrary bytes into a memory target: the
// directory pairing, the size, CRC and ZIP64 checks, the name rules and the
// UTF-8 decoding. The first byte picks the mode (file-like checks, UTF-8
// names switch, memory output). Every name that reaches the target must be a
// safe relative path (SafeMemberPath gives it back unchanged), and no file
// may exceed what the input could declare.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "archive/arc_names.h"
#include "archive/zip_extract.h"

namespace {
[[noreturn]] void Bad(const char* what, const std::string& name) {
  std::fprintf(stderr, "%s: %s\n", what, name.c_str());
  __builtin_trap();
}

void CheckName(const std::string& n) {
  std::string again;
  if (arc::SafeMemberPath(n, &again) != arc::NameCheck::kOk || again != n) Bad("unsafe name", n);
  if (n == ".." || n.compare(0, 3, "..\\") == 0 || n.find("\\..\\") != std::string::npos ||
      (n.size() >= 3 && n.compare(n.size() - 3, 3, "\\..") == 0) || n.find(':') != std::string::npos)
    Bad("unsafe name", n);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint8_t mode = data[0];
  ++data;
  --size;
  arc::ArcState st;
  arc::MemoryTarget t(4096);
  st.m_nArcInSize = static_cast<int32_t>(size);
  std::vector<uint8_t> out;
  if (mode & 4) {
    st.m_nArcOutMax = 1 + (mode >> 3) * 64;
    out.assign(static_cast<size_t>(st.m_nArcOutMax) + 2000, 0);
    st.m_pArcOutBuf = out.data();
  }
  arc::ZipExtractOptions opt;
  opt.checked = (mode & 1) != 0;
  opt.utf8Names = (mode & 2) != 0;
  arc::ArcOutcome r = arc::ZipExtractBlock(st, data, size, opt, t);
  if (r.Failed() && r.result != -1) Bad("failure without -1", r.code);
  for (auto& f : t.files) {
    CheckName(f.first);
    // A Deflate stream expands at most 1032 times; a stored one not at all.
    if (f.second.length > static_cast<int64_t>(size) * 1032 + 1) Bad("output beyond the input's reach", f.first);
  }
  for (const std::string& d : t.folders) CheckName(d);
  if (st.m_nArcOutMax > 0 && !t.files.empty()) Bad("memory mode wrote files", t.files.begin()->first);
  return 0;
}
