// Times what a user waits for after a long text: the program starts
// in-process (as the tests do, its window shown), opens a long text, lets it
// load, then New (Ctrl+N) and, after the long text again, Open of a small
// file. The yardstick is the first screen of the same long text: New and Open
// after it should be ready as soon as that. Paired runs in one process; every
// run checks that the new document is what the view shows.
//
//   bench_longtext.exe [-runs N] [megabytes]     the table rows (default 50 MB)
//
// Built in the Windows tree only; bench/run-all runs it under Wine.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../bench_util.h"
#include "../win_session.h"

#include "fw/fwres.h"

namespace {

using bench::Clock;
using bench::PumpUntil;
using bench::Seconds;

// Numbered lines of Japanese and ASCII text (Shift-JIS, CR LF), as a log or
// a long note is.
std::string LongText(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 100);
  for (int i = 0; text.size() < bytes; ++i)
    text += "\x8D\x73" + std::to_string(i) + "\x81\x46\x92\xB7\x82\xA2\x83\x65\x83\x4C\x83\x58\x83\x67\x82\xCC"
            "\x88\xEA\x8D\x73\x82\xC5\x82\xB7\x81\x42 A line of a long text.\r\n";
  return text;
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) return 0;
  return pmc.PeakWorkingSetSize / 1e6;
}

long ShownChars(const bench::WinSession& s) {
  CDvkView* v = s.View();
  return v ? v->GetRichEditCtrl().GetTextLength() : -1;
}

bool Settled(const bench::WinSession& s) {
  CDvkView* v = s.View();
  return v && !v->LoadPending();
}

// Opens `path` as Ctrl+O does after its dialog; the seconds until the first
// text is in the view. The rest of the text loads afterwards (not timed).
double FirstScreen(const bench::WinSession& s, const std::string& path, double limit, bool* ok) {
  const auto t0 = Clock::now();
  AfxGetApp()->OpenDocumentFile(path.c_str());
  // The first chunk of the long text (32 KB) is in: more than any small
  // file's text that the view may still show.
  *ok = PumpUntil([&] { return ShownChars(s) >= 16384; }, limit);
  const double t = Seconds(t0);
  *ok = PumpUntil([&] { return Settled(s); }, limit) && *ok;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 3, &next);
  const double mb = next < argc ? std::atof(argv[next]) : 50.0;
  const double limit = 900;  // seconds a step may take before the run gives up

  bench::WinSession s("longtext");
  if (!s.Started()) {
    std::printf("the program did not start\n");
    return 1;
  }
  const std::string big = s.Folder() + "\\long.txt";
  const std::string small = s.Folder() + "\\small.txt";
  const std::string smallText = "\x8F\xAC\x82\xB3\x82\xC8\x83\x74\x83\x40\x83\x43\x83\x8B\r\nsmall file\r\n";
  bench::WriteFile(big, LongText(static_cast<std::size_t>(mb * 1e6)));
  bench::WriteFile(small, smallText);

  std::printf("text: %g MB, %d runs\n", mb, runs);
  // Each pair: the long text opened (its first screen is the yardstick),
  // loaded to the end, then the step timed.
  double first = 0;
  double firstPeak = 0;  // peak working set once the first open has loaded
  auto yardstick = [&](bool* ok) {
    *ok = first > 0;
    return first;
  };
  char work[128];
  std::snprintf(work, sizeof work, "New (Ctrl+N) after a %g MB text, Wine", mb);
  const bench::Paired n = bench::RunPaired(
      runs,
      [&](bool* ok) {
        first = FirstScreen(s, big, limit, ok);
        if (firstPeak == 0) firstPeak = PeakMegabytes();
        const auto t0 = Clock::now();
        s.frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        const bool ready = PumpUntil([&] { return Settled(s) && ShownChars(s) == 0; }, limit);
        const double t = Seconds(t0);
        *ok = *ok && ready && s.doc->m_nTextLen == 0;
        std::printf("   first screen %.3f s, new %.3f s%s\n", first, t, *ok ? "" : " (not ready)");
        return t;
      },
      yardstick);
  bench::PrintRow("longtext", work, "first screen of the same text", n, "<= 1.00");

  std::snprintf(work, sizeof work, "Open (Ctrl+O) of a small file after a %g MB text, Wine", mb);
  const bench::Paired op = bench::RunPaired(
      runs,
      [&](bool* ok) {
        first = FirstScreen(s, big, limit, ok);
        const auto t0 = Clock::now();
        AfxGetApp()->OpenDocumentFile(small.c_str());
        const bool ready = PumpUntil([&] { return Settled(s) && ShownChars(s) > 0 && ShownChars(s) < 100; }, limit);
        const double t = Seconds(t0);
        *ok = *ok && ready && s.doc->m_nTextLen == smallText.size();
        std::printf("   first screen %.3f s, open small %.3f s%s\n", first, t, *ok ? "" : " (not ready)");
        return t;
      },
      yardstick);
  bench::PrintRow("longtext", work, "first screen of the same text", op, "<= 1.00");
  std::printf("peak working set: %.0f MB after the first open of the %g MB text, %.0f MB after all\n", firstPeak, mb,
              PeakMegabytes());

  return 0;
}
