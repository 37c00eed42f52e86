// "Dorvik.inf" and "Dorvik.sys" as a first start writes them, byte for byte
// against the files kept in tests/data/settings. The other settings tests
// compare the table with itself; these pin what a user's folder gets, so a
// lost row, a changed default, a moved key or another line end fails here.
//
// A deliberate change of a key or a default: run this program with
// TABRYE_UPDATE_SETTINGS_GOLDEN=1 (it rewrites the two files and fails), then
// read the difference in `git diff` before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/docdata/settings_files.h"
#include "support/scratch.h"

namespace {

using namespace app;

std::string GoldenPath(const char* name) { return std::string(TABRYE_TEST_ROOT) + "/tests/data/settings/" + name; }

std::string ReadGolden(const char* name) {
  std::ifstream f(GoldenPath(name), std::ios::binary);
  EXPECT_TRUE(f.good()) << GoldenPath(name);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Updating() {
  const char* update = std::getenv("TABRYE_UPDATE_SETTINGS_GOLDEN");
  return update && std::string(update) == "1";
}

bool UpdateGolden(const char* name, const std::string& bytes) {
  if (!Updating()) return false;
  std::ofstream(GoldenPath(name), std::ios::binary | std::ios::trunc) << bytes;
  ADD_FAILURE() << GoldenPath(name) << " rewritten: check the difference before committing it";
  return true;
}

// The first line where two texts part (1-based), both lines shown with their
// line ends, so a failure names the key rather than two 3 KB strings.
std::string FirstDifference(const std::string& want, const std::string& got) {
  std::size_t line = 1, start = 0, i = 0;
  for (; i < want.size() && i < got.size() && want[i] == got[i]; ++i) {
    if (want[i] == '\n') {
      ++line;
      start = i + 1;
    }
  }
  auto lineAt = [start](const std::string& s) {
    const std::size_t end = s.find('\n', start);
    std::string l = s.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
    std::string shown;
    for (char c : l) shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return shown.empty() ? std::string("(end of file)") : shown;
  };
  std::ostringstream s;
  s << "line " << line << ": kept \"" << lineAt(want) << "\", written \"" << lineAt(got) << "\" (kept " << want.size()
    << " bytes, written " << got.size() << ")";
  return s.str();
}

void ExpectSame(const char* name, const std::string& kept, const std::string& written) {
  EXPECT_TRUE(kept == written) << name << " differs from tests/data/settings/" << name << ": "
                               << FirstDifference(kept, written);
}

void ExpectGolden(const char* name, const std::string& written) {
  if (!UpdateGolden(name, written)) ExpectSame(name, ReadGolden(name), written);
}

// What the start-up writes into an empty program folder.
TEST(SettingsGolden, FilesWrittenIntoAnEmptyProgramFolderAreTheKeptOnes) {
  testsupport::Scratch dir;
  CString error;
  ASSERT_TRUE(WriteMissingSettingsFiles(dir.Dir(), &error)) << error.GetString();
  ExpectGolden("Dorvik.inf", testsupport::ReadBytes(dir.Path("Dorvik.inf")));
  ExpectGolden("Dorvik.sys", testsupport::ReadBytes(dir.Path("Dorvik.sys")));
}

// The user's save from a new document, and the default texts the settings
// dialog and the start-up use: the same bytes.
TEST(SettingsGolden, ANewDocumentSavesTheKeptFiles) {
  if (Updating()) GTEST_SKIP() << "updating: the test above writes the files";
  auto d = std::make_unique<DvkDocData>();
  ExpectGolden("Dorvik.inf", WriteInfText(*d, {}));
  ExpectGolden("Dorvik.sys", WriteSysText(*d, {}));
  ExpectGolden("Dorvik.inf", DefaultInfText());
  ExpectGolden("Dorvik.sys", DefaultSysText());
}

// Reading the kept files into a document changes nothing and reports
// nothing: every key of them is known and in range.
TEST(SettingsGolden, TheKeptFilesReadWithoutIssuesAndWriteBackUnchanged) {
  if (Updating()) GTEST_SKIP() << "updating";
  const std::string inf = ReadGolden("Dorvik.inf"), sys = ReadGolden("Dorvik.sys");
  auto d = std::make_unique<DvkDocData>();
  SettingsRest infRest, sysRest;
  ReadInfText(inf, *d, &infRest);
  ReadSysText(sys, *d, &sysRest);
  for (const SettingsRest* rest : {&infRest, &sysRest}) {
    for (const docsvc::LineIssue& issue : rest->issues) ADD_FAILURE() << "line " << issue.line << ": " << issue.reason.GetString();
    for (const docsvc::KvLine& unknown : rest->unknown) ADD_FAILURE() << "unknown key " << unknown.key.GetString();
  }
  ExpectSame("Dorvik.inf", inf, WriteInfText(*d, {}));
  ExpectSame("Dorvik.sys", sys, WriteSysText(*d, {}));
}

}  // namespace
