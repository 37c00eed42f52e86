// Times the envelope of the enciphered source forms on one file (default
// 100 MB), file to file: sealing (ChaCha20 + HMAC-SHA256 in one pass) against
// "openssl enc -chacha20" plus "openssl dgst -sha256 -hmac" of its output,
// and opening (the tag pass, then the deciphering pass) against "openssl
// dgst" plus "openssl enc -d". Every run checks that openssl's cipher text
// and tag are the envelope's bytes, and that the opened file is the original.
// Then one PBKDF2 derivation at the written count against "openssl kdf".
//
//   bench_envelope [-runs N] [megabytes]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <cctype>

#include "../bench_util.h"
#include "core/crypto/envelope.h"
#include "core/crypto/hmac.h"

namespace {

using bench::Clock;
using bench::Seconds;

std::string Hex(const unsigned char* p, std::size_t n) {
  static const char* d = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    s += d[p[i] >> 4];
    s += d[p[i] & 15];
  }
  return s;
}

std::string MakeData(std::size_t bytes) {
  std::string s(bytes, '\0');
  std::uint32_t x = 12345;
  for (std::size_t i = 0; i < bytes; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = char(i % 3 ? x >> 16 : 'a' + i % 26);
  }
  return s;
}

crypto::EnvelopeStatus Seal(const std::string& from, const std::string& to, const std::uint8_t* salt) {
  crypto::FileEnvelopeInput in;
  crypto::FileEnvelopeOutput out;
  if (!in.Open(from.c_str()) || !out.Open(to.c_str())) return crypto::EnvelopeStatus::kReadError;
  const crypto::EnvelopeStatus s = crypto::SealEnvelope(in, out, "1234", 4, 0, 1, salt);
  return out.Close() ? s : crypto::EnvelopeStatus::kWriteError;
}

crypto::EnvelopeStatus Open(const std::string& from, const std::string& to) {
  crypto::FileEnvelopeInput in;
  crypto::FileEnvelopeOutput out;
  if (!in.Open(from.c_str()) || !out.Open(to.c_str())) return crypto::EnvelopeStatus::kReadError;
  const crypto::EnvelopeStatus s = crypto::OpenEnvelope(in, out, "1234", 4);
  return out.Close() ? s : crypto::EnvelopeStatus::kWriteError;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  const std::size_t mb = argc > arg ? static_cast<std::size_t>(std::atoi(argv[arg])) : 100;
  const std::string dir = "/tmp/tabrye_envelope_bench";
  std::system(("mkdir -p " + dir).c_str());
  const std::string plain = dir + "/plain.bin", sealed = dir + "/sealed.+bin", opened = dir + "/opened.bin";
  const std::string osslCipher = dir + "/openssl.ct", osslPlain = dir + "/openssl.pt";
  if (!bench::WriteFile(plain, MakeData(mb << 20))) return 1;

  std::uint8_t salt[16];
  for (int i = 0; i < 16; ++i) salt[i] = std::uint8_t(i * 7 + 3);
  crypto::EnvelopeKeys keys;
  crypto::DeriveEnvelopeKeys("1234", 4, salt, 1, &keys);
  const std::string kEnc = Hex(keys.enc.data(), 32), kMac = Hex(keys.mac.data(), 32);
  const std::string iv(32, '0');
  // The envelope's cipher text and tag, to compare openssl's with.
  std::string ourBody, ourTag;
  auto takeOurs = [&] {
    const std::string f = bench::ReadFile(sealed);
    if (f.size() < 68) return false;
    ourBody = f.substr(36, f.size() - 68);
    ourTag = Hex(reinterpret_cast<const unsigned char*>(f.data() + f.size() - 32), 32);
    return true;
  };
  // openssl's HMAC over header + cipher text: the header is fed first.
  const std::string header = dir + "/header.bin";
  {
    const std::string f = bench::ReadFile(sealed).empty() && Seal(plain, sealed, salt) != crypto::EnvelopeStatus::kOk
                              ? std::string()
                              : bench::ReadFile(sealed);
    bench::WriteFile(header, f.substr(0, 36));
  }
  const std::string hmacCmd = "cat " + header + " " + osslCipher +
                              " | openssl dgst -sha256 -mac HMAC -macopt hexkey:" + kMac + " -r";

  bench::Paired seal = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t0 = Clock::now();
        *ok = Seal(plain, sealed, salt) == crypto::EnvelopeStatus::kOk;
        const double s = Seconds(t0);
        *ok = *ok && takeOurs();
        return s;
      },
      [&](bool* ok) {
        std::string out;
        bool a = false, b = false;
        double s = bench::RunCapture("openssl enc -chacha20 -K " + kEnc + " -iv " + iv + " -in " + plain +
                                         " -out " + osslCipher,
                                     &out, &a);
        s += bench::RunCapture(hmacCmd, &out, &b);
        *ok = a && b && out.substr(0, 64) == ourTag && bench::ReadFile(osslCipher) == ourBody;
        return s;
      });
  bench::PrintRow("envelope", std::to_string(mb) + " MB encipher (ChaCha20 + HMAC-SHA256), file to file",
                  "openssl enc -chacha20 + openssl dgst -sha256 -hmac", seal, "<= 3.00");

  const std::string original = bench::ReadFile(plain);
  bench::Paired open = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t0 = Clock::now();
        *ok = Open(sealed, opened) == crypto::EnvelopeStatus::kOk;
        const double s = Seconds(t0);
        *ok = *ok && bench::ReadFile(opened) == original;
        return s;
      },
      [&](bool* ok) {
        std::string out;
        bool a = false, b = false;
        double s = bench::RunCapture(hmacCmd, &out, &a);
        s += bench::RunCapture("openssl enc -d -chacha20 -K " + kEnc + " -iv " + iv + " -in " + osslCipher +
                                   " -out " + osslPlain,
                               &out, &b);
        *ok = a && b && bench::ReadFile(osslPlain) == original;
        return s;
      });
  bench::PrintRow("envelope", std::to_string(mb) + " MB decipher (tag pass + deciphering pass), file to file",
                  "openssl dgst -sha256 -hmac + openssl enc -d -chacha20", open, "<= 3.00");

  // One derivation at the written count.
  std::vector<std::uint8_t> k;
  const std::string saltHex = Hex(salt, 16);
  bench::Paired kdf = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t0 = Clock::now();
        *ok = crypto::Pbkdf2HmacSha256("1234", 4, salt, 16, crypto::kEnvelopeUserIterations, 32, &k);
        return Seconds(t0);
      },
      [&](bool* ok) {
        std::string out;
        const double s = bench::RunCapture(
            "openssl kdf -keylen 32 -kdfopt digest:SHA256 -kdfopt pass:1234 -kdfopt hexsalt:" + saltHex +
                " -kdfopt iter:" + std::to_string(crypto::kEnvelopeUserIterations) + " PBKDF2",
            &out, ok);
        std::string hex;
        for (char c : out)
          if (std::isxdigit(static_cast<unsigned char>(c))) hex += char(std::tolower(static_cast<unsigned char>(c)));
        *ok = *ok && hex == Hex(k.data(), k.size());
        return s;
      });
  bench::PrintRow("envelope", "one PBKDF2-HMAC-SHA256 derivation, c = 100,000", "openssl kdf PBKDF2 (whole process)",
                  kdf, "-");
  return 0;
}
