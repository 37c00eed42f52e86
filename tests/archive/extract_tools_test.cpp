// The own extraction paths against outside tools: archives made by zip,
// 7-Zip, Python's zipfile and jlha extract to the same trees as "unzip -o"
// and lhasa make of them (contents, folders, empty folders, file times under
// TZ=UTC); refused methods, encryption and ZIP64 stop with their code after
// the members before them. Every case checks that nothing appears beside the
// destination. The archives are made at test time by make_fixtures.sh.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "archive/arc_crc.h"
#include "archive/lzh_extract.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "archive/lzh_writer.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace arc {
namespace {

fs::path Make(const std::string& what) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "archive_fixtures" / info->name();
  fs::remove_all(dir);
  std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/archive/make_fixtures.sh' '" + dir.string() + "' " + what;
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return dir;
}

// relative path -> contents ("<dir>" for folders) and modification time of files.
std::map<std::string, std::string> Tree(const fs::path& root, std::map<std::string, time_t>* times = nullptr) {
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = fs::relative(e.path(), root).string();
    if (e.is_directory()) {
      out[rel] = "<dir>";
    } else {
      std::string bytes = testsupport::ReadFileBytes(e.path());
      out[rel] = std::to_string(bytes.size()) + ":" +
                 std::to_string(Crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
      struct stat st;
      if (times && ::stat(e.path().c_str(), &st) == 0) (*times)[rel] = st.st_mtime;
    }
  }
  return out;
}

class ExtractTools : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  ArcOutcome Unzip(const fs::path& zip, const fs::path& dest) {
    fs::create_directories(dest);
    ArcState st;
    DiskTarget t(dest.string());
    return UnzipOwn(st, zip.string(), 0, 0, nullptr, false, t);
  }
};

TEST_F(ExtractTools, OutsideZipArchivesGiveUnzipsTree) {
  REQUIRE_TOOLS("zip", "unzip", "7z", "python3");
  fs::path dir = Make("zip");
  // zip stores the UTF-8 name without flag bit 11, and its bytes happen to be
  // valid Shift-JIS: that name is taken as Shift-JIS (the rule for names
  // without the flag), so it is left out of the comparison for zip's archives.
  const std::string japanese = "d1/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\xE8\xA1\xA8.txt";
  for (const char* name : {"z0", "z1", "z9", "sevenzip", "pystored", "pydeflated", "pystream0", "pystream8",
                           "empty", "comment", "stdin", "pk00"}) {
    SCOPED_TRACE(name);
    fs::path zip = dir / (std::string(name) + ".zip");
    fs::path out = dir / "ours" / name;
    std::set<std::string> outside;
    for (auto& e : fs::directory_iterator(dir)) outside.insert(e.path().filename().string());
    ArcOutcome r = Unzip(zip, out);
    EXPECT_EQ(r.result, 0) << r.Title();
    std::map<std::string, time_t> tRef, tOurs;
    auto ref = Tree(dir / (std::string(name) + ".zip.ref"), &tRef);
    auto ours = Tree(out, &tOurs);
    bool rawNames = std::string(name).compare(0, 1, "z") == 0 || std::string(name) == "stdin" ||
                    std::string(name) == "pk00";
    if (rawNames) {
      ref.erase(japanese);
      for (auto it = ours.begin(); it != ours.end();)
        it = it->first.compare(0, 3, "d1/") == 0 && it->first.size() > 3 &&
                     static_cast<unsigned char>(it->first[3]) >= 0x80
                 ? ours.erase(it)
                 : std::next(it);
    }
    EXPECT_EQ(ours, ref);
    for (auto& [k, v] : tRef)
      if (tOurs.count(k)) EXPECT_LE(std::llabs(static_cast<long long>(tOurs[k] - v)), 1) << k;
    std::set<std::string> after;
    for (auto& e : fs::directory_iterator(dir)) after.insert(e.path().filename().string());
    after.erase("ours");
    outside.erase("ours");
    EXPECT_EQ(after, outside);
  }
}

TEST_F(ExtractTools, RefusedMethodsStopAfterTheMembersBefore) {
  REQUIRE_TOOLS("zip", "7z", "python3");
  fs::path dir = Make("refused");
  struct Case {
    const char* zip;
    const char* code;
    const char* first;  // a member that comes out before the refusal
    const char* detail;
  } cases[] = {
      {"bzip2", "075", "", "method 12"},     {"deflate64", "075", "", "method 9"},
      {"crypt", "076", "d1/b.txt", "encrypted"}, {"zip64", "077", "", "ZIP64"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zip);
    fs::path out = dir / "ours" / c.zip;
    ArcOutcome r = Unzip(dir / (std::string(c.zip) + ".zip"), out);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.code, c.code);
    EXPECT_NE(r.Title().find(c.detail), std::string::npos) << r.Title();
    if (*c.first) EXPECT_TRUE(fs::exists(out / c.first));
    EXPECT_FALSE(fs::exists(out / "a.txt"));
  }
}

// Python's force_zip64 member keeps its real sizes in the central record and
// in the local header's ZIP64 field: they fit 32 bits, so it extracts (as
// does "cat f | zip out.zip -", which writes the same form).
TEST_F(ExtractTools, Zip64FormsWithSmallValuesExtract) {
  REQUIRE_TOOLS("python3");
  fs::path dir = Make("refused");
  fs::path out = dir / "ours" / "pyzip64";
  ArcOutcome r = Unzip(dir / "pyzip64.zip", out);
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_EQ(testsupport::ReadFileBytes(out / "big.txt"), std::string(1000, 'x'));
  EXPECT_EQ(testsupport::ReadFileBytes(out / "first.txt"), "plain");
}

// 200 MiB of zeros (about 200 KB deflated): extracts exactly when the
// destination has room, and is refused before anything is written when the
// declared size passes the free space.
TEST_F(ExtractTools, ZerosOfTwoHundredMebibytes) {
  REQUIRE_TOOLS("python3");
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "archive_fixtures" / "zeros";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::path zip = dir / "zeros.zip";
  std::string cmd = "python3 -c \"import zipfile; z=zipfile.ZipFile('" + zip.string() +
                    "','w',zipfile.ZIP_DEFLATED); z.writestr('zeros.bin', bytes(200*1024*1024)); z.close()\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_LT(fs::file_size(zip), 300000u);
  ArcState st;
  MemoryTarget small(16);
  small.freeSpace = 100 * 1024 * 1024;
  ArcOutcome refused = UnzipOwn(st, zip.string(), 0, 0, nullptr, false, small);
  EXPECT_EQ(refused.code, "085");
  EXPECT_TRUE(small.files.empty());
  ArcOutcome r = Unzip(zip, dir / "out");
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_EQ(fs::file_size(dir / "out" / "zeros.bin"), 200u * 1024 * 1024);
  fs::remove_all(dir);
}

TEST_F(ExtractTools, HugeArchiveFileIsRefusedWithoutReading) {
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "archive_fixtures" / "huge";
  fs::create_directories(dir);
  fs::path big = dir / "huge.zip";
  {
    std::ofstream(big.string()).put('P');
  }
  fs::resize_file(big, (1ull << 31));  // sparse
  ArcOutcome r = Unzip(big, dir / "out");
  EXPECT_EQ(r.code, "078");
  EXPECT_EQ(r.result, -1);
  ArcState st;
  DiskTarget t((dir / "out").string());
  EXPECT_EQ(LzhExtractFile(big.string(), t, false, nullptr).code, "078");
  fs::remove(big);
}

TEST_F(ExtractTools, LzhArchivesGiveLhasasTree) {
  REQUIRE_TOOLS("lha", "lhasa", "python3");
  fs::path dir = Make("lzh");
  // lhasa splits the Shift-JIS name at its 0x5C trail bytes; it is compared
  // with the source file instead.
  const std::string japanese = "d1/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\xE8\xA1\xA8.txt";
  for (int level = 0; level <= 2; ++level) {
    SCOPED_TRACE(level);
    fs::path out = dir / "ours" / ("l" + std::to_string(level));
    fs::create_directories(out);
    DiskTarget t(out.string());
    std::string last;
    ArcOutcome r = LzhExtractFile((dir / ("l" + std::to_string(level) + ".lzh")).string(), t, false, &last);
    EXPECT_EQ(r.result, 0) << r.Title();
    auto ours = Tree(out);
    auto ref = Tree(dir / ("l" + std::to_string(level) + ".ref"));
    std::string src = testsupport::ReadFileBytes(dir / "src" / japanese);
    EXPECT_EQ(ours[japanese],
              std::to_string(src.size()) + ":" +
                  std::to_string(Crc32(reinterpret_cast<const uint8_t*>(src.data()), src.size())));
    ours.erase(japanese);
    // What lhasa made of that name is left out: only paths of the source tree.
    auto srcTree = Tree(dir / "src");
    for (auto it = ref.begin(); it != ref.end();) it = srcTree.count(it->first) ? std::next(it) : ref.erase(it);
    EXPECT_EQ(ours, ref);
    EXPECT_EQ(last, "d1");
  }
}

TEST_F(ExtractTools, WideWindowLzhOnlyForTheLibrary) {
  REQUIRE_TOOLS("lha", "lhasa", "python3");
  fs::path dir = Make("lzhwide");
  for (int m : {6, 7}) {
    SCOPED_TRACE(m);
    std::string base = "o" + std::to_string(m);
    fs::path out = dir / "ours" / base;
    fs::create_directories(out);
    DiskTarget t(out.string());
    ArcOutcome r = LzhExtractFile((dir / (base + ".lzh")).string(), t, true, nullptr);
    EXPECT_EQ(r.result, 0) << r.Title();
    auto ours = Tree(out);
    auto ref = Tree(dir / (base + ".ref"));
    for (auto* tr : {&ours, &ref})
      for (auto it = tr->begin(); it != tr->end();)
        it = it->first.find("d1/") == 0 && it->first.size() > 3 && static_cast<unsigned char>(it->first[3]) >= 0x80
                 ? tr->erase(it)
                 : std::next(it);
    EXPECT_EQ(ours, ref);
    // The own path without the library answers "083" and keeps nothing of it.
    fs::path own = dir / "own" / base;
    fs::create_directories(own);
    DiskTarget t2(own.string());
    ArcOutcome r2 = LzhExtractFile((dir / (base + ".lzh")).string(), t2, false, nullptr);
    EXPECT_EQ(r2.code, "083");
    EXPECT_EQ(r2.result, -1);
  }
}

// The own writer's archives pass unzip -t, 7z t and Python's testzip();
// zipinfo shows version made by 2.0 and the DOS attributes; they extract
// back to the source tree. A symbolic link to the parent folder ends the
// walk instead of looping.
TEST_F(ExtractTools, OwnArchivesPassOutsideTesters) {
  REQUIRE_TOOLS("zip", "unzip", "7z", "python3", "zipinfo");
  fs::path dir = Make("zip");
  fs::create_symlink("..", dir / "src" / "d1" / "loop");
  ArcState st;
  std::string cwd = fs::current_path().string();
  fs::current_path(dir);
  std::vector<WalkEntry> v = CollectEntries({"src"}, "");
  ArcOutcome r = WriteZip(st, "own.zip", v);
  fs::current_path(cwd);
  ASSERT_EQ(r.result, 0) << r.Title();
  std::string z = (dir / "own.zip").string();
  EXPECT_EQ(std::system(("unzip -tq '" + z + "' >/dev/null").c_str()), 0);
  EXPECT_EQ(std::system(("7z t '" + z + "' >/dev/null").c_str()), 0);
  EXPECT_EQ(std::system(("python3 -c \"import zipfile,sys; sys.exit(zipfile.ZipFile('" + z +
                         "').testzip() is not None)\"").c_str()),
            0);
  std::string info = (dir / "zipinfo.txt").string();
  std::system(("zipinfo -v '" + z + "' > '" + info + "'").c_str());
  std::string text = testsupport::ReadFileBytes(info);
  EXPECT_NE(text.find("version of encoding software:                   2.0"), std::string::npos);
  EXPECT_NE(text.find("MS-DOS file attributes"), std::string::npos);
  fs::remove(dir / "src" / "d1" / "loop");
  fs::path back = dir / "back";
  ArcOutcome x = Unzip(z, back);
  EXPECT_EQ(x.result, 0) << x.Title();
  auto src = Tree(dir / "src");
  auto ours = Tree(back / "src");
  // The Japanese name went through Shift-JIS and back.
  EXPECT_EQ(ours, src);
}

// LZH archives of the library stand-in's writer: lhasa and jlha test them,
// lhasa extracts the source tree from them, and "-lh5-" output stays within
// 5 % of jlha's on text.
TEST_F(ExtractTools, OwnLzhArchivesPassLhasaAndJlha) {
  REQUIRE_TOOLS("lha", "lhasa", "python3", "zip");
  fs::path dir = Make("zip");
  std::string cwd = fs::current_path().string();
  fs::current_path(dir);
  std::vector<WalkEntry> v = CollectEntries({"src"}, "");
  ArcOutcome r = WriteLzh("own.lzh", v);
  fs::current_path(cwd);
  ASSERT_EQ(r.result, 0) << r.Title();
  std::string z = (dir / "own.lzh").string();
  EXPECT_EQ(std::system(("lhasa t '" + z + "' >/dev/null 2>&1").c_str()), 0);
  std::string jl = (dir / "jlha.txt").string();
  std::system(("lha t '" + z + "' > '" + jl + "' 2>&1").c_str());
  EXPECT_EQ(testsupport::ReadFileBytes(jl).find("rror"), std::string::npos) << testsupport::ReadFileBytes(jl);
  fs::create_directories(dir / "lx");
  EXPECT_EQ(std::system(("cd '" + (dir / "lx").string() + "' && lhasa xq '" + z + "' >/dev/null 2>&1").c_str()), 0);
  auto src = Tree(dir / "src");
  auto back = Tree(dir / "lx" / "src");
  // lhasa splits the Shift-JIS name at its 0x5C bytes: compare the rest.
  for (auto* t : {&src, &back})
    for (auto it = t->begin(); it != t->end();)
      it = it->first.find("d1/") == 0 && it->first.size() > 3 && static_cast<unsigned char>(it->first[3]) >= 0x80
               ? t->erase(it)
               : std::next(it);
  for (auto it = back.begin(); it != back.end();) it = src.count(it->first) ? std::next(it) : back.erase(it);
  EXPECT_EQ(back, src);
  // Our own extraction gives the whole tree back, the Japanese name included.
  fs::path own = dir / "ownx";
  fs::create_directories(own);
  DiskTarget t(own.string());
  EXPECT_EQ(LzhExtractFile(z, t, false, nullptr).result, 0);
  EXPECT_EQ(Tree(own / "src"), Tree(dir / "src"));
  // Size against jlha on the text file.
  fs::path text = dir / "src" / "a.txt";
  std::string data = testsupport::ReadFileBytes(text);
  std::vector<uint8_t> ours = EncodeLh5(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  std::system(("cd '" + (dir / "src").string() + "' && lha aq ../j.lzh a.txt >/dev/null 2>&1").c_str());
  size_t jsize = fs::file_size(dir / "j.lzh");
  EXPECT_LE(static_cast<double>(ours.size()), jsize * 1.05) << ours.size() << " vs " << jsize;
}

}  // namespace
}  // namespace arc
