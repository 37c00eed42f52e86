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

std::string Cut(const std::string& s) {
  std::string t(s.c_str());
  if (t.size() > static_cast<std::size_t>(kRecordText)) t.resize(kRecordText);
  return t;
}

// Text after the last "." of a file name ("" without one).
std::string ExtensionOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
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
    std::string display = fe.name;
    if (display.size() > 4 && display.compare(0, 4, crypto::kStoredNameMarker) == 0)
      display = crypto::TranslateEncryptedName(display, 1, r.encryptKeyCode);
    const std::int64_t t = fe.mtime >= 0 && fe.mtime < kTimeLimit ? fe.mtime : 0;
    const bool isFolder = (fe.attributes & fileops::kAttrFolder) != 0;
    if (!isFolder && r.conditions.any) {
      const std::string match(static_cast<const char*>(MakeLowerSjis(CString(display.c_str()))));
      if (!FilePasses(r.conditions, match, fe.size, t)) return true;
    }
    // 5. Store.
    {
      WorkEntry& e = Slot(r, count);
      e = WorkEntry();
      e.name = Cut(display);
      e.folder = Cut(r.relFolder);
      if (!isFolder) e.ext = Cut(ExtensionOf(display));
      e.time = static_cast<std::uint32_t>(t);
      e.attributes = fe.attributes;
    }
    if (isFolder) {
      // 6. A folder: size -1, walked in a multi-folder listing.
      const std::string rel = r.relFolder.empty() ? fe.name : r.relFolder + "\\" + fe.name;
      const std::string full = r.listFolder + "\\" + rel;
      const unsigned d = r.displayMode % 10;
      bool enterable = true;
      if (r.listFolder == "C:" && (d == 0 || d == 6)) {
        const std::string back = host.CurrentDir();
        enterable = fileops::ChangeDirectory(host, full, r.ftpList, r.listSource) >= 0;
        fileops::ChangeDirectory(host, back, r.ftpList, r.listSource);
        if (!enterable) Slot(r, count).name = Cut("|" + display);
      }
      Slot(r, count).size = kSizeNone;
      Slot(r, count).sizeHigh = 0;
      // Junctions and symbolic links are listed, never entered (a link may
      // lead back up the tree).
      const bool reparse = (fe.attributes & fileops::kAttrReparse) != 0;
      if (r.walkSubfolders && !reparse && fileops::ChangeDirectory(host, full, r.ftpList, r.listSource) >= 0) {
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
