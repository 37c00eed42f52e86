// The image view against ImageMagick: a 24-megapixel JPEG (6000 x 4000)
// opened and shown at zoom level 3 (1/4) by the Windows build under Wine
// (bench_imageview_once.exe, a new process each run: OpenFile to the first
// painted frame, timed inside it), paired with the whole process of
// `convert x.jpg -scale 25% x.bmp` under MAGICK_THREAD_LIMIT=1. The ratio is
// ours / ImageMagick; the whole Wine process (Wine's start, the program's
// start and its start-up timers, the open) is printed beside it. The outputs
// of every pair are checked: the shown size equals ImageMagick's output size
// and the pixels are close (PSNR by `compare`). A run that met a message box
// prints it and counts as failed.
//
//   bench_imageview [-runs N] -wine "CMD" [WxH]
//
// CMD starts a Windows program under Wine (bench/run-all passes
// "scripts/wine-run build/bench-win/bench/imageview/bench_imageview_once.exe").
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../bench_util.h"

namespace {

std::string WindowsPath(const std::string& path) {
  std::string w = "Z:" + path;
  std::replace(w.begin(), w.end(), '/', '\\');
  return w;
}

// `compare -metric PSNR` of two pictures ("inf" for equal ones), -1 when
// compare cannot read them.
double Psnr(const std::string& a, const std::string& b) {
  std::string out;
  bool ok = false;
  bench::RunCapture("compare -metric PSNR '" + a + "' '" + b + "' null: 2>&1", &out, &ok);
  if (out.compare(0, 3, "inf") == 0) return 999;
  char* end = nullptr;
  const double v = std::strtod(out.c_str(), &end);
  return end == out.c_str() ? -1 : v;
}

std::string Size(const std::string& path) {
  std::string out;
  bool ok = false;
  bench::RunCapture("identify -format '%wx%h' '" + path + "' 2>/dev/null", &out, &ok);
  return ok ? out : "";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string wine = bench::TakeNamedArg(&argc, argv, "-wine");
  if (wine.empty()) {
    std::fprintf(stderr, "usage: bench_imageview [-runs N] -wine \"CMD\" [WxH]\n");
    return 2;
  }
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  const std::string dims = argc > arg ? argv[arg] : "6000x4000";
  const std::string jpeg = "/tmp/tabrye_imageview_bench_" + dims + ".jpg";
  const std::string ours = "/tmp/tabrye_imageview_bench_ours.bmp";
  const std::string theirs = "/tmp/tabrye_imageview_bench_magick.bmp";
  // A photo-like picture (plasma), quality 90, made once.
  if (bench::ReadFile(jpeg).empty()) {
    int rc = 0;
    bench::TimeCommand("convert -seed 1 -size " + dims + " plasma: -quality 90 '" + jpeg + "'", &rc);
    if (rc != 0) {
      std::fprintf(stderr, "cannot make %s\n", jpeg.c_str());
      return 1;
    }
  }
  std::vector<double> process, processRatio, stepOpen, stepPaint;
  std::string shownSize, lastCheck;
  double lastProcess = 0;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        std::remove(ours.c_str());
        std::string out;
        lastProcess =
            bench::RunCapture(wine + " '" + WindowsPath(jpeg) + "' '" + WindowsPath(ours) + "' 2>/dev/null", &out, ok);
        process.push_back(lastProcess);
        double in = 0;
        int w = 0, h = 0;
        double open = 0, paint = 0;
        if (std::sscanf(out.c_str(), "%lf %d %d open %lf paint %lf", &in, &w, &h, &open, &paint) == 5) {
          shownSize = std::to_string(w) + "x" + std::to_string(h);
          stepOpen.push_back(open);
          stepPaint.push_back(paint);
          return in;
        }
        // Not shown: what the run said (a message box, no start) is passed on.
        std::printf("our run failed: %s", out.empty() ? "no output\n" : out.c_str());
        *ok = false;
        shownSize.clear();
        return lastProcess;
      },
      [&](bool* ok) {
        std::remove(theirs.c_str());
        std::string out;
        const double s = bench::RunCapture(
            "MAGICK_THREAD_LIMIT=1 convert '" + jpeg + "' -scale 25% '" + theirs + "' 2>&1", &out, ok);
        if (s > 0) processRatio.push_back(lastProcess / s);
        const std::string a = Size(ours), b = Size(theirs);
        const double psnr = Psnr(ours, theirs);
        char line[200];
        std::snprintf(line, sizeof line, "shown %s (file %s), ImageMagick %s, PSNR %.1f dB", shownSize.c_str(),
                      a.c_str(), b.c_str(), psnr);
        lastCheck = line;
        *ok = *ok && !a.empty() && a == b && a == shownSize && psnr >= 30;
        return s;
      });
  std::printf("%s\n", lastCheck.c_str());
  std::printf("inside ours, medians: the call of OpenFile %.4f s, from its return to the painted frame %.4f s\n",
              bench::Median(stepOpen), bench::Median(stepPaint));
  std::printf("whole Wine process (start, start-up timers, open, paint), median: %.4f s, %.2f x ImageMagick\n",
              bench::Median(process), bench::Median(processRatio));
  bench::PrintRow("imageview",
                  "a " + dims + " JPEG opened and shown at level 3 (1/4), Windows build under Wine, OpenFile to the "
                  "first painted frame",
                  "convert -scale 25% to BMP, MAGICK_THREAD_LIMIT=1 (whole process)", p, "<= 1.5");
  return 0;
}
