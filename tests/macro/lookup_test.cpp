// The lookup data file: the "$$" index, loading from the three places, the
// question when no file opens, the refused marked form and the 2 GB bound,
// and the LD functions over a loaded file (against a Python dictionary of
// the same lines).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_lookup.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "fake_run_host.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint32_t> Index(const std::string& data) {
  std::vector<std::uint32_t> index(macro::kLookupKeys, 7);
  macro::MacroIndexLookupData(data.data(), static_cast<std::uint32_t>(data.size()), index.data());
  return index;
}

TEST(LookupIndex, KeysOfSortedLines) {
  const std::string data = "$$head\r\nAB,1\r\nAB,2\r\nAC,3\nBa,4\r!!,5\r\nCz,6";
  const auto index = Index(data);
  EXPECT_EQ(0x414u, macro::MacroLookupKey('A', 'B'));
  EXPECT_EQ(data.find("AB,1"), index[0x414]);  // the first of two lines
  EXPECT_EQ(macro::MacroLookupKey('A', 'C'), 0x414u);  // 'C' >> 4 is 4 as well: one key
  EXPECT_EQ(data.find("Ba,4"), index[macro::MacroLookupKey('B', 'a')]);
  EXPECT_EQ(0u, index[macro::MacroLookupKey('!', '!')]);  // below 514 (and falling)
  EXPECT_EQ(data.find("Cz,6"), index[macro::MacroLookupKey('C', 'z')]);
  int used = 0;
  for (auto v : index) used += v != 0;
  EXPECT_EQ(3, used);
}

TEST(LookupIndex, AFileWithoutTheMarkHasNoIndex) {
  for (auto v : Index("AB,1\r\nAC,2\r\n")) EXPECT_EQ(0u, v);
  for (auto v : Index("$")) EXPECT_EQ(0u, v);
  for (auto v : Index("$$\r\nA")) EXPECT_EQ(0u, v);  // a last line of one byte has no key
}

TEST(LookupIndex, FallingKeysAreLeftOut) {
  const std::string data = "$$\nBB,1\nAB,2\nCC,3\n";
  const auto index = Index(data);
  EXPECT_EQ(data.find("BB,1"), index[macro::MacroLookupKey('B', 'B')]);
  EXPECT_EQ(0u, index[macro::MacroLookupKey('A', 'B')]);
  EXPECT_EQ(data.find("CC,3"), index[macro::MacroLookupKey('C', 'C')]);
}

class LookupFile : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::FakeRunHost host;
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_lookup_test";
  void SetUp() override { fs::create_directories(dir); }
  std::string Write(const std::string& name, const std::string& data) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary) << data;
    return p.string();
  }
};

TEST_F(LookupFile, LoadsAndIndexes) {
  const std::string path = Write("a.txt", "$$\r\nAB,x\r\n");
  EXPECT_EQ(macro::Outcome::kNext, macro::MacroLoadLookupFile(*st, host, CString(path), CString()));
  EXPECT_EQ(10u, st->m_nMacroLookupLen);
  EXPECT_EQ(4u, st->m_aMacroLookupIndex[0x414]);
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(LookupFile, FoundInTheRunsFolderByItsFilePart) {
  Write("b.txt", "AB,x");
  EXPECT_EQ(macro::Outcome::kNext,
            macro::MacroLoadLookupFile(*st, host, CString("C:\\nowhere\\b.txt"), CString(dir.string())));
  EXPECT_EQ(4u, st->m_nMacroLookupLen);
}

TEST_F(LookupFile, AMissingFileAsksAndTheAnswerDecides) {
  struct Answering : macrotest::FakeRunHost {
    int answer = 1;
    int ReportMessage(int code, const CString& text) override {
      reports.push_back(std::to_string(code) + ":" + text.GetString());
      return answer;
    }
  } asking;
  st->m_nCmdLineNo = 7;
  EXPECT_EQ(macro::Outcome::kNext, macro::MacroLoadLookupFile(*st, asking, CString("zz.txt"), CString()));
  ASSERT_EQ(1u, asking.reports.size());
  EXPECT_NE(std::string::npos, asking.reports[0].find("3:")) << asking.reports[0];
  EXPECT_NE(std::string::npos, asking.reports[0].find("\nfile = zz.txt\n  cmnd = 7")) << asking.reports[0];
  asking.answer = 9;  // silenced ("nodisp")
  EXPECT_EQ(macro::Outcome::kNext, macro::MacroLoadLookupFile(*st, asking, CString("zz.txt"), CString()));
  asking.answer = 2;  // Cancel
  EXPECT_EQ(macro::Outcome::kErrorExit, macro::MacroLoadLookupFile(*st, asking, CString("zz.txt"), CString()));
  EXPECT_EQ(0u, st->m_nMacroLookupLen);
}

TEST_F(LookupFile, AMarkedFormIsNotReadAsPlainText) {
  const std::string path = Write("c.+txt", "AB,x");
  EXPECT_EQ(macro::Outcome::kNext, macro::MacroLoadLookupFile(*st, host, CString(path), CString()));
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_NE(std::string::npos, host.reports[0].find("c.+txt??")) << host.reports[0];
  EXPECT_EQ(0u, st->m_nMacroLookupLen);
}

// A marked data file is read from the plain copy the document restores; a
// failed restore leaves the "??" name that opens nothing.
TEST_F(LookupFile, AMarkedFormIsReadFromItsRestoredCopy) {
  struct Restoring : macrotest::FakeRunHost {
    std::string plainPath;
    int result = 0;
    std::vector<std::string> asked;
    int RestoreSourceForm(const CString& path, CString* plain) override {
      asked.push_back(path.GetString());
      if (result != -2) *plain = CString(plainPath.c_str());
      return result;
    }
  } restoring;
  restoring.plainPath = Write("plain_copy.txt", "$$\r\nAB,x\r\n");
  Write("d.+txt", "not the plain text");
  // Found in the run's folder by its file part, as a plain name would be.
  EXPECT_EQ(macro::Outcome::kNext,
            macro::MacroLoadLookupFile(*st, restoring, CString("C:\\nowhere\\d.+txt"), CString(dir.string())));
  ASSERT_EQ(1u, restoring.asked.size());
  EXPECT_EQ(dir.string() + "\\d.+txt", restoring.asked[0]);
  EXPECT_EQ(10u, st->m_nMacroLookupLen);
  EXPECT_EQ(4u, st->m_aMacroLookupIndex[0x414]);
  EXPECT_TRUE(restoring.reports.empty());
  restoring.result = -2;
  EXPECT_EQ(macro::Outcome::kNext, macro::MacroLoadLookupFile(*st, restoring, CString("d.+txt"), CString()));
  ASSERT_EQ(1u, restoring.reports.size());
  EXPECT_NE(std::string::npos, restoring.reports[0].find("d.+txt??")) << restoring.reports[0];
}

// Faults built soundly: a file over 2 GB is refused with code 115 (its
// length + 1,000 does not fit the 32-bit buffer size).
TEST_F(LookupFile, AFileOverTwoGigabytesIsRefused) {
  const fs::path p = dir / "big.bin";
  { std::ofstream(p, std::ios::binary) << "x"; }
  std::error_code ec;
  fs::resize_file(p, 0x80000000ull + 10, ec);  // sparse
  if (ec) GTEST_SKIP() << "no sparse file here";
  EXPECT_EQ(macro::Outcome::kErrorExit, macro::MacroLoadLookupFile(*st, host, CString(p.string()), CString()));
  fs::remove(p);
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ("115:", host.reports[0]);
  EXPECT_EQ(0u, st->m_nMacroLookupLen);
}

TEST_F(LookupFile, TheLdFunctionsAgreeWithAPythonDictionary) {
  REQUIRE_TOOLS("python3");
  std::mt19937 rng(134);
  // Sorted keys of two or more letters, some repeated, some below 514.
  std::vector<std::string> keys;
  for (int k = 0; k < 300; ++k) {
    std::string key;
    const int len = 2 + static_cast<int>(rng() % 4);
    for (int c = 0; c < len; ++c) key += static_cast<char>('A' + rng() % 26);
    keys.push_back(key);
    if (k % 7 == 0) keys.push_back(key);
  }
  std::sort(keys.begin(), keys.end());
  std::string data = "$$ key,a,b\r\n";
  for (std::size_t k = 0; k < keys.size(); ++k)
    data += keys[k] + "," + std::to_string(k) + "," + std::to_string(rng() % 1000) + "\r\n";
  const std::string path = Write("dict.txt", data);
  ASSERT_EQ(macro::Outcome::kNext, macro::MacroLoadLookupFile(*st, host, CString(path), CString()));
  macrotest::FakeRunHost h2;
  macro::CmdFuncScope scope{*st};
  scope.host = &h2;
  std::string cases, got;
  std::vector<std::string> probes = keys;
  probes.push_back("ZZZZZZ");
  probes.push_back("Q");
  for (const std::string& key : probes) {
    for (const char* f : {"LD", "LD3", "LDT", "LDC", "LDN"}) {
      st->m_strMacroVars[187] = CString(key);
      ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 187, CString(std::string("#") + f)));
      got += st->m_strMacroVars[187].Str() + "\n";
      cases += std::string(f) + "\t" + key + "\n";
    }
  }
  const std::string script =
      "import sys\n"
      "lines = open(sys.argv[1], newline='').read().split('\\r\\n')\n"
      "d = {}\n"
      "for n, l in enumerate(lines[1:], 2):\n"
      "    if not l: continue\n"
      "    f = l.split(',')\n"
      "    e = d.setdefault(f[0], [n, f, l.partition(',')[2], 0])\n"
      "    e[3] += 1\n"
      "for c in sys.stdin:\n"
      "    fn, key = c.rstrip('\\n').split('\\t')\n"
      "    e = d.get(key)\n"
      "    if fn == 'LDC': print(e[3] if e else 0)\n"
      "    elif fn == 'LDN': print(e[0] if e else 0)\n"
      "    elif not e: print('')\n"
      "    elif fn == 'LDT': print(e[2])\n"
      "    else: print(e[1][(3 if fn == 'LD3' else 2) - 1])\n";
  { std::ofstream(dir / "ld.py") << script; }
  { std::ofstream(dir / "cases.txt") << cases; }
  const std::string cmd = "python3 '" + (dir / "ld.py").string() + "' '" + path + "' < '" +
                          (dir / "cases.txt").string() + "' > '" + (dir / "want.txt").string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str()));
  std::ifstream in(dir / "want.txt");
  std::stringstream want;
  want << in.rdbuf();
  EXPECT_EQ(want.str(), got);
}

}  // namespace
