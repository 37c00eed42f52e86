// The file-system primitives on an FTP site through the document's
// connection, against the test server (CTest fixture "inet"): the delete walk
// (files first, then the sub-folders, "/" current at the end), a refused
// folder that leaves the site's root alone, the size walk, a new folder and
// the stored name of an enciphered file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/dvkdoc.h"
#include "core/crypto/encname.h"
#include "core/fileops/fileprims.h"
#include "shell_fixture.h"
#include "support/inet_servers.h"

namespace {

using testsupport::ExistsA;
using testsupport::WriteBytesA;

class FtpSitePrimsTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    REQUIRE_INET_SERVERS();
    user = std::string("prims_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    home = testsupport::FtpHome("ftp", user, {"pub"});
    ASSERT_TRUE(Start(""));
    doc->m_strFtpEntry[0] = ("X:~3test~/127.0.0.1:" + std::to_string(testsupport::ServerPort("ftp")) +
                             ";BASE=/pub;USER=" + user + ";PWRD=p")
                                .c_str();
    ASSERT_EQ(doc->GetFtpDriveNo2("X:\\"), 0);
  }
  void Folder(const std::string& rel) { CreateDirectoryA((home + "\\pub\\" + rel).c_str(), nullptr); }
  void File(const std::string& rel, std::size_t size) {
    WriteBytesA(home + "\\pub\\" + rel, std::string(size, 'x'));
  }
  bool Has(const std::string& rel) { return ExistsA(home + "\\pub\\" + rel); }
  std::string ServerFolder() {
    CString cur;
    if (!doc->FtpConnection() || !doc->FtpConnection()->GetCurrentDirectory(cur)) return "(none)";
    return cur.Str();
  }

  std::string user, home;
};

TEST_F(FtpSitePrimsTest, DeleteWalkEmptiesTheFolderAndEndsAtTheRoot) {
  Folder("t");
  Folder("t\\s1");
  Folder("t\\s2");
  Folder("t\\s3");
  File("t\\f1", 3);
  File("t\\f2", 4);
  File("t\\s2\\in", 5);
  File("keep", 1);
  fileops::DeleteEntry(doc->FileOps(), CString("X:\\t"), 1, fileops::kModeForce, fileops::kConfirmNone, 1, 1, 1000);
  EXPECT_FALSE(Has("t"));
  EXPECT_TRUE(Has("keep"));
  Folder("u");
  Folder("u\\v");
  EXPECT_EQ(doc->DeleteDirectoryTree("X:\\u", fileops::kModeForce, fileops::kConfirmNone, 1, 1, 1000), 0);
  EXPECT_EQ(ServerFolder(), "/");
  EXPECT_FALSE(Has("u\\v"));
}

TEST_F(FtpSitePrimsTest, RefusedFolderLeavesTheRootAlone) {
  File("a.txt", 2);
  File("b.txt", 2);
  WriteBytesA(home + "\\top.txt", "t");
  EXPECT_EQ(doc->DeleteDirectoryTree("X:\\missing", fileops::kModeForce, fileops::kConfirmNone, 1, 1, 1000), -1);
  EXPECT_TRUE(Has("a.txt") && Has("b.txt"));
  EXPECT_TRUE(ExistsA(home + "\\top.txt"));
  doc->m_nTreeFiles = 0;
  doc->m_nTreeBytes = 0;
  EXPECT_EQ(fileops::GetDirectoryTreeSize(doc->FileOps(), CString("X:\\missing"), 1), -1);
  EXPECT_EQ(doc->m_nTreeFiles, 0);
}

TEST_F(FtpSitePrimsTest, SizeWalkNewFolderAndStoredNames) {
  Folder("s");
  Folder("s\\d");
  File("s\\a", 10);
  File("s\\b", 2000);
  File("s\\d\\c", 7);
  doc->m_nTreeDepth = 0;
  doc->m_nTreeFiles = 0;
  doc->m_nTreeBytes = 0;
  EXPECT_EQ(fileops::GetDirectoryTreeSize(doc->FileOps(), CString("X:\\s"), 1), 0);
  EXPECT_EQ(doc->m_nTreeFiles, 3);
  EXPECT_EQ(doc->m_nTreeBytes, 2017u);

  EXPECT_EQ(fileops::MakeFolder(doc->FileOps(), CString("X:\\s\\new"), 1), 0);
  EXPECT_TRUE(Has("s\\new"));

  doc->m_strEncryptKeyCode = "1234";
  const std::string stored = crypto::TranslateEncryptedName("X:\\s\\secret@Enc.txt", 0, "1234");
  const std::string storedName = stored.substr(stored.rfind('\\') + 1);
  ASSERT_EQ(storedName.compare(0, 4, "#~$_"), 0);
  File("s\\" + storedName, 1);
  EXPECT_EQ(fileops::RemoveFile(doc->FileOps(), CString("X:\\s\\secret@Enc.txt"), 0, 1), 0);
  EXPECT_FALSE(Has("s\\" + storedName));
  EXPECT_EQ(fileops::RemoveFile(doc->FileOps(), CString("X:\\s\\a"), 0, 1), 0);
  EXPECT_FALSE(Has("s\\a"));
}

TEST_F(FtpSitePrimsTest, RenameOnTheSite) {
  Folder("r");
  File("r\\old.txt", 3);
  File("r\\taken.txt", 3);
  fileops::FtpSite* site = doc->FileOps().Ftp();
  ASSERT_NE(site, nullptr);
  bool refused = true;
  site->Map(CString("X:\\r"), 1, &refused);
  ASSERT_FALSE(refused);
  EXPECT_TRUE(site->RenameOnServer(CString("old.txt"), CString("new.txt")));
  EXPECT_TRUE(Has("r\\new.txt"));
  EXPECT_FALSE(Has("r\\old.txt"));
  EXPECT_FALSE(site->RenameOnServer(CString("missing.txt"), CString("x.txt")));
  // An empty local file sent under a name: an empty server file.
  const std::string local = doc->m_strProgramDir.Str() + "\\TMP\\Dorvik_empty.txt";
  WriteBytesA(local, "");
  EXPECT_TRUE(site->PutServerFile(CString(local.c_str()), CString("empty.txt")));
  EXPECT_TRUE(Has("r\\empty.txt"));

  // A file written piece by piece: the server holds exactly the pieces.
  std::string sent;
  int piece = 0;
  EXPECT_TRUE(site->WriteServerFile(CString("pieces.bin"), [&](char* buffer, std::uint32_t capacity) -> int {
    if (piece == 3) return 0;
    const int n = piece == 1 ? 17 : static_cast<int>(capacity);
    for (int i = 0; i < n; ++i) buffer[i] = static_cast<char>(piece * 31 + i);
    sent.append(buffer, static_cast<std::size_t>(n));
    ++piece;
    return n;
  }));
  EXPECT_TRUE(testsupport::ReadBytesA(home + "\\pub\\r\\pieces.bin") == sent);
  // A source that breaks off: false (what the server got is the caller's to remove).
  piece = 0;
  EXPECT_FALSE(site->WriteServerFile(CString("cut.bin"), [&](char* buffer, std::uint32_t capacity) -> int {
    if (piece++ == 2) return -1;
    std::memset(buffer, 'c', capacity);
    return static_cast<int>(capacity);
  }));
}

}  // namespace
