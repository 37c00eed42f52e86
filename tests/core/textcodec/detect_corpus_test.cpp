// The detector over a labelled corpus made here by iconv, nkf and base64:
// every encoding, short and long files, number lists, hex dumps, Base64 of
// text and of binary data, UTF-8 with one and with many bad bytes. Prints the
// confusion table; every file must be read as its label says, and opening
// and saving each one must give its bytes back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>
#include <unistd.h>

#include "core/textcodec/codec_internal.h"
#include "core/textcodec/keepbytes.h"
#include "core/textcodec/textcodec.h"
#include "support/outside_tool.h"
#include "core/textcodec/run_tool.h"

namespace {

using textcodec::TextEncoding;

using textcodectest::RunTool;


std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(TABRYE_TEST_ROOT) + "/tests/data/textcodec/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Sample {
  std::string name;
  TextEncoding label;
  std::string bytes;
};

// The lines of the UTF-8 original that every Japanese encoding holds
// (hiragana, katakana, kanji; no half-width kana, no code page extras).
std::string CommonText(const std::string& original) {
  std::string out;
  std::size_t pos = 0;
  for (int line = 0; pos < original.size(); ++line) {
    std::size_t end = original.find('\n', pos);
    end = end == std::string::npos ? original.size() : end + 1;
    if (line == 1 || line == 2 || line == 4) out += original.substr(pos, end - pos);
    pos = end;
  }
  return out;
}

std::vector<Sample> MakeCorpus() {
  const std::string original = ReadData("original.utf8");
  const std::string common = CommonText(original);
  std::string longText;
  for (int i = 0; i < 200; ++i) longText += original;
  std::string longCommon;
  for (int i = 0; i < 300; ++i) longCommon += common;
  const std::string shortText = common.substr(0, common.find('\n') + 1);

  std::vector<Sample> c;
  auto add = [&](const std::string& name, TextEncoding label, const std::string& bytes) {
    c.push_back({name, label, bytes});
  };
  const struct {
    const char* name;
    const char* command;
    TextEncoding label;
    bool everything;  // the whole original (code page extras, half-width kana)
  } kTools[] = {
      {"cp932 (iconv)", "iconv -f UTF-8 -t CP932", TextEncoding::kShiftJis, true},
      {"sjis (nkf)", "nkf -W -s -x", TextEncoding::kShiftJis, true},
      {"euc-jp (iconv)", "iconv -f UTF-8 -t EUC-JP", TextEncoding::kEucJp, false},
      {"eucjp-ms (iconv)", "iconv -f UTF-8 -t EUC-JP-MS", TextEncoding::kEucJp, true},
      {"euc-jp (nkf)", "nkf -W -e -x", TextEncoding::kEucJp, false},
      {"iso-2022-jp (iconv)", "iconv -f UTF-8 -t ISO-2022-JP", TextEncoding::kIso2022Jp, false},
      {"iso-2022-jp (nkf)", "nkf -W -j", TextEncoding::kIso2022Jp, false},
      {"utf-8", "cat", TextEncoding::kUtf8, true},
      {"utf-8 bom (nkf)", "nkf -W --oc=UTF-8-BOM -x", TextEncoding::kUtf8Bom, true},
      {"utf-16le bom (nkf)", "nkf -W --oc=UTF-16LE-BOM -x", TextEncoding::kUtf16Le, true},
      {"utf-16be bom (nkf)", "nkf -W --oc=UTF-16BE-BOM -x", TextEncoding::kUtf16Be, true},
      {"base64 of cp932", "iconv -f UTF-8 -t CP932 | base64", TextEncoding::kBase64, true},
      {"base64 of utf-8", "base64 -w 64", TextEncoding::kBase64, true},
  };
  for (const auto& t : kTools) {
    const std::string& whole = t.everything ? original : common;
    const std::string& big = t.everything ? longText : longCommon;
    add(std::string(t.name) + " short", t.label, RunTool(t.command, shortText));
    add(std::string(t.name) + " text", t.label, RunTool(t.command, whole));
    add(std::string(t.name) + " long", t.label, RunTool(t.command, big));
  }
  // UTF-8 with one bad byte in a long text; with a bad byte in every short line.
  std::string oneBad = longCommon;
  oneBad.insert(oneBad.size() / 3, "\xFF");
  add("utf-8 one bad byte", TextEncoding::kUtf8, oneBad);
  std::string manyBad;
  for (int i = 0; i < 50; ++i) manyBad += "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\x80\n";
  add("utf-8 bad byte on every line", TextEncoding::kShiftJis, manyBad);

  // Plain ASCII kinds: Shift-JIS (ASCII) as they are.
  std::mt19937 rng(4242);
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary += static_cast<char>(rng() & 0xFF);
  add("base64 of binary", TextEncoding::kShiftJis, RunTool("base64", binary));
  add("hex dump (xxd -p)", TextEncoding::kShiftJis, RunTool("xxd -p", binary));
  add("hex dump (od)", TextEncoding::kShiftJis, RunTool("od -An -tx1", binary));
  std::string numbers, dates;
  for (int i = 0; i < 40; ++i) {
    numbers += std::to_string(10000000 + (rng() % 90000000)) + "\n";
    dates += "2024" + std::to_string(1000 + rng() % 9000) + "\r\n";
  }
  add("number list", TextEncoding::kShiftJis, numbers);
  add("date list", TextEncoding::kShiftJis, dates);
  add("four dates", TextEncoding::kShiftJis, "20240105\n20240212\n20240318\n20240420\n");
  add("word list", TextEncoding::kShiftJis, "Test\nWord\nList\nHere\nMore\nText\n");
  add("ascii prose", TextEncoding::kShiftJis, "The quick brown fox\njumps over the lazy dog.\n");
  return c;
}

TEST(DetectCorpus, EveryLabelledFileIsReadAsItsLabelSays) {
  REQUIRE_TOOLS("iconv", "nkf", "base64", "xxd", "od");
  const std::vector<Sample> corpus = MakeCorpus();
  std::map<TextEncoding, std::map<TextEncoding, int>> table;
  for (const Sample& s : corpus) {
    ASSERT_FALSE(s.bytes.empty()) << s.name;
    const TextEncoding got = textcodec::DetectTextEncoding(s.bytes.data(), s.bytes.size());
    ++table[s.label][got];
    EXPECT_EQ(s.label, got) << s.name << " read as " << textcodec::TextEncodingName(got);
  }
  // The confusion table: rows are labels, columns what the detector said.
  std::string out = "\nlabel \\ detected";
  for (int d = 1; d < textcodec::kTextEncodingCount; ++d) out += " | " + std::to_string(d);
  out += "\n";
  for (const auto& row : table) {
    char head[40];
    std::snprintf(head, sizeof head, "%-16d", static_cast<int>(row.first));
    out += head;
    for (int d = 1; d < textcodec::kTextEncodingCount; ++d) {
      auto it = row.second.find(static_cast<TextEncoding>(d));
      out += " | " + std::to_string(it == row.second.end() ? 0 : it->second);
    }
    out += "\n";
  }
  out += "(1 Shift-JIS, 2 UTF-8, 3 UTF-8 BOM, 4 UTF-16LE, 5 UTF-16BE, 6 EUC-JP, 7 ISO-2022-JP, 8 Base64, 9 BinHex)\n";
  std::printf("%s", out.c_str());
}

TEST(DetectCorpus, ToolMadeFilesSaveUnchangedByteForByte) {
  REQUIRE_TOOLS("iconv", "nkf", "base64", "xxd", "od");
  for (const Sample& s : MakeCorpus()) {
    textcodec::DecodeResult r;
    textcodec::DecodeTextToSjis(s.bytes.data(), s.bytes.size(), TextEncoding::kAuto, &r);
    r.kept = textcodec::KeepOriginalBytes(s.bytes.data(), s.bytes.size(), r, r.text.data(), r.text.size());
    std::string saved;
    std::size_t lost = 99;
    ASSERT_TRUE(textcodec::EncodeForSave(r.text.data(), r.text.size(), r, &saved, &lost, nullptr)) << s.name;
    EXPECT_TRUE(saved == s.bytes) << s.name;
    EXPECT_EQ(0u, lost) << s.name;
  }
}

TEST(DetectCorpus, EucJpMsIbmExtensionsMatchIconv) {
  REQUIRE_TOOLS("iconv", "nkf", "base64", "xxd", "od");
  // Every three-byte code of the table against iconv's EUC-JP-MS.
  std::string euc, sjis;
  for (std::size_t i = 0; i < textcodec::detail::EucSupplementCount(); ++i) {
    const std::uint32_t e = textcodec::detail::EucSupplementAt(i);
    euc += '\x8F';
    euc += static_cast<char>(e >> 24);
    euc += static_cast<char>(e >> 16);
    sjis += static_cast<char>(e >> 8);
    sjis += static_cast<char>(e);
  }
  bool ok = false;
  EXPECT_TRUE(RunTool("iconv -f EUC-JP-MS -t CP932", euc, &ok) == sjis);
  EXPECT_TRUE(ok);
  std::string got;
  EXPECT_EQ(0u, textcodec::DecodeToSjis(TextEncoding::kEucJp, euc.data(), euc.size(), got));
  EXPECT_TRUE(got == sjis);
  // 髙 and 﨑 as the eucJP-ms form writes them.
  got.clear();
  textcodec::DecodeToSjis(TextEncoding::kEucJp, "\x8F\xF4\xFB\x8F\xF4\xBD", 6, got);
  EXPECT_EQ("\xFB\xFC\xFA\xB1", got);
}

}  // namespace
