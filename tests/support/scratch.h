// A scratch folder per test case below the build tree, made and removed with
// the framework's own calls, so the same test runs natively and under Wine.
// Paths are program paths ("\" separators; "Z:\..." under Wine).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/cstring.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace testsupport {

// Removes a folder with everything in it (read-only files included).
inline void RemoveTree(const CString& dir) {
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*.*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    if (ff.IsDirectory()) {
      RemoveTree(ff.GetFilePath());
      continue;
    }
    CFileStatus st;
    if (CFile::GetStatus(ff.GetFilePath(), st) && (st.m_attribute & CFile::readOnly)) {
      st.m_attribute &= static_cast<BYTE>(~CFile::readOnly);
      st.m_mtime = st.m_atime = st.m_ctime = CTime();
      CFile::SetStatus(ff.GetFilePath(), st);
    }
    try {
      CFile::Remove(ff.GetFilePath());
    } catch (const CFileException&) {
    }
  }
  ff.Close();
  fw::RemoveDir(dir);
}

class Scratch {
 public:
  Scratch() {
    std::string root = TABRYE_BIN_ROOT;
    for (char& c : root)
      if (c == '/') c = '\\';
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    CString base = CString(root.c_str()) + "\\test_scratch";
    fw::MakeDir(base);
    m_dir = base + "\\" + info->test_suite_name() + "." + info->name();
    RemoveTree(m_dir);
    EXPECT_TRUE(fw::MakeDir(m_dir)) << m_dir.GetString();
  }
  ~Scratch() { RemoveTree(m_dir); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const CString& Dir() const { return m_dir; }
  CString Path(const char* name) const { return m_dir + "\\" + name; }

 private:
  CString m_dir;
};

// The names in a folder (no "." and ".."), in the order the system lists them;
// empty for a missing folder.
inline std::vector<std::string> FolderNames(const CString& dir) {
  std::vector<std::string> out;
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDots()) out.push_back(ff.GetFileName().Str());
  }
  ff.Close();
  return out;
}

inline void WriteBytes(const CString& path, const std::string& bytes) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite);
  if (!bytes.empty()) f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  f.Close();
}

inline std::string ReadBytes(const CString& path) {
  std::string out;
  CFile f(path, CFile::modeRead);
  char buf[4096];
  for (UINT n; (n = f.Read(buf, sizeof buf)) > 0;) out.append(buf, n);
  return out;
}

}  // namespace testsupport
