#include "image/textview/link_reference.h"

#include <cstddef>

namespace image::textview {
namespace {

// A word written "@ab:#..." carries its mark right after the ":".
constexpr std::size_t kWordMarkByte = 4;
// The right-hand part is searched with this padding so that a definition
// at the line's end still has an ending byte.
constexpr char kLinePadding[] = "    ";
// The target starts after the letters and one separator byte.
constexpr std::size_t kTargetOffset = 4;

bool IsMark(char c) { return c == '#' || c == '*'; }

bool EndsTarget(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The target from `start`: bytes up to the first one of 0x20 or below (the
// end of the text counts as one), at most kMaxReferenceTarget bytes in all;
// `keepEnd` keeps that ending byte as the last one.
std::string TakeTarget(const std::string& text, std::size_t start, bool keepEnd) {
  const std::size_t limit = static_cast<std::size_t>(kMaxReferenceTarget);
  if (start >= text.size()) return std::string();
  std::size_t n = 0;
  while (n < limit && start + n < text.size() && !EndsTarget(text[start + n])) ++n;
  if (keepEnd && n < limit && start + n < text.size()) ++n;
  return text.substr(start, n);
}

}  // namespace

ReferenceTarget FindReferenceTarget(const std::string& word, const std::string& rightPart,
                                    const std::string& wholeText) {
  ReferenceTarget out;
  if (word.size() < 3 || word[0] != '@') return out;
  const char first = word[1];
  const char second = word[2];
  if (word.size() > kWordMarkByte && IsMark(word[kWordMarkByte])) out.mark = word[kWordMarkByte];

  // Forward, from the second byte of the line's right-hand part.
  const std::string line = rightPart + kLinePadding;
  for (std::size_t p = 1; p + 2 < line.size(); ++p) {
    if (line[p] != '@') continue;
    const char a = line[p + 1];
    const char b = line[p + 2];
    if (a != first && a != '*') continue;
    if (b != second && b != '*' && b != '#') continue;
    if (b == '#') out.mark = '#';
    out.found = true;
    out.target = TakeTarget(line, p + kTargetOffset, true);
    return out;
  }

  // Backward over the whole text, letters matched exactly.
  for (std::size_t p = wholeText.size(); p >= 3; --p) {
    const std::size_t at = p - 3;
    if (wholeText[at] == '@' && wholeText[at + 1] == first && wholeText[at + 2] == second) {
      out.found = true;
      out.target = TakeTarget(wholeText, at + kTargetOffset, false);
      return out;
    }
  }
  return out;
}

}  // namespace image::textview
