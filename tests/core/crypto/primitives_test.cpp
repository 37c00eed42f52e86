// SHA-256, HMAC-SHA-256, PBKDF2-HMAC-SHA-256, ChaCha20 and base-32 against
// published vectors and against python's hashlib/hmac/cryptography
// (vectors.inc, written by make_vectors.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/crypto/base32.h"
#include "core/crypto/chacha20.h"
#include "core/crypto/hmac.h"
#include "core/crypto/sha256.h"
#include "core/crypto/crypto_vectors.h"

namespace {
#include "core/crypto/vectors.inc"

using namespace crypto;

std::string Sha256Hex(const std::string& m) { return Hex(Sha256Of(m)); }

TEST(Sha256, PublishedVectors) {
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Hex("abc"));
  EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Sha256Hex(""));
  EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
            Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
  Sha256 s;  // one million 'a', fed in uneven pieces
  const std::string piece(997, 'a');
  size_t left = 1000000;
  while (left > 0) {
    size_t n = left < piece.size() ? left : piece.size();
    s.Update(piece.data(), n);
    left -= n;
  }
  EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", Hex(s.Finish()));
  // Finish leaves the object ready for a new message.
  s.Update("abc", 3);
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Hex(s.Finish()));
}

TEST(Sha256, MatchesPythonOnRandomInputs) {
  for (const HashVector& v : kSha256Random) {
    const std::string m = Unhex(v.message);
    EXPECT_EQ(v.digest, Sha256Hex(m)) << "length " << m.size();
    // Byte-by-byte feeding gives the same digest as one call.
    Sha256 s;
    for (char c : m) s.Update(&c, 1);
    EXPECT_EQ(v.digest, Hex(s.Finish())) << "length " << m.size();
  }
}

// The processor's SHA extensions (where this machine has them) and the
// portable rounds give the same digests, for one block and for long runs of
// blocks handed over at once.
TEST(Sha256, FastRoundsEqualThePortableRounds) {
  if (!sha256test::FastRoundsAvailable()) GTEST_SKIP() << "no SHA extensions on this processor";
  std::string m;
  unsigned x = 7;
  for (int k = 0; k < 5000; ++k) m += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  for (size_t len : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 127u, 128u, 1000u, 4999u, 5000u}) {
    const std::string part = m.substr(0, len);
    sha256test::UsePortableRounds(true);
    const std::string portable = Sha256Hex(part);
    sha256test::UsePortableRounds(false);
    EXPECT_EQ(portable, Sha256Hex(part)) << "length " << len;
  }
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Hex("abc"));
}

TEST(HmacSha256, Rfc4231Vectors) {
  EXPECT_EQ("b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7",
            Hex(HmacSha256Of(std::string(20, '\x0b'), "Hi There")));
  EXPECT_EQ("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843",
            Hex(HmacSha256Of("Jefe", "what do ya want for nothing?")));
  EXPECT_EQ("773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe",
            Hex(HmacSha256Of(std::string(20, '\xaa'), std::string(50, '\xdd'))));
  std::string key4;
  for (int i = 1; i <= 25; ++i) key4 += char(i);
  EXPECT_EQ("82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b",
            Hex(HmacSha256Of(key4, std::string(50, '\xcd'))));
  EXPECT_EQ("a3b6167473100ee06e0c796c2955552b",
            Hex(HmacSha256Of(std::string(20, '\x0c'), "Test With Truncation")).substr(0, 32));
  const std::string bigKey(131, '\xaa');
  EXPECT_EQ("60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54",
            Hex(HmacSha256Of(bigKey, "Test Using Larger Than Block-Size Key - Hash Key First")));
  EXPECT_EQ("9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2",
            Hex(HmacSha256Of(bigKey,
                             "This is a test using a larger than block-size key and a larger than "
                             "block-size data. The key needs to be hashed before being used by the "
                             "HMAC algorithm.")));
}

TEST(HmacSha256, MatchesPythonOnRandomInputs) {
  for (const MacVector& v : kHmacRandom) {
    const std::string k = Unhex(v.key), m = Unhex(v.message);
    EXPECT_EQ(v.mac, Hex(HmacSha256Of(k, m))) << "key length " << k.size();
  }
  // One object reused for several messages gives each message's own tag.
  const MacVector& a = kHmacRandom[3];
  const std::string k = Unhex(a.key), m = Unhex(a.message);
  HmacSha256 h(k.data(), k.size());
  for (int round = 0; round < 3; ++round) {
    h.Update(m.data(), m.size());
    EXPECT_EQ(a.mac, Hex(h.Finish()));
  }
}

std::string Pbkdf2Hex(const std::string& p, const std::string& s, uint32_t c, size_t n) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(Pbkdf2HmacSha256(p.data(), p.size(), s.data(), s.size(), c, n, &out));
  EXPECT_EQ(n, out.size());
  return Hex(out);
}

TEST(Pbkdf2HmacSha256, PublishedVectors) {
  EXPECT_EQ("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b",
            Pbkdf2Hex("password", "salt", 1, 32));
  EXPECT_EQ("ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43",
            Pbkdf2Hex("password", "salt", 2, 32));
  EXPECT_EQ("c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a",
            Pbkdf2Hex("password", "salt", 4096, 32));
  EXPECT_EQ("348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9",
            Pbkdf2Hex("passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 40));
  EXPECT_EQ("89b69d0516f829893c696226650a8687",
            Pbkdf2Hex(std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, 16));
}

TEST(Pbkdf2HmacSha256, MatchesPythonAndRejectsBadParameters) {
  for (const KdfVector& v : kPbkdf2Random) {
    const std::string expect = v.key;
    EXPECT_EQ(expect, Pbkdf2Hex(Unhex(v.password), Unhex(v.salt), v.iterations, expect.size() / 2));
  }
  std::vector<uint8_t> out{1, 2, 3};
  EXPECT_FALSE(Pbkdf2HmacSha256("p", 1, "s", 1, 0, 32, &out));
  EXPECT_TRUE(out.empty());
  if (sizeof(size_t) > 4) {
    const uint64_t tooLong = 0xFFFFFFFFull * 32 + 1;  // one block past the limit
    EXPECT_FALSE(Pbkdf2HmacSha256("p", 1, "s", 1, 1, size_t(tooLong), &out));
  }
}

ChaChaKey KeyFrom(const std::string& bytes) {
  ChaChaKey k{};
  std::copy(bytes.begin(), bytes.end(), k.begin());
  return k;
}
ChaChaNonce NonceFrom(const std::string& bytes) {
  ChaChaNonce n{};
  std::copy(bytes.begin(), bytes.end(), n.begin());
  return n;
}

TEST(ChaCha20, Rfc8439BlockFunction) {  // section 2.3.2
  ChaChaKey key;
  for (int i = 0; i < 32; ++i) key[i] = uint8_t(i);
  uint8_t block[64];
  ChaCha20Block(key, 1, NonceFrom(Unhex("000000090000004a00000000")), block);
  EXPECT_EQ(
      "10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
      "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e",
      Hex(std::vector<uint8_t>(block, block + 64)));
}

TEST(ChaCha20, Rfc8439Encryption) {  // section 2.4.2
  ChaChaKey key;
  for (int i = 0; i < 32; ++i) key[i] = uint8_t(i);
  std::string text =
      "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
      "future, sunscreen would be it.";
  const ChaChaNonce nonce = NonceFrom(Unhex("000000000000004a00000000"));
  ASSERT_TRUE(ChaCha20Xor(key, 1, nonce, reinterpret_cast<uint8_t*>(&text[0]), text.size()));
  EXPECT_EQ(
      "6e2e359a2568f98041ba0728dd0d6981e97e7aec1d4360c20a27afccfd9fae0bf91b65c5524733ab8f593dab"
      "cd62b3571639d624e65152ab8f530c359f0861d807ca0dbf500d6a6156a38e088a22b65e52bc514d16ccf806"
      "818ce91ab77937365af90bbf74a35be6b40b8eedf2785e42874d",
      Hex(text));
}

TEST(ChaCha20, MatchesPythonAndStopsBeforeTheCounterWraps) {
  for (const StreamVector& v : kChaChaRandom) {
    std::string data = Unhex(v.plain);
    ASSERT_TRUE(ChaCha20Xor(KeyFrom(Unhex(v.key)), v.counter, NonceFrom(Unhex(v.nonce)),
                            reinterpret_cast<uint8_t*>(&data[0]), data.size()));
    EXPECT_EQ(v.cipher, Hex(data)) << "length " << data.size();
  }
  const ChaChaKey key{};
  const ChaChaNonce nonce{};
  uint8_t data[65] = {};
  EXPECT_TRUE(ChaCha20Xor(key, 0xFFFFFFFFu, nonce, data, 64));   // the last block fits
  uint8_t copy[65];
  std::copy(data, data + 65, copy);
  EXPECT_FALSE(ChaCha20Xor(key, 0xFFFFFFFFu, nonce, data, 65));  // a second one would wrap
  EXPECT_TRUE(std::equal(data, data + 65, copy));
}

TEST(Base32, Rfc4648VectorsWithoutPadding) {
  const char* const rows[][2] = {{"", ""},          {"f", "MY"},         {"fo", "MZXQ"},
                                 {"foo", "MZXW6"},  {"foob", "MZXW6YQ"}, {"fooba", "MZXW6YTB"},
                                 {"foobar", "MZXW6YTBOI"}};
  for (const auto& row : rows) {
    const std::string plain = row[0];
    EXPECT_EQ(row[1], Base32Encode(reinterpret_cast<const uint8_t*>(plain.data()), plain.size()));
    std::vector<uint8_t> out;
    const std::string text = row[1];
    ASSERT_TRUE(Base32Decode(text.data(), text.size(), &out)) << text;
    EXPECT_EQ(plain, std::string(out.begin(), out.end()));
    EXPECT_EQ(text.size(), Base32Length(plain.size()));
  }
}

TEST(Base32, DecodesLowerCaseAndRejectsMalformedText) {
  std::vector<uint8_t> out;
  ASSERT_TRUE(Base32Decode("mzxw6ytboi", 10, &out));
  EXPECT_EQ("foobar", std::string(out.begin(), out.end()));
  ASSERT_TRUE(Base32Decode("MzXw6YtBoI", 10, &out));
  EXPECT_EQ("foobar", std::string(out.begin(), out.end()));
  EXPECT_FALSE(Base32Decode("MZXW6YT=", 8, &out));   // padding is not part of the form
  EXPECT_FALSE(Base32Decode("MZXW1", 5, &out));      // '1' is not a digit
  EXPECT_FALSE(Base32Decode("MZXW8", 5, &out));
  EXPECT_FALSE(Base32Decode("M", 1, &out));          // impossible lengths
  EXPECT_FALSE(Base32Decode("MZX", 3, &out));
  EXPECT_FALSE(Base32Decode("MZXW6Y", 6, &out));
  EXPECT_TRUE(Base32Decode("MY", 2, &out));          // canonical "f"
  EXPECT_FALSE(Base32Decode("MB", 2, &out));         // unused tail bits set
  EXPECT_TRUE(out.empty());
}

}  // namespace
