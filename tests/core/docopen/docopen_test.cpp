// Opening documents, the portable half: the piecewise text loader against
// the whole-text decoder, the kind and mode tables, the size texts.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/docopen/openplan.h"
#include "core/docopen/opentexts.h"
#include "core/docopen/textload.h"
#include "core/docsvc/filekind.h"
#include "core/textcodec/sjis_scan.h"
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

// The checked Shift-JIS load (64 bytes at a time, straight into the buffer)
// against the byte loop's whole decode, on long texts of lead-range, trail
// and plain bytes with line ends, in pieces of every size class.
TEST(TextLoad, ShiftJisInPiecesMatchesTheByteLoopDecode) {
  static const std::uint8_t kBytes[] = {0x81, 0x9F, 0xE0, 0xFC, 0x88, 0x40, 0x7E, 0xA0,
                                        0xDF, 0x7F, 0xFD, 0x00, 'a',  ',',  '\r', '\n'};
  std::mt19937 rng(41);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 3000, '\0');
    const std::uint32_t plain = rng() % 100;
    for (auto& c : bytes)
      c = static_cast<char>(rng() % 100 < plain ? 'x' : kBytes[rng() % sizeof kBytes]);
    textcodec::DecodeResult whole;
    textcodec::SetFastTextScans(false);
    textcodec::DecodeTextToSjis(bytes.data(), bytes.size(), TextEncoding::kShiftJis, &whole);
    textcodec::SetFastTextScans(true);
    for (std::size_t piece : {std::size_t(1), std::size_t(1 + rng() % 200), docopen::kDecodePiece}) {
      docopen::TextLoad t;
      ASSERT_TRUE(docopen::LoadTextToSjis(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                          TextEncoding::kShiftJis, 3, &t, piece));
      ASSERT_EQ(whole.text, std::string(t.text, t.length)) << round << " piece " << piece;
      EXPECT_EQ(whole.replaced, t.info.replaced);
      EXPECT_EQ(whole.replaced != 0, t.info.kept != nullptr);
      fw::Free(t.text);
    }
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

TEST(TextLoad, TheProgressPollSeesEachPieceAndCanStopTheLoad) {
  std::string text;
  for (int i = 0; text.size() < 50000; ++i) text += "行" + std::to_string(i) + "\r\n";
  struct Seen {
    std::vector<std::size_t> done;
    std::size_t stopAt = 0;
    static bool Poll(void* c, std::size_t done, std::size_t total) {
      Seen* s = static_cast<Seen*>(c);
      EXPECT_LT(done, total);
      if (!s->done.empty()) EXPECT_GT(done, s->done.back());
      s->done.push_back(done);
      return s->stopAt && s->done.size() >= s->stopAt;
    }
  };
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  // Polled between pieces, never after the last: the load completes.
  Seen seen;
  docopen::LoadProgress progress{&Seen::Poll, &seen};
  docopen::TextLoad t;
  ASSERT_TRUE(docopen::LoadTextToSjis(bytes, text.size(), TextEncoding::kShiftJis, 0, &t, 4096, &progress));
  EXPECT_EQ(text, std::string(t.text, t.length));
  EXPECT_GE(seen.done.size(), 10u);
  fw::Free(t.text);
  // Stopped at the third poll: nothing comes back (and nothing leaks).
  Seen stop;
  stop.stopAt = 3;
  progress.context = &stop;
  docopen::TextLoad s;
  EXPECT_FALSE(docopen::LoadTextToSjis(bytes, text.size(), TextEncoding::kShiftJis, 0, &s, 4096, &progress));
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(nullptr, s.text);
  EXPECT_EQ(3u, stop.done.size());
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
  // Only the text readers hand over the file's own text; every other reader
  // (listings, media information, converters, pictures) makes it.
  for (Reader r : {Reader::kText, Reader::kCsv, Reader::kRichText}) EXPECT_TRUE(docopen::ReadsFileAsText(r));
  for (Reader r : {Reader::kRichTextPacked, Reader::kImage, Reader::kArchive, Reader::kMarkedSource,
                   Reader::kRenderer})
    EXPECT_FALSE(docopen::ReadsFileAsText(r)) << static_cast<int>(r);
  EXPECT_FALSE(docopen::HasSourceMarker("a+.txt"));
  EXPECT_FALSE(docopen::HasSourceMarker(".+txt"));  // a leading dot is no extension
}

TEST(OpenPlan, EveryModeHasOneRowAndUnknownModesArePlainOpens) {
  using docopen::OpenMode;
  using docopen::OpenModeFor;
  int n = 0;
  const docopen::OpenModeEntry* rows = docopen::OpenModes(&n);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) EXPECT_NE(rows[i].mode, rows[j].mode);
  EXPECT_TRUE(OpenModeFor(OpenMode::kPlain).show);
  EXPECT_FALSE(OpenModeFor(OpenMode::kTextOnly).show);
  EXPECT_TRUE(OpenModeFor(OpenMode::kTextOnly).textOnly);
  for (OpenMode m : {OpenMode::kSearchContentsAndName, OpenMode::kSearchNames, OpenMode::kSearchContents}) {
    EXPECT_TRUE(OpenModeFor(m).searchLoad) << static_cast<int>(m);
    EXPECT_FALSE(OpenModeFor(m).show) << static_cast<int>(m);
  }
  EXPECT_FALSE(OpenModeFor(OpenMode::kListEntry).recordTime);
  EXPECT_EQ(1, OpenModeFor(OpenMode::kMacroLoad).markupFlag);
  EXPECT_EQ(docsvc::kKindDocx, OpenModeFor(OpenMode::kAsDocx).kindOverride);
  // a number from a script that names no mode
  EXPECT_EQ(OpenMode::kPlain, OpenModeFor(static_cast<OpenMode>(4711)).mode);
}

// The renderer path: the buffer from the limits, the result clamped to the
// buffer.
TEST(OpenPlan, RendererBufferAndResult) {
  using docopen::PlanRender;
  EXPECT_EQ(PlanRender(204800, 2000000).bufferSize, 2000000u + 204800u + 2000u);
  EXPECT_EQ(PlanRender(0, -5).bufferSize, 65536u);                         // never below 64 KB
  EXPECT_EQ(PlanRender(0x7FFFFFFF, 0x7FFFFFFF).bufferSize, 0x7FFFFFFFu);  // nor past 2 GB

  using docopen::RenderedLength;
  EXPECT_EQ(RenderedLength(5, 100), 5u);
  EXPECT_EQ(RenderedLength(99, 100), 99u);
  EXPECT_EQ(RenderedLength(100, 100), 99u);  // room for the NUL
  EXPECT_EQ(RenderedLength(std::size_t{0x7FFFFFFF} * 4, 10), 9u);
  EXPECT_EQ(RenderedLength(5, 0), 0u);
}

// The readers of a file's own bytes: RTF as bytes, a CSV shown as a table
// tries the one-pass open, and a CSV's text compares as its table writes it.
TEST(OpenPlan, TextReads) {
  using docopen::OpenMode;
  using docopen::OpenModeFor;
  using docopen::PlanTextRead;
  using docopen::Reader;
  const auto& plain = OpenModeFor(OpenMode::kPlain);
  EXPECT_TRUE(PlanTextRead(Reader::kRichText, plain, false).bytesAsTheyAre);
  EXPECT_FALSE(PlanTextRead(Reader::kText, plain, true).bytesAsTheyAre);
  EXPECT_FALSE(PlanTextRead(Reader::kText, plain, true).tryOnePass);
  EXPECT_EQ(PlanTextRead(Reader::kText, plain, true).readBack, textcodec::ReadBack::kAsRead);
  auto csv = PlanTextRead(Reader::kCsv, plain, true);
  EXPECT_TRUE(csv.tryOnePass);
  EXPECT_EQ(csv.readBack, textcodec::ReadBack::kCommaForSix);
  EXPECT_FALSE(PlanTextRead(Reader::kCsv, plain, false).tryOnePass);  // shown as text
  EXPECT_FALSE(PlanTextRead(Reader::kCsv, OpenModeFor(OpenMode::kTextOnly), true).tryOnePass);
  EXPECT_FALSE(PlanTextRead(Reader::kCsv, OpenModeFor(OpenMode::kSearchContents), true).tryOnePass);
  EXPECT_EQ(PlanTextRead(Reader::kCsv, OpenModeFor(OpenMode::kTextOnly), true).readBack,
            textcodec::ReadBack::kCommaForSix);
}

TEST(OpenPlan, WhatChangesAfterTheLoad) {
  using docopen::AfterLoad;
  using docopen::OpenMode;
  using docopen::OpenModeFor;
  for (OpenMode m : {OpenMode::kTextOnly, OpenMode::kSearchNames}) {
    const AfterLoad a = docopen::PlanAfterLoad(OpenModeFor(m), true, true, 3);
    EXPECT_TRUE(a.textOnly);
    EXPECT_FALSE(a.show || a.recordTime || a.noteInBox || a.setStatusPane);
  }
  AfterLoad a = docopen::PlanAfterLoad(OpenModeFor(OpenMode::kPlain), true, false, 0);
  EXPECT_TRUE(a.show && a.recordTime);
  EXPECT_FALSE(a.textOnly);
  EXPECT_EQ(a.note, AfterLoad::Note::kNone);
  // A shown open without a note still empties pane 0 (the last file's line goes).
  EXPECT_TRUE(a.setStatusPane);
  EXPECT_FALSE(docopen::PlanAfterLoad(OpenModeFor(OpenMode::kPlain), false, false, 0).recordTime);
  EXPECT_FALSE(docopen::PlanAfterLoad(OpenModeFor(OpenMode::kListEntry), true, false, 0).recordTime);
  // Damage is a message box; replacements a status line; both win over nothing.
  a = docopen::PlanAfterLoad(OpenModeFor(OpenMode::kPlain), true, true, 7);
  EXPECT_EQ(a.note, AfterLoad::Note::kDecodeError);
  EXPECT_TRUE(a.noteInBox);
  a = docopen::PlanAfterLoad(OpenModeFor(OpenMode::kPlain), true, false, 7);
  EXPECT_EQ(a.note, AfterLoad::Note::kReplaced);
  EXPECT_FALSE(a.noteInBox);
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
