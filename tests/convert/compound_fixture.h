// Compound files for the reader's tests: made once per build tree by
// compound/make_compound.py (Debian's python3 with olefile, gsf, LibreOffice),
// each with olefile's bytes of every stream beside it, and a run of the
// compound reader over one of them in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "convert/cfb_reader.h"
#include "convert/render_frame.h"
#include "convert/source_file.h"
#include "fw/alloc.h"
#include "support/file_bytes.h"

namespace compoundtest {

namespace fs = std::filesystem;

inline const char* kPython = "/usr/bin/python3";

// The fixture folder, made on first use; empty when Debian's python3 is missing.
inline fs::path Fixtures() {
  static fs::path dir;
  static bool made = false;
  if (!made) {
    made = true;
    if (!fs::exists(kPython)) return dir;
    const fs::path d = fs::path(TABRYE_BIN_ROOT) / "convert_compound";
    const std::string cmd = std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/convert/compound/make_compound.py' '" +
                            d.string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) dir = d;
  }
  return dir;
}

#define REQUIRE_COMPOUND_FIXTURES()                                                          \
  if (::compoundtest::Fixtures().empty()) {                                                  \
    GTEST_SKIP() << "Debian's /usr/bin/python3 with python3-olefile is needed for the inputs"; \
  }

// olefile's streams of a fixture: name -> bytes.
inline std::map<std::string, std::string> Oracle(const std::string& file) {
  std::map<std::string, std::string> streams;
  const fs::path folder = Fixtures() / (file + ".streams");
  std::ifstream manifest(folder / "manifest.txt");
  for (std::string line; std::getline(manifest, line);) {
    std::istringstream in(line);
    std::string name, index, size;
    std::getline(in, name, '\t');
    std::getline(in, index, '\t');
    if (!name.empty() && name[0] == '\x05') name = name.substr(1);
    streams[name] = testsupport::ReadFileBytes(folder / (index + ".bin"));
  }
  return streams;
}

// One run of the compound reader over bytes in memory, as the frame sets it
// up: the head buffer of the first 2000 bytes, the file size lowered to the
// read size.
struct CfbRun {
  std::string bytes;
  convert::RenderJob job;
  convert::CompoundStreamTable table;
  convert::CompoundLoad status = convert::CompoundLoad::kUnsupported;
  std::unique_ptr<convert::CfbReader> reader;

  CfbRun(std::string data, int kind, std::int64_t readLimit = -1) : bytes(std::move(data)) {
    const std::int64_t size = static_cast<std::int64_t>(bytes.size());
    const std::int64_t readSize = readLimit < 0 || readLimit > size ? size : readLimit;
    job.m_file = std::make_unique<convert::MemorySource>(bytes.data(), bytes.size());
    job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(2005));
    job.headCapacity = 2005;
    std::memset(job.m_pConvData, 0, 2005);
    job.m_file->ReadAt(0, job.m_pConvData, 2000);
    job.readSize = static_cast<std::int32_t>(readSize);
    job.m_nConvSize = static_cast<std::int32_t>(readSize);
    job.inputCut = readSize < size;
    job.m_nKind = job.m_nFileKind = kind;
    reader = std::make_unique<convert::CfbReader>(job);
  }
  ~CfbRun() { convert::EndRender(job); }

  convert::CompoundLoad Load() { return status = reader->LoadCompoundStreams(table); }
  std::string Slot(int slot) const {
    if (!table.slot[slot]) return std::string();
    return std::string(reinterpret_cast<const char*>(job.Head()) + table.slot[slot],
                       static_cast<std::size_t>(table.length[slot]));
  }
  std::string Text() const { return std::string(job.out.Data(), job.out.Size()); }
};

inline std::string FixtureBytes(const std::string& name) { return testsupport::ReadFileBytes(Fixtures() / name); }

}  // namespace compoundtest
