// The document's archive entries in-process: the own paths and the three
// library stand-ins loaded from the program folder, the main window's title,
// the message boxes (through the hooks), the current directory, and the
// packing modes. Every extraction checks that nothing appears beside the
// destination.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

#include "archive/arc_crc.h"
#include "archive/extract_target.h"
#include "archive/lzh_writer.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "archive/zip_craft.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

using shelltest::ShellTest;

std::string Bin(const char* name) { return std::string(TABRYE_BIN_ROOT) + "/" + name; }

bool Exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != "..") out.insert(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

bool BoxShown(const std::string& part) {
  for (const std::string& t : fw::hooks::MessageBoxTexts())
    if (t.find(part) != std::string::npos) return true;
  return false;
}

std::string CurrentDir() {
  char buf[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

arc::CraftMember M(const std::string& name, const std::string& data, int method = 8) {
  arc::CraftMember m;
  m.name = name;
  m.data = data;
  m.method = method;
  return m;
}

class ArchiveEntries : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    cwd_ = CurrentDir();
    work = std::make_unique<testsupport::TempProgramFolder>();
  }
  void TearDown() override {
    SetCurrentDirectoryA(cwd_.c_str());
    ShellTest::TearDown();
    work.reset();
  }
  // Starts with a program folder holding the named stand-ins.
  void StartWith(std::initializer_list<const char*> dlls) {
    prog = std::make_unique<testsupport::TempProgramFolder>();
    for (const char* d : dlls) ASSERT_TRUE(CopyFileA(Bin(d).c_str(), prog->File(d).c_str(), FALSE)) << d;
    ASSERT_TRUE(Start("", false, prog->Path()));
  }
  std::string W(const char* name) const { return work->File(name); }

  std::unique_ptr<testsupport::TempProgramFolder> work, prog;
  std::string cwd_;
};

std::string Sample() {
  return arc::CraftZip({M("a.txt", "alpha"), M("d/", "", 0), M("d/e/b.bin", std::string(5000, 'b')),
                        M("\x95\x5C/c.txt", "sjis")});
}

void ExpectSampleTree(const std::string& dest) {
  EXPECT_EQ(testsupport::ReadFileBytes(dest + "\\a.txt"), "alpha");
  EXPECT_EQ(testsupport::ReadFileBytes(dest + "\\d\\e\\b.bin"), std::string(5000, 'b'));
  EXPECT_TRUE(Exists(dest + "\\d"));
}

TEST(ArchiveLibraries, ExportTheirUndecoratedNames) {
  struct {
    const char* dll;
    std::vector<const char*> names;
  } libs[] = {{"unzip32.dll", {"UnZip"}},
              {"ZIP32.dll", {"ZpInit", "ZpSetOptions", "ZpArchive"}},
              {"unlha32.dll", {"Unlha", "UnlhaGetVersion"}}};
  for (auto& l : libs) {
    HMODULE h = LoadLibraryA(Bin(l.dll).c_str());
    ASSERT_NE(h, nullptr) << l.dll;
    for (const char* n : l.names) EXPECT_NE(GetProcAddress(h, n), nullptr) << n;
    FreeLibrary(h);
  }
}

TEST_F(ArchiveEntries, UnzipOwnAndLibraryGiveTheSameTree) {
  for (bool withLib : {false, true}) {
    SCOPED_TRACE(withLib);
    if (withLib) {
      ShellTest::TearDown();
      ShellTest::SetUp();
      StartWith({"unzip32.dll"});
      ASSERT_NE(doc->m_pfnUnZip, nullptr);
    } else {
      StartWith({});
      ASSERT_EQ(doc->m_pfnUnZip, nullptr);
    }
    testsupport::WriteFileBytes(W("s.zip"), Sample());
    std::string dest = W(withLib ? "outlib" : "outown");
    std::set<std::string> before = Names(work->Path());
    EXPECT_EQ(doc->UnzipArchive(3, W("s.zip").c_str(), dest.c_str(), 0, 0, nullptr), 0);
    ExpectSampleTree(dest);
    before.insert(withLib ? "outlib" : "outown");
    EXPECT_EQ(Names(work->Path()), before);
    // The current directory is left at the destination.
    EXPECT_EQ(CurrentDir(), dest);
    // Mode 1 with count 1: the "--i -o " form (the own codec without the library).
    EXPECT_EQ(doc->UnzipArchive(1, W("s.zip").c_str(), dest.c_str(), 1, 0, nullptr), 0);
  }
}

std::string g_command;
unsigned g_size = 0;
bool g_zeroed = false;
int CaptureUnZip(void*, const char* cmd, char* out, std::uint32_t size) {
  g_command = cmd;
  g_size = size;
  g_zeroed = std::all_of(out, out + 32768, [](char c) { return c == 0; });
  return 7;
}

TEST_F(ArchiveEntries, UnZipReceivesTheCommandForms) {
  StartWith({});
  doc->m_pfnUnZip = CaptureUnZip;
  EXPECT_EQ(doc->UnzipArchive(1, "C:\\a b\\x.zip", W("d").c_str(), 1, 0, nullptr), 7);
  EXPECT_EQ(g_command, "--i -o -x \"C:\\a b\\x.zip\" \"" + W("d") + "\" *.*");
  EXPECT_EQ(g_size, 32767u);
  EXPECT_TRUE(g_zeroed);
  EXPECT_EQ(doc->UnzipArchive(3, "y.zip", W("d").c_str(), 0, 0, nullptr), 7);
  EXPECT_EQ(g_command, "-x \"y.zip\" \"" + W("d") + "\" *.*");
  doc->m_pfnUnZip = nullptr;
}

TEST_F(ArchiveEntries, UnzipFailureShowsTheCodeInTheTitle) {
  StartWith({});
  arc::CraftMember bad = M("b.txt", "payload", 0);
  bad.crc = 0x1234;
  testsupport::WriteFileBytes(W("bad.zip"), arc::CraftZip({M("a.txt", "first"), bad}));
  EXPECT_EQ(doc->UnzipArchive(0, W("bad.zip").c_str(), W("o").c_str(), 0, 0, nullptr), -1);
  EXPECT_EQ(Title().substr(0, 3), "027");
  EXPECT_EQ(doc->m_arcState.m_nArcOutLen, -1);
  testsupport::WriteFileBytes(W("m12.zip"), arc::CraftZip({M("a.txt", "first"), M("x.bin", "zz", 12)}));
  EXPECT_EQ(doc->UnzipArchive(0, W("m12.zip").c_str(), W("o2").c_str(), 0, 0, nullptr), -1);
  EXPECT_EQ(Title().substr(0, 13), "075 method 12");
  EXPECT_TRUE(Exists(W("o2\\a.txt")));
  testsupport::WriteFileBytes(W("evil.zip"), arc::CraftZip({M("../evil.txt", "x", 0)}));
  EXPECT_EQ(doc->UnzipArchive(0, W("evil.zip").c_str(), W("o3").c_str(), 0, 0, nullptr), -1);
  EXPECT_FALSE(Exists(W("evil.txt")));
}

TEST_F(ArchiveEntries, MemoryModeAndTheScratchArchiveThroughTheLibrary) {
  StartWith({"unzip32.dll"});
  std::string t500(500, 'q');
  for (size_t i = 0; i < t500.size(); ++i) t500[i] = static_cast<char>('a' + i % 26);
  std::string zip = arc::CraftZip({M("a", t500)});
  std::vector<unsigned char> buf(std::max<size_t>(zip.size(), 101) + 10, 0xEE);
  std::copy(zip.begin(), zip.end(), buf.begin());
  EXPECT_EQ(doc->UnzipArchive(0, "", W("unused").c_str(), static_cast<int>(zip.size()), 100, buf.data()), 100);
  EXPECT_TRUE(std::equal(t500.begin(), t500.begin() + 100, buf.begin()));
  EXPECT_EQ(buf[100], 0);
  EXPECT_FALSE(Exists(W("unused")));
  // A scratch archive as the image code writes it (CRC 0, an upper bound in
  // the local header, 0 in the central record) through unzip32.dll.
  arc::CraftMember m = M("temp.txt", t500);
  m.crc = 0;
  m.usize = 64 * 300;
  m.centralUsize = 0;
  m.flags = 2;
  arc::CraftOptions o;
  o.trailing = std::string(40, '\0');
  testsupport::WriteFileBytes(W("temp.zip"), arc::CraftZip({m}, o));
  EXPECT_EQ(doc->UnzipArchive(1, W("temp.zip").c_str(), W("tmpout").c_str(), 0, 0, nullptr), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(W("tmpout\\temp.txt")), t500);
}

// An LZH archive of one folder whose first member claims "-lh7-".
std::string Lh7Archive(const std::string& dir) {
  CreateDirectoryA((dir + "\\lsrc").c_str(), nullptr);
  CreateDirectoryA((dir + "\\lsrc\\sub").c_str(), nullptr);
  testsupport::WriteFileBytes(dir + "\\lsrc\\sub\\a.txt", "first member text");
  std::vector<arc::WalkEntry> v = arc::CollectEntries({dir + "\\lsrc"}, "");
  EXPECT_EQ(arc::WriteLzh(dir + "\\ok.lzh", v).result, 0);
  std::string bytes = testsupport::ReadFileBytes(dir + "\\ok.lzh");
  return bytes;
}

TEST_F(ArchiveEntries, LzhOwnPathLibraryPathAndTheCurrentDirectory) {
  StartWith({});
  std::string ok = Lh7Archive(work->Path());
  // Own path: extraction, the current directory ends in the last member's folder.
  EXPECT_EQ(doc->ArchiveLzh(W("ok.lzh").c_str(), W("lx").c_str(), 0), 0);
  std::set<std::string> found = Names(W("lx"));
  EXPECT_FALSE(found.empty());
  EXPECT_NE(CurrentDir().find("sub"), std::string::npos) << CurrentDir();
  // A missing archive: -1 and no message.
  fw::hooks::Reset();
  fw::hooks::SetTestMode(true);
  EXPECT_EQ(doc->ArchiveLzh(W("missing.lzh").c_str(), W("ly").c_str(), 0), -1);
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
  // An "-lh7-" member: string 208, -1; a copy of unlha32.dll in the current
  // directory is never loaded (it would decode the method).
  std::string lh7 = ok;
  size_t at = lh7.find("-lh5-");
  if (at == std::string::npos) at = lh7.find("-lh0-");
  ASSERT_NE(at, std::string::npos);
  lh7.replace(at, 5, "-lh7-");
  size_t start = at - 2, len = static_cast<unsigned char>(lh7[start]) | static_cast<unsigned char>(lh7[start + 1]) << 8;
  lh7[start + 27] = lh7[start + 28] = 0;
  uint16_t crc = arc::Crc16Update(0, reinterpret_cast<const uint8_t*>(lh7.data() + start), len);
  lh7[start + 27] = static_cast<char>(crc & 0xFF);
  lh7[start + 28] = static_cast<char>(crc >> 8);
  testsupport::WriteFileBytes(W("seven.lzh"), lh7);
  ASSERT_TRUE(CopyFileA(Bin("unlha32.dll").c_str(), W("unlha32.dll").c_str(), FALSE));
  SetCurrentDirectoryA(work->Path().c_str());
  fw::hooks::ExpectMessageBox("UNLHA32.DLL", IDOK);
  EXPECT_EQ(doc->ArchiveLzh(W("seven.lzh").c_str(), W("lz").c_str(), 0), -1);
  EXPECT_TRUE(BoxShown("UNLHA32.DLL"));
  EXPECT_EQ(GetModuleHandleA("unlha32.dll"), nullptr);
}

TEST_F(ArchiveEntries, LzhThroughTheLibrary) {
  StartWith({"unlha32.dll"});
  CreateDirectoryA(W("src").c_str(), nullptr);
  testsupport::WriteFileBytes(W("src\\t.txt"), std::string(20000, 't'));
  CreateDirectoryA(W("src\\deep").c_str(), nullptr);
  testsupport::WriteFileBytes(W("src\\deep\\u.txt"), "under");
  SetCurrentDirectoryA(work->Path().c_str());
  EXPECT_EQ(doc->ArchiveLzh(W("made.lzh").c_str(), "src", 1), 0);
  EXPECT_TRUE(Exists(W("made.lzh")));
  EXPECT_EQ(doc->ArchiveLzh(W("made.lzh").c_str(), W("back").c_str(), 0), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(W("back\\src\\t.txt")), std::string(20000, 't'));
  EXPECT_EQ(testsupport::ReadFileBytes(W("back\\src\\deep\\u.txt")), "under");
}

TEST_F(ArchiveEntries, CreateArchiveKindsAndNames) {
  StartWith({});
  fw::hooks::Reset();
  fw::hooks::SetTestMode(true);
  const char* lzh[] = {"", "x"};
  fw::hooks::ExpectMessageBox("UNLHA32.DLL", IDOK);
  EXPECT_EQ(doc->CreateArchive(0, 2, lzh, "", 0), -1);
  EXPECT_TRUE(BoxShown("UNLHA32.DLL"));
  CreateDirectoryA(W("dir").c_str(), nullptr);
  testsupport::WriteFileBytes(W("dir\\f.txt"), "file");
  std::string item = W("dir") + "\\";
  const char* one[] = {"", item.c_str()};
  EXPECT_EQ(doc->CreateArchive(1, 2, one, "", 1), 0);
  EXPECT_TRUE(Exists(W("dir_.zip")));
  const char* none[] = {"", W("nothing").c_str()};
  std::string n = W("nothing");
  none[1] = n.c_str();
  EXPECT_EQ(doc->CreateArchive(1, 2, none, "", 1), -1);
  EXPECT_FALSE(Exists(W("nothing.zip")));
  const char* empty[] = {""};
  EXPECT_EQ(doc->CreateArchive(1, 1, empty, "", 1), -1);
  // An archive that does not open: "025" in a message box (also when quiet), -1.
  std::string bad = W("no\\such\\folder\\x.zip");
  const char* named[] = {bad.c_str(), item.c_str()};
  fw::hooks::ExpectMessageBox("025", IDOK);
  EXPECT_EQ(doc->CreateArchive(1, 0, named, "", 1), -1);
  EXPECT_TRUE(BoxShown("025"));
}

TEST_F(ArchiveEntries, UnlhaLibraryWithoutItsEntryCountsAsMissing) {
  prog = std::make_unique<testsupport::TempProgramFolder>();
  ASSERT_TRUE(CopyFileA(Bin("unzip32.dll").c_str(), prog->File("unlha32.dll").c_str(), FALSE));
  ASSERT_TRUE(Start("", false, prog->Path()));
  Lh7Archive(work->Path());
  EXPECT_EQ(doc->ArchiveLzh(W("ok.lzh").c_str(), W("own").c_str(), 0), 0);
  EXPECT_FALSE(Names(W("own")).empty());
}

std::string g_printed;
void Printed(const char* t) { g_printed += t; }

TEST_F(ArchiveEntries, Zip32LibraryReceivesTheOptions) {
  StartWith({"ZIP32.dll"});
  CreateDirectoryA(W("p").c_str(), nullptr);
  testsupport::WriteFileBytes(W("p\\a.txt"), "aaa");
  SetCurrentDirectoryA(W("p").c_str());
  g_printed.clear();
  CDvkDoc::s_pfnZip32Print = Printed;
  std::string zip = W("lib.zip");
  EXPECT_EQ(doc->ZipFilesWithZip32(zip.c_str(), "*.*", 0), 0);
  CDvkDoc::s_pfnZip32Print = nullptr;
  EXPECT_NE(g_printed.find("options level=9 system=1 verbose=1 recurse=1 encrypt=0 move=0 date=\"\""),
            std::string::npos)
      << g_printed;
  EXPECT_NE(g_printed.find("adding: a.txt"), std::string::npos) << g_printed;
  arc::ArcState st;
  arc::MemoryTarget t;
  EXPECT_EQ(arc::UnzipOwn(st, zip, 0, 0, nullptr, false, t).result, 0);
  EXPECT_EQ(t.files["a.txt"].head, "aaa");
}

TEST_F(ArchiveEntries, Zip32WithoutItsEntriesFallsBackToTheOwnWriter) {
  prog = std::make_unique<testsupport::TempProgramFolder>();
  // A library of that name without ZpInit, ZpSetOptions, ZpArchive.
  ASSERT_TRUE(CopyFileA(Bin("unlha32.dll").c_str(), prog->File("ZIP32.DLL").c_str(), FALSE));
  ASSERT_TRUE(Start("", false, prog->Path()));
  CreateDirectoryA(W("p").c_str(), nullptr);
  testsupport::WriteFileBytes(W("p\\a.txt"), "aaa");
  SetCurrentDirectoryA(W("p").c_str());
  std::string zip = W("own.zip");
  EXPECT_EQ(doc->ZipFilesWithZip32(zip.c_str(), "a.txt", 0), 0);
  EXPECT_TRUE(Exists(zip));
}

TEST_F(ArchiveEntries, PackTempArchiveModes) {
  StartWith({});
  fw::hooks::Reset();
  fw::hooks::SetTestMode(true);
  testsupport::WriteFileBytes(W("pic.bmp"), std::string(3000, 'B'));
  doc->m_nActiveSide = 1;
  doc->m_strPath1 = W("pic.bmp").c_str();
  EXPECT_EQ(doc->PackTempArchive(1), 1);
  EXPECT_TRUE(Exists(W("pic.bmz")));
  // Mode 0 on a folder: "<folder>.zip", the side path and update code 7.
  CreateDirectoryA(W("fold").c_str(), nullptr);
  testsupport::WriteFileBytes(W("fold\\x.txt"), "x");
  doc->m_strPath1 = W("fold").c_str();
  EXPECT_EQ(doc->PackTempArchive(0), 1);
  EXPECT_TRUE(Exists(W("fold.zip")));
  EXPECT_EQ(std::string(doc->m_strPath1.GetString()), W("fold.zip"));
  arc::ArcState st;
  arc::MemoryTarget t;
  EXPECT_EQ(arc::UnzipOwn(st, W("fold.zip"), 0, 0, nullptr, false, t).result, 0);
  EXPECT_EQ(t.files.count("x.txt"), 1u);
  EXPECT_EQ(t.files.count("fold.zip"), 0u);
  // Mode 2 without ZIP32.DLL: "\TMP\Dorvik1.bmz" from the document's file.
  CreateDirectoryA(prog->File("TMP").c_str(), nullptr);
  testsupport::WriteFileBytes(prog->File("TMP\\pic.bmp"), "bmp");
  doc->m_strCurFile = W("pic.bmp").c_str();
  EXPECT_EQ(doc->PackTempArchive(2), 1);
  EXPECT_TRUE(Exists(prog->File("TMP\\Dorvik1.bmz")));
  // An FTP pseudo-drive: string 159.
  doc->FtpEntry(0) = (W("x").substr(0, 2) + "ftp.example.com;USER=a;PWRD=b").c_str();
  doc->m_bFtpConnected = 1;
  doc->m_strPath1 = W("pic.bmp").c_str();
  fw::hooks::ExpectMessageBox("ftp", IDOK);
  EXPECT_EQ(doc->PackTempArchive(1), 0);
  EXPECT_TRUE(BoxShown("ftp"));
  EXPECT_EQ(doc->GetFtpDriveNo(W("pic.bmp").c_str()), 1);
  doc->m_bFtpConnected = 0;
  doc->FtpEntry(0) = "";
  // The keep-time switch.
  doc->m_bKeepFileDate = 1;
  doc->m_tOpenedFileTime = 1300000000;
  doc->m_strPath1 = W("pic.bmp").c_str();
  EXPECT_EQ(doc->PackTempArchive(1), 1);
  CFileStatus fs;
  ASSERT_TRUE(CFile::GetStatus(W("pic.bmz").c_str(), fs));
  EXPECT_EQ(fs.m_mtime.GetTime(), 1300000000);
  doc->m_bKeepFileDate = 0;
  // The fixed archive folder with a folder as the current path:
  // "C:\ARCHTMP\" + the folder's name + ".zip".
  doc->m_bArcTmpRoot = 1;
  doc->m_strPath1 = W("fold").c_str();
  std::string leaf = "archtmp_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(W(leaf.c_str()).c_str(), nullptr);
  testsupport::WriteFileBytes(W((leaf + "\\y.txt").c_str()), "y");
  doc->m_strPath1 = W(leaf.c_str()).c_str();
  EXPECT_EQ(doc->PackTempArchive(0), 1);
  std::string fixed = "C:\\ARCHTMP\\" + leaf + ".zip";
  EXPECT_TRUE(Exists(fixed)) << fixed;
  DeleteFileA(fixed.c_str());
  doc->m_bArcTmpRoot = 0;
}

TEST_F(ArchiveEntries, PackTempArchiveModeFivePacksTheFolderButNotItsArchive) {
  StartWith({});
  std::string folder = prog->File("TMP\\ARCHTMP");
  CreateDirectoryA(prog->File("TMP").c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  testsupport::WriteFileBytes(folder + "\\one.txt", "1");
  testsupport::WriteFileBytes(folder + "\\two.txt", "22");
  testsupport::WriteFileBytes(folder + "\\temp.zip", "an old archive");
  EXPECT_EQ(doc->PackTempArchive(5), 1);
  arc::ArcState st;
  arc::MemoryTarget t;
  EXPECT_EQ(arc::UnzipOwn(st, folder + "\\temp.zip", 0, 0, nullptr, false, t).result, 0);
  EXPECT_EQ(t.files.size(), 2u);
  EXPECT_EQ(t.files["two.txt"].head, "22");
  EXPECT_EQ(t.files.count("temp.zip"), 0u);
  // Mode 3 on a ".rtf": "<name>.rtz" beside it, the side path follows.
  testsupport::WriteFileBytes(W("s.rtf"), "{\\rtf1 x}");
  doc->m_nActiveSide = 2;
  doc->m_strPath2 = W("s.rtf").c_str();
  EXPECT_EQ(doc->PackTempArchive(3), 1);
  EXPECT_TRUE(Exists(W("s.rtz")));
  EXPECT_EQ(std::string(doc->m_strPath2.GetString()), W("s.rtz"));
}

TEST_F(ArchiveEntries, PackTempArchiveModeFourOntoAReadOnlyFile) {
  StartWith({});
  fw::hooks::Reset();
  fw::hooks::SetTestMode(true);
  CreateDirectoryA(prog->File("TMP").c_str(), nullptr);
  testsupport::WriteFileBytes(W("doc.rtz"), "original");
  SetFileAttributesA(W("doc.rtz").c_str(), FILE_ATTRIBUTE_READONLY);
  doc->m_strCurFile = W("doc.rtz").c_str();
  testsupport::WriteFileBytes(prog->File("TMP\\doc.rtf"), "{\\rtf1 text}");
  // Wine's CopyFile writes over read-only files: the file is also held open
  // without sharing, so the copy fails as it does on Windows.
  HANDLE first = CreateFileA(W("doc.rtz").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  fw::hooks::ExpectMessageBox("", IDNO);
  EXPECT_EQ(doc->PackTempArchive(4), 0);
  CloseHandle(first);
  EXPECT_EQ(testsupport::ReadFileBytes(W("doc.rtz")), "original");
  EXPECT_FALSE(Exists(prog->File("TMP\\DorvikTMP.zip")));
  // Yes, with the file held open elsewhere: the second copy fails too.
  testsupport::WriteFileBytes(prog->File("TMP\\doc.rtf"), "{\\rtf1 text}");
  HANDLE held = CreateFileA(W("doc.rtz").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  fw::hooks::ExpectMessageBox("", IDYES);
  fw::hooks::ExpectMessageBox("", IDOK);
  EXPECT_EQ(doc->PackTempArchive(4), 0);
  CloseHandle(held);
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 3u);
  SetFileAttributesA(W("doc.rtz").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(testsupport::ReadFileBytes(W("doc.rtz")), "original");
}

}  // namespace
