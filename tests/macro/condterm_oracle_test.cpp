// The numeric piece test against Python's decimal module: random pairs of
// decimal texts (tests/macro/condterm_compare_reference.py writes them with
// their order), read by the number reader and compared exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "macro/macro_condterm.h"
#include "macro/macro_scaled.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/macro/condterm_compare_reference.py";

int Holds(const char* op, const macro::PieceOperand& left, const macro::PieceOperand& right) {
  macro::PieceOperator o;
  o.first = op[0];
  o.second = op[1];
  return macro::ComparePieceOperands(o, left, right);
}

TEST(PieceOracle, RandomDecimalPairsOrderAsPythonsDecimal) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_piece_oracle";
  fs::create_directories(dir);
  const std::string out = (dir / "pairs.txt").string();
  const std::string cmd = "python3 '" + kScript + "' 3107 20000 '" + out + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  std::ifstream f(out);
  std::string line;
  int count = 0, wrong = 0, equal = 0;
  while (std::getline(f, line)) {
    const size_t t1 = line.find('\t'), t2 = line.rfind('\t');
    ASSERT_TRUE(t1 != std::string::npos && t2 > t1) << line;
    const std::string a = line.substr(0, t1), b = line.substr(t1 + 1, t2 - t1 - 1);
    const int expected = std::atoi(line.c_str() + t2 + 1);
    std::int64_t am = 0, bm = 0;
    int as = 0, bs = 0;
    macro::ParseScaledNumber(CString(a), &am, &as);
    macro::ParseScaledNumber(CString(b), &bm, &bs);
    const int got = macro::CompareScaled(am, as, bm, bs);
    const int back = macro::CompareScaled(bm, bs, am, as);
    // The same pair as a piece: the left a cell text, the right a number.
    macro::PieceOperand left, right;
    left.text = a;
    right.number = true;
    right.mantissa = bm;
    right.scale = bs;
    const bool pieceOk = Holds("==", left, right) == (expected == 0) && Holds(">#", left, right) == (expected > 0) &&
                         Holds("<=", left, right) == (expected <= 0) && Holds("!>", left, right) == (expected <= 0);
    if ((got != expected || back != -expected || !pieceOk) && ++wrong <= 20)
      ADD_FAILURE() << line << "\n   got " << got << " / " << back << (pieceOk ? "" : ", piece differs");
    equal += expected == 0;
    ++count;
  }
  EXPECT_EQ(count, 20000);
  EXPECT_GT(equal, 3000);  // the equal-value pairs are there
  EXPECT_EQ(wrong, 0);
}

}  // namespace
