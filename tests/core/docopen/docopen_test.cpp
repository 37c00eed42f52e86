// Opening documents, the portable half: the piecewise text loader against
// the whole-text decoder, the kind and mode tables, the size texts.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/docopen/openplan.h"
#include "core/docopen/opentexts.h"
#include "core/docopen/textload.h"
#include "core/docsvc/filekind.h"
#include "fw/alloc.h"

namespace {

using textcodec::TextEncoding;

std::string ReadData(const char* name) {
  std::ifstream f(std::string(TABRYE_TEST_ROOT) + "/tests/data/textcodec/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// LoadTextToSjis with `piece` must give exactly what DecodeTextToSjis gives.
void ExpectSameAsWhole(const std::string& bytes, TextEncoding hint, std::size_t piece, const char* what) {
  textcodec::DecodeResult whole;
  textcodec::DecodeTextToSjis(bytes.data(), bytes.size(), hint, &whole);
  docopen::TextLoad t;
  ASSERT_TRUE(docopen::LoadTextToSjis(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), hint, 7,
                                      &t, piece))
      << what;
  EXPECT_EQ(whole.text, std::string(t.text, t.length)) << what << " piece " << piece;
  EXPECT_EQ(whole.encoding, t.info.encoding) << what;
  EXPECT_EQ(whole.inner, t.info.inner) << what;
  EXPECT_EQ(whole.replaced, t.info.replaced) << what;
  EXPECT_EQ(whole.error, t.info.error) << what;
  EXPECT_TRUE(t.info.text.empty());
  EXPECT_EQ('\0', t.text[t.length]);
  EXPECT_GE(t.capacity, t.length + 1u + 7u);
  fw::Free(t.text);
}

TEST(TextLoad, EveryCorpusFileGivesTheShiftJisOriginalInAnyPieceSize) {
  const std::string sjis = ReadData("sjis.txt");
  ASSERT_FALSE(sjis.empty());
  for (const char* name : {"sjis.txt", "utf8.txt", "utf8bom.txt", "utf16le.txt", "utf16be.txt", "eucjp.txt",
                           "iso2022jp.txt", "base64.txt", "binhex.hqx"}) {
    const std::string bytes = ReadData(name);
    for (std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(64), docopen::kDecodePiece}) {
      ExpectSameAsWhole(bytes, TextEncoding::kAuto, piece, name);
    }
    docopen::TextLoad t;
    ASSERT_TRUE(docopen::LoadTextToSjis(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                        TextEncoding::kAuto, 0, &t, 5));
    EXPECT_EQ(sjis, std::string(t.text, t.length)) << name;
    fw::Free(t.text);
  }
}

TEST(TextLoad, ForcedDecodersAndDamagedBytesMatchTheWholeDecoder) {
  std::mt19937 rng(7);
  const std::string utf8 = ReadData("utf8.txt");
  for (int round = 0; round < 200; ++round) {
    std::string bytes = utf8.substr(0, 1 + rng() % 400);
    // Damage: random bytes, a BOM in the middle, a lone lead byte before LF.
    for (int k = 0; k < 4; ++k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    bytes.insert(rng() % bytes.size(), "\n\xEF\xBB\xBF" "x\n\x81\n");
    for (TextEncoding e : {TextEncoding::kAuto, TextEncoding::kShiftJis, TextEncoding::kUtf8,
                           TextEncoding::kUtf8Bom, TextEncoding::kEucJp, TextEncoding::kIso2022Jp})
      ExpectSameAsWhole(bytes, e, 1 + rng() % 9, "random");
  }
}

TEST(TextLoad, EmptyInputGivesAnEmptyTerminatedText) {
  docopen::TextLoad t;
  ASSERT_TRUE(docopen::LoadTextToSjis(nullptr, 0, TextEncoding::kAuto, 0, &t));
  EXPECT_EQ(0u, t.length);
  EXPECT_EQ('\0', t.text[0]);
  fw::Free(t.text);
}

TEST(TextLoad, AFailedAllocationReturnsNothingAndLeaksNothing) {
  const std::string bytes = ReadData("eucjp.txt");
  for (long n = 1;; ++n) {
    long live = fw::alloctest::Live();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    docopen::TextLoad t;
    bool ok = docopen::LoadTextToSjis(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                      TextEncoding::kAuto, 0, &t, 16);
    bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_TRUE(ok);
      fw::Free(t.text);
      break;
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(t.outOfMemory);
    EXPECT_EQ(nullptr, t.text);
    EXPECT_EQ(live, fw::alloctest::Live());
  }
}

TEST(OpenPlan, KindsGoToTheirReaders) {
  using docopen::Reader;
  EXPECT_EQ(Reader::kText, docopen::ReaderFor(docsvc::kKindText, "a.txt"));
  EXPECT_EQ(Reader::kCsv, docopen::ReaderFor(docsvc::kKindCsv, "a.csv"));
  EXPECT_EQ(Reader::kText, docopen::ReaderFor(docsvc::kKindUnknown, "a.qqq"));
  EXPECT_EQ(Reader::kText, docopen::ReaderFor(docsvc::kKindMacro, "a.rmc"));
  EXPECT_EQ(Reader::kRichText, docopen::ReaderFor(docsvc::kKindRichText, "a.RTF"));
  EXPECT_EQ(Reader::kRichTextPacked, docopen::ReaderFor(docsvc::kKindRichText, "a.rtz"));
  EXPECT_EQ(Reader::kRichTextPacked, docopen::ReaderFor(docsvc::kKindRichText, "a.rtzx"));
  EXPECT_EQ(Reader::kImage, docopen::ReaderFor(docsvc::kKindPng, "a.png"));
  EXPECT_EQ(Reader::kImage, docopen::ReaderFor(docsvc::kKindEmf, "a.emf"));
  EXPECT_EQ(Reader::kArchive, docopen::ReaderFor(docsvc::kKindArchive, "a.zip"));
  EXPECT_EQ(Reader::kRenderer, docopen::ReaderFor(docsvc::kKindPdf, "a.pdf"));
  EXPECT_EQ(Reader::kRenderer, docopen::ReaderFor(docsvc::kKindXlsx, "a.xlsx"));
  EXPECT_EQ(Reader::kMarkedSource, docopen::ReaderFor(docsvc::kKindText, "d\\a.+txt"));
  EXPECT_EQ(Reader::kMarkedSource, docopen::ReaderFor(docsvc::kKindText, "a.=csv"));
  EXPECT_FALSE(docopen::HasSourceMarker("a+.txt"));
  EXPECT_FALSE(docopen::HasSourceMarker(".+txt"));  // a leading dot is no extension
}

TEST(OpenPlan, EveryModeHasOneRowAndUnknownModesArePlainOpens) {
  int n = 0;
  const docopen::OpenModeEntry* rows = docopen::OpenModes(&n);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) EXPECT_NE(rows[i].mode, rows[j].mode);
  EXPECT_TRUE(docopen::OpenModeFor(0).show);
  EXPECT_FALSE(docopen::OpenModeFor(12).show);
  EXPECT_TRUE(docopen::OpenModeFor(12).textOnly);
  for (int m : {9, 10, 11}) {
    EXPECT_TRUE(docopen::OpenModeFor(m).searchLoad) << m;
    EXPECT_FALSE(docopen::OpenModeFor(m).show) << m;
  }
  EXPECT_FALSE(docopen::OpenModeFor(13).recordTime);
  EXPECT_EQ(1, docopen::OpenModeFor(1).markupFlag);
  EXPECT_EQ(docsvc::kKindDocx, docopen::OpenModeFor(37).kindOverride);
  EXPECT_EQ(0, docopen::OpenModeFor(4711).mode);
}

TEST(OpenTexts, SizeTextGivesMegabytesOrTheShortForm) {
  CString big = docopen::FileOverText(512LL << 20);
  EXPECT_NE(-1, big.Find("512MB"));
  CString small = docopen::FileOverText(204800);
  EXPECT_EQ(24 + 8, small.GetLength());
  EXPECT_EQ("(>500KB)", small.Right(8));
  EXPECT_EQ("PDF", docopen::KindName(11));
  EXPECT_EQ("kind 77", docopen::KindName(77));
}

}  // namespace
