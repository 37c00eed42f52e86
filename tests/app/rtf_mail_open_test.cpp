// RTF files and mail items opened as a user opens them (OpenFile): RTF under
// a Word name, short and long, and a mail item with its captions and
// attachment list.
#include <gtest/gtest.h>

#include <string>

#include "core/docopen/opentexts.h"
#include "core/docsvc/backup.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

class RtfMailOpenTest : public shelltest::ShellFileTest {
 protected:
  int Open(const std::string& name, const std::string& bytes) {
    const std::string path = File(name.c_str());
    testsupport::WriteFileBytes(path, bytes);
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
};

TEST_F(RtfMailOpenTest, RtfFilesShowTheirText) {
  ASSERT_TRUE(StartIn(""));
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\stylesheet{\\s0 Normal;}}\r\n"
      "\\pard\\plain {\\loch\nFirst paragraph.}\\par \\trowd\\cellx1760\\cellx3520\\intbl{\\loch ab}\\cell"
      "{\\loch cd}\\cell\\row \\'82\\'a0\\u26085\\'3f\\par}";
  // (A ".rtf" name is the document's own: it loads the bytes for the rich
  // text view.) Under a Word name the renderer finds the RTF head.
  ASSERT_EQ(0, Open("letter.doc", rtf));
  EXPECT_EQ("First paragraph.\r\nab cd \r\n\x82\xA0\x93\xFA\r\n", DocText(doc));
  // Long enough for the frame's sniff gate.
  ASSERT_EQ(0, Open("letter.doc", rtf + std::string(3000, ' ')));
  EXPECT_EQ(0u, DocText(doc).find("First paragraph.\r\nab cd \r\n")) << DocText(doc);
}

TEST_F(RtfMailOpenTest, AMailItemShowsItsCaptionsAndAttachments) {
  ASSERT_TRUE(StartIn(""));
  const std::string msg =
      testsupport::ReadFileBytes(std::string(TABRYE_TEST_ROOT) + "/tests/data/convert/mail_full.msg");
  ASSERT_GT(msg.size(), 4000u);
  ASSERT_EQ(0, Open("report.msg", msg));
  const std::string text = DocText(doc);
  EXPECT_NE(std::string::npos, text.find("\r\nTITLE  : Quarterly report\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nTO     : Alice Example\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("[file_1] vol=105 name= notes.txt\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("[file_2] vol=15 name= ..\\..\\evil.txt\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("First line of the body.\r\nSecond line\r\n")) << text;
  EXPECT_EQ(std::string::npos, text.find("[file_3]"));
  EXPECT_NE(std::string::npos, text.find("\r\n--END--- "));
  EXPECT_EQ(1u, doc->m_bSizeHigh);

  // Asking for attachment 2 ("..\..\evil.txt") writes it as a scratch file
  // of its last name component, and the number is raised.
  ASSERT_TRUE(docsvc::EnsureScratchFolders(doc->m_strProgramDir));
  doc->m_nExtractNo = 2;
  ASSERT_EQ(0, Open("report.msg", msg));
  EXPECT_EQ(100002, doc->m_nExtractNo);
  const std::string scratch = std::string(doc->m_strProgramDir.GetString()) + "\\TMP\\TMP_evil.txt";
  EXPECT_EQ("evil contents\r\n", testsupport::ReadFileBytes(scratch));
  // The document's current file is the attachment, ready to be opened.
  EXPECT_EQ(0, CString(scratch.c_str()).CompareNoCase(doc->m_strCurFile)) << doc->m_strCurFile.GetString();
  // A plain render afterwards takes the mail item again.
  ASSERT_EQ(0, Open("report.msg", msg));
  EXPECT_EQ(std::string::npos, std::string(doc->m_strCurFile.GetString()).find("TMP_evil"));
}

}  // namespace
