// The operations through which the file list, the macro statements and the
// converters change the file system: remove a folder, remove a file (after a
// dated backup copy), delete an entry with the user's questions, delete a
// whole tree, add up the size of a tree, and make a folder.
//
// They are free functions over a FileOpsHost, which carries what they need
// of the document: the folder source and the process's current directory,
// the tree counters, the Esc poll, the main window's title, the questions
// (message boxes the test hooks answer), the stored form of an enciphered
// name and the backup copy. The local branches are built here; the FTP
// branches plug in through the host later.
//
// Every path the deleting walks build is absolute (the folder path, "\" and
// the entry name): the walks enter folders and go back with ".." as they
// always have, but never depend on the current directory. Every removal,
// attribute change and folder creation goes through the framework's file
// layer, so fw::filetest can fail it in tests.
#pragma once

#include <cstdint>
#include <functional>

#include "core/docsvc/backup.h"
#include "core/fileops/folderhost.h"
#include "fw/cstring.h"

namespace fileops {

// Results.
constexpr int kDone = 0;
constexpr int kFailed = -1;       // not removed / cannot be entered or read
constexpr int kStopped = -2;      // GetDirectoryTreeSize: Esc confirmed
constexpr int kFtpUnlisted = -2;  // DeleteDirectoryTree: an FTP folder that lists nothing

// The arguments' values.
constexpr int kModeAsk = 0;        // a non-empty folder is deleted only after question 189
constexpr int kModeForce = 1;      // a read-only file is made writable and removed
constexpr int kModeSkip = 2;       // do nothing at all
constexpr int kConfirmAll = 0;     // ask question 190 before each file
constexpr int kConfirmEach = 2;    // ask question 166 about each file by name
constexpr int kConfirmNone = 1;    // any other value: no question

// Deepest level of a local size walk: a branch that goes deeper is summed
// down to this level only.
constexpr int kMaxTreeDepth = 30;

// The texts the primitives show; the values are the string-table ids.
enum class Text : unsigned {
  kFolderOpenFailed = 145,     // "フォルダを開くことができません" (title)
  kDeleteOne = 166,            // "%s を消去しますか？"
  kCannotDelete = 170,         // "%s を消去出来ません"
  kEmptyFtpFolder = 188,       // "空のフォルダです" (title)
  kDeleteFolderQuery = 189,    // "フォルダ\" %s を消去してよろしいですか？"
  kDeleteAllFilesQuery = 190,  // "ファイルを全て消去しますか？"
  // "バックアップを作成できません。\nバックアップなしで %s を消去しますか？"
  kDeleteWithoutBackup = 9690,
};

// The buttons of a question and the answers (the platform's numbers).
enum class Buttons { kOk, kOkCancel, kYesNoCancel, kYesNoDefaultNo };
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// The document's FTP site as the primitives use it: its one connection, one
// current folder and one search at a time. Paths are pseudo-drive paths
// ("Y:\pub\a.txt"); names and server paths are Shift-JIS.
class FtpSite {
 public:
  virtual ~FtpSite() = default;
  // The connection is open (m_bFtpConnected).
  virtual bool Connected() = 0;
  // Connects the site of a path (GetFtpDriveNo2): 0 connected, -1 no entry
  // or host not reached, -2 login refused.
  virtual int Connect(const CString& path) = 0;
  // Closes the connection (CloseInternetSession).
  virtual void Close() = 0;
  // 1-3 when the path lies on FTP pseudo-drive 1-3, else 0.
  virtual int DriveNo(const CString& path) = 0;
  // Maps the path (the modes of docsvc::MapFtpDrivePath) and moves the
  // connection's current folder; `refused` tells that the server refused
  // the folder (or the site could not be reached), "/" being current then.
  virtual CString Map(const CString& path, int mode, bool* refused) = 0;
  // Lists the current folder (every name, never from a cache) until `each`
  // returns false; false when the search finds nothing.
  virtual bool List(const std::function<bool(const FolderEntry&)>& each) = 0;
  virtual bool RemoveServerFolder(const CString& serverPath) = 0;
  virtual bool RemoveServerFile(const CString& name) = 0;
  virtual bool MakeServerFolder(const CString& name) = 0;
  // Sends a local file to the current folder under `name` (binary).
  virtual bool PutServerFile(const CString& local, const CString& name) = 0;
  // Renames an entry of the current folder.
  virtual bool RenameOnServer(const CString& from, const CString& to) = 0;
  virtual bool SetServerFolder(const CString& serverPath) = 0;
  // The entry `name` of the current folder as the server lists it (a
  // search of that one name); false when the server lists none.
  virtual bool Lookup(const CString& name, FolderEntry* entry) {
    (void)name;
    (void)entry;
    return false;
  }
  // Reads the server file `name` of the current folder (binary), handing
  // each chunk to `sink` (false from it stops the read); true when the end
  // was reached without a read error.
  virtual bool ReadServerFile(const CString& name,
                              const std::function<bool(const char* data, std::uint32_t count)>& sink) {
    (void)name;
    (void)sink;
    return false;
  }
  // Writes the server file `name` of the current folder (binary) from
  // `source`, which fills up to `capacity` bytes and returns how many, 0 at
  // the end, or -1 to break the transfer off (the server keeps what it got).
  // True when the source's end was reached and every byte sent.
  virtual bool WriteServerFile(const CString& name,
                               const std::function<int(char* buffer, std::uint32_t capacity)>& source) {
    (void)name;
    (void)source;
    return false;
  }
  // The site's own scratch copy of a pseudo-drive path (the document's
  // WriteTempFile): the local path, "" when the transfer broke.
  virtual CString ScratchCopy(const CString& path) {
    (void)path;
    return CString();
  }
  // Sets the last-write time of a file of the current folder (seconds,
  // as the server keeps them: UTC); false where the server cannot.
  virtual bool SetServerFileTime(const CString& name, std::int64_t seconds) {
    (void)name;
    (void)seconds;
    return false;
  }
  // The system's code of the last failed call of the site (0 when unknown).
  virtual std::uint32_t LastError() { return 0; }
};

// Sub-folders an FTP walk keeps of one folder (the search must be closed
// before a sub-folder is entered, so they wait in a list).
constexpr int kFtpSubfolderLimit = 100;

class FileOpsHost {
 public:
  virtual ~FileOpsHost() = default;

  // The document's FTP site; null where there is none.
  virtual FtpSite* Ftp() { return nullptr; }

  // Where the walks read folders and which is the current directory.
  virtual FolderHost& Folders() = 0;

  // The tree counters GetDirectoryTreeSize adds to; callers zero them
  // before a top-level call.
  virtual std::int32_t& TreeDepth() = 0;
  virtual std::int32_t& TreeFiles() = 0;
  virtual std::uint64_t& TreeBytes() = 0;

  // True when the user pressed Esc and confirmed stopping.
  virtual bool EscapeConfirmed() = 0;
  // Sets the main window's title to a text of the table.
  virtual void SetTitle(Text text) = 0;
  // Shows `text` ("%s" replaced by `path`) with `buttons`; returns the
  // answer (kAnswerOk, ...). An OK box returns kAnswerOk.
  virtual int Ask(Text text, const CString& path, Buttons buttons) = 0;

  // The enciphering key code of the document.
  virtual CString KeyCode() = 0;
  // The stored form of a path whose name may be shown enciphered (mode 0
  // of the name translation); "" when it cannot be translated. By default
  // the name cipher with KeyCode().
  virtual CString StoredName(const CString& path);

  // The program folder (its "\TMP\BACKUP" holds the backup copies).
  virtual CString ProgramDir() = 0;
  // The dated backup copy of a file about to be removed. By default
  // docsvc::MakeBackup with the framework clock's local date.
  virtual docsvc::BackupResult Backup(const CString& path);
};

// Enters a folder: 1 when `skip` is not 0; on an FTP path (connected,
// `useFtp` 1, on a site) the site's folder, -1 when the server refuses it;
// else the local branch of the folder host.
int ChangeDirectory(FileOpsHost& host, const CString& path, int useFtp, int skip);

// Removes an empty folder (a junction or symbolic link to a folder: the link
// itself). 0 removed, -1 not.
int RemoveFolder(FileOpsHost& host, const CString& path, int useFtp);

// Removes a file after its dated backup copy: mode 2 returns 0 and does
// nothing; mode 1 makes a read-only file writable when the first removal
// fails. When the backup cannot be made and `quiet` is 0, the user is asked
// (No by default) whether to remove it without one; No keeps the file (-1,
// no further message). 0 removed, -1 not.
int RemoveFile(FileOpsHost& host, const CString& path, int mode, int useFtp, int quiet = 0);

// Deletes a file or a folder (with everything below it) with the questions
// that `mode`, `confirm` and `quiet` call for.
void DeleteEntry(FileOpsHost& host, const CString& path, int isFolder, int mode, int confirm, int quiet, int useFtp,
                 int limit);

// Deletes everything below a folder, reading at most `limit` entries of each
// folder ("." and ".." counted). A junction or symbolic link is never
// entered. 0 done, -1 the folder cannot be entered or read (or is a link).
int DeleteDirectoryTree(FileOpsHost& host, const CString& folder, int mode, int confirm, int quiet, int useFtp,
                        int limit);

// Adds the files of a tree to the host's counters (64-bit lengths). 0 done,
// -1 the folder cannot be entered or read, -2 stopped with Esc.
int GetDirectoryTreeSize(FileOpsHost& host, const CString& folder, int useFtp);

// Makes a folder (the local branch; `flag` selects the FTP test of the FTP
// branch). 0 made, -1 failed.
int MakeFolder(FileOpsHost& host, const CString& path, int flag);

// The attribute bits of a file or folder as the system reports them
// (kAttrReparse for a junction or a symbolic link, not followed); 0xFFFFFFFF
// when there is none.
std::uint32_t EntryAttributes(const CString& path);

// The dated backup of a file for today's local date (the framework clock).
docsvc::BackupResult BackupForToday(const CString& path, const CString& programDir);

}  // namespace fileops

namespace fileops {

// folder + "\" + name, without doubling the separator of a root ("C:\").
// The separator test looks at whole characters: "表" ends in the byte 0x5C.
CString JoinEntryPath(const CString& folder, const std::string& name);

// "." and "..", which the walks never enter.
inline bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }


// The document's host while the document exists (null before and after):
// the file list and the macro statements call the primitives with it.
inline FileOpsHost* g_pDocFileOps = nullptr;

}  // namespace fileops
