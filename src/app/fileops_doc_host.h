// The document's side of fileops::FileOpsHost: the tree counters of the
// document, the frame's Esc poll and title, the program's message boxes,
// the document's name cipher and program folder. A member of CDvkDoc; it
// registers itself in fileops::g_pDocFileOps while it exists.
#pragma once

#include "core/fileops/fileprims.h"
#include "core/fileops/folderhost.h"

class CDvkDoc;

namespace app {

// The document's FTP site for the primitives: its one connection, the
// mapping of pseudo-drive paths and its one search (app/dvkdoc_ftp.cpp).
class DocFtpSite final : public fileops::FtpSite {
 public:
  explicit DocFtpSite(CDvkDoc& doc) : m_doc(doc) {}
  bool Connected() override;
  int Connect(const CString& path) override;
  void Close() override;
  int DriveNo(const CString& path) override;
  CString Map(const CString& path, int mode, bool* refused) override;
  bool List(const std::function<bool(const fileops::FolderEntry&)>& each) override;
  bool RemoveServerFolder(const CString& serverPath) override;
  bool RemoveServerFile(const CString& name) override;
  bool MakeServerFolder(const CString& name) override;
  bool RenameOnServer(const CString& from, const CString& to) override;
  bool PutServerFile(const CString& local, const CString& name) override;
  bool SetServerFolder(const CString& serverPath) override;
  bool Lookup(const CString& name, fileops::FolderEntry* entry) override;
  bool ReadServerFile(const CString& name,
                      const std::function<bool(const char* data, std::uint32_t count)>& sink) override;
  bool WriteServerFile(const CString& name,
                       const std::function<int(char* buffer, std::uint32_t capacity)>& source) override;
  CString ScratchCopy(const CString& path) override;
  bool SetServerFileTime(const CString& name, std::int64_t seconds) override;
  std::uint32_t LastError() override { return m_lastError; }

 private:
  // Keeps the connection's code of a failed call; returns `ok`.
  bool Note(bool ok);
  CDvkDoc& m_doc;
  std::uint32_t m_lastError = 0;
};

class DocFileOpsHost final : public fileops::FileOpsHost {
 public:
  explicit DocFileOpsHost(CDvkDoc& doc);
  ~DocFileOpsHost() override;
  DocFileOpsHost(const DocFileOpsHost&) = delete;
  DocFileOpsHost& operator=(const DocFileOpsHost&) = delete;

  fileops::FolderHost& Folders() override { return m_folders; }
  fileops::FtpSite* Ftp() override { return &m_ftp; }
  std::int32_t& TreeDepth() override;
  std::int32_t& TreeFiles() override;
  std::uint64_t& TreeBytes() override;
  bool EscapeConfirmed() override;
  void SetTitle(fileops::Text text) override;
  int Ask(fileops::Text text, const CString& path, fileops::Buttons buttons) override;
  CString KeyCode() override;
  CString StoredName(const CString& path) override;
  CString ProgramDir() override;

 private:
  CDvkDoc& m_doc;
  fileops::LocalFolderHost m_folders;
  DocFtpSite m_ftp{m_doc};
};

}  // namespace app
