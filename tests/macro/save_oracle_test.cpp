// "save" against Python's csv module (cp932): CSV files written by Python
// (tests/macro/save_reference.py: commas, doubled quotes, line breaks inside
// cells, Shift-JIS with 0x5C second bytes) are loaded as the program loads
// them and saved by the statement - the bytes must come back unchanged -
// and tables edited into fields holding commas are saved and read back by
// csv.reader to the same cells.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "macro/macro_state.h"
#include "run_fixture.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/macro/save_reference.py";

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class SaveOracle : public macrotest::RunFixture<> {
 protected:
  SaveOracle() : RunFixture(33) {}
  int Save(const fs::path& dir, const std::string& name) {
    SetDocumentText("\tsave\t" + name + "\r\n");
    fileKind = 33;
    return macro::RunMacro(rc, macro::kRunDocument, CString((dir / "a.rmc").string().c_str()), "",
                           CString(dir.string().c_str()));
  }
};

TEST_F(SaveOracle, SavedTablesReadBackToTheSameCells) {
  if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "outside tool missing: /usr/bin/python3";
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_save_oracle";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const int count = 300;
  const std::string gen =
      "/usr/bin/python3 '" + kScript + "' gen 7043 " + std::to_string(count) + " '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(gen.c_str())) << gen;
  for (int k = 0; k < count; ++k) {
    const std::string id = std::to_string(k);
    const std::string csv = ReadAll(dir / ("case_" + id + ".csv"));
    ASSERT_TRUE(table.LoadFileText(csv.data(), csv.size(), 100));
    Save(dir, "saved_" + id + ".csv");
    ASSERT_TRUE(host.reports.empty()) << host.reports[0];
    ASSERT_EQ(csv, ReadAll(dir / ("saved_" + id + ".csv"))) << "case " << k;  // byte for byte

    const std::string edit = ReadAll(dir / ("edit_" + id + ".bin"));
    ASSERT_TRUE(table.Assign(edit.data(), edit.size(), 100));
    Save(dir, "edited_" + id + ".csv");
  }
  const std::string check = "/usr/bin/python3 '" + kScript + "' check " + std::to_string(count) + " '" +
                            dir.string() + "'";
  EXPECT_EQ(0, std::system(check.c_str())) << check;
}

}  // namespace
