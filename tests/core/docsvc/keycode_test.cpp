// The stored form of the key code in "Dorvik.sys".
#include <gtest/gtest.h>

#include <string>

#include "core/docsvc/keycode_store.h"

namespace {

using namespace docsvc;

TEST(KeyCodeStore, CipherRoundTripAndTamper) {
  for (const char* k : {"1234", "123456", "12345678", "  ab", "表計算キー"}) {
    const CString stored = EncipherKeyCode(k);
    EXPECT_EQ(stored.Find(k), -1) << k;
    CString back;
    EXPECT_TRUE(DecipherKeyCode(stored, &back)) << k;
    EXPECT_EQ(back, k);
  }
  EXPECT_EQ(EncipherKeyCode(""), "");
  CString out = "x";
  EXPECT_TRUE(DecipherKeyCode("", &out));
  EXPECT_EQ(out, "");
  // any change to the stored text is found, never decoded to garbage
  const CString stored = EncipherKeyCode("1234");
  for (int i = 0; i < stored.GetLength(); ++i) {
    CString bad = stored;
    bad.SetAt(i, bad[i] == '0' ? '1' : '0');
    EXPECT_FALSE(DecipherKeyCode(bad, &out)) << i;
    EXPECT_EQ(out, "");
  }
  EXPECT_FALSE(DecipherKeyCode("1234", &out));
  EXPECT_FALSE(DecipherKeyCode(stored.Left(stored.GetLength() - 1), &out));
  EXPECT_FALSE(DecipherKeyCode(stored.Left(stored.GetLength() - 2), &out));
  // "K2" + hex of an 8-byte tag and the enciphered bytes; the same code
  // always gives the same text (the file stays byte-identical on rewrite)
  EXPECT_EQ(stored.Left(2), "K2");
  EXPECT_EQ(stored.GetLength(), 2 + 2 * (8 + 4));
  EXPECT_EQ(EncipherKeyCode("1234"), stored);
  // the stored form pinned: computed with python3's hmac and the
  // "cryptography" package's ChaCha20 from the definition in docs/docsvc.md
  EXPECT_EQ(stored, "K2FAF7F7E064923A6AA0F6B1B8");
  EXPECT_NE(EncipherKeyCode("1235").Mid(2, 16), stored.Mid(2, 16));
  // the old obfuscated form and codes that cannot be stored
  EXPECT_FALSE(DecipherKeyCode("K1ABCD", &out));
  EXPECT_EQ(EncipherKeyCode(CString(std::string(256, '7'))), "");
  const CString longest(std::string(255, '7'));
  EXPECT_TRUE(DecipherKeyCode(EncipherKeyCode(longest), &out));
  EXPECT_EQ(out, longest);
}

}  // namespace
