// The string table as the program loads it: LoadStringA gives the CP932
// bytes of the texts (this source's literals are compiled to CP932).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"

namespace {

std::string Load(UINT id) {
  char buf[4096];
  int n = LoadStringA(GetModuleHandleA(nullptr), id, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

TEST(StringTable, TextsAsCp932) {
  EXPECT_EQ(Load(IDS_OUT_OF_MEMORY), "メモリーが足りません\r\n");
  EXPECT_EQ(Load(IDS_WRITE_PROTECTED), "%s \nは書込み禁止又は他で使用中です。\n実行できません。");
  EXPECT_EQ(Load(IDS_ABORT_QUERY), "中止しますか？");
  EXPECT_EQ(Load(IDS_OVERWRITE_QUERY), "ファイル %s は既に存在します。\n上書きしますか？");
  EXPECT_EQ(Load(IDS_DELETE_FOLDER_QUERY), "フォルダ\" %s を消去してよろしいですか？");
  EXPECT_EQ(Load(IDS_LIST_HDR_SIZE_DOWN), "  容量∨");
  EXPECT_EQ(Load(IDS_NEW_FOLDER), "新規ﾌｫﾙﾀﾞ");
  EXPECT_EQ(Load(IDS_MENU_FIND_REPLACE), "検索･置換\tshft+F3");
  EXPECT_EQ(Load(IDS_EXTERNAL_DATA_ERROR).substr(Load(IDS_EXTERNAL_DATA_ERROR).size() - 2), "\n\n");
  EXPECT_EQ(Load(IDS_TBL_RIGHT_RULE), "右罫線\tctrl +4");
  EXPECT_EQ(Load(ID_CSV_SAVE_HTML), "CSVからHTMLファイルに保存");
}

TEST(StringTable, ColumnWidthTextsAreThreeOf20Bytes) {
  const std::string t = Load(IDS_COLUMN_WIDTH_MODES);
  ASSERT_EQ(t.size(), 60u);
  EXPECT_EQ(t.substr(0, 20), "列幅 最大表示       ");
  EXPECT_EQ(t.substr(20, 20), "列幅 自動調整       ");
}

TEST(StringTable, FormatsTakeTheirArguments) {
  char out[512];
  wsprintfA(out, Load(IDS_DELETE_MARKED_QUERY).c_str(), 12);
  EXPECT_EQ(std::string(out), "12ヶの選択ファイルを一括消去しますか？");
}

}  // namespace
