// Launching files with their registered programs, and the registry reads,
// in-process against the shell and registry of the test prefix. A test type
// of this process's own is registered under HKEY_CLASSES_ROOT (Wine does not
// merge the user's classes into it) with the stand-in program
// launch_recorder.exe as its open command; the stand-in writes how it was
// started into a file this test waits for.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "fw/codepage.h"
#include "fw/shellexec.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "launch_record.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"

namespace {

using shelltest::ShellTest;

std::string WinPath(std::string p) {
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string RecorderPath() { return WinPath(std::string(TABRYE_BIN_ROOT) + "/launch_recorder.exe"); }

std::string Pid() { return std::to_string(GetCurrentProcessId()); }

bool SetDefault(HKEY root, const std::string& key, const char* name, const std::string& value) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

// The output of a command of the prefix (cmd.exe runs it).
std::string Capture(const char* command) {
  std::string out;
  FILE* p = _popen(command, "r");
  if (!p) return out;
  char buf[1024];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  _pclose(p);
  return out;
}

bool BoxShown(const std::string& text) {
  for (const std::string& t : fw::hooks::MessageBoxTexts())
    if (t == text) return true;
  return false;
}

std::string Loaded(UINT id) {
  CString s;
  s.LoadString(id);
  return s.Str();
}

class LaunchTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    docs_ = std::make_unique<testsupport::TempProgramFolder>();
    record_ = docs_->File("record.txt");
    SetEnvironmentVariableA("TABRYE_LAUNCH_RECORD", record_.c_str());
    ext_ = "tbl" + Pid();
    type_ = "TabryeLaunchTest" + Pid() + ".Doc";
    command_ = "\"" + RecorderPath() + "\" \"%1\" -k";
    ASSERT_TRUE(SetDefault(HKEY_CLASSES_ROOT, "." + ext_, nullptr, type_));
    ASSERT_TRUE(SetDefault(HKEY_CLASSES_ROOT, type_ + "\\shell\\open\\command", nullptr, command_));
    ASSERT_TRUE(Start(""));
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ("." + ext_).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, type_.c_str());
    SetEnvironmentVariableA("TABRYE_LAUNCH_RECORD", nullptr);
    ShellTest::TearDown();
    docs_.reset();
  }

  // A document of the test type (Shift-JIS name) in the test's folder.
  std::string Document(const std::string& name) {
    const std::string path = docs_->File(name);
    // The name in the program's code page, as the program sees it.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return path;
  }

  // Waits (bounded) for the stand-in's record, then takes it away for the
  // next start; empty when it did not come.
  std::map<std::string, std::string> Record(int timeoutMs = 20000) {
    return shelltest::TakeLaunchRecord(record_, timeoutMs);
  }

  bool RecordExists() const { return GetFileAttributesA(record_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  static std::string Utf8(const std::string& sjis) { return fw::Cp932ToUtf8(sjis); }
  static std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

  std::unique_ptr<testsupport::TempProgramFolder> docs_;
  std::string record_, ext_, type_, command_;
};

TEST_F(LaunchTest, DocumentStartsItsRegisteredProgramWithTheQuotedPath) {
  // "a 表.<ext>": a blank, and a double-byte character with a "\" trail byte.
  for (unsigned fshell : {0u, 1u}) {
    SCOPED_TRACE(fshell);
    const std::string path = Document("a 表." + ext_);
    doc->m_nFshell = fshell;
    doc->m_nLaunchFollowUp = 1;
    ASSERT_EQ(0, doc->LaunchFile(path.c_str()))
        << (fw::hooks::MessageBoxTexts().empty() ? "" : Utf8(fw::hooks::MessageBoxTexts()[0]));
    const auto r = Record();
    ASSERT_FALSE(r.empty()) << "the registered program did not start";
    const std::string cmdline = r.at("cmdline");
    EXPECT_NE(cmdline.find(Quoted(Utf8(path)) + " -k"), std::string::npos) << cmdline;
    EXPECT_EQ(r.at("folder"), Utf8(docs_->Path()));
    EXPECT_EQ(r.at("show"), "1");
    EXPECT_EQ(1, doc->m_nLaunchFollowUp);
    const fw::ShellRequest asked = fw::LastShellRequest();
    if (fshell == 1) {
      // The document has no "runas" verb: its program is started elevated.
      EXPECT_EQ(asked.verb.Str(), "runas");
      EXPECT_EQ(asked.file.Str(), RecorderPath());
      EXPECT_EQ(asked.parameters.Str(), Quoted(path) + " -k");
    } else {
      EXPECT_EQ(asked.verb.Str(), "open");
      EXPECT_EQ(asked.file.Str(), path);
    }
    EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
  }
}

TEST_F(LaunchTest, FileExeStatementStartsTheRegisteredProgram) {
  CDvkView* v = frame->GetTextView(0, 0);
  ASSERT_NE(nullptr, v);
  doc->m_nFshell = 0;
  // The long and the short spelling of the statement.
  for (const char* statement : {"fileexe", "&Fx"}) {
    SCOPED_TRACE(statement);
    const std::string path = Document(std::string("m ") + (statement[0] == '&' ? "2." : "1.") + ext_);
    const std::string macroFile = docs_->File("x.rmc");
    testsupport::WriteFileBytes(macroFile, std::string("\t") + statement + "\t" + path + "\r\n");
    v->RunMacro(macro::kRunFile, macroFile.c_str(), "", "");
    const auto r = Record();
    ASSERT_FALSE(r.empty()) << "the registered program did not start";
    EXPECT_NE(r.at("cmdline").find(Quoted(Utf8(path)) + " -k"), std::string::npos) << r.at("cmdline");
    EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
  }
}

TEST_F(LaunchTest, ElevatedOpenerWithABarePlaceholderGetsTheQuotedPath) {
  // An opener whose "%1" stands outside quotes: the elevated start quotes
  // the document itself, or a path with a blank would split in two.
  const std::string ext = "tbu" + Pid();
  const std::string type = type_ + "U";
  ASSERT_TRUE(SetDefault(HKEY_CLASSES_ROOT, "." + ext, nullptr, type));
  ASSERT_TRUE(SetDefault(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", nullptr,
                         "\"" + RecorderPath() + "\" /u %1"));
  const std::string path = Document("b 表 c." + ext);
  doc->m_nFshell = 1;
  const int result = doc->LaunchFile(path.c_str());
  const auto r = Record();
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ("." + ext).c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, type.c_str());
  ASSERT_EQ(0, result);
  ASSERT_FALSE(r.empty());
  EXPECT_NE(r.at("cmdline").find("/u " + Quoted(Utf8(path))), std::string::npos) << r.at("cmdline");
}

TEST_F(LaunchTest, ProgramStartsItselfElevated) {
  doc->m_nFshell = 1;
  ASSERT_EQ(0, doc->LaunchFile(("\"" + RecorderPath() + "\"").c_str()));
  const auto r = Record();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(fw::LastShellRequest().verb.Str(), "runas");
  EXPECT_EQ(fw::LastShellRequest().file.Str(), RecorderPath());
  EXPECT_EQ(r.at("cmdline").find("-k"), std::string::npos) << r.at("cmdline");
}

TEST_F(LaunchTest, ShellOpenElevatedHandsOnTheShowCode) {
  struct Case {
    int show;
    const char* wShowWindow;
  };
  const Case cases[] = {{1, "0"}, {2, "2"}, {0, "1"}, {5, "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.show);
    const HINSTANCE h = doc->ShellOpenElevated(RecorderPath().c_str(), "x y", docs_->Path().c_str(), 0, c.show);
    EXPECT_GT(reinterpret_cast<INT_PTR>(h), 32);
    const auto r = Record();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.at("show"), c.wShowWindow);
    EXPECT_NE(r.at("cmdline").find("x y"), std::string::npos);
    EXPECT_EQ(fw::LastShellRequest().verb.Str(), "open");
  }
  // "runas" on a program starts it too.
  EXPECT_GT(reinterpret_cast<INT_PTR>(doc->ShellOpenElevated(RecorderPath().c_str(), "", "", 1, 2)), 32);
  EXPECT_EQ(fw::LastShellRequest().verb.Str(), "runas");
  const auto r = Record();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(r.at("show"), "2");
}

TEST_F(LaunchTest, FailureSetsTheFollowUpAndNamesFileAndReason) {
  const std::string unknown = Document("u.tabryeunknown" + Pid());
  const std::string noExtension = Document("noext" + Pid());
  const std::string missing = docs_->File("gone." + ext_);
  struct Case {
    std::string path;
    unsigned fshell;
    UINT reason;
  };
  const Case cases[] = {
      {unknown, 0, IDS_LAUNCH_NO_ASSOCIATION},      // the shell refuses it
      {unknown, 1, IDS_LAUNCH_NO_ASSOCIATION},      // no opener to elevate
      {noExtension, 1, IDS_LAUNCH_NO_ASSOCIATION},
      {missing, 0, IDS_LAUNCH_NO_FILE},
      {missing, 1, IDS_LAUNCH_NO_FILE},
      {"", 0, IDS_LAUNCH_NO_FILE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " fshell " + std::to_string(c.fshell));
    fw::hooks::Reset();
    fw::hooks::SetTestMode(true);
    doc->m_nFshell = c.fshell;
    doc->m_nLaunchFollowUp = 1;
    CString want;
    want.Format(IDS_LAUNCH_FAILED, c.path.c_str(), Loaded(c.reason).c_str());
    fw::hooks::ExpectMessageBox(c.path, IDOK);
    EXPECT_EQ(-1, doc->LaunchFile(c.path.c_str()));
    EXPECT_EQ(-1, doc->m_nLaunchFollowUp);
    EXPECT_TRUE(BoxShown(want.Str())) << (fw::hooks::MessageBoxTexts().empty() ? "" : fw::hooks::MessageBoxTexts()[0]);
    EXPECT_TRUE(fw::hooks::Unused().empty());
  }
  EXPECT_FALSE(RecordExists());
}

TEST_F(LaunchTest, CurrentFileIsTheActiveSidesPath) {
  const std::string one = Document("one." + ext_);
  const std::string two = Document("two." + ext_);
  doc->m_strPath1 = one.c_str();
  doc->m_strPath2 = two.c_str();
  doc->m_nFshell = 0;
  for (unsigned side : {2u, 1u}) {
    SCOPED_TRACE(side);
    doc->m_nActiveSide = side;
    ASSERT_EQ(0, doc->LaunchCurrentFile());
    const auto r = Record();
    ASSERT_FALSE(r.empty());
    EXPECT_NE(r.at("cmdline").find(Quoted(side == 1 ? one : two)), std::string::npos) << r.at("cmdline");
  }
}

TEST_F(LaunchTest, DefaultOpenerOfAnExtension) {
  struct Case {
    std::string ext;
    std::string want;
  };
  std::string upper = ext_;
  for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  const Case cases[] = {
      {ext_, command_},
      {"." + ext_, command_},
      {" ." + upper + " ", command_},
      {"tabryeunknown" + Pid(), ""},
      {"", ""},
      {".", ""},
      {type_ + "\\shell", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(doc->GetDefaultOpener(c.ext.c_str()).Str(), c.want) << c.ext;
  // A type without an open command has no opener.
  const std::string bare = "tbm" + Pid();
  ASSERT_TRUE(SetDefault(HKEY_CLASSES_ROOT, "." + bare, nullptr, type_ + "X"));
  EXPECT_EQ(doc->GetDefaultOpener(bare.c_str()).Str(), "");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ("." + bare).c_str());
}

TEST_F(LaunchTest, AssociatedProgramFollowsTheUsersHttpChoice) {
  const char kChoice[] = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
  CString before;
  doc->GetAssociatedProgram(before);
  std::string lower = before.Str();
  for (char& ch : lower) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(lower.find("winebrowser"), std::string::npos) << before.Str();

  // The user's choice as it stands, put back at the end.
  char old[256] = {};
  DWORD oldSize = sizeof old;
  const bool hadChoice = RegGetValueA(HKEY_CURRENT_USER, kChoice, "ProgId", RRF_RT_REG_SZ, nullptr, old,
                                      &oldSize) == ERROR_SUCCESS;
  const std::string prog = "TabryeLaunchTest" + Pid() + ".Http";
  const std::string browser = "\"C:\\Tools\\browse.exe\" -url \"%1\"";
  ASSERT_TRUE(SetDefault(HKEY_CLASSES_ROOT, prog + "\\shell\\open\\command", nullptr, browser));
  ASSERT_TRUE(SetDefault(HKEY_CURRENT_USER, kChoice, "ProgId", prog));
  CString chosen;
  doc->GetAssociatedProgram(chosen);
  EXPECT_EQ(chosen.Str(), browser);
  // A choice whose type has no command falls back to the "http" type's.
  ASSERT_TRUE(SetDefault(HKEY_CURRENT_USER, kChoice, "ProgId", prog + "None"));
  CString fallback;
  doc->GetAssociatedProgram(fallback);
  EXPECT_EQ(fallback.Str(), before.Str());

  if (hadChoice) {
    SetDefault(HKEY_CURRENT_USER, kChoice, "ProgId", old);
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kChoice, "ProgId");
  }
  RegDeleteTreeA(HKEY_CLASSES_ROOT, prog.c_str());
  CString after;
  doc->GetAssociatedProgram(after);
  EXPECT_EQ(after.Str(), before.Str());
}

TEST_F(LaunchTest, WindowsVersionAgreesWithTheSystem) {
  const CDvkDoc::WindowsVersion v = doc->GetWindowsVersion();
  // The numbers as cmd's "ver" prints them, and the product name as reg.exe
  // reads it: both are the system's own tools.
  const std::string numbers =
      std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build);
  EXPECT_GT(v.major, 0u);
  const std::string ver = Capture("cmd /c ver");
  EXPECT_NE(ver.find(numbers), std::string::npos) << ver << " / " << numbers;
  const std::string reg = Capture("reg query \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\" /v ProductName");
  ASSERT_FALSE(v.productName.IsEmpty());
  EXPECT_NE(reg.find("REG_SZ    " + v.productName.Str()), std::string::npos) << reg;
  // RtlGetVersion itself.
  using Fn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtl = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtl, nullptr);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(0, rtl(&info));
  EXPECT_EQ(v.major, info.dwMajorVersion);
  EXPECT_EQ(v.minor, info.dwMinorVersion);
  EXPECT_EQ(v.build, info.dwBuildNumber);
}

}  // namespace
