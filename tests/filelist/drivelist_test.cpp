#include "filelist/flistcore/drivelist.h"

#include <gtest/gtest.h>

namespace flist {
namespace {

TEST(DriveList, RowsOfDrivesPseudoDrivesAndSpecialFolders) {
  std::string sys[60];
  sys[26] = "Y:~2site~;BASE=/;USER=u;PWRD=p";
  const auto probe = [](int n) {
    DriveInfo d;
    if (n == 3 || n == 26) {
      d.exists = true;
      d.label = n == 3 ? "SYS" : "ROOT";
      d.fileSystem = "NTFS";
      d.type = 3;
      d.freeBytes = 5ull << 30;
      d.totalBytes = 10ull << 30;
    }
    return d;
  };
  DriveListResult r = BuildDriveList(sys, 3, "C:\\x", probe);
  ASSERT_EQ(r.rows.size(), 12u);
  EXPECT_EQ(r.rows[0].name, "A:");
  EXPECT_EQ(r.rows[1].name, "C: SYS");
  EXPECT_EQ(r.rows[1].kind, "HD  [NTFS]");
  EXPECT_EQ(r.rows[1].val1, 5120);
  EXPECT_EQ(r.rows[1].val3, 10240);
  EXPECT_EQ(r.rows[2].name, "Y:>site");
  EXPECT_EQ(r.rows[2].kind, "FTP");
  EXPECT_EQ(r.rows[3].name, "Z: ROOT");
  EXPECT_EQ(r.rows[4].name, "NW:");
  EXPECT_EQ(r.rows[5].kind, "dir");
  EXPECT_EQ(r.entryCount, 13);
  EXPECT_EQ(r.cursorRow, 2);
  EXPECT_EQ(BuildDriveList(sys, 3, "NW:", probe).cursorRow, 5);
  EXPECT_EQ(BuildDriveList(sys, 3, "A:", probe).cursorRow, 0);
}

TEST(DriveList, TwoDrivesWithoutPseudoEntries) {
  std::string sys[60];
  const auto probe = [](int n) {
    DriveInfo d;
    d.exists = n == 3 || n == 4;
    return d;
  };
  DriveListResult r = BuildDriveList(sys, 3, "", probe);
  EXPECT_EQ(r.entryCount, 12);
  EXPECT_EQ(r.rows[3].name, "NW:");
}

}  // namespace
}  // namespace flist
