// Where extracted members go. The extractors name every file and folder by a
// path relative to the destination (made safe by SafeMemberPath, components
// joined with '\'); a target never receives anything else, so nothing can be
// written outside the destination. DiskTarget writes below a folder through
// the framework's file layer; MemoryTarget keeps everything in memory (tests
// and fuzzing).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <streambuf>
#include <string>

#include "archive/arc_time.h"

class CFile;

namespace arc {

class ExtractTarget {
 public:
  virtual ~ExtractTarget() = default;
  // Creates the folder and every missing parent; false when it does not exist
  // at the end. An empty path is the destination itself.
  virtual bool MakeFolders(const std::string& rel) = 0;
  // Opens a file for writing (created or emptied); null when it does not open.
  // The stream stays valid until CloseFile.
  virtual std::ostream* OpenFile(const std::string& rel) = 0;
  // Closes the file opened last; false when its bytes could not all be written.
  virtual bool CloseFile() = 0;
  // Sets a written file's modification time (local time).
  virtual void SetTime(const std::string& rel, const ArcDateTime& t) = 0;
  // Replaces the DOS attribute bits (read-only, hidden, system, archive) of an
  // existing file or folder; false when it is not there or cannot be changed.
  virtual bool SetAttribute(const std::string& rel, int attr) = 0;
  // Whether a file or folder of that path exists.
  virtual bool Exists(const std::string& rel) = 0;
  // Free bytes at the destination (INT64_MAX when unknown).
  virtual int64_t FreeSpace() = 0;
};

// Output stream buffer over an open CFile (64 KiB buffer). A write error of
// the file sets the stream's bad bit instead of throwing.
class CFileStreamBuf : public std::streambuf {
 public:
  explicit CFileStreamBuf(CFile& f);
  ~CFileStreamBuf() override;
  bool Failed() const { return failed_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;

 private:
  bool Drain();
  CFile& f_;
  std::unique_ptr<char[]> buf_;
  bool failed_ = false;
};

// Files below a folder (program path; "" = the current directory).
class DiskTarget : public ExtractTarget {
 public:
  explicit DiskTarget(std::string root);
  ~DiskTarget() override;
  bool MakeFolders(const std::string& rel) override;
  std::ostream* OpenFile(const std::string& rel) override;
  bool CloseFile() override;
  void SetTime(const std::string& rel, const ArcDateTime& t) override;
  bool SetAttribute(const std::string& rel, int attr) override;
  bool Exists(const std::string& rel) override;
  int64_t FreeSpace() override;
  std::string Full(const std::string& rel) const;

 private:
  std::string root_;
  std::unique_ptr<CFile> file_;
  std::unique_ptr<CFileStreamBuf> buf_;
  std::unique_ptr<std::ostream> stream_;
};

// Everything in memory: each file keeps its first `keep` bytes and its length.
class MemoryTarget : public ExtractTarget {
 public:
  struct File {
    std::string head;
    int64_t length = 0;
    ArcDateTime time;
    int attr = 0;
  };
  explicit MemoryTarget(size_t keep = 1 << 20) : keep_(keep) {}
  bool MakeFolders(const std::string& rel) override;
  std::ostream* OpenFile(const std::string& rel) override;
  bool CloseFile() override;
  void SetTime(const std::string& rel, const ArcDateTime& t) override;
  bool SetAttribute(const std::string& rel, int attr) override;
  bool Exists(const std::string& rel) override;
  int64_t FreeSpace() override { return freeSpace; }

  std::map<std::string, File> files;
  std::set<std::string> folders;
  int64_t freeSpace = INT64_MAX;

 private:
  class Buf : public std::streambuf {
   public:
    Buf(File& f, size_t keep) : f_(f), keep_(keep) {}

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

   private:
    File& f_;
    size_t keep_;
  };
  size_t keep_;
  std::string open_;
  std::unique_ptr<Buf> buf_;
  std::unique_ptr<std::ostream> stream_;
};

}  // namespace arc
