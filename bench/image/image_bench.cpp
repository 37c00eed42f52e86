// Loading time of picture files through the loader dispatcher (the file read
// included), the median of N runs each. Usage: bench_image [-runs N] file...
// bench/image/run.sh makes the pictures and times Pillow's decode beside.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/load/image_dispatch.h"

namespace {
class Quiet : public img::LoadHost {
 public:
  Quiet() {
    textBufSize = 1u << 30;
    textBufSize2 = 1u << 30;
  }
  void SetMessage(unsigned) override {}
  void AppendMessage(unsigned) override {}
  void MessageBox(unsigned) override {}
  void StatusText(const std::string&) override {}
};

int KindOf(const std::string& p) {
  const std::string e = p.substr(p.rfind('.') + 1);
  return e == "png" ? img::kKindPng : e == "gif" ? img::kKindGif : e == "tif" ? img::kKindTiff
                                                                  : e == "jpg" ? img::kKindJpeg : img::kKindBmp;
}
}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "-runs") == 0) {
    runs = std::atoi(argv[2]);
    first = 3;
  }
  for (int i = first; i < argc; ++i) {
    std::vector<double> t;
    uint32_t bytes = 0;
    for (int r = 0; r < runs; ++r) {
      img::LoadRecord rec;
      Quiet host;
      img::LoadRequest req;
      req.kind = KindOf(argv[i]);
      const auto a = std::chrono::steady_clock::now();
      const img::LoadOutcome o = img::LoadImageFile(rec, host, argv[i], req);
      const auto b = std::chrono::steady_clock::now();
      if (o.result != 0) {
        std::printf("%s: load failed (%d)\n", argv[i], o.result);
        return 1;
      }
      bytes = rec.m_nLoadDataSize;
      img::ReleaseLoadBits(rec);
      t.push_back(std::chrono::duration<double>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    std::printf("%s\t%.4f\t%u\n", argv[i], t[t.size() / 2], bytes);
  }
  return 0;
}
