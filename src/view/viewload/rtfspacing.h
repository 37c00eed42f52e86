// Paragraph line spacing as an RTF text states it, for re-applying after a
// stream-in: some rich-edit readers drop exact spacing written as
// "\sl-N\slmult0" (or keep the negative value), so the view scans the bytes
// it streams and sets the spacing of those paragraphs itself.
//
// The scanner is fed the stream in pieces (as the stream callback hands them
// over). It follows groups (paragraph properties are restored at "}"),
// skips destinations ("{\*...}", font and colour tables, pictures, objects,
// headers, footnotes, field instructions...) and "\binN" data, and counts
// paragraph ends: "\par", "\row", "\sect" and a backslash before a line end.
// For a line jump into rich text it counts paragraphs as the jump does
// (ParagraphEnds::kJump): "\par", "\page", "\row" and a backslash before a
// line end, and it notes the paragraphs of an exact spacing over 40 twips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace viewload {

// Line spacing rules as the rich edit's paragraph format names them.
constexpr int kSpacingAtLeast = 3;
constexpr int kSpacingExactly = 4;

// Groups nested deeper than this are not tracked one by one: RTF readers
// give up far earlier, and a stack entry per "{" of a hostile file would grow
// without bound.
constexpr std::size_t kMaxRtfGroupDepth = 256;

struct ParaSpacing {
  std::uint32_t paragraph;  // 0-based paragraph of the streamed text
  int rule;                 // kSpacingAtLeast or kSpacingExactly
  int twips;                // the spacing
};

// The control words that end a paragraph.
enum class ParagraphEnds {
  kStream,  // as the control reads the stream: \par, \row, \sect
  kJump,    // as a line jump counts: \par, \page, \row
};

// Exact spacings larger than this (in twips, "\sl-N") count as two lines
// for a line jump.
constexpr long kJumpTallSpacing = 40;

class RtfSpacingScan {
 public:
  explicit RtfSpacingScan(ParagraphEnds ends = ParagraphEnds::kStream);
  void Feed(const char* data, std::size_t len);
  // Ends the scan: the text after the last paragraph end is the last paragraph.
  void Finish();

  // Paragraphs whose spacing was given in twips ("\slN" with "\slmult0" or no
  // "\slmult"): N < 0 exactly |N|, N > 0 at least N.
  const std::vector<ParaSpacing>& Spacings() const { return m_spacings; }
  // Groups tracked with their own properties (for tests).
  std::size_t TrackedDepth() const { return m_stack.size(); }
  // Paragraphs of the text (ends counted + 1 after Finish).
  std::uint32_t Paragraphs() const { return m_paragraphs; }
  // Paragraphs (0-based, ascending) that ended under an exact spacing over
  // kJumpTallSpacing ("\sl-N", N > 40); kept only with ParagraphEnds::kJump.
  const std::vector<std::uint32_t>& TallParagraphs() const { return m_tall; }

 private:
  struct Props {
    long sl = 0;
    long slmult = 0;
    bool skip = false;
  };
  enum class State { kText, kSlash, kWord, kParam, kHex1, kHex2, kBin };

  void Word();
  void EndParagraph();

  std::vector<Props> m_stack;      // at most kMaxRtfGroupDepth entries
  std::uint64_t m_deepGroups = 0;  // open groups beyond the tracked depth
  Props m_deepSaved;               // properties when the first of them opened
  Props m_cur;
  Props m_topEnd;            // properties when the top group closed
  bool m_topClosed = false;
  State m_state = State::kText;
  char m_word[33] = {};
  int m_wordLen = 0;
  bool m_neg = false;
  bool m_hasParam = false;
  long long m_param = 0;
  bool m_groupStart = false;  // the next token is the first of a group
  long long m_binLeft = 0;
  std::uint32_t m_paragraphs = 0;
  bool m_finished = false;
  std::vector<ParaSpacing> m_spacings;
  ParagraphEnds m_ends;
  std::vector<std::uint32_t> m_tall;
};

}  // namespace viewload
