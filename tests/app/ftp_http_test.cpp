// The document's FTP sites, downloads and addresses in-process, against the
// test servers (CTest fixture "inet"): the UTF-8 FTP server as site "X:", the
// Shift-JIS one as site "Y:", http.server for pages. Each test logs in under
// a user of its own and reads its lines of the servers' logs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/inet_servers.h"

namespace {

using testsupport::ExistsA;
using testsupport::ReadBytesA;
using testsupport::WriteBytesA;

std::vector<std::string> g_statusDuringTransfer;

void NoteStatus() {
  if (g_pStatusBar) g_statusDuringTransfer.push_back(g_pStatusBar->GetPaneText(0).Str());
}

class FtpDocTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    REQUIRE_INET_SERVERS();
    user = std::string("app_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    home = testsupport::FtpHome("ftp", user, {"pub", "pub\\d"});
    home932 = testsupport::FtpHome("ftp932", user, {"pub"});
    ASSERT_TRUE(Start(""));
    SetEntry(0, 'X', "3", "ftp", "/pub", "p");
    SetEntry(1, 'Y', "3", "ftp932", "/pub", "p");
    g_statusDuringTransfer.clear();
  }
  void TearDown() override {
    CDvkDoc::s_pfnTransferPiece = nullptr;
    shelltest::ShellTest::TearDown();
  }
  void SetEntry(int i, char letter, const char* flag, const char* server, const char* base, const char* password) {
    doc->m_strFtpEntry[i] = (std::string(1, letter) + ":~" + flag + "test~/127.0.0.1:" +
                             std::to_string(testsupport::ServerPort(server)) + ";BASE=" + base + ";USER=" + user +
                             ";PWRD=" + password)
                                .c_str();
  }
  std::string Tmp() const { return doc->m_strProgramDir.Str() + "\\TMP\\"; }
  std::string ServerFolder() {
    CString cur;
    if (!doc->FtpConnection() || !doc->FtpConnection()->GetCurrentDirectory(cur)) return "(none)";
    return cur.Str();
  }
  int Logins(const char* server) { return testsupport::CountInLog(server, "USER '" + user + "' logged in."); }

  std::string user, home, home932;
};

TEST_F(FtpDocTest, ConnectsOnceAndReconnectsForAnotherSite) {
  EXPECT_EQ(doc->GetFtpDriveNo("X:\\a.txt"), 1);
  EXPECT_EQ(&doc->m_strFtpEntry[0], &doc->m_strSysValue[26]) << "one storage";
  EXPECT_EQ(doc->GetFtpDriveNo2("X:\\a.txt"), 0);
  EXPECT_EQ(doc->m_bFtpConnected, 1u);
  ASSERT_TRUE(testsupport::WaitForLog("ftp", "USER '" + user + "' logged in."));
  EXPECT_EQ(doc->GetFtpDriveNo2("X:\\pub\\b.txt"), 0);
  Sleep(200);
  EXPECT_EQ(Logins("ftp"), 1) << "no second login";

  // A path on the other site's entry reaches that site, not this one.
  EXPECT_EQ(doc->GetFtpDriveNo2("Y:\\b.txt"), 0);
  EXPECT_EQ(doc->FtpEntryServed(), 2);
  EXPECT_TRUE(testsupport::WaitForLog("ftp932", "USER '" + user + "' logged in."));
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] FTP session closed"));

  EXPECT_EQ(doc->GetFtpDriveNo2("Q:\\b.txt"), -1);
  doc->CloseInternetSession();
  EXPECT_EQ(doc->m_bFtpConnected, 0u);
  EXPECT_EQ(doc->FtpConnection(), nullptr);
  EXPECT_TRUE(testsupport::WaitForLog("ftp932", "[" + user + "] FTP session closed"));

  SetEntry(0, 'X', "3", "ftp", "/pub", "wrong");
  EXPECT_EQ(doc->GetFtpDriveNo2("X:\\a.txt"), -2);
  EXPECT_EQ(doc->m_bFtpConnected, 0u);
  doc->m_strFtpEntry[0] = ("X:~3t~/127.0.0.1:1;BASE=/pub;USER=" + user + ";PWRD=p").c_str();
  EXPECT_EQ(doc->GetFtpDriveNo2("X:\\a.txt"), -1);
  EXPECT_EQ(doc->m_bFtpConnected, 0u);
}

TEST_F(FtpDocTest, MappingModesMoveTheServersFolder) {
  ASSERT_EQ(doc->GetFtpDriveNo2("X:\\"), 0);
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\d", 1).Str(), "/pub/d");
  EXPECT_EQ(ServerFolder(), "/pub/d");
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\a.txt", 2).Str(), "a.txt");
  EXPECT_EQ(ServerFolder(), "/pub");
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\d\\a.txt", 0).Str(), "/pub/d/a.txt");
  EXPECT_EQ(ServerFolder(), "/pub/d");
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\", 0).Str(), "/pub");
  EXPECT_EQ(ServerFolder(), "/pub");
  EXPECT_EQ(doc->m_bFtpCwdRefused, 0u);

  // A refused folder: "/" current, the flag set, no name in mode 2.
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\missing\\a.txt", 2).Str(), "");
  EXPECT_EQ(ServerFolder(), "/");
  EXPECT_EQ(doc->m_bFtpCwdRefused, 1u);
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\missing", 1).Str(), "/pub/missing");
  EXPECT_EQ(doc->m_bFtpCwdRefused, 1u);
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\d", 1).Str(), "/pub/d");
  EXPECT_EQ(doc->m_bFtpCwdRefused, 0u) << "cleared by the next change";

  // Connected to the other site, a path on X: switches back first.
  ASSERT_EQ(doc->GetFtpDriveNo2("Y:\\"), 0);
  EXPECT_EQ(doc->MapFtpDrivePath("X:\\d", 1).Str(), "/pub/d");
  EXPECT_EQ(doc->FtpEntryServed(), 1);
  EXPECT_EQ(ServerFolder(), "/pub/d");
}

TEST_F(FtpDocTest, WriteTempFileCopiesTheFileInActiveAndPassiveMode) {
  const std::string data = testsupport::PatternBytes(100 * 1024, 11);
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\d\\big.bin", data));
  CDvkDoc::s_pfnTransferPiece = NoteStatus;
  const std::string want = Tmp() + "Dorvik_big.bin";
  ASSERT_TRUE(WriteBytesA(Tmp() + "Dorvik_big.bin", "an old copy"));
  for (const char* flag : {"3", "0"}) {
    SCOPED_TRACE(flag);
    doc->CloseInternetSession();
    SetEntry(0, 'X', flag, "ftp", "/pub", "p");
    g_statusDuringTransfer.clear();
    EXPECT_EQ(doc->WriteTempFile("X:\\d\\big.bin").Str(), want);
    EXPECT_EQ(ReadBytesA(want), data);
    ASSERT_FALSE(g_statusDuringTransfer.empty());
    for (const std::string& s : g_statusDuringTransfer) EXPECT_EQ(s, "ファイル転送中");
    EXPECT_NE(g_pStatusBar->GetPaneText(0).Str(), "ファイル転送中") << "shown while the transfer runs only";
  }
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] RETR", 2));

  // Missing file: "" and no file; the old copy is gone too.
  EXPECT_EQ(doc->WriteTempFile("X:\\d\\missing.bin").Str(), "");
  EXPECT_FALSE(ExistsA(Tmp() + "Dorvik_missing.bin"));
  // A transfer that breaks off leaves nothing (passive: Wine's own code
  // fails on a data connection reset in active mode).
  doc->CloseInternetSession();
  SetEntry(0, 'X', "3", "ftp", "/pub", "p");
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\broken.bin", data));
  EXPECT_EQ(doc->WriteTempFile("X:\\broken.bin").Str(), "");
  EXPECT_FALSE(ExistsA(Tmp() + "Dorvik_broken.bin"));
  // A refused folder gives no file operation in "/".
  ASSERT_TRUE(WriteBytesA(home + "\\big.bin", "root copy"));
  EXPECT_EQ(doc->WriteTempFile("X:\\nofolder\\big.bin").Str(), "");
}

TEST_F(FtpDocTest, JapaneseNamesOnTheShiftJisServerOnly) {
  const std::string hyo = testsupport::PatternBytes(5000, 21), a = "あいう\r\n";
  ASSERT_TRUE(WriteBytesA(home932 + "\\pub\\表.txt", hyo));
  ASSERT_TRUE(WriteBytesA(home932 + "\\pub\\あ.txt", a));
  EXPECT_EQ(ReadBytesA(doc->WriteTempFile("Y:\\表.txt").Str()), hyo);
  EXPECT_EQ(ReadBytesA(doc->WriteTempFile("Y:\\あ.txt").Str()), a);
  // The listing gives the names back as they are.
  ASSERT_NE(doc->MapFtpDrivePath("Y:\\", 1).Str(), "");
  CFtpFileFind& find = doc->FtpFileFind();
  std::vector<std::string> names;
  BOOL more = find.FindFile();
  while (more) {
    more = find.FindNextFile();
    names.push_back(find.GetFileName().Str());
  }
  EXPECT_NE(std::find(names.begin(), names.end(), "表.txt"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "あ.txt"), names.end());

  // The UTF-8 server: ASCII works, a Japanese name fails cleanly.
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\plain.txt", "plain"));
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\表.txt", hyo));
  EXPECT_EQ(ReadBytesA(doc->WriteTempFile("X:\\plain.txt").Str()), "plain");
  EXPECT_EQ(doc->WriteTempFile("X:\\表.txt").Str(), "");
  EXPECT_FALSE(ExistsA(Tmp() + "Dorvik_表.txt"));
}

TEST_F(FtpDocTest, NamesFromAHostilePathStayInsideTmp) {
  ASSERT_TRUE(WriteBytesA(home + "\\x", "root x"));
  const std::string prog = doc->m_strProgramDir.Str();
  // What a name escaping "\TMP" would write over or remove.
  for (const char* n : {"\\x", "\\Dorvik_x", "\\ab", "\\Dorvik_ab"}) ASSERT_TRUE(WriteBytesA(prog + n, "keep"));
  const std::string got = doc->WriteTempFile("X:\\..\\..\\x").Str();
  EXPECT_TRUE(got.empty() || got == Tmp() + "Dorvik_x") << got;
  if (!got.empty()) {
    EXPECT_EQ(ReadBytesA(got), "root x");
  }
  EXPECT_EQ(doc->WriteTempFile("X:\\pub\\..").Str(), "");
  const std::string ab = doc->WriteTempFile("X:\\a:b").Str();
  EXPECT_TRUE(ab.empty() || ab == Tmp() + "Dorvik_ab") << ab;
  for (const char* n : {"\\x", "\\Dorvik_x", "\\ab", "\\Dorvik_ab"}) EXPECT_EQ(ReadBytesA(prog + n), "keep") << n;
}

class HttpDocTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    REQUIRE_INET_SERVERS();
    ASSERT_TRUE(Start(""));
    host = "127.0.0.1:" + std::to_string(testsupport::ServerPort("http"));
    name = std::string("app_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root = testsupport::InetDir() + "\\http\\";
  }
  std::string Page() const { return doc->m_strProgramDir.Str() + "\\TMP\\Dorviktmp.htm"; }

  std::string host, name, root;
};

TEST_F(HttpDocTest, DownloadLeavesThePageOrNoPage) {
  const std::string page = "<html><body><p>" + name + "</p>" + std::string(20000, 'y') + "</body></html>\n";
  ASSERT_TRUE(WriteBytesA(root + name + " 1.htm", page));
  const std::string path = "/" + name + "%201.htm";
  EXPECT_EQ(doc->DownloadHttp(host.c_str(), path.c_str(), "", "", 3), 0);
  EXPECT_EQ(ReadBytesA(Page()), page);
  EXPECT_TRUE(testsupport::WaitForLog("http", "\"GET " + path + " HTTP/1.1\" 200")) << "the path as given";

  // A missing page: nonzero, and the earlier page is gone.
  EXPECT_NE(doc->DownloadHttp(host.c_str(), ("/" + name + "_missing.htm").c_str(), "", "", 0), 0);
  EXPECT_FALSE(ExistsA(Page()));
  // Nobody listening.
  EXPECT_NE(doc->DownloadHttp("127.0.0.1:1", "/x.htm", "", "", 3), 0);
  EXPECT_FALSE(ExistsA(Page()));
}

TEST_F(HttpDocTest, OpenAddressFetchesAndOpensOrOnlyFetches) {
  const std::string page = "<html><body><p>" + name + "</p></body></html>\n";
  ASSERT_TRUE(WriteBytesA(root + name + ".htm", page));
  const std::string url = "http://" + host + "/" + name + ".htm";
  const int opened = doc->OpenAddress(url.c_str());
  EXPECT_EQ(ReadBytesA(Page()), page);
  if (opened == 0) {
    EXPECT_EQ(doc->m_strDocPath.CompareNoCase(Page().c_str()), 0) << doc->m_strDocPath.Str();
  } else {
    // A build whose open cannot show pages yet: the open was of the page,
    // and its message said so.
    EXPECT_NE(doc->m_strOpenMessage.Find("Dorviktmp.htm"), -1) << doc->m_strOpenMessage.Str();
    fw::hooks::Reset();
  }

  const std::string local = doc->m_strProgramDir.Str() + "\\local.txt";
  ASSERT_TRUE(WriteBytesA(local, "local text\r\n"));
  ASSERT_EQ(doc->OpenAddress(local.c_str()), 0);
  DeleteFileA(Page().c_str());
  doc->m_nAddressMode = 1;
  EXPECT_EQ(doc->OpenAddress(url.c_str()), 0);
  doc->m_nAddressMode = 0;
  EXPECT_EQ(ReadBytesA(Page()), page);
  EXPECT_EQ(doc->m_strDocPath.Str(), local) << "only fetched";

  // Fetch-only of a page that fails: no page, no message.
  doc->m_nAddressMode = 1;
  EXPECT_EQ(doc->OpenAddress(("http://" + host + "/" + name + "_gone.htm").c_str()), -1);
  doc->m_nAddressMode = 0;
  EXPECT_FALSE(ExistsA(Page()));
  // Otherwise a message names the address.
  fw::hooks::ExpectMessageBox(name + "_gone.htm", IDOK);
  EXPECT_EQ(doc->OpenAddress(("http://" + host + "/" + name + "_gone.htm").c_str()), -1);
}

TEST_F(FtpDocTest, OpenAddressTable) {
  const std::string prog = doc->m_strProgramDir.Str();
  const std::string folder = prog + "\\side", file = prog + "\\side\\a b.txt";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(WriteBytesA(file, "side file\r\n"));

  // "%1" + folder: side 1 active with that path; "%2" + file: also opened.
  doc->m_nActiveSide = 2;
  EXPECT_EQ(doc->OpenAddress(("%1" + folder).c_str()), 0);
  EXPECT_EQ(doc->m_nActiveSide, 1u);
  EXPECT_EQ(doc->m_strPath1.Str(), folder);
  EXPECT_EQ(doc->OpenAddress(("%2" + file).c_str()), 0);
  EXPECT_EQ(doc->m_nActiveSide, 2u);
  EXPECT_EQ(doc->m_strPath2.Str(), file);
  EXPECT_EQ(doc->m_strDocPath.Str(), file);
  EXPECT_EQ(doc->OpenAddress(("%0" + folder).c_str()), 0);
  EXPECT_EQ(doc->m_nActiveSide, 2u);
  EXPECT_EQ(doc->m_strPath2.Str(), folder);

  // A local folder becomes the active side's path; file:// opens the file.
  EXPECT_EQ(doc->OpenAddress(prog.c_str()), 0);
  EXPECT_EQ(doc->m_strPath2.Str(), prog);
  std::string url = "file:///" + file;
  for (char& c : url) {
    if (c == '\\') c = '/';
  }
  url.replace(url.find("a b.txt"), 7, "a%20b.txt");
  doc->m_strDocPath.Empty();
  EXPECT_EQ(doc->OpenAddress(url.c_str()), 0) << url;
  EXPECT_EQ(doc->m_strDocPath.Str(), file);

  // An FTP pseudo-drive: a file is fetched and opened, a folder is the side's path.
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\d\\f.txt", "on the server\r\n"));
  EXPECT_EQ(doc->OpenAddress("X:\\d\\f.txt"), 0);
  EXPECT_EQ(doc->m_strDocPath.Str(), Tmp() + "Dorvik_f.txt");
  EXPECT_EQ(doc->OpenAddress("X:\\d"), 0);
  EXPECT_EQ(doc->ActivePath().Str(), "X:\\d");

  // ftp:// through a short session of its own.
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\u.txt", "by address\r\n"));
  const std::string ftpUrl =
      "ftp://" + user + ":p@127.0.0.1:" + std::to_string(testsupport::ServerPort("ftp")) + "/pub/u.txt";
  EXPECT_EQ(doc->OpenAddress(ftpUrl.c_str()), 0);
  EXPECT_EQ(doc->m_strDocPath.Str(), Tmp() + "Dorvik_u.txt");
  EXPECT_EQ(ReadBytesA(Tmp() + "Dorvik_u.txt"), "by address\r\n");
  EXPECT_EQ(doc->FtpEntryServed(), 1) << "the document's own connection stays";

  // Anything else: string 237.
  fw::hooks::ExpectMessageBox("ファイルをオープンできません", IDOK);
  EXPECT_EQ(doc->OpenAddress((prog + "\\no such thing").c_str()), -1);
}

}  // namespace
