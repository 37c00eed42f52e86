// Times the save of a large text whose file has broken sequences (one line
// in 500 keeps its bytes): unchanged, after one line edited in the middle and
// after 100 lines edited all over it, against encoding the same text plainly (what a file without kept lines
// costs). Shift-JIS and UTF-8.
//
//   bench_keepbytes [-runs N] [megabytes]     the table rows (default 100 MB)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../bench_util.h"

#include "core/docopen/textload.h"
#include "core/textcodec/keepbytes.h"
#include "fw/alloc.h"

namespace {

using bench::Clock;
using bench::Seconds;
using textcodec::TextEncoding;

// Mixed Japanese lines in Shift-JIS; every 500th ends in a lead byte without
// its second byte, which reads as "〓" and keeps its bytes.
std::string MakeFile(std::size_t bytes, TextEncoding e) {
  const std::string line =
      "\x93\x8C\x8B\x9E\x93\x73 \x90\xE7\x91\xE3\x93\x63\x8B\xE6 \x82\xA0\x82\xA2\x82\xA4 \x83\x41\x83\x43 "
      "ASCII text 0123456789 (sample) \x81\x79\x95\x5C\x8E\xA6\x81\x7A";
  std::string plain;
  if (e == TextEncoding::kShiftJis) {
    plain = line;
  } else {
    textcodec::EncodeSjis(line.data(), line.size(), e, &plain);
  }
  std::string s;
  s.reserve(bytes + 256);
  for (std::size_t n = 0; s.size() < bytes; ++n) {
    s += plain;
    s += std::to_string(n);
    if (n % 500 == 0) s += "\x82";  // broken in both encodings
    s += "\r\n";
  }
  return s;
}

struct Loaded {
  std::string text;
  textcodec::DecodeResult info;
};

Loaded Load(const std::string& file, TextEncoding e) {
  docopen::TextLoad t;
  Loaded l;
  if (!docopen::LoadTextToSjis(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), e, 0, &t)) return l;
  l.text.assign(t.text, t.length);
  l.info = t.info;
  fw::Free(t.text);
  return l;
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const std::size_t mb = next < argc ? std::strtoul(argv[next], nullptr, 10) : 100;
  for (TextEncoding e : {TextEncoding::kShiftJis, TextEncoding::kUtf8}) {
    const std::string file = MakeFile(mb << 20, e);
    const auto t0 = Clock::now();
    const Loaded l = Load(file, e);
    std::printf("%s %zu MB: load with kept lines %.3f s, %zu kept lines\n", textcodec::TextEncodingName(e),
                mb, Seconds(t0), l.info.kept ? l.info.kept->lines.size() : std::size_t{0});
    // One line in the middle edited: its last character doubled.
    std::string edited = l.text;
    const std::size_t mid = edited.find('\n', edited.size() / 2);
    edited.insert(mid - 1, "x");

    // 100 lines edited, spread over the whole text.
    std::string spread = l.text;
    for (int k = 100; k > 0; --k) {
      const std::size_t at = spread.find('\n', spread.size() / 101 * k);
      spread.insert(at - 1, "x");
    }

    auto save = [&](const std::string& text, std::size_t expect, bool* ok) {
      std::string out;
      std::size_t lost = 0;
      const auto start = Clock::now();
      textcodec::EncodeForSave(text.data(), text.size(), l.info, &out, &lost, nullptr);
      const double s = Seconds(start);
      *ok = out.size() == expect && lost == 0;
      return s;
    };
    auto plain = [&](const std::string& text, bool* ok) {
      std::string out;
      const auto start = Clock::now();
      textcodec::EncodeSjis(text.data(), text.size(), e, &out);
      const double s = Seconds(start);
      *ok = !out.empty();
      return s;
    };
    const std::string name = std::string("keepbytes ") + textcodec::TextEncodingName(e);
    const std::string work = std::to_string(mb) + " MB, 1 line in 500 kept";
    bench::Paired p = bench::RunPaired(
        runs, [&](bool* ok) { return save(l.text, file.size(), ok); }, [&](bool* ok) { return plain(l.text, ok); });
    bench::PrintRow(name + " unchanged", work, "plain encode", p, "<= 2.5");
    p = bench::RunPaired(
        runs, [&](bool* ok) { return save(edited, file.size() + 1, ok); },
        [&](bool* ok) { return plain(edited, ok); });
    bench::PrintRow(name + " one line edited", work, "plain encode", p, "<= 2.5");
    p = bench::RunPaired(
        runs, [&](bool* ok) { return save(spread, file.size() + 100, ok); },
        [&](bool* ok) { return plain(spread, ok); });
    bench::PrintRow(name + " 100 lines edited", work, "plain encode", p, "<= 2.5");
  }
  return 0;
}
