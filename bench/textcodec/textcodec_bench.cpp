// Times the text decoders on a large Shift-JIS text's UTF-8, EUC-JP and
// UTF-16 forms against iconv's library converting the same bytes to CP932
// (in-process against in-process, paired runs); every run checks that both
// give the original Shift-JIS bytes.
//
//   bench_textcodec [-runs N] [megabytes]   (default 100)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <cstring>
#include <iconv.h>

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

// iconv's library: the whole input to CP932 in one call sequence.
bool IconvToCp932(const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open("CP932", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  char* dst = &(*out)[0];
  size_t room = out->size();
  size_t rc = iconv(cd, &src, &left, &dst, &room);
  iconv_close(cd);
  out->resize(out->size() - room);
  return rc != static_cast<size_t>(-1) && left == 0;
}

void Row(const char* work, const char* from, const std::string& bytes, TextEncoding hint, const std::string& sjis,
         int runs) {
  std::string theirs;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t0 = Clock::now();
        textcodec::DecodeResult r;
        textcodec::DecodeTextToSjis(bytes.data(), bytes.size(), hint, &r);
        double s = Seconds(t0);
        *ok = r.text.size() == sjis.size() && std::memcmp(r.text.data(), sjis.data(), sjis.size()) == 0;
        return s;
      },
      [&](bool* ok) {
        auto t0 = Clock::now();
        *ok = IconvToCp932(from, bytes, &theirs);
        double s = Seconds(t0);
        *ok = *ok && theirs == sjis;
        return s;
      });
  bench::PrintRow("textcodec", work, std::string("iconv library ") + from + " to CP932", p, "-");
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  std::size_t mb = argc > arg ? static_cast<std::size_t>(std::atoi(argv[arg])) : 100;
  const std::string sjis = MakeText(mb << 20);
  std::string utf8, euc, utf16;
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kUtf8, &utf8);
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kEucJp, &euc);
  textcodec::EncodeSjis(sjis.data(), sjis.size(), TextEncoding::kUtf16Le, &utf16);
  Row("decode UTF-8 (detected)", "UTF-8", utf8, TextEncoding::kAuto, sjis, runs);
  Row("decode EUC-JP (detected)", "EUC-JP-MS", euc, TextEncoding::kAuto, sjis, runs);
  Row("decode UTF-16LE with BOM (detected)", "UTF-16", utf16, TextEncoding::kAuto, sjis, runs);
  Row("Shift-JIS check (detected)", "CP932", sjis, TextEncoding::kAuto, sjis, runs);
  return 0;
}
