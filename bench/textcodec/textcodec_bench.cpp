// Times the text decoders on a large Shift-JIS text and its UTF-8, EUC-JP and
// UTF-16 forms, next to iconv converting the same file. Not a test: it prints
// megabytes per second.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../bench_util.h"
#include "core/textcodec/textcodec.h"

namespace {

using bench::Clock;
using bench::Seconds;
using textcodec::TextEncoding;

// Mixed Japanese text in Shift-JIS: kanji, kana, half-width kana, NEC
// specials, ASCII, CR LF.
std::string MakeText(std::size_t bytes) {
  const std::string line =
      "\x93\x8C\x8B\x9E\x93\x73\x90\xE7\x91\xE3\x93\x63\x8B\xE6,\x82\xA0\x82\xA2\x82\xA4"
      "\x83\x41\x83\x43\x83\x45,\xB1\xB2\xB3\xB6\xDE,\x87\x40\x87\x41\x87\x54,"
      "ASCII text 0123456789 (sample),\x81\x79\x95\x5C\x8E\xA6\x81\x7A\r\n";
  return bench::RepeatLine(line, bytes);
}

void Time(const char* label, const std::string& bytes, TextEncoding hint, std::size_t expect) {
  auto t0 = Clock::now();
  textcodec::DecodeResult r;
  textcodec::DecodeTextToSjis(bytes.data(), bytes.size(), hint, &r);
  double s = Seconds(t0);
  std::printf("%-28s %8.3f s  %8.1f MB/s  %s%s\n", label, s, bytes.size() / 1e6 / s,
              textcodec::TextEncodingName(r.encoding), r.text.size() == expect ? "" : "  (size differs!)");
}

void TimeIconv(const char* label, const std::string& bytes, const char* from) {
  const char* path = "/tmp/bench_textcodec.in";
  if (!bench::WriteFile(path, bytes)) return;
  int rc = 0;
  double s = bench::TimeCommand(std::string("iconv -f ") + from + " -t UTF-8 " + path + " > /dev/null", &rc);
  std::printf("%-28s %8.3f s  %8.1f MB/s%s\n", label, s, bytes.size() / 1e6 / s, rc ? "  (failed)" : "");
  std::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t mb = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 100;
  const std::string sjis = MakeText(mb << 20);
  std::string utf8, euc, utf16;
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kUtf8, &utf8);
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kEucJp, &euc);
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kUtf16Le, &utf16);
  std::printf("%zu MB of text\n", mb);
  Time("Shift-JIS (detected)", sjis, TextEncoding::kAuto, sjis.size());
  Time("UTF-8 (detected)", utf8, TextEncoding::kAuto, sjis.size());
  Time("EUC-JP (detected)", euc, TextEncoding::kAuto, sjis.size());
  Time("UTF-16LE (detected)", utf16, TextEncoding::kAuto, sjis.size());
  Time("Shift-JIS (forced)", sjis, TextEncoding::kShiftJis, sjis.size());
  TimeIconv("iconv -f CP932 -t UTF-8", sjis, "CP932");
  TimeIconv("iconv -f UTF-8 -t UTF-8", utf8, "UTF-8");
  return 0;
}
