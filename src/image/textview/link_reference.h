// References in a text: "@ab" names the definition "@ab" elsewhere in the
// text, and the target after the definition is followed instead.
#pragma once

#include <string>

namespace image::textview {

constexpr int kMaxReferenceTarget = 500;

struct ReferenceTarget {
  bool found = false;
  std::string target;   // the definition's target (empty when not found)
  char mark = 0;        // '#' or '*' when the word or the match carried one, else 0
};

// Looks the reference `word` (starting "@", at least 3 bytes) up: first in
// `rightPart` (the caret's line from the caret on), where '*' in the text
// matches either letter and '#' also the second, then backwards over
// `wholeText` for "@" and the two letters exactly. A forward target keeps
// the byte that ends it; a backward one does not. Not found: `found`
// false and the word stays as it was.
ReferenceTarget FindReferenceTarget(const std::string& word, const std::string& rightPart,
                                    const std::string& wholeText);

}  // namespace image::textview
