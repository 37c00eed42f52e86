#include "convert/ooxml_package.h"

#include <cstring>
#include <new>
#include <vector>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "convert/ooxml_part.h"
#include "core/docsvc/backup.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"
#include "fw/sjis.h"

namespace convert {
namespace {

constexpr std::uint64_t kLibraryUnzipAbove = 200000;  // bytes: the library unpacks larger files

// Splits a part path into its components (either separator; a "\" that is
// the second byte of a double-byte character is no separator).
std::vector<std::string> Components(const char* path) {
  std::vector<std::string> parts;
  std::string cur;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
    if (fw::IsSjisLeadByte(*p) && p[1]) {
      cur += static_cast<char>(*p);
      cur += static_cast<char>(*++p);
      continue;
    }
    if (*p == '/' || *p == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
      continue;
    }
    cur += static_cast<char>(*p);
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsFolder(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) && (st.m_attribute & CFile::directory);
}

class FilePartReader : public PartReader {
 public:
  bool Open(const CString& path) { return m_file.Open(path, CFile::modeRead | CFile::shareDenyNone) != FALSE; }
  std::uint64_t Size() override {
    try {
      return m_file.GetLength();
    } catch (const CFileException&) {
      return 0;
    }
  }
  std::size_t Read(void* buffer, std::size_t count) override {
    constexpr std::size_t kChunk = 1u << 30;
    try {
      return m_file.Read(buffer, static_cast<UINT>(count < kChunk ? count : kChunk));
    } catch (const CFileException&) {
      return 0;
    }
  }

 private:
  CFile m_file;
};

class MemoryPartReader : public PartReader {
 public:
  MemoryPartReader(const std::string& bytes, std::uint64_t declared) : m_bytes(bytes), m_declared(declared) {}
  std::uint64_t Size() override { return m_declared ? m_declared : m_bytes.size(); }
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t left = m_bytes.size() - m_pos;
    const std::size_t n = count < left ? count : left;
    if (n) std::memcpy(buffer, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
  }

 private:
  const std::string& m_bytes;
  std::uint64_t m_declared;
  std::size_t m_pos = 0;
};

}  // namespace

std::string PackagePathKey(const char* path) {
  std::string key;
  for (const std::string& c : Components(path)) {
    if (!key.empty()) key += '/';
    for (std::size_t i = 0; i < c.size(); ++i) {
      const unsigned char b = static_cast<unsigned char>(c[i]);
      if (fw::IsSjisLeadByte(b) && i + 1 < c.size()) {
        key += c[i];
        key += c[++i];
      } else {
        key += Lower(c[i]);
      }
    }
  }
  return key;
}

// --- FolderPackage -----------------------------------------------------------

FolderPackage::FolderPackage(const CString& root) : m_root(root) {}

CString FolderPackage::Resolve(const CString& path) const {
  CString cur = m_root;
  for (const std::string& c : Components(path.GetString())) {
    // A part path stays below the root.
    if (c == "." || c == "..") return CString();
    CString next = cur + "\\" + c.c_str();
    CFileStatus st;
    if (!CFile::GetStatus(next, st)) {
      CString found;
      CFileFind ff;
      BOOL more = ff.FindFile(cur + "\\*");
      while (more) {
        more = ff.FindNextFile();
        if (ff.IsDots()) continue;
        if (ff.GetFileName().CompareNoCase(c.c_str()) == 0) {
          found = ff.GetFileName();
          break;
        }
      }
      ff.Close();
      if (found.IsEmpty()) return CString();
      next = cur + "\\" + found;
    }
    cur = next;
  }
  return cur;
}

std::unique_ptr<PartReader> FolderPackage::Open(const CString& path) {
  const CString full = Resolve(path);
  if (full.IsEmpty() || IsFolder(full)) return nullptr;
  auto r = std::make_unique<FilePartReader>();
  if (!r->Open(full)) return nullptr;
  return r;
}

bool FolderPackage::FileExists(const CString& path) {
  const CString full = Resolve(path);
  CFileStatus st;
  return !full.IsEmpty() && CFile::GetStatus(full, st) && !(st.m_attribute & CFile::directory);
}

bool FolderPackage::FolderExists(const CString& path) {
  const CString full = Resolve(path);
  return !full.IsEmpty() && IsFolder(full);
}

// --- MemoryPackage -----------------------------------------------------------

void MemoryPackage::Add(const std::string& name, std::string bytes) { AddDeclared(name, std::move(bytes), 0); }

void MemoryPackage::AddDeclared(const std::string& name, std::string bytes, std::uint64_t declaredSize) {
  const std::string key = PackagePathKey(name.c_str());
  if (key.empty()) return;
  const char last = name.empty() ? 0 : name.back();
  if (last == '/' || last == '\\') {
    m_folders.insert(key);
    return;
  }
  Member& m = m_parts[key];
  m.bytes = std::move(bytes);
  m.declared = declaredSize;
}

std::unique_ptr<PartReader> MemoryPackage::Open(const CString& path) {
  auto it = m_parts.find(PackagePathKey(path.GetString()));
  if (it == m_parts.end()) return nullptr;
  return std::make_unique<MemoryPartReader>(it->second.bytes, it->second.declared);
}

bool MemoryPackage::FileExists(const CString& path) {
  return m_parts.count(PackagePathKey(path.GetString())) != 0;
}

bool MemoryPackage::FolderExists(const CString& path) {
  const std::string key = PackagePathKey(path.GetString());
  if (key.empty()) return !m_parts.empty() || !m_folders.empty();
  if (m_folders.count(key)) return true;
  const std::string prefix = key + "/";
  auto below = [&prefix](const std::string& k) { return k.compare(0, prefix.size(), prefix) == 0; };
  auto p = m_parts.lower_bound(prefix);
  if (p != m_parts.end() && below(p->first)) return true;
  auto f = m_folders.lower_bound(prefix);
  return f != m_folders.end() && below(*f);
}

// --- The start of a conversion -----------------------------------------------

int UnzipPackageOwn(const CString& zipName, const CString& destDir, std::string* code) {
  fw::MakeDir(destDir);
  arc::ArcState st;
  arc::ArcOutcome r;
  try {
    arc::DiskTarget disk(fw::FullPath(destDir.Str()));
    r = arc::UnzipOwn(st, zipName.Str(), 1, 0, nullptr, false, disk);
  } catch (const std::bad_alloc&) {
    if (code) *code = "029";
    return -9;
  }
  if (r.result == -9) {
    if (code) *code = r.memoryText;
    return -9;
  }
  if (r.Failed() || r.result < 0) {
    if (code) *code = r.Title();
    return -1;
  }
  return r.result;
}

int ConvertHost::UnzipArchive(int mode, const CString& zipName, const CString& destDir) {
  (void)mode;
  return UnzipPackageOwn(zipName, destDir);
}

PackageStart OpenOoxmlPackage(const PackageRequest& request, OoxmlKind kind, LoadBuffer& out) {
  PackageStart start;
  const int noFile = kind == OoxmlKind::kDocx ? 0 : -1;
  const CString folder = docsvc::PackageScratchDir(request.programDir);
  if (!IsFolder(docsvc::ScratchDir(request.programDir))) fw::MakeDir(docsvc::ScratchDir(request.programDir));
  start.lock = std::make_unique<docsvc::ScratchLock>(folder);
  // Nothing of an earlier package may be read as this one's: a folder that
  // cannot be emptied (or that another copy keeps) ends the conversion.
  if (!start.lock->Held() || !docsvc::EmptyScratchFolder(folder)) {
    const CString msg = PartCannotOpenText();
    out.Append(msg.GetString(), static_cast<std::size_t>(msg.GetLength()));
    start.result = noFile;
    return start;
  }
  if (!IsFolder(folder)) fw::MakeDir(folder);
  {
    CFile f;
    if (!f.Open(request.path, CFile::modeRead | CFile::shareDenyNone)) {
      start.result = noFile;
      return start;
    }
    try {
      start.fileLength = f.GetLength();
    } catch (const CFileException&) {
      start.fileLength = 0;
    }
    f.Abort();
  }
  start.unzipMode = request.unzipBound && start.fileLength > kLibraryUnzipAbove ? 1 : 0;
  const int r = request.host ? request.host->UnzipArchive(start.unzipMode, request.path, folder)
                             : UnzipPackageOwn(request.path, folder);
  if (r < 0) {
    start.result = kind == OoxmlKind::kXlsx ? r : 0;
    return start;
  }
  start.package = std::make_unique<FolderPackage>(folder);
  return start;
}

}  // namespace convert
