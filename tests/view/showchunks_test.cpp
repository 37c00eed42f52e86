// Where the chunks of a long text end, and the line count known before the
// text is in: chunks put together give the text back, never cut a character
// or a CR LF, and stop after a line end whenever one is near.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "view/viewload/showchunks.h"

namespace {

using viewload::CountShownLines;
using viewload::NextChunkEnd;

// Chunks of `text` with the given size; checks each cut.
std::vector<std::size_t> Cuts(const std::string& text, std::size_t chunk, std::size_t scan) {
  std::vector<std::size_t> cuts;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = NextChunkEnd(text.data(), text.size(), pos, chunk, scan);
    EXPECT_GT(end, pos);
    EXPECT_LE(end, text.size());
    if (end <= pos) break;
    cuts.push_back(end);
    pos = end;
  }
  return cuts;
}

bool StartsCharacter(const std::string& text, std::size_t at) {
  std::size_t i = 0;
  while (i < at) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    i += ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
  }
  return i == at;
}

TEST(ShowChunks, CutsFallAfterLineEnds) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "行" + std::to_string(i) + " テキスト\r\n";
  for (std::size_t cut : Cuts(text, 1000, 1u << 20)) {
    if (cut == text.size()) continue;
    EXPECT_EQ('\n', text[cut - 1]) << cut;
  }
  // A text up to the chunk size is one chunk.
  EXPECT_EQ(text.size(), NextChunkEnd(text.data(), text.size(), 0, text.size(), 10));
}

TEST(ShowChunks, OneLongLineIsCutAtWholeCharactersAndNeverInsideCrLf) {
  std::mt19937 rng(7);
  const char* parts[] = {"漢", "a", "\r\n", "ｶ", "表", "\x81\x40", "\r"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    std::size_t n = 50 + rng() % 400;
    while (text.size() < n) {
      const char* p = parts[rng() % 7];
      // Mostly no line end at all, so the cut falls inside a line.
      if ((p[0] == '\r') && rng() % 8) continue;
      text += p;
    }
    std::size_t chunk = 1 + rng() % 40;
    std::string joined;
    std::size_t pos = 0;
    for (std::size_t cut : Cuts(text, chunk, 3)) {
      EXPECT_TRUE(StartsCharacter(text, cut)) << round << " at " << cut;
      EXPECT_FALSE(text[cut - 1] == '\r' && cut < text.size() && text[cut] == '\n') << round;
      joined += text.substr(pos, cut - pos);
      pos = cut;
    }
    EXPECT_EQ(text, joined);
  }
}

TEST(ShowChunks, LineCountCountsEachKindOfLineEndOnce) {
  EXPECT_EQ(1, CountShownLines("", 0));
  EXPECT_EQ(1, CountShownLines("abc", 3));
  EXPECT_EQ(2, CountShownLines("abc\r\n", 5));
  EXPECT_EQ(3, CountShownLines("a\rb\nc", 5));
  EXPECT_EQ(3, CountShownLines("a\r\n\r\n", 5));
  EXPECT_EQ(3, CountShownLines("\n\r", 2));  // LF then a lone CR
}

TEST(ShowChunks, LineCountOfATextAndItsTailIsTheCountOfBothTogether) {
  // Every way of cutting a few texts in two counts as the whole does.
  for (const std::string whole : {"", "a", "ab\r\ncd\r\n", "a\r\r\n\nb", "x\r\n\r\n <note>", "\r\n", "\n\r\n\r"}) {
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
      const std::string a = whole.substr(0, cut), b = whole.substr(cut);
      EXPECT_EQ(CountShownLines(whole.data(), whole.size()), CountShownLines(a.data(), a.size(), b.data(), b.size()))
          << "cut " << cut << " of \"" << whole << "\"";
    }
  }
}

}  // namespace
