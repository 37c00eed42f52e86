// The display pipeline against ImageMagick, both as whole processes that
// read a 24-bit bitmap and write the displayed one: the display tool with
// option words, `convert` with the same operation on one thread
// (MAGICK_THREAD_LIMIT=1), paired runs, the median ratio ours / theirs.
//
//   bench_imagepipe [-runs N] [WIDTHxHEIGHT]     (default 6000x4000)
//
// Rows: mirror and a quarter turn (outputs compared pixel for pixel), the
// reduction to 1/4 with fine factor 8 against -scale 20% (sizes compared),
// the 3x3 filter -2 against the same kernel by -morphology (sizes compared).
#include <cstdio>
#include <string>

#include "bench_util.h"

namespace {

std::string Size(const std::string& file) {
  std::string out;
  bool ok = false;
  bench::RunCapture("identify -format '%wx%h' '" + file + "'", &out, &ok);
  return ok ? out : "?";
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const std::string dims = next < argc ? argv[next] : "6000x4000";
  const std::string in = "/tmp/tabrye_imagepipe_bench_" + dims + ".bmp";
  if (bench::ReadFile(in).empty()) {
    int rc = 0;
    bench::TimeCommand("convert -seed 1 -size " + dims + " plasma: -type TrueColor '" + in + "'", &rc);
    if (rc != 0) {
      std::printf("cannot make %s (ImageMagick missing?)\n", in.c_str());
      return 1;
    }
  }
  const std::string ours = std::string("'") + DISPLAY_TOOL + "' '" + in + "' ";
  const std::string mem = " membuf=1000000000 membuf2=1000000000 > /dev/null";
  const std::string theirs = "MAGICK_THREAD_LIMIT=1 convert '" + in + "' ";
  struct Row {
    const char* work;
    const char* words;
    const char* magick;
    const char* yardstick;
    bool samePixels;
  };
  const Row rows[] = {
      {"mirror + quarter turn, 6000x4000 24-bit BMP", "bFlipH=1 nRotation=1", "-flop -rotate 90",
       "convert -flop -rotate 90", true},
      {"reduction to 1/4 with fine factor 8", "nZoomLevel=3 nZoomFine=8", "-scale 20%", "convert -scale 20%", false},
      {"3x3 filter -2", "nEffectStyle=2 bNeedTransform=1 bFilterOn=1 nFilter=-2",
       "-define convolve:scale=0.0625 -morphology Correlate '3x3: 0,2,0,2,8,2,0,2,0'",
       "convert -morphology Correlate (same kernel)", false},
  };
  for (const Row& r : rows) {
    const std::string a = "/tmp/tabrye_imagepipe_ours.bmp", b = "/tmp/tabrye_imagepipe_theirs.bmp";
    const std::string oc = ours + "'" + a + "' " + r.words + mem;
    const std::string tc = theirs + r.magick + " -type TrueColor '" + b + "'";
    bench::Paired p = bench::RunCommandsPaired(runs, oc, tc, [](const std::string&, const std::string&) { return true; });
    // The outputs of the last pair: the same pixels, or at least the same size.
    std::string ae;
    bool ok = false;
    if (r.samePixels) {
      bench::RunCapture("compare -metric AE '" + a + "' '" + b + "' null: 2>&1", &ae, &ok);
      p.checked = p.checked && ae == "0";
    } else {
      p.checked = p.checked && Size(a) == Size(b);
    }
    std::string work = r.work;
    if (dims != "6000x4000") work += " (" + dims + ")";
    bench::PrintRow("imagepipe", work, r.yardstick, p, "<= 1.0");
  }
  return 0;
}
