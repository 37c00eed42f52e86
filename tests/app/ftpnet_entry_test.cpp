// The FTP site and network-drive entries dialog through the document's
// command (32919), answered through the dialog hook: the rows it shows, Cancel,
// OK writing "Dorvik.sys" and the key code, and rows refused on OK with a
// message naming the row, "Dorvik.sys" left byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/temp_folder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Text(CDialog& d, int id) {
  char text[256] = {};
  GetDlgItemTextA(d.m_hWnd, id, text, sizeof text);
  return text;
}

class FtpNetEntryTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    ASSERT_TRUE(Start("", false, folder.Path()));
    sys = folder.File("Dorvik.sys");
  }
  void Send() { frame->SendMessage(WM_COMMAND, ID_NETWORK_SETTINGS, 0); }

  testsupport::TempProgramFolder folder;
  std::string sys;
};

TEST_F(FtpNetEntryTest, RowsShownAndCancelChangesNothing) {
  doc->FtpEntry(0) = "X:~~/host;BASE=;USER=a;PWRD=b";
  doc->FtpEntry(1) = "Y:~2site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p";
  doc->m_strSysValue[32] = "K:~share~/\\\\srv\\share;USER=id;PWRD=pw";
  doc->m_strEncryptKeyCode = "5678";
  ASSERT_TRUE(doc->WriteSysFile());
  const std::string before = ReadAll(sys);
  int calls = 0;
  fw::hooks::ExpectDialog(IDD_FTP_NET_ENTRY, [&](CDialog& d) {
    ++calls;
    EXPECT_EQ(Text(d, IDC_FNE_FTP_DRIVE1), "X");
    EXPECT_EQ(IsDlgButtonChecked(d.m_hWnd, IDC_FNE_FTP_PASSIVE1), BST_CHECKED);  // no flag digit: both ticked
    EXPECT_EQ(IsDlgButtonChecked(d.m_hWnd, IDC_FNE_FTP_LOCALTIME1), BST_CHECKED);
    EXPECT_EQ(Text(d, IDC_FNE_FTP_DRIVE2), "Y");
    EXPECT_EQ(Text(d, IDC_FNE_FTP_NOTE2), "site");
    EXPECT_EQ(Text(d, IDC_FNE_FTP_ADDRESS2), "127.0.0.1:2121");
    EXPECT_EQ(Text(d, IDC_FNE_FTP_FOLDER2), "/pub");
    EXPECT_EQ(IsDlgButtonChecked(d.m_hWnd, IDC_FNE_FTP_PASSIVE2), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d.m_hWnd, IDC_FNE_FTP_LOCALTIME2), BST_UNCHECKED);
    EXPECT_EQ(Text(d, IDC_FNE_FTP_DRIVE3), "Z");  // the default letter
    EXPECT_EQ(Text(d, IDC_FNE_NET_DRIVE2), "K");
    EXPECT_EQ(Text(d, IDC_FNE_NET_ADDRESS2), "\\\\srv\\share");
    EXPECT_EQ(Text(d, IDC_FNE_NET_USER2), "id");
    EXPECT_EQ(Text(d, IDC_FNE_NET_DRIVE9), "R");
    EXPECT_EQ(Text(d, IDC_FNE_KEYCODE), "5678");
    d.SetDlgItemText(IDC_FNE_FTP_ADDRESS2, "changed");
    return IDCANCEL;
  });
  Send();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(doc->FtpEntry(1).Str(), "Y:~2site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p");
  EXPECT_EQ(ReadAll(sys), before);
  EXPECT_EQ(doc->m_strSysValue[40].Str(), "R:~~/;USER=;PWRD=");  // the default stays in memory
}

TEST_F(FtpNetEntryTest, OkWritesTheEntriesAndTheKeyCode) {
  fw::hooks::ExpectDialog(IDD_FTP_NET_ENTRY, [&](CDialog& d) {
    d.SetDlgItemText(IDC_FNE_FTP_DRIVE2, "Y");
    d.SetDlgItemText(IDC_FNE_FTP_NOTE2, "site");
    d.SetDlgItemText(IDC_FNE_FTP_ADDRESS2, "127.0.0.1:2121");
    d.SetDlgItemText(IDC_FNE_FTP_FOLDER2, "/pub");
    d.SetDlgItemText(IDC_FNE_FTP_USER2, "u");
    d.SetDlgItemText(IDC_FNE_FTP_PASSWORD2, "p");
    d.SetDlgItemText(IDC_FNE_NET_ADDRESS1, "\\\\srv\\j");
    d.SetDlgItemText(IDC_FNE_KEYCODE, "1234");
    return IDOK;
  });
  Send();
  EXPECT_EQ(doc->FtpEntry(1).Str(), "Y:~3site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p");
  EXPECT_EQ(doc->FtpEntry(0).Str(), "X:~3~/;BASE=;USER=;PWRD=");
  EXPECT_EQ(doc->m_strSysValue[31].Str(), "J:~~/\\\\srv\\j;USER=;PWRD=");
  EXPECT_EQ(doc->m_strEncryptKeyCode.Str(), "1234");
  EXPECT_NE(ReadAll(sys).find("Y:~3site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p"), std::string::npos);
  EXPECT_EQ(doc->GetFtpDriveNo("Y:\\a"), 2);
}

TEST_F(FtpNetEntryTest, RowsThatDoNotReadBackKeepTheDialogOpen) {
  ASSERT_TRUE(doc->WriteSysFile());
  const std::string before = ReadAll(sys);
  struct Case {
    const char* box;
    void (*fill)(CDialog&);
  };
  const Case cases[] = {
      {"FTP 2", [](CDialog& d) { d.SetDlgItemText(IDC_FNE_FTP_PASSWORD2, "x;USER=y"); }},
      {"FTP 2", [](CDialog& d) { d.SetDlgItemText(IDC_FNE_FTP_NOTE2, "a~b"); }},
      {"Network O:", [](CDialog& d) {
         d.SetDlgItemText(IDC_FNE_NET_ADDRESS2, "\\\\a\\b");
         d.SetDlgItemText(IDC_FNE_NET_ADDRESS6, "\\\\c\\d");
         d.SetDlgItemText(IDC_FNE_NET_DRIVE6, "K");
       }},
  };
  for (const Case& c : cases) {
    int calls = 0;
    fw::hooks::ExpectDialog(IDD_FTP_NET_ENTRY, [&](CDialog& d) {
      ++calls;
      d.SetDlgItemText(IDC_FNE_FTP_ADDRESS2, "127.0.0.1:2121");
      c.fill(d);
      return calls == 1 ? IDOK : IDCANCEL;
    });
    fw::hooks::ExpectMessageBox(c.box, IDOK);
    Send();
    EXPECT_EQ(calls, 2) << c.box;
    EXPECT_EQ(ReadAll(sys), before) << c.box;
  }
  // The row fixed on the second round is stored.
  int calls = 0;
  fw::hooks::ExpectDialog(IDD_FTP_NET_ENTRY, [&](CDialog& d) {
    ++calls;
    d.SetDlgItemText(IDC_FNE_FTP_ADDRESS2, "127.0.0.1:2121");
    d.SetDlgItemText(IDC_FNE_FTP_PASSWORD2, calls == 1 ? "x;USER=y" : "xy");
    return IDOK;
  });
  fw::hooks::ExpectMessageBox("FTP 2", IDOK);
  Send();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(doc->FtpEntry(1).Str(), "Y:~3~/127.0.0.1:2121;BASE=;USER=;PWRD=xy");
  EXPECT_NE(ReadAll(sys).find(";PWRD=xy"), std::string::npos);
}

}  // namespace
