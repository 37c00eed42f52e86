// The encoder's output bytes are fixed: changes to the match finder's data
// structures must give the same parse and so the same bytes. The digests
// below were taken from the encoder before its tables were made smaller; every
// input kind that exercises the match finder differently is in the list
// (text, random bytes, long runs, De Bruijn sequences with no repeat of a
// length, crafted prefixes that fill long chains, mixed data across window
// slides), each with the default chain cap and short caps.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "archive/arc_crc.h"
#include "archive/deflater.h"
#include "archive_test_util.h"
#include "deflate_corpus.h"

namespace arc {
namespace {

struct Digest {
  const char* name;
  int chain;
  size_t size;
  uint32_t crc;
};

const Digest kExpected[] = {
#include "deflate_same_output.inc"
};

TEST(DeflateSameOutput, EveryCorpusInputGivesTheRecordedBytes) {
  size_t checked = 0;
  for (const Digest& d : kExpected) {
    std::vector<uint8_t> in = DeflateCorpusInput(d.name);
    ASSERT_FALSE(in.empty()) << d.name;
    std::vector<uint8_t> out = DeflateBytes(in.data(), in.size(), nullptr, d.chain);
    EXPECT_EQ(out.size(), d.size) << d.name << " chain " << d.chain;
    EXPECT_EQ(Crc32(out.data(), out.size()), d.crc) << d.name << " chain " << d.chain;
    ++checked;
  }
  EXPECT_EQ(checked, DeflateCorpusNames().size() * 3);
}

}  // namespace
}  // namespace arc
