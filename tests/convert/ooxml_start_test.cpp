// The start every package conversion shares: the scratch folder emptied of
// an earlier package (and never backed up), the file's length, the unpack
// mode and the converters' results when something fails.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

#include "convert/ooxml_package.h"
#include "convert/ooxml_part.h"
#include "convert/ooxml_test_util.h"
#include "core/docsvc/backup.h"
#include "core/docsvc/scratch_lock.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "support/scratch.h"

namespace {

using namespace convert;

// Unpacks through the program's own path, as the document does without the
// library, and records the modes asked for.
class RecordingHost : public ConvertHost {
 public:
  int LoadPicture(const CString&, int) override { return 0; }
  int UnzipArchive(int mode, const CString& zipName, const CString& destDir) override {
    modes.push_back(mode);
    return UnzipPackageOwn(zipName, destDir);
  }
  std::vector<int> modes;
};

ooxmltest::Members Sheets(int count) {
  ooxmltest::Members m = {{"xl/workbook.xml", "<workbook/>"}};
  for (int i = 1; i <= count; ++i)
    m.push_back({"xl/worksheets/sheet" + std::to_string(i) + ".xml", "<worksheet n=\"" + std::to_string(i) + "\"/>"});
  return m;
}

struct Fixture {
  testsupport::Scratch dir;
  CString File(const char* name, const ooxmltest::Members& members) {
    testsupport::WriteBytes(dir.Path(name), ooxmltest::StoredZip(members));
    return dir.Path(name);
  }
  PackageRequest Request(const CString& file, ConvertHost* host = nullptr, bool bound = false) {
    PackageRequest r;
    r.path = file;
    r.programDir = dir.Dir();
    r.host = host;
    r.unzipBound = bound;
    return r;
  }
};

TEST(OoxmlStart, AnEarlierPackageNeverShowsAndIsNotBackedUp) {
  Fixture f;
  LoadBuffer out;
  PackageStart big = OpenOoxmlPackage(f.Request(f.File("big.xlsx", Sheets(300))), OoxmlKind::kXlsx, out);
  ASSERT_TRUE(big.package);
  EXPECT_TRUE(big.package->FileExists("xl\\worksheets\\sheet300.xml"));
  // a read-only part left behind goes too
  CString ro = docsvc::PackageScratchDir(f.dir.Dir()) + "\\xl\\worksheets\\sheet7.xml";
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(ro, st));
  st.m_attribute = CFile::readOnly;
  st.m_ctime = st.m_mtime = st.m_atime = CTime();
  CFile::SetStatus(ro, st);

  PackageStart small = OpenOoxmlPackage(f.Request(f.File("small.xlsx", Sheets(2))), OoxmlKind::kXlsx, out);
  ASSERT_TRUE(small.package);
  EXPECT_EQ(out.Size(), 0u);
  EXPECT_TRUE(small.package->FileExists("xl\\worksheets\\sheet2.xml"));
  for (int i : {3, 7, 200, 201, 300})
    EXPECT_FALSE(small.package->FileExists(("xl\\worksheets\\sheet" + std::to_string(i) + ".xml").c_str())) << i;
  EXPECT_TRUE(testsupport::FolderNames(docsvc::BackupDir(f.dir.Dir())).empty());
}

TEST(OoxmlStart, ResultsWhenTheStartFails) {
  Fixture f;
  const CString missing = f.dir.Path("missing.xlsx");
  testsupport::WriteBytes(f.dir.Path("damaged.xlsx"), "PK\x03\x04 not a package at all");
  const CString damaged = f.dir.Path("damaged.xlsx");
  const struct {
    CString file;
    OoxmlKind kind;
    int want;
  } cases[] = {
      {missing, OoxmlKind::kXlsx, -1},  {missing, OoxmlKind::kPptx, -1}, {missing, OoxmlKind::kDocx, 0},
      {damaged, OoxmlKind::kXlsx, -1},  {damaged, OoxmlKind::kPptx, 0},  {damaged, OoxmlKind::kDocx, 0},
  };
  for (const auto& c : cases) {
    LoadBuffer out;
    PackageStart s = OpenOoxmlPackage(f.Request(c.file), c.kind, out);
    EXPECT_FALSE(s.package) << c.file.GetString();
    EXPECT_EQ(s.result, c.want) << c.file.GetString() << " kind " << static_cast<int>(c.kind);
  }
}

TEST(OoxmlStart, UnpackModeFollowsTheLibraryAndTheSize) {
  Fixture f;
  const CString small = f.File("small.xlsx", Sheets(1));
  ooxmltest::Members bigMembers = Sheets(1);
  bigMembers.push_back({"xl/media/image1.png", std::string(200001, 'p')});
  const CString big = f.File("big.xlsx", bigMembers);
  const struct {
    CString file;
    bool bound;
    int mode;
  } cases[] = {{small, false, 0}, {small, true, 0}, {big, false, 0}, {big, true, 1}};
  for (const auto& c : cases) {
    RecordingHost host;
    LoadBuffer out;
    PackageStart s = OpenOoxmlPackage(f.Request(c.file, &host, c.bound), OoxmlKind::kXlsx, out);
    ASSERT_TRUE(s.package);
    EXPECT_EQ(s.unzipMode, c.mode);
    ASSERT_EQ(host.modes.size(), 1u);
    EXPECT_EQ(host.modes[0], c.mode);
    EXPECT_TRUE(s.package->FileExists("xl\\workbook.xml"));
  }
}

// A scratch folder that keeps an entry ends the conversion with string 237:
// refused removals here, a file held open elsewhere on Windows.
TEST(OoxmlStart, AFolderThatStaysFullEndsTheConversion) {
  Fixture f;
  LoadBuffer out;
  ASSERT_TRUE(OpenOoxmlPackage(f.Request(f.File("a.xlsx", Sheets(3))), OoxmlKind::kXlsx, out).package);
  const CString next = f.File("b.xlsx", Sheets(1));
  for (OoxmlKind kind : {OoxmlKind::kXlsx, OoxmlKind::kPptx, OoxmlKind::kDocx}) {
    fw::filetest::Reset();
    fw::filetest::FailFrom(fw::filetest::Op::kRemove, 2);
    LoadBuffer msg;
    PackageStart s = OpenOoxmlPackage(f.Request(next), kind, msg);
    fw::filetest::Reset();
    EXPECT_FALSE(s.package);
    EXPECT_EQ(s.result, kind == OoxmlKind::kDocx ? 0 : -1);
    EXPECT_EQ(CString(msg.Data()), PartCannotOpenText());
  }
#ifdef _WIN32
  {
    LoadBuffer msg;
    ASSERT_TRUE(OpenOoxmlPackage(f.Request(f.File("c.xlsx", Sheets(3))), OoxmlKind::kXlsx, msg).package);
    CFile held(docsvc::PackageScratchDir(f.dir.Dir()) + "\\xl\\worksheets\\sheet3.xml",
               CFile::modeRead | CFile::shareExclusive);
    PackageStart s = OpenOoxmlPackage(f.Request(next), OoxmlKind::kXlsx, msg);
    EXPECT_FALSE(s.package);
    EXPECT_EQ(s.result, -1);
    EXPECT_EQ(CString(msg.Data()), PartCannotOpenText());
  }
#endif
  // once nothing holds the entries the next conversion starts clean
  LoadBuffer msg;
  PackageStart s = OpenOoxmlPackage(f.Request(next), OoxmlKind::kXlsx, msg);
  ASSERT_TRUE(s.package);
  EXPECT_FALSE(s.package->FileExists("xl\\worksheets\\sheet3.xml"));
}

// Another copy unpacking into the same folder (here another thread holding
// the folder's lock) is waited for; a wait in vain ends the conversion with
// string 237 and leaves that copy's parts alone.
TEST(OoxmlStart, AFolderAnotherCopyHoldsIsWaitedForAndLeftAlone) {
  Fixture f;
  LoadBuffer first;
  ASSERT_TRUE(OpenOoxmlPackage(f.Request(f.File("a.xlsx", Sheets(2))), OoxmlKind::kXlsx, first).package);
  const CString folder = docsvc::PackageScratchDir(f.dir.Dir());
  std::promise<void> taken, done;
  std::thread holder([&] {
    docsvc::ScratchLock lock(folder, 0);
    taken.set_value();
    done.get_future().wait();
  });
  taken.get_future().wait();
  fw::clocktest::Fix(1700000000, 0);
  LoadBuffer msg;
  PackageStart s = OpenOoxmlPackage(f.Request(f.File("b.xlsx", Sheets(1))), OoxmlKind::kPptx, msg);
  fw::clocktest::Release();
  done.set_value();
  holder.join();
  EXPECT_FALSE(s.package);
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(CString(msg.Data()), PartCannotOpenText());
  EXPECT_EQ("<worksheet n=\"2\"/>", testsupport::ReadBytes(folder + "\\xl\\worksheets\\sheet2.xml"));
}

}  // namespace
