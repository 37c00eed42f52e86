// The one-page PDF of a JPEG picture: the fixed byte layout, the copy of the
// picture, the sizes refused because their numbers would not fit their
// fixed widths, and (native) what qpdf, pdfimages and pdfinfo make of it.
#include <gtest/gtest.h>

#include <string>

#include "export/pdf/jpeg_pdf.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 131 + 7) & 0xFF);
  return s;
}

bool Exists(const std::string& path) { return !testsupport::ReadFileBytes(path).empty(); }

}  // namespace

TEST(JpegPdf, FixedLayoutAroundThePicture) {
  testsupport::TempProgramFolder dir;
  const std::string jpeg = Pattern(12345);
  testsupport::WriteFileBytes(dir.File("a.jpg"), jpeg);
  ASSERT_EQ(pdfexp::WriteJpegPdfFile(dir.File("a.pdf"), dir.File("a.jpg"), 640, 480), pdfexp::JpegPdfResult::kWritten);
  const std::string pdf = testsupport::ReadFileBytes(dir.File("a.pdf"));
  ASSERT_EQ(pdf.size(), 13361u);
  EXPECT_EQ(pdf.substr(718, jpeg.size()), jpeg);
  EXPECT_EQ(pdf.substr(13080, 5), "xref\n");
  EXPECT_EQ(pdf.substr(0, 15), "%PDF-1.3\n%ABCD\n");
  EXPECT_NE(pdf.find("startxref\n   13080\n%%EOF\n"), std::string::npos);
  EXPECT_NE(pdf.find("/MediaBox[0 0   640   480]"), std::string::npos);
  EXPECT_NE(pdf.find("stream\nq\n   640 0 0   480 0 0 cm\n/I0 Do\nQ\n\nendstream"), std::string::npos);
  EXPECT_NE(pdf.find("5 0 obj\n   12345\nendobj\n"), std::string::npos);
  // Every object stands where the cross-reference table says.
  const char* offsets[] = {"15", "69", "116", "547", "246", "270", "377", "464", "482"};
  for (int obj = 1; obj <= 9; ++obj) {
    const size_t at = std::stoul(offsets[obj - 1]);
    EXPECT_EQ(pdf.substr(at, 8), std::to_string(obj) + " 0 obj\n") << obj;
  }
  // The JPEG ends right before "endstream".
  EXPECT_EQ(pdf.substr(718 + jpeg.size(), 17), "endstream\nendobj\n");
  EXPECT_EQ(pdfexp::JpegPdfHead(640, 480, 12345).size(), 718u);
  EXPECT_EQ(pdfexp::JpegPdfTail(12345).size(), 298u);
}

TEST(JpegPdf, CopiesInWholeReads) {
  testsupport::TempProgramFolder dir;
  for (size_t n : {size_t(0), size_t(1), size_t(1999), size_t(2000), size_t(2001), size_t(4000)}) {
    const std::string jpeg = Pattern(n);
    testsupport::WriteFileBytes(dir.File("b.jpg"), jpeg);
    ASSERT_EQ(pdfexp::WriteJpegPdfFile(dir.File("b.pdf"), dir.File("b.jpg"), 10, 10), pdfexp::JpegPdfResult::kWritten);
    const std::string pdf = testsupport::ReadFileBytes(dir.File("b.pdf"));
    ASSERT_EQ(pdf.size(), 1016 + n) << n;
    EXPECT_EQ(pdf.substr(718, n), jpeg) << n;
  }
}

TEST(JpegPdf, RefusesWhatTheFixedNumbersCannotHold) {
  testsupport::TempProgramFolder dir;
  testsupport::WriteFileBytes(dir.File("c.jpg"), Pattern(100));
  const std::string pdf = dir.File("c.pdf");
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, dir.File("c.jpg"), 0, 480), pdfexp::JpegPdfResult::kNoPicture);
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, dir.File("c.jpg"), 640, -1), pdfexp::JpegPdfResult::kNoPicture);
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, "", 640, 480), pdfexp::JpegPdfResult::kNoPicture);
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, dir.File("none.jpg"), 640, 480), pdfexp::JpegPdfResult::kNoJpeg);
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, dir.File("c.jpg"), 100000, 480), pdfexp::JpegPdfResult::kOutOfRange);
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, dir.File("c.jpg"), 640, 100000), pdfexp::JpegPdfResult::kOutOfRange);
  EXPECT_FALSE(Exists(pdf));
  // 99999 still fits six characters.
  EXPECT_EQ(pdfexp::WriteJpegPdfFile(pdf, dir.File("c.jpg"), 99999, 99999), pdfexp::JpegPdfResult::kWritten);
  // A JPEG whose end offset would need nine characters.
  EXPECT_TRUE(pdfexp::JpegPdfFits(1, 1, 99999999 - 735));
  EXPECT_FALSE(pdfexp::JpegPdfFits(1, 1, 99999999 - 734));
  EXPECT_TRUE(pdfexp::JpegPdfHead(1, 1, 99999999 - 734).empty());
  EXPECT_TRUE(pdfexp::JpegPdfTail(99999999 - 734).empty());
  EXPECT_EQ(pdfexp::JpegPdfTail(99999999 - 735).substr(pdfexp::JpegPdfTail(1).find("startxref")),
            "startxref\n99999999\n%%EOF\n");
}

TEST(JpegPdf, PathTakenOrProposed) {
  EXPECT_FALSE(pdfexp::JpegPdfNeedsDialog("C:\\a\\b.pdf"));
  EXPECT_FALSE(pdfexp::JpegPdfNeedsDialog("C:\\a\\B.PDF"));
  EXPECT_TRUE(pdfexp::JpegPdfNeedsDialog("C:\\a\\b.txt"));
  EXPECT_TRUE(pdfexp::JpegPdfNeedsDialog("df"));
  EXPECT_EQ(pdfexp::ProposedPdfName("C:\\a\\b.txt"), "C:\\a\\b.pdf");
  EXPECT_EQ(pdfexp::ProposedPdfName("C:\\a.d\\b"), "C:\\a.d\\b.pdf");
}

#ifndef _WIN32
TEST(JpegPdfOracle, OutsideToolsAcceptThePage) {
  REQUIRE_TOOLS("convert", "qpdf", "pdfimages", "pdfinfo");
  testsupport::TempProgramFolder dir;
  const std::string jpg = dir.File("p.jpg"), pdf = dir.File("p.pdf");
  ASSERT_EQ(std::system(("convert -size 640x480 gradient:red-blue -quality 85 '" + jpg + "'").c_str()), 0);
  ASSERT_EQ(pdfexp::WriteJpegPdfFile(pdf, jpg, 640, 480), pdfexp::JpegPdfResult::kWritten);
  EXPECT_EQ(std::system(("qpdf --check '" + pdf + "' >/dev/null 2>&1").c_str()), 0);
  const std::string images = testsupport::RunCapture("pdfimages -list '" + pdf + "'");
  EXPECT_NE(images.find("   640   480  rgb     3   8  jpeg"), std::string::npos) << images;
  const std::string info = testsupport::RunCapture("pdfinfo '" + pdf + "'");
  EXPECT_NE(info.find("640 x 480 pts"), std::string::npos) << info;
  // The image bytes come out as they went in.
  ASSERT_EQ(std::system(("cd '" + dir.Path() + "' && pdfimages -j p.pdf out").c_str()), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(dir.File("out-000.jpg")), testsupport::ReadFileBytes(jpg));
}
#endif
