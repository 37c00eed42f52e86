// ".pptx" presentations opened as a user opens them (OpenFile): the slides
// as text with their page lines, the table switch's grid units, and the ZIP
// listing of a nested open.
#include <gtest/gtest.h>

#include <string>

#include "../convert/ooxml_test_util.h"
#include "../convert/pptx_test_util.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

class PptxOpenTest : public shelltest::ShellFileTest {
 protected:
  int OpenShow(const std::string& name) {
    const std::string path = File(name.c_str());
    const std::string slide =
        pptxtest::Slide(pptxtest::Box(1800000, 1980000, 2400000, 220000, {"\xE9\x96\x8B\xE3\x81\x8F opened"}) +
                        pptxtest::Picture(2, pptxtest::Xfrm(800000, 8000000, 800000, 400000)));
    testsupport::WriteFileBytes(path, ooxmltest::StoredZip({{"ppt/slides/slide1.xml", slide},
                                                           {"ppt/slides/slide2.xml", pptxtest::Slide("")},
                                                           {"ppt/slides/_rels/slide1.xml.rels",
                                                            pptxtest::Rels({{2, "image1.png"}})},
                                                           {"ppt/media/image1.png", "png"}}));
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
  static std::string Line(const std::string& text, std::size_t n) {
    return (n + 1) * 132 <= text.size() ? text.substr(n * 132, 130) : std::string();
  }
};

TEST_F(PptxOpenTest, APresentationOpensAsSlidesAndANestedOpenAsItsListing) {
  ASSERT_TRUE(StartIn(""));
  doc->m_bTableLayout = 0;
  ASSERT_EQ(0, OpenShow("show.pptx"));
  std::string text = DocText(doc);
  EXPECT_EQ(0u, text.find("=============================================page  1=====")) << text;
  // "開く" in code page 932, at column 22 of row 5.
  EXPECT_EQ(22u, Line(text, 5).find("\x8A\x4A\x82\xAD opened")) << text;
  EXPECT_NE(std::string::npos, text.find("[image1.png]"));
  EXPECT_NE(std::string::npos, text.find("=============================================page  2====="));
  EXPECT_EQ(std::string(100, '=') + std::string(30, ' ') + "\r\n", text.substr(text.size() - 132));

  // The table switch: 900 / 2,200 EMU units put it at column 25, row 10.
  doc->m_bTableLayout = 1;
  ASSERT_EQ(0, OpenShow("show.pptx"));
  EXPECT_EQ(25u, Line(DocText(doc), 10).find("\x8A\x4A\x82\xAD opened"));
  doc->m_bTableLayout = 0;

  // A nested open without converters lists the package.
  doc->m_nOpenContext = 2;
  doc->OpenFile(File("show.pptx").c_str(), docopen::OpenMode::kPlain);
  doc->m_nOpenContext = 0;
  text = DocText(doc);
  EXPECT_EQ(0u, text.find("ZIP File\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("ppt/slides/slide1.xml")) << text;
}

}  // namespace
