// The find commands' scans over any (options, search, replacement, text):
// positions map back and forth, hits lie inside the text and on character
// boundaries, replace-all edits are ordered and inside their lines, and the
// whole-text scans give what the line-by-line scans give.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "view/viewfind/findscan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned options = data[0] & 7u;
  const bool cells = (data[0] & 8u) != 0;
  const int column = (data[0] >> 4) & 3;
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // search NUL replacement NUL text
  std::size_t a = rest.find('\0');
  if (a == std::string::npos) return 0;
  std::size_t b = rest.find('\0', a + 1);
  if (b == std::string::npos) return 0;
  std::string search = rest.substr(0, a), repl = rest.substr(a + 1, b - a - 1), body = rest.substr(b + 1);

  viewfind::LineText text(body, cells);
  // Positions grow with the bytes, and every position maps to a byte that
  // maps back to it (a byte inside a double-byte character counts as the
  // position after that character). Each mapping walks its line, so the
  // check looks at a bounded set of bytes: all of a short text, else evenly
  // spread samples and the byte after each, which keeps the target linear in
  // the line length.
  constexpr int kSamples = 96;
  const int bytes = text.size();
  const int step = bytes <= 2 * kSamples ? 1 : bytes / kSamples;
  long prevCh = 0;
  int prevByte = 0;
  for (int i = 0; i <= bytes; i += step) {
    const long ch = text.CharOfByte(i);
    if (ch < prevCh || ch - prevCh > i - prevByte) std::abort();
    if (i < bytes) {
      const long next = text.CharOfByte(i + 1);
      if (next < ch || next > ch + 1) std::abort();
    }
    if (text.CharOfByte(text.ByteOfChar(ch)) != ch) std::abort();
    prevCh = ch;
    prevByte = i;
    if (i + step > bytes && i < bytes) i = bytes - step;  // the end too
  }
  viewfind::FindRule rule;
  if (!viewfind::CompileDialogRule(search, repl, options, true, cells, &rule)) return 0;
  pat::PatternHit hit;
  int from = 0;
  for (int guard = 0; guard < 64; ++guard) {
    if (viewfind::FindNext(text, rule, column, from, &hit, nullptr) != viewfind::ScanResult::kFound) break;
    if (hit.start < from || hit.start + hit.length > text.size()) std::abort();
    // The line-by-line scan finds the same match.
    pat::PatternHit careful;
    viewfind::g_wholeTextScans = false;
    const auto r = viewfind::FindNext(text, rule, column, from, &careful, nullptr);
    viewfind::g_wholeTextScans = true;
    if (r != viewfind::ScanResult::kFound || careful.start != hit.start || careful.length != hit.length) std::abort();
    from = text.ByteOfChar(text.CharOfByte(hit.start + (hit.length > 0 ? hit.length : 1)));
  }
  {  // and finds none where it finds none
    pat::PatternHit a, b;
    const auto fast = viewfind::FindNext(text, rule, column, from, &a, nullptr);
    viewfind::g_wholeTextScans = false;
    const auto careful = viewfind::FindNext(text, rule, column, from, &b, nullptr);
    viewfind::g_wholeTextScans = true;
    if (fast != careful || (fast == viewfind::ScanResult::kFound && (a.start != b.start || a.length != b.length)))
      std::abort();
  }
  if (viewfind::FindPrevious(text, rule, column, text.size(), &hit, nullptr) == viewfind::ScanResult::kFound &&
      (hit.start < 0 || hit.start + hit.length > text.size()))
    std::abort();
  for (int before : {text.size(), text.ByteOfChar(text.CharOfByte(text.size() / 2)), from}) {
    pat::PatternHit a{-1, -1}, b{-1, -1};
    const auto fast = viewfind::FindPrevious(text, rule, column, before, &a, nullptr);
    viewfind::g_wholeTextScans = false;
    const auto careful = viewfind::FindPrevious(text, rule, column, before, &b, nullptr);
    viewfind::g_wholeTextScans = true;
    if (fast != careful || (fast == viewfind::ScanResult::kFound && (a.start != b.start || a.length != b.length)))
      std::abort();
  }
  std::vector<viewfind::LineEdit> edits;
  bool stopped = false;
  int n = viewfind::ReplaceAll(text, rule, column, &edits, &stopped, nullptr);
  int last = -1;
  for (const auto& e : edits) {
    if (e.start <= last || e.end < e.start || e.end > text.size()) std::abort();
    last = e.end;
  }
  if (n < 0 && !edits.empty() && n != -3) std::abort();
  // Replace-all passing over the lines without the literal equals going line by line.
  std::vector<viewfind::LineEdit> carefulEdits;
  viewfind::g_wholeTextScans = false;
  const int carefulN = viewfind::ReplaceAll(text, rule, column, &carefulEdits, &stopped, nullptr);
  viewfind::g_wholeTextScans = true;
  if (carefulN != n || carefulEdits.size() != edits.size()) std::abort();
  for (std::size_t i = 0; i < edits.size(); ++i)
    if (edits[i].start != carefulEdits[i].start || edits[i].end != carefulEdits[i].end ||
        edits[i].text != carefulEdits[i].text)
      std::abort();
  return 0;
}
