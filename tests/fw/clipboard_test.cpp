// Clipboard round trips (run one at a time: the clipboard is shared).
#include <gtest/gtest.h>
#include <windows.h>

#include "fw/clipboard.h"

namespace {

// 表 and ソ end in 0x5C; half-width ｱ; CR LF and TAB kept as they are.
const std::string kSjis = "abc\x95\x5C\x83\x5C\xB1\tx\r\n\x82\xA0";

TEST(Clipboard, ShiftJisTextRoundTrips) {
  ASSERT_TRUE(fw::SetClipboardText(nullptr, kSjis));
  EXPECT_TRUE(fw::ClipboardHasText());
  EXPECT_FALSE(fw::ClipboardHasRtf());
  std::string back;
  ASSERT_TRUE(fw::GetClipboardText(nullptr, &back));
  EXPECT_EQ(kSjis, back);

  // Other programs read the same characters as Unicode.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(nullptr, h);
  const std::wstring wide(static_cast<const wchar_t*>(GlobalLock(h)));
  GlobalUnlock(h);
  CloseClipboard();
  EXPECT_EQ(std::wstring(L"abc\u8868\u30bd\uff71\tx\r\n\u3042"), wide);
}

TEST(Clipboard, RtfAndTextTogether) {
  const std::string rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Mincho;}}"
                          "\\f0 \\'95\\'5c\\par}";
  ASSERT_TRUE(fw::SetClipboardTextAndRtf(nullptr, "\x95\x5C", rtf));
  EXPECT_TRUE(fw::ClipboardHasRtf());
  std::string text, back;
  ASSERT_TRUE(fw::GetClipboardRtf(nullptr, &back));
  EXPECT_EQ(rtf, back);
  ASSERT_TRUE(fw::GetClipboardText(nullptr, &text));
  EXPECT_EQ("\x95\x5C", text);
  EXPECT_EQ(fw::RtfClipboardFormat(), RegisterClipboardFormatA("Rich Text Format"));

  // Putting text alone empties the clipboard first: no stale RTF.
  ASSERT_TRUE(fw::SetClipboardText(nullptr, "plain"));
  EXPECT_FALSE(fw::GetClipboardRtf(nullptr, &back));
  EXPECT_EQ("", back);
}

TEST(Clipboard, ForeignBlocksWithoutNulAreReadSafely) {
  // A block filled to its end with no NUL: read up to the block's size only.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 4);
  const size_t blockSize = GlobalSize(g);
  memcpy(GlobalLock(g), "ABCD", 4);
  GlobalUnlock(g);
  ASSERT_NE(nullptr, SetClipboardData(fw::RtfClipboardFormat(), g));
  CloseClipboard();
  std::string back;
  ASSERT_TRUE(fw::GetClipboardRtf(nullptr, &back));
  EXPECT_EQ("ABCD", back.substr(0, 4));
  EXPECT_LE(back.size(), blockSize);
}

TEST(Ole, InitialisesOnce) {
  EXPECT_TRUE(AfxOleInit());
  EXPECT_TRUE(fw::OleInit());
  fw::OleTerm();
  fw::OleTerm();  // a second end is harmless
  EXPECT_TRUE(fw::OleInit());
  fw::OleTerm();
}

}  // namespace
