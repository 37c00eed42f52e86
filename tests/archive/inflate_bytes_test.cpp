// The one-call memory inflate: whole streams, output clamped to the
// capacity, damaged data and empty arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/deflater.h"
#include "archive/inflater.h"

namespace {

std::string Inflate(const std::string& packed, std::size_t capacity, std::int64_t* result) {
  std::vector<std::uint8_t> out(capacity + 8, 0xEE);
  *result = arc::InflateBytes(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size(), out.data(), capacity);
  for (std::size_t i = capacity; i < out.size(); ++i) EXPECT_EQ(0xEE, out[i]) << "written past the capacity";
  return *result > 0 ? std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(*result)) : "";
}

TEST(InflateBytes, StreamsCapacitiesAndDamage) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + "\n";
  const std::vector<std::uint8_t> ours = arc::DeflateBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  const std::string packed(ours.begin(), ours.end());
  // Raw deflate of "abc" x 300 made by zlib (level 9, no header).
  const std::string zlib("\x4B\x4C\x4A\x4E\x1C\x45\xA3\x68\x14\x0D\x1C\x02\x00", 13);
  std::string abc;
  for (int i = 0; i < 100; ++i) abc += "abcabcabc";
  struct Case {
    std::string packed;
    std::size_t capacity;
    std::int64_t result;
    std::string text;
  } cases[] = {
      {packed, text.size(), static_cast<std::int64_t>(text.size()), text},
      {packed, text.size() * 2, static_cast<std::int64_t>(text.size()), text},
      {packed, 1000, 1000, text.substr(0, 1000)},          // clamped to the capacity
      {zlib, 900, 900, abc},
      {zlib, 7, 7, abc.substr(0, 7)},
      {packed.substr(0, packed.size() / 2), text.size(), -2, ""},  // cut: the bytes before the cut
      {std::string("\xFF\xFF\xFF\xFF", 4), 100, -1, ""},   // no deflate data at all
      {"", 100, -1, ""},
      {zlib, 0, -1, ""},
  };
  for (const Case& c : cases) {
    std::int64_t r = 0;
    const std::string got = Inflate(c.packed, c.capacity, &r);
    if (c.result == -2) {
      EXPECT_GT(r, 0);
      EXPECT_LT(r, static_cast<std::int64_t>(text.size()));
      EXPECT_EQ(text.substr(0, got.size()), got);
      continue;
    }
    EXPECT_EQ(c.result, r) << c.capacity;
    EXPECT_EQ(c.text, got) << c.capacity;
  }
}

}  // namespace
