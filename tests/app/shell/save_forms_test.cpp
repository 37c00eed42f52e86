// How the save dialog's answer picks the form written and the name.
#include "app/shell/save_forms.h"

#include <gtest/gtest.h>

namespace {

using app::SaveForm;

TEST(SaveForms, AnExtensionDecidesTheFormWhateverEntryWasChosen) {
  EXPECT_EQ(SaveForm::kRichText, app::ResolveSaveChoice("C:\\a\\b.RTF", 1).form);
  EXPECT_EQ(SaveForm::kCsvComma, app::ResolveSaveChoice("C:\\a\\b.csv", 3).form);
  EXPECT_EQ(SaveForm::kText, app::ResolveSaveChoice("C:\\a\\b.log", 2).form);
  EXPECT_EQ("C:\\a\\b.log", app::ResolveSaveChoice("C:\\a\\b.log", 2).path);
}

TEST(SaveForms, ABareNameTakesTheChosenEntrysFormAndExtension) {
  app::SaveChoice c = app::ResolveSaveChoice("C:\\a\\b", 2);
  EXPECT_EQ(SaveForm::kCsvComma, c.form);
  EXPECT_EQ("C:\\a\\b.csv", c.path);
  c = app::ResolveSaveChoice("C:\\a\\b.", 3);
  EXPECT_EQ("C:\\a\\b.rtf", c.path);
  // A dot in a folder name is no extension of the file.
  c = app::ResolveSaveChoice("C:\\v1.2\\notes", 1);
  EXPECT_EQ("C:\\v1.2\\notes.txt", c.path);
  // Unknown entries write text.
  EXPECT_EQ(SaveForm::kText, app::ResolveSaveChoice("x", 0).form);
  EXPECT_EQ(SaveForm::kText, app::ResolveSaveChoice("x", 9).form);
}

TEST(SaveForms, AShiftJisTrailByteFiveCIsNoSeparator) {
  // "表" is 0x95 0x5C: the name "表.csv" in folder "C:\" keeps its extension,
  // and "C:\表" (no extension) gets one.
  EXPECT_EQ(SaveForm::kCsvComma, app::ResolveSaveChoice("C:\\\x95\x5C.csv", 1).form);
  EXPECT_EQ("C:\\\x95\x5C.txt", app::ResolveSaveChoice("C:\\\x95\x5C", 1).path);
}

TEST(SaveForms, TheDialogStartsOnTheDocumentsOwnForm) {
  EXPECT_EQ(2, app::FilterIndexForKind(33));
  EXPECT_EQ(2, app::FilterIndexForKind(35));
  EXPECT_EQ(3, app::FilterIndexForKind(4));
  EXPECT_EQ(1, app::FilterIndexForKind(9));
  EXPECT_EQ(1, app::FilterIndexForKind(99));
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(i, app::FilterIndexForSaveForm(app::SaveFormForFilterIndex(i)));
}

}  // namespace
