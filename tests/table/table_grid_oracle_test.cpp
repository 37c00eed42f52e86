// The grid table of "a|b", "-", "c|d" read by outside readers: unrtf and,
// when installed, LibreOffice show the four cell texts in order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/outside_tool.h"
#include "table/table_grid.h"

namespace fs = std::filesystem;

namespace {

fs::path WriteGrid(const fs::path& dir) {
  fs::create_directories(dir);
  std::vector<table::GridLine> lines;
  for (const char* l : {"a|b", "-", "c|d", "{x}|\\y"}) lines.push_back(table::GridLineFromText(l));
  const fs::path file = dir / "grid.rtf";
  std::ofstream(file, std::ios::binary) << table::WriteGridTable(lines, 24);
  return file;
}

void ExpectInOrder(const std::string& shown, const char* tool) {
  std::size_t at = 0;
  for (const char* cell : {"a", "b", "c", "d", "{x}", "\\y"}) {
    const std::size_t f = shown.find(cell, at);
    ASSERT_NE(f, std::string::npos) << tool << " lost \"" << cell << "\" in:\n" << shown;
    at = f + 1;
  }
}

}  // namespace

TEST(TableGridOracle, UnrtfShowsTheCellsInOrder) {
  REQUIRE_TOOLS("unrtf");
  const fs::path file = WriteGrid(fs::path(TABRYE_BIN_ROOT) / "table_grid_unrtf");
  std::string shown = testsupport::RunCapture("unrtf --text '" + file.string() + "' 2>/dev/null");
  // unrtf's header lines come first; the cells follow them.
  const std::size_t body = shown.rfind("-----------------");
  if (body != std::string::npos) shown = shown.substr(body);
  ExpectInOrder(shown, "unrtf");
}

TEST(TableGridOracle, LibreOfficeShowsTheCellsInOrder) {
  REQUIRE_TOOLS("soffice");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "table_grid_soffice";
  const fs::path file = WriteGrid(dir);
  fs::remove(dir / "grid.txt");
  testsupport::RunCapture("HOME='" + (dir / "home").string() + "' soffice -env:UserInstallation=file://" +
                          (dir / "profile").string() + " --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" +
                          dir.string() + "' '" + file.string() + "' >/dev/null 2>&1");
  std::ifstream in(dir / "grid.txt", std::ios::binary);
  ASSERT_TRUE(in.good()) << "LibreOffice wrote no text";
  const std::string shown((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ExpectInOrder(shown, "LibreOffice");
}
