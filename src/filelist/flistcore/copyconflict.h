// What happens after copying or moving one file was refused: the overwrite
// questions, the older-file question, the copy over the destination, the
// removal of a moved file's source and the messages. Portable: the plan
// decides and hands out one step at a time (a question as data, a copy
// attempt, a removal); the pane performs it and feeds the outcome back.
//
//   flist::ConflictPlan plan(input, state, texts);
//   for (flist::ConflictStep s = plan.Start(); s.kind != flist::ConflictStep::kDone;) {
//     if (s.kind == flist::ConflictStep::kAsk)       s = plan.Answer(MessageBox(s.message, s.caption, s.buttons));
//     else if (s.kind == flist::ConflictStep::kCopy) s = plan.Copied(CopyOneFile(src, dst, 0), GetLastError());
//     else                                           s = plan.Removed(RemoveFile(src) == 0);
//   }
//   return plan.Result();
//
// A copy stopped by the user (state.m_bCopyAbort set by the copy) counts as
// not placed: the result is 0 and a moved file's source stays.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace flist {

// The state of one running copy or move of a pane. The copy command calls
// StartCopy, the move command StartMove, before their first entry.
struct CopyRunState {
  int m_nOverwriteAll = 0;              // 0 not asked, 1 overwrite all, 2 ask for each file
  int m_nCopyStop = 0;                  // 0 go on, 1 stop (Cancel), 9 only newer sources from now on
  std::uint32_t m_bCopyAbort = 0;       // 1: Esc stopped the running copy
  std::int64_t m_tmFtpEntry = 0;        // time of the FTP entry in transfer (seconds), 0 none
  std::uint32_t m_nProtectedSkipped = 0;  // failures counted in quiet update mode
  std::uint32_t m_bQuietCopy = 0;       // 1: copying on the user's behalf, no questions, no reload

  void StartCopy() {
    m_nOverwriteAll = 0;
    m_nCopyStop = 0;
    m_bCopyAbort = 0;
  }
  void StartMove() { m_nCopyStop = 0; }
};

// The m_nCopyStop values.
constexpr int kCopyGoOn = 0;
constexpr int kCopyStopAll = 1;
constexpr int kCopyNewerOnly = 9;

// String-table ids of the texts the copy and move engine shows.
enum class CopyText : unsigned {
  kCannotPlace = 171,       // "%s に複写/移動出来ません"
  kCaptionFolderCopy = 172, // "フォルダ複写"
  kCaptionFolderMove = 174, // "フォルダ移動"
  kOverwriteAll = 175,      // "同名ファイルが有ります\n全て上書きしますか？"
  kCaptionFileCopy = 176,   // "ファイル複写"
  kOverwriteOne = 177,      // "%s\r\n を書き換えますか？"
  kDiskFull = 178,          // "容量オーバーです。複写/移動できません。"
  kWriteProtected = 179,    // "%s \nは書込み禁止又は他で使用中です。\n実行できません。"
  kCaptionFileMove = 180,   // "ファイル移動"
  kOlderFile = 181,         // "\n古いファイルに置き換えようとしていますがよろしいですか？"
  kSourceNotRemoved = 183,  // "移動元を消去出来ません"
  kTimeUnknown = 9691,      // "日時不明"
};

// Buttons and answers as the platform numbers them.
enum class CopyButtons { kOk, kOkCancel, kYesNoCancel };
constexpr int kCopyAnswerOk = 1;
constexpr int kCopyAnswerCancel = 2;
constexpr int kCopyAnswerYes = 6;
constexpr int kCopyAnswerNo = 7;

// What the plan knows of the failed attempt and the two files.
struct ConflictInput {
  std::string source;       // as the command passed it
  std::string destination;
  std::uint32_t error = 0;  // the system error of the failed copy or move
  int isMove = 0;
  int count = 0;            // files in the operation (an entry of a walk passes 2)
  bool sourceOnFtp = false; // the source lies on an FTP pseudo-drive
  int updateCopy = 0;       // the document's m_bUpdateCopy (quiet update mode)
  // Last-write times (seconds); the flags say whether they could be read.
  bool sourceTimeKnown = false;
  std::int64_t sourceTime = 0;
  bool destinationTimeKnown = false;
  std::int64_t destinationTime = 0;
};

// The text of a string-table id (the pane passes its string loader).
using CopyTextLoader = std::function<std::string(CopyText)>;

struct ConflictStep {
  enum Kind {
    kAsk,           // show `message` under `caption` with `buttons`; Answer() with the answer
    kCopy,          // copy source over destination (fail-if-exists clear); Copied()
    kRemoveSource,  // remove the moved file's source (file-removal primitive); Removed()
    kDone,          // Result() holds the result
  };
  Kind kind = kDone;
  CopyText text = CopyText::kCannotPlace;  // the question's or message's main text
  std::string message;                     // the whole text to show
  CopyText caption = CopyText::kCaptionFileCopy;
  CopyButtons buttons = CopyButtons::kOk;
};

// Results.
constexpr int kConflictNotPlaced = 0;
constexpr int kConflictMoved = 1;
constexpr int kConflictCopied = 2;

// The compare flag of the time rule: 1 when the source time + 3 seconds is
// later than the destination's, 2 when they are equal, 0 when the
// destination is newer by 3 seconds or more or a time is unknown.
int CompareCopyTimes(const ConflictInput& in, std::int64_t ftpEntryTime);

class ConflictPlan {
 public:
  ConflictPlan(const ConflictInput& input, CopyRunState& state, CopyTextLoader texts);

  ConflictStep Start();
  // The answer to the last kAsk (kCopyAnswerYes, ...).
  ConflictStep Answer(int answer);
  // The outcome of the last kCopy: `placed` true when the copy is complete;
  // else `error` is the system's code. A set state.m_bCopyAbort means the
  // user stopped it: not placed, whatever `placed` says.
  ConflictStep Copied(bool placed, std::uint32_t error);
  // The outcome of the last kRemoveSource.
  ConflictStep Removed(bool removed);

  int Result() const { return result_; }
  // The compare flag the plan works with (after Start).
  int TimeFlag() const { return flag_; }

 private:
  enum class Stage { kIdle, kOverwriteAll, kOverwriteOne, kCannotPlace, kOlder, kCopy, kCopyAgain, kFailMessage,
                     kRemove, kRemoveMessage, kDone };
  ConflictStep AfterOverwriteAll();
  ConflictStep OlderCheck();
  ConflictStep CopyStep();
  ConflictStep Finish(int result);
  ConflictStep Ask(Stage stage, CopyText text, std::string message, CopyButtons buttons);
  ConflictStep FailureMessage(std::uint32_t error);
  std::string Text(CopyText id) const;
  std::string WithPath(CopyText id, const std::string& path) const;

  ConflictInput in_;
  CopyRunState& state_;
  CopyTextLoader texts_;
  CopyText caption_ = CopyText::kCaptionFileCopy;
  Stage stage_ = Stage::kIdle;
  int flag_ = 0;
  int result_ = kConflictNotPlaced;
};

// What the driver needs of the pane.
class ConflictActions {
 public:
  virtual ~ConflictActions() = default;
  virtual int Ask(const ConflictStep& question) = 0;
  // Copies over the destination; true when placed, else *error is set.
  virtual bool Copy(std::uint32_t* error) = 0;
  virtual bool RemoveSource() = 0;
};

// Runs the plan to its end with `actions`; the result (kConflictNotPlaced,
// kConflictMoved, kConflictCopied).
int ResolveCopyConflict(const ConflictInput& input, CopyRunState& state, const CopyTextLoader& texts,
                        ConflictActions& actions);

// The older-file question's text of one time: "\n %m/%d '%y %H:%M\n\n" in
// local time, or "\n " + `unknown` + "\n\n" for an unreadable time.
std::string OlderFileTimeText(bool known, std::int64_t seconds, const std::string& unknown);

// Reads an entry's list time text (" %m/%d'%y %H:%M"; a two-digit year
// below 50 means 20YY, else 19YY; seconds 0; local time) into seconds.
// False, with *seconds 0, when the text is not such a time.
bool ParseListTimeText(const std::string& text, std::int64_t* seconds);

}  // namespace flist
