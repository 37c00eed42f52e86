// The own ZIP extraction path: checks of archives read from files (CRC,
// sizes, directory pairing, refusals before writing), names that try to
// leave the destination, memory mode, attributes, and UTF-8 names.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/arc_names.h"
#include "archive/zip_extract.h"
#include "support/scratch.h"
#include "zip_craft.h"

namespace arc {
namespace {

ArcOutcome Extract(const std::string& zip, MemoryTarget& t, bool checked = true, bool utf8 = false) {
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(zip.size());
  ZipExtractOptions o;
  o.checked = checked;
  o.utf8Names = utf8;
  return ZipExtractBlock(st, reinterpret_cast<const uint8_t*>(zip.data()), zip.size(), o, t);
}

CraftMember M(const std::string& name, const std::string& data, int method = 8) {
  CraftMember m;
  m.name = name;
  m.data = data;
  m.method = method;
  return m;
}

std::string Text(size_t n, char seed = 'a') {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>(seed + (i * 7 + i / 13) % 23);
  return s;
}

TEST(ZipExtract, StoredAndDeflatedWithFolders) {
  MemoryTarget t;
  std::string big = Text(70000);
  ArcOutcome r = Extract(CraftZip({M("a.txt", "hello"), M("d/", "", 0), M("d/e/b.bin", big, 0), M("c.txt", big)}), t);
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_EQ(t.files["a.txt"].head, "hello");
  EXPECT_EQ(t.files["d\\e\\b.bin"].head, big);
  EXPECT_EQ(t.files["c.txt"].head, big);
  EXPECT_TRUE(t.folders.count("d"));
  EXPECT_TRUE(t.folders.count("d\\e"));
}

TEST(ZipExtract, BadCrcIsWrittenThenReported) {
  for (int method : {0, 8}) {
    MemoryTarget t;
    CraftMember bad = M("b.txt", "payload", method);
    bad.crc = 0x12345678;
    ArcOutcome r = Extract(CraftZip({M("a.txt", "first"), bad, M("c.txt", "never")}), t);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.code, "027");
    EXPECT_EQ(t.files["b.txt"].head, "payload");  // kept as written
    EXPECT_TRUE(t.files.count("a.txt"));
    EXPECT_FALSE(t.files.count("c.txt"));
  }
}

TEST(ZipExtract, CrcZeroAndMemoryInputAreNotChecked) {
  CraftMember m = M("z.txt", "zero crc", 8);
  m.crc = 0;
  MemoryTarget t;
  EXPECT_EQ(Extract(CraftZip({m}), t).result, 0);
  EXPECT_EQ(t.files["z.txt"].head, "zero crc");
  CraftMember bad = M("b.txt", "payload", 0);
  bad.crc = 0x12345678;
  MemoryTarget t2;
  EXPECT_EQ(Extract(CraftZip({bad}), t2, false).result, 0);
}

TEST(ZipExtract, SizesThatLie) {
  {  // declared longer than the stream gives
    CraftMember m = M("a.txt", Text(300));
    m.usize = 400;
    MemoryTarget t;
    ArcOutcome r = Extract(CraftZip({m}), t);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.code, "073");
  }
  {  // declared shorter: output stops at the size
    CraftMember m = M("a.txt", Text(300));
    m.usize = 200;
    MemoryTarget t;
    ArcOutcome r = Extract(CraftZip({m}), t);
    EXPECT_EQ(r.result, -1);
    EXPECT_FALSE(r.code.empty());
    EXPECT_LE(t.files["a.txt"].length, 200);
  }
  {  // stored with different sizes
    CraftMember m = M("a.txt", Text(300), 0);
    m.usize = 200;
    MemoryTarget t;
    ArcOutcome r = Extract(CraftZip({m}), t);
    EXPECT_EQ(r.result, -1);
    EXPECT_LE(t.files["a.txt"].length, 200);
  }
  {  // compressed size larger than the stream used
    CraftMember m = M("a.txt", Text(300));
    std::vector<uint8_t> d = DeflateBytes(reinterpret_cast<const uint8_t*>(m.data.data()), m.data.size());
    m.csize = static_cast<int64_t>(d.size()) + 5;
    MemoryTarget t;
    std::string zip = CraftZip({m});
    // Room for the extra 5 bytes before the directory.
    ArcOutcome r = Extract(zip, t);
    EXPECT_EQ(r.result, -1);
    EXPECT_FALSE(r.code.empty());
  }
  {  // the same sizes with CRC 0: written as the header says, no code
    CraftMember m = M("a.txt", Text(300), 0);
    m.crc = 0;
    m.usize = 200;
    m.csize = 200;
    MemoryTarget t;
    EXPECT_EQ(Extract(CraftZip({m}), t).result, 0);
    EXPECT_EQ(t.files["a.txt"].length, 200);
  }
}

TEST(ZipExtract, LocalHeaderDisagreesWithDirectory) {
  CraftMember m = M("a.txt", "text");
  m.centralCrc = 0x1111;
  MemoryTarget t;
  ArcOutcome r = Extract(CraftZip({m}), t);
  EXPECT_EQ(r.code, "080");
  EXPECT_EQ(r.result, -1);
  CraftMember n = M("a.txt", "text");
  n.centralName = "b.txt";
  MemoryTarget t2;
  EXPECT_EQ(Extract(CraftZip({n}), t2).code, "080");
}

TEST(ZipExtract, MethodsAndEncryptionStopWithTheirCode) {
  for (int method : {12, 9, 99}) {
    CraftMember m = M("x.bin", "whatever", method);
    MemoryTarget t;
    ArcOutcome r = Extract(CraftZip({M("a.txt", "first"), m}), t);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.code, "075");
    EXPECT_EQ(r.Title().substr(0, 11 + std::to_string(method).size()), "075 method " + std::to_string(method));
    EXPECT_TRUE(t.files.count("a.txt"));
    EXPECT_FALSE(t.files.count("x.bin"));
  }
  CraftMember e = M("x.bin", "secret", 0);
  e.flags = 1;
  MemoryTarget t;
  ArcOutcome r = Extract(CraftZip({M("a.txt", "first"), e}), t);
  EXPECT_EQ(r.code, "076");
  EXPECT_FALSE(t.files.count("x.bin"));
}

TEST(ZipExtract, Zip64IsRefused) {
  // A central record that needs ZIP64: refused before anything is written.
  CraftMember big = M("b.txt", "text", 0);
  big.centralUsize = 0xFFFFFFFF;
  MemoryTarget t;
  EXPECT_EQ(Extract(CraftZip({M("first", "x"), big}), t).code, "077");
  EXPECT_TRUE(t.files.empty());
  // A local header with 0xFFFFFFFF and a ZIP64 field whose sizes need 64 bits.
  CraftMember local = M("c.txt", "text", 0);
  local.csize = local.usize = 0xFFFFFFFF;
  local.centralCsize = local.centralUsize = 4;
  local.extra = std::string("\x01\x00\x10\x00", 4);
  PutLe(local.extra, 0x100000000ull, 8);
  PutLe(local.extra, 4, 8);
  MemoryTarget t2;
  EXPECT_EQ(Extract(CraftZip({M("first", "x"), local}), t2).code, "077");
  EXPECT_FALSE(t2.files.count("c.txt"));
  // The same form with values that fit: the ZIP64 field's sizes are used.
  local.extra = std::string("\x01\x00\x10\x00", 4);
  PutLe(local.extra, 4, 8);
  PutLe(local.extra, 4, 8);
  MemoryTarget t3;
  ArcOutcome r = Extract(CraftZip({local}), t3);
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_EQ(t3.files["c.txt"].head, "text");
}

TEST(ZipExtract, OverlappingMembersAreRefusedBeforeWriting) {
  // Two central records naming the same local header.
  std::string zip = CraftZip({M("a.txt", Text(1000))});
  size_t cd = zip.find("PK\x01\x02");
  size_t end = zip.find("PK\x05\x06");
  std::string rec = zip.substr(cd, end - cd);
  std::string twice = zip.substr(0, cd) + rec + rec;
  std::string e = zip.substr(end);
  e[8] = e[10] = 2;
  PutLe(twice, 0, 0);
  std::string endRec = e.substr(0, 12);
  PutLe(endRec, rec.size() * 2, 4);
  PutLe(endRec, cd, 4);
  endRec += e.substr(20);
  MemoryTarget t;
  ArcOutcome r = Extract(twice + endRec, t);
  EXPECT_EQ(r.code, "084");
  EXPECT_TRUE(t.files.empty());
}

TEST(ZipExtract, DeclaredSizesAboveFreeSpace) {
  MemoryTarget t;
  t.freeSpace = 100;
  ArcOutcome r = Extract(CraftZip({M("a.txt", Text(60)), M("b.txt", Text(60))}), t);
  EXPECT_EQ(r.code, "085");
  EXPECT_TRUE(t.files.empty());
}

TEST(ZipExtract, DescriptorsWithAndWithoutSignatureAndAZipInside) {
  std::string inner = CraftZip({M("in.txt", "inner text", 0)});
  for (bool sig : {true, false}) {
    CraftMember a = M("inner.zip", inner, 0);
    a.descriptor = true;
    a.descriptorSig = sig;
    CraftMember b = M("b.txt", Text(5000));
    b.descriptor = true;
    b.descriptorSig = sig;
    MemoryTarget t;
    ArcOutcome r = Extract(CraftZip({a, b}), t);
    EXPECT_EQ(r.result, 0) << r.Title();
    EXPECT_EQ(t.files["inner.zip"].head, inner);
    EXPECT_EQ(t.files["b.txt"].head, Text(5000));
  }
}

TEST(ZipExtract, MissingDirectoryExtractsLocalHeadersThenReports) {
  CraftOptions o;
  o.directory = false;
  MemoryTarget t;
  ArcOutcome r = Extract(CraftZip({M("a.txt", "one"), M("b.txt", Text(900))}, o), t);
  EXPECT_EQ(r.code, "081");
  EXPECT_EQ(t.files["a.txt"].head, "one");
  EXPECT_EQ(t.files["b.txt"].head, Text(900));
}

TEST(ZipExtract, TruncatedArchives) {
  std::string zip = CraftZip({M("a.txt", "one"), M("b.txt", Text(9000))});
  size_t cd = zip.find("PK\x01\x02");
  for (size_t cut : {cd - 100, cd + 10, zip.size() - 3}) {
    MemoryTarget t;
    ArcOutcome r = Extract(zip.substr(0, cut), t);
    EXPECT_EQ(r.result, -1) << cut;
    EXPECT_FALSE(r.code.empty());
    EXPECT_EQ(t.files["a.txt"].head, "one");
    EXPECT_LE(t.files["b.txt"].length, 9000);
  }
}

TEST(ZipExtract, HostileNamesStayInside) {
  struct Case {
    const char* name;
    const char* path;  // nullptr: refused
  } cases[] = {
      {"../x", nullptr},        {"..\\x", nullptr},          {"a/../../x", nullptr},
      {"/abs", "abs"},          {"\\abs", "abs"},            {"C:\\x", "x"},
      {"C:x", "x"},             {"\\\\srv\\share\\x", "srv\\share\\x"},
      {"a:b", "b"},             {"ab:c", "ab_c"},           {"CON.txt", "_CON.txt"},     {"d/lpt1", "d\\_lpt1"},
      {"q?<>|\"*.txt", "q______.txt"}, {"a/. ./b", "a\\b"}, {"x.. ", "x"},
      // A lead byte without its trail byte is no character: it never hides
      // a ':' or a separator from the rules.
      {"\x81:x", "__x"}, {"\x81/../../x", nullptr}, {"..[", "..["},
  };
  for (const Case& c : cases) {
    MemoryTarget t;
    ArcOutcome r = Extract(CraftZip({M("first.txt", "1"), M(c.name, "data")}), t);
    EXPECT_TRUE(t.files.count("first.txt")) << c.name;
    if (c.path == nullptr) {
      EXPECT_EQ(r.code, "079") << c.name;
      EXPECT_EQ(t.files.size(), 1u) << c.name;
    } else {
      EXPECT_EQ(r.result, 0) << c.name << " " << r.Title();
      EXPECT_TRUE(t.files.count(c.path)) << c.name;
    }
  }
}

TEST(ZipExtract, ShiftJisNamesWithBackslashTrailBytes) {
  // "表" = 0x95 0x5C, "ソ" = 0x83 0x5C: one character each, no separator.
  std::string hyo = "\x95\x5C", so = "\x83\x5C";
  MemoryTarget t;
  ArcOutcome r = Extract(CraftZip({M(hyo + "/" + so + ".txt", "x"), M("a" + hyo, "y")}), t);
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_TRUE(t.files.count(hyo + "\\" + so + ".txt"));
  EXPECT_TRUE(t.files.count("a" + hyo));
}

TEST(ZipExtract, Utf8Names) {
  std::string sjisHyo = "\x95\x5C";
  CraftMember flagged = M("\xE8\xA1\xA8.txt", "x");  // 表 in UTF-8
  flagged.flags = 0x800;
  CraftMember decomposed = M("\xE3\x81\x8B\xE3\x82\x99", "y");  // か + voiced mark
  decomposed.flags = 0x800;
  CraftMember emoji = M("\xF0\x9F\x98\x80.txt", "z");
  emoji.flags = 0x800;
  // Not valid Shift-JIS (0xE3 0x80 0xE3 ...) but valid UTF-8: read as UTF-8 without the flag.
  CraftMember guessed = M("\xE3\x80\x80\xE3\x80\x81", "v");
  CraftMember one = M("a", "w");
  MemoryTarget t;
  ArcOutcome r = Extract(CraftZip({one, flagged, decomposed, emoji, guessed}), t);
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_TRUE(t.files.count(sjisHyo + ".txt"));
  EXPECT_TRUE(t.files.count("\x82\xAA"));  // が
  EXPECT_TRUE(t.files.count("_.txt"));
  EXPECT_TRUE(t.files.count("a"));
  EXPECT_TRUE(t.files.count("\x81\x40\x81\x41"));  // ideographic space, comma
  // Without the flag, valid Shift-JIS stays Shift-JIS; with the mode it is read as UTF-8.
  EXPECT_EQ(MemberNameToSjis("\x95\x5C", false, false), "\x95\x5C");
  EXPECT_EQ(MemberNameToSjis("\xE8\xA1\xA8", false, true), sjisHyo);
}

TEST(ZipExtract, MemoryModeResults) {
  auto run = [](const std::string& zip, int outMax, std::vector<uint8_t>& buf) {
    ArcState st;
    MemoryTarget t;
    std::vector<uint8_t> in(zip.begin(), zip.end());
    buf.assign(std::max(static_cast<size_t>(outMax) + 1, in.size()), 0xEE);
    std::copy(in.begin(), in.end(), buf.begin());
    ArcOutcome r = UnzipOwn(st, "", static_cast<int32_t>(in.size()), outMax, buf.data(), false, t);
    EXPECT_TRUE(t.files.empty());
    return r.result;
  };
  std::vector<uint8_t> buf;
  std::string t500 = Text(500), t50 = Text(50);
  EXPECT_EQ(run(CraftZip({M("a", t500)}), 100, buf), 100);
  EXPECT_TRUE(std::equal(t500.begin(), t500.begin() + 100, buf.begin()));
  EXPECT_EQ(buf[100], 0);
  EXPECT_EQ(run(CraftZip({M("a", t50)}), 100, buf), 49);
  EXPECT_TRUE(std::equal(t50.begin(), t50.end(), buf.begin()));
  EXPECT_EQ(run(CraftZip({M("a", t50, 0)}), 100, buf), 49);
  EXPECT_TRUE(std::equal(t50.begin(), t50.end(), buf.begin()));
  // A scratch archive: CRC 0, an upper bound in the local header, 0 in the
  // central record, zero bytes after the end record.
  CraftMember m = M("temp.txt", t500);
  m.crc = 0;
  m.usize = 64000;
  m.centralUsize = 0;
  m.flags = 2;
  CraftOptions o;
  o.trailing = std::string(40, '\0');
  // The stream ends before the bound: the inflater counts every byte.
  EXPECT_EQ(run(CraftZip({m}, o), 64000, buf), 500);
  EXPECT_TRUE(std::equal(t500.begin(), t500.end(), buf.begin()));
}

TEST(ZipExtract, AttributePass) {
  auto members = [](int n, uint32_t firstSize) {
    std::vector<CraftMember> v;
    for (int i = 0; i < n; ++i) {
      CraftMember m = M("f" + std::to_string(i), i == 0 ? std::string(firstSize, 'x') : "data", 0);
      m.attr = 0x21;  // read-only + archive
      v.push_back(m);
    }
    return v;
  };
  auto readOnly = [](MemoryTarget& t) {
    int n = 0;
    for (auto& f : t.files) n += (f.second.attr & 1);
    return n;
  };
  MemoryTarget t5;
  EXPECT_EQ(Extract(CraftZip(members(5, 3)), t5).result, 0);
  EXPECT_EQ(readOnly(t5), 1);
  EXPECT_EQ(t5.files["f0"].attr, 0x21);
  MemoryTarget t20;
  EXPECT_EQ(Extract(CraftZip(members(20, 3)), t20).result, 0);
  EXPECT_EQ(readOnly(t20), 20);
  MemoryTarget t0;
  EXPECT_EQ(Extract(CraftZip(members(5, 0)), t0).result, 0);
  EXPECT_EQ(readOnly(t0), 0);
  // A central record named "../x" changes nothing outside.
  std::vector<CraftMember> v = members(3, 3);
  v[0].centralName = "../f0";
  MemoryTarget t;
  Extract(CraftZip(v), t, false);
  EXPECT_EQ(readOnly(t), 0);
}

TEST(ZipExtract, FromFileOnDiskWithMarkerAndNothingOutside) {
  testsupport::Scratch s;
  std::string zip = CraftZip({M("d/a.txt", "one"), M("../evil.txt", "no")});
  CraftOptions o;
  testsupport::WriteBytes(s.Path("in.zip"), "PK00" + CraftZip({M("d/a.txt", "one"), M("b.txt", Text(3000))}));
  testsupport::WriteBytes(s.Path("evil.zip"), zip);
  fw::MakeDir(s.Path("out"));
  std::vector<std::string> before = testsupport::FolderNames(s.Dir());
  ArcState st;
  DiskTarget t(s.Path("out").Str());
  ArcOutcome r = UnzipOwn(st, s.Path("in.zip").Str(), 0, 0, nullptr, false, t);
  EXPECT_EQ(r.result, 0) << r.Title();
  EXPECT_EQ(testsupport::ReadBytes(s.Path("out\\d\\a.txt")), "one");
  EXPECT_EQ(testsupport::ReadBytes(s.Path("out\\b.txt")), Text(3000));
  r = UnzipOwn(st, s.Path("evil.zip").Str(), 0, 0, nullptr, false, t);
  EXPECT_EQ(r.code, "079");
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(testsupport::FolderNames(s.Dir()), before);
  EXPECT_EQ(UnzipOwn(st, s.Path("missing.zip").Str(), 0, 0, nullptr, false, t).result, -1);
}

TEST(ZipExtract, ReadOnlyMemberComesOutReadOnlyOnDisk) {
  testsupport::Scratch s;
  std::vector<CraftMember> v;
  for (int i = 0; i < 3; ++i) {
    CraftMember m = M("f" + std::to_string(i), "data" + std::to_string(i), 0);
    m.attr = 0x21;
    v.push_back(m);
  }
  testsupport::WriteBytes(s.Path("ro.zip"), CraftZip(v));
  fw::MakeDir(s.Path("out"));
  ArcState st;
  DiskTarget t(s.Path("out").Str());
  ArcOutcome r = UnzipOwn(st, s.Path("ro.zip").Str(), 0, 0, nullptr, false, t);
  EXPECT_EQ(r.result, 0) << r.Title();
  CFileStatus f0, f1;
  ASSERT_TRUE(CFile::GetStatus(s.Path("out\\f0"), f0));
  ASSERT_TRUE(CFile::GetStatus(s.Path("out\\f1"), f1));
  EXPECT_TRUE(f0.m_attribute & CFile::readOnly);   // the first central record's file only
  EXPECT_FALSE(f1.m_attribute & CFile::readOnly);  // 2 to 16 members
  // Its time comes from the header.
  EXPECT_EQ(f0.m_mtime.GetYear(), 2024);
}

}  // namespace
}  // namespace arc
