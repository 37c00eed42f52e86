// Listings of archives made at test time by zip, Python's zipfile and jlha
// (make_archives.sh), checked against what zipinfo and lhasa report for the
// same files: every member's sizes, dates and names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "convert/archive_listing.h"
#include "convert/load_buffer.h"
#include "convert/source_file.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeArchives() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "convert_archives" / info->name();
  std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/convert/make_archives.sh' '" + dir.string() + "'";
  EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
  return dir;
}

std::string List(const fs::path& path, bool lzh) {
  auto file = convert::OpenSourceFile(path.string().c_str());
  EXPECT_TRUE(file) << path;
  if (!file) return "";
  convert::LoadBuffer out;
  if (lzh) {
    convert::ListLzhArchive(*file, 1 << 20, out);
  } else {
    convert::ListZipArchive(*file, 1 << 20, out);
  }
  return std::string(out.Data(), out.Size());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

long long Number(std::string text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits.empty() ? -1 : std::stoll(digits);
}

struct Member {
  long long compressed, original;
  std::string stamp;  // "mm/dd'yy hh:mm"
  std::string name;
};

// Member lines of our ZIP listing, by their fixed columns.
std::vector<Member> OurZipMembers(const std::string& listing) {
  std::vector<Member> members;
  std::vector<std::string> lines = Lines(listing);
  for (std::size_t i = 3; i + 2 < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.size() < 16 + 13 + 10 + 17) continue;
    members.push_back({Number(l.substr(0, 16)), Number(l.substr(16, 13)), l.substr(39, 14), l.substr(56)});
  }
  return members;
}

// zipinfo -l -T: perms, version, system, size, type, compressed, method,
// yyyymmdd.hhmmss, name. Dates past 2037 show as the start of 1970.
std::vector<Member> ZipinfoMembers(const fs::path& path) {
  std::vector<Member> members;
  for (const std::string& line : Lines(testsupport::ReadFileBytes(path))) {
    std::istringstream in(line);
    std::string perms, version, system, size, type, compressed, method, stamp, name;
    if (!(in >> perms >> version >> system >> size >> type >> compressed >> method >> stamp >> name)) continue;
    if (stamp.size() != 15 || stamp[8] != '.') continue;
    int year = std::stoi(stamp.substr(0, 4));
    std::string shown = year > 2037 ? "01/01'70 09:00"
                                    : stamp.substr(4, 2) + "/" + stamp.substr(6, 2) + "'" + stamp.substr(2, 2) + " " +
                                          stamp.substr(9, 2) + ":" + stamp.substr(11, 2);
    members.push_back({std::stoll(compressed), std::stoll(size), shown, name});
  }
  return members;
}

TEST(ListingOracle, ZipArchivesAgreeWithZipinfo) {
  REQUIRE_TOOLS("zip", "zipinfo", "python3", "jlha", "lhasa");
  fs::path dir = MakeArchives();
  for (const char* name : {"deflated", "stored", "sizes", "spanned", "stream", "empty", "dates", "one"}) {
    std::string listing = List(dir / (std::string(name) + ".zip"), false);
    std::vector<Member> ours = OurZipMembers(listing);
    std::vector<Member> theirs = ZipinfoMembers(dir / (std::string(name) + ".zipinfo"));
    ASSERT_EQ(theirs.size(), ours.size()) << name << "\n" << listing;
    long long sumCompressed = 0, sumOriginal = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
      EXPECT_EQ(theirs[i].compressed, ours[i].compressed) << name << " " << theirs[i].name;
      EXPECT_EQ(theirs[i].original, ours[i].original) << name << " " << theirs[i].name;
      EXPECT_EQ(theirs[i].stamp, ours[i].stamp) << name << " " << theirs[i].name;
      EXPECT_EQ(theirs[i].name, ours[i].name) << name;
      sumCompressed += theirs[i].compressed;
      sumOriginal += theirs[i].original;
    }
    std::vector<std::string> lines = Lines(listing);
    ASSERT_FALSE(lines.empty());
    const std::string& totals = lines.back();
    EXPECT_EQ(sumCompressed, Number(totals.substr(0, 16))) << name;
    EXPECT_EQ(sumOriginal, Number(totals.substr(16, 13))) << name;
    EXPECT_NE(std::string::npos, totals.find(" " + std::to_string(ours.size()) + " files Total")) << name;
  }
}

TEST(ListingOracle, ZipSpecialCases) {
  REQUIRE_TOOLS("zip", "zipinfo", "python3", "jlha", "lhasa");
  fs::path dir = MakeArchives();
  // A one-byte member deflated to three bytes: ratio 300, shown as 44.
  EXPECT_NE(std::string::npos, List(dir / "one.zip", false).find("    44%   "));
  EXPECT_NE(std::string::npos, List(dir / "empty.zip", false).find("     0%                    0 files Total"));
  std::string sizes = List(dir / "sizes.zip", false);
  EXPECT_NE(std::string::npos, sizes.find("         1000         1000   100%")) << sizes;
  EXPECT_NE(std::string::npos, sizes.find("     1000,000     1000,000   100%")) << sizes;
  EXPECT_NE(std::string::npos, sizes.find("    1,000,001    1,000,001   100%")) << sizes;
}

// lhasa v: "[generic]", packed, size, ratio, method, CRC, stamp, name.
TEST(ListingOracle, LzhArchivesAgreeWithLhasa) {
  REQUIRE_TOOLS("zip", "zipinfo", "python3", "jlha", "lhasa");
  fs::path dir = MakeArchives();
  for (int level = 0; level <= 2; ++level) {
    std::string base = "level" + std::to_string(level);
    std::string listing = List(dir / (base + ".lzh"), true);
    std::vector<std::pair<long long, long long>> theirs;
    for (const std::string& line : Lines(testsupport::ReadFileBytes(dir / (base + ".lhasa")))) {
      std::istringstream in(line);
      std::string tag, packed, size;
      if (in >> tag >> packed >> size && tag == "[generic]") theirs.emplace_back(std::stoll(packed), std::stoll(size));
    }
    std::vector<std::pair<long long, long long>> ours;
    std::vector<std::string> lines = Lines(listing);
    for (std::size_t i = 3; i + 2 < lines.size(); ++i) {
      std::istringstream in(lines[i]);
      long long packed = 0, size = 0;
      if (in >> packed >> size) ours.emplace_back(packed, size);
    }
    EXPECT_EQ(theirs, ours) << base << "\n" << listing;
    ASSERT_EQ(3u, theirs.size()) << base;
    EXPECT_NE(std::string::npos, lines.back().find("3 files Total")) << listing;
    if (level == 2) {
      // The member in a folder: its name, blanks to column 22, " / ", the folder.
      EXPECT_NE(std::string::npos, listing.find("\t\ta.txt                  / sub\\\r\n")) << listing;
    }
  }
}

}  // namespace
