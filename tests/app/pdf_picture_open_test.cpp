// The picture behind a PDF page's marker, asked for as a double-click on the
// marker asks (the number and letter set, the file opened again): the JPEG
// written byte for byte and the Flate picture as a BMP whose pixels are the
// ones pdfimages extracts, each loaded through the document's own image
// loader and shown by the image view; an object that is no picture says so.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "convert/convert_texts.h"
#include "core/docsvc/backup.h"
#include "fw/uihooks.h"
#include "image_view_fixture.h"
#include "pdf_picture_open_data.h"
#include "support/file_bytes.h"

namespace {

namespace data = pdfpicturedata;

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

// Each "[Im...]" marker of the text read as a double-click on it reads it:
// the letter is the word's third byte, raised to "a" when below "b"; the
// number is every digit from the third byte on.
std::vector<std::pair<int, int>> Markers(const std::string& text) {
  std::vector<std::pair<int, int>> out;
  for (std::size_t at = text.find("[Im"); at != std::string::npos; at = text.find("[Im", at + 1)) {
    const std::size_t end = text.find(']', at);
    if (end == std::string::npos) break;
    const std::string word = text.substr(at + 1, end - at - 1);
    if (word.size() < 3) continue;
    const int letter = word[2] < 'b' ? 'a' : word[2];
    int number = 0;
    for (std::size_t i = 2; i < word.size(); ++i)
      if (word[i] >= '0' && word[i] <= '9') number = number * 10 + (word[i] - '0');
    out.push_back({number, letter});
  }
  return out;
}

class PdfPictureOpenTest : public imageviewtest::ImageViewFixture {
 protected:
  // Starts the program, writes the PDF and opens it as text.
  void OpenPdf() {
    ASSERT_TRUE(StartIn(""));
    ASSERT_TRUE(docsvc::EnsureScratchFolders(doc->m_strProgramDir));
    pdf_ = File("pics.pdf");
    testsupport::WriteFileBytes(pdf_, std::string(reinterpret_cast<const char*>(data::kPdf), sizeof data::kPdf));
    ASSERT_TRUE(OpenAndWait(pdf_));
    text_ = DocText(doc);
  }
  // The marker's words set as the double-click sets them, the file opened again.
  bool AskFor(int number, int letter) {
    doc->m_nExtractNo = number;
    doc->m_nExtractLetter = letter;
    doc->m_bSizeHigh = 1;
    return OpenAndWait(pdf_);
  }
  std::string Scratch(const char* name) const {
    return std::string(doc->m_strProgramDir.GetString()) + "\\TMP\\" + name;
  }
  std::string pdf_;
  std::string text_;
};

TEST_F(PdfPictureOpenTest, TheJpegBehindItsMarkerIsWrittenAndShown) {
  OpenPdf();
  const auto markers = Markers(text_);
  ASSERT_EQ(2u, markers.size()) << text_;
  EXPECT_EQ(data::kJpegObject, markers[0].first);
  ASSERT_TRUE(AskFor(markers[0].first, markers[0].second));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data::kJpeg), sizeof data::kJpeg),
            testsupport::ReadFileBytes(Scratch("pdftmp.jpg")));
  EXPECT_EQ(Scratch("pdftmp.jpg"), std::string(doc->m_strConvImage.GetString()));
  EXPECT_EQ(markers[0].first + 200000, doc->m_nExtractNo);
  CDvkView* v = View();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(13u, v->m_nFileKind);
  EXPECT_NE(nullptr, v->m_image.m_hImageBitmap);
  EXPECT_EQ(data::kJpegWidth, v->m_image.m_nImageWidth);
  EXPECT_EQ(data::kJpegHeight, v->m_image.m_nImageHeight);
  EXPECT_EQ(Caption(), "W48 x H32 x 24bits  1/1");
  EXPECT_EQ(13u, doc->m_nFileKind);
  EXPECT_EQ(pdf_, std::string(doc->m_strDocPath.GetString()));
  // The number cleared (as the double-click does after a shown picture),
  // the file is its page text again; the last picture's path stays.
  doc->m_nExtractNo = 0;
  doc->m_nExtractLetter = 0;
  doc->m_bSizeHigh = 0;
  ASSERT_TRUE(OpenAndWait(pdf_));
  EXPECT_EQ(text_, DocText(doc));
  EXPECT_EQ(11u, doc->m_nFileKind);
  EXPECT_EQ(11u, View()->m_nFileKind);
  EXPECT_EQ(Scratch("pdftmp.jpg"), std::string(doc->m_strConvImage.GetString()));
}

TEST_F(PdfPictureOpenTest, TheFlatePictureBecomesABmpOfItsPixels) {
  OpenPdf();
  const auto markers = Markers(text_);
  ASSERT_EQ(2u, markers.size()) << text_;
  EXPECT_EQ(data::kFlateObject, markers[1].first);
  ASSERT_TRUE(AskFor(markers[1].first, markers[1].second));
  EXPECT_EQ(markers[1].first + 100000, doc->m_nExtractNo);
  const std::string rgb(reinterpret_cast<const char*>(data::kFlateRgb), sizeof data::kFlateRgb);
  // The inflated samples went through "\TMP\temp.txt".
  EXPECT_EQ(rgb, testsupport::ReadFileBytes(Scratch("temp.txt")));
  // The BMP: 24 bits, rows bottom-up and padded, blue green red.
  const std::string bmp = testsupport::ReadFileBytes(Scratch("pdftmp.bmp"));
  const int w = data::kFlateWidth, h = data::kFlateHeight;
  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
  ASSERT_EQ(54 + stride * h, bmp.size());
  EXPECT_EQ("BM", bmp.substr(0, 2));
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bmp[at + i]);
    return v;
  };
  EXPECT_EQ(54u, u32(10));
  EXPECT_EQ(static_cast<std::uint32_t>(w), u32(18));
  EXPECT_EQ(static_cast<std::uint32_t>(h), u32(22));
  EXPECT_EQ(24, bmp[28]);
  std::string expected(stride * h, '\0');
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        expected[static_cast<std::size_t>(h - 1 - y) * stride + static_cast<std::size_t>(x) * 3 + c] =
            rgb[(static_cast<std::size_t>(y) * w + x) * 3 + (2 - c)];
  EXPECT_TRUE(expected == bmp.substr(54)) << "BMP pixels differ from pdfimages' pixels";
  EXPECT_EQ(Scratch("pdftmp.bmp"), std::string(doc->m_strConvImage.GetString()));
  // Loaded by the program's own BMP loader and shown: the display bitmap
  // holds the same rows.
  CDvkView* v = View();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(12u, v->m_nFileKind);
  ASSERT_NE(nullptr, v->m_image.m_hImageBitmap);
  EXPECT_EQ(w, v->m_image.m_nImageWidth);
  EXPECT_EQ(h, v->m_image.m_nImageHeight);
  EXPECT_EQ(Caption(), "W37 x H23 x 24bits  1/1");
  int bw = 0, bh = 0;
  const std::vector<std::uint8_t> rows = imageviewtest::BitmapRows(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), &bw, &bh);
  ASSERT_EQ(w, bw);
  ASSERT_EQ(h, bh);
  EXPECT_TRUE(std::string(rows.begin(), rows.end()) == expected) << "the shown picture differs";
}

TEST_F(PdfPictureOpenTest, AnObjectThatIsNoPictureSaysSo) {
  OpenPdf();
  ASSERT_EQ(2u, Markers(text_).size()) << text_;
  // The catalog asked for as a picture: string 210 as the text, nothing
  // written, the number as it was, no message box.
  ASSERT_TRUE(AskFor(data::kCatalogObject, 'a'));
  const std::string unsupported(static_cast<const char*>(convert::GetConvertText(convert::ConvertText::kUnsupportedFormat)));
  ASSERT_FALSE(unsupported.empty());
  EXPECT_EQ(0u, DocText(doc).find(unsupported)) << DocText(doc);
  EXPECT_EQ(data::kCatalogObject, doc->m_nExtractNo);
  EXPECT_EQ(11u, doc->m_nFileKind);
  EXPECT_TRUE(testsupport::ReadFileBytes(Scratch("pdftmp.jpg")).empty());
  EXPECT_TRUE(testsupport::ReadFileBytes(Scratch("pdftmp.bmp")).empty());
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
  EXPECT_EQ(nullptr, View()->m_image.m_hImageBitmap);
  // The number cleared, the same file shows its page with its markers again.
  doc->m_nExtractNo = 0;
  doc->m_nExtractLetter = 0;
  doc->m_bSizeHigh = 0;
  ASSERT_TRUE(OpenAndWait(pdf_));
  EXPECT_EQ(text_, DocText(doc));
  EXPECT_EQ(11u, doc->m_nFileKind);
}

}  // namespace
