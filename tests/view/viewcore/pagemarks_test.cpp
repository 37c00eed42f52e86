#include "view/viewcore/pagemarks.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch.h"
#include "view/viewcore/strings_fixture.h"

namespace {

std::string Interp(std::string s, int* n = nullptr) {
  int c = viewcore::RtfConvertPageMarks(reinterpret_cast<std::uint8_t*>(&s[0]), s.size());
  if (n) *n = c;
  return s;
}
std::string View(std::string s, int* n = nullptr) {
  int c = viewcore::ConvertRtfPageMarks(reinterpret_cast<std::uint8_t*>(&s[0]), s.size());
  if (n) *n = c;
  return s;
}

TEST(RtfConvertPageMarks, ParAndPard) {
  int n = 0;
  EXPECT_EQ(Interp("x~~\\par y", &n), "x \\page y");
  EXPECT_EQ(n, 1);
  EXPECT_EQ(Interp("~~\\pard\\plain ab"), " \\page \\plain ab");
  EXPECT_EQ(Interp("a~~\\par\r\nb~~\\par"), "a \\page\r\nb \\page");  // also at the very end
  EXPECT_EQ(Interp("~~~\\par"), "~ \\page");
}

TEST(RtfConvertPageMarks, OtherTextStays) {
  for (const char* s : {"~~ \\par", "~\\par", "~~\\page", "~~\\pararsid12 x", "~~\\pa", "~~"}) {
    int n = -1;
    EXPECT_EQ(Interp(s, &n), s);
    EXPECT_EQ(n, 0) << s;
  }
  // Nothing after a NUL is looked at.
  std::string withNul("a\0~~\\par", 8);
  EXPECT_EQ(Interp(withNul), withNul);
}

TEST(ConvertRtfPageMarks, MarkBeforeAParagraphEnd) {
  int n = 0;
  std::string in = "x ~~word\\par y";
  std::string out = View(in, &n);
  EXPECT_EQ(out, "x~`word\\page y");
  EXPECT_EQ(out.size(), in.size());
  EXPECT_EQ(n, 1);
  EXPECT_EQ(View(" ~~\\pard\\plain"), "~`\\page \\plain");
}

TEST(ConvertRtfPageMarks, PageBreakAlreadyThere) {
  EXPECT_EQ(View(" ~~ab\\page x"), " ~`ab\\page x");
}

TEST(ConvertRtfPageMarks, Reach) {
  // Backslash at blank + 38: converted; at blank + 39: left alone.
  std::string near = " ~~" + std::string(35, 'a') + "\\par";
  std::string far = " ~~" + std::string(36, 'a') + "\\par";
  EXPECT_EQ(View(near), "~`" + std::string(35, 'a') + "\\page");
  int n = -1;
  EXPECT_EQ(View(far, &n), far);
  EXPECT_EQ(n, 0);
  // Only whole control words: \pararsid and \pagebb are passed over.
  EXPECT_EQ(View(" ~~\\pararsid1\\par"), "~`\\pararsid1\\page");
  EXPECT_EQ(View(" ~~\\pagebb\\par"), "~`\\pagebb\\page");
  // The end of the text ends the search.
  EXPECT_EQ(View(" ~~\\pa"), " ~~\\pa");
  EXPECT_EQ(View(" ~~\\par"), "~`\\page");
}

TEST(PageMarks, ViewThenInterpreterOrder) {
  // The view's converter runs on the written file first; the interpreter's
  // then finds only marks without a leading blank.
  std::string s = "a ~~\\par b~~\\par ";
  s = View(s);
  EXPECT_EQ(s, "a~`\\page b~~\\par ");
  s = Interp(s);
  EXPECT_EQ(s, "a~`\\page b \\page ");
  // The other order: the interpreter's leaves no "~~" for the view's.
  std::string t = Interp("a ~~\\par ");
  EXPECT_EQ(t, "a  \\page ");
  EXPECT_EQ(View(t), t);
}

struct PageMarkFiles : ::testing::Test {
  testsupport::Scratch scratch;
  void SetUp() override { viewtest::LoadProgramStrings(); }
};

std::string ReadAll(const CString& path) {
  CFile f(path, CFile::modeRead);
  std::string s(static_cast<std::size_t>(f.GetLength()), '\0');
  if (!s.empty()) f.Read(&s[0], static_cast<UINT>(s.size()));
  return s;
}

TEST_F(PageMarkFiles, FileKeepsItsLength) {
  const CString path = scratch.Path("doc.rtf");
  const std::string rtf = "{\\rtf1 one ~~\\par two~~\\pard\\plain three\\par}";
  {
    CFile f(path, CFile::modeCreate | CFile::modeWrite);
    f.Write(rtf.data(), static_cast<UINT>(rtf.size()));
  }
  auto r = viewcore::ConvertRtfPageMarksFile(path);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.converted, 1);
  r = viewcore::RtfConvertPageMarksFile(path);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.converted, 1);
  EXPECT_EQ(ReadAll(path), "{\\rtf1 one~`\\page two \\page \\plain three\\par}");
}

TEST_F(PageMarkFiles, OnlyRichTextAndMissingFiles) {
  const CString txt = scratch.Path("a.txt");
  {
    CFile f(txt, CFile::modeCreate | CFile::modeWrite);
    f.Write("~~\\par", 6);
  }
  auto r = viewcore::RtfConvertPageMarksFile(txt);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.notRichText);
  EXPECT_EQ(ReadAll(txt), "~~\\par");

  const CString missing = scratch.Path("none.rtf");
  r = viewcore::ConvertRtfPageMarksFile(missing);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message.Find("ファイルをオープンできません"), 0);
  EXPECT_NE(r.message.Find("\nfile = "), -1);
  EXPECT_NE(r.message.Find("none.rtf"), -1);
}

}  // namespace
