#include "filelist/flistcore/walk.h"

#include <cstdio>
#include <cstring>

#include "core/crypto/encname.h"
#include "core/docsvc/sjis_state.h"
#include "filelist/flistcore/entries.h"

namespace flist {

namespace {

WorkEntry& Slot(const WalkRequest& r, int i) {
  if (r.work->size() <= static_cast<std::size_t>(i)) r.work->resize(static_cast<std::size_t>(i) + 1);
  return (*r.work)[static_cast<std::size_t>(i)];
}

// The text up to its first NUL, at most a record's 255 bytes, into `dst`
// (whose buffer is reused).
void AssignCut(std::string& dst, const char* p, std::size_t n) {
  if (n > static_cast<std::size_t>(kRecordText)) n = kRecordText;
  const void* nul = std::memchr(p, 0, n);
  if (nul) n = static_cast<std::size_t>(static_cast<const char*>(nul) - p);
  dst.assign(p, n);
}
void AssignCut(std::string& dst, const std::string& s) { AssignCut(dst, s.data(), s.size()); }

std::string Cut(const std::string& s) {
  std::string t;
  AssignCut(t, s);
  return t;
}

// The text after the last "." of a file name ("" without one), cut.
void AssignExtension(std::string& dst, const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) dst.clear();
  else AssignCut(dst, name.data() + dot + 1, name.size() - dot - 1);
}

}  // namespace

int WalkFolder(const WalkRequest& r) {
  fileops::FolderHost& host = *r.host;
  int& count = *r.entryCount;
  // 2. A path the records cannot hold.
  if (host.CurrentDir().size() > 255) {
    WorkEntry& e = Slot(r, count);
    e = WorkEntry();
    e.name = kLongPathEntry;
    e.folder = kLongPathEntry;
    e.time = 1;
    e.size = 0;
    e.sizeHigh = 0;  // placed among the files, counted as none
    if (r.walkSubfolders == 0) ++count;
    return 0;
  }
  // 3-4. Read the entries.
  int result = 0;
  const bool ok = host.ListCurrentDir([&](const fileops::FolderEntry& fe) {
    if (count >= r.fhold - 1) return false;
    if (fe.name == "." || fe.name == "..") return true;
    // The shown name: an enciphered one deciphered, any other as it is.
    std::string deciphered;
    const bool enciphered = fe.name.size() > 4 && fe.name.compare(0, 4, crypto::kStoredNameMarker) == 0;
    if (enciphered) deciphered = crypto::TranslateEncryptedName(fe.name, 1, r.encryptKeyCode);
    const std::string& display = enciphered ? deciphered : fe.name;
    const std::int64_t t = fe.mtime >= 0 && fe.mtime < kTimeLimit ? fe.mtime : 0;
    const bool isFolder = (fe.attributes & fileops::kAttrFolder) != 0;
    if (!isFolder && r.conditions.any) {
      const std::string match(static_cast<const char*>(MakeLowerSjis(CString(display.c_str()))));
      if (!FilePasses(r.conditions, match, fe.size, t)) return true;
    }
    // 5. Store (every field, into the slot's own buffers).
    {
      WorkEntry& e = Slot(r, count);
      AssignCut(e.name, display);
      AssignCut(e.folder, r.relFolder);
      if (isFolder) e.ext.clear();
      else AssignExtension(e.ext, display);
      e.time = static_cast<std::uint32_t>(t);
      e.attributes = fe.attributes;
    }
    if (isFolder) {
      // 6. A folder: size -1, walked in a multi-folder listing.
      const unsigned d = r.displayMode % 10;
      const bool probe = r.listFolder == "C:" && (d == 0 || d == 6);
      // Junctions and symbolic links are listed, never entered (a link may
      // lead back up the tree).
      const bool reparse = (fe.attributes & fileops::kAttrReparse) != 0;
      const bool descend = r.walkSubfolders && !reparse;
      std::string rel, full;  // only for a folder that is entered
      if (probe || descend) {
        rel = r.relFolder.empty() ? fe.name : r.relFolder + "\\" + fe.name;
        full = r.listFolder + "\\" + rel;
      }
      bool enterable = true;
      if (probe) {
        const std::string back = host.CurrentDir();
        enterable = fileops::ChangeDirectory(host, full, r.ftpList, r.listSource) >= 0;
        fileops::ChangeDirectory(host, back, r.ftpList, r.listSource);
        if (!enterable) Slot(r, count).name = Cut("|" + display);
      }
      Slot(r, count).size = kSizeNone;
      Slot(r, count).sizeHigh = 0;
      if (descend && fileops::ChangeDirectory(host, full, r.ftpList, r.listSource) >= 0) {
        int& depth = *r.depth;
        ++depth;
        if (depth >= kMaxWalkDepth) {
          --depth;
        } else {
          if (depth == 1) ++count;
          WalkRequest sub = r;
          sub.walkSubfolders = 1;
          sub.relFolder = rel;
          const int rc = WalkFolder(sub);
          fileops::ChangeDirectory(host, r.listFolder + "\\" + r.relFolder, r.ftpList, r.listSource);
          --depth;
          if (rc == -1) {
            result = -1;
            return false;
          }
        }
      }
    } else {
      // 7. A file.
      WorkEntry& e = Slot(r, count);
      e.size = static_cast<std::int32_t>(static_cast<std::uint32_t>(fe.size));
      e.sizeHigh = kSizeHighFile | static_cast<std::uint32_t>((fe.size >> 32) & 0x7FFFFFFFu);
      ++*r.fileCount;
      *r.totalSize += fe.size;
    }
    // 8. Next position.
    ++count;
    // 9. Progress and the Esc poll.
    if (r.showProgress == 1 && !isFolder && r.progress) {
      ++*r.progress;
      if (*r.progress % kProgressEvery == 0 && !r.presentation) {
        if (r.progressText) {
          char buf[32];
          std::snprintf(buf, sizeof buf, "%8d", *r.progress);
          r.progressText(std::string(buf) + "  (Push ESC to Stop)  " + r.relFolder);
        }
        if (r.checkEscape && r.checkEscape() == 1) {
          result = -1;
          return false;
        }
      }
    }
    return true;
  });
  if (!ok) {
    if (r.folderUnreadable) r.folderUnreadable();
    return -1;
  }
  // 5. A sub-folder level gives back its last advance (the caller advances
  // once more for the folder).
  if (*r.depth > 0 && result == 0) --count;
  return result;
}

}  // namespace flist
