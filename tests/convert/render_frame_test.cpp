// The renderer frame over files in memory: the head reading, the sniff and
// its gate, the titles, the plain copy and its cuts, the raw view, the
// dispatch (with a stand-in reader), the finish of the readers and the
// memory codes.
#include "convert/render_frame.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "convert/convert_registry.h"
#include "convert/csv_preconvert.h"
#include "core/docopen/opentexts.h"
#include "core/docsvc/filekind.h"
#include "fw/alloc.h"
#include "listing_util.h"

namespace {

using convert::RenderJob;
using convert::RenderStatus;
using docopen::GetOpenText;
using docopen::OpenText;

using OwnedSource = convert::OwnedMemorySource;

void Serve(RenderJob& job, const std::string& bytes) {
  job.open = [bytes](const CString&) { return std::unique_ptr<convert::SourceFile>(new OwnedSource(bytes)); };
}

struct Outcome {
  std::int64_t result = 0;
  std::string text;
  RenderStatus status = RenderStatus::kText;
  int kind = 0, fileKind = 0, rawPage = 0, convPos = 0, convSize = 0, fileCut = 0;
  CString message;
  bool nulAfter = false;
};

Outcome Render(const char* path, int kind, const std::string& bytes, void (*setUp)(RenderJob&) = nullptr) {
  RenderJob job;
  job.path = path;
  job.kind = kind;
  Serve(job, bytes);
  if (setUp) setUp(job);
  Outcome r;
  r.result = convert::RenderFileAsText(job);
  r.text.assign(job.out.Data(), job.out.Size());
  r.nulAfter = job.out.Data()[job.out.Size()] == '\0';
  r.status = job.status;
  r.kind = job.m_nKind;
  r.fileKind = job.m_nFileKind;
  r.rawPage = job.m_nRawPage;
  r.convPos = job.m_nConvPos;
  r.convSize = job.m_nConvSize;
  r.fileCut = job.m_bFileCut;
  r.message = job.message;
  EXPECT_EQ(static_cast<std::int64_t>(r.text.size()), r.result);
  EXPECT_EQ(nullptr, job.m_pConvData);  // the head buffer goes at the end
  return r;
}

std::string Text(const CString& s) { return std::string(static_cast<const char*>(s), s.GetLength()); }
std::string Omitted() { return Text(GetOpenText(OpenText::kDataOmitted)); }
std::string Over(std::int64_t indata) { return Text(docopen::FileOverText(indata)); }

std::string Filler(std::size_t n, char c = 'x') { return std::string(n, c); }

TEST(RenderFrame, PathsKindsAndTheContentSniff) {
  const std::string zip = convert_test::ZipStored("in.txt", "text") + convert_test::ZipCentralTail();
  // A path over 512 bytes: nothing, result 0.
  const std::string longPath = "C:\\" + Filler(506) + ".zip";
  ASSERT_EQ(513u, longPath.size());
  Outcome r = Render(longPath.c_str(), 5, zip);
  EXPECT_EQ(0, r.result);
  EXPECT_EQ(RenderStatus::kText, r.status);
  // The extension's case does not matter; a .txt that is a ZIP is listed.
  EXPECT_EQ(Render("x.zip", 5, zip).text, Render("X.ZIP", 5, zip).text);
  EXPECT_EQ(0u, Render("a.txt", 9, zip).text.find("ZIP File\r\n"));
  EXPECT_EQ(0u, Render("a.lzh", 5, "PK00" + zip).text.find("ZIP File\r\n"));

  // A .doc of 2000 bytes or more with no Word head is plain text; under
  // 2000 bytes it is kind 92 and empty.
  const std::string plain = Filler(2500, 'a');
  r = Render("d.doc", 2, plain);
  EXPECT_EQ(9, r.kind);
  EXPECT_EQ(plain, r.text);
  for (const char* head : {"\x94\xA6\x2E", "\xFE\x37\x00"}) {
    // Each Word head reaches the Word reader, which answers with text.
    r = Render("w.doc", 2, std::string(head, 3) + Filler(2497));
    EXPECT_EQ(RenderStatus::kText, r.status) << head;
  }
  // A compound head goes to the compound reader: here its directory lies
  // past the file (string 240).
  r = Render("w.doc", 2, std::string("\xD0\xCF\x11", 3) + Filler(2497));
  EXPECT_EQ(RenderStatus::kText, r.status);
  EXPECT_NE(std::string::npos, r.text.find("Office"));
  r = Render("s.doc", 2, Filler(1999, 'a'));
  EXPECT_EQ(RenderStatus::kText, r.status);
  EXPECT_EQ(92, r.kind);
  EXPECT_EQ(0, r.result);
  // A bare BIFF stream under .xls goes to the Excel reader.
  r = Render("b.xls", 3, std::string("\x09\x04\x06\x00", 4) + Filler(100));
  EXPECT_EQ(RenderStatus::kText, r.status);
  EXPECT_EQ(std::string::npos, Text(r.message).find("Excel"));

  // A workbook package goes to its converter; opened without converters it
  // is listed.
  // (Without a program folder there is no scratch folder to unpack to: no
  // text.)
  r = Render("b.xlsx", 36, zip);
  EXPECT_EQ(RenderStatus::kText, r.status);
  EXPECT_EQ(0, r.result);
  r = Render("b.xlsx", 36, zip, [](RenderJob& j) { j.openContext = 2; });
  EXPECT_EQ(0u, r.text.find("ZIP File\r\n"));
  r = Render("b.docx", 37, zip);
  EXPECT_EQ(RenderStatus::kText, r.status);
  EXPECT_EQ(0, r.result);
  r = Render("b.docx", 37, zip, [](RenderJob& j) { j.openContext = 2; });
  EXPECT_EQ(0u, r.text.find("ZIP File\r\n"));

  // Comments before "<html" make it HTML (the markup switch sets the reader mode).
  r = Render("page.xml", 34, "\r\n<!-- one -->\r\n<!-- two --><html><body>x</body></html>" + Filler(2000));
  EXPECT_EQ(6, r.fileKind);
  EXPECT_NE(std::string::npos, r.text.find("x\n\n--address"));
  // A comment with no end before offset 500 leaves the head as it was.
  r = Render("page.xml", 34, "<!--" + Filler(600) + "--><html>");
  EXPECT_EQ(34, r.fileKind);
  // "%PDF-" makes any name a PDF; "{\rtf" an RTF unless it is shown as source.
  r = Render("a.dat", 53, "%PDF-1.4\n" + Filler(10));
  EXPECT_EQ(11, r.fileKind);
  EXPECT_EQ(0u, r.text.find("PDF : "));  // the PDF reader: no page text (string 267)
  EXPECT_EQ(4, Render("r.doc", 2, "{\\rtf1 x}").kind);
  // Shown as source: a short .doc with no Word head (kind 92, empty).
  EXPECT_EQ(92, Render("r.doc", 2, "{\\rtf1 x}", [](RenderJob& j) { j.switches.rtfAsSource = 1; }).kind);
  // "m3u" (exact case) and the force-markup flag read as HTML.
  EXPECT_EQ(6, Render("list.m3u", 99, "#EXTM3U").kind);
  EXPECT_EQ(6, Render("x.zip", 5, "abc", [](RenderJob& j) { j.forceMarkup = 1; }).kind);
}

TEST(RenderFrame, TitlesComeWithTheirExtension) {
  EXPECT_EQ("Binary File\r\n\r\n", Render("data.bin", 99, Filler(3000)).text);
  EXPECT_EQ("Program File\r\n\r\n", Render("tool.exe", 8, "MZ" + Filler(3000)).text);
  EXPECT_EQ("Program File\r\n\r\n", Render("TOOL.COM", 99, "MZ").text);
  EXPECT_EQ("Dynamic Link File\r\n\r\n", Render("lib.dll", 8, "MZ").text);
  EXPECT_EQ("JPEG File\r\n\r\n", Render("p.jpg", 13, "\xFF\xD8\xFF\xE0" + Filler(10)).text);
  EXPECT_EQ("BMP File\r\n\r\n", Render("p.BMP", 12, "BM" + Filler(10)).text);
  EXPECT_EQ("TIFF File\r\n\r\n", Render("p.tif", 16, "II*" + Filler(10)).text);
  EXPECT_EQ("GIF89a File\r\n\r\n", Render("p.gif", 15, "GIF89a" + Filler(10)).text);
  EXPECT_EQ(std::string("GIF8", 4) + std::string(2, '\0') + " File\r\n\r\n", Render("p.gif", 15, "GIF8").text);
  // The head alone gives no title.
  Outcome r = Render("p.png", 14, "\xFF\xD8\xFF\xE0" + Filler(10));
  EXPECT_EQ(std::string::npos, r.text.find("JPEG"));
  EXPECT_EQ(RenderStatus::kNotBuilt, r.status);
}

TEST(RenderFrame, PlainCopyCutsAndTheFinish) {
  // A kind-5 file that is no archive: its bytes, CR LF and a NUL.
  Outcome r = Render("n.zip", 5, "hello world");
  EXPECT_EQ("hello world\r\n", r.text);
  EXPECT_TRUE(r.nulAfter);
  // An end-of-file mark two bytes before the end of the copy becomes NUL.
  EXPECT_EQ(std::string("hello\0z\r\n", 9), Render("n.zip", 5, "hello\x1Az").text);
  // Past the read size: the cut notice and the size message (not with quick-load).
  auto small = [](RenderJob& j) { j.indata = 4096; };
  r = Render("big.zip", 5, Filler(5000), small);
  EXPECT_EQ(Filler(4096) + Omitted() + Over(4096) + "\r\n", r.text);
  EXPECT_EQ(4096, r.convSize);
  EXPECT_EQ(0, r.fileCut);
  r = Render("big.zip", 5, Filler(5000), [](RenderJob& j) {
    j.indata = 4096;
    j.switches.quickLoad = 1;  // 200,000 bytes: the whole file
  });
  EXPECT_EQ(Filler(5000) + "\r\n", r.text);
  // The plain copy stops at "outdata" + 3000; the finish keeps "outdata" - 4
  // for kinds below 91 (here 5).
  r = Render("big.zip", 5, Filler(9000), [](RenderJob& j) { j.outdata = 1024; });
  EXPECT_EQ(Filler(1020) + "\r\n", r.text);
  EXPECT_EQ(1, r.fileCut);
  // Short view: 2000 bytes.
  r = Render("big.zip", 5, Filler(9000), [](RenderJob& j) { j.switches.shortView = 1; });
  EXPECT_EQ(Filler(2000) + "\r\n", r.text);

  // A binary file: 5 NULs among the first 1000 bytes keep 2000 bytes and say so;
  // the finish adds the cut notice and the size message.
  std::string bin = Filler(5000, 'b');
  for (int i = 0; i < 5; ++i) bin[static_cast<std::size_t>(100 + i * 100)] = '\0';
  r = Render("core.dat", 99, bin);
  EXPECT_EQ(bin.substr(0, 2000) + Omitted() + Omitted() + Over(204800), r.text);
  r = Render("core.dat", 99, bin, [](RenderJob& j) { j.switches.quickLoad = 1; });
  EXPECT_EQ(bin.substr(0, 2000) + Omitted(), r.text);
  // Four NULs, or the binary view on: the whole file.
  std::string four = bin;
  four[500] = 'b';
  EXPECT_EQ(four, Render("core.dat", 99, four).text);
  EXPECT_EQ(bin, Render("core.dat", 99, bin, [](RenderJob& j) { j.switches.binaryView = 1; }).text);
  // Exactly 2000 bytes: nothing was left out, so no notice.
  EXPECT_EQ(bin.substr(0, 2000), Render("core.dat", 99, bin.substr(0, 2000)).text);

  // A mail file that is no compound document: its text, NULs as blanks.
  r = Render("m.msg", 32, std::string("a\0b\0c", 5));
  EXPECT_EQ("a b c", r.text);
  // A result of one or two bytes loses its last byte.
  EXPECT_EQ("a", Render("m.msg", 32, "ab").text);
  EXPECT_EQ("", Render("m.msg", 32, "a").text);
}

TEST(RenderFrame, SizeGuardOfPdf) {
  auto two = [](RenderJob& j) { j.indata = 2 << 20; };
  Outcome r = Render("big.pdf", 11, "%PDF-" + Filler((2 << 20) - 200 + 1 - 5), two);
  EXPECT_EQ(RenderStatus::kFileOver, r.status);
  EXPECT_EQ(Over(2 << 20), r.text);
  EXPECT_NE(std::string::npos, r.text.find("(>2MB)"));
  r = Render("big.pdf", 11, "%PDF-" + Filler((2 << 20) - 200 - 5), two);
  EXPECT_EQ(RenderStatus::kText, r.status);  // within the limit: the PDF reader
  EXPECT_EQ(0u, r.text.find("PDF : "));
  auto small = [](RenderJob& j) { j.indata = 300000; };
  r = Render("big.pdf", 11, Filler(299801), small);
  EXPECT_EQ(RenderStatus::kFileOver, r.status);
  ASSERT_GT(r.text.size(), 8u);
  EXPECT_EQ("(>500KB)", r.text.substr(r.text.size() - 8));
}

TEST(RenderFrame, RawViewPagesAndCopies) {
  const std::string file = Filler(200000, 'r');
  Outcome r = Render("x.dat", 99, file, [](RenderJob& j) {
    j.openContext = 1;
    j.m_nRawPage = -1;
  });
  EXPECT_EQ("", r.text);
  EXPECT_EQ(3, r.rawPage);
  EXPECT_EQ(3 * 65536, r.convPos);
  r = Render("x.dat", 99, file, [](RenderJob& j) {
    j.openContext = 1;
    j.m_nRawPage = 9;  // past the end: the first page
  });
  EXPECT_EQ(0, r.rawPage);
  EXPECT_EQ(0, r.convPos);
  // Context 2: the head as it is, up to the larger limit less 2000.
  r = Render("x.dat", 99, file, [](RenderJob& j) {
    j.openContext = 2;
    j.indata = 100000;
    j.outdata = 50000;
  });
  EXPECT_EQ(file.substr(0, 98000), r.text);
  // Context 2 still converts the kinds it keeps (here a Word head).
  r = Render("w.doc", 2, "\x94\xA6\x2E" + Filler(10), [](RenderJob& j) { j.openContext = 2; });
  EXPECT_EQ(RenderStatus::kText, r.status);
}

// Stand-in readers that fail (fault: a negative result must never become a length).
std::int64_t FailsSilently(const convert::Converter&, RenderJob&) { return -1; }
std::int64_t FailsWithMessage(const convert::Converter&, RenderJob& job) {
  job.out.Append("cannot read this package");
  return -24;
}

TEST(RenderFrame, AFailingReaderLeavesWhatItWroteNeverANegativeLength) {
  const std::string zip = convert_test::ZipStored("word/document.xml", "<w/>") + convert_test::ZipCentralTail();
  {
    convert::ScopedReader standIn("docx", FailsSilently);
    Outcome r = Render("a.docx", 37, zip);
    EXPECT_EQ(0, r.result);
    EXPECT_EQ(RenderStatus::kText, r.status);
  }
  {
    convert::ScopedReader standIn("docx", FailsWithMessage);
    Outcome r = Render("a.docx", 37, zip);
    EXPECT_EQ("cannot read this package", r.text);
    EXPECT_EQ(24, r.convSize);
    convert::Request q;
    q.path = "a.docx";
    q.kind = 37;
    q.open = [zip](const CString&) { return std::unique_ptr<convert::SourceFile>(new OwnedSource(zip)); };
    convert::Result out = convert::ConvertFile(q);
    EXPECT_EQ(convert::Status::kOk, out.status);
    EXPECT_EQ("cannot read this package", out.text);
  }
  // The stand-in is gone with its scope: the converter itself (here with no
  // scratch folder to unpack to, so no text).
  const Outcome real = Render("a.docx", 37, zip);
  EXPECT_EQ(RenderStatus::kText, real.status);
  EXPECT_EQ("", real.text);
}

TEST(RenderFrame, EveryBufferShortageHasItsCodeAndLeaksNothing) {
  std::set<int> codes;
  for (long n = 1;; ++n) {
    const long live = fw::alloctest::Live();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    Outcome r;
    {
      r = Render("n.zip", 5, Filler(3000));
    }
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    EXPECT_EQ(live, fw::alloctest::Live()) << n;
    if (!reached) break;
    if (r.status == RenderStatus::kNoMemory) {
      const std::string memory = Text(GetOpenText(OpenText::kRenderMemory));
      ASSERT_GE(r.text.size(), memory.size() + 4);
      EXPECT_EQ(memory, r.text.substr(r.text.size() - memory.size() - 4, memory.size()));
      codes.insert(std::stoi(r.text.substr(r.text.size() - 3)));
    }
  }
  EXPECT_EQ((std::set<int>{1, 2, 3, 4, 5}), codes);
}

TEST(RenderFrame, CsvIsPreconvertedInPlace) {
  Outcome r = Render("t.csv", 33, "\"a,b\",c\td\r\n");
  EXPECT_EQ(std::string("\"a,b\"\x06" "c~d\r\n", 11), r.text);
  EXPECT_TRUE(r.nulAfter);
  EXPECT_EQ(11, r.convSize);
  // Two NULs after the text.
  RenderJob job;
  job.path = "t.csv";
  job.kind = 33;
  Serve(job, "a,b\r\n");
  ASSERT_EQ(5, convert::RenderFileAsText(job));
  ASSERT_GE(job.out.Capacity(), 7u);
  EXPECT_EQ(std::string("a\x06" "b\r\n\0\0", 7), std::string(job.out.Data(), 7));
  // Past the read size: the read bytes only, no notice (the CSV has no finish).
  r = Render("t.csv", 33, Filler(5000, 'c'), [](RenderJob& j) { j.indata = 4096; });
  EXPECT_EQ(Filler(4096, 'c'), r.text);
  EXPECT_EQ(4096, r.convSize);
}

TEST(RenderFrame, ReadersOfThisBuildAndTheMissingFile) {
  // Media information from the head.
  std::string wav = "RIFF";
  convert_test::Put32(wav, 36 + 44100 * 4 - 8);
  wav += "WAVEfmt ";
  convert_test::Put32(wav, 16);
  convert_test::Put16(wav, 1);
  convert_test::Put16(wav, 2);
  convert_test::Put32(wav, 44100);
  convert_test::Put32(wav, 44100 * 4);
  convert_test::Put16(wav, 4);
  convert_test::Put16(wav, 16);
  wav += "data";
  convert_test::Put32(wav, 44100 * 4);
  wav += Filler(3000, '\0');
  Outcome r = Render("s.wav", 52, wav);
  EXPECT_EQ(0u, r.text.find(" Audio file")) << r.text;
  EXPECT_NE(std::string::npos, r.text.find("44100")) << r.text;
  // A file that does not open: string 237.
  RenderJob job;
  job.path = "none.zip";
  job.kind = 5;
  job.open = [](const CString&) { return std::unique_ptr<convert::SourceFile>(); };
  convert::RenderFileAsText(job);
  EXPECT_EQ(RenderStatus::kCannotOpen, job.status);
  EXPECT_EQ(Text(GetOpenText(OpenText::kCannotOpen)), std::string(job.out.Data(), job.out.Size()));
  job.path = "C:\\folder\\";
  convert::RenderFileAsText(job);
  EXPECT_EQ(0u, job.out.Size());
}

TEST(CsvPreconvert, QuotesCommasLineEndsAndBrokenPairs) {
  auto conv = [](const std::string& in) {
    std::string out(in.size(), '?');
    convert::PreconvertCsv(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(),
                           reinterpret_cast<std::uint8_t*>(&out[0]));
    return out;
  };
  EXPECT_EQ(std::string("\"a,b\"\x06" "c~d", 9), conv("\"a,b\",c\td"));
  // Inside quotes a comma after a double quote is a separator still.
  EXPECT_EQ(std::string("x\"\x06y\"", 5), conv("x\",y\""));
  // Line ends inside quotes.
  EXPECT_EQ("\"a:b:c\"\r\n", conv("\"a\rb\nc\"\r\n"));
  // The 91st comma of one quoted stretch breaks it.
  std::string in = "\"";
  for (int i = 0; i < 95; ++i) in += "a,";
  const std::string out = conv(in);
  const std::size_t at91 = 1 + 90 * 2 + 1;  // the 91st comma
  EXPECT_EQ('\n', out[at91]);
  EXPECT_EQ('\r', out[at91 - 1]);
  EXPECT_EQ(',', out[at91 - 2]);            // the 90th stays
  EXPECT_EQ('\x06', out[at91 + 2]);         // the quotes ended there
  // A trail byte below 0x40 blanks its lead byte and is read as itself.
  EXPECT_EQ(std::string("\x82\xA0 \x06z", 5), conv("\x82\xA0\x82,z"));
  EXPECT_EQ(std::string("\x81\x40~", 3), conv("\x81\x40\t"));
  EXPECT_EQ(std::string(" \"a,b\"", 6), conv("\x82\"a,b\""));
}

}  // namespace
