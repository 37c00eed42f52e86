// The file-name cipher and the display/stored name mapping.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/crypto/crypto_vectors.h"
#include "core/crypto/encname.h"
#include "core/crypto/namecipher.h"

namespace {
#include "core/crypto/vectors.inc"

using namespace crypto;

const std::string kKey = "1234";

std::string Encipher(const std::string& name, const std::string& key = kKey) {
  NameCipherResult r = CipherName(name, 0, key);
  EXPECT_TRUE(r.ok()) << NameCipherErrorText(r.status);
  return r.text;
}

bool IsStoredAlphabet(const std::string& s) {
  for (char c : s)
    if (!((c >= 'A' && c <= 'Z') || (c >= '2' && c <= '7') || c == '1')) return false;
  return true;
}

std::string ToLowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

// Random Shift-JIS names: ASCII, half-width katakana and double-byte characters
// whose trail byte is often "\", "." or "@" (0x5C, 0x2E is not a trail byte,
// 0x40 is).
std::string RandomSjisName(std::mt19937& rng, size_t maxBytes) {
  std::string out;
  const size_t target = 1 + rng() % maxBytes;
  while (out.size() < target) {
    switch (rng() % 4) {
      case 0: out += char(0x20 + rng() % 0x5F); break;
      case 1: out += char(0xA1 + rng() % 0x3F); break;
      default: {
        if (out.size() + 2 > target) break;
        const unsigned lead = rng() % 2 ? 0x81 + rng() % 0x1F : 0xE0 + rng() % 0x1D;
        const unsigned trails[] = {0x5C, 0x40, 0x7E, unsigned(0x40 + rng() % 0xBD)};
        unsigned trail = trails[rng() % 4];
        if (trail == 0x7F) trail = 0x80;
        out += char(lead);
        out += char(trail);
      }
    }
  }
  return out;
}

TEST(NameCipher, MatchesTheDocumentedFormat) {
  // Reference names computed by make_vectors.py from the format description,
  // with python's hashlib/hmac and the 'cryptography' ChaCha20.
  for (const NameVector& v : kStoredNames) {
    const std::string key = Unhex(v.keyCode), name = Unhex(v.name);
    EXPECT_EQ(v.stored, Encipher(name, key)) << v.name;
    NameCipherResult back = CipherName(v.stored, 1, key);
    ASSERT_TRUE(back.ok()) << v.stored;
    EXPECT_EQ(name, back.text);
  }
}

TEST(NameCipher, RoundTripsRandomSjisNamesInEitherCase) {
  std::mt19937 rng(20240607);
  const std::string keys[] = {"1234", "567890", "13572468"};
  std::set<std::string> seen;
  for (int i = 0; i < 600; ++i) {
    const std::string& key = keys[i % 3];
    const std::string name = RandomSjisName(rng, kMaxCipherNameBytes);
    const std::string stored = Encipher(name, key);
    ASSERT_TRUE(IsStoredAlphabet(stored)) << stored;
    EXPECT_EQ(stored, Encipher(name, key));  // deterministic
    EXPECT_LE(stored.size(), 238u);
    NameCipherResult back = CipherName(stored, 1, key);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(name, back.text);
    back = CipherName(ToLowerAscii(stored), 1, key);  // a file system may lower the case
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(name, back.text);
    seen.insert(key + "/" + stored);
  }
  EXPECT_GE(seen.size(), 590u);  // random names repeat rarely; stored names follow them
}

TEST(NameCipher, NamesDifferingOnlyInCaseNeverShareAStoredName) {
  const std::string names[] = {"memo", "Memo", "MEMO", "mEmO", "readme.TXT", "README.txt"};
  std::set<std::string> stored;
  for (const std::string& n : names) {
    std::string s = Encipher(n);
    std::string upper = s;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    EXPECT_EQ(s, upper);  // already upper case: the file system cannot fold it further
    stored.insert(upper);
  }
  EXPECT_EQ(std::size(names), stored.size());
}

TEST(NameCipher, WrongKeyOrDamagedTextIsNotDecipherable) {
  const std::string stored = Encipher("\x95\x5C\x8E\xA6.memo");  // "表示.memo"
  for (const std::string key : {"1235", "12345", "4321", "123 ", "1234 "}) {
    NameCipherResult r = CipherName(stored, 1, key);
    EXPECT_EQ(NameCipherStatus::kNotDecipherable, r.status) << key;
    EXPECT_TRUE(r.text.empty());
  }
  // Every single-character change of the text is caught.
  for (size_t i = 0; i < stored.size(); ++i) {
    std::string bad = stored;
    bad[i] = bad[i] == 'A' ? 'B' : 'A';
    EXPECT_EQ(NameCipherStatus::kNotDecipherable, CipherName(bad, 1, kKey).status) << i;
  }
  const std::string malformed[] = {
      "",                          // nothing
      "1",                         // version only
      "2" + stored.substr(1),      // unknown version
      stored.substr(0, stored.size() - 1),
      stored + "A",
      stored.substr(0, 5) + "=" + stored.substr(6),
      stored.substr(0, 5) + "\x82" + stored.substr(6),
      "1AAAAAAAAAAAAA",            // a tag with no name
      "1" + std::string(400, 'A'), // longer than any stored name
      "memo",
  };
  for (const std::string& m : malformed)
    EXPECT_EQ(NameCipherStatus::kNotDecipherable, CipherName(m, 1, kKey).status) << m;
}

TEST(NameCipher, KeyCodeRules) {
  for (const std::string& key : std::vector<std::string>{"1234", "123456", "12345678", "12345", "abcd", "  1234", "1   ",
                                "   1", std::string(kMaxKeyCodeBytes, '9')})
    EXPECT_TRUE(IsValidKeyCode(key)) << "[" << key << "]";
  for (const std::string& key : std::vector<std::string>{"", "1", "123", "    ", "12    ", "1234    ",
                                std::string(kMaxKeyCodeBytes + 1, '9')}) {
    EXPECT_FALSE(IsValidKeyCode(key)) << "[" << key << "]";
    EXPECT_EQ(NameCipherStatus::kInvalidKey, CipherName("memo", 0, key).status);
    EXPECT_EQ(NameCipherStatus::kInvalidKey, CipherName(Encipher("memo"), 1, key).status);
  }
}

TEST(NameCipher, EncipherLimitsAndModes) {
  EXPECT_EQ(NameCipherStatus::kEmptyName, CipherName("", 0, kKey).status);
  const std::string longest(kMaxCipherNameBytes, '\x88');
  const std::string stored = Encipher(longest);
  EXPECT_EQ(238u, stored.size());
  EXPECT_EQ(longest, CipherName(stored, 1, kKey).text);
  NameCipherResult r = CipherName(longest + "x", 0, kKey);
  EXPECT_EQ(NameCipherStatus::kNameTooLong, r.status);
  EXPECT_TRUE(r.text.empty());
  EXPECT_EQ(NameCipherStatus::kBadMode, CipherName("memo", 2, kKey).status);
  EXPECT_EQ(NameCipherStatus::kBadMode, CipherName("memo", -1, kKey).status);
  // Any byte, NUL included, survives.
  const std::string odd("a\0b\xFF\x81", 5);
  EXPECT_EQ(odd, CipherName(Encipher(odd), 1, kKey).text);
  for (NameCipherStatus s : {NameCipherStatus::kInvalidKey, NameCipherStatus::kNameTooLong,
                             NameCipherStatus::kNotDecipherable, NameCipherStatus::kBadMode})
    EXPECT_STRNE("?", NameCipherErrorText(s));
}

// --- display form <-> stored form ---

std::string ToStored(const std::string& p, NameCipherStatus* s = nullptr) {
  return TranslateEncryptedName(p, 0, kKey, s);
}
std::string ToDisplay(const std::string& p, NameCipherStatus* s = nullptr) {
  return TranslateEncryptedName(p, 1, kKey, s);
}

TEST(EncryptedName, DisplayAndStoredFormsMapBothWays) {
  const std::string c = Encipher("memo");
  EXPECT_EQ("C:\\dir\\#~$_" + c + ".txt", ToStored("C:\\dir\\memo@Enc.txt"));
  EXPECT_EQ("C:\\dir\\memo@Enc.txt", ToDisplay("C:\\dir\\#~$_" + c + ".txt"));
  EXPECT_EQ("#~$_" + c + ".txt", ToStored("memo@Enc.txt"));  // bare names too
  EXPECT_EQ("memo@Enc.txt", ToDisplay("#~$_" + c + ".txt"));
  EXPECT_EQ("#~$_" + c, ToStored("memo@Enc"));  // no extension
  EXPECT_EQ("memo@Enc", ToDisplay("#~$_" + c));
  // Only the last dot starts the extension; the base keeps its inner dots.
  const std::string c2 = Encipher("a.b");
  EXPECT_EQ("D:\\#~$_" + c2 + ".tar", ToStored("D:\\a.b@Enc.tar"));
  EXPECT_EQ("D:\\a.b@Enc.tar", ToDisplay("D:\\#~$_" + c2 + ".tar"));
  // A stored name whose case the file system lowered still shows.
  EXPECT_EQ("C:\\memo@Enc.txt", ToDisplay("C:\\#~$_" + ToLowerAscii(c) + ".txt"));
}

TEST(EncryptedName, OtherPathsComeBackUnchanged) {
  const std::string c = Encipher("memo");
  NameCipherStatus s = NameCipherStatus::kBadMode;
  const std::string same[] = {
      "", "memo.txt", "C:\\dir\\memo.txt", "@Enc.txt", "C:\\dir\\@Enc.txt",  // no base name
      "memo@Enc.tar.gz",             // "@Enc" not before the last dot
      "memo@enc.txt",                // the marker is case-sensitive
      "C:\\x@Enc.d\\memo.txt",       // marker in a folder, not in the name
      "memo@Encx.txt", "C:\\dir\\",
  };
  for (const std::string& p : same) {
    EXPECT_EQ(p, ToStored(p, &s)) << p;
    EXPECT_EQ(NameCipherStatus::kOk, s);
    EXPECT_EQ(p, ToDisplay(p, &s)) << p;
    EXPECT_EQ(NameCipherStatus::kOk, s);
  }
  // The stored marker counts only at the start of the name.
  const std::string inner = "C:\\x#~$_" + c + ".txt";
  EXPECT_EQ(inner, ToDisplay(inner));
  const std::string inFolder = "C:\\#~$_" + c + "\\memo.txt";
  EXPECT_EQ(inFolder, ToDisplay(inFolder));
  EXPECT_EQ("C:\\dir\\memo@Enc.txt", TranslateEncryptedName("C:\\dir\\memo@Enc.txt", 2, kKey));
}

TEST(EncryptedName, StoredNamesThatDoNotDecipherStayStored) {
  const std::string c = Encipher("memo");
  NameCipherStatus s = NameCipherStatus::kOk;
  const std::string wrongKey = "C:\\#~$_" + c + ".txt";
  EXPECT_EQ(wrongKey, TranslateEncryptedName(wrongKey, 1, "9999", &s));
  EXPECT_EQ(NameCipherStatus::kNotDecipherable, s);
  for (const std::string p : {"#~$_", "#~$_.txt", "C:\\#~$_HELLO.txt", "#~$_1ZZZZZZZZZZZZZZZZ"}) {
    EXPECT_EQ(p, ToDisplay(p, &s)) << p;
    EXPECT_EQ(NameCipherStatus::kNotDecipherable, s);
  }
  EXPECT_EQ(wrongKey, TranslateEncryptedName(wrongKey, 1, "12", &s));
  EXPECT_EQ(NameCipherStatus::kInvalidKey, s);
  // A display name with an invalid key or an over-long base is left alone, with the reason.
  EXPECT_EQ("memo@Enc.txt", TranslateEncryptedName("memo@Enc.txt", 0, "    ", &s));
  EXPECT_EQ(NameCipherStatus::kInvalidKey, s);
  const std::string tooLong = std::string(kMaxCipherNameBytes + 1, 'x') + "@Enc.txt";
  EXPECT_EQ(tooLong, ToStored(tooLong, &s));
  EXPECT_EQ(NameCipherStatus::kNameTooLong, s);
}

TEST(EncryptedName, DoubleByteTrailBytesAreNotSeparatorsOrMarkers) {
  // "表" is 0x95 0x5C: its trail byte is "\".  "ァ" is 0x83 0x40: its trail byte is "@".
  const std::string hyo = "\x95\x5C", a = "\x83\x40";
  const std::string c = Encipher(hyo + "x" + hyo);
  EXPECT_EQ("C:\\" + hyo + "\\#~$_" + c + ".txt", ToStored("C:\\" + hyo + "\\" + hyo + "x" + hyo + "@Enc.txt"));
  EXPECT_EQ("C:\\" + hyo + "\\" + hyo + "x" + hyo + "@Enc.txt", ToDisplay("C:\\" + hyo + "\\#~$_" + c + ".txt"));
  // "\x83" followed by "@Enc": the "@" belongs to "ァ", so there is no marker.
  const std::string fake = "C:\\x\x83@Enc.txt";
  EXPECT_EQ(fake, ToStored(fake));
  EXPECT_EQ("C:\\#~$_" + Encipher(a) + ".txt", ToStored("C:\\" + a + "@Enc.txt"));
  // A folder whose last character ends in 0x5C must not hide the name start.
  const std::string c3 = Encipher("m");
  EXPECT_EQ("C:\\" + hyo + "#~$_" + c3 + ".txt", ToDisplay("C:\\" + hyo + "#~$_" + c3 + ".txt"));
}

TEST(EncryptedName, DisplayFormAlwaysLeadsBackToTheSameFile) {
  NameCipherStatus s = NameCipherStatus::kOk;
  // Deciphered names that would not map back are shown in their stored form.
  const std::string unsafe[] = {
      "a\\b",                  // would become a folder
      std::string("a\0b", 3),  // NUL ends a Windows name
      "\x83",                  // lone lead byte would swallow the "@" of "@Enc"
  };
  for (const std::string& plain : unsafe) {
    const std::string stored = "C:\\#~$_" + Encipher(plain) + ".txt";
    EXPECT_EQ(stored, ToDisplay(stored, &s));
    EXPECT_EQ(NameCipherStatus::kNotDecipherable, s);
  }
  // A display name holding NUL is no file's name and is left alone.
  const std::string withNul("a\0b@Enc.txt", 11);
  EXPECT_EQ(withNul, ToStored(withNul));
  const std::string dotted = "#~$_" + Encipher("a.b");  // no extension: "a.b@Enc" would split at "."
  EXPECT_EQ(dotted, ToDisplay(dotted));
  // Random names: display -> stored -> display is the identity.
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) {
    std::string base = RandomSjisName(rng, 60);
    const std::string display = "C:\\\x95\x5C\\" + base + "@Enc.dat";
    const std::string stored = ToStored(display, &s);
    if (s != NameCipherStatus::kOk || stored == display) continue;  // base ended in a lead byte etc.
    EXPECT_EQ(display, ToDisplay(stored)) << i;
  }
}

}  // namespace
