// The undo's read of a source file: bytes decoded as the open decoded them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/textcodec/textcodec.h"
#include "csv/csv_table.h"
#include "fw/cstring.h"
#include "view/viewcore/selectsnapshot.h"
#include "view/viewcore/sourcedecode.h"

namespace {

TEST(SourceDecode, AUtf8SourceComesBackAsTheOpenGaveIt) {
  const int sjis = static_cast<int>(textcodec::TextEncoding::kShiftJis);
  const int utf8 = static_cast<int>(textcodec::TextEncoding::kUtf8);
  EXPECT_FALSE(viewcore::NeedsDecoding(sjis));
  EXPECT_TRUE(viewcore::NeedsDecoding(utf8));
  // 名,"一 CRLF 二" in UTF-8: the Shift-JIS text with the quoted break kept.
  const std::string bytes = "\xE5\x90\x8D,\"\xE4\xB8\x80\r\n\xE4\xBA\x8C\"\r\n";
  viewcore::SourceEncoding e;
  e.encoding = utf8;
  std::string text;
  ASSERT_TRUE(viewcore::DecodeSourceFile(bytes, &text, &e));
  EXPECT_EQ("\x96\xBC,\"\x88\xEA\r\n\x93\xF1\"\r\n", text);
  // Through the snapshot reader: the same table as a load of that text.
  const std::string path = ::testing::TempDir() + "sourcedecode_u8.csv";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  csv::Table read, direct;
  ASSERT_EQ(viewcore::SnapshotRead::kLoaded,
            viewcore::ReadSelectSnapshot(CString(path.c_str()), &read, 100, &viewcore::DecodeSourceFile, &e));
  ASSERT_TRUE(direct.LoadFileText(text.data(), text.size(), 100));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(direct.m_pTextBuf), direct.UsedLength()),
            std::string(reinterpret_cast<const char*>(read.m_pTextBuf), read.UsedLength()));
  std::remove(path.c_str());
  // Without its encoding nothing is decoded.
  EXPECT_FALSE(viewcore::DecodeSourceFile(bytes, &text, nullptr));
}

}  // namespace
