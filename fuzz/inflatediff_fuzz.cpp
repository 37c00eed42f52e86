// Our inflater against zlib on the same raw Deflate data: both accept with the
// same output, or both refuse. The one difference allowed is the inflater's
// documented leniency: it takes incomplete Huffman codes and fails only when
// the data uses a bit pattern without a code ("052"), where zlib refuses the
// code when it is defined.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "archive/arc_error.h"
#include "archive/inflater.h"
#include "fuzz/zlib_raw.h"

namespace {

constexpr size_t kCap = size_t(1) << 23;  // outputs above 8 MiB are not compared

bool IsIncompleteCodeRefusal(const std::string& msg) {
  return msg == "invalid code lengths set" || msg == "invalid literal/lengths set" ||
         msg == "invalid distances set";
}

[[noreturn]] void Mismatch(const char* what, const std::string& ours, const std::string& theirs) {
  std::fprintf(stderr, "inflate differs from zlib: %s (ours: %s, zlib: %s)\n", what, ours.c_str(), theirs.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  fuzzsupport::ZlibResult z = fuzzsupport::ZlibInflateRaw(data, size, kCap);
  if (z.kind == fuzzsupport::ZlibResult::kTooLong) return 0;

  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(size);
  std::ostringstream out;
  std::string code;
  try {
    arc::ZipBitReader r(st, data);
    arc::Inflater inf(r);
    // One byte more than zlib may make: the final block, not the size, ends it.
    arc::ZipCrc32 sink(st, &out, static_cast<int64_t>(kCap) + 1);
    arc::Inflater::Inflate(inf, sink);
  } catch (const arc::ArchiveError& e) {
    code = e.Code();
  }
  const std::string ours = out.str();
  if (z.kind == fuzzsupport::ZlibResult::kOk) {
    if (!code.empty()) Mismatch("zlib accepts, we refuse", code, "ok");
    if (ours.size() != z.out.size() || (!ours.empty() && std::memcmp(ours.data(), z.out.data(), ours.size()) != 0))
      Mismatch("different output", std::to_string(ours.size()), std::to_string(z.out.size()));
    return 0;
  }
  // zlib refused.
  if (code.empty() && !IsIncompleteCodeRefusal(z.msg)) Mismatch("we accept, zlib refuses", "ok", z.msg);
  // Up to the refusal both wrote the same bytes (zlib's output may lag
  // behind: it keeps up to one window's worth and a block's tail unflushed).
  const size_t common = std::min(ours.size(), z.out.size());
  if (common && std::memcmp(ours.data(), z.out.data(), common) != 0) Mismatch("different output before the error", code, z.msg);
  return 0;
}
