// The load statements in the running program: "load" of a CSV file makes
// the view's table that saves back to the same bytes, and "loadzip" unpacks
// a ZIP made by zip and an LZH made by jlha into a folder below the macro
// folder, file for file as unzip and lhasa extract them
// (loadzip_make_data.sh writes the archives and those files).
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "fw/file.h"
#include "loadzip_data.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

class MacroLoadRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  void ExpectExtracted(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files) {
    ASSERT_FALSE(files.empty());
    for (const auto& f : files) {
      CFile in;
      const std::string path = folder + "\\" + f.first;
      ASSERT_TRUE(in.Open(path.c_str(), CFile::modeRead)) << path;
      std::string got(static_cast<std::size_t>(in.GetLength()), '\0');
      if (!got.empty()) in.Read(&got[0], static_cast<UINT>(got.size()));
      in.Close();
      EXPECT_EQ(got, f.second) << path;
    }
  }
};

TEST_F(MacroLoadRunTest, LoadMakesTheTableThatSavesBackToTheSameBytes) {
  CDvkView* v = OpenTable("x,y\r\n");
  ASSERT_NE(nullptr, v);
  const std::string text = "\x95\x69\x96\xbc,memo\r\n\"a,b\",\"line1\r\nline2\"\r\n\x95\\,3\r\n";
  const std::string path = File("sales.csv");
  testsupport::WriteFileBytes(path, text);
  EXPECT_EQ(1, RunFile(v, "\tload\t" + path + "\r\n"));
  EXPECT_EQ(33u, v->m_nFileKind);
  EXPECT_EQ(2, v->m_table.m_nLastRow);
  EXPECT_EQ(text, v->m_table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ("sales.csv", v->Macro().m_strMacroVars['G' + 45].Str());
  EXPECT_EQ(path, v->Macro().m_strMacroVars['F' + 45].Str());
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
}

TEST_F(MacroLoadRunTest, ATableLoadedIntoATextViewIsWhatTheViewShows) {
  // The view shows a text straight from the document; the loaded table
  // replaces it on screen, not a piece of the old text of its length.
  const std::string macroText = "\tload\t" + File("t.csv") + "\r\n";
  CDvkView* v = Open("notes.txt", macroText + "more text that was shown before the run\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  testsupport::WriteFileBytes(File("t.csv"), "item,amount\r\npen,120\r\n");
  EXPECT_EQ(1, RunFile(v, macroText));
  EXPECT_EQ(33u, v->m_nFileKind);
  CString shown;
  // The display may finish on the view's timers on a busy machine.
  testsupport::PumpUntil(
      [&] {
        v->GetRichEditCtrl().GetWindowText(shown);
        return shown.Str().find("120") != std::string::npos;
      },
      5000);
  EXPECT_NE(std::string::npos, shown.Str().find("item")) << shown.Str() << " / " << Pane0();
  EXPECT_NE(std::string::npos, shown.Str().find("120")) << shown.Str();
  EXPECT_EQ(std::string::npos, shown.Str().find("load")) << shown.Str();
}

TEST_F(MacroLoadRunTest, LoadZipUnpacksZipAndLzhAsUnzipAndLhasaDo) {
  CDvkView* v = OpenTable("x,y\r\n");
  ASSERT_NE(nullptr, v);
  const std::string zip = File("t.zip");
  const std::string lzh = File("t.lzh");
  testsupport::WriteFileBytes(zip, std::string(reinterpret_cast<const char*>(loadzipdata::kZip), sizeof loadzipdata::kZip));
  testsupport::WriteFileBytes(lzh, std::string(reinterpret_cast<const char*>(loadzipdata::kLzh), sizeof loadzipdata::kLzh));
  EXPECT_EQ(1, RunFile(v, "\tloadzipzout\\deep\t" + zip + "\r\n\tloadziplout\t" + lzh + "\r\n"));
  ExpectExtracted(File("zout") + "\\deep", loadzipdata::kZipFiles());
  ExpectExtracted(File("lout"), loadzipdata::kLzhFiles());
}

}  // namespace
