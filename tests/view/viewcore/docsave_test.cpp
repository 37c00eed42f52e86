#include "view/viewcore/docsave.h"

#include <gtest/gtest.h>

#include <string>

#include "fw/clock.h"
#include "fw/file.h"
#include "support/save_folders.h"
#include "support/scratch.h"

namespace {

using viewcore::SafeWriteOptions;
using viewcore::SaveError;

using testsupport::ReadBytes;
using testsupport::WriteBytes;

struct DocSave : testsupport::SaveFolders {};

TEST_F(DocSave, CsvBufferInCommaFormAndTextInItsEncoding) {
  const CString csvPath = doc + "\\t.csv";
  WriteBytes(csvPath, "a,\"b,c\"\r\n");
  const std::string work = "a\x06\"b,c\"\x06" "1,5\r\n";
  auto r = viewcore::SaveCsvBuffer(csvPath, reinterpret_cast<const std::uint8_t*>(work.data()), work.size(), 33,
                                   nullptr, Options());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(ReadBytes(csvPath), "a,\"b,c\",\"1,5\"\r\n");
  EXPECT_EQ(ReadBytes(r.backupPath), "a,\"b,c\"\r\n");

  // A UTF-8 file goes back as UTF-8.
  const CString txtPath = doc + "\\u.txt";
  textcodec::DecodeResult origin;
  const std::string utf8 = "\xE8\xA1\xA8\r\n";  // 表
  ASSERT_TRUE(textcodec::DecodeTextToSjis(utf8.data(), utf8.size(), textcodec::TextEncoding::kAuto, &origin));
  r = viewcore::SaveSjisText(txtPath, origin.text.data(), origin.text.size(), &origin, Options());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(ReadBytes(txtPath), utf8);

  // BinHex cannot be written back: nothing is written.
  textcodec::DecodeResult binhex;
  binhex.encoding = textcodec::TextEncoding::kBinHex;
  r = viewcore::SaveSjisText(doc + "\\h.txt", "x", 1, &binhex, Options());
  EXPECT_EQ(r.error, SaveError::kEncodeFailed);
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(doc + "\\h.txt", st));
}

TEST(DocSaveLineEnds, OnlyATextOfLfLineEndsKeepsThem) {
  EXPECT_TRUE(viewcore::KeepsLfLineEnds("a\nb\n", 4));
  EXPECT_TRUE(viewcore::KeepsLfLineEnds("a\nb", 3));
  // A new document, a text of one line and a CR LF text are written with CR LF.
  EXPECT_FALSE(viewcore::KeepsLfLineEnds("", 0));
  EXPECT_FALSE(viewcore::KeepsLfLineEnds(nullptr, 0));
  EXPECT_FALSE(viewcore::KeepsLfLineEnds("one line", 8));
  EXPECT_FALSE(viewcore::KeepsLfLineEnds("a\r\nb\n", 5));
  // Only the text's own bytes count (the spare bytes after it do not).
  EXPECT_FALSE(viewcore::KeepsLfLineEnds("ab\n", 2));
}

}  // namespace
