// The PowerPoint reader over LibreOffice-made presentations
// (make_ppt_fixtures.sh), through the whole renderer: the words of each page
// against pdftotext's text of LibreOffice's own PDF of the same file, the
// frames' centring, the note, the inspection listing, the picture marker and
// the picture's bytes, and copies damaged by the test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "convert/convert_host.h"
#include "convert/convert_registry.h"
#include "convert/source_file.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_ppt_fixtures.sh", "convert_ppt");
  return dir;
}

#define REQUIRE_FIXTURES()                             \
  REQUIRE_TOOLS("soffice", "pdftotext", "iconv");      \
  ASSERT_FALSE(Fixtures().empty()) << "make_ppt_fixtures.sh failed"

// Counts the pictures loaded.
class CountingHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString& path, int) override {
    ++loads;
    last = static_cast<const char*>(path);
    return 0;
  }
  int loads = 0;
  std::string last;
};

using OwnedSource = convert::OwnedMemorySource;

struct RenderOptions {
  int openContext = 0;
  int extractNo = 0;
  std::string programDir;
  convert::ConvertHost* host = nullptr;
  const std::string* bytes = nullptr;  // the file's bytes in place of the file on disk
};

convert::Result Render(const std::string& doc, const RenderOptions& o = RenderOptions()) {
  convert::Request r;
  r.path = (Fixtures() / doc).string().c_str();
  r.kind = 1;
  r.limits.indata = 8000000;
  r.limits.outdata = 8000000;
  r.openContext = o.openContext;
  r.m_nExtractNo = o.extractNo;
  r.m_strProgramDir = o.programDir.c_str();
  r.host = o.host;
  if (o.bytes) {
    const std::string copy = *o.bytes;
    r.open = [copy](const CString&) { return std::unique_ptr<convert::SourceFile>(new OwnedSource(copy)); };
  }
  return convert::ConvertFile(r);
}

std::string Cp932(const std::string& utf8) {
  const fs::path tmp = Fixtures() / "iconv.in";
  {
    FILE* f = std::fopen(tmp.string().c_str(), "wb");
    std::fwrite(utf8.data(), 1, utf8.size(), f);
    std::fclose(f);
  }
  return testsupport::RunCapture("iconv -f UTF-8 -t CP932 '" + tmp.string() + "'");
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string w;
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c <= ' ') {
      if (!w.empty()) words.push_back(w);
      w.clear();
    } else {
      w += ch;
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

// pdftotext's pages (parted by form feeds), in code page 932.
std::vector<std::string> PdfPages(const std::string& doc) {
  const std::string all = Cp932(testsupport::ReadFileBytes(Fixtures() / (doc + ".pdftotext.txt")));
  std::vector<std::string> pages;
  std::size_t from = 0;
  for (std::size_t ff; (ff = all.find('\f', from)) != std::string::npos; from = ff + 1)
    pages.push_back(all.substr(from, ff - from));
  if (from < all.size() && !Words(all.substr(from)).empty()) pages.push_back(all.substr(from));
  return pages;
}

std::string Heading(int page) {
  char h[160];
  std::snprintf(h, sizeof h,
                "=================================================page%3d==============================================="
                "\r\n",
                page);
  return h;
}

// Our block of page k: from its heading to the next heading or the rule.
std::string Block(const std::string& text, int page) {
  const std::size_t at = text.find(Heading(page));
  if (at == std::string::npos) return std::string();
  const std::size_t from = at + Heading(page).size();
  std::size_t to = text.find("=================================================page", from);
  if (to == std::string::npos) to = text.find("=======================================================", from);
  return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

std::vector<std::string> Lines(const std::string& block) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t e; (e = block.find("\r\n", from)) != std::string::npos; from = e + 2)
    lines.push_back(block.substr(from, e - from));
  return lines;
}

// Every word of `words` found in `block`, in order.
void ExpectWordsInOrder(const std::vector<std::string>& words, const std::string& block) {
  std::size_t at = 0;
  for (const std::string& w : words) {
    const std::size_t f = block.find(w, at);
    ASSERT_NE(std::string::npos, f) << "word '" << w << "' missing (in order) from:\n" << block;
    at = f + w.size();
  }
}

TEST(PptOracle, EveryPdfWordOfPageKStandsInOurPageK) {
  REQUIRE_FIXTURES();
  const convert::Result r = Render("ppt_slides.ppt");
  ASSERT_EQ(convert::Status::kOk, r.status) << r.message;
  const std::vector<std::string> pdf = PdfPages("ppt_slides");
  ASSERT_EQ(3u, pdf.size());
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    const std::string block = Block(r.text, k);
    ASSERT_FALSE(block.empty()) << r.text;
    ExpectWordsInOrder(Words(pdf[static_cast<std::size_t>(k) - 1]), block);
  }
  EXPECT_EQ(std::string::npos, r.text.find(Heading(4)));
  // The master's prompt texts are not slides.
  EXPECT_EQ(std::string::npos, r.text.find("Click to edit"));
}

TEST(PptOracle, NoteStandsUnderItsSlideMarkedHash) {
  REQUIRE_FIXTURES();
  const convert::Result r = Render("ppt_slides.ppt");
  const std::string note = "発表者のメモ noteword";  // literals are code page 932
  const std::string block1 = Block(r.text, 1);
  const std::vector<std::string> lines = Lines(block1);
  bool found = false;
  for (const std::string& l : lines)
    if (l.rfind("# " + note, 0) == 0) found = true;
  EXPECT_TRUE(found) << block1;
  EXPECT_EQ(std::string::npos, Block(r.text, 3).find("noteword"));
  // The inspection listing names the note.
  EXPECT_NE(std::string::npos, Render("ppt_slides.ppt", {2}).text.find("\r\n[Note]--------------\r\n"));
}

TEST(PptOracle, LineBreakInTheListingAndOnTheNextRow) {
  REQUIRE_FIXTURES();
  const std::string upper = "上の行 upper", lower = "下の行 lower";
  EXPECT_NE(std::string::npos, Render("ppt_slides.ppt", {2}).text.find(upper + "\r\n\t" + lower));
  const std::vector<std::string> lines = Lines(Block(Render("ppt_slides.ppt").text, 2));
  std::size_t row = 0;
  for (; row < lines.size(); ++row)
    if (lines[row].find(upper) != std::string::npos) break;
  ASSERT_LT(row + 1, lines.size());
  // The second line starts in the same column as the first.
  EXPECT_EQ(lines[row].find(upper), lines[row + 1].find(lower)) << lines[row] << "\n" << lines[row + 1];
}

TEST(PptOracle, TenCharacterTitleCentredInALowFrameOnly) {
  REQUIRE_FIXTURES();
  const convert::Result r = Render("ppt_frames.ppt");
  const auto column = [&](int page) {
    for (const std::string& l : Lines(Block(r.text, page))) {
      const std::size_t at = l.find("TitleWord0");
      if (at != std::string::npos) return static_cast<int>(at);
    }
    return -1;
  };
  // Both frames stand 1 inch from the left: column 576 / 60 = 9.
  EXPECT_EQ(9 + 25, column(1)) << r.text;
  EXPECT_EQ(9, column(2)) << r.text;
  const std::vector<std::string> pdf = PdfPages("ppt_frames");
  ASSERT_EQ(2u, pdf.size());
  for (int k = 1; k <= 2; ++k) ExpectWordsInOrder(Words(pdf[static_cast<std::size_t>(k) - 1]), Block(r.text, k));
}

TEST(PptOracle, ShortPagesAreWrittenAsTwentyFiveLinesOrMore) {
  REQUIRE_FIXTURES();
  for (const char* doc : {"ppt_slides.ppt", "ppt_frames.ppt"}) {
    const convert::Result r = Render(doc);
    for (int k = 1; k <= 2; ++k) EXPECT_GE(Lines(Block(r.text, k)).size(), 25u) << doc << " page " << k;
  }
}

TEST(PptOracle, PictureMarkerAndTheFirstPictureSavedOnce) {
  REQUIRE_FIXTURES();
  const convert::Result plain = Render("ppt_slides.ppt");
  EXPECT_NE(std::string::npos, Block(plain.text, 3).find("[Image1]JPG")) << plain.text;
  for (int number : {100, 1}) {
    SCOPED_TRACE(number);
    const fs::path program = Fixtures() / ("program" + std::to_string(number));
    fs::remove_all(program);
    fs::create_directories(program / "TMP");
    CountingHost host;
    RenderOptions o;
    o.extractNo = number;
    o.programDir = program.string();
    o.host = &host;
    const convert::Result r = Render("ppt_slides.ppt", o);
    EXPECT_EQ(1, host.loads);
    EXPECT_EQ(13, r.fileKind);
    std::string path(static_cast<const char*>(r.m_strConvImage));
    for (char& c : path)
      if (c == '\\') c = '/';
    EXPECT_EQ(testsupport::ReadFileBytes(Fixtures() / "pic.jpg"), testsupport::ReadFileBytes(path));
  }
}

TEST(PptOracle, InspectionListsPictureEntriesAndEvents) {
  REQUIRE_FIXTURES();
  const std::string text = Render("ppt_slides.ppt", {2}).text;
  EXPECT_EQ(0u, text.find("\r\n picture no.=  1 adr=       0 vol=   2a7 ")) << text.substr(0, 200);
  EXPECT_NE(std::string::npos, text.find("\r\n======================================================\r\n\r\n"));
  for (int k = 1; k <= 3; ++k) {
    char slide[100];
    std::snprintf(slide, sizeof slide, "--------------page%3d---------------------\r\n", k);
    EXPECT_NE(std::string::npos, text.find(slide)) << k;
  }
  // The listing comes before the pages.
  EXPECT_LT(text.find("[Note]"), text.find(Heading(1)));
}

// The file with the header of slide `n`'s container (0F 00 EE 03) and the
// 4 length bytes after it made zero.
std::string WithSlideZeroed(std::string bytes, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) {
    at = bytes.find(std::string("\x0F\x00\xEE\x03", 4), i ? at + 1 : 0);
    if (at == std::string::npos) return std::string();
  }
  std::memset(&bytes[at], 0, 8);
  return bytes;
}

TEST(PptOracle, ZeroRecordHeaderStopsTheWalkKeepingThePagesBefore) {
  REQUIRE_FIXTURES();
  const std::string cut = WithSlideZeroed(testsupport::ReadFileBytes(Fixtures() / "ppt_slides.ppt"), 3);
  ASSERT_FALSE(cut.empty());
  RenderOptions o;
  o.bytes = &cut;
  const convert::Result r = Render("ppt_slides.ppt", o);
  ASSERT_EQ(convert::Status::kOk, r.status);
  const std::vector<std::string> pdf = PdfPages("ppt_slides");
  ExpectWordsInOrder(Words(pdf[0]), Block(r.text, 1));
  ExpectWordsInOrder(Words(pdf[1]), Block(r.text, 2));
  EXPECT_EQ(std::string::npos, r.text.find("Third"));
  EXPECT_EQ(std::string::npos, r.text.find("[Image1]"));
}

// The picture entry's size and position fields (the body of the 0xF007
// record, offsets 20 and 28).
std::string WithPictureEntry(std::string bytes, std::uint32_t size, std::uint32_t position) {
  const std::size_t at = bytes.find(std::string("\x52\x00\x07\xF0", 4));
  if (at == std::string::npos) return std::string();
  for (int i = 0; i < 4; ++i) {
    bytes[at + 8 + 20 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    bytes[at + 8 + 28 + i] = static_cast<char>((position >> (8 * i)) & 0xFF);
  }
  return bytes;
}

TEST(PptOracle, PictureEntryClaimingTwoGigabytesCopiesOnlyTheStreamHeld) {
  REQUIRE_FIXTURES();
  const std::string original = testsupport::ReadFileBytes(Fixtures() / "ppt_slides.ppt");
  struct Case {
    std::uint32_t size, position;
    bool written;
  };
  const Case cases[] = {
      {0x7FFFFFF0u, 0, true},         // clamped to the "Pictures" stream: the JPEG as it is
      {0x2A7, 0x7FFFFF00u, false},    // a position beyond the stream: nothing
      {0xFFFFFFFFu, 0xFFFFFFFFu, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string bytes = WithPictureEntry(original, c.size, c.position);
    ASSERT_FALSE(bytes.empty());
    const fs::path program = Fixtures() / "program_big";
    fs::remove_all(program);
    fs::create_directories(program / "TMP");
    CountingHost host;
    RenderOptions o;
    o.bytes = &bytes;
    o.extractNo = 100;
    o.programDir = program.string();
    o.host = &host;
    const convert::Result r = Render("ppt_slides.ppt", o);
    ASSERT_EQ(convert::Status::kOk, r.status);
    EXPECT_EQ(c.written ? 1 : 0, host.loads);
    if (c.written)
      EXPECT_EQ(testsupport::ReadFileBytes(Fixtures() / "pic.jpg"),
                testsupport::ReadFileBytes(program / "TMP" / "pdftmp.jpg"));
    EXPECT_NE(std::string::npos, r.text.find("Third"));
  }
}

TEST(PptOracle, TruncatedAndDamagedCopiesGiveShorterTextQuickly) {
  REQUIRE_FIXTURES();
  for (const char* doc : {"ppt_slides.ppt", "ppt_frames.ppt"}) {
    const std::string bytes = testsupport::ReadFileBytes(Fixtures() / doc);
    for (std::size_t n = 0; n < bytes.size(); n += bytes.size() / 97 + 1) {
      const std::string cut = bytes.substr(0, n);
      RenderOptions o;
      o.bytes = &cut;
      const auto start = std::chrono::steady_clock::now();
      const convert::Result r = Render(doc, o);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << n;
      EXPECT_EQ(convert::Status::kOk, r.status) << n;
    }
    // Every byte of the record stream's first sectors flipped in turn.
    std::string flipped = bytes;
    for (std::size_t i = 0x200; i < bytes.size() && i < 0x200 + 4096; i += 7) {
      flipped[i] = static_cast<char>(flipped[i] ^ 0xFF);
      RenderOptions o;
      o.bytes = &flipped;
      (void)Render(doc, o);
      flipped[i] = bytes[i];
    }
  }
}

}  // namespace
