#include "archive/extract_target.h"

#include <climits>
#include <algorithm>
#include <cstring>

#include "fw/file.h"
#include "fw/path.h"

namespace arc {

namespace {
constexpr size_t kBufSize = 1 << 16;

// The text before the last '\' of a safe relative path (no double-byte
// character of such a path ends in 0x5C unless it is a character's own trail
// byte, so this walks whole characters).
std::string ParentOf(const std::string& rel) {
  int cut = fw::LastPathSeparator(rel.c_str(), static_cast<int>(rel.size()));
  return cut < 0 ? std::string() : rel.substr(0, static_cast<size_t>(cut));
}

bool IsFolder(const std::string& path) {
  CFileStatus st;
  return CFile::GetStatus(path.c_str(), st) && (st.m_attribute & CFile::directory);
}
}  // namespace

CFileStreamBuf::CFileStreamBuf(CFile& f) : f_(f), buf_(new char[kBufSize]) {
  setp(buf_.get(), buf_.get() + kBufSize);
}

CFileStreamBuf::~CFileStreamBuf() { Drain(); }

bool CFileStreamBuf::Drain() {
  std::ptrdiff_t n = pptr() - pbase();
  if (n > 0 && !failed_) {
    try {
      f_.Write(pbase(), static_cast<UINT>(n));
    } catch (const CFileException&) {
      failed_ = true;
    }
  }
  setp(buf_.get(), buf_.get() + kBufSize);
  return !failed_;
}

CFileStreamBuf::int_type CFileStreamBuf::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int CFileStreamBuf::sync() { return Drain() ? 0 : -1; }

std::streamsize CFileStreamBuf::xsputn(const char* s, std::streamsize n) {
  std::streamsize done = 0;
  while (done < n) {
    std::streamsize room = epptr() - pptr();
    if (room == 0) {
      if (!Drain()) return done;
      continue;
    }
    std::streamsize take = n - done < room ? n - done : room;
    std::memcpy(pptr(), s + done, static_cast<size_t>(take));
    pbump(static_cast<int>(take));
    done += take;
  }
  return done;
}

DiskTarget::DiskTarget(std::string root) : root_(std::move(root)) {}

DiskTarget::~DiskTarget() { CloseFile(); }

std::string DiskTarget::Full(const std::string& rel) const {
  if (root_.empty()) return rel;
  if (rel.empty()) return root_;
  return root_ + "\\" + rel;
}

bool DiskTarget::MakeFolders(const std::string& rel) {
  if (rel.empty()) return root_.empty() || IsFolder(root_);
  std::string full = Full(rel);
  if (IsFolder(full)) return true;
  std::string parent = ParentOf(rel);
  if (!MakeFolders(parent)) return false;
  fw::MakeDir(full.c_str());
  return IsFolder(full);
}

std::ostream* DiskTarget::OpenFile(const std::string& rel) {
  CloseFile();
  auto f = std::make_unique<CFile>();
  if (!f->Open(Full(rel).c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return nullptr;
  file_ = std::move(f);
  buf_ = std::make_unique<CFileStreamBuf>(*file_);
  stream_ = std::make_unique<std::ostream>(buf_.get());
  return stream_.get();
}

bool DiskTarget::CloseFile() {
  if (!file_) return true;
  bool ok = buf_->pubsync() == 0 && !buf_->Failed();
  stream_.reset();
  buf_.reset();
  try {
    file_->Close();
  } catch (const CFileException&) {
    ok = false;
  }
  file_.reset();
  return ok;
}

void DiskTarget::SetTime(const std::string& rel, const ArcDateTime& t) {
  CFileStatus st;
  std::string full = Full(rel);
  if (!CFile::GetStatus(full.c_str(), st)) return;
  CTime when(t.year, t.month, t.day, t.hour, t.minute, t.second);
  if (when.GetTime() <= 0) return;
  st.m_mtime = when;
  st.m_atime = when;
  st.m_ctime = CTime();
  try {
    CFile::SetStatus(full.c_str(), st);
  } catch (const CFileException&) {
  }
}

bool DiskTarget::SetAttribute(const std::string& rel, int attr) {
  CFileStatus st;
  std::string full = Full(rel);
  if (!CFile::GetStatus(full.c_str(), st)) return false;
  st.m_attribute = static_cast<BYTE>((st.m_attribute & ~0x27) | (attr & 0x27));
  st.m_mtime = st.m_atime = st.m_ctime = CTime();
  try {
    CFile::SetStatus(full.c_str(), st);
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

bool DiskTarget::Exists(const std::string& rel) {
  CFileStatus st;
  return CFile::GetStatus(Full(rel).c_str(), st) != FALSE;
}

int64_t DiskTarget::FreeSpace() {
  long long n = fw::FreeDiskSpace(root_.c_str());
  return n < 0 ? INT64_MAX : static_cast<int64_t>(n);
}

bool MemoryTarget::MakeFolders(const std::string& rel) {
  if (files.count(rel)) return false;
  for (std::string p = rel; !p.empty(); p = ParentOf(p)) folders.insert(p);
  return true;
}

std::ostream* MemoryTarget::OpenFile(const std::string& rel) {
  CloseFile();
  if (folders.count(rel)) return nullptr;
  File& f = files[rel];
  f = File();
  open_ = rel;
  buf_ = std::make_unique<Buf>(f, keep_);
  stream_ = std::make_unique<std::ostream>(buf_.get());
  return stream_.get();
}

bool MemoryTarget::CloseFile() {
  stream_.reset();
  buf_.reset();
  open_.clear();
  return true;
}

void MemoryTarget::SetTime(const std::string& rel, const ArcDateTime& t) {
  auto it = files.find(rel);
  if (it != files.end()) it->second.time = t;
}

bool MemoryTarget::SetAttribute(const std::string& rel, int attr) {
  auto it = files.find(rel);
  if (it == files.end()) return folders.count(rel) != 0;
  it->second.attr = attr & 0x27;
  return true;
}

bool MemoryTarget::Exists(const std::string& rel) { return files.count(rel) || folders.count(rel); }

MemoryTarget::Buf::int_type MemoryTarget::Buf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  char ch = traits_type::to_char_type(c);
  xsputn(&ch, 1);
  return c;
}

std::streamsize MemoryTarget::Buf::xsputn(const char* s, std::streamsize n) {
  size_t have = f_.head.size();
  if (have < keep_) f_.head.append(s, std::min(static_cast<size_t>(n), keep_ - have));
  f_.length += n;
  return n;
}

}  // namespace arc
