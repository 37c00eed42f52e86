// The spreadsheet hand-over and pattern mode in the running program: the
// hand-over text in the scratch file and on the clipboard (the table left
// as it was), a clipboard held by another program, the program registered
// for "xls" started on the quoted template copy (the stand-in
// launch_recorder.exe records how), none registered, and a read-only
// pattern-mode target asked about.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <thread>

#include "app/dvkdoc.h"
#include "fw/clipboard.h"
#include "fw/codepage.h"
#include "fw/uihooks.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "launch_record.h"
#include "view/dvkview.h"

namespace {

std::string WinPath(std::string p) {
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string RecorderPath() { return WinPath(std::string(TABRYE_BIN_ROOT) + "/launch_recorder.exe"); }

// A cell with a TAB in it, the "XLS" block head, the line after it, then
// the counts 12 and x.
const std::string kTable = "a,\"b\tc\"\r\nXLS,h\r\nn,l\r\n12,x\r\n";

class HandoverRunTest : public shelltest::MacroShellTest {
 protected:
  void SetUp() override {
    MacroShellTest::SetUp();
    record_ = File("record.txt");
    SetEnvironmentVariableA("TABRYE_LAUNCH_RECORD", record_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("TABRYE_LAUNCH_RECORD", nullptr);
    MacroShellTest::TearDown();
  }
  CDvkView* Ready() {
    CDvkView* v = OpenTable(kTable, "t.csv");
    if (!v) return nullptr;
    CreateDirectoryA(File("TMP").c_str(), nullptr);
    testsupport::WriteFileBytes(File("x.xls"), "template bytes");
    doc->m_strSysValue[3] = RecorderPath().c_str();
    return v;
  }
  int Export(CDvkView* v, const char* templ, int mode, const std::string& target) {
    v->m_strStmtOperand = target.c_str();
    return v->ExportToExcel(templ, mode, 0);
  }
  // The stand-in's record (bounded wait), taken away for the next start.
  std::map<std::string, std::string> Record() { return shelltest::TakeLaunchRecord(record_); }
  std::string record_;
};

TEST_F(HandoverRunTest, FileAndClipboardCarryTheSameTextAndTheTableStays) {
  CDvkView* v = Ready();
  ASSERT_NE(nullptr, v);
  const std::string before = TableBytes(v);
  const std::uint32_t len = v->m_table.m_nTextLen;
  const std::string target = File("out.xls");
  ASSERT_EQ(0, Export(v, "x.xls:2", 2, target));
  const auto r = Record();
  ASSERT_FALSE(r.empty());
  const std::string text = testsupport::ReadFileBytes(File("TMP\\DorvikTmpXls.txt"));
  EXPECT_EQ("a\tb\tc\r\nXLS\th\r\nn\tl\r\n************\tx\r\n\r\n\r\nF=3;" + target, text);
  EXPECT_EQ(before, TableBytes(v));
  EXPECT_EQ(len, v->m_table.m_nTextLen);
  // The template's copy, started quoted.
  const std::string copy = File("TMP\\Dorvikform.xls");
  EXPECT_EQ("template bytes", testsupport::ReadFileBytes(copy));
  EXPECT_NE(std::string::npos, r.at("cmdline").find("\"" + fw::Cp932ToUtf8(copy) + "\"")) << r.at("cmdline");
  // Mode 3: the clipboard only, the same bytes; the next free copy name.
  DeleteFileA(File("TMP\\DorvikTmpXls.txt").c_str());
  ASSERT_EQ(0, Export(v, "x.xls:2", 3, target));
  EXPECT_FALSE(Record().empty());
  std::string clip;
  ASSERT_TRUE(fw::GetClipboardText(nullptr, &clip));
  EXPECT_EQ(text, clip);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(File("TMP\\DorvikTmpXls.txt").c_str()));
  EXPECT_EQ("template bytes", testsupport::ReadFileBytes(File("TMP\\Dorvikform_AA.xls")));
  EXPECT_EQ(before, TableBytes(v));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(HandoverRunTest, AClipboardHeldElsewhereLeavesTheFileOnly) {
  CDvkView* v = Ready();
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(fw::SetClipboardText(nullptr, "kept"));
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([opened, release] {
    const BOOL ok = OpenClipboard(nullptr);
    SetEvent(opened);
    WaitForSingleObject(release, 30000);
    if (ok) CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  const int result = Export(v, "x.xls", 3, File("out.xls"));
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
  ASSERT_EQ(0, result);
  EXPECT_FALSE(Record().empty());
  EXPECT_EQ("a\tb\tc\r\nXLS\th\r\nn\tl\r\n************\tx\r\n\r\n\r\nF=" + File("out.xls"),
            testsupport::ReadFileBytes(File("TMP\\DorvikTmpXls.txt")));
  std::string clip;
  ASSERT_TRUE(fw::GetClipboardText(nullptr, &clip));
  EXPECT_EQ("kept", clip);
}

TEST_F(HandoverRunTest, NoProgramRegisteredIsReportedAndFails) {
  CDvkView* v = Ready();
  ASSERT_NE(nullptr, v);
  doc->m_strSysValue[3].Empty();
  fw::hooks::ExpectMessageBox("\x8B\x4E\x93\xAE", IDOK);  // 起動
  EXPECT_EQ(-1, Export(v, "x.xls", 2, File("out.xls")));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  bool named = false;
  for (const std::string& t : fw::hooks::MessageBoxTexts())
    named = named || t.find("\"" + File("TMP\\Dorvikform.xls") + "\"") != std::string::npos;
  EXPECT_TRUE(named);
  // A missing template: "Not Open " and the last name tried.
  fw::hooks::ExpectMessageBox("Not Open " + File("none.xlsm"), IDOK);
  EXPECT_EQ(-1, Export(v, "none.xls", 2, File("out.xls")));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

// A template of 1,024 bytes with "⊃0102" (UTF-16, 5 characters) at 600.
std::string PatternTemplate() {
  std::string t(1024, 'A');
  t[597] = 5;
  t[598] = 0;
  t[599] = 1;
  const char16_t ph[] = u"\u22830102";
  for (int i = 0; i < 5; ++i) {
    t[600 + 2 * i] = static_cast<char>(ph[i] & 0xFF);
    t[601 + 2 * i] = static_cast<char>(ph[i] >> 8);
  }
  return t;
}

TEST_F(HandoverRunTest, AReadOnlyPatternTargetIsAskedAbout) {
  CDvkView* v = Ready();
  ASSERT_NE(nullptr, v);
  testsupport::WriteFileBytes(File("XLSptrn.xls"), PatternTemplate());
  const std::string target = File("ro.xls");
  testsupport::WriteFileBytes(target, "old");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDNO);  // 書込み可
  EXPECT_EQ(-1, Export(v, "", 1, target));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ("old", testsupport::ReadFileBytes(target));
  fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDYES);
  EXPECT_EQ(0, Export(v, "", 1, target));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  const std::string out = testsupport::ReadFileBytes(target);
  ASSERT_EQ(1024u, out.size());
  // Row 1, column 2: the quoted cell with its TAB ends at the TAB.
  EXPECT_EQ(std::string("\"\0b\0 \0 \0 \0", 10), out.substr(600, 10));
  // A template below 256 bytes: 1, nothing written.
  testsupport::WriteFileBytes(File("short.xls"), std::string(255, 'A'));
  EXPECT_EQ(1, Export(v, "short.xls", 1, File("never.xls")));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(File("never.xls").c_str()));
}

}  // namespace
