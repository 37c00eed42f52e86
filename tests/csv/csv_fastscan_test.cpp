// The block-wise scans of the CSV load against their byte loops: the working
// form, the byte searches at every offset, and the whole index with the fast
// skips on and off, over random texts made of the bytes that matter.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_fastscan.h"
#include "csv/csv_index.h"

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// Random text over the bytes that change some state of the scanners.
std::string RandomCsv(std::mt19937& rng, std::size_t n) {
  static const char* kParts[] = {"\"", ",", "\r", "\n", "\r\n", "\x06", "a", "bc", "\x81\x40", "\x88\x9f",
                                 "^",  "<", ">",  "~",  "!#",   "!*",   "!$", "!%", "$^",       "\x81",
                                 "12", ",,", "\"\"", "\t", "\r\nx^<", "\n^>", "\r\n!#\r\n", std::string(1, '\0').c_str()};
  std::string s;
  while (s.size() < n) {
    std::size_t k = rng() % (sizeof kParts / sizeof kParts[0]);
    if (k == sizeof kParts / sizeof kParts[0] - 1) {
      s.push_back('\0');
      continue;
    }
    // Long quiet stretches too, so whole blocks of 16 bytes take the fast way.
    if (rng() % 6 == 0) s.append(rng() % 40, static_cast<char>('A' + rng() % 26));
    s += kParts[k];
  }
  s.resize(n);
  return s;
}

struct FastScansOff {
  FastScansOff() { csv::SetFastScans(false); }
  ~FastScansOff() { csv::SetFastScans(true); }
};

TEST(CsvFastScan, WorkingFormEqualsTheByteLoopAtEveryOffsetAndInPlace) {
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    const std::string text = RandomCsv(rng, rng() % 300);
    const std::size_t off = text.empty() ? 0 : rng() % (text.size() + 1);
    std::vector<std::uint8_t> want(text.size() + 1), got(text.size() + 1);
    csv::CommasToSeparatorsBytewise(U(text) + off, text.size() - off, want.data());
    csv::CommasToSeparators(U(text) + off, text.size() - off, got.data());
    ASSERT_EQ(0, std::memcmp(want.data(), got.data(), text.size() - off)) << "round " << round;
    std::string inPlace = text;
    csv::CommasToSeparators(reinterpret_cast<std::uint8_t*>(&inPlace[0]), inPlace.size(), reinterpret_cast<std::uint8_t*>(&inPlace[0]));
    std::vector<std::uint8_t> whole(text.size() + 1);
    csv::CommasToSeparatorsBytewise(U(text), text.size(), whole.data());
    ASSERT_EQ(0, std::memcmp(whole.data(), inPlace.data(), text.size())) << "round " << round;
  }
}

TEST(CsvFastScan, ByteSearchesFindTheFirstByteFromEveryStart) {
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    std::string text = RandomCsv(rng, 1 + rng() % 200);
    // Some rows longer than 64 bytes, with separators on the way.
    if (round % 3 == 0)
      for (auto& c : text)
        if ((c == '\r' || c == '\n' || c == '\0') && rng() % 4 != 0) c = '\x06';
    for (std::size_t pos = 0; pos <= text.size(); ++pos) {
      std::size_t wantSep = text.size(), wantCtl = text.size();
      for (std::size_t i = text.size(); i-- > pos;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0x06 || c == '\r' || c == '\n' || c == 0) wantSep = i;
        if (c < 0x20) wantCtl = i;
      }
      ASSERT_EQ(wantSep, csv::FindFirstOf(U(text), pos, text.size(), 0x06, '\r', '\n', 0));
      ASSERT_EQ(wantCtl, csv::FindControlByte(U(text), pos, text.size()));
      std::size_t wantEnd = pos;
      std::uint32_t wantSeps = 0, seps = 99;
      while (wantEnd < text.size() && text[wantEnd] != '\r' && text[wantEnd] != '\n' && text[wantEnd] != '\0')
        wantSeps += text[wantEnd++] == '\x06';
      ASSERT_EQ(wantEnd, csv::FindRowEndCountingSeparators(U(text), pos, text.size(), &seps));
      ASSERT_EQ(wantSeps, seps);
      static const std::uint8_t kSet[] = {0x06, '\r', '\n', 0, '^', '<', '>'};
      for (int count : {1, 5, 7}) {
        std::size_t want = text.size();
        for (std::size_t i = text.size(); i-- > pos;)
          for (int k = 0; k < count; ++k)
            if (static_cast<std::uint8_t>(text[i]) == kSet[k]) want = i;
        ASSERT_EQ(want, csv::FindFirstOfSet(U(text), pos, text.size(), kSet, count));
      }
    }
  }
}

// Everything a scan leaves in the fields.
void ExpectSameIndex(const csv::TableFields& a, const csv::TableFields& b, int round) {
  EXPECT_EQ(a.m_nLastRow, b.m_nLastRow) << round;
  EXPECT_EQ(a.m_nScanNotes, b.m_nScanNotes) << round;
  EXPECT_EQ(a.m_nCurLine, b.m_nCurLine) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecOffset, b.m_aSecOffset, sizeof a.m_aSecOffset)) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecLine, b.m_aSecLine, sizeof a.m_aSecLine)) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecRow, b.m_aSecRow, sizeof a.m_aSecRow)) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecScanPos, b.m_aSecScanPos, sizeof a.m_aSecScanPos)) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecInfoA, b.m_aSecInfoA, sizeof a.m_aSecInfoA)) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecInfoB, b.m_aSecInfoB, sizeof a.m_aSecInfoB)) << round;
  EXPECT_EQ(0, std::memcmp(a.m_aSecFields, b.m_aSecFields, sizeof a.m_aSecFields)) << round;
}

// Marks in the first field that only the byte loop of that field sees: a
// data end given by "^>" after other bytes of the field, a title by "^<".
TEST(CsvFastScan, MarksInsideTheFirstFieldStillCount) {
  const std::string texts[] = {
      "h1,h2,h3\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\nend^>,x,y\r\nnote\r\n",
      "memo\r\nx^<,b,c\r\n1,2,3\r\n4,5,6\r\n",
      "a,b,c\r\n1,2,3\r\n!#\r\nt1,t2\r\n5,6\r\n7,8\r\nzz^>,q\r\n9\r\n",
  };
  for (const std::string& csvText : texts) {
    std::string t = csvText;
    for (char& c : t)
      if (c == ',') c = 0x06;
    auto fast = std::make_unique<csv::TableFields>();
    auto slow = std::make_unique<csv::TableFields>();
    std::uint32_t len = 0, cols = 0;
    csv::BuildCsvIndex(*fast, U(t), static_cast<std::uint32_t>(t.size()), &len, &cols, 1, -1);
    {
      FastScansOff off;
      csv::BuildCsvIndex(*slow, U(t), static_cast<std::uint32_t>(t.size()), &len, &cols, 1, -1);
    }
    ExpectSameIndex(*slow, *fast, 0);
  }
}

TEST(CsvFastScan, TheIndexIsTheSameWithAndWithoutTheSkips) {
  std::mt19937 rng(3);
  for (int round = 0; round < 3000; ++round) {
    std::string text = RandomCsv(rng, rng() % 400);
    for (int mode : {1, 3}) {
      auto fast = std::make_unique<csv::TableFields>();
      auto slow = std::make_unique<csv::TableFields>();
      std::uint32_t lenA = 0, colsA = 0, lenB = 0, colsB = 0;
      const auto n = static_cast<std::uint32_t>(text.size());
      std::int32_t a = csv::BuildCsvIndex(*fast, U(text), n, &lenA, &colsA, mode, -1);
      std::int32_t b;
      {
        FastScansOff off;
        b = csv::BuildCsvIndex(*slow, U(text), n, &lenB, &colsB, mode, -1);
      }
      ASSERT_EQ(b, a) << round;
      EXPECT_EQ(colsB, colsA) << round;
      ExpectSameIndex(*slow, *fast, round);
      if (HasFailure()) return;
    }
  }
}

// Tables of many alike rows with the rows that end a run of plain rows
// scattered in them: comments, marker lines, block starts, carets, data-end
// marks, short rows, NULs, empty lines, lone CRs and LFs.
// Rows that end a run of plain rows.
const char* const kOdd[] = {"~note", "!$", "!%", "!#", "!*", "$^", "a^<", "b^>", "x^y", "1", "1\x06" "2",
                            "", "\r", "z", "q\x06q\x06", "!#\r\nt1\x06t2\x06t3", "a\x06\x06", "~a\x06" "b\x06" "c",
                            "!a\x06" "b\x06" "c", "!$\x06" "b\x06" "c", "a\x06" "b^\x06" "c", "$^\x06\x06",
                            "a^<\x06" "b\x06" "c",
                            "b^>\x06" "c\x06" "d", "^^>\x06\x06"};

std::string RowRuns(std::mt19937& rng, std::size_t rows) {
  const int fields = 2 + static_cast<int>(rng() % 4);
  const char* ends[] = {"\r\n", "\n", "\r"};
  const char* end = ends[rng() % 3];
  std::string s;
  for (std::size_t r = 0; r < rows; ++r) {
    if (rng() % 40 == 0) {
      s += kOdd[rng() % (sizeof kOdd / sizeof kOdd[0])];
      if (rng() % 30 == 0) s.push_back('\0');
    } else {
      for (int f = 0; f < fields; ++f) {
        if (f) s.push_back('\x06');
        s.append(rng() % 30, static_cast<char>('a' + rng() % 26));
      }
    }
    s += rng() % 50 == 0 ? ends[rng() % 3] : end;
  }
  if (rng() % 2) s.resize(s.size() - rng() % 4);
  return s;
}

TEST(CsvFastScan, PlainRowRunsEqualTheByteLoop) {
  std::mt19937 rng(5);
  for (int round = 0; round < 2000; ++round) {
    const std::string text = RowRuns(rng, 1 + rng() % 60);
    const std::size_t n = text.size();
    const std::size_t end = n - rng() % (n / 4 + 1);
    std::size_t pos = 0;
    for (int k = static_cast<int>(rng() % 5); k > 0 && pos < end; --k) {
      const void* lf = std::memchr(text.data() + pos, '\n', end - pos);
      if (!lf) break;
      pos = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1;
    }
    for (std::uint32_t minSeps : {0u, 1u, 2u, 3u}) {
      std::uint32_t a = 7, b = 7;
      const std::size_t wantAt = csv::SkipPlainRowsBytewise(U(text), pos, end, minSeps, &b);
      const std::size_t gotAt = csv::SkipPlainRows(U(text), pos, end, minSeps, &a);
      ASSERT_EQ(wantAt, gotAt) << round;
      ASSERT_EQ(b, a) << round;
    }
  }
  // A run that ends with the text: its last row is left, and a row that is
  // cut off by the end is no row of the run.
  const std::string t = "a\x06" "b\x06" "c\r\nd\x06" "e\x06" "f\r\ng\x06" "h\x06" "i\r\nj\x06" "k\x06";
  std::uint32_t rows = 0;
  EXPECT_EQ(14u, csv::SkipPlainRows(U(t), 0, t.size(), 2, &rows));
  EXPECT_EQ(2u, rows);
  EXPECT_EQ(0u, csv::SkipPlainRows(U(t), 0, 10, 2, &rows));
  EXPECT_EQ(0u, rows);
}

TEST(CsvFastScan, TheIndexOfLongTablesIsTheSameWithAndWithoutTheSkips) {
  std::mt19937 rng(9);
  for (int round = 0; round < 400; ++round) {
    const std::string text = RowRuns(rng, 1 + rng() % 400);
    for (int mode : {1, 3}) {
      auto fast = std::make_unique<csv::TableFields>();
      auto slow = std::make_unique<csv::TableFields>();
      std::uint32_t lenA = 0, colsA = 0, lenB = 0, colsB = 0;
      const auto n = static_cast<std::uint32_t>(text.size());
      const std::int32_t a = csv::BuildCsvIndex(*fast, U(text), n, &lenA, &colsA, mode, -1);
      std::int32_t b;
      {
        FastScansOff off;
        b = csv::BuildCsvIndex(*slow, U(text), n, &lenB, &colsB, mode, -1);
      }
      ASSERT_EQ(b, a) << round;
      EXPECT_EQ(colsB, colsA) << round;
      ExpectSameIndex(*slow, *fast, round);
      if (HasFailure()) return;
    }
  }
}

// Each odd row alone among plain rows of two to four fields: no later mark
// hides what it does to the index.
TEST(CsvFastScan, EachOddRowAloneAmongPlainRows) {
  for (int fields = 2; fields <= 4; ++fields) {
    std::string plain = "v";
    for (int f = 1; f < fields; ++f) plain += "\x06w";
    for (const char* odd : kOdd) {
      for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text = "h" + plain.substr(1) + end;
        for (int r = 0; r < 40; ++r) text += plain + std::to_string(r) + end;
        text += std::string(odd) + end;
        for (int r = 0; r < 40; ++r) text += plain + std::to_string(r) + end;
        auto fast = std::make_unique<csv::TableFields>();
        auto slow = std::make_unique<csv::TableFields>();
        std::uint32_t len = 0, colsA = 0, colsB = 0;
        const auto n = static_cast<std::uint32_t>(text.size());
        const std::int32_t a = csv::BuildCsvIndex(*fast, U(text), n, &len, &colsA, 1, -1);
        std::int32_t b;
        {
          FastScansOff off;
          b = csv::BuildCsvIndex(*slow, U(text), n, &len, &colsB, 1, -1);
        }
        ASSERT_EQ(b, a) << odd;
        EXPECT_EQ(colsB, colsA) << odd;
        ExpectSameIndex(*slow, *fast, fields);
        if (HasFailure()) return;
      }
    }
  }
}

}  // namespace
