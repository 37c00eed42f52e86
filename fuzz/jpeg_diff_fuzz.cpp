// The decoder's table-driven scan reader against the bit-by-bit reference
// on the same input: the same result codes and the same planes. The
// reference side also runs the baseline (scalar) pixel kernels, so the
// kernels chosen for the processor are checked against them too.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_kernels.h"
#include "tests/image/jpeg_reference.h"

namespace {

struct Out {
  int header = 0, decode = 0, w = 0, h = 0;
  uint8_t* p[3] = {nullptr, nullptr, nullptr};
};

template <class Bits>
Out Run(const uint8_t* data, size_t size) {
  Out o;
  jpeg::JDecoder d;
  d.SetPlaneLimit(int64_t(3) * 1000000);
  o.header = d.ReadHeader(data, static_cast<int64_t>(size));
  if (o.header != 0) return o;
  o.decode = d.DecodeWith<Bits>();
  if (o.decode != 0) return o;
  int c;
  d.GetInfo(&o.p[0], &o.p[1], &o.p[2], &o.w, &o.h, &c);
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Out a = Run<jpeg::JScanBits>(data, size);
  const bool was = jpeg::UseBaselineKernels(true);
  Out b = Run<jpegtest::ReferenceBits>(data, size);
  jpeg::UseBaselineKernels(was);
  if (a.header != b.header || a.decode != b.decode || a.w != b.w || a.h != b.h) __builtin_trap();
  const size_t n = static_cast<size_t>(a.w) * static_cast<size_t>(a.h);
  for (int i = 0; i < 3; ++i) {
    if ((a.p[i] == nullptr) != (b.p[i] == nullptr)) __builtin_trap();
    if (a.p[i] != nullptr && n > 0 && std::memcmp(a.p[i], b.p[i], n) != 0) __builtin_trap();
    jpeg::JFree(a.p[i]);
    jpeg::JFree(b.p[i]);
  }
  return 0;
}
