// A text a renderer made from its file (an archive listing, media
// information) is never saved over that file: Save, Save As and the save
// question on close, driven through the real commands with the framework's
// hooks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fw/uihooks.h"
#include "res/resource.h"
#include "../convert/listing_util.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using namespace convert_test;

// A ZIP archive of one stored member and the start of its directory.
std::string Zip() { return ZipStored("names.txt", "Tabrye\r\n") + ZipCentralTail(); }

// An LZH archive of one stored level-0 member and the end mark.
std::string Lzh() { return LzhLevel0("a.txt", "hello") + std::string(1, '\0'); }

std::string Wave() { return convert_test::Wave(44100, 16, 2, 1000) + std::string(1000, '\x11'); }

struct Source {
  const char* name;
  std::string (*bytes)();
  const char* shows;  // a part of the text the renderer makes of it
};
const Source kSources[] = {
    {"names.zip", Zip, "names.txt"},
    {"old.lzh", Lzh, "a.txt"},
    {"sound.wav", Wave, "44100"},
};

const char kSaveQuestion[] = "への変更を保存しますか";
const char kOverwriteQuestion[] = "";  // the overwrite question (OK/Cancel) names the file

class RenderedSaveTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* View() { return frame->GetTextView(0, 0); }
  bool Shown() {
    CDvkView* v = View();
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
  // A menu command as the menu (or its key) sends it.
  void Command(UINT id) {
    frame->SendMessage(WM_COMMAND, id, 0);
    if (g_pMainFrame) Shown();
  }
  // Writes the source, starts with it and checks the renderer's text shows.
  bool OpenSource(const Source& s, std::string* path) {
    *path = File(s.name);
    testsupport::WriteFileBytes(*path, s.bytes());
    if (!StartIn("\"" + *path + "\"") || !Shown()) return false;
    const std::string text = View()->StreamOut(SF_TEXT | SF_USECODEPAGE | (932 << 16));
    EXPECT_NE(std::string::npos, text.find(s.shows)) << text;
    return text.find(s.shows) != std::string::npos;
  }
  // Types `text` at the start of the text.
  void Type(const char* text) {
    View()->GetRichEditCtrl().SetSel(0, 0);
    View()->GetRichEditCtrl().ReplaceSel(text, TRUE);
  }
  std::string Bytes(const std::string& path) { return testsupport::ReadFileBytes(path); }
  bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  void NextCase() {
    testsupport::CheckHooks();
    TearDown();
    SetUp();
  }
};

TEST_F(RenderedSaveTest, SaveAsksForANameAndWritesTheTextBesideTheSource) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    std::string source;
    ASSERT_TRUE(OpenSource(s, &source));
    const std::string original = Bytes(source);
    const std::string proposal = source + ".txt";
    Type("追記");
    ASSERT_TRUE(doc->IsModified());
    // Save is Save As: the dialog proposes the source's name with ".txt" in
    // its folder, and the text goes there.
    fw::hooks::ExpectFileDialog({proposal});
    Command(ID_FILE_SAVE);
    const fw::hooks::FileDialogOffer offer = fw::hooks::LastFileDialogOffer();
    EXPECT_EQ(proposal, offer.name);
    EXPECT_EQ(folder_->Path(), offer.folder);
    EXPECT_TRUE(Bytes(source) == original);
    const std::string saved = Bytes(proposal);
    EXPECT_EQ(0u, saved.find("追記")) << saved.substr(0, 40);
    EXPECT_NE(std::string::npos, saved.find(s.shows));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(proposal, Title());
    // From then on the document is that text file: Save writes it without asking.
    Type("二");
    Command(ID_FILE_SAVE);
    EXPECT_EQ(0u, Bytes(proposal).find("二追記"));
    EXPECT_TRUE(Bytes(source) == original);
    NextCase();
  }
}

TEST_F(RenderedSaveTest, SaveAsOntoTheSourceAsksAndNoKeepsIt) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    std::string source;
    ASSERT_TRUE(OpenSource(s, &source));
    const std::string original = Bytes(source);
    // Without an edit, and after one: the source is an existing file like any other.
    for (bool edited : {false, true}) {
      if (edited) Type("x");
      fw::hooks::ExpectFileDialog({source});
      fw::hooks::ExpectMessageBox(s.name, IDCANCEL);
      Command(ID_FILE_SAVE_AS);
      EXPECT_EQ(std::string(source + ".txt"), fw::hooks::LastFileDialogOffer().name);
      EXPECT_TRUE(Bytes(source) == original);
      EXPECT_EQ(edited, doc->IsModified() != FALSE);
      EXPECT_EQ(source, Title());
    }
    // The proposed name, when it exists, is asked about too.
    const std::string proposal = source + ".txt";
    testsupport::WriteFileBytes(proposal, "keep");
    fw::hooks::ExpectFileDialog({proposal});
    fw::hooks::ExpectMessageBox(kOverwriteQuestion, IDCANCEL);
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ("keep", Bytes(proposal));
    NextCase();
  }
}

TEST_F(RenderedSaveTest, YesToTheSaveQuestionOnCloseLeavesTheSource) {
  for (const Source& s : kSources) {
    SCOPED_TRACE(s.name);
    std::string source;
    ASSERT_TRUE(OpenSource(s, &source));
    const std::string original = Bytes(source);
    const std::string proposal = source + ".txt";
    Type("閉じる前");
    // Yes, then the dialog cancelled: nothing written, the window stays.
    fw::hooks::ExpectMessageBox(kSaveQuestion, IDYES);
    fw::hooks::ExpectFileDialog({});
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(g_pMainFrame != nullptr && IsWindow(frame->m_hWnd));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(Exists(proposal));
    // Yes, and the proposed name: the text lands there and the window closes.
    fw::hooks::ExpectMessageBox(kSaveQuestion, IDYES);
    fw::hooks::ExpectFileDialog({proposal});
    frame->SendMessage(WM_CLOSE);
    EXPECT_EQ(nullptr, g_pMainFrame);
    EXPECT_TRUE(Bytes(source) == original);
    EXPECT_EQ(0u, Bytes(proposal).find("閉じる前"));
    NextCase();
  }
}

TEST_F(RenderedSaveTest, ATextFileStillSavesOverItselfWithoutAQuestion) {
  const std::string path = File("memo.txt");
  testsupport::WriteFileBytes(path, "memo\r\n");
  ASSERT_TRUE(StartIn("\"" + path + "\"") && Shown());
  Type("a");
  Command(ID_FILE_SAVE);
  EXPECT_EQ("amemo\r\n", Bytes(path));
  // Save As onto its own file asks nothing either.
  Type("b");
  fw::hooks::ExpectFileDialog({path});
  Command(ID_FILE_SAVE_AS);
  EXPECT_EQ(path, fw::hooks::LastFileDialogOffer().name);
  EXPECT_EQ("bamemo\r\n", Bytes(path));
}

}  // namespace
