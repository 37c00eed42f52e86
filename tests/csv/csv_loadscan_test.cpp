// The one-pass load of a Shift-JIS CSV against the careful path (the checked
// decode, then the working form's byte loop): over random texts of the bytes
// that matter, read from every offset, cut into pieces of every size, on one
// to four threads.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/textcodec/sjis_scan.h"
#include "core/textcodec/textcodec.h"
#include "csv/csv_cellbreaks.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_loadscan.h"
#include "csv_test_util.h"

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// CSV text of markers, quotes, commas, line ends and Shift-JIS pairs (some
// with a lead-range trail byte); `damage` adds 0x06, NUL, lone leads.
std::string RandomSjisCsv(std::mt19937& rng, std::size_t n, bool damage) {
  static const char* kParts[] = {"\"",   ",",       "\r",       "\n",    "\r\n",   "a",      "bc", "\x81\x40",
                                 "\x88\x9f", "\x93\x8c", "\x8c\x8c\x8c\x8c", "^", "<", ">",  "~",  "!#",
                                 "!*",   "!$",      "!%",       "$^",    "12",     ",,",     "\"\"", "\t",
                                 "\xb1\xb2", "\x82\xa0\"", "\x81\x81,"};
  static const char* kDamage[] = {"\x06", "\x81", "\x9f\r", "\xfc", "\x81\x7f", "\xe0,", "\x1b", "\x1b$B"};
  std::string s;
  while (s.size() < n) {
    if (damage && rng() % 40 == 0) {
      s += kDamage[rng() % (sizeof kDamage / sizeof kDamage[0])];
      continue;
    }
    if (damage && rng() % 60 == 0) s.push_back('\0');
    if (rng() % 6 == 0) s.append(rng() % 70, static_cast<char>('A' + rng() % 26));
    s += kParts[rng() % (sizeof kParts / sizeof kParts[0])];
  }
  s.resize(n);
  // Undamaged: no pair cut in half at the end, and no row that ends with a
  // quote open (which may be a line break inside a quoted cell).
  while (!damage && textcodec::FindBrokenSjisLeadBytewise(U(s), s.size()) != s.size()) s.pop_back();
  if (!damage) s = csvtest::CloseQuotesAtRowEnds(s);
  return s;
}

// The careful path: decode (a clean text decodes to itself), then the
// working form's byte loop. False where the one pass must give up.
bool Careful(const std::string& file, std::string* form) {
  std::string text;
  const std::size_t replaced = textcodec::DecodeToSjis(textcodec::TextEncoding::kShiftJis, file.data(), file.size(), text);
  if (replaced != 0 || text.find_first_of(std::string("\x06\x1b\x0e\x7f", 4)) != std::string::npos) return false;
  if (csv::QuoteOpenAtRowEnd(U(text), text.size())) return false;  // a quoted line break, maybe
  EXPECT_EQ(file, text);
  form->assign(text.size(), '\0');
  csv::CommasToSeparatorsBytewise(U(text), text.size(), reinterpret_cast<std::uint8_t*>(&(*form)[0]));
  return true;
}

// One pass over an exact heap copy (a read past the end is caught).
bool OnePass(const std::string& file, std::string* form, int threads, std::size_t piece, bool whole) {
  std::unique_ptr<std::uint8_t[]> in(new std::uint8_t[file.size() + 1]), out(new std::uint8_t[file.size() + 1]);
  std::memcpy(in.get(), file.data(), file.size());
  const bool ok = whole ? csv::SjisToWorkingForm(in.get(), file.size(), out.get(), threads, piece)
                        : csv::SjisPieceToWorkingForm(in.get(), file.size(), out.get());
  if (ok) form->assign(reinterpret_cast<const char*>(out.get()), file.size());
  return ok;
}

TEST(CsvLoadScan, OnePieceMatchesTheByteLoopAndTheCarefulPathAtEveryOffset) {
  std::mt19937 rng(101);
  int clean = 0, refused = 0;
  for (int round = 0; round < 600; ++round) {
    const std::string s = RandomSjisCsv(rng, rng() % 260, round % 3 == 0);
    for (std::size_t off = 0; off <= s.size(); ++off) {
      const std::string file = s.substr(off);
      std::string careful, fast, bytewise;
      const bool want = Careful(file, &careful);
      const bool got = OnePass(file, &fast, 1, 0, false);
      {
        std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[file.size() + 1]);
        const bool b = csv::SjisPieceToWorkingFormBytewise(U(file), file.size(), out.get());
        ASSERT_EQ(want, b) << round << " at " << off;
        if (b) bytewise.assign(reinterpret_cast<const char*>(out.get()), file.size());
      }
      ASSERT_EQ(want, got) << round << " at " << off;
      if (want) {
        ASSERT_EQ(careful, fast) << round << " at " << off;
        ASSERT_EQ(careful, bytewise) << round << " at " << off;
      }
      (want ? clean : refused)++;
    }
  }
  EXPECT_GT(clean, 10000);
  EXPECT_GT(refused, 5000);
}

TEST(CsvLoadScan, PiecesOfEverySizeOnOneToFourThreadsGiveTheOneThreadResult) {
  std::mt19937 rng(202);
  for (int round = 0; round < 200; ++round) {
    const std::string file = RandomSjisCsv(rng, 1 + rng() % 3000, round % 4 == 0);
    std::string careful;
    const bool want = Careful(file, &careful);
    for (int threads = 1; threads <= 4; ++threads) {
      for (std::size_t piece : {std::size_t(1), std::size_t(1 + rng() % 64), std::size_t(1 + rng() % 700)}) {
        std::string got;
        ASSERT_EQ(want, OnePass(file, &got, threads, piece, true)) << round << " threads " << threads;
        if (want) ASSERT_EQ(careful, got) << round << " threads " << threads << " piece " << piece;
      }
    }
  }
}

TEST(CsvLoadScan, PieceEndsFollowALineFeed) {
  const std::string s = "ab\ncd\r\nef\rgh\n";
  EXPECT_EQ(3u, csv::LoadPieceEnd(U(s), s.size(), 0, 1));
  EXPECT_EQ(7u, csv::LoadPieceEnd(U(s), s.size(), 3, 1));
  EXPECT_EQ(s.size(), csv::LoadPieceEnd(U(s), s.size(), 7, 1));
  EXPECT_EQ(s.size(), csv::LoadPieceEnd(U(s), s.size(), 0, 100));
  const std::string noLf = "abc\rdef";
  EXPECT_EQ(noLf.size(), csv::LoadPieceEnd(U(noLf), noLf.size(), 0, 1));
}

TEST(CsvLoadScan, TheFileTextComesBackFromTheWorkingForm) {
  std::mt19937 rng(303);
  for (int round = 0; round < 300; ++round) {
    const std::string file = RandomSjisCsv(rng, rng() % 500, false);
    std::string form;
    ASSERT_TRUE(Careful(file, &form));
    std::string back(form.size(), '\0');
    csv::WorkingFormToFileText(U(form), form.size(), reinterpret_cast<std::uint8_t*>(&back[0]));
    ASSERT_EQ(file, back) << round;
    csv::WorkingFormToFileText(U(form), form.size(), reinterpret_cast<std::uint8_t*>(&form[0]));  // in place
    ASSERT_EQ(file, form) << round;
  }
}

TEST(CsvLoadScan, LargeFilesOnTheThreadsOfTheMachine) {
  // Above the size that turns threads on; one damaged byte near the end
  // makes the whole pass give up.
  std::mt19937 rng(404);
  std::string file;
  while (file.size() < csv::kThreadedBytes + 12345) file += RandomSjisCsv(rng, 4000, false) + "\r\n";
  file = csvtest::CloseQuotesAtRowEnds(file);
  std::string careful, got;
  ASSERT_TRUE(Careful(file, &careful));
  ASSERT_TRUE(OnePass(file, &got, 0, 0, true));
  EXPECT_EQ(careful, got);
  file[file.size() - 100] = '\x06';
  EXPECT_FALSE(OnePass(file, &got, 0, 0, true));
}

}  // namespace
