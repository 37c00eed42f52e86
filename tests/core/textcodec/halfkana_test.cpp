#include "core/textcodec/halfkana.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using textcodec::ConvertHalfKanaToFull;

TEST(HalfKana, Samples) {
  EXPECT_EQ(ConvertHalfKanaToFull(0xB1, 'a'), 0x8341);             // ｱ -> ア
  EXPECT_EQ(ConvertHalfKanaToFull(0xB6, 0xDE), 0x10000 | 0x834B);  // ｶﾞ -> ガ
  EXPECT_EQ(ConvertHalfKanaToFull(0xCA, 0xDF), 0x10000 | 0x8370);  // ﾊﾟ -> パ
  EXPECT_EQ(ConvertHalfKanaToFull(0xB3, 0xDE), 0x10000 | 0x8394);  // ｳﾞ -> ヴ
  EXPECT_EQ(ConvertHalfKanaToFull(0xB1, 0xDE), 0x8341);            // ｱ takes no mark
  EXPECT_EQ(ConvertHalfKanaToFull(0xB6, 0xDF), 0x834A);            // ｶ takes no semi-voiced mark
  EXPECT_EQ(ConvertHalfKanaToFull(0xDE, 0), 0x814A);               // ﾞ alone
  EXPECT_EQ(ConvertHalfKanaToFull(0xA1, 0), 0x8142);               // ｡
  EXPECT_EQ(ConvertHalfKanaToFull(0xA0, 0), 0);
  EXPECT_EQ(ConvertHalfKanaToFull(0xE0, 0), 0);
  EXPECT_EQ(ConvertHalfKanaToFull('A', 0), 0);
  EXPECT_EQ(ConvertHalfKanaToFull(-1, 0), 0);
}

#ifndef _WIN32
// nkf with -X turns half-width katakana (marks merged) into full-width.
std::string Nkf(const std::string& sjis) {
  char name[] = "/tmp/tabrye_kanaXXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) return {};
  FILE* f = fdopen(fd, "wb");
  fwrite(sjis.data(), 1, sjis.size(), f);
  fclose(f);
  std::string cmd = std::string("nkf -Ss -X ") + name + " 2>/dev/null";
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char b[256];
    size_t n;
    while ((n = fread(b, 1, sizeof b, p)) > 0) out.append(b, n);
    pclose(p);
  }
  remove(name);
  return out;
}

std::string Pair(int v) { return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)}; }

TEST(HalfKana, AgreesWithNkf) {
  if (system("nkf --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "nkf not installed";
  for (int b = 0xA1; b <= 0xDF; ++b) {
    for (int next : {0x20, 0xDE, 0xDF}) {
      std::string in{static_cast<char>(b), static_cast<char>(next)};
      int r = ConvertHalfKanaToFull(b, next);
      std::string mine = Pair(r & 0xFFFF);
      if (r <= 0xFFFF) {
        if (next == 0x20) mine += ' ';
        else mine += Pair(ConvertHalfKanaToFull(next, 0));
      }
      EXPECT_EQ(Nkf(in), mine) << std::hex << b << " " << next;
    }
  }
}
#endif

}  // namespace
