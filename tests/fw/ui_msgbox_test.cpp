// Message boxes through the test hooks, and string-table texts.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "fw/cstring.h"
#include "fw/msgbox.h"
#include "fw/strtable.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "res/test/testres.h"
#include "support/ui_test.h"

namespace {

class MessageBoxHook : public testsupport::UiTest {};

TEST_F(MessageBoxHook, AScriptedYesIsReturned) {
  fw::hooks::ExpectMessageBox("上書き", IDYES);
  EXPECT_EQ(IDYES, AfxMessageBox(IDS_TEST_QUESTION, MB_YESNO));
  ASSERT_EQ(1u, fw::hooks::MessageBoxTexts().size());
  EXPECT_EQ("上書きしますか？", fw::hooks::MessageBoxTexts()[0]);
}

TEST_F(MessageBoxHook, TextBoxesAreAnsweredInOrder) {
  fw::hooks::ExpectMessageBox("Over max 40", IDOK);
  fw::hooks::ExpectMessageBox("中止", IDNO);
  EXPECT_EQ(IDOK, AfxMessageBox("Over max 40 of && or ||"));
  EXPECT_EQ(IDNO, AfxMessageBox(IDS_ABORT_QUERY, MB_YESNO));
}

TEST_F(MessageBoxHook, AnUnscriptedBoxFailsTheTest) {
  // Refused without showing anything, with the button that does nothing.
  EXPECT_EQ(IDNO, AfxMessageBox("予期しない質問", MB_YESNO));
  EXPECT_EQ(IDCANCEL, AfxMessageBox("もう一つ", MB_OKCANCEL));
  EXPECT_NONFATAL_FAILURE(testsupport::CheckHooks(), "unexpected message box: 予期しない質問");
}

TEST_F(MessageBoxHook, ACaptionCanBeSet) {
  EXPECT_EQ("Tabry-Editor", fw::MessageBoxTitle());
  fw::SetMessageBoxTitle("C:\\data\\表.csv");
  EXPECT_EQ("C:\\data\\表.csv", fw::MessageBoxTitle());
  fw::SetMessageBoxTitle("Tabry-Editor");
}

TEST(StringTable, JapaneseTextsLoadAsShiftJis) {
  std::string s;
  ASSERT_TRUE(fw::LookupString(IDS_TEST_JAPANESE, s));
  // 表 (95 5C), 示 (8E A6), ソ (83 5C), フ (83 74), ト (83 67), ： (81 46),
  // half-width ｱｲｳ (B1 B2 B3), TAB, ABC.
  EXPECT_EQ(std::string("\x95\x5C\x8E\xA6\x83\x5C\x83\x74\x83\x67\x81\x46\xB1\xB2\xB3\tABC"), s);
  // The same bytes as LoadStringA gives under code page 932.
  char buf[64] = {};
  const int n = LoadStringA(GetModuleHandleA(nullptr), IDS_TEST_JAPANESE, buf, sizeof buf);
  EXPECT_EQ(s, std::string(buf, n > 0 ? n : 0));
  CString c;
  ASSERT_TRUE(c.LoadString(IDS_TEST_JAPANESE));
  EXPECT_EQ(s, c.Str());
}

TEST(StringTable, AMissingStringIsReported) {
  std::string s;
  EXPECT_FALSE(fw::LookupString(9599, s));
  EXPECT_EQ("", s);
}

class MissingString : public testsupport::UiTest {};

TEST_F(MissingString, ABoxOfAMissingStringSaysWhichOne) {
  fw::hooks::ExpectMessageBox("9599", IDOK);
  EXPECT_EQ(IDOK, AfxMessageBox(9599u));
}

}  // namespace
