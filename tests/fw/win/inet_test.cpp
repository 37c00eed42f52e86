// The internet classes against the test servers (pyftpdlib and http.server on
// 127.0.0.1): searches, transfers and tree changes on the FTP server, the
// one-search-or-file rule, failures with their codes and replies, HTTP
// statuses.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "fw/inet.h"
#include "support/inet_servers.h"

namespace {

using testsupport::ExistsA;
using testsupport::ReadBytesA;
using testsupport::WriteBytesA;

class InetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_INET_SERVERS();
    user = std::string("fw_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    home = testsupport::FtpHome("ftp", user, {"pub", "pub\\sub"});
    local = home + "_local";
    CreateDirectoryA(local.c_str(), nullptr);
  }
  std::unique_ptr<CFtpConnection> Connect(BOOL passive = TRUE) {
    return session.GetFtpConnection("127.0.0.1", user.c_str(), "p",
                                    static_cast<INTERNET_PORT>(testsupport::ServerPort("ftp")), passive);
  }

  CInternetSession session;
  std::string user, home, local;
};

TEST_F(InetTest, SearchListsNamesFolderFlagsAndSizes) {
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\a.txt", "hello"));
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\b.bin", testsupport::PatternBytes(70000)));
  auto ftp = Connect();
  ASSERT_TRUE(ftp) << ftp.get() << session.GetLastErrorCode();
  ASSERT_TRUE(ftp->SetCurrentDirectory("/pub"));
  CFtpFileFind find(ftp.get());
  struct Seen {
    bool folder;
    ULONGLONG size;
  };
  std::map<std::string, Seen> seen;
  BOOL more = find.FindFile();
  ASSERT_TRUE(more);
  while (more) {
    more = find.FindNextFile();
    if (find.IsDots()) continue;
    seen[find.GetFileName().Str()] = {find.IsDirectory() != FALSE, find.GetLength()};
    CTime t;
    EXPECT_TRUE(find.GetLastWriteTime(t));
    EXPECT_GT(t.GetTime(), 0);
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_FALSE(seen["a.txt"].folder);
  EXPECT_EQ(seen["a.txt"].size, 5u);
  EXPECT_EQ(seen["b.bin"].size, 70000u);
  EXPECT_TRUE(seen["sub"].folder);
  // The listing read to its end frees the connection.
  EXPECT_FALSE(ftp->IsBusy());
  EXPECT_TRUE(ftp->SetCurrentDirectory("/"));
}

TEST_F(InetTest, EachOperationChangesTheServersTree) {
  const std::string data = testsupport::PatternBytes(20000, 7);
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\get.bin", data));
  ASSERT_TRUE(WriteBytesA(local + "\\put.bin", data + "tail"));
  for (BOOL passive : {TRUE, FALSE}) {
    auto ftp = Connect(passive);
    ASSERT_TRUE(ftp) << session.GetLastErrorCode();
    ASSERT_TRUE(ftp->SetCurrentDirectory("/pub"));
    CString cur;
    ASSERT_TRUE(ftp->GetCurrentDirectory(cur));
    EXPECT_EQ(cur.Str(), "/pub");

    const std::string got = local + "\\got" + std::to_string(passive) + ".bin";
    ASSERT_TRUE(ftp->GetFile("get.bin", got.c_str()));
    EXPECT_EQ(ReadBytesA(got), data);
    EXPECT_FALSE(ftp->GetFile("get.bin", got.c_str(), TRUE)) << "an existing local file is kept";

    ASSERT_TRUE(ftp->PutFile((local + "\\put.bin").c_str(), "put.bin"));
    EXPECT_EQ(ReadBytesA(home + "\\pub\\put.bin"), data + "tail");
    ASSERT_TRUE(ftp->Rename("put.bin", "moved.bin"));
    EXPECT_FALSE(ExistsA(home + "\\pub\\put.bin"));
    EXPECT_TRUE(ExistsA(home + "\\pub\\moved.bin"));
    ASSERT_TRUE(ftp->Remove("moved.bin"));
    EXPECT_FALSE(ExistsA(home + "\\pub\\moved.bin"));

    ASSERT_TRUE(ftp->CreateDirectory("newdir"));
    EXPECT_TRUE(ExistsA(home + "\\pub\\newdir"));
    ASSERT_TRUE(ftp->SetCurrentDirectory("newdir"));
    ASSERT_TRUE(ftp->GetCurrentDirectory(cur));
    EXPECT_EQ(cur.Str(), "/pub/newdir");
    ASSERT_TRUE(ftp->SetCurrentDirectory(".."));
    ASSERT_TRUE(ftp->RemoveDirectory("newdir"));
    EXPECT_FALSE(ExistsA(home + "\\pub\\newdir"));
  }
}

TEST_F(InetTest, FailuresKeepTheCodeAndTheServersReply) {
  auto ftp = Connect();
  ASSERT_TRUE(ftp);
  EXPECT_FALSE(ftp->SetCurrentDirectory("/no such folder"));
  EXPECT_EQ(ftp->GetLastErrorCode(), static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR));
  EXPECT_EQ(ftp->GetLastResponse().Left(3).Str(), "550") << ftp->GetLastResponse().Str();
  EXPECT_FALSE(ftp->Remove("missing.txt"));
  EXPECT_FALSE(ftp->OpenFile("missing.txt"));
  EXPECT_FALSE(ftp->IsBusy());
  EXPECT_TRUE(ftp->SetCurrentDirectory("/pub")) << "a failure leaves the connection usable";

  // A refused login and a port nobody listens on are told apart.
  auto bad = session.GetFtpConnection("127.0.0.1", user.c_str(), "wrong",
                                      static_cast<INTERNET_PORT>(testsupport::ServerPort("ftp")), TRUE);
  EXPECT_FALSE(bad);
  EXPECT_EQ(session.GetLastErrorCode(), static_cast<DWORD>(ERROR_INTERNET_LOGIN_FAILURE));
  auto none = session.GetFtpConnection("127.0.0.1", user.c_str(), "p", 1, TRUE);
  EXPECT_FALSE(none);
  EXPECT_NE(session.GetLastErrorCode(), 0u);
  EXPECT_NE(session.GetLastErrorCode(), static_cast<DWORD>(ERROR_INTERNET_LOGIN_FAILURE));
}

TEST_F(InetTest, OneSearchOrFileAtATime) {
  for (const char* n : {"1.txt", "2.txt", "3.txt"}) ASSERT_TRUE(WriteBytesA(home + "\\pub\\" + n, n));
  auto ftp = Connect();
  ASSERT_TRUE(ftp);
  ASSERT_TRUE(ftp->SetCurrentDirectory("/pub"));
  {
    CFtpFileFind find(ftp.get());
    ASSERT_TRUE(find.FindFile());
    ASSERT_TRUE(find.FindNextFile());  // more to come: the search stays open
    CFtpFileFind second(ftp.get());
    EXPECT_FALSE(second.FindFile());
    EXPECT_EQ(second.GetLastErrorCode(), static_cast<DWORD>(ERROR_FTP_TRANSFER_IN_PROGRESS));
    EXPECT_FALSE(ftp->SetCurrentDirectory("/"));
    EXPECT_EQ(ftp->GetLastErrorCode(), static_cast<DWORD>(ERROR_FTP_TRANSFER_IN_PROGRESS));
    EXPECT_FALSE(ftp->OpenFile("1.txt"));
    find.Close();
    EXPECT_TRUE(second.FindFile()) << "free again after Close";
  }  // the search's end frees the connection too
  CString cur;
  ASSERT_TRUE(ftp->GetCurrentDirectory(cur));
  EXPECT_EQ(cur.Str(), "/pub");

  std::unique_ptr<CInternetFile> file = ftp->OpenFile("2.txt");
  ASSERT_TRUE(file);
  EXPECT_FALSE(ftp->GetFile("1.txt", (local + "\\x.txt").c_str()));
  EXPECT_EQ(ftp->GetLastErrorCode(), static_cast<DWORD>(ERROR_FTP_TRANSFER_IN_PROGRESS));
  CFtpFileFind find(ftp.get());
  EXPECT_FALSE(find.FindFile());
  char buf[16];
  UINT got = 0;
  ASSERT_TRUE(file->Read(buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), "2.txt");
  ASSERT_TRUE(file->Read(buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);
  file.reset();
  EXPECT_TRUE(ftp->GetFile("1.txt", (local + "\\x.txt").c_str()));
}

TEST_F(InetTest, ReadsInPiecesAndACutTransferFallsShortOfTheListedLength) {
  const std::string data = testsupport::PatternBytes(100000, 3);
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\whole.bin", data));
  ASSERT_TRUE(WriteBytesA(home + "\\pub\\broken.bin", data));
  auto ftp = Connect();
  ASSERT_TRUE(ftp);
  ASSERT_TRUE(ftp->SetCurrentDirectory("/pub"));
  std::string read;
  {
    auto file = ftp->OpenFile("whole.bin");
    ASSERT_TRUE(file);
    char buf[4096];
    UINT got = 0;
    while (file->Read(buf, sizeof buf, &got) && got > 0) read.append(buf, got);
    EXPECT_EQ(file->GetLastErrorCode(), 0u);
  }
  EXPECT_EQ(read, data);
  {
    CFtpFileFind find(ftp.get());
    ASSERT_TRUE(find.FindFile("broken.bin"));
    find.FindNextFile();
    EXPECT_EQ(find.GetFileName().Str(), "broken.bin");
    EXPECT_EQ(find.GetLength(), data.size());
  }
  // The server resets the data connection half way: the reads stop early,
  // with a failure or (under Wine) as if the file ended there.
  auto file = ftp->OpenFile("broken.bin");
  ASSERT_TRUE(file);
  char buf[4096];
  UINT got = 0;
  std::size_t total = 0;
  for (int i = 0; i < 1000 && file->Read(buf, sizeof buf, &got) && got > 0; ++i) total += got;
  EXPECT_LT(total, data.size());
}

TEST_F(InetTest, ClosingTheSessionEndsTheServersSession) {
  auto ftp = Connect();
  ASSERT_TRUE(ftp);
  ASSERT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] USER '" + user + "' logged in."));
  CFtpFileFind find(ftp.get());
  ASSERT_TRUE(ftp->SetCurrentDirectory("/pub"));
  session.Close();
  EXPECT_FALSE(ftp->IsOpen());
  EXPECT_FALSE(ftp->SetCurrentDirectory("/"));
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] FTP session closed"));
}

TEST(InetHttp, PagesAndStatuses) {
  REQUIRE_INET_SERVERS();
  const std::string root = testsupport::InetDir() + "\\http";
  const std::string page = "<html><body>" + std::string(9000, 'x') + "</body></html>\n";
  ASSERT_TRUE(WriteBytesA(root + "\\fw_page.htm", page));
  const std::string base = "http://127.0.0.1:" + std::to_string(testsupport::ServerPort("http"));
  CInternetSession session;
  auto file = session.OpenURL((base + "/fw_page.htm").c_str());
  ASSERT_TRUE(file) << session.GetLastErrorCode();
  DWORD status = 0;
  ASSERT_TRUE(file->QueryInfoStatusCode(status));
  EXPECT_EQ(status, 200u);
  std::string read;
  char buf[1000];
  UINT got = 0;
  while (file->Read(buf, sizeof buf, &got) && got > 0) read.append(buf, got);
  EXPECT_EQ(read, page);

  // A missing page is an answer too: only its status tells.
  auto missing = session.OpenURL((base + "/fw_missing.htm").c_str());
  ASSERT_TRUE(missing);
  ASSERT_TRUE(missing->QueryInfoStatusCode(status));
  EXPECT_EQ(status, 404u);
  // Nobody listening: no file at all.
  EXPECT_FALSE(session.OpenURL("http://127.0.0.1:1/x"));
  EXPECT_NE(session.GetLastErrorCode(), 0u);
}

}  // namespace
