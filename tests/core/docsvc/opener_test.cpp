// Registered open commands: the split into program and arguments, the
// document put into the arguments, and the launch plan by fshell and kind.
#include <gtest/gtest.h>

#include <string>

#include "core/docsvc/opener.h"

namespace {

using docsvc::LaunchFailure;
using docsvc::PathKind;

// "表" in Shift-JIS: its trail byte is "\".
#define HYO "\x95\x5c"

TEST(Opener, SplitCommand) {
  struct Case {
    const char* command;
    const char* program;
    const char* arguments;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\a\\b.exe\" \"%1\"", "C:\\Program Files\\a\\b.exe", "\"%1\""},
      {"\"C:\\p.exe\"/dde", "C:\\p.exe", "/dde"},
      {"  \"C:\\p.exe\"   -x  %1", "C:\\p.exe", "-x  %1"},
      {"\"C:\\no close", "C:\\no close", ""},
      {"C:\\windows\\system32\\winebrowser.exe -nohome", "C:\\windows\\system32\\winebrowser.exe", "-nohome"},
      // an unquoted path with blanks ends after its program extension
      {"C:\\Program Files\\a b\\run.EXE %1 /x", "C:\\Program Files\\a b\\run.EXE", "%1 /x"},
      {"C:\\tools\\go.bat", "C:\\tools\\go.bat", ""},
      // ".exe" inside a word is no end of the program
      {"C:\\x.exec\\y.cmd \"%1\"", "C:\\x.exec\\y.cmd", "\"%1\""},
      // no program extension: the first blank
      {"notepad %1", "notepad", "%1"},
      {"rundll32.exe shimgvw.dll,ImageView_Fullscreen %1", "rundll32.exe", "shimgvw.dll,ImageView_Fullscreen %1"},
      {"C:\\" HYO "\\p.exe %1", "C:\\" HYO "\\p.exe", "%1"},
      {"", "", ""},
      {"   ", "", ""},
  };
  for (const Case& c : cases) {
    const docsvc::CommandParts p = docsvc::SplitCommand(c.command);
    EXPECT_EQ(std::string(p.program), c.program) << c.command;
    EXPECT_EQ(std::string(p.arguments), c.arguments) << c.command;
  }
}

TEST(Opener, DocumentIntoArguments) {
  const char* doc = "C:\\d d\\a " HYO ".txt";
  const std::string q = std::string("\"") + doc + "\"";
  struct Case {
    const char* arguments;
    std::string want;
  };
  const Case cases[] = {
      {"\"%1\"", q},
      {"%1", q},
      {"/p \"%L\" /x", "/p " + q + " /x"},
      {"%l", q},
      {"-view %V", "-view " + q},
      {"\"%d\"", q},
      {"%1 %*", q + " "},
      {"%2 %I %~ %1", "   " + q},
      {"100%% %1", "100% " + q},
      {"%SystemRoot%\\x %1", "%SystemRoot%\\x " + q},
      {"%Data% %Lx %S", "%Data% %Lx " + q},
      {"%D.", q + "."},
      // no placeholder: the document goes last
      {"", q},
      {"/dde", "/dde " + q},
      {"/dde   ", "/dde " + q},
      {"%*", q},
      // a placeholder inside quotes with text around it
      {"\"--file=%1\"", std::string("\"--file=") + doc + "\""},
      // a trailing "%" stays
      {"50%", "50% " + q},
  };
  for (const Case& c : cases)
    EXPECT_EQ(std::string(docsvc::PutDocumentIntoArguments(c.arguments, doc)), c.want) << c.arguments;
  EXPECT_EQ(std::string(docsvc::QuoteArgument("\"x\"")), "\"x\"");
}

TEST(Opener, ProgramFilesAndVerb) {
  const char* programs[] = {"a.exe", "C:\\b\\c.EXE", "d.Com", "e.bat", "f.cmd"};
  for (const char* p : programs) EXPECT_TRUE(docsvc::IsProgramFile(p)) << p;
  const char* documents[] = {"a.txt", "exe", "a.exe.txt", "a.exec", "C:\\x.exe\\y", "a.", ".exe"};
  for (const char* p : documents) EXPECT_FALSE(docsvc::IsProgramFile(p)) << p;
  EXPECT_STREQ(docsvc::LaunchVerb(1), "runas");
  EXPECT_STREQ(docsvc::LaunchVerb(0), "open");
  EXPECT_STREQ(docsvc::LaunchVerb(2), "open");
}

TEST(Opener, ShellFailures) {
  struct Case {
    long long instance;
    unsigned long error;
    LaunchFailure want;
  };
  const Case cases[] = {
      {33, 0, LaunchFailure::kNone},        {42, 1223, LaunchFailure::kNone},
      {31, 1155, LaunchFailure::kNoAssociation}, {31, 0, LaunchFailure::kNoAssociation},
      {27, 0, LaunchFailure::kNoAssociation}, {2, 2, LaunchFailure::kNoFile},
      {3, 3, LaunchFailure::kPathNotFound}, {5, 5, LaunchFailure::kAccessDenied},
      {5, 1223, LaunchFailure::kCancelled}, {0, 0, LaunchFailure::kNoResources},
      {8, 8, LaunchFailure::kNoResources},  {11, 193, LaunchFailure::kBadFormat},
      {26, 32, LaunchFailure::kOther},      {32, 0, LaunchFailure::kOther},
      {-1, 0, LaunchFailure::kOther},
  };
  for (const Case& c : cases)
    EXPECT_EQ(docsvc::ShellFailure(c.instance, c.error), c.want) << c.instance << "/" << c.error;
}

TEST(Opener, PlanLaunch) {
  int asked = 0;
  std::string askedFor;
  auto opener = [&](const CString& ext) {
    ++asked;
    askedFor = ext.Str();
    if (ext.CompareNoCase("tbt") == 0) return CString("\"C:\\Rec Dir\\rec.exe\" \"%1\" -k");
    if (ext == "bare") return CString("C:\\r.exe");
    return CString();
  };
  struct Case {
    const char* path;
    unsigned fshell;
    PathKind kind;
    LaunchFailure failure;
    const char* file;
    const char* parameters;
    const char* folder;
    int runas;
    bool asks;
  };
  const Case cases[] = {
      {"C:\\d\\a " HYO ".tbt", 0, PathKind::kFile, LaunchFailure::kNone, "C:\\d\\a " HYO ".tbt", "", "C:\\d", 0, false},
      {"C:\\d\\a " HYO ".tbt", 1, PathKind::kFile, LaunchFailure::kNone, "C:\\Rec Dir\\rec.exe",
       "\"C:\\d\\a " HYO ".tbt\" -k", "C:\\d", 1, true},
      {"C:\\d\\x.bare", 1, PathKind::kFile, LaunchFailure::kNone, "C:\\r.exe", "\"C:\\d\\x.bare\"", "C:\\d", 1, true},
      {"  \"C:\\d\\p.exe\" ", 1, PathKind::kFile, LaunchFailure::kNone, "C:\\d\\p.exe", "", "C:\\d", 1, false},
      {"C:\\d\\p.exe", 0, PathKind::kFile, LaunchFailure::kNone, "C:\\d\\p.exe", "", "C:\\d", 0, false},
      {"C:\\top.tbt", 1, PathKind::kFile, LaunchFailure::kNone, "C:\\Rec Dir\\rec.exe", "\"C:\\top.tbt\" -k", "C:\\", 1, true},
      {"C:\\d\\u.unknown", 1, PathKind::kFile, LaunchFailure::kNoAssociation, "C:\\d\\u.unknown", "", "C:\\d", 1, true},
      {"C:\\d\\noext", 1, PathKind::kFile, LaunchFailure::kNoAssociation, "C:\\d\\noext", "", "C:\\d", 1, true},
      // an unknown type without fshell goes to the shell, which reports it
      {"C:\\d\\u.unknown", 0, PathKind::kFile, LaunchFailure::kNone, "C:\\d\\u.unknown", "", "C:\\d", 0, false},
      {"C:\\d\\sub", 1, PathKind::kFolder, LaunchFailure::kNone, "C:\\d\\sub", "", "C:\\d", 0, false},
      {"C:\\d\\gone.tbt", 1, PathKind::kMissing, LaunchFailure::kNoFile, "", "", "", 0, false},
      {"  ", 0, PathKind::kFile, LaunchFailure::kNoFile, "", "", "", 0, false},
      {"\"\"", 0, PathKind::kFile, LaunchFailure::kNoFile, "", "", "", 0, false},
      {"rel.tbt", 0, PathKind::kFile, LaunchFailure::kNone, "rel.tbt", "", "", 0, false},
  };
  for (const Case& c : cases) {
    asked = 0;
    const docsvc::LaunchPlan p = docsvc::PlanLaunch(c.path, c.fshell, c.kind, opener);
    EXPECT_EQ(p.failure, c.failure) << c.path;
    if (c.failure == LaunchFailure::kNone) {
      EXPECT_EQ(std::string(p.file), c.file) << c.path;
      EXPECT_EQ(std::string(p.parameters), c.parameters) << c.path;
      EXPECT_EQ(p.runas, c.runas) << c.path;
    }
    if (c.failure != LaunchFailure::kNoFile) {
      EXPECT_EQ(std::string(p.folder), c.folder) << c.path;
    }
    EXPECT_EQ(asked, c.asks ? 1 : 0) << c.path;
  }
  asked = 0;
  docsvc::PlanLaunch("C:\\d\\x.TBT", 1, PathKind::kFile, opener);
  EXPECT_EQ(askedFor, "TBT");
}

}  // namespace
