// The envelope through files: a 100 MiB round trip that streams (memory
// stays bounded), and an independent reader and writer in Python written
// from docs/design.md, both directions, user key and program key; the ZIP
// inside a "-" form passes unzip -t.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "archive/arc_state.h"
#include "archive/zip_writer.h"
#include "core/crypto/envelope.h"
#include "core/docsvc/keycode_store.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

using namespace crypto;

const char* kReference = TABRYE_TEST_ROOT "/tests/core/crypto/envelope_reference.py";

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

EnvelopeStatus SealFile(const std::string& from, const std::string& to, const void* key, size_t keyLen,
                        uint8_t flags, uint32_t iterations) {
  FileEnvelopeInput in;
  FileEnvelopeOutput out;
  if (!in.Open(from.c_str()) || !out.Open(to.c_str())) return EnvelopeStatus::kReadError;
  uint8_t salt[kEnvelopeSaltSize];
  for (size_t i = 0; i < sizeof salt; ++i) salt[i] = uint8_t(i * 37 + 1);
  const EnvelopeStatus s = SealEnvelope(in, out, key, keyLen, flags, iterations, salt);
  return out.Close() ? s : EnvelopeStatus::kWriteError;
}

EnvelopeStatus OpenFile(const std::string& from, const std::string& to, const void* key, size_t keyLen) {
  FileEnvelopeInput in;
  FileEnvelopeOutput out;
  if (!in.Open(from.c_str()) || !out.Open(to.c_str())) return EnvelopeStatus::kReadError;
  const EnvelopeStatus s = OpenEnvelope(in, out, key, keyLen);
  return out.Close() ? s : EnvelopeStatus::kWriteError;
}

long MaxRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

std::string ProgramKeyHex() {
  std::string hex;
  char b[3];
  for (int i = 0; i < docsvc::kProgramKeyBytes; ++i) {
    std::snprintf(b, sizeof b, "%02x", docsvc::ProgramKey()[i]);
    hex += b;
  }
  return hex;
}

TEST(EnvelopeFiles, HundredMebibytesStreamWithBoundedMemory) {
  testsupport::TempProgramFolder dir;
  const std::string plain = dir.File("big.txt"), sealed = dir.File("big.+txt"), back = dir.File("back.txt");
  {
    std::ofstream f(plain, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    for (int i = 0; i < 100; ++i) {
      for (size_t k = 0; k < chunk.size(); ++k) chunk[k] = char((k * 31 + size_t(i)) & 0xFF);
      f.write(chunk.data(), std::streamsize(chunk.size()));
    }
  }
  const long before = MaxRssKb();
  ASSERT_EQ(EnvelopeStatus::kOk, SealFile(plain, sealed, "1234", 4, 0, 1));
  ASSERT_EQ(EnvelopeStatus::kOk, OpenFile(sealed, back, "1234", 4));
  // Well below the file's size: the passes go 64 KiB at a time.
  EXPECT_LT(MaxRssKb() - before, 32 * 1024);
  const std::string cmp = "cmp -s '" + plain + "' '" + back + "'";
  EXPECT_EQ(0, std::system(cmp.c_str()));
}

TEST(EnvelopeFiles, IndependentReaderAndWriterAgree) {
  REQUIRE_TOOLS("/usr/bin/python3");
  testsupport::TempProgramFolder dir;
  const std::string text = "報告書\r\nline two\r\n" + std::string(300, 'x');
  WriteAll(dir.File("report.txt"), text);
  const std::string py = std::string("/usr/bin/python3 '") + kReference + "' ";
  const struct {
    const char* what;
    std::string keyArg;
    std::string key;
    uint32_t iterations;
  } keys[] = {{"user key", "--key 1234", "1234", kEnvelopeUserIterations},
              {"program key", "--program-key " + ProgramKeyHex(),
               std::string(reinterpret_cast<const char*>(docsvc::ProgramKey()), docsvc::kProgramKeyBytes),
               kEnvelopeProgramIterations}};
  for (const auto& k : keys) {
    SCOPED_TRACE(k.what);
    const uint8_t flags = k.iterations == 1 ? kEnvelopeFlagProgramKey : 0;
    // The program writes, the script reads.
    ASSERT_EQ(EnvelopeStatus::kOk, SealFile(dir.File("report.txt"), dir.File("p.+txt"), k.key.data(), k.key.size(),
                                            flags, k.iterations));
    EXPECT_EQ(std::to_string(flags) + "\n",
              testsupport::RunCapture(py + "open '" + dir.File("p.+txt") + "' '" + dir.File("p.txt") + "' " +
                                      k.keyArg));
    EXPECT_EQ(text, ReadAll(dir.File("p.txt")));
    // The script writes, the program reads.
    ASSERT_EQ(0, std::system((py + "seal '" + dir.File("report.txt") + "' '" + dir.File("s.+txt") + "' " + k.keyArg)
                                 .c_str()));
    ASSERT_EQ(EnvelopeStatus::kOk, OpenFile(dir.File("s.+txt"), dir.File("s.txt"), k.key.data(), k.key.size()));
    EXPECT_EQ(text, ReadAll(dir.File("s.txt")));
  }
  // A wrong key: the script refuses too.
  EXPECT_NE(0, std::system((py + "open '" + dir.File("s.+txt") + "' '" + dir.File("w.txt") +
                            "' --key 5678 2>/dev/null")
                               .c_str()));
}

TEST(EnvelopeFiles, ZipFormRecoveredByTheScriptPassesUnzip) {
  REQUIRE_TOOLS("/usr/bin/python3", "unzip");
  testsupport::TempProgramFolder dir;
  WriteAll(dir.File("report.txt"), "first line\r\nsecond line\r\n");
  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
  ASSERT_EQ(0, chdir(dir.Path().c_str()));
  arc::ArcState st;
  const arc::ArcOutcome w = arc::WriteZip(st, dir.File("inner.zip"), arc::CollectEntries({"report.txt"}, ""));
  ASSERT_EQ(0, chdir(cwd));
  ASSERT_FALSE(w.Failed()) << w.Title();
  ASSERT_EQ(EnvelopeStatus::kOk,
            SealFile(dir.File("inner.zip"), dir.File("report.-txt"), "1234", 4, kEnvelopeFlagZip, 1000));
  const std::string py = std::string("/usr/bin/python3 '") + kReference + "' open '" + dir.File("report.-txt") +
                         "' '" + dir.File("out.zip") + "' --key 1234";
  EXPECT_EQ("1\n", testsupport::RunCapture(py));
  EXPECT_EQ(0, std::system(("unzip -tq '" + dir.File("out.zip") + "' >/dev/null").c_str()));
  EXPECT_EQ("first line\r\nsecond line\r\n",
            testsupport::RunCapture("unzip -p '" + dir.File("out.zip") + "' report.txt"));
}

}  // namespace
