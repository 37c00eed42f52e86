// A scratch folder per test case below the build tree, made and removed with
// the framework's own calls, so the same test runs natively and under Wine.
#pragma once

#include <gtest/gtest.h>

#include "fw/cstring.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace fwtest {

// Removes a folder with everything in it.
inline void RemoveTree(const CString& dir) {
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*.*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    if (ff.IsDirectory()) {
      RemoveTree(ff.GetFilePath());
    } else {
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
  }
  ff.Close();
  fw::RemoveDir(dir);
}

class Scratch {
 public:
  Scratch() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    CString base = CString(TABRYE_BIN_ROOT) + "\\fw_scratch";
    fw::MakeDir(base);
    m_dir = base + "\\" + info->test_suite_name() + "." + info->name();
    RemoveTree(m_dir);
    EXPECT_TRUE(fw::MakeDir(m_dir)) << m_dir.GetString();
  }
  ~Scratch() { RemoveTree(m_dir); }
  const CString& Dir() const { return m_dir; }
  CString Path(const char* name) const { return m_dir + "\\" + name; }

 private:
  CString m_dir;
};

}  // namespace fwtest
