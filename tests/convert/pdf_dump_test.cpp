// The PDF structure dump over files built in memory: the copy and its
// control bytes, the stream heads in the three forms, hexadecimal rows and
// the dotted line, the text form and its control-byte stop, ASCII85 and LZW
// pre-filters, inflate failures, the compact form's object ends, the full
// output, and a stream that never ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "convert/pdf_dump.h"
#include "convert/source_file.h"
#include "pdf_page_util.h"

namespace {

using pdf_page::Build;
using pdf_page::Stream;

struct DumpOptions {
  std::uint32_t sizeHigh = 0;
  int editMode = 0;
  std::int64_t outdata = 2000000;
};

std::string Dump(const std::string& pdf, const DumpOptions& o = DumpOptions()) {
  convert::Request q;
  q.path = "t.pdf";
  q.kind = 11;
  q.limits.indata = 204800;
  q.limits.outdata = o.outdata;
  q.limits.tableRows = 5000;
  q.openContext = 2;
  q.m_bSizeHigh = o.sizeHigh;
  q.m_nDocEditMode = o.editMode;
  q.open = [pdf](const CString&) {
    return std::unique_ptr<convert::SourceFile>(new convert::OwnedMemorySource(pdf));
  };
  const convert::Result r = convert::ConvertFile(q);
  EXPECT_EQ(convert::Status::kOk, r.status);
  return r.text;
}

std::uint32_t Adler32(const std::string& s) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : s) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

// A zlib stream of one stored block (head 78 01).
std::string Zlib(const std::string& data) {
  std::string z = "\x78\x01";
  z += '\x01';
  const std::size_t n = data.size();
  z += static_cast<char>(n & 0xFF);
  z += static_cast<char>(n >> 8);
  z += static_cast<char>(~n & 0xFF);
  z += static_cast<char>((~n >> 8) & 0xFF);
  z += data;
  const std::uint32_t ad = Adler32(data);
  for (int s = 24; s >= 0; s -= 8) z += static_cast<char>(ad >> s);
  return z;
}

std::string Hex(const std::string& bytes) {
  static const char d[] = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) {
    s += d[c >> 4];
    s += d[c & 15];
    s += ' ';
  }
  return s;
}

std::string Ascii85(const std::string& data) {
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    std::uint32_t v = 0;
    const std::size_t n = std::min<std::size_t>(4, data.size() - i);
    for (std::size_t k = 0; k < 4; ++k) v = v * 256 + (k < n ? static_cast<unsigned char>(data[i + k]) : 0);
    char g[5];
    for (int k = 4; k >= 0; --k) {
      g[k] = static_cast<char>('!' + v % 85);
      v /= 85;
    }
    out.append(g, n + 1);
  }
  return out + "~>";
}

TEST(PdfDump, HexRowsTwoDigitsEachAndTheDottedLineAt256) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i == 5 ? 0x0A : i == 6 ? 0xFF : i & 0xFF);
  convert::LoadBuffer out;
  convert::DumpHexRows(reinterpret_cast<const std::uint8_t*>(bytes.data()), 300, false, 1 << 20, out);
  const std::string text(out.Data(), out.Size());
  std::string want;
  for (int r = 0; r < 16; ++r) want += "\r\n" + Hex(bytes.substr(static_cast<std::size_t>(r) * 16, 16));
  want += "\r\n ................ \r\n";
  EXPECT_EQ(want, text);
  EXPECT_EQ(0u, text.find("\r\n00 01 02 03 04 0a ff 07 "));

  // Fewer than 256: no dotted line; the compact form shows all, "$~ " rows.
  convert::LoadBuffer few;
  convert::DumpHexRows(reinterpret_cast<const std::uint8_t*>(bytes.data()), 20, false, 1 << 20, few);
  EXPECT_EQ("\r\n" + Hex(bytes.substr(0, 16)) + "\r\n" + Hex(bytes.substr(16, 4)), std::string(few.Data(), few.Size()));
  convert::LoadBuffer compact;
  convert::DumpHexRows(reinterpret_cast<const std::uint8_t*>(bytes.data()), 300, true, 1 << 20, compact);
  const std::string c(compact.Data(), compact.Size());
  EXPECT_EQ(19u, static_cast<std::size_t>(std::count(c.begin(), c.end(), '$')));
  EXPECT_EQ(std::string::npos, c.find("...."));
  // Nothing once the bound is reached.
  convert::LoadBuffer bounded;
  convert::DumpHexRows(reinterpret_cast<const std::uint8_t*>(bytes.data()), 300, false, 0, bounded);
  EXPECT_EQ(0u, bounded.Size());
}

TEST(PdfDump, TextFormMapsControlBytesAndStopsAtTheirCount) {
  convert::LoadBuffer out;
  const std::string s = "BT\r(a\tb) Tj\nET\x01";
  convert::DumpTextForm(reinterpret_cast<const std::uint8_t*>(s.data()), static_cast<std::int32_t>(s.size()),
                        1 << 20, out);
  EXPECT_EQ(std::string("BT\r\n(a\xBA" "b) Tj\nET\xB2"), std::string(out.Data(), out.Size()));

  // 100 control bytes stop the form; parentheses lower the count by 10.
  std::string binary(150, '\x02');
  convert::LoadBuffer stop;
  convert::DumpTextForm(reinterpret_cast<const std::uint8_t*>(binary.data()), 150, 1 << 20, stop);
  EXPECT_EQ(std::string(100, '\xB3') + "\r\n ................ \r\n", std::string(stop.Data(), stop.Size()));
  std::string mixed = "()" + std::string(130, '\x02');
  convert::LoadBuffer later;
  convert::DumpTextForm(reinterpret_cast<const std::uint8_t*>(mixed.data()), static_cast<std::int32_t>(mixed.size()),
                        1 << 20, later);
  EXPECT_EQ(2u + 120u, std::string(later.Data(), later.Size()).find("\r\n ...."));
  // The output's own bound less 10,000 stops it too.
  convert::LoadBuffer bounded;
  convert::DumpTextForm(reinterpret_cast<const std::uint8_t*>(s.data()), static_cast<std::int32_t>(s.size()), 10002,
                        bounded);
  EXPECT_EQ("BT\r\n ................ \r\n", std::string(bounded.Data(), bounded.Size()));
}

TEST(PdfDump, CopyStreamsAndTheirThreeHeads) {
  std::string data;
  for (int i = 0; i < 300; ++i) data += static_cast<char>(i % 7 == 0 ? 0x0A : 0xFF);
  const std::string pdf = Build({"<< /Type /Catalog >>", Stream("/Filter /FlateDecode", Zlib(data)),
                                 Stream("", "q\r1 0 0 1 0 0 cm\tQ")});
  const std::string text = Dump(pdf);
  EXPECT_EQ(0u, text.find("%P%PDF-1.4\n"));
  // The Flate stream: its address, 16 rows and the dotted line.
  const std::size_t s1 = pdf.find("stream\n");
  char head[64];
  std::snprintf(head, sizeof head, "\r\nstream  adrs = %x\r\n", static_cast<unsigned>(s1 + 7));
  const std::size_t at = text.find(head);
  ASSERT_NE(std::string::npos, at) << text;
  std::string rows;
  for (int r = 0; r < 16; ++r) rows += "\r\n" + Hex(data.substr(static_cast<std::size_t>(r) * 16, 16));
  EXPECT_EQ(at + std::strlen(head), text.find(rows + "\r\n ................ \r\n\r\n\r\nendstream\r\nendobj"));
  // The plain stream in hexadecimal whole, with the line end before
  // "endstream"; the text around it is copied with a lone CR made CR LF and
  // a TAB 0x7F.
  EXPECT_NE(std::string::npos, text.find("\r\n" + Hex("q\r1 0 0 1 0 0 cm") + "\r\n" + Hex("\tQ\n") +
                                         "\r\n\r\nendstream\r\nendobj"));
  // A stream end with no stream open is text too, its control bytes made
  // visible (no NUL reaches the text).
  const std::string lone = Dump(std::string("%PDF-1.4\nendstre\x06\x00\x00" "am\n", 22));
  EXPECT_EQ(std::string("%P%PDF-1.4\nendstre\x7F\x7F\x7F" "am\n"), lone);
  const std::string copied = Dump("%PDF-1.4\n1 0 obj\r<< /A\t1 >>\x01\nendobj\n");
  EXPECT_EQ("%P%PDF-1.4\n1 0 obj\r\n<< /A\x7F" "1 >>\x7F\nendobj\n", copied);

  // The text form: "stream" and its CR LF, the bytes as text.
  DumpOptions textForm;
  textForm.editMode = 1;
  const std::string t = Dump(pdf, textForm);
  EXPECT_NE(std::string::npos, t.find("\r\nstream\r\nq\r\n1 0 0 1 0 0 cm\xBAQ\n\r\n\r\nendstream\r\nendobj")) << t;

  // The compact form: streams undecoded, rows marked "$~ ".
  DumpOptions compact;
  compact.sizeHigh = 1;
  const std::string c = Dump(pdf, compact);
  EXPECT_NE(std::string::npos, c.find("\r\nstream\r\n$~ " + Hex(Zlib(data).substr(0, 16))));
  EXPECT_NE(std::string::npos, c.find("\r\nendstream\r\nendobj\n$$               "));
}

TEST(PdfDump, CompactFormEndsEachObjectWithItsOffset) {
  const std::string pdf = Build({"<< /Type /Catalog >>", "<< /A 1 >>", Stream("", "abc")});
  DumpOptions compact;
  compact.sizeHigh = 1;
  const std::string text = Dump(pdf, compact);
  std::size_t from = 0;
  int objects = 0;
  for (std::size_t at = pdf.find("endobj"); at != std::string::npos; at = pdf.find("endobj", at + 1)) {
    const std::string mark = "endobj\n$$               " + std::to_string(at + 6);
    const std::size_t got = text.find(mark, from);
    EXPECT_NE(std::string::npos, got) << mark;
    from = got + 1;
    ++objects;
  }
  EXPECT_EQ(3, objects);
}

TEST(PdfDump, PreFiltersAndFailures) {
  const std::string plain = "BT (Hello) Tj ET\n";
  DumpOptions textForm;
  textForm.editMode = 1;
  // ASCII85 over Flate, and ASCII85 alone.
  std::string t = Dump(Build({Stream("/Filter [/ASCII85Decode /FlateDecode]", Ascii85(Zlib(plain)))}), textForm);
  EXPECT_NE(std::string::npos, t.find("stream\r\n" + plain)) << t;
  t = Dump(Build({Stream("/Filter /ASCII85Decode", Ascii85(plain))}), textForm);
  EXPECT_NE(std::string::npos, t.find("stream\r\n" + plain)) << t;
  // ASCII85 that does not decode: string 147.
  t = Dump(Build({Stream("/Filter /ASCII85Decode", std::string(40, '\x80'))}));
  EXPECT_NE(std::string::npos, t.find("stream  adrs")) << t;
  EXPECT_NE(std::string::npos, t.find("## ")) << t;
  // LZW: the literal codes of "AB" and the end code, 9 bits each.
  const std::string lzw("\x80\x10\x48\x50\x10", 5);  // 256, 'A', 'B', 257 (clear, A, B, end)
  t = Dump(Build({Stream("/Filter /LZWDecode", lzw)}));
  EXPECT_NE(std::string::npos, t.find("\r\n\r\n41 42 ")) << t;
  // A Flate head over damaged data: string 210 and " 010".
  t = Dump(Build({Stream("/Filter /FlateDecode", std::string("\x78\x9C\xFF\xFF\xFF\xFF", 6))}));
  EXPECT_NE(std::string::npos, t.find(" 010\r\n\r\nendstream")) << t;
  // A Flate stream without a head is copied as text, "endstream" included.
  t = Dump(Build({Stream("/Filter /FlateDecode", "plain words")}));
  EXPECT_NE(std::string::npos, t.find("stream\nplain words\nendstream\nendobj")) << t;
  // A Flate image shows nothing; an image's plain bytes are not shown as text.
  t = Dump(Build({Stream("/Subtype /Image /Filter /FlateDecode", Zlib("xyz"))}));
  EXPECT_NE(std::string::npos, t.find("adrs = ")) << t;
  EXPECT_EQ(std::string::npos, t.find("78 79 7a")) << t;
  t = Dump(Build({Stream("/Subtype /Image", "xyz")}), textForm);
  EXPECT_NE(std::string::npos, t.find("stream\r\n\r\n\r\nendstream")) << t;
}

TEST(PdfDump, AFullOutputTakesBack90BytesAndSaysSo) {
  std::string big;
  for (int i = 0; i < 400; ++i) big += "% a comment line of the file, long enough\n";
  const std::string pdf = Build({"<< /Type /Catalog >>"}) + big;
  DumpOptions small;
  small.outdata = 7000;
  const std::string text = Dump(pdf, small);
  const std::string s150 = " <";
  const std::size_t notice = text.find("\r\n\r\n" + s150);
  ASSERT_NE(std::string::npos, notice) << text.size();
  EXPECT_EQ(7000u - 2000u - 90u, notice);
  EXPECT_EQ(0u, text.find("%P%PDF"));
}

TEST(PdfDump, AStreamWithoutItsEndStopsWithTheDamageLine) {
  std::string pdf = "%PDF-1.4\n1 0 obj\n<< /Length 99999 >>\nstream\n";
  pdf += std::string(5000, 'x');
  const std::string text = Dump(pdf);
  EXPECT_EQ(0u, text.find("%P%PDF-1.4\n1 0 obj\n<< /Length 99999 >>\n\r\nstream  adrs"));
  EXPECT_EQ(std::string::npos, text.find("xxxx"));
  // The damage line closes the text.
  const std::string damage = "(stream)";
  EXPECT_EQ(text.size() - damage.size(), text.find(damage)) << text;
  // Hostile heads: every truncation of a small file ends cleanly.
  const std::string whole = Build({"<< /Type /Catalog >>", Stream("/Filter /FlateDecode", Zlib("abc")),
                                   Stream("/Filter /ASCII85Decode", "87cURD]i,\"Ebo80~>")});
  for (std::size_t n = 1; n <= whole.size(); ++n) {
    for (std::uint32_t high : {0u, 1u}) {
      DumpOptions o;
      o.sizeHigh = high;
      o.editMode = static_cast<int>(n % 2);
      const std::string t = Dump(whole.substr(0, n), o);
      EXPECT_EQ(0u, t.find("%P")) << n;
    }
  }
}

}  // namespace
