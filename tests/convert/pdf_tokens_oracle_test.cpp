// Outside answers for the PDF reader's decoders: Python's base64.a85decode
// for ASCII85 on random data, and qpdf's reading of the ToUnicode maps of a
// LibreOffice-made Japanese PDF, as the file is and after qpdf rewrote it
// uncompressed and into object streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "convert/pdf_converter.h"
#include "pdf_test_util.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const char kPython[] = "/usr/bin/python3";

fs::path Dir() {
  const fs::path d = fs::path(TABRYE_BIN_ROOT) / "convert_pdf_tokens";
  fs::create_directories(d);
  return d;
}

TEST(PdfTokensOracle, Ascii85AgainstPython) {
  REQUIRE_TOOLS(kPython);
  std::mt19937 rng(20240607);
  struct Case {
    std::size_t size;
    bool zeros;  // runs of zero bytes ("z" groups)
  } cases[] = {{1, false}, {2, false}, {3, false}, {4, false}, {1000, false}, {4097, true}, {16000, true}};
  for (const Case& c : cases) {
    std::string data(c.size, '\0');
    for (char& ch : data) ch = static_cast<char>(rng() & 0xFF);
    if (c.zeros) {
      for (std::size_t i = 0; i + 4 <= data.size() && i < data.size() / 2; ++i) data[i] = 0;
    }
    const fs::path in = Dir() / ("a85_" + std::to_string(c.size) + ".bin");
    testsupport::WriteFileBytes(in, data);
    const std::string encoded = testsupport::RunCapture(
        std::string(kPython) + " -c \"import base64,sys; sys.stdout.write(base64.a85encode(open(sys.argv[1],'rb').read(), wrapcol=76).decode() + '~>')\" '" +
        in.string() + "'");
    ASSERT_FALSE(encoded.empty());
    // Python's own decode of the same text must give the data back.
    const std::string back = testsupport::RunCapture(
        std::string(kPython) + " -c \"import base64,sys; sys.stdout.buffer.write(base64.a85decode(sys.stdin.read().strip()[:-2]))\" <<'EOF'\n" +
        encoded + "\nEOF\n");
    ASSERT_EQ(data, back);
    pdftest::Run run("x");
    std::vector<std::uint8_t> buf(encoded.begin(), encoded.end());
    buf.resize(encoded.size() * 4 + 16);
    const std::int32_t n = run->Ascii85DecodeInPlace(buf.data(), pdftest::L(encoded), buf.size());
    ASSERT_GE(static_cast<std::size_t>(n), data.size()) << c.size;
    EXPECT_EQ(data, std::string(reinterpret_cast<const char*>(buf.data()), data.size())) << c.size;
  }
}

// qpdf's maps: object number -> (code -> value).
std::map<int, std::map<int, int>> ReferenceMaps(const fs::path& pdf) {
  std::map<int, std::map<int, int>> maps;
  std::istringstream in(testsupport::RunCapture(std::string(kPython) + " '" TABRYE_TEST_ROOT
                                                "/tests/convert/pdf_cmap_reference.py' '" + pdf.string() + "'"));
  int obj = 0;
  for (std::string word; in >> word;) {
    if (word == "obj") {
      in >> obj;
      continue;
    }
    int value = 0;
    in >> value;
    maps[obj][std::stoi(word)] = value;
  }
  return maps;
}

void ExpectMapsRead(const fs::path& pdf, const std::map<int, std::map<int, int>>& maps) {
  const std::string bytes = testsupport::ReadFileBytes(pdf);
  pdftest::Run run(bytes, 2000000);
  ASSERT_TRUE(run->AllocateWork());
  run->ExpandObjectStreams();
  run->IndexObjects();
  for (const auto& [obj, codes] : maps) {
    SCOPED_TRACE(pdf.filename().string() + " object " + std::to_string(obj));
    ASSERT_GT(run->m_anObjOffset[static_cast<std::size_t>(obj)], 0);
    std::vector<std::uint16_t> table(convert::kPdfObjects, 0);
    ASSERT_EQ(1, run->PdfReadFontEncoding(run->m_anObjOffset[static_cast<std::size_t>(obj)], table.data(), 0));
    int checked = 0;
    for (const auto& [code, value] : codes) {
      if (code > convert::kPdfCodeMax) continue;
      EXPECT_EQ(value, table[static_cast<std::size_t>(code)]) << "code " << code;
      ++checked;
    }
    EXPECT_GT(checked, 0);
  }
}

TEST(PdfTokensOracle, LibreOfficeToUnicodeMapsAgainstQpdf) {
  REQUIRE_TOOLS("soffice", "qpdf", kPython);
  const fs::path dir = Dir();
  const std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/convert/make_pdf_cmap_fixture.sh' '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  const fs::path pdf = dir / "lo_japanese.pdf";
  const std::map<int, std::map<int, int>> maps = ReferenceMaps(pdf);
  ASSERT_GE(maps.size(), 2u);  // a Latin font and the Japanese ones
  bool japanese = false;
  for (const auto& [obj, codes] : maps) {
    for (const auto& [code, value] : codes) japanese = japanese || (value >= 0x3040 && value <= 0x9FFF);
  }
  EXPECT_TRUE(japanese);
  ExpectMapsRead(pdf, maps);
  // The same maps uncompressed, and with the objects in object streams (the
  // object numbers stay with --object-streams; the streams themselves are
  // never inside object streams).
  const fs::path plain = dir / "lo_japanese_plain.pdf";
  const fs::path packed = dir / "lo_japanese_objstm.pdf";
  ASSERT_EQ(0, std::system(("qpdf --stream-data=uncompress '" + pdf.string() + "' '" + plain.string() + "'").c_str()));
  ASSERT_EQ(0, std::system(("qpdf --object-streams=generate '" + pdf.string() + "' '" + packed.string() + "'").c_str()));
  ExpectMapsRead(plain, ReferenceMaps(plain));
  ExpectMapsRead(packed, ReferenceMaps(packed));
}

}  // namespace
