// The CSV scanner and line lookup on the edge cases of the working form.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_fastscan.h"
#include "csv/csv_fileform.h"
#include "csv/csv_index.h"
#include "index_follow_sim.h"

namespace {

using csv::TableFields;

// Test texts write the field separator 0x06 as '|'.
std::string S(std::string t) {
  for (char& c : t)
    if (c == '|') c = 0x06;
  return t;
}
[[maybe_unused]] std::string Bars(std::string t) {
  for (char& c : t)
    if (c == 0x06) c = '|';
  return t;
}
const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
std::uint32_t Len(const std::string& s) { return static_cast<std::uint32_t>(s.size()); }

// A view whose working buffer has exactly `capacity` bytes on the heap, so
// that a write past it is caught by AddressSanitizer.
struct View {
  std::unique_ptr<TableFields> v = std::make_unique<TableFields>();
  std::unique_ptr<std::uint8_t[]> buf;
  explicit View(std::uint32_t capacity = 4096) {
    buf.reset(capacity ? new std::uint8_t[capacity] : nullptr);
    v->m_pTextBuf = buf.get();
    v->m_nWorkSize = capacity;
  }
  TableFields* operator->() { return v.get(); }
  std::int32_t Scan(const std::string& text, int mode = 1) {
    std::uint32_t len = 0, maxCols = 0;
    std::int32_t r = csv::BuildCsvIndex(*v, U(text), Len(text), &len, &maxCols, mode, -1);
    lastLen = len;
    lastMax = maxCols;
    return r;
  }
  std::int32_t Copy(const std::string& text, int pad = -1) {
    std::uint32_t len = 0, maxCols = 0;
    std::int32_t r = csv::BuildCsvIndex(*v, U(text), Len(text), &len, &maxCols, 0, pad);
    lastLen = len;
    lastMax = maxCols;
    v->m_nTextLen = len;
    v->m_nFieldCount = maxCols;
    return r;
  }
  std::string Out() const { return std::string(reinterpret_cast<char*>(buf.get()), lastLen); }
  std::uint32_t lastLen = 0, lastMax = 0;
};

TEST(CsvIndex, RowsWithAndWithoutFinalRowEnd) {
  View a, b, c;
  EXPECT_EQ(1, a.Scan(S("a|b\r\nc|d\r\n")));
  EXPECT_EQ(1, b.Scan(S("a|b\r\nc|d")));
  EXPECT_EQ(1, c.Scan(S("a|b\rc|d\n")));  // lone CR and LF end rows too
  EXPECT_EQ(1, a->m_nLastRow);
  EXPECT_EQ(1u, a->m_bScanDone);
  EXPECT_EQ(1u, a->BlockCount());
  EXPECT_EQ(2u, a.lastMax);
  View e;
  EXPECT_EQ(0, e.Scan(""));  // one empty row
}

// A comma in a cell is data ("ｶﾝﾏ付け" writes "1,234"): the copy keeps it,
// quoted or not, and a comma-form save then quotes the cell.
TEST(CsvIndex, CopyKeepsCommasInCells) {
  View v;
  v.Copy(S("1,234|\"a,b\"\r\n"));
  EXPECT_EQ(S("1,234|\"a,b\"\r\n"), v.Out());
  EXPECT_EQ(0, v.buf[v.lastLen]);
  const std::string out = v.Out();
  EXPECT_EQ("\"1,234\",\"a,b\"\r\n",
            csv::ToCommaForm(reinterpret_cast<const std::uint8_t*>(out.data()), out.size(), csv::CommaFormKind::kComma));
}

TEST(CsvIndex, CopyClosesOpenQuotesAtTheFieldEnd) {
  View v;
  v.Copy(S("\"abc|x\r\n\"ab\"\"|y\r\n\"open"));
  EXPECT_EQ(S("\"abc\"|x\r\n\"ab\" |y\r\n\"open\""), v.Out());
}

TEST(CsvIndex, PaddingFillsShortRowsAndNamesFirstRowCells) {
  View v;
  std::int32_t last = v.Copy(S("a|b|c\r\nd|e|f\r\ng|h|i|j|k\r\n"), 5);
  EXPECT_EQ(2, last);
  EXPECT_EQ(S("a|b|c|A4|A5\r\nd|e|f||\r\ng|h|i|j|k\r\n"), v.Out());
  // Without a final row end the filling is appended to the last row.
  View w;
  w.Copy(S("a|b\r\nc"), 3);
  EXPECT_EQ(S("a|b|A3\r\nc||"), w.Out());
}

TEST(CsvIndex, CommentLinesNeverWidenTheTable) {
  View v;
  v.Scan(S("a|b\r\n~x|y|z|w\r\n1|2\r\n"));
  EXPECT_EQ(2u, v.lastMax);
  EXPECT_EQ(2u, v->m_aSecFields[1]);
}

TEST(CsvIndex, TwoBlocks) {
  View v;
  const std::string text = S("t1|t2|t3|t4\r\n1|2|3|4\r\n!#\r\nu1|u2\r\n5|6\r\n");
  EXPECT_EQ(4, v.Scan(text));
  ASSERT_EQ(2u, v->BlockCount());
  EXPECT_EQ(1u, v->m_aSecRow[1]);
  EXPECT_EQ(0u, v->m_aSecScanPos[1]);
  EXPECT_EQ(0u, v->m_aSecOffset[1]);
  EXPECT_EQ(1u, v->m_aSecLine[1]);
  EXPECT_EQ(4u, v->m_aSecFields[1]);
  const std::uint32_t bang = static_cast<std::uint32_t>(text.find("!#"));
  EXPECT_EQ(3u, v->m_aSecRow[2]);
  EXPECT_EQ(bang, v->m_aSecScanPos[2]);
  EXPECT_EQ(2u, v->m_aSecInfoA[1]);  // the "!#" line, 0-based
  EXPECT_EQ(bang, v->m_aSecInfoB[1]);
  EXPECT_EQ(4u, v->m_aSecLine[2]);  // title "u1|u2" is row 4 (1-based)
  EXPECT_EQ(bang + 4, v->m_aSecOffset[2]);
  EXPECT_EQ(2u, v->m_aSecFields[2]);
  EXPECT_EQ(4u, v.lastMax);
}

TEST(CsvIndex, BlockStartDirectlyAfterTheTitleStartsNoBlock) {
  View v;
  v.Scan(S("t1|t2|t3\r\n!#\r\na|b|c\r\n"));
  EXPECT_EQ(1u, v->BlockCount());
}

TEST(CsvIndex, ModeThreeClearsTheSecondBlockEntry) {
  View v;
  v.Scan(S("t1|t2|t3|t4\r\n1|2|3|4\r\n!#\r\nu1|u2\r\n"));
  ASSERT_EQ(3u, v->m_aSecRow[2]);
  v.Scan(S("a|b\r\n"), 1);
  EXPECT_EQ(3u, v->m_aSecRow[2]);  // mode 1 leaves entries of unreached blocks
  v.Scan(S("a|b\r\n"), 3);
  EXPECT_EQ(0u, v->m_aSecRow[2]);
}

TEST(CsvIndex, OneByteLastLineIsNeitherIndexedNorCopied) {
  View v;
  EXPECT_EQ(1, v.Copy(S("a|b|c|d\r\n1|2|3|4\r\nZ")));
  EXPECT_EQ(S("a|b|c|d\r\n1|2|3|4\r\n"), v.Out());
  EXPECT_TRUE(v->m_nScanNotes & csv::kCsvScanShortEnd);
  // Three columns: the short line stays.
  View w;
  EXPECT_EQ(2, w.Copy(S("a|b|c\r\n1|2|3\r\nZ")));
  EXPECT_EQ(S("a|b|c\r\n1|2|3\r\nZ"), w.Out());
}

TEST(CsvIndex, TitleMarkSetsTitleRowAndOffset) {
  View v;
  const std::string text = S("x\r\ny\r\n^<|h\r\n1|2\r\n");
  v.Scan(text);
  EXPECT_EQ(2u, v->m_aSecLine[1]);  // the marked row's 0-based number
  EXPECT_EQ(static_cast<std::uint32_t>(text.find("^<")), v->m_aSecOffset[1]);
}

TEST(CsvIndex, DataEndMarkEndsTheData) {
  View v;
  const std::string text = S("a|b|c\r\n1|2|3\r\n4|5|6\r\n^>\r\nnote\r\n");
  v.Scan(text);
  EXPECT_EQ(3u, v->m_aSecInfoA[1]);
  EXPECT_EQ(static_cast<std::uint32_t>(text.find('>')), v->m_aSecInfoB[1]);
}

TEST(CsvIndex, DataEndNotFoundMeansTheEndOfTheText) {
  View v;
  v->m_aSecInfoA[1] = 777;  // from an earlier scan
  v->m_aSecInfoB[1] = 99999;
  const std::string text = S("a|b|c\r\n1|2|3\r\n4|5|6\r\n7|8|9\r\n");
  v.Scan(text);
  EXPECT_LE(v->m_aSecInfoA[1], 4u);
  EXPECT_LE(v->m_aSecInfoB[1], Len(text));
}

// Fills the struct around the arrays with a sentinel so that a write past one
// array (into the next member) is seen.
void Sentinels(TableFields& v) {
  v.m_aSecOffset[0] = v.m_aSecLine[0] = v.m_aSecScanPos[0] = v.m_aSecInfoA[0] =
      v.m_aSecInfoB[0] = v.m_aSecFields[0] = 0xDEADBEEF;
  v.m_nLastRow = 12345;
}
void CheckSentinels(const TableFields& v) {
  EXPECT_EQ(0xDEADBEEF, v.m_aSecOffset[0]);
  EXPECT_EQ(0xDEADBEEF, v.m_aSecLine[0]);
  EXPECT_EQ(0xDEADBEEF, v.m_aSecScanPos[0]);
  EXPECT_EQ(0xDEADBEEF, v.m_aSecInfoA[0]);
  EXPECT_EQ(0xDEADBEEF, v.m_aSecInfoB[0]);
  EXPECT_EQ(0xDEADBEEF, v.m_aSecFields[0]);
}

// Block 1 has two rows; every later block four ("!#", title, two data rows).
std::string Blocks(int count) {
  std::string t = S("t|u\r\n1|2\r\n");
  for (int i = 1; i < count; ++i) t += S("!#\r\nt|u\r\n1|2\r\n3|4\r\n");
  return t;
}
std::int32_t BlocksLastRow(int count) { return 2 + 4 * (count - 1) - 1; }

TEST(CsvIndex, LaterBlockNeedsTwoRowsAfterItsTitle) {
  // Block 1 counts its title row from 0, later blocks from 1: a later block
  // whose title has one row after it runs on over the next "!#" line.
  View v;
  v.Scan(S("t|u\r\n1|2\r\n!#\r\nt|u\r\n1|2\r\n!#\r\nt|u\r\n1|2\r\n"));
  EXPECT_EQ(2u, v->BlockCount());
  View w;
  w.Scan(S("t|u\r\n1|2\r\n!#\r\nt|u\r\n1|2\r\n3|4\r\n!#\r\nt|u\r\n1|2\r\n"));
  EXPECT_EQ(3u, w->BlockCount());
  EXPECT_EQ(6u, w->m_aSecInfoA[2]);
}

TEST(CsvIndex, FourHundredNinetyNineBlocksAreIndexed) {
  View v(1 << 16);
  Sentinels(*v.v);
  std::int32_t last = v.Copy(Blocks(499));
  EXPECT_EQ(499u, v->BlockCount());
  EXPECT_EQ(0u, v->m_nScanNotes & csv::kCsvScanBlockLimit);
  EXPECT_EQ(BlocksLastRow(499), last);
  CheckSentinels(*v.v);
}

TEST(CsvIndex, BlocksFromTheFiveHundredthOnStayUnindexed) {
  for (int count : {500, 501}) {
    View v(1 << 16);
    Sentinels(*v.v);
    const std::string text = Blocks(count);
    std::int32_t last = v.Copy(text);
    EXPECT_EQ(499u, v->BlockCount()) << count;
    EXPECT_TRUE(v->m_nScanNotes & csv::kCsvScanBlockLimit);
    EXPECT_EQ(BlocksLastRow(count), last);  // every row is still counted
    EXPECT_EQ(text, v.Out());
    // Block 499's data rows end at the 500th block start.
    const std::uint32_t row500 = 2 + 4 * 498;  // 0-based "!#" row of block 500
    EXPECT_EQ(row500, v->m_aSecInfoA[499]);
    CheckSentinels(*v.v);
  }
}

TEST(CsvIndex, CopyLeavesRoomForTheTerminatingNul) {
  const std::string text = S("a|b\r\n");
  View exact(Len(text));  // no room for the NUL
  std::int32_t last = exact.Copy(text);
  EXPECT_EQ(4u, exact.lastLen);
  EXPECT_EQ(0, exact.buf[4]);
  EXPECT_TRUE(exact->m_nScanNotes & csv::kCsvScanTruncated);
  EXPECT_EQ(0, last);

  View roomy(Len(text) + 1);
  roomy.Copy(text);
  EXPECT_EQ(text, roomy.Out());
  EXPECT_EQ(0u, roomy->m_nScanNotes & csv::kCsvScanTruncated);

  View one(1);
  EXPECT_EQ(-1, one.Copy(text));
  EXPECT_EQ(0u, one.lastLen);
  EXPECT_EQ(0, one.buf[0]);

  View none(0);
  none.Copy(text);
  EXPECT_EQ(0u, none.lastLen);
}

TEST(CsvIndex, FillingStopsAtTheCapacity) {
  View v(12);
  v.Copy(S("a\r\nb\r\n"), 400);
  EXPECT_EQ(11u, v.lastLen);
  EXPECT_EQ(0, v.buf[11]);
  EXPECT_TRUE(v->m_nScanNotes & csv::kCsvScanTruncated);
}

TEST(CsvIndex, CopyOffsetsPointIntoTheWorkingBuffer) {
  View v;
  v.Copy(S("t1|t2|t3\r\n1\r\n2|3|4\r\n!#\r\nu1|u2|u3\r\n5\r\n"), 3);
  const std::string out = v.Out();
  ASSERT_EQ(2u, v->BlockCount());
  EXPECT_EQ("!#", out.substr(v->m_aSecScanPos[2], 2));
  EXPECT_EQ("u1", out.substr(v->m_aSecOffset[2], 2));
}

TEST(CsvIndex, SourceInsideTheDestinationIsCopiedAside) {
  View v(64);
  const std::string text = S("\"a|\"b|c\r\n");
  std::memcpy(v.buf.get(), text.data(), text.size());
  std::uint32_t len = 0, cols = 0;
  csv::BuildCsvIndex(*v.v, v.buf.get(), Len(text), &len, &cols, 0, 4);
  v.lastLen = len;
  EXPECT_EQ(S("\"a\"|\"b\"|c|A4\r\n"), v.Out());
}

TEST(LineToOffset, BlockTitleSkipsNonCandidates) {
  TableFields v;
  const std::string t = S("~c\r\nXL A4\r\n!*\r\nT|U\r\n1|2\r\n");
  std::uint32_t off = 0;
  EXPECT_EQ(3, csv::LineToOffset(v, U(t), Len(t), &off, 4, 0));
  EXPECT_EQ(static_cast<std::uint32_t>(t.find(S("T|"))), off);
  // "!^" makes the next line the title whatever it is.
  const std::string m = S("x|y\r\n!^\r\n~z\r\n");
  off = static_cast<std::uint32_t>(m.find("!^"));
  EXPECT_EQ(6, csv::LineToOffset(v, U(m), Len(m), &off, 4, 5));
  EXPECT_EQ(static_cast<std::uint32_t>(m.find("~z")), off);
  // Nothing qualifies: row and offset stay.
  const std::string n = "~a\r\n~b";
  off = 0;
  EXPECT_EQ(0, csv::LineToOffset(v, U(n), Len(n), &off, 4, 0));
  EXPECT_EQ(0u, off);
}

TEST(LineToOffset, PlainLinesCountOnlyLineFeeds) {
  TableFields v;
  const std::string t = "a\rb\nc\nd";
  std::uint32_t off = 99;
  v.m_nCurLine = 3;
  EXPECT_EQ(2, csv::LineToOffset(v, U(t), Len(t), &off, 2, 0));
  EXPECT_EQ(6u, off);
  v.m_nCurLine = 1;
  EXPECT_EQ(0, csv::LineToOffset(v, U(t), Len(t), &off, 2, 0));
  EXPECT_EQ(0u, off);
  v.m_nCurLine = 9;  // past the text
  EXPECT_EQ(2, csv::LineToOffset(v, U(t), Len(t), &off, 2, 0));
  EXPECT_EQ(Len(t), off);
  // The plain-line flag makes mode 1 count the same way.
  v.m_nCurLine = 2;
  v.m_bPlainLines = 1;
  EXPECT_EQ(1, csv::LineToOffset(v, U(t), Len(t), &off, 1, 0));
  EXPECT_EQ(4u, off);
}

TEST(LineToOffset, TitleAtCurLineSkipsCommentAndMarkerLines) {
  TableFields v;
  const std::string t = S("~c\r\n!$\r\nT|U\r\n~d\r\nV|W\r\n");
  std::uint32_t off = 0;
  EXPECT_EQ(2, csv::LineToOffset(v, U(t), Len(t), &off, 1, 0));
  EXPECT_EQ(static_cast<std::uint32_t>(t.find(S("T|"))), off);
  v.m_nCurLine = 4;
  EXPECT_EQ(4, csv::LineToOffset(v, U(t), Len(t), &off, 1, 0));
  EXPECT_EQ(static_cast<std::uint32_t>(t.find(S("V|"))), off);
}

TEST(LineToOffset, NeverReadsPastTheLength) {
  TableFields v;
  v.m_nCurLine = 5;
  for (int mode : {1, 2, 4}) {
    auto b = std::make_unique<std::uint8_t[]>(3);
    std::memcpy(b.get(), "!^\r", 3);
    std::uint32_t off = 0;
    csv::LineToOffset(v, b.get(), 3, &off, mode, 0);
    EXPECT_LE(off, 3u);
  }
}

// The index following a pass: whatever the pieces, the index equals the one
// of the whole text, and nothing not yet written is read (the simulation
// fills it with marks and row ends, and poisons it under AddressSanitizer).
// Block starts are rare (each makes the index wait for the next 1,001 LFs).
std::string RandomWorkingForm(std::mt19937& rng, std::size_t n) {
  static const char* kParts[] = {"a", "bc", "|", "||", "\r\n", "\n", "\r", "~c", "!$", "!%", "!^", "^<", "^>",
                                 "$^", "\"", "\x88\x9f", "12", "\n^>", "\r\nx^<", "XL", "\n\n", "\n",
                                 "\r\n", "a\n", "|\n", "|||", "abc|d"};
  static const char* kBlocks[] = {"!#", "!*", "\r\n!#\r\n", "\n!*x|y\n"};
  std::string s;
  while (s.size() < n) {
    if (rng() % 6 == 0) s.append(rng() % 40, static_cast<char>('A' + rng() % 26));
    if (rng() % 400 == 0) s += kBlocks[rng() % 4];
    s += kParts[rng() % (sizeof kParts / sizeof kParts[0])];
  }
  return S(s);
}

void ExpectFollowingEqualsWhole(const std::string& text, const std::vector<std::uint32_t>& cuts, int round) {
  TableFields want, got;
  std::uint32_t len = 0, wantCols = 0, gotCols = 0;
  const std::int32_t wantLast = csv::BuildCsvIndex(want, U(text), Len(text), &len, &wantCols, csv::kCsvScanOnly, -1);
  csvtest::RevealedText revealed(U(text), Len(text), cuts);
  const std::int32_t gotLast =
      csv::BuildCsvIndexFollowing(got, revealed.data(), Len(text), &gotCols, revealed.Follow());
  ASSERT_EQ(wantLast, gotLast) << round;
  EXPECT_EQ(wantCols, gotCols) << round;
  got.m_nFieldCount = want.m_nFieldCount;
  EXPECT_TRUE(csv::SameBlockIndex(want, got)) << round;
}

TEST(CsvIndexFollowing, EqualsTheWholeTextIndexForAnyPieces) {
  std::mt19937 rng(77);
  for (bool fast : {true, false}) {
    csv::SetFastScans(fast);
    // Long texts too: the index starts only once 1,001 LFs are final.
    for (int round = 0; round < 240; ++round) {
      const std::string text = RandomWorkingForm(rng, round < 120 ? 1 + rng() % 200 : 10000 + rng() % 40000);
      std::vector<std::uint32_t> lfs;
      for (std::uint32_t i = 0; i < Len(text); ++i)
        if (text[i] == '\n') lfs.push_back(i + 1);
      // Every LF a piece end, one piece, and a random choice.
      ExpectFollowingEqualsWhole(text, lfs, round);
      ExpectFollowingEqualsWhole(text, {}, round);
      std::vector<std::uint32_t> some;
      for (std::uint32_t c : lfs)
        if (rng() % 4 == 0) some.push_back(c);
      ExpectFollowingEqualsWhole(text, some, round);
    }
  }
  csv::SetFastScans(true);
}

// Long runs of alike rows, which the scan passes in bulk up to the last
// final byte: pieces ending inside a run, and odd rows that end a run
// (comments, markers, carets, short rows, a block start) near the cuts.
TEST(CsvIndexFollowing, RunsOfAlikeRowsCutAnywhere) {
  static const char* kOdd[] = {"~c", "!$", "!%", "$^", "a^<", "b^>", "1", "1|2", "", "x^y", "!#\r\nP|Q|R",
                               "~c|d|e", "!c|d|e", "!$|d|e", "a|b^|c", "$^||", "a^<|b|c", "b^>|c|d"};
  std::mt19937 rng(31);
  for (int round = 0; round < 12; ++round) {
    std::string text = "h1|h2|h3\r\n";
    for (int r = 0; r < 2500; ++r) {
      if (rng() % 200 == 0) text += kOdd[rng() % (sizeof kOdd / sizeof kOdd[0])];
      else text += std::to_string(r) + "|v" + std::to_string(rng() % 50) + "|w";
      text += round % 3 == 0 ? "\n" : "\r\n";
    }
    text = S(text);
    std::vector<std::uint32_t> lfs, some;
    for (std::uint32_t i = 0; i < Len(text); ++i)
      if (text[i] == '\n') lfs.push_back(i + 1);
    for (std::uint32_t c : lfs)
      if (rng() % 97 == 0) some.push_back(c);
    ExpectFollowingEqualsWhole(text, lfs, round);
    ExpectFollowingEqualsWhole(text, some, round);
    // And the same against the byte loops.
    TableFields fast, slow;
    std::uint32_t len = 0, colsA = 0, colsB = 0;
    const std::int32_t a = csv::BuildCsvIndex(fast, U(text), Len(text), &len, &colsA, csv::kCsvScanOnly, -1);
    csv::SetFastScans(false);
    const std::int32_t b = csv::BuildCsvIndex(slow, U(text), Len(text), &len, &colsB, csv::kCsvScanOnly, -1);
    csv::SetFastScans(true);
    EXPECT_EQ(b, a) << round;
    fast.m_nFieldCount = colsA;
    slow.m_nFieldCount = colsB;
    EXPECT_TRUE(csv::SameBlockIndex(slow, fast)) << round;
  }
}

TEST(CsvIndexFollowing, ABlockTitleFarAheadIsWaitedFor) {
  // The title of the second block lies behind 990 comment rows; with a piece
  // a row, the lookup must wait for all of them.
  std::string text = S("T|U\r\n1|2\r\n3|4\r\n5|6\r\n!#\r\n");
  for (int i = 0; i < 990; ++i) text += "~comment\r\n";
  text += S("A|B|C\r\n7|8|9\r\n10|11|12\r\n");
  std::vector<std::uint32_t> lfs;
  for (std::uint32_t i = 0; i < Len(text); ++i)
    if (text[i] == '\n') lfs.push_back(i + 1);
  ExpectFollowingEqualsWhole(text, lfs, 0);
  TableFields got;
  std::uint32_t cols = 0;
  csvtest::RevealedText revealed(U(text), Len(text), lfs);
  csv::BuildCsvIndexFollowing(got, revealed.data(), Len(text), &cols, revealed.Follow());
  EXPECT_EQ(2u, got.BlockCount());
  EXPECT_EQ(3u, got.m_aSecFields[2]);
}

TEST(CsvIndexFollowing, APassThatGivesUpAbandonsTheIndex) {
  std::mt19937 rng(5);
  const std::string text = RandomWorkingForm(rng, 5000) + "\n";
  std::vector<std::uint32_t> lfs;
  for (std::uint32_t i = 0; i < Len(text); ++i)
    if (text[i] == '\n') lfs.push_back(i + 1);
  for (int failAt : {0, 1, 2, 7}) {
    csvtest::RevealedText revealed(U(text), Len(text), lfs, failAt);
    TableFields got;
    std::uint32_t cols = 0;
    EXPECT_EQ(csv::kIndexAbandoned,
              csv::BuildCsvIndexFollowing(got, revealed.data(), Len(text), &cols, revealed.Follow()))
        << failAt;
  }
}

}  // namespace
