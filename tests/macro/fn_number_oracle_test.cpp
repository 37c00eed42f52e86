// The number functions and number formats against Python
// (tests/macro/number_reference.py): the floating functions against math
// formatted with the same decimals, exponent notation against "%.*e", the
// bit functions against Python's integers (shift counts from -5 to 200),
// column letters against openpyxl for 1 to 18,278 and "???" past them,
// "TNU" against the cp932 codec over every UTF-16 code, the remainder,
// absolute value, sign and hexadecimal forms, and the designed number
// formats against decimal with the matching rounding modes. Fields carry
// digit-group commas, quotes, long fractions, exponents and text around
// the number.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "macro/macro_builtins.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

const std::map<std::string, int> kCodes = {
    {"FSIN", 105}, {"FCOS", 106}, {"FTAN", 107}, {"SINH", 108}, {"COSH", 109}, {"TANH", 110}, {"ASIN", 111},
    {"ACOS", 112}, {"ATAN", 113}, {"SQRT", 114}, {"POWR", 115}, {"EXPN", 117}, {"LOGN", 118}, {"LOGD", 119},
    {"SQUA", 120}, {"CUBE", 121}, {"TNE", 128},  {"TEN", 129},  {"BAND", 130}, {"BIOR", 131}, {"BEOR", 132},
    {"BNOT", 133}, {"BSFR", 134}, {"BSFL", 135}, {"TNR", 58},   {"TNA", 59},   {"TNU", 79},   {"TXN", 76},
    {"TNX", 77},   {"RM", 87},    {"ABS", 88},   {"SGN", 89},   {"MUL", 13},   {"DIV", 14},   {"AP", 17},
    {"FP", 19},    {"RDU", 81},   {"RDD", 82},   {"RDM", 83},   {"RZU", 84},   {"RZD", 85},   {"RZM", 86},
};

class Cases {
 public:
  explicit Cases(macro::MacroState& st) : st_(st) {}
  void Add(const std::string& name, int param, const std::string& second, const std::string& field) {
    st_.m_strMacroVars[155] = CString(second);
    std::vector<std::uint8_t> src(field.begin(), field.end());
    src.push_back(0x06);
    std::vector<std::uint8_t> out(4000);
    int readPos = 0, outLen = 0, p = param;
    macrotest::TestHost host;
    macro::BuiltinScope bs{st_, &host, nullptr, static_cast<std::uint32_t>(src.size())};
    macro::MacroCallBuiltinFunction(bs, kCodes.at(name), &p, 1, 1, &readPos, &outLen, nullptr, nullptr, src.data(),
                                    out.data(), "XX", "", nullptr, nullptr, nullptr, static_cast<int>(out.size()));
    got_.push_back(Hex(std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen))));
    text_ += name + "\t" + std::to_string(param) + "\t" + Hex(second) + "\t" + Hex(field) + "\n";
  }
  void Check(const fs::path& dir) {
    { std::ofstream(dir / "cases.txt", std::ios::binary) << text_; }
    const std::string cmd = "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/macro/number_reference.py' < '" +
                            (dir / "cases.txt").string() + "' > '" + (dir / "expected.txt").string() + "'";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    std::ifstream in(dir / "expected.txt");
    std::vector<std::string> want;
    for (std::string l; std::getline(in, l);) want.push_back(l);
    ASSERT_EQ(got_.size(), want.size());
    std::size_t compared = 0, failures = 0;
    std::size_t at = 0;
    for (std::size_t k = 0; k < got_.size(); ++k) {
      const std::size_t end = text_.find('\n', at);
      const std::string line = text_.substr(at, end - at);
      at = end + 1;
      if (want[k] == "*") continue;
      ++compared;
      if (want[k] != got_[k] && ++failures <= 40) ADD_FAILURE() << line << "\n want " << want[k] << "\n got  " << got_[k];
    }
    EXPECT_EQ(0u, failures);
    compared_ = compared;
  }
  std::size_t compared() const { return compared_; }

 private:
  macro::MacroState& st_;
  std::vector<std::string> got_;
  std::string text_;
  std::size_t compared_ = 0;
};

class NumberOracle : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::mt19937_64 rng{0x5163};
  fs::path Dir(const char* name) {
    const fs::path dir = fs::path(TABRYE_BIN_ROOT) / name;
    fs::create_directories(dir);
    return dir;
  }
  long long Uniform(long long lo, long long hi) { return lo + static_cast<long long>(rng() % static_cast<unsigned long long>(hi - lo + 1)); }
  std::string Digits(int count) {
    std::string s;
    for (int k = 0; k < count; ++k) s += static_cast<char>('0' + rng() % 10);
    return s;
  }
  // Integer digits with digit-group commas now and then.
  std::string Grouped(const std::string& digits) {
    if (rng() % 3 != 0 || digits.size() < 4) return digits;
    std::string s;
    for (std::size_t k = 0; k < digits.size(); ++k) {
      if (k > 0 && (digits.size() - k) % 3 == 0) s += ',';
      s += digits[k];
    }
    return s;
  }
  // A decimal number as a cell may hold it.
  std::string Number(int intDigits, int fracDigits, bool exponent) {
    std::string s = rng() % 3 == 0 ? "-" : "";
    std::string i = std::to_string(Uniform(0, 9)) + Digits(intDigits > 0 ? intDigits - 1 : 0);
    s += Grouped(i);
    if (fracDigits > 0) s += "." + Digits(fracDigits);
    if (exponent) s += std::string(rng() % 2 ? "E" : "e") + (rng() % 2 ? "-" : "+") + std::to_string(Uniform(0, 30));
    return s;
  }
  std::string Decorate(const std::string& number) {
    switch (rng() % 6) {
      case 0: return "\"" + number + "\"";
      case 1: return " " + number + " ";
      default: return number;
    }
  }
};

TEST_F(NumberOracle, FloatingFunctionsMatchPythonsMath) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  const char* const names[] = {"FSIN", "FCOS", "FTAN", "SINH", "COSH", "TANH", "ASIN", "ACOS", "ATAN",
                               "SQRT", "POWR", "EXPN", "LOGN", "LOGD", "SQUA", "CUBE"};
  for (const char* name : names) {
    for (int k = 0; k < 200; ++k) {
      const std::string n = std::string(name);
      std::string field;
      switch (k % 5) {
        case 0: field = std::to_string(Uniform(-720, 720)); break;
        case 1: field = Number(static_cast<int>(Uniform(1, 3)), static_cast<int>(Uniform(1, 16)), false); break;
        case 2: field = Number(1, static_cast<int>(Uniform(1, 8)), rng() % 2 == 0); break;
        case 3: field = "0." + Digits(static_cast<int>(Uniform(1, 15))); break;
        default: field = Number(static_cast<int>(Uniform(1, 7)), static_cast<int>(Uniform(0, 4)), false); break;
      }
      const int decimals = k % 7 == 0 ? -9 : static_cast<int>(Uniform(0, 15));
      std::string second;
      if (n == "POWR") second = (rng() % 4 == 0 ? "-" : "") + std::to_string(Uniform(0, 3)) + "." + Digits(static_cast<int>(Uniform(0, 13)));
      c.Add(n, decimals, second, Decorate(field));
    }
  }
  // The edge cases and the faults.
  c.Add("FSIN", 3, "", "30");
  c.Add("ASIN", 0, "", "1");
  c.Add("SQRT", 2, "", "-4");
  c.Add("ASIN", -9, "", "2");
  c.Add("EXPN", 3, "", "1000");
  c.Add("SQRT", 3, "", "1E999999999");
  c.Add("SQUA", 3, "", "1.5e-999999999");
  c.Add("LOGN", 4, "", "2.5E+300");
  c.Add("POWR", 4, "1.5", "2,000.25");
  c.Check(Dir("macro_fn_number_float"));
}

TEST_F(NumberOracle, ExponentNotationMatchesPythonsFormatting) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  for (int k = 0; k < 600; ++k) {
    std::string field;
    switch (k % 4) {
      case 0: field = Number(static_cast<int>(Uniform(1, 19)), static_cast<int>(Uniform(0, 14)), false); break;
      case 1: field = Number(static_cast<int>(Uniform(1, 3)), static_cast<int>(Uniform(1, 5)), false) + "E" + std::to_string(Uniform(-330, 330)); break;
      case 2: field = "0." + std::string(static_cast<std::size_t>(Uniform(0, 11)), '0') + Digits(3); break;
      default: field = std::to_string(Uniform(-100000, 100000)); break;
    }
    c.Add(k % 2 ? "TNE" : "TEN", k % 9 == 0 ? -9 : static_cast<int>(Uniform(0, 17)), "", Decorate(field));
  }
  c.Check(Dir("macro_fn_number_exp"));
}

TEST_F(NumberOracle, BitFunctionsMatchPythonsIntegers) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  const char* const names[] = {"BAND", "BIOR", "BEOR", "BNOT", "BSFR", "BSFL"};
  auto value = [&]() {
    switch (rng() % 4) {
      case 0: return std::to_string(Uniform(-100, 100));
      case 1: return std::to_string(static_cast<long long>(rng()));
      case 2: return std::to_string(Uniform(-5000000000LL, 5000000000LL));
      default: return Grouped(Digits(static_cast<int>(Uniform(1, 22))));
    }
  };
  for (const char* name : names) {
    const bool shift = name[1] == 'S';
    for (int k = 0; k < 400; ++k) {
      const std::string x = (rng() % 4 == 0 ? "-" : "") + value();
      if (shift) {
        const long long count = Uniform(-5, 200);
        if (k % 2 == 0 && count >= 0) c.Add(name, static_cast<int>(count), "", x);
        else c.Add(name, -9, std::to_string(count), x);
      } else if (k % 3 == 0) {
        c.Add(name, static_cast<int>(Uniform(0, 0x7FFFFFFF)), "", x);
      } else {
        c.Add(name, -9, value(), k % 5 == 0 ? "0x" + std::string("FEDCBA9876543210").substr(0, static_cast<std::size_t>(Uniform(1, 16))) : x);
      }
    }
  }
  c.Check(Dir("macro_fn_number_bits"));
}

TEST_F(NumberOracle, ColumnLettersMatchOpenpyxl) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  for (int n = 1; n <= 18278; ++n) c.Add("TNR", 0, "", n % 50 == 0 ? "\"" + std::to_string(n) + "\"" : std::to_string(n));
  for (int n : {0, -1, -27, 18279, 18280, 20000, 1000000}) c.Add("TNR", 0, "", std::to_string(n));
  c.Check(Dir("macro_fn_number_tnr"));
}

TEST_F(NumberOracle, CharacterCodesMatchCp932) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  for (int u = 0; u <= 0xFFFF; ++u) c.Add("TNU", 0, "", std::to_string(u));
  for (int u : {-1, 65536, 1114111}) c.Add("TNU", 0, "", std::to_string(u));
  for (int k = 0; k < 3000; ++k) c.Add("TNA", 0, "", std::to_string(Uniform(-10, 0x10100)));
  c.Check(Dir("macro_fn_number_codes"));
  // Nearly every code point of the code page is compared.
  EXPECT_GT(c.compared(), 7000u);
}

TEST_F(NumberOracle, IntegerFunctionsMatchPython) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  for (int k = 0; k < 1500; ++k) {
    const std::string x = Decorate(Number(static_cast<int>(Uniform(1, 22)), static_cast<int>(Uniform(0, 3)), false));
    switch (k % 5) {
      case 0: c.Add("RM", static_cast<int>(k % 10 == 0 ? 0 : Uniform(1, 100000)), "", x); break;
      case 1: c.Add("ABS", 0, "", x); break;
      case 2: c.Add("SGN", 0, "", k % 3 == 0 ? "-0.00" + Digits(2) : x); break;
      case 3: c.Add("TNX", static_cast<int>(Uniform(0, 1)), "", k % 4 == 0 ? "0x" + Digits(6) : x); break;
      default: c.Add("TXN", 0, "", (k % 2 ? "0x" : "") + std::string("0123456789abcdefABCDEF").substr(static_cast<std::size_t>(Uniform(0, 21)))); break;
    }
  }
  c.Check(Dir("macro_fn_number_int"));
}

TEST_F(NumberOracle, NumberFormatsMatchPythonsDecimal) {
  REQUIRE_TOOLS("/usr/bin/python3");
  Cases c(*st);
  const char* const names[] = {"MUL", "DIV", "AP", "FP", "RDU", "RDD", "RDM", "RZU", "RZD", "RZM"};
  for (const char* name : names) {
    for (int k = 0; k < 300; ++k) {
      std::string field;
      switch (k % 6) {
        case 0: field = Number(static_cast<int>(Uniform(1, 6)), static_cast<int>(Uniform(0, 6)), false); break;
        case 1: field = Number(static_cast<int>(Uniform(15, 40)), static_cast<int>(Uniform(0, 30)), false); break;
        case 2: field = (rng() % 2 ? "-" : "") + std::string("0.") + Digits(static_cast<int>(Uniform(1, 8))); break;
        case 3: field = std::to_string(Uniform(-99999, 99999)) + "." + std::string(static_cast<std::size_t>(Uniform(0, 3)), '5'); break;
        case 4: field = k % 4 == 0 ? "abc" : k % 4 == 1 ? "1.2.3" : k % 4 == 2 ? "" : "\"-\""; break;
        default: field = std::to_string(Uniform(0, 999)) + "." + Digits(static_cast<int>(Uniform(1, 4))); break;
      }
      const std::string n = name;
      const int param = n == "MUL" || n == "DIV" ? static_cast<int>(k % 20 == 0 ? 0 : Uniform(1, 100000))
                                                  : static_cast<int>(Uniform(0, 12));
      c.Add(n, param, "", Decorate(field));
    }
  }
  c.Check(Dir("macro_fn_number_formats"));
}

}  // namespace
