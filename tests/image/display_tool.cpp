// Turns a bitmap file into the picture the view would show for a set of
// display option words, and prints the numbers the view keeps (the final
// size, the sizes before and after, the expected output, the marks).
//
//   display_tool IN.bmp OUT.bmp [name=value ...]
//
// name: a word's field name (nZoomLevel, bFlipH, ...) or wN for word N;
// sel=left,top,right,bottom (the selection); membuf=, membuf2= (the output and
// input settings, default 40 MB each); loadstate=, trim=, reduce= (the view's
// load state, trimming mode and reduction); cap= (bytes of the destination;
// default as the view sizes it). Exit status 0, 1 when nothing is shown,
// 2 for a bad argument or file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display_bmp.h"
#include "image/view/display_pipeline.h"

namespace {

struct Name {
  const char* name;
  int word;
};
const Name kWords[] = {
    {"nZoomLevel", img::word::nZoomLevel},     {"nColorOption", img::word::nColorOption},
    {"nRotation", img::word::nRotation},       {"nZoomFine", img::word::nZoomFine},
    {"nFilter", img::word::nFilter},           {"nStretchMode", img::word::nStretchMode},
    {"bFlipV", img::word::bFlipV},             {"bFlipH", img::word::bFlipH},
    {"nEffectStyle", img::word::nEffectStyle}, {"bNeedTransform", img::word::bNeedTransform},
    {"bForceEffects", img::word::bForceEffects}, {"bTo24", img::word::bTo24},
    {"nSkipColorEngine", img::word::nSkipColorEngine}, {"bFilterOn", img::word::bFilterOn},
    {"bRegionCut", img::word::bRegionCut},     {"m_bRegionSet", img::word::m_bRegionSet},
};

int Usage(const char* why) {
  std::fprintf(stderr, "display_tool: %s\nusage: display_tool IN.bmp OUT.bmp [name=value ...]\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage("two files needed");
  img::DisplayRequest q;
  img::ImageViewOptions& o = q.options;
  o[img::word::nZoomLevel] = 5;
  long long cap = -1;
  for (int i = 3; i < argc; ++i) {
    const char* eq = std::strchr(argv[i], '=');
    if (!eq) return Usage(argv[i]);
    const std::string key(argv[i], size_t(eq - argv[i]));
    const char* v = eq + 1;
    bool done = false;
    for (const Name& n : kWords)
      if (key == n.name) {
        o[n.word] = std::atoi(v);
        done = true;
      }
    if (done) continue;
    if (key.size() > 1 && key[0] == 'w' && key.find_first_not_of("0123456789", 1) == std::string::npos) {
      const int k = std::atoi(key.c_str() + 1);
      if (k < 0 || k > img::kRegionWord) return Usage(argv[i]);
      o[k] = std::atoi(v);
    } else if (key == "sel") {
      if (std::sscanf(v, "%d,%d,%d,%d", &q.selection.left, &q.selection.top, &q.selection.right,
                      &q.selection.bottom) != 4)
        return Usage(argv[i]);
    } else if (key == "membuf") {
      q.textBufSize = uint32_t(std::strtoul(v, nullptr, 10));
    } else if (key == "membuf2") {
      q.textBufSize2 = uint32_t(std::strtoul(v, nullptr, 10));
    } else if (key == "loadstate") {
      q.loadState = std::atoi(v);
    } else if (key == "trim") {
      q.trimMode = std::atoi(v);
    } else if (key == "reduce") {
      q.imageReduce = std::atoi(v);
    } else if (key == "cap") {
      cap = std::atoll(v);
    } else {
      return Usage(argv[i]);
    }
  }
  imgview::Picture pic;
  if (!imgview::ReadBmp(argv[1], &pic, q.textBufSize, q.textBufSize2)) return Usage("cannot read the picture");
  const img::DibHeader h = pic.Header();
  // The destination as the view sizes it: the rows and 100,000 bytes, room
  // for the enlargement, and for the widening to 24 bits.
  uint64_t n = img::DibStride(uint32_t(h.biWidth), h.biBitCount) * uint32_t(h.biHeight) + 100000;
  const int level = o[img::word::nZoomLevel];
  if (level >= 6 && level <= 9) n = n * (1ull << (2 * (level - 5))) + 100000;
  if (n < pic.bits.size()) n = pic.bits.size();
  if ((o[img::word::bTo24] == 1 || h.biBitCount == 16) && h.biBitCount != 32 && h.biBitCount != 0)
    n = n * 24 / h.biBitCount;
  if (cap >= 0) n = uint64_t(cap);
  if (n > 0xFFFFFFF0ull) return Usage("destination too large");
  std::vector<uint8_t> a(pic.bits.size() + 910000), b(n);
  std::memcpy(a.data(), pic.bits.data(), pic.bits.size());
  q.a = a.data();
  q.aSize = uint32_t(a.size());
  q.srcBytes = uint32_t(pic.bits.size());
  q.b = b.data();
  q.bSize = uint32_t(b.size());
  q.info = pic.info.data();
  q.infoSize = pic.infoSize;
  const img::DisplayResult r = img::TransformImageForDisplay(q, img::StandardDisplayServices());
  std::printf("size %u\nwidth %d\nheight %d\nbits %d\n", r.size, r.width, r.height, r.bits);
  std::printf("widthBefore %d\nheightBefore %d\nbitsBefore %d\n", r.widthBefore, r.heightBefore, r.bitsBefore);
  std::printf("regionCut %d\noverMark %d\nheightCut %d\n", r.regionCut, r.overMark, r.heightCut);
  std::printf("expected %llu\nallowed %llu\ninputRead %llu\n", (unsigned long long)r.sizes.expected,
              (unsigned long long)r.sizes.allowed, (unsigned long long)r.sizes.inputRead);
  std::printf("advice %d\nadviceForOutput %d\nadviceMegabytes %llu\n", r.sizes.advice, r.sizes.adviceForOutput,
              (unsigned long long)r.sizes.adviceMegabytes);
  std::printf("imageReduce %d\nshowCaption %d\nsteps %d\n", r.imageReduce, r.showCaption, r.steps);
  const img::CaptionText caption = img::BuildImageCaption(img::TransformCaptionInput(q, r));
  if (caption.built) std::printf("caption %s\n", caption.text.c_str());
  if (r.size == 0) return 1;
  if (!imgview::WriteBmp(argv[2], pic.info.data(), b.data(), r.size)) return Usage("cannot write the picture");
  return 0;
}
