// The one-pass open of a shown CSV against the careful open (decode with
// LoadTextToSjis as a CSV is read, then the table's LoadFileText): on random
// files of the bytes that matter the text, encoding, kept bytes, working
// form, index and saved bytes are the same, and the pass declines exactly
// the files it must leave to the careful path.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/docopen/textload.h"
#include "core/textcodec/keepbytes.h"
#include "csv/csv_fileform.h"
#include "csv/csv_cellbreaks.h"
#include "csv/csv_fileopen.h"
#include "csv/csv_index.h"
#include "csv/csv_loadscan.h"
#include "csv/csv_table.h"
#include "csv_test_util.h"
#include "fw/alloc.h"

namespace {

using textcodec::TextEncoding;

std::string RandomFile(std::mt19937& rng, std::size_t n) {
  static const char* kParts[] = {"\"", ",", "\r", "\n", "\r\n", "a", "bc", "\x81\x40", "\x88\x9f", "\x93\x8c",
                                 "^", "<", ">", "~", "!#", "!*", "!$", "!%", "$^", "12", ",,", "\"\"", "\t",
                                 "\xb1", "\r\n!#\r\n", "\n^>", "\r\nx^<", "\xe3\x81\x82", "\xa4\xa2"};
  static const char* kRare[] = {"\x06", "\x81", "\x1b$B", "\xef\xbb\xbf", "", "\x1bx"};
  std::string s;
  const bool rare = rng() % 3 == 0;
  while (s.size() < n) {
    if (rare && rng() % 50 == 0) {
      const std::size_t k = rng() % 6;
      if (k == 4) s.push_back('\0');
      else s += kRare[k];
      continue;
    }
    if (rng() % 5 == 0) s.append(rng() % 50, static_cast<char>('A' + rng() % 26));
    s += kParts[rng() % (sizeof kParts / sizeof kParts[0])];
  }
  return rng() % 4 ? csvtest::CloseQuotesAtRowEnds(s) : s;
}

TEST(CsvFileOpen, OnePassGivesWhatTheCarefulOpenGives) {
  std::mt19937 rng(505);
  int taken = 0, declined = 0;
  for (int round = 0; round < 1500; ++round) {
    const std::string file = RandomFile(rng, rng() % 2000);
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[file.size() + 1]);
    std::memcpy(bytes.get(), file.data(), file.size());
    const TextEncoding hint = rng() % 4 == 0 ? TextEncoding::kShiftJis : TextEncoding::kAuto;

    // The careful open.
    docopen::TextLoad careful;
    ASSERT_TRUE(docopen::LoadTextToSjis(bytes.get(), file.size(), hint, 9, &careful, docopen::kDecodePiece, nullptr,
                                        textcodec::ReadBack::kCommaForSix));
    csv::Table want;
    ASSERT_TRUE(want.LoadFileText(careful.text, careful.length, 5));

    csv::Table got;
    const int threads = 1 + static_cast<int>(rng() % 4);
    if (!csv::LoadTableInOnePass(bytes.get(), file.size(), hint, 5, &got, threads)) {
      ++declined;
      // Declined only where the careful open does more than copy the bytes.
      const bool sjis = careful.info.encoding == TextEncoding::kShiftJis;
      EXPECT_TRUE(!sjis || careful.info.replaced != 0 ||
                  file.find_first_of(std::string("\x06\x1b\x0e\x7f", 4)) != std::string::npos ||
                  csv::QuoteOpenAtRowEnd(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()))
          << round;
      EXPECT_EQ(nullptr, got.m_pTextBuf);
      fw::Free(careful.text);
      continue;
    }
    ++taken;
    std::memset(bytes.get(), 0xEE, file.size());  // step 2 comes after the file is gone
    docopen::TextLoad text;
    ASSERT_TRUE(csv::FinishOnePassOpen(&got, 9, &text, threads));
    ASSERT_EQ(std::string(careful.text, careful.length), std::string(text.text, text.length)) << round;
    EXPECT_EQ(careful.capacity, text.capacity);
    EXPECT_EQ(0, text.text[text.length]);
    EXPECT_EQ(careful.info.encoding, text.info.encoding);
    EXPECT_EQ(careful.info.inner, text.info.inner);
    EXPECT_EQ(careful.info.replaced, text.info.replaced);
    EXPECT_EQ(careful.info.kept == nullptr, text.info.kept == nullptr) << round;
    ASSERT_EQ(want.m_nTextLen, got.m_nTextLen);
    ASSERT_EQ(0, std::memcmp(want.m_pTextBuf, got.m_pTextBuf, want.m_nTextLen + 1)) << round;
    EXPECT_EQ(want.m_nWorkSize, got.m_nWorkSize);
    EXPECT_TRUE(csv::SameBlockIndex(want, got)) << round;
    // The saved bytes: the table's comma form, encoded for the file.
    std::string savedWant, savedGot;
    const std::string formWant = want.FileText(csv::CommaFormKind::kComma), formGot = got.FileText(csv::CommaFormKind::kComma);
    ASSERT_TRUE(textcodec::EncodeForSave(formWant.data(), formWant.size(), careful.info, &savedWant, nullptr, nullptr));
    ASSERT_TRUE(textcodec::EncodeForSave(formGot.data(), formGot.size(), text.info, &savedGot, nullptr, nullptr));
    EXPECT_EQ(savedWant, savedGot) << round;
    EXPECT_EQ(file, savedGot) << round;
    fw::Free(careful.text);
    fw::Free(text.text);
  }
  EXPECT_GT(taken, 150);
  EXPECT_GT(declined, 300);
}

TEST(CsvFileOpen, TheSwitchSendsEveryFileTheCarefulWay) {
  const std::string file = "a,b\r\n\"c,d\",e\r\n";
  csv::Table t;
  csv::SetOnePassOpen(false);
  EXPECT_FALSE(csv::LoadTableInOnePass(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(),
                                       TextEncoding::kAuto, 0, &t));
  csv::SetOnePassOpen(true);
  EXPECT_TRUE(csv::LoadTableInOnePass(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(),
                                      TextEncoding::kAuto, 0, &t));
  docopen::TextLoad text;
  ASSERT_TRUE(csv::FinishOnePassOpen(&t, 0, &text));
  EXPECT_EQ(1, t.m_nLastRow);
  fw::Free(text.text);
  // A forced encoding other than Shift-JIS is never taken.
  csv::Table u;
  EXPECT_FALSE(csv::LoadTableInOnePass(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(),
                                       TextEncoding::kUtf8, 0, &u));
}

TEST(CsvFileOpen, LargeFilesGiveTheSameTableAndTextOnOneToFourThreads) {
  std::mt19937 rng(606);
  std::string file;
  while (file.size() < csv::kThreadedBytes + 70000) {
    std::string part = RandomFile(rng, 3000);
    // Shift-JIS only: no UTF-8, EUC-JP, 0x06 or lone leads.
    for (auto& c : part)
      if (c == '\x06' || c == '\x1b' || c == '\0' || static_cast<std::uint8_t>(c) >= 0x80) c = 'q';
    file += part + "\x88\x9f,\"\x93\x8c\"\r\n";
  }
  file = csvtest::CloseQuotesAtRowEnds(file);
  auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  csv::Table want;
  ASSERT_TRUE(want.LoadFileText(file.data(), file.size(), 7));
  for (int threads = 1; threads <= 4; ++threads) {
    csv::Table got;
    ASSERT_TRUE(csv::LoadTableInOnePass(bytes, file.size(), TextEncoding::kAuto, 7, &got, threads));
    docopen::TextLoad text;
    ASSERT_TRUE(csv::FinishOnePassOpen(&got, 11, &text, threads));
    EXPECT_EQ(file, std::string(text.text, text.length)) << threads;
    ASSERT_EQ(want.m_nTextLen, got.m_nTextLen);
    EXPECT_EQ(0, std::memcmp(want.m_pTextBuf, got.m_pTextBuf, want.m_nTextLen + 1)) << threads;
    EXPECT_TRUE(csv::SameBlockIndex(want, got)) << threads;
    fw::Free(text.text);
  }
  // A pass that gives up in its last piece leaves the index that followed
  // it unused and the table as it was.
  file += "x\x06y\r\n";
  bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  for (int threads = 2; threads <= 4; ++threads) {
    csv::Table kept;
    ASSERT_TRUE(kept.LoadFileText("a,b\r\nc\r\n", 8, 3));
    const std::int32_t rows = kept.m_nLastRow;
    EXPECT_FALSE(csv::LoadTableInOnePass(bytes, file.size(), TextEncoding::kShiftJis, 7, &kept, threads));
    EXPECT_EQ(std::string("a\x06" "b\r\nc\r\n"),
              std::string(reinterpret_cast<char*>(kept.m_pTextBuf), kept.m_nTextLen));
    EXPECT_EQ(rows, kept.m_nLastRow) << threads;
  }
}

TEST(CsvFileOpen, TheProgressPollSeesThePiecesAndCanStopTheOnePass) {
  std::string file;
  for (int row = 0; file.size() < csv::kThreadedBytes + 3 * csv::kPieceBytes; ++row)
    file += "\"\x93\x8c,\x8b\x9e\"," + std::to_string(row) + ",abc\r\n";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  struct Seen {
    std::vector<std::size_t> done;
    std::size_t stopAfter;
    bool order;
  };
  docopen::LoadProgress progress;
  progress.poll = [](void* context, std::size_t done, std::size_t total) {
    Seen* s = static_cast<Seen*>(context);
    EXPECT_LT(done, total);
    s->done.push_back(done);
    s->order = s->order && (s->done.size() < 2 || s->done[s->done.size() - 2] <= done);
    return s->done.size() >= s->stopAfter;
  };
  // One thread: a poll after every piece but the last; stopped at the first.
  Seen all{{}, 1000, true};
  progress.context = &all;
  csv::Table t;
  bool stopped = true;
  ASSERT_TRUE(csv::LoadTableInOnePass(bytes, file.size(), TextEncoding::kAuto, 0, &t, 1, &progress, &stopped));
  EXPECT_FALSE(stopped);
  EXPECT_GE(all.done.size(), 4u);
  EXPECT_TRUE(all.order);
  Seen once{{}, 1, true};
  progress.context = &once;
  csv::Table u;
  EXPECT_FALSE(csv::LoadTableInOnePass(bytes, file.size(), TextEncoding::kAuto, 0, &u, 1, &progress, &stopped));
  EXPECT_TRUE(stopped);
  EXPECT_EQ(1u, once.done.size());
  EXPECT_EQ(nullptr, u.m_pTextBuf);
  // Four threads: however the pieces fall, a poll that asks to stop stops
  // the pass, and a pass without one finishes.
  for (int round = 0; round < 10; ++round) {
    Seen four{{}, 1, true};
    progress.context = &four;
    csv::Table w;
    const bool ok = csv::LoadTableInOnePass(bytes, file.size(), TextEncoding::kAuto, 0, &w, 4, &progress, &stopped);
    EXPECT_EQ(four.done.empty(), ok);
    EXPECT_EQ(!four.done.empty(), stopped);
    EXPECT_EQ(ok, w.m_pTextBuf != nullptr);
    EXPECT_TRUE(four.order);
  }
}

}  // namespace
