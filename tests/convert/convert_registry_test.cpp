// The converter registry: which converter takes a file (content before
// kind), the limits a converter gets, and what an open learns from it.
#include "convert/convert_registry.h"

#include <gtest/gtest.h>

#include <string>

#include "core/docsvc/filekind.h"
#include "listing_util.h"
#include "support/scratch.h"

namespace {

const std::uint8_t* U(const char* s) { return reinterpret_cast<const std::uint8_t*>(s); }

TEST(ConvertRegistry, ContentIsSniffedBeforeTheKindDecides) {
  const convert::Converter& pdfByKind = convert::ConverterFor(docsvc::kKindPdf, nullptr, 0);
  ASSERT_NE(nullptr, pdfByKind.name);
  EXPECT_STREQ("PDF", pdfByKind.name);
  // A PDF under an Excel name goes to the PDF reader.
  const convert::Converter& sniffed = convert::ConverterFor(docsvc::kKindExcel, U("%PDF-1.7\n"), 9);
  ASSERT_NE(nullptr, sniffed.detect);
  EXPECT_STREQ("PDF", sniffed.name);
  // A compound file under an Office name goes to the compound-document
  // reader; under a package name (an encrypted package) to its converter.
  const char ole[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1rest";
  const convert::Converter& office = convert::ConverterFor(docsvc::kKindExcel, U(ole), sizeof ole - 1);
  EXPECT_STREQ("office97", office.id);
  EXPECT_EQ(&office, &convert::ConverterFor(docsvc::kKindWord, U(ole), sizeof ole - 1));
  EXPECT_STREQ("mail", convert::ConverterFor(docsvc::kKindMail, U(ole), sizeof ole - 1).id);
  EXPECT_STREQ("xlsx", convert::ConverterFor(docsvc::kKindXlsx, U(ole), sizeof ole - 1).id);
  // A ZIP head is listed whatever the name, but a package only when opened without converters.
  EXPECT_STREQ("zip-listing", convert::ConverterFor(docsvc::kKindText, U("PK\x03\x04"), 4).id);
  EXPECT_STREQ("xlsx", convert::ConverterFor(docsvc::kKindXlsx, U("PK\x03\x04"), 4).id);
  // Too short to match, or nothing read: the kind decides.
  EXPECT_EQ(&convert::ConverterFor(docsvc::kKindExcel, nullptr, 0),
            &convert::ConverterFor(docsvc::kKindExcel, U("%PDF"), 4));
  // Every kind finds a row; kinds no row names share the last one.
  int count = 0;
  const convert::Converter* rows = convert::Converters(&count);
  ASSERT_GT(count, 0);
  EXPECT_EQ(&rows[count - 1], &convert::ConverterFor(docsvc::kKindPng, nullptr, 0));
  EXPECT_EQ(&rows[count - 1], &convert::ConverterFor(-5, nullptr, 0));
  for (int i = 0; i < count; ++i) EXPECT_NE(nullptr, rows[i].convert) << i;
  // Row names are unique (stand-in readers are put in by name).
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j) EXPECT_STRNE(rows[i].id, rows[j].id);
}

TEST(ConvertRegistry, LimitsAreTheConvertersOwnAndTheSettingsStay) {
  convert::Limits settings;
  settings.indata = 204800;
  settings.outdata = 2000000;
  settings.tableRows = 2000;
  // PDF at the default "indata": it reads more and keeps more rows.
  convert::Limits pdf = convert::LimitsFor(convert::ConverterFor(docsvc::kKindPdf, nullptr, 0), settings);
  EXPECT_EQ(512000, pdf.indata);
  EXPECT_EQ(19000, pdf.tableRows);
  EXPECT_EQ(2000000, pdf.outdata);
  // A user's own "indata" holds for PDF too; other formats get the settings.
  convert::Limits own = settings;
  own.indata = 300000;
  convert::Limits pdfOwn = convert::LimitsFor(convert::ConverterFor(docsvc::kKindPdf, nullptr, 0), own);
  EXPECT_EQ(300000, pdfOwn.indata);
  EXPECT_EQ(2000, pdfOwn.tableRows);
  convert::Limits word = convert::LimitsFor(convert::ConverterFor(docsvc::kKindWord, nullptr, 0), settings);
  EXPECT_EQ(204800, word.indata);
  EXPECT_EQ(2000, word.tableRows);
}

TEST(ConvertRegistry, HtmlAndXmlFilesAreRenderedAsText) {
  testsupport::Scratch scratch;
  struct Case {
    const char* name;
    int kind;
    const char* bytes;
    const char* text;
  } cases[] = {
      {"d.xml", docsvc::kKindXml, "<sheetData><row><c><v>7</v></c></row></sheetData>", "7 "},
      {"e.htm", docsvc::kKindHtml, "<html><h1>T</h1><a href=\"u\">x</a>", "$:T\n @01:x"},
  };
  for (const Case& c : cases) {
    const CString path = scratch.Path(c.name);
    testsupport::WriteBytes(path, c.bytes);
    convert::Request r;
    r.path = path;
    r.kind = c.kind;
    r.limits.indata = 204800;
    r.limits.outdata = 2000000;
    r.limits.tableRows = 5000;
    const convert::Result out = convert::ConvertFile(r);
    EXPECT_EQ(convert::Status::kOk, out.status) << c.name;
    EXPECT_NE(std::string::npos, out.text.find(c.text)) << out.text;
    EXPECT_NE(std::string::npos, out.text.find("--address--")) << out.text;
  }
  // The link list switch comes through the request.
  const CString path = scratch.Path("f.htm");
  testsupport::WriteBytes(path, "<html><a href=\"u\">x</a>");
  convert::Request r;
  r.path = path;
  r.kind = docsvc::kKindHtml;
  r.limits.indata = 204800;
  r.limits.outdata = 2000000;
  r.limits.tableRows = 5000;
  r.m_bLinkList = 0;
  EXPECT_EQ(std::string::npos, convert::ConvertFile(r).text.find("@01"));
}

TEST(ConvertRegistry, AKindWithoutAConverterSaysWhichFormatAndFile) {
  testsupport::Scratch scratch;
  struct Case {
    const char* name;
    int kind;
    std::string bytes;
    const char* format;
  } cases[] = {
      {"f.+txt", docsvc::kKindText, "x", "+txt"},           // a marked source: its extension
      {"g.rtz", docsvc::kKindRichText, "x", "rtz"},
  };
  for (const Case& c : cases) {
    const CString path = scratch.Path(c.name);
    testsupport::WriteBytes(path, c.bytes);
    convert::Request r;
    r.path = path;
    r.kind = c.kind;
    r.limits.indata = 204800;
    convert::Result out = convert::ConvertFile(r);
    EXPECT_EQ(convert::Status::kNotBuilt, out.status) << c.name;
    EXPECT_TRUE(out.text.empty());
    const std::string msg = out.message.GetString();
    EXPECT_NE(std::string::npos, msg.find(std::string("（") + c.format + "）")) << msg;
    EXPECT_NE(std::string::npos, msg.find("\nfile = " + std::string(path.GetString()))) << msg;
  }
  // A bare BIFF stream under .xls is read by the Excel reader: text, no notice.
  {
    const CString path = scratch.Path("c.xls");
    testsupport::WriteBytes(path, std::string("\x09\x04\x06\x00", 4));
    convert::Request r;
    r.path = path;
    r.kind = docsvc::kKindExcel;
    r.limits.indata = 204800;
    const convert::Result out = convert::ConvertFile(r);
    EXPECT_EQ(convert::Status::kOk, out.status);
    EXPECT_TRUE(out.message.IsEmpty());
  }
  // A PDF, also under another name, goes to the PDF reader: with no page
  // text it says so (string 267).
  for (const char* name : {"a.pdf", "b.xls"}) {
    const CString path = scratch.Path(name);
    testsupport::WriteBytes(path, "%PDF-1.4\n");
    convert::Request r;
    r.path = path;
    r.kind = std::string(name) == "a.pdf" ? docsvc::kKindPdf : docsvc::kKindExcel;
    r.limits.indata = 204800;
    r.limits.outdata = 2000000;
    convert::Result out = convert::ConvertFile(r);
    EXPECT_EQ(convert::Status::kOk, out.status) << name;
    EXPECT_EQ(0u, out.text.find("PDF : ")) << name << ": " << out.text;
  }
  // A file that is not there says so (string 237), whatever its kind.
  convert::Request missing;
  missing.path = scratch.Path("none.pdf");
  missing.kind = docsvc::kKindPdf;
  convert::Result none = convert::ConvertFile(missing);
  EXPECT_EQ(convert::Status::kFailed, none.status);
  EXPECT_NE(std::string::npos, std::string(none.message.GetString()).find("\nfile = "));
}

TEST(ConvertRegistry, ArchivesShowTheirMemberListing) {
  testsupport::Scratch scratch;
  using convert_test::ZipStored;
  const std::string zip = ZipStored("inner.txt", "text") + convert_test::ZipCentralTail();
  std::string lzh;  // one level-0 member "m.txt" of 3 stored bytes
  {
    std::string h = "-lh0-";
    convert_test::Put32(h, 3);
    convert_test::Put32(h, 3);
    convert_test::Put32(h, 0);
    h += std::string("\x20\0\x05m.txt\0\0", 10);
    lzh = static_cast<char>(h.size()) + std::string(1, '\0') + h + "abc" + std::string(1, '\0');
  }
  struct Case {
    const char* name;
    std::string bytes;
    const char* expect;  // nullptr: no listing, the bytes as they are
  } cases[] = {
      {"a.zip", zip, "ZIP File\r\n"},
      {"B.ZIP", zip, "ZIP File\r\n"},
      {"c.lzh", "PK00" + zip, "ZIP File\r\n"},  // the content decides
      {"d.lzh", lzh, "LZH File\r\n"},
      {"E.LZH", lzh, "LZH File\r\n"},
      {"f.zip", lzh, nullptr},                  // LZH only under its own name
      {"g.lzh", "not an archive at all", nullptr},
  };
  for (const Case& c : cases) {
    const CString path = scratch.Path(c.name);
    testsupport::WriteBytes(path, c.bytes);
    convert::Request r;
    r.path = path;
    r.kind = docsvc::kKindArchive;
    r.limits.indata = 204800;
    r.limits.outdata = 100000;
    convert::Result out = convert::ConvertFile(r);
    if (c.expect) {
      EXPECT_EQ(convert::Status::kOk, out.status) << c.name;
      EXPECT_EQ(0u, out.text.find(c.expect)) << c.name << "\n" << out.text;
      EXPECT_NE(std::string::npos, out.text.find("1 files Total")) << c.name << "\n" << out.text;
    } else {
      EXPECT_EQ(convert::Status::kOk, out.status) << c.name;
      EXPECT_EQ(c.bytes + "\r\n", out.text) << c.name;
    }
  }
  convert::Request missing;
  missing.path = scratch.Path("none.zip");
  missing.kind = docsvc::kKindArchive;
  convert::Result out = convert::ConvertFile(missing);
  EXPECT_EQ(convert::Status::kFailed, out.status);
  EXPECT_FALSE(out.message.IsEmpty());
}

TEST(ConvertRegistry, MediaFilesShowTheirInformation) {
  testsupport::Scratch scratch;
  std::string midi = std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0D\0\xFF\x03\x05Piano\0\xFF\x2F\0", 35);
  const CString path = scratch.Path("song.mid");
  testsupport::WriteBytes(path, midi);
  convert::Request r;
  r.path = path;
  r.kind = docsvc::kKindMidi;
  r.limits.indata = 204800;
  convert::Result out = convert::ConvertFile(r);
  EXPECT_EQ(convert::Status::kOk, out.status);
  EXPECT_EQ(0u, out.text.find(" MIDI  file")) << out.text;
  EXPECT_NE(std::string::npos, out.text.find("\r\n\r\n Piano\r\n")) << out.text;
  r.path = scratch.Path("none.mp3");
  r.kind = docsvc::kKindAudio;
  EXPECT_EQ(convert::Status::kFailed, convert::ConvertFile(r).status);
}

}  // namespace
