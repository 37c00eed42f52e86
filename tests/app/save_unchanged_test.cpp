// Opening a file and saving it through the program's own commands writes the
// same bytes; an edit that would lose characters asks first, No by default.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"

namespace {

class SaveUnchangedTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    folder_ = std::make_unique<testsupport::TempProgramFolder>();
  }
  void TearDown() override {
    shelltest::ShellTest::TearDown();
    folder_.reset();
  }
  CDvkView* View() { return frame->GetTextView(0, 0); }
  bool Shown() {
    CDvkView* v = View();
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
  // Opens `bytes` as file `name` (the first one starts the program).
  bool OpenAs(const char* name, const std::string& bytes, std::string* path) {
    *path = folder_->File(name);
    testsupport::WriteFileBytes(*path, bytes);
    if (doc == nullptr) {
      if (!Start(("\"" + *path + "\"").c_str())) return false;
      doc->m_strProgramDir = folder_->Path().c_str();
    } else if (doc->OpenFile(path->c_str(), 0) != 0) {
      return false;
    }
    return Shown();
  }
  std::unique_ptr<testsupport::TempProgramFolder> folder_;
};

TEST_F(SaveUnchangedTest, SamplesOfEveryKindSaveByteForByte) {
  const struct {
    const char* name;
    std::string bytes;
  } kSamples[] = {
      {"sjis.txt", "\x82\xA0\x82\xA2 \xB1\xB2 \x87\x40\xFA\x40\r\nabc"},
      {"broken.txt", "\x82\xA0\x81\x20\x82\r\n\x82"},
      {"stray.txt", "\xE3\x81\x82\xE3\x81\x84\x80\n\xE3\x81\x86\n"},
      {"emoji.txt", "\xF0\x9F\x98\x80 \xF0\xA0\xAE\xB7\n\xE3\x81\x82\n"},
      {"bom.txt", "\xEF\xBB\xBF\xE3\x81\x82\r\n"},
      {"be.txt", std::string("\xFE\xFF\x30\x42\0\n\0x", 8)},
      {"le.txt", std::string("\xFF\xFE\x42\x30\r\0\n\0", 8)},
      {"eucms.txt", "\x8F\xF4\xFB\x8F\xF4\xBD \xA4\xA2\n"},
      {"jis.txt", "\x1B$B$\"\x1B(B x\r\n\x1B$@$$\x1B(J\r\n"},
      {"b64.txt", "44GC44GE44GG44GI44GK44GL44GN44GP\n"},
      {"utf8.csv", "\xE5\x90\x8D,\xE5\x80\xA4\r\n\xE3\x81\x82,1\r\n\xF0\x9F\x98\x80,2\r\n"},
  };
  std::string path;
  for (const auto& s : kSamples) {
    ASSERT_TRUE(OpenAs(s.name, s.bytes, &path)) << s.name;
    ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0)) << s.name;
    EXPECT_TRUE(testsupport::ReadFileBytes(path) == s.bytes) << s.name;
  }
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(SaveUnchangedTest, LosingCharactersAsksFirstAndNoKeepsTheFile) {
  const std::string file = "\xF0\x9F\x98\x80 smile\r\n";
  std::string path;
  ASSERT_TRUE(OpenAs("smile.txt", file, &path));
  EXPECT_EQ(textcodec::TextEncoding::kUtf8, doc->m_openEncoding.encoding);
  EXPECT_EQ(1u, doc->m_openEncoding.replaced);
  // The line holding the emoji edited: its "〓" cannot become the emoji again.
  const std::string edited = "\x81\xAC smiles\r\n";
  std::memcpy(doc->m_pText, edited.data(), edited.size());
  doc->m_nTextLen = static_cast<std::uint32_t>(edited.size());
  fw::hooks::ExpectMessageBox("1個の文字は保存できません。保存しますか?", IDNO);
  EXPECT_EQ(-1, doc->SaveFile(path.c_str(), 0, nullptr, CDvkDoc::kSaveDocumentText));
  EXPECT_TRUE(testsupport::ReadFileBytes(path) == file);
  fw::hooks::ExpectMessageBox("1個の文字は保存できません", IDYES);
  EXPECT_EQ(0, doc->SaveFile(path.c_str(), 0, nullptr, CDvkDoc::kSaveDocumentText));
  EXPECT_EQ("\xE3\x80\x93 smiles\r\n", testsupport::ReadFileBytes(path));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

}  // namespace
