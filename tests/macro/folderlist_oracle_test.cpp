// The macro's folder listing against what Python's os.scandir and os.stat
// say of the same folder (tests/macro/folder_listing_reference.py): names,
// extensions, sizes or "+", local times, the folder column and the
// descent into sub-folders; the buffer end and the working folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "macro/macro_folderlist.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string Cwd() { return fs::current_path().string(); }

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f << bytes;
}

class FolderList : public ::testing::Test {
 protected:
  testsupport::TempProgramFolder tmp;
  fs::path root;

  void SetUp() override {
    root = fs::path(tmp.Path()) / "list";
    fs::create_directories(root / "sub" / "deep");
    Write(root / "a.txt", "12345");
    Write(root / "README", "read me\n");
    Write(root / "sub" / "b.csv", "x,y\r\n");
    Write(root / "sub" / "c", "");
    Write(root / "sub" / "deep" / "d.dat", std::string(1234, 'd'));
  }

  // The rows of a listing (header left out), fields joined by TAB, sorted.
  static std::vector<std::string> Rows(const std::string& text, std::string* header) {
    std::vector<std::string> rows;
    std::size_t p = 0;
    bool first = true;
    while (p <= text.size()) {
      std::size_t e = text.find("\r\n", p);
      if (e == std::string::npos) e = text.size();
      std::string row = text.substr(p, e - p);
      std::replace(row.begin(), row.end(), '\x06', '\t');
      if (first) {
        *header = row;
        first = false;
      } else {
        rows.push_back(row);
      }
      if (e == text.size()) break;
      p = e + 2;
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  // Written into the test's own folder (beside the listed one), so that
  // tests running at once never share the file.
  std::vector<std::string> Reference(const std::string& folder, int mode, const std::string& shown) const {
    const std::string out = (fs::path(tmp.Path()) / "reference.txt").string();
    const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/folder_listing_reference.py' '" + folder +
                            "' " + std::to_string(mode) + " '" + shown + "' '" + out + "'";
    EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
    std::ifstream f(out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(f, line);) rows.push_back(line);
    return rows;
  }
};

TEST_F(FolderList, EachModeListsWhatPythonSeesOfTheFolder) {
  REQUIRE_TOOLS("python3");
  const std::string cwd = Cwd();
  for (int mode : {0, 1, 2, 3}) {
    SCOPED_TRACE(mode);
    std::vector<char> buf(20000, 'Z');
    int limit = static_cast<int>(buf.size()), pos = 0;
    const int n = macro::ListFolderForMacro(CString(root.string()), buf.data(), &limit, &pos, mode);
    ASSERT_GE(pos, 0);
    ASSERT_EQ('\0', buf[pos]);
    ASSERT_EQ('\0', buf[pos + 1]);
    std::string header;
    const std::vector<std::string> got = Rows(std::string(buf.data(), pos), &header);
    EXPECT_EQ(mode > 1 ? "name\text\tvol\tdate\tdir" : "name\text\tvol\tdate", header);
    const std::vector<std::string> want = Reference(root.string(), mode, root.string());
    EXPECT_EQ(want, got);
    EXPECT_EQ(static_cast<int>(want.size()), n);
  }
  EXPECT_EQ(cwd, Cwd());
}

TEST_F(FolderList, RelativeAndEmptyFoldersAreTakenFromTheWorkingFolder) {
  REQUIRE_TOOLS("python3");
  const std::string cwd = Cwd();
  ASSERT_EQ(0, ::chdir(tmp.Path().c_str()));
  const std::string here = Cwd();
  for (const char* arg : {"list", ""}) {
    SCOPED_TRACE(arg);
    if (*arg == '\0') ASSERT_EQ(0, ::chdir(root.string().c_str()));
    std::vector<char> buf(20000);
    int limit = static_cast<int>(buf.size()), pos = 0;
    const int n = macro::ListFolderForMacro(CString(arg), buf.data(), &limit, &pos, 2);
    std::string header;
    const std::vector<std::string> want = Reference(root.string(), 2, arg);
    EXPECT_EQ(want, Rows(std::string(buf.data(), pos), &header));
    EXPECT_EQ(static_cast<int>(want.size()), n);
    EXPECT_EQ(*arg == '\0' ? root.string() : here, Cwd());  // never changed by the listing
  }
  ASSERT_EQ(0, ::chdir(cwd.c_str()));
}

TEST_F(FolderList, ASecondCallAppendsWithoutAHeader) {
  std::vector<char> buf(20000);
  int limit = static_cast<int>(buf.size()), pos = 0;
  const int first = macro::ListFolderForMacro(CString(root.string()), buf.data(), &limit, &pos, 1);
  const int mid = pos;
  const int second = macro::ListFolderForMacro(CString((root / "sub").string()), buf.data(), &limit, &pos, 1);
  EXPECT_EQ(2, first);
  EXPECT_EQ(2, second);
  const std::string text(buf.data(), pos);
  EXPECT_EQ(0u, text.find("name"));
  EXPECT_EQ(std::string::npos, text.find("name", 1));
  EXPECT_EQ("\r\n", text.substr(mid, 2));
  EXPECT_EQ('\0', buf[pos]);
}

TEST_F(FolderList, ALimitWithLessRoomThanOneRowStopsBeforeIt) {
  // Find where the header ends, then leave room for less than the first row
  // and its two NUL bytes.
  std::vector<char> probe(20000);
  int limit = static_cast<int>(probe.size()), pos = 0;
  macro::ListFolderForMacro(CString((root / "sub" / "deep").string()), probe.data(), &limit, &pos, 1);
  const std::string text(probe.data(), pos);
  const int header = static_cast<int>(text.find("\r\n"));
  const int rowEnd = pos;  // one file: header and one row
  for (int room : {rowEnd + 1, rowEnd + 2}) {
    SCOPED_TRACE(room);
    std::vector<char> buf(room + 16, 'Z');
    int lim = room, p = 0;
    const int n = macro::ListFolderForMacro(CString((root / "sub" / "deep").string()), buf.data(), &lim, &p, 1);
    if (room < rowEnd + 2) {
      EXPECT_EQ(0, n);
      EXPECT_EQ(header, p);
    } else {
      EXPECT_EQ(1, n);
      EXPECT_EQ(rowEnd, p);
    }
    EXPECT_EQ('\0', buf[p]);
    EXPECT_EQ('\0', buf[p + 1]);
    for (int k = room; k < room + 16; ++k) EXPECT_EQ('Z', buf[k]) << k;  // nothing past the limit
  }
  // Room for not even the header: nothing but the NUL bytes.
  std::vector<char> tiny(8, 'Z');
  int lim = 5, p = 0;
  EXPECT_EQ(0, macro::ListFolderForMacro(CString(root.string()), tiny.data(), &lim, &p, 3));
  EXPECT_EQ(0, p);
  EXPECT_EQ(std::string("\0\0ZZZZZZ", 8), std::string(tiny.data(), 8));
}

TEST_F(FolderList, AMissingFolderGivesMinusTwoAndWritesNothing) {
  std::vector<char> buf(64, 'Z');
  int limit = 64, pos = 0;
  EXPECT_EQ(-2, macro::ListFolderForMacro(CString((root / "none").string()), buf.data(), &limit, &pos, 0));
  EXPECT_EQ(0, pos);
  EXPECT_EQ('Z', buf[0]);
}

}  // namespace
