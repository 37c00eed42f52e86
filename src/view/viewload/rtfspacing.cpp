#include "view/viewload/rtfspacing.h"

#include <cstring>

namespace viewload {
namespace {

// Destinations whose contents are no text of the document.
const char* const kSkippedDestinations[] = {
    "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
    "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable", "listoverridetable",
    "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
    "filetbl", "revtbl", "pntext", "pntxta", "pntxtb", "nonshppict", "shppict", "bkmkstart", "bkmkend",
};

bool IsSkippedDestination(const char* w) {
  for (const char* d : kSkippedDestinations)
    if (std::strcmp(w, d) == 0) return true;
  return false;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

RtfSpacingScan::RtfSpacingScan(ParagraphEnds ends) : m_ends(ends) { m_stack.reserve(16); }

void RtfSpacingScan::EndParagraph() {
  if (m_cur.skip) return;
  if (m_cur.sl != 0 && m_cur.slmult == 0) {
    long v = m_cur.sl;
    m_spacings.push_back({m_paragraphs, v < 0 ? kSpacingExactly : kSpacingAtLeast, static_cast<int>(v < 0 ? -v : v)});
  }
  if (m_ends == ParagraphEnds::kJump && m_cur.sl < -kJumpTallSpacing) m_tall.push_back(m_paragraphs);
  if (m_paragraphs < 0xFFFFFFFFu) ++m_paragraphs;
}

void RtfSpacingScan::Word() {
  m_word[m_wordLen] = '\0';
  bool first = m_groupStart;
  m_groupStart = false;
  // Parameters past the 32-bit range are taken as its limit.
  long long wide = m_neg ? -m_param : m_param;
  if (wide > 2147483647LL) wide = 2147483647LL;
  if (wide < -2147483647LL) wide = -2147483647LL;
  long param = static_cast<long>(wide);
  if (first && IsSkippedDestination(m_word)) {
    m_cur.skip = true;
    return;
  }
  if (std::strcmp(m_word, "bin") == 0) {
    if (m_hasParam && param > 0) {
      m_binLeft = param;
      m_state = State::kBin;
    }
    return;
  }
  if (m_cur.skip) return;
  if (std::strcmp(m_word, "pard") == 0) {
    m_cur.sl = 0;
    m_cur.slmult = 0;
  } else if (std::strcmp(m_word, "sl") == 0) {
    m_cur.sl = m_hasParam ? param : 0;
  } else if (std::strcmp(m_word, "slmult") == 0) {
    m_cur.slmult = m_hasParam ? param : 1;
  } else if (std::strcmp(m_word, "par") == 0 || std::strcmp(m_word, "row") == 0) {
    EndParagraph();
  } else if (std::strcmp(m_word, m_ends == ParagraphEnds::kJump ? "page" : "sect") == 0) {
    EndParagraph();
  }
}

void RtfSpacingScan::Feed(const char* data, std::size_t len) {
  if (m_finished) return;
  for (std::size_t i = 0; i < len; ++i) {
    char c = data[i];
    switch (m_state) {
      case State::kBin:
        if (--m_binLeft <= 0) m_state = State::kText;
        continue;
      case State::kHex1:
        m_state = State::kHex2;
        continue;
      case State::kHex2:
        m_state = State::kText;
        continue;
      case State::kText:
        if (c == '\\') {
          m_state = State::kSlash;
        } else if (c == '{') {
          if (m_stack.size() < kMaxRtfGroupDepth) {
            m_stack.push_back(m_cur);
          } else if (m_deepGroups++ == 0) {
            // Too deep: the groups below share one saved state, restored
            // when the outermost of them closes.
            m_deepSaved = m_cur;
          }
          m_groupStart = true;
        } else if (c == '}') {
          if (m_deepGroups > 0) {
            if (--m_deepGroups == 0) m_cur = m_deepSaved;
          } else if (!m_stack.empty()) {
            if (m_stack.size() == 1) {
              m_topEnd = m_cur;
              m_topClosed = true;
            }
            m_cur = m_stack.back();
            m_stack.pop_back();
          }
          m_groupStart = false;
        } else if (c != '\r' && c != '\n') {
          m_groupStart = false;
        }
        continue;
      case State::kSlash:
        if (IsLetter(c)) {
          m_wordLen = 0;
          m_word[m_wordLen++] = c;
          m_neg = false;
          m_hasParam = false;
          m_param = 0;
          m_state = State::kWord;
        } else if (c == '\'') {
          m_groupStart = false;
          m_state = State::kHex1;
        } else if (c == '*') {
          // "{\*\dest ...}": an optional destination, never text here.
          if (m_groupStart) m_cur.skip = true;
          m_state = State::kText;
        } else if (c == '\r' || c == '\n') {
          m_groupStart = false;
          EndParagraph();
          m_state = State::kText;
        } else {
          m_groupStart = false;
          m_state = State::kText;
        }
        continue;
      case State::kWord:
        if (IsLetter(c)) {
          if (m_wordLen < 32) m_word[m_wordLen++] = c;
          continue;
        }
        if (c == '-' && !m_hasParam) {
          m_neg = true;
          m_state = State::kParam;
          continue;
        }
        if (IsDigit(c)) {
          m_state = State::kParam;
          --i;  // read the digit as a parameter
          continue;
        }
        m_state = State::kText;
        Word();
        if (c != ' ' && m_state == State::kText) --i;  // the delimiter is the next character
        continue;
      case State::kParam:
        if (IsDigit(c)) {
          m_hasParam = true;
          if (m_param < 100000000000LL) m_param = m_param * 10 + (c - '0');
          continue;
        }
        m_state = State::kText;
        Word();
        if (c != ' ' && m_state == State::kText) --i;
        continue;
    }
  }
}

void RtfSpacingScan::Finish() {
  if (m_finished) return;
  if (m_state == State::kWord || m_state == State::kParam) {
    m_state = State::kText;
    Word();
  }
  m_finished = true;
  // The text after the last paragraph end is a paragraph of its own, with
  // the properties in effect when the document's top group closed.
  if (m_stack.empty() && m_topClosed) m_cur = m_topEnd;
  EndParagraph();
}

}  // namespace viewload
