// Mail items made by "gsf createole" from folder trees (make_msg_fixtures.py):
// the text against msgconvert and Python's email module (msg_reference.py),
// the stream list against olefile, the extraction of each attachment inside
// the scratch folder only, and damaged copies.
#include "convert/mail_item.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "convert/convert_texts.h"
#include "convert/source_file.h"
#include "core/docsvc/filekind.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// The fixtures and oracles are tools of the build machine.
const char kPython[] = "/usr/bin/python3";

bool HavePython(const char* module) {
  const std::string cmd = std::string(kPython) + " -c 'import " + module + "' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

#define REQUIRE_MAIL_TOOLS()                                                              \
  REQUIRE_TOOLS("gsf", "msgconvert", "iconv");                                            \
  if (!HavePython("email") || !HavePython("olefile")) GTEST_SKIP() << "python3 module missing: olefile"

struct Fixture {
  fs::path dir;   // the fixtures
  fs::path prog;  // a program folder with its "TMP"
};

Fixture MakeFixtures() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  Fixture f;
  f.dir = fs::path(TABRYE_BIN_ROOT) / "convert_mail" / info->name();
  fs::remove_all(f.dir);
  const std::string cmd = std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/convert/make_msg_fixtures.py' '" +
                          f.dir.string() + "'";
  EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
  f.prog = f.dir / "prog";
  fs::create_directories(f.prog / "TMP");
  return f;
}

struct Rendered {
  convert::Result result;
  std::string text;
};

Rendered Render(const fs::path& file, const Fixture& f, int extractNo = 0, int context = 0,
           const std::string* bytes = nullptr) {
  convert::Request r;
  r.path = file.string().c_str();
  r.kind = docsvc::kKindMail;
  r.limits.indata = 204800;
  r.limits.outdata = 2000000;
  r.openContext = context;
  r.m_strProgramDir = f.prog.string().c_str();
  r.m_nExtractNo = extractNo;
  if (bytes) {
    const std::string data = *bytes;
    r.open = [data](const CString&) {
      struct Owned : convert::SourceFile {
        explicit Owned(std::string b) : d(std::move(b)), mem(d.data(), d.size()) {}
        std::int64_t Length() const override { return mem.Length(); }
        std::size_t ReadAt(std::int64_t at, void* buffer, std::size_t count) override {
          return mem.ReadAt(at, buffer, count);
        }
        std::string d;
        convert::MemorySource mem;
      };
      return std::unique_ptr<convert::SourceFile>(new Owned(data));
    };
  }
  Rendered run;
  run.result = convert::ConvertFile(r);
  run.text = run.result.text;
  return run;
}

std::string Normal(std::string s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  const auto b = out.find_first_not_of(" \n");
  const auto e = out.find_last_not_of(" \n");
  return b == std::string::npos ? "" : out.substr(b, e - b + 1);
}

// The text after `caption` up to the next line end (or, for the body, the end line).
std::string After(const std::string& text, const std::string& caption, const std::string& until = "\r\n") {
  const auto at = text.find(caption);
  if (at == std::string::npos) return "<missing>";
  const auto from = at + caption.size();
  return text.substr(from, text.find(until, from) - from);
}

std::vector<std::string> Listed(const std::string& text) {
  std::vector<std::string> names;
  for (auto at = text.find("[file_"); at != std::string::npos; at = text.find("[file_", at + 1)) {
    const auto n = text.find(" name= ", at);
    names.push_back(text.substr(n + 7, text.find("\r\n", n) - n - 7));
  }
  return names;
}

std::set<std::string> FilesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

TEST(MailItem, AgreesWithMsgconvertAndTheEmailModule) {
  REQUIRE_MAIL_TOOLS();
  const Fixture f = MakeFixtures();
  const fs::path msg = f.dir / "mail_full.msg";
  const std::string oracle =
      testsupport::RunCapture(std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/convert/msg_reference.py' '" +
                              msg.string() + "' '" + (f.dir / "oracle").string() + "'");
  std::map<std::string, std::string> want;
  std::vector<std::string> attachments, attachmentFiles;
  std::istringstream in(oracle);
  for (std::string line; std::getline(in, line);) {
    const auto tab = line.find('\t');
    const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
    if (key == "attachment") {
      attachments.push_back(value.substr(0, value.find('\t')));
      attachmentFiles.push_back(value.substr(value.find('\t') + 1));
    } else {
      std::string v;
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (value.compare(i, 2, "\\n") == 0) {
          v += '\n';
          ++i;
        } else {
          v += value[i];
        }
      }
      want[key] = v;
    }
  }
  ASSERT_EQ(3u, attachments.size()) << oracle;

  const Rendered run = Render(msg, f);
  EXPECT_EQ(convert::Status::kOk, run.result.status);
  const std::string& t = run.text;
  EXPECT_EQ(want["subject"], After(t, "\r\nTITLE  : "));
  EXPECT_EQ(want["to"], After(t, "\r\nTO     : "));  // UTF-16 (001F)
  EXPECT_EQ(want["cc"], After(t, "\r\nCC     : "));  // 8-bit (001E)
  // The UTF-16 body with its lone CRs, as CR LF lines.
  const std::string body = After(t, "\r\n-------------------------------------------------\r\n", "\r\n--END--- ");
  EXPECT_EQ(want["body"], Normal(body));
  EXPECT_NE(std::string::npos, body.find("body.\r\nSecond line\r\nThird"));
  // The Japanese sender as code page 932 has it.
  const std::string sender = testsupport::RunCapture(
      "printf '" + std::string(reinterpret_cast<const char*>(u8"山田 太郎")) + "' | iconv -f UTF-8 -t CP932");
  EXPECT_EQ(sender, After(t, "\r\nFROM   : "));
  // The attachments with a long name are listed under their numbers; the
  // third has none and is not.
  EXPECT_EQ(std::vector<std::string>({attachments[0], attachments[1]}), Listed(t));
  EXPECT_NE(std::string::npos, t.find("[file_1] vol=105 name= notes.txt\r\n"));
  EXPECT_NE(std::string::npos, t.find("[file_2] vol=15 name= "));
  EXPECT_EQ(std::string::npos, t.find("[file_3]"));
  EXPECT_EQ(std::string::npos, t.find("%PDF"));  // its data is not shown
  EXPECT_NE(std::string::npos, t.find("Line two."));
  EXPECT_EQ(1u, run.result.m_bSizeHigh);
  EXPECT_EQ(0, run.result.m_nExtractNo);
  ASSERT_GE(t.size(), 11u);
  EXPECT_EQ("\r\n--END--- ", t.substr(t.size() - 11));

  // Extraction N writes the bytes the oracle decoded for attachment N.
  const char* const names[] = {"TMP_notes.txt", "TMP_evil.txt", "TMP_msg.tmp"};
  for (int n = 1; n <= 3; ++n) {
    const Rendered x = Render(msg, f, n);
    EXPECT_EQ(100000 + n, x.result.m_nExtractNo);
    const fs::path written = f.prog / "TMP" / names[n - 1];
    std::string cur = x.result.m_strCurFile.GetString();
    std::replace(cur.begin(), cur.end(), '\\', '/');
    EXPECT_EQ(written.string(), cur);
    EXPECT_EQ(testsupport::ReadFileBytes(attachmentFiles[static_cast<std::size_t>(n - 1)]),
              testsupport::ReadFileBytes(written))
        << n;
    EXPECT_EQ(x.text, run.text);  // the same text
  }
}

TEST(MailItem, ExtractionStaysInsideTheScratchFolder) {
  REQUIRE_MAIL_TOOLS();
  const Fixture f = MakeFixtures();
  const fs::path msg = f.dir / "mail_full.msg";
  // A file where "..\..\evil.txt" would reach from the scratch folder.
  testsupport::WriteFileBytes(f.dir / "evil.txt", "keep");
  const std::set<std::string> parent = FilesIn(f.dir), progDir = FilesIn(f.prog);
  const Rendered x = Render(msg, f, 2);
  EXPECT_EQ(100002, x.result.m_nExtractNo);
  EXPECT_EQ(parent, FilesIn(f.dir));
  EXPECT_EQ(progDir, FilesIn(f.prog));
  EXPECT_EQ("keep", testsupport::ReadFileBytes(f.dir / "evil.txt"));
  EXPECT_EQ(std::set<std::string>({"TMP_evil.txt"}), FilesIn(f.prog / "TMP"));
  // A third render with the raised number extracts nothing.
  fs::remove(f.prog / "TMP" / "TMP_evil.txt");
  const Rendered again = Render(msg, f, x.result.m_nExtractNo);
  EXPECT_EQ(100002, again.result.m_nExtractNo);
  EXPECT_TRUE(FilesIn(f.prog / "TMP").empty());
  // An unwritable scratch folder: nothing extracted, the text the same.
  fs::remove_all(f.prog / "TMP");
  const Rendered none = Render(msg, f, 1);
  EXPECT_EQ(1, none.result.m_nExtractNo);
  EXPECT_EQ(x.text, none.text);
}

TEST(MailItem, WithoutAttachmentsAndInContextTwo) {
  REQUIRE_MAIL_TOOLS();
  const Fixture f = MakeFixtures();
  const Rendered plain = Render(f.dir / "mail_plain.msg", f);
  EXPECT_EQ(std::string::npos, plain.text.find("[file_"));
  EXPECT_EQ(0u, plain.text.find("\r\nTITLE  : Plain subject\r\n"));
  EXPECT_NE(std::string::npos, plain.text.find("-\r\nOnly a body.\r\n"));
  EXPECT_EQ("\r\n--END--- ", plain.text.substr(plain.text.size() - 11));

  // Context 2: every stream with its size and name, as olefile lists them.
  const fs::path msg = f.dir / "mail_full.msg";
  const std::string streams = testsupport::RunCapture(
      std::string(kPython) + " -c \"import olefile,sys\no=olefile.OleFileIO(sys.argv[1])\n"
                             "for e in o.direntries:\n if e and e.entry_type==2 and e.size: print('%4d##%s' % (e.size, e.name))\" '" +
      msg.string() + "'");
  const Rendered all = Render(msg, f, 0, 2);
  std::istringstream in(streams);
  int count = 0;
  for (std::string line; std::getline(in, line); ++count)
    EXPECT_NE(std::string::npos, all.text.find("\r\n##" + line + " : ")) << line;
  EXPECT_EQ(18, count);
  EXPECT_NE(std::string::npos, all.text.find("__substg1.0_3707001E : notes.txt"));
}

TEST(MailItem, DamagedCopiesEndQuickly) {
  REQUIRE_MAIL_TOOLS();
  const Fixture f = MakeFixtures();
  const std::string full = testsupport::ReadFileBytes(f.dir / "mail_full.msg");
  const std::string damage = std::string("\r\n") + static_cast<const char*>(
      convert::GetConvertText(convert::ConvertText::kUnsupportedFormat));
  const std::string unsupported = static_cast<const char*>(
      convert::GetConvertText(convert::ConvertText::kUnsupportedOffice));
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t n = 512; n < full.size(); n += 97) {
    const std::string cut = full.substr(0, n);
    const Rendered r = Render(f.dir / "cut.msg", f, 1, 0, &cut);
    EXPECT_EQ(convert::Status::kOk, r.result.status) << n;
    const bool ended = r.text.size() >= 11 && r.text.substr(r.text.size() - 11) == "\r\n--END--- ";
    EXPECT_TRUE(ended || r.text == unsupported) << n;
  }
  // A body entry whose size runs past the file: the damage line with its name.
  std::string past = full;
  const auto at = past.find(std::string("1\0000\0000\0000\0000\0000\0001\000F\0", 16));
  ASSERT_NE(std::string::npos, at);
  const std::size_t entry = at - 24;  // the name's 13th character is at offset 24
  past[entry + 120] = 0x00;
  past[entry + 121] = 0x40;  // 16,384 bytes: a regular stream
  past[entry + 116] = 0x40;  // starting far past the end
  const Rendered r = Render(f.dir / "past.msg", f, 0, 0, &past);
  EXPECT_NE(std::string::npos, r.text.find(damage + "(__substg1.0_1000001F)")) << r.text;
  // A directory chain and a mini-stream chain that come back to themselves.
  auto u32 = [](const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
  };
  std::string loop = full;
  const std::size_t fat = (u32(full, 0x4C) + 1) * 512, dir = u32(full, 0x30);
  for (std::size_t sector : {dir, std::size_t(0), std::size_t(1)}) {
    loop[fat + 4 * sector] = static_cast<char>(sector);
    loop[fat + 4 * sector + 1] = 0;
  }
  for (int context : {0, 2}) {
    for (int n : {1, 2}) {
      const Rendered r = Render(f.dir / "loop.msg", f, n, context, &loop);
      EXPECT_EQ("\r\n--END--- ", r.text.substr(r.text.size() - 11));
      // An extraction never writes more than the file holds.
      if (r.result.m_nExtractNo > 100000) {
        std::string cur = r.result.m_strCurFile.GetString();
        std::replace(cur.begin(), cur.end(), '\\', '/');
        EXPECT_LE(fs::file_size(cur), loop.size());
      }
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

#endif  // _WIN32

// Attachment names as scratch file names.
TEST(MailItem, SafeAttachmentNames) {
  const struct {
    const char* name;
    const char* safe;
  } cases[] = {
      {"notes.txt", "notes.txt"},
      {"..\\..\\evil.txt", "evil.txt"},
      {"C:\\x", "x"},
      {"a/b/c.txt", "c.txt"},
      {"C:x", "x"},
      {"..", "_"},
      {".", "_"},
      {"", "_"},
      {"dir\\", "_"},
      {"a<b>c|d?e*f\"g.txt", "a_b_c_d_e_f_g.txt"},
      {"tab\tname", "tab_name"},
      {"\x83\x5C\x83\x74\x83\x67.txt", "\x83\x5C\x83\x74\x83\x67.txt"},  // a 0x5C second byte is no separator
      {"x\\\x95\x5C.doc", "\x95\x5C.doc"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.safe, convert::SafeAttachmentName(c.name)) << c.name;
}

}  // namespace
