#include "export/part_sink.h"

#include <cstring>
#include <new>
#include <string_view>

#include "export/byte_writer.h"
#include "fw/codepage.h"
#include "fw/file.h"

namespace exportcore {
namespace {

bool EndsWith(const char* s, const char* tail) {
  std::size_t n = std::strlen(s), k = std::strlen(tail);
  return n >= k && std::memcmp(s + n - k, tail, k) == 0;
}

bool IsUtf8Name(const std::string& name) {
  if (name.size() != 5 && name.size() != 4) return false;
  std::string lower;
  for (char c : name)
    if (c != '-') lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower == "utf8";
}

}  // namespace

std::string PartBytesOnDisk(const char* packagePath, const char* bytes, std::size_t len) {
  if (!EndsWith(packagePath, ".xml") && !EndsWith(packagePath, ".rels")) return std::string(bytes, len);
  // The part is read in place (a worksheet runs to tens of megabytes): the
  // bytes before the encoding's name, the new name, and the rest are
  // converted into one string. The name sits between ASCII quotes, which
  // are never part of a double-byte character, so the pieces are cut
  // between characters and convert as the whole would.
  const std::string_view text(bytes, len);
  std::size_t nameStart = 0, nameEnd = 0;
  bool rename = false;
  // The declaration, when the part opens with one.
  if (text.compare(0, 5, "<?xml") == 0) {
    std::size_t end = text.find("?>");
    std::size_t enc = text.find("encoding=", 0);
    if (end != std::string_view::npos && enc != std::string_view::npos && enc < end && enc + 10 < end) {
      char quote = text[enc + 9];
      nameStart = enc + 10;
      nameEnd = text.find(quote, nameStart);
      if ((quote == '"' || quote == '\'') && nameEnd != std::string_view::npos && nameEnd < end) {
        if (IsUtf8Name(std::string(text.substr(nameStart, nameEnd - nameStart)))) return std::string(bytes, len);
        rename = true;
      }
    }
  }
  std::string out;
  out.reserve(len + len / 4 + 16);
  if (rename) {
    fw::AppendCp932AsUtf8(bytes, nameStart, out);
    out += "UTF-8";
    fw::AppendCp932AsUtf8(bytes + nameEnd, len - nameEnd, out);
  } else {
    fw::AppendCp932AsUtf8(bytes, len, out);
  }
  return out;
}

bool PartSink::WritePart(const char* packagePath, const char* bytes, std::size_t len) {
  bool ok = false;
  try {
    ok = Store(packagePath, PartBytesOnDisk(packagePath, bytes, len));
  } catch (const std::bad_alloc&) {
    m_memoryShort = true;
    ok = false;
  }
  if (!ok && !m_failed) {
    m_failed = true;
    m_firstFailure = packagePath;
  }
  return ok;
}

bool PartSink::WritePart(const char* packagePath, const ByteWriter& part) {
  if (part.Failed()) {
    // A part cut short by a memory shortage is never stored as if complete.
    if (!m_failed) {
      m_failed = true;
      m_firstFailure = packagePath;
    }
    m_memoryShort = true;
    return false;
  }
  return WritePart(packagePath, part.Data(), part.Size());
}

CString FolderPartSink::FilePath(const char* packagePath) const {
  CString path = m_root;
  path += '\\';
  CString rel(packagePath);
  rel.Replace('/', '\\');
  path += rel;
  return path;
}

bool FolderPartSink::Store(const std::string& packagePath, const std::string& bytes) {
  CString path = FilePath(packagePath.c_str());
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
  try {
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t chunk = bytes.size() - done;
      if (chunk > 0x40000000u) chunk = 0x40000000u;
      f.Write(bytes.data() + done, static_cast<UINT>(chunk));
      done += chunk;
    }
    f.Close();
  } catch (const CFileException&) {
    f.Abort();
    try {
      CFile::Remove(path);  // no half-written part stays behind
    } catch (const CFileException&) {
    }
    return false;
  }
  return true;
}

bool MemoryPartSink::Store(const std::string& packagePath, const std::string& bytes) {
  if (!refuse.empty() && packagePath == refuse) return false;
  parts[packagePath] = bytes;
  return true;
}

}  // namespace exportcore
