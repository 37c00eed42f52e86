// The compressed and enciphered source forms in the running program: the
// conversions of SaveEncryptedSource, opening a marked file into its work
// file and saving it back, the refusals (wrong key, no key, hostile inner
// ZIPs), ".rtz" and ".rtzx", and a marked data file of the macro's lookup.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/crypto/envelope.h"
#include "core/docsvc/sourceform.h"
#include "csv/csv_table.h"
#include "fw/fwtext.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

const char kReport[] = "報告書\r\n売上は前年比１０％増。\r\n表の\\記号\r\n";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Files below a folder (names only, sub-folders walked).
void Walk(const std::string& dir, std::vector<std::string>* out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string n = fd.cFileName;
    if (n == "." || n == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      Walk(dir + "\\" + n, out);
    else
      out->push_back(dir + "\\" + n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

uint32_t Crc32(const std::string& s) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

void Le(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A stored ZIP of the members as given (names unchecked: hostile ones too).
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string out, central;
  for (const auto& m : members) {
    const uint32_t at = uint32_t(out.size()), crc = Crc32(m.second), n = uint32_t(m.second.size());
    out += "PK\x03\x04";
    Le(out, 10, 2), Le(out, 0, 2), Le(out, 0, 2), Le(out, 0, 2), Le(out, 0x21, 2);
    Le(out, crc, 4), Le(out, n, 4), Le(out, n, 4), Le(out, uint32_t(m.first.size()), 2), Le(out, 0, 2);
    out += m.first + m.second;
    central += "PK\x01\x02";
    Le(central, 20, 2), Le(central, 10, 2), Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 2),
        Le(central, 0x21, 2);
    Le(central, crc, 4), Le(central, n, 4), Le(central, n, 4), Le(central, uint32_t(m.first.size()), 2);
    Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 4), Le(central, at, 4);
    central += m.first;
  }
  const uint32_t cdAt = uint32_t(out.size());
  out += central;
  out += "PK\x05\x06";
  Le(out, 0, 2), Le(out, 0, 2), Le(out, uint32_t(members.size()), 2), Le(out, uint32_t(members.size()), 2);
  Le(out, uint32_t(central.size()), 4), Le(out, cdAt, 4), Le(out, 0, 2);
  return out;
}

// The envelope of `payload` under the user key.
std::string Sealed(const std::string& payload, const std::string& key, uint8_t flags) {
  crypto::MemoryEnvelopeInput in(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
  crypto::MemoryEnvelopeOutput out;
  const uint8_t salt[16] = {1, 2, 3};
  EXPECT_EQ(crypto::EnvelopeStatus::kOk, crypto::SealEnvelope(in, out, key.data(), key.size(), flags, 1, salt));
  return std::string(out.bytes.begin(), out.bytes.end());
}

class SourceForms : public shelltest::ShellFileTest {
 protected:
  void SetUp() override {
    shelltest::ShellFileTest::SetUp();
    fw::hooks::FixSecureRandom(22);
  }
  bool Started() {
    if (!StartIn("")) return false;
    doc->m_strEncryptKeyCode = "1234";
    return true;
  }
  CDvkView* View() { return frame->GetTextView(0, 0); }
  bool Shown() {
    CDvkView* v = View();
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
  std::string Tmp() const { return std::string(doc->m_strProgramDir.GetString()) + "\\TMP"; }
  // Work files and scratch folders of the forms left in "\TMP".
  std::vector<std::string> WorkLeft() {
    std::vector<std::string> all, left;
    Walk(Tmp(), &all);
    for (const std::string& f : all)
      if (f.find("DorvikE") != std::string::npos) left.push_back(f);
    return left;
  }
  std::string Text() const { return std::string(doc->m_pText, doc->m_nTextLen); }
  std::string WrongKeyText() const { return fw::LoadText(IDS_SOURCE_WRONG_KEY).GetString(); }
};

TEST_F(SourceForms, EncipheredTextOpensSavesBackAndRefusesOtherKeys) {
  ASSERT_TRUE(Started());
  const std::string src = File("report.txt"), marked = File("report.+txt");
  WriteFileBytes(src, kReport);
  ASSERT_EQ(0, doc->SaveEncryptedSource(1, src.c_str(), ""));
  EXPECT_EQ(kReport, ReadFileBytes(src));  // the source is untouched
  const std::string sealed = ReadFileBytes(marked);
  ASSERT_EQ(std::strlen(kReport) + 68, sealed.size());
  EXPECT_EQ(0, sealed.compare(0, 6, std::string("DVKE\x01\x00", 6)));
  EXPECT_EQ(std::string::npos, sealed.find("報告書"));
  // 100,000 iterations for the user key, in the header.
  EXPECT_EQ(std::string("\xA0\x86\x01\x00", 4), sealed.substr(8, 4));

  ASSERT_EQ(0, doc->OpenFile(marked.c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(kReport, Text());
  const std::string work = doc->m_strCurFile.GetString();
  EXPECT_EQ(0u, work.find(std::string(doc->m_strProgramDir.GetString()) + "\\TMP\\DorvikE")) << work;
  EXPECT_EQ(".txt", work.substr(work.size() - 4));
  EXPECT_EQ(marked, doc->m_strDocPath.GetString());
  EXPECT_EQ(kReport, ReadFileBytes(work));

  // An edit saved goes back into the marked file, enciphered again.
  CDvkView* v = View();
  v->GetRichEditCtrl().SetSel(0, 0);
  v->GetRichEditCtrl().ReplaceSel("追記\r\n", TRUE);
  v->GetRichEditCtrl().SetModify(TRUE);
  ASSERT_TRUE(doc->DoFileSave());
  const std::string resealed = ReadFileBytes(marked);
  EXPECT_NE(sealed, resealed);
  EXPECT_EQ(std::string::npos, resealed.find("追記"));
  // Kept for the independent reader (SourceForms.IndependentReaderOfTheSavedForm).
  WriteFileBytes(std::string(TABRYE_BIN_ROOT) + "/tests/app/source_forms_saved.+txt", resealed);
  ASSERT_EQ(0, doc->SaveEncryptedSource(0, marked.c_str(), ""));
  EXPECT_EQ(std::string("追記\r\n") + kReport, ReadFileBytes(doc->m_strCurFile.GetString()));
  EXPECT_EQ(std::string::npos, ReadFileBytes(File("report.txt")).find("追記"));
  // No plain copy went to the backups.
  std::vector<std::string> backups;
  Walk(Tmp() + "\\BACKUP", &backups);
  for (const std::string& b : backups) EXPECT_EQ(std::string::npos, ReadFileBytes(b).find("報告書")) << b;

  // Another key: the message, nothing shown, no work file left.
  const std::vector<std::string> before = WorkLeft();
  doc->m_strEncryptKeyCode = "5678";
  fw::hooks::ExpectMessageBox(WrongKeyText(), IDOK);
  EXPECT_EQ(-1, doc->OpenFile(marked.c_str(), docopen::OpenMode::kPlain));
  EXPECT_EQ(std::string("追記\r\n") + kReport, Text());
  EXPECT_EQ(before, WorkLeft());
  fw::hooks::ExpectMessageBox(WrongKeyText(), IDOK);
  EXPECT_EQ(-2, doc->SaveEncryptedSource(0, marked.c_str(), ""));
  // No key at all: string 216.
  doc->m_strEncryptKeyCode = "   ";
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_NO_KEY_CODE).GetString(), IDOK);
  EXPECT_EQ(-1, doc->OpenFile(marked.c_str(), docopen::OpenMode::kPlain));
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_NO_KEY_CODE).GetString(), IDOK);
  EXPECT_NE(0, doc->SaveEncryptedSource(1, src.c_str(), ""));
  EXPECT_EQ(before, WorkLeft());

  // Opening another file removes the work files.
  const std::string shownWork = doc->m_strSourceWorkFile.GetString();
  ASSERT_TRUE(Exists(shownWork));
  WriteFileBytes(File("other.txt"), "other\r\n");
  ASSERT_EQ(0, doc->OpenFile(File("other.txt").c_str(), docopen::OpenMode::kPlain));
  EXPECT_FALSE(Exists(shownWork));
  EXPECT_TRUE(WorkLeft().empty());

  // Saving a plain document under a new marked name writes that form.
  doc->m_strEncryptKeyCode = "1234";
  ASSERT_EQ(0, doc->SaveFile(File("copy.-txt").c_str(), 0));
  const std::string copy = ReadFileBytes(File("copy.-txt"));
  EXPECT_EQ(std::string("DVKE\x01\x01", 6), copy.substr(0, 6));
  ASSERT_EQ(0, doc->RenameSourceTemp(File("copy.-txt").c_str()));
  EXPECT_EQ("other\r\n", ReadFileBytes(doc->m_strCurFile.GetString()));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(SourceForms, ZipFormsMacroFormsAndPackedFilesRestore) {
  ASSERT_TRUE(Started());
  const std::string src = File("report.txt");
  WriteFileBytes(src, kReport);
  // "=": a plain ZIP holding "report.txt"; "-": its envelope with flag 1.
  ASSERT_EQ(0, doc->SaveEncryptedSource(4, src.c_str(), ""));
  ASSERT_EQ(0, doc->SaveEncryptedSource(3, src.c_str(), ""));
  const std::string zip = ReadFileBytes(File("report.=txt"));
  EXPECT_EQ(0, zip.compare(0, 4, "PK\x03\x04"));
  EXPECT_EQ("report.txt", zip.substr(30, 10));
  EXPECT_EQ(std::string("DVKE\x01\x01", 6), ReadFileBytes(File("report.-txt")).substr(0, 6));
  // Mode 7 needs no user key; mode 6 gives the same bytes back.
  doc->m_strEncryptKeyCode = "";
  const std::string macroText = "\\t&1#MS\\tこんにちは\r\n";
  WriteFileBytes(File("m.rmcx"), macroText);
  ASSERT_EQ(0, doc->SaveEncryptedSource(7, File("m.rmcx").c_str(), ""));
  const std::string macroSealed = ReadFileBytes(File("m.+rmcx"));
  EXPECT_EQ(std::string("DVKE\x01\x02", 6), macroSealed.substr(0, 6));
  EXPECT_EQ(std::string("\x01\x00\x00\x00", 4), macroSealed.substr(8, 4));
  EXPECT_GT(doc->SaveEncryptedSource(6, File("m.+rmcx").c_str(), ""), -2);
  EXPECT_EQ(macroText, ReadFileBytes(doc->m_strCurFile.GetString()));
  // Mode 8 and a ".bmz" packed by the archive writer.
  WriteFileBytes(File("b.rtf"), "{\\rtf1 b}");
  ASSERT_EQ(0, doc->SaveEncryptedSource(8, File("b.rtf").c_str(), ""));
  WriteFileBytes(File("c.bmz"), StoredZip({{"whatever.bmp", "BM picture bytes"}}));
  doc->m_strEncryptKeyCode = "1234";

  const struct {
    const char* name;
    std::string plain;
  } cases[] = {{"report.+txt", ""}, {"report.-txt", kReport}, {"report.=txt", kReport},
               {"b.rtz", "{\\rtf1 b}"}, {"c.bmz", "BM picture bytes"}};
  ASSERT_EQ(0, doc->SaveEncryptedSource(1, src.c_str(), ""));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(doc->RenameSourceTemp(File(c.name).c_str()), 0);
    const std::string work = doc->m_strCurFile.GetString();
    EXPECT_NE(std::string::npos, work.find("\\TMP\\DorvikE")) << work;
    EXPECT_EQ(c.plain.empty() ? std::string(kReport) : c.plain, ReadFileBytes(work));
  }
  // A plain name is no form: -1, the path itself.
  EXPECT_EQ(-1, doc->RenameSourceTemp(src.c_str()));
  EXPECT_EQ(src, doc->m_strCurFile.GetString());
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(SourceForms, HostileInnerZipsAreRefusedAndWriteNothingOutside) {
  ASSERT_TRUE(Started());
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> members;
  } cases[] = {
      {"parent name", {{"../x", "escaped"}}},
      {"deeper parent name", {{"a/../../x", "escaped"}}},
      {"two members", {{"x", "one"}, {"y", "two"}}},
      {"no member", {}},
      {"folder only", {{"d/", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(File("h.-txt"), Sealed(StoredZip(c.members), "1234", crypto::kEnvelopeFlagZip));
    WriteFileBytes(File("h.=txt"), StoredZip(c.members));
    for (const char* name : {"h.-txt", "h.=txt"}) {
      fw::hooks::ExpectMessageBox(fw::LoadText(IDS_SOURCE_NOT_ONE_MEMBER).GetString(), IDOK);
      EXPECT_EQ(-2, doc->SaveEncryptedSource(0, File(name).c_str(), "")) << name;
      EXPECT_TRUE(WorkLeft().empty());
      EXPECT_FALSE(Exists(File("x")));
      EXPECT_FALSE(Exists(Tmp() + "\\x"));
      EXPECT_FALSE(Exists(std::string(doc->m_strProgramDir.GetString()) + "\\x"));
    }
  }
  // A damaged envelope: one message, -2, nothing written.
  std::string bad = Sealed("text", "1234", 0);
  bad[40] ^= 1;
  WriteFileBytes(File("d.+txt"), bad);
  fw::hooks::ExpectMessageBox(WrongKeyText(), IDOK);
  EXPECT_EQ(-2, doc->SaveEncryptedSource(0, File("d.+txt").c_str(), ""));
  EXPECT_TRUE(WorkLeft().empty());
  // Names the encodings refuse: the source stays, nothing is written.
  WriteFileBytes(File("README"), "x");
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_SOURCE_REFUSED).GetString(), IDOK);
  EXPECT_NE(0, doc->SaveEncryptedSource(1, File("README").c_str(), ""));
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_SOURCE_REFUSED).GetString(), IDOK);
  EXPECT_NE(0, doc->SaveEncryptedSource(8, File("d.+txt").c_str(), ""));
  std::vector<std::string> all;
  Walk(File(""), &all);
  for (const std::string& f : all) EXPECT_EQ(std::string::npos, f.find("~DVK")) << f;
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(SourceForms, PackedRichTextOpensAndSavesBackAndTheArchiveFormSaysItCannotBeWritten) {
  ASSERT_TRUE(Started());
  const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 packed text\\par}";
  WriteFileBytes(File("x.rtf"), rtf);
  ASSERT_EQ(0, doc->SaveEncryptedSource(8, File("x.rtf").c_str(), ""));
  const std::string rtz = ReadFileBytes(File("x.rtz"));
  EXPECT_EQ("x.rtf", rtz.substr(30, 5));
  ASSERT_EQ(0, doc->OpenFile(File("x.rtz").c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(4, doc->m_nFileKind);
  EXPECT_EQ(rtf, Text());
  EXPECT_EQ(File("x.rtz"), doc->m_strCurFile.GetString());
  EXPECT_NE(std::string::npos, shelltest::ControlText(View()).find("packed text"));
  // An edit saved goes back into the ".rtz": its member is the saved RTF.
  CDvkView* v = View();
  v->GetRichEditCtrl().SetSel(0, 0);
  v->GetRichEditCtrl().ReplaceSel("more ", TRUE);
  v->GetRichEditCtrl().SetModify(TRUE);
  ASSERT_TRUE(doc->DoFileSave());
  ASSERT_EQ(0, doc->RenameSourceTemp(File("x.rtz").c_str()));
  const std::string saved = ReadFileBytes(doc->m_strCurFile.GetString());
  EXPECT_NE(std::string::npos, saved.find("more packed text")) << saved;
  EXPECT_EQ(0u, saved.find("{\\rtf"));

  // ".rtzx": the rich text and its pictures unpacked into "\TMP\RTZX\".
  const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "picture";
  WriteFileBytes(File("y.rtzx"), StoredZip({{"y.rtf", rtf}, {"IMAGE01.jpg", jpeg}}));
  ASSERT_EQ(0, doc->OpenFile(File("y.rtzx").c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(4, doc->m_nFileKind);
  EXPECT_EQ(rtf, Text());
  EXPECT_EQ(jpeg, ReadFileBytes(Tmp() + "\\RTZX\\IMAGE01.jpg"));
  const std::string before = ReadFileBytes(File("y.rtzx"));
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_CANNOT_PACK_DIRECTLY).GetString(), IDOK);
  EXPECT_NE(0, doc->SaveFile(File("y.rtzx").c_str(), 0));
  EXPECT_EQ(before, ReadFileBytes(File("y.rtzx")));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(SourceForms, AMarkedLookupFileIsReadThroughItsPlainCopy) {
  CDvkView* v = Open("data.csv", "id,code\r\n1,B2\r\n2,A1\r\n");
  ASSERT_NE(nullptr, v);
  doc->m_strEncryptKeyCode = "1234";
  WriteFileBytes(File("codes.txt"), "$$ code,name\r\nA1,apple\r\nB2,bread\r\n");
  ASSERT_EQ(0, doc->SaveEncryptedSource(1, File("codes.txt").c_str(), ""));
  ASSERT_TRUE(DeleteFileA(File("codes.txt").c_str()));
  const CString shown = doc->m_strCurFile;
  EXPECT_EQ(1, v->RunMacro(4, "\\t&2#LD\\tcodes.+txt", "", ""));
  EXPECT_EQ("id,code\r\n1,bread\r\n2,apple\r\n", v->m_table.FileText(csv::CommaFormKind::kComma));
  // The document keeps its own file.
  EXPECT_STREQ(shown.GetString(), doc->m_strCurFile.GetString());
}

}  // namespace
