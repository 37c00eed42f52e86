// The walk of the list's delete command over the marked entries: the
// questions, the order of the removals and the records of what went. The
// pane supplies the questions (message boxes) and the file-system
// operations; the walk decides. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "filelist/flistcore/entries.h"

namespace flist {

// The delete flags of a pane (kept with its list state between commands).
struct DeleteFlags {
  std::uint32_t m_bAskNone = 0;   // 1: the tree deletion asks nothing more
  std::uint32_t m_bConfirmed = 0; // 1: every marked entry may go, no question per file
  std::uint32_t m_bStaging = 0;   // 1 while the compress command's staging folder is in use
};

// Prefixes written before the name of a removed entry.
constexpr const char* kDeletedFolderPrefix = "[Deleted] : ";
constexpr const char* kDeletedFilePrefix = "<Deleted> : ";

// String-table ids of the delete command's texts.
enum class DeleteText : unsigned {
  kDeleteMarked = 164,      // "%dヶの選択ファイルを一括消去しますか？"
  kCaptionFile = 165,       // "ファイル消去"
  kDeleteOne = 166,         // "%s を消去しますか？"
  kDeleteFolderAll = 167,   // "フォルダ %s 内のファイルを\r\n書込み禁止ファイルも含め全て消去してよろしいですか？"
  kCaptionFolder = 168,     // "フォルダ消去"
  kSomeNotDeleted = 169,    // "消去できないファイルがあります"
  kCannotDelete = 170,      // "%s を消去出来ません"
};

// Buttons and answers as the platform numbers them.
enum class DeleteButtons { kOk, kOkCancel, kYesNoCancel };
constexpr int kDeleteAnswerOk = 1;
constexpr int kDeleteAnswerCancel = 2;
constexpr int kDeleteAnswerYes = 6;
constexpr int kDeleteAnswerNo = 7;

// What the walk needs of the pane.
class DeleteSteps {
 public:
  virtual ~DeleteSteps() = default;
  // Shows `text` ("%s" = name, "%d" = count) under `caption`; the answer.
  virtual int Ask(DeleteText text, DeleteText caption, DeleteButtons buttons, const std::string& name, int count) = 0;
  // The full path of entry `index` as listed.
  virtual std::string EntryPath(int index) = 0;
  // The primitives: 0 removed (done), -1 not.
  virtual int RemoveFolder(const std::string& path) = 0;
  virtual int RemoveFile(const std::string& path, int mode) = 0;
  virtual int DeleteTree(const std::string& path, int mode, int confirm, int quiet, int limit) = 0;
};

// What a walk did.
struct DeleteOutcome {
  int asked = 0;      // questions shown
  int removed = 0;    // entries whose records now carry a prefix
  bool ended = false; // Cancel stopped it before the last marked entry
};

// True when record text `name` already says that its entry went.
bool IsDeletedRecord(const std::string& name);

// The delete walk over `t`'s marked slots (all m_nCapacity of them): the
// count question, then per entry the questions and removals; a removed
// entry's name record gets its prefix. The flags are the pane's (ask-none
// cleared at the start, confirmed set by the answers). Entries that carry a
// prefix already are skipped: their names are no longer on disk.
DeleteOutcome RunDelete(EntryTable& t, DeleteFlags& flags, DeleteSteps& steps);

}  // namespace flist
