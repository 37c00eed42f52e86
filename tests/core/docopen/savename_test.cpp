// The save-name rule: a text read from its file saves back to it; a text a
// renderer or converter made from its file never does without a question.
#include "core/docopen/savename.h"

#include <gtest/gtest.h>

namespace {

using docopen::AsksBeforeOverwrite;
using docopen::PlanSaveName;
using docopen::SamePath;

TEST(SaveName, ATextReadAsTextSavesToItsFileAndAsksForEveryOtherName) {
  const docopen::SaveNamePlan p = PlanSaveName("C:\\d\\memo.txt", "");
  EXPECT_EQ("C:\\d\\memo.txt", p.saveName);
  EXPECT_EQ("C:\\d\\memo.txt", p.proposal);
  EXPECT_FALSE(AsksBeforeOverwrite(p, "C:\\d\\memo.txt"));
  EXPECT_FALSE(AsksBeforeOverwrite(p, "c:/D/MEMO.TXT"));
  EXPECT_TRUE(AsksBeforeOverwrite(p, "C:\\d\\memo.txt.bak"));
  EXPECT_TRUE(AsksBeforeOverwrite(p, "C:\\d\\other.txt"));
}

TEST(SaveName, ARenderedTextIsNeverSavedOverItsSourceWithoutAQuestion) {
  for (const char* source : {"C:\\d\\names.zip", "C:\\d\\old.lzh", "C:\\d\\sound.wav", "C:\\d\\report.pdf"}) {
    SCOPED_TRACE(source);
    const docopen::SaveNamePlan p = PlanSaveName(source, source);
    // Save asks for a name, as Save As does...
    EXPECT_EQ("", p.saveName);
    // ...which proposes the source's name with ".txt" in its folder.
    EXPECT_EQ(std::string(source) + ".txt", p.proposal);
    // The source itself, and any other existing file, is asked about.
    EXPECT_TRUE(AsksBeforeOverwrite(p, source));
    EXPECT_TRUE(AsksBeforeOverwrite(p, p.proposal));
  }
  // The source named in another case or with other separators is the same file.
  const docopen::SaveNamePlan q = PlanSaveName("C:\\d\\NAMES.ZIP", "c:/d/names.zip");
  EXPECT_EQ("", q.saveName);
  EXPECT_EQ("C:\\d\\NAMES.ZIP.txt", q.proposal);
}

TEST(SaveName, ARenderedTextSavedUnderANewNameSavesThereFromThenOn) {
  // After Save As the document's file is the text file; the source it was
  // made from no longer counts.
  const docopen::SaveNamePlan p = PlanSaveName("C:\\d\\names.zip.txt", "C:\\d\\names.zip");
  EXPECT_EQ("C:\\d\\names.zip.txt", p.saveName);
  EXPECT_FALSE(AsksBeforeOverwrite(p, "C:\\d\\names.zip.txt"));
  EXPECT_TRUE(AsksBeforeOverwrite(p, "C:\\d\\names.zip"));
}

TEST(SaveName, AnUntitledDocumentAsksForANameAndEveryExistingFileIsAskedAbout) {
  const docopen::SaveNamePlan p = PlanSaveName("", "");
  EXPECT_EQ("", p.saveName);
  EXPECT_EQ("", p.proposal);  // the framework's: the untitled title
  EXPECT_TRUE(AsksBeforeOverwrite(p, "C:\\d\\new.txt"));
  EXPECT_TRUE(AsksBeforeOverwrite(p, ""));
}

TEST(SaveName, PathsCompareByWholeShiftJisCharacters) {
  EXPECT_TRUE(SamePath("C:\\Dir/a.TXT", "c:/dir\\A.txt"));
  EXPECT_FALSE(SamePath("C:\\a.txt", "C:\\a.txt "));
  // Trail bytes 'a' and 'A' (0x82 0x61 is "Ｂ") are different characters,
  // not one letter in two cases.
  EXPECT_FALSE(SamePath("C:\\\x82\x61.txt", "C:\\\x82\x41.txt"));
  EXPECT_TRUE(SamePath("C:\\\x82\x61.txt", "c:\\\x82\x61.TXT"));
  // A trail byte 0x5C is no separator and never equals '/'.
  EXPECT_FALSE(SamePath("C:\\\x95\x5C.txt", "C:\\\x95/.txt"));
}

}  // namespace
