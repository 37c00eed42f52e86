// A scratch folder per test below the build tree, as a program path
// ("\" separators; "Z:\..." under Wine), emptied before and after use.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "fw/cstring.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace docsvc_test {

inline void RemoveTree(const CString& dir) {
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    CString p = dir + "\\" + ff.GetFileName();
    if (ff.IsDirectory()) {
      RemoveTree(p);
    } else {
      try {
        CFileStatus st;
        if (CFile::GetStatus(p, st) && (st.m_attribute & CFile::readOnly)) {
          st.m_attribute = CFile::normal;
          CFile::SetStatus(p, st);
        }
        CFile::Remove(p);
      } catch (const CFileException&) {
      }
    }
  }
  ff.Close();
  fw::RemoveDir(dir);
}

class TempDir {
 public:
  TempDir() {
    std::string root = TABRYE_BIN_ROOT;
    for (char& c : root)
      if (c == '/') c = '\\';
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    CString base = CString(root.c_str()) + "\\test_tmp";
    fw::MakeDir(base);
    m_path = base + "\\docsvc_" + info->test_suite_name() + "_" + info->name();
    RemoveTree(m_path);
    fw::MakeDir(m_path);
  }
  ~TempDir() { RemoveTree(m_path); }
  const CString& path() const { return m_path; }
  CString operator/(const char* name) const { return m_path + "\\" + name; }

 private:
  CString m_path;
};

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

}  // namespace docsvc_test
