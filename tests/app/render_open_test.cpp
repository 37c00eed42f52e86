// Files that are not plain text opened as a user opens them (OpenFile): an
// archive shows its members, a sound file its format, a program and a
// library their title, a binary file under a document name its first bytes
// and the cut notices, a short unknown workbook an empty text; a reader that
// fails leaves its message as the text, never a negative length.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "convert/convert_registry.h"
#include "core/docopen/opentexts.h"
#include "fw/uihooks.h"
#include "../convert/listing_util.h"
#include "../convert/ooxml_test_util.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

using namespace convert_test;

// One stored member and the start of a central directory.
std::string OneMemberZip() { return ZipStored("readme.txt", "hello") + ZipCentralTail(); }

std::string OneSecondWav() { return Wave(44100, 16, 2, 44100 * 4) + std::string(4000, '\0'); }

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

std::string Text(const CString& s) { return std::string(s.GetString(), s.GetLength()); }

class RenderOpenTest : public shelltest::ShellFileTest {
 protected:
  int Open(const std::string& name, const std::string& bytes) {
    const std::string path = File(name.c_str());
    testsupport::WriteFileBytes(path, bytes);
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
};

TEST_F(RenderOpenTest, ArchivesSoundProgramsAndBinaryFilesShowTheirText) {
  ASSERT_TRUE(StartIn(""));
  // The member with its sizes, date and name, and the totals.
  ASSERT_EQ(0, Open("pack.zip", OneMemberZip()));
  std::string text = DocText(doc);
  EXPECT_EQ(0u, text.find("ZIP File\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("            5            5   100%   01/01'25 12:00   readme.txt\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("1 files Total")) << text;
  EXPECT_EQ('\0', doc->m_pText[doc->m_nTextLen]);

  ASSERT_EQ(0, Open("tone.wav", OneSecondWav()));
  text = DocText(doc);
  EXPECT_EQ(0u, text.find(" Audio file")) << text;
  EXPECT_NE(std::string::npos, text.find("Sampling frequency 44100 Hz")) << text;
  EXPECT_NE(std::string::npos, text.find("length 1.000 sec")) << text;

  ASSERT_EQ(0, Open("tool.exe", "MZ" + std::string(3000, '\x90')));
  EXPECT_EQ("Program File\r\n\r\n", DocText(doc));
  ASSERT_EQ(0, Open("part.DLL", "MZ" + std::string(100, '\0')));
  EXPECT_EQ("Dynamic Link File\r\n\r\n", DocText(doc));

  // A binary file under a document name: its first 2000 bytes, the notice,
  // and (the file being longer) the notice and the size message again.
  std::string bin(5000, 'b');
  for (int i = 0; i < 5; ++i) bin[static_cast<std::size_t>(100 * (i + 1))] = '\0';
  doc->m_nIndata = 204800;
  doc->m_bQuickLoad = 0;
  ASSERT_EQ(0, Open("core.doc", bin));
  const std::string omitted = Text(docopen::GetOpenText(docopen::OpenText::kDataOmitted));
  EXPECT_EQ(bin.substr(0, 2000) + omitted + omitted + Text(docopen::FileOverText(204800)), DocText(doc));
  EXPECT_EQ(0, doc->m_bFileCut);

  // A short workbook with no known head: an empty text, as a success.
  ASSERT_EQ(0, Open("small.xls", "not a workbook"));
  EXPECT_EQ(0u, doc->m_nTextLen);
  // An archive name over plain bytes: the bytes, CR LF, NUL.
  ASSERT_EQ(0, Open("notes.zip", "just text"));
  EXPECT_EQ("just text\r\n", DocText(doc));
  EXPECT_EQ('\0', doc->m_pText[doc->m_nTextLen]);
}

std::int64_t FailsWithMessage(const convert::Converter&, convert::RenderJob& job) {
  job.out.Append("this package cannot be read");
  return -27;
}
std::int64_t FailsSilently(const convert::Converter&, convert::RenderJob&) { return -1; }

TEST_F(RenderOpenTest, AFailingReaderNeverGivesANegativeLength) {
  ASSERT_TRUE(StartIn(""));
  {
    convert::ScopedReader standIn("docx", FailsWithMessage);
    ASSERT_EQ(0, Open("paper.docx", OneMemberZip()));
    EXPECT_EQ("this package cannot be read", DocText(doc));
    EXPECT_EQ('\0', doc->m_pText[doc->m_nTextLen]);
  }
  {
    convert::ScopedReader standIn("docx", FailsSilently);
    ASSERT_EQ(0, Open("paper.docx", OneMemberZip()));
    EXPECT_EQ(0u, doc->m_nTextLen);
    EXPECT_EQ('\0', doc->m_pText[0]);
  }
  // The reader as built: a package without a document part is one line of
  // five blanks.
  ASSERT_EQ(0, Open("paper.docx", ooxmltest::StoredZip({{"readme.txt", "hello"}})));
  EXPECT_EQ("     \r\n", DocText(doc));
}

// A ".docx" opens as its pages; opened without converters it is listed as
// the ZIP archive it is.
TEST_F(RenderOpenTest, ADocxOpensAsPagesAndWithoutConvertersAsItsListing) {
  ASSERT_TRUE(StartIn(""));
  const std::string document =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document><w:body>"
      "<w:p><w:r><w:t>first paragraph</w:t></w:r></w:p>"
      "<w:tbl><w:tr><w:tc><w:tcPr><w:tcW w:w=\"1440\" w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:t>cell</w:t></w:r></w:p>"
      "</w:tc></w:tr></w:tbl><w:p><w:r><w:t>\xE6\x97\xA5\xE6\x9C\xAC</w:t></w:r></w:p>"
      "<w:sectPr><w:pgSz w:w=\"11906\"/></w:sectPr></w:body></w:document>";
  const std::string docx = ooxmltest::StoredZip({{"word/document.xml", document}});
  doc->m_bTableLayout = 1;
  ASSERT_EQ(0, Open("paper.docx", docx));
  const std::string text = DocText(doc);
  EXPECT_EQ(0u, text.find("first paragraph")) << text;
  EXPECT_NE(std::string::npos, text.find("| cell")) << text;
  EXPECT_NE(std::string::npos, text.find("\x93\xFA\x96\x7B")) << text;  // Shift-JIS
  EXPECT_NE(std::string::npos, text.find("+---")) << text;
  doc->m_bTableLayout = 0;
  ASSERT_EQ(0, Open("paper.docx", docx));
  EXPECT_EQ(std::string::npos, DocText(doc).find('|'));

  doc->m_nOpenContext = 2;
  ASSERT_EQ(0, Open("paper.docx", docx));
  doc->m_nOpenContext = 0;
  EXPECT_EQ(0u, DocText(doc).find("ZIP File\r\n")) << DocText(doc);
  EXPECT_NE(std::string::npos, DocText(doc).find("word/document.xml")) << DocText(doc);
}

}  // namespace
