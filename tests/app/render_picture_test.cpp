// The readers' words through the document: RenderFileAsText passes the
// extraction number and the display switch to the readers and stores what
// they changed; a picture an Office reader recorded is written as the scratch
// picture and loaded as the document's image through its converter host.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "convert/convert_registry.h"
#include "core/docsvc/backup.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

const std::string kJpegHead = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);

// A stand-in Office reader: it records the picture found in the head, says
// which number it was asked for and changes the words a mail reader changes.
std::int64_t PictureReader(const convert::Converter&, convert::RenderJob& job) {
  job.m_nFileKind = 2;
  const std::uint8_t* h = job.Head();
  for (std::int32_t i = 0; i + 3 <= job.readSize; ++i) {
    if (h[i] == 0xFF && h[i + 1] == 0xD8 && h[i + 2] == 0xFF) {
      job.pictures.Add({0x52, i, job.readSize - i});
      break;
    }
  }
  job.out.Printf("asked %d", job.m_nExtractNo);
  job.m_bSizeHigh = 1;
  return static_cast<std::int64_t>(job.out.Size());
}

class RenderPictureTest : public shelltest::ShellFileTest {};

TEST_F(RenderPictureTest, TheDocumentPassesAndStoresTheReadersWords) {
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(docsvc::EnsureScratchFolders(doc->m_strProgramDir));
  convert::ScopedReader standIn("office97", PictureReader);
  // A compound head under an RTF name: the frame reads the whole file.
  const std::string bytes = "\xD0\xCF\x11\xE0" + std::string(2500, 'x') + kJpegHead + std::string(64, 'j');
  const std::string path = File("pic.rtf");
  testsupport::WriteFileBytes(path, bytes);
  doc->m_nExtractNo = 1;
  doc->m_bSizeHigh = 0;
  std::optional<std::string> text = doc->RenderFileAsText(path.c_str(), 0, 0, 4);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(0u, text->find("asked 1")) << *text;
  EXPECT_EQ(1u, doc->m_bSizeHigh);
  EXPECT_EQ(1, doc->m_nExtractNo);
  const std::string image(doc->m_strConvImage.GetString());
  ASSERT_GE(image.size(), 15u);
  EXPECT_EQ("\\TMP\\pdftmp.jpg", image.substr(image.size() - 15));
  EXPECT_EQ(bytes.substr(2504), testsupport::ReadFileBytes(image));
  EXPECT_EQ(13, doc->m_nFileKind);
}

}  // namespace
