// The conflict plan after a refused copy or move: one table over the
// errors, counts, earlier answers, stop states, time flags and quiet update
// mode, with the questions asked in order and the result; then the texts
// and the list time text.
#include "filelist/flistcore/copyconflict.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "fw/datetime.h"

namespace flist {
namespace {

constexpr int Y = kCopyAnswerYes, N = kCopyAnswerNo, C = kCopyAnswerCancel, OK = kCopyAnswerOk;

std::string LoadText(CopyText id) {
  switch (id) {
    case CopyText::kCannotPlace: return "%s に複写/移動出来ません";
    case CopyText::kOverwriteOne: return "%s\r\n を書き換えますか？";
    case CopyText::kWriteProtected: return "%s \nは書込み禁止又は他で使用中です。\n実行できません。";
    case CopyText::kOlderFile: return "\n古いファイルに置き換えようとしていますがよろしいですか？";
    case CopyText::kTimeUnknown: return "日時不明";
    default: return "<" + std::to_string(static_cast<unsigned>(id)) + ">";
  }
}

struct Copy {
  bool placed;
  std::uint32_t error;
};
const Copy kOk{true, 0};
Copy Fail(std::uint32_t e) { return Copy{false, e}; }

// The pane as the tests play it: scripted answers and copy outcomes.
class Pane : public ConflictActions {
 public:
  int Ask(const ConflictStep& q) override {
    asked.push_back(static_cast<unsigned>(q.text));
    messages.push_back(q.message);
    captions.push_back(q.caption);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question " << static_cast<unsigned>(q.text);
      return kCopyAnswerCancel;
    }
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  bool Copy(std::uint32_t* error) override {
    ++copies;
    if (abortInCopy) {
      // Esc during the copy: the copy reports success as the old routine did.
      state->m_bCopyAbort = 1;
      return true;
    }
    if (outcomes.empty()) {
      ADD_FAILURE() << "unexpected copy";
      *error = 31;
      return false;
    }
    const flist::Copy c = outcomes.front();
    outcomes.pop_front();
    *error = c.error;
    return c.placed;
  }
  bool RemoveSource() override {
    ++removals;
    return removeOk;
  }

  CopyRunState* state = nullptr;
  std::deque<int> answers;
  std::deque<flist::Copy> outcomes;
  bool removeOk = true;
  bool abortInCopy = false;
  std::vector<unsigned> asked;
  std::vector<std::string> messages;
  std::vector<CopyText> captions;
  int copies = 0, removals = 0;
};

// Time relations: the destination's time against a source of 1000 s.
enum TimeRel { kDestNewer3 = 0, kDestNewer2 = 1, kEqual = 2, kUnknown = 3 };

struct Row {
  const char* what;
  std::uint32_t error;
  int count, isMove, update, overwriteAll, stop;
  TimeRel time;
  std::vector<int> answers;
  std::vector<Copy> outcomes;
  // Expected:
  std::vector<unsigned> asked;
  int copies, removals, result, overwriteAllAfter, stopAfter;
  unsigned skippedAfter = 0;
  bool removeOk = true, abortInCopy = false;
};

ConflictInput InputOf(const Row& r) {
  ConflictInput in;
  in.source = "C:\\src\\a.txt";
  in.destination = "D:\\dst\\a.txt";
  in.error = r.error;
  in.isMove = r.isMove;
  in.count = r.count;
  in.updateCopy = r.update;
  in.sourceTimeKnown = r.time != kUnknown;
  in.sourceTime = 1000;
  in.destinationTimeKnown = true;
  in.destinationTime = r.time == kDestNewer3 ? 1003 : r.time == kDestNewer2 ? 1002 : 1000;
  return in;
}

TEST(CopyConflictPlan, EveryRowOfTheSteps) {
  const std::vector<Row> rows = {
      // Step 5, one file: the per-file question.
      {"80, one file, Yes, newer", 80, 1, 0, 0, 0, 0, kDestNewer2, {Y}, {kOk}, {177}, 1, 0, 2, 0, 0},
      {"80, one file, No", 80, 1, 0, 0, 0, 0, kDestNewer2, {N}, {}, {177}, 0, 0, 0, 0, 0},
      {"80, one file, Cancel", 80, 1, 0, 0, 0, 0, kDestNewer2, {C}, {}, {177}, 0, 0, 0, 0, 1},
      {"5, one file, Yes, equal times", 5, 1, 0, 0, 0, 0, kEqual, {Y}, {kOk}, {177}, 1, 0, 2, 0, 0},
      // Step 4, two files: the overwrite-all question first.
      {"80, two, all Yes", 80, 2, 0, 0, 0, 0, kEqual, {Y}, {kOk}, {175}, 1, 0, 2, 1, 0},
      {"80, two, all No then Yes", 80, 2, 0, 0, 0, 0, kEqual, {N, Y}, {kOk}, {175, 177}, 1, 0, 2, 2, 0},
      {"80, two, all No then No", 80, 2, 0, 0, 0, 0, kEqual, {N, N}, {}, {175, 177}, 0, 0, 0, 2, 0},
      {"80, two, all Cancel", 80, 2, 0, 0, 0, 0, kEqual, {C, OK}, {}, {175, 171}, 0, 0, 0, 0, 1},
      {"5, two, all Yes: write-protected is not overwritten", 5, 2, 0, 0, 0, 0, kEqual, {Y, OK}, {}, {175, 171}, 0,
       0, 0, 1, 0},
      {"80, two, answered before (all)", 80, 2, 0, 0, 1, 0, kDestNewer2, {}, {kOk}, {}, 1, 0, 2, 1, 0},
      {"80, two, answered before (each)", 80, 2, 0, 0, 2, 0, kDestNewer2, {Y}, {kOk}, {177}, 1, 0, 2, 2, 0},
      // Stop states.
      {"80, stop 1: cannot place", 80, 1, 0, 0, 0, 1, kEqual, {OK}, {}, {171}, 0, 0, 0, 0, 1},
      {"80, all, stop 1: cannot place, Cancel", 80, 1, 0, 0, 1, 1, kEqual, {C}, {}, {171}, 0, 0, 0, 1, 1},
      {"80, stop 9, newer source: asked, copied", 80, 1, 0, 0, 0, 9, kDestNewer2, {Y}, {kOk}, {177}, 1, 0, 2, 0, 9},
      {"80, stop 9, older source: skipped silently", 80, 1, 0, 0, 0, 9, kDestNewer3, {}, {}, {}, 0, 0, 0, 0, 9},
      {"80, stop 9, equal: skipped silently", 80, 1, 0, 0, 0, 9, kEqual, {}, {}, {}, 0, 0, 0, 0, 9},
      {"80, all, stop 9, newer: copied", 80, 2, 0, 0, 1, 9, kDestNewer2, {}, {kOk}, {}, 1, 0, 2, 1, 9},
      {"80, all, stop 9, older: not copied", 80, 2, 0, 0, 1, 9, kDestNewer3, {}, {}, {}, 0, 0, 0, 1, 9},
      // Step 6: the older-file question.
      {"older, Yes", 80, 1, 0, 0, 0, 0, kDestNewer3, {Y, Y}, {kOk}, {177, 181}, 1, 0, 2, 0, 0},
      {"older, No", 80, 1, 0, 0, 0, 0, kDestNewer3, {Y, N}, {}, {177, 181}, 0, 0, 0, 0, 9},
      {"older, Cancel", 80, 1, 0, 0, 0, 0, kDestNewer3, {Y, C}, {}, {177, 181}, 0, 0, 0, 0, 1},
      {"unknown time asks the older question", 80, 1, 0, 0, 0, 0, kUnknown, {Y, Y}, {kOk}, {177, 181}, 1, 0, 2, 0, 0},
      {"all, older: asked", 80, 2, 0, 0, 1, 0, kDestNewer3, {Y}, {kOk}, {181}, 1, 0, 2, 1, 0},
      // Other errors are no conflict.
      {"112 before copying", 112, 1, 0, 0, 0, 0, kEqual, {OK}, {}, {171}, 0, 0, 0, 0, 0},
      {"2 before copying, Cancel", 2, 2, 0, 0, 0, 0, kEqual, {C}, {}, {171}, 0, 0, 0, 0, 1},
      {"0 before copying", 0, 2, 0, 0, 1, 0, kEqual, {OK}, {}, {171}, 0, 0, 0, 1, 0},
      // Step 7: the copy's failures.
      {"copy full disk", 80, 1, 0, 0, 0, 0, kEqual, {Y, OK}, {Fail(112)}, {177, 178}, 1, 0, 0, 0, 0},
      {"copy write-protected, Cancel", 80, 1, 0, 0, 0, 0, kEqual, {Y, C}, {Fail(5)}, {177, 179}, 1, 0, 0, 0, 1},
      {"copy other error twice", 80, 1, 0, 0, 0, 0, kEqual, {Y, OK}, {Fail(2), Fail(2)}, {177, 171}, 2, 0, 0, 0, 0},
      {"copy other error, second attempt placed", 80, 1, 0, 0, 0, 0, kEqual, {Y}, {Fail(31), kOk}, {177}, 2, 0, 2, 0,
       0},
      {"copy error 0 twice: no message", 80, 1, 0, 0, 0, 0, kEqual, {Y}, {Fail(0), Fail(0)}, {177}, 2, 0, 0, 0, 0},
      // Quiet update mode (copies only).
      {"update, newer: copied silently", 80, 2, 0, 1, 0, 0, kDestNewer2, {}, {kOk}, {}, 1, 0, 2, 0, 0},
      {"update, equal: skipped", 5, 2, 0, 1, 0, 0, kEqual, {}, {}, {}, 0, 0, 0, 0, 0},
      {"update, older: skipped", 80, 2, 0, 1, 0, 0, kDestNewer3, {}, {}, {}, 0, 0, 0, 0, 0},
      {"update, unknown time: skipped", 80, 2, 0, 1, 0, 0, kUnknown, {}, {}, {}, 0, 0, 0, 0, 0},
      {"update, copy refused: counted", 80, 2, 0, 1, 0, 0, kDestNewer2, {}, {Fail(5)}, {}, 1, 0, 0, 0, 0, 1},
      {"update, copy fails twice: counted", 80, 2, 0, 1, 0, 0, kDestNewer2, {}, {Fail(2), Fail(2)}, {}, 2, 0, 0, 0, 0,
       1},
      {"update, other error: reported", 2, 2, 0, 1, 0, 0, kDestNewer2, {OK}, {}, {171}, 0, 0, 0, 0, 0},
      {"update mode does not quiet a move", 80, 1, 1, 1, 0, 0, kDestNewer3, {Y, Y}, {kOk}, {177, 181}, 1, 1, 1, 0, 0},
      // Moves: the source goes only after a complete copy.
      {"move, placed, removed", 80, 1, 1, 0, 0, 0, kEqual, {Y}, {kOk}, {177}, 1, 1, 1, 0, 0},
      {"move, source not removed", 80, 1, 1, 0, 0, 0, kEqual, {Y, OK}, {kOk}, {177, 183}, 1, 1, 0, 0, 0, 0, false},
      {"move, copy refused keeps source", 80, 1, 1, 0, 0, 0, kEqual, {Y, OK}, {Fail(112)}, {177, 178}, 1, 0, 0, 0,
       0},
      {"move, second attempt placed: copied, source kept", 80, 1, 1, 0, 0, 0, kEqual, {Y}, {Fail(31), kOk}, {177}, 2, 0,
       2, 0, 0},
      {"move, stopped during the copy keeps source", 80, 1, 1, 0, 0, 0, kEqual, {Y}, {}, {177}, 1, 0, 0, 0, 0, 0, true,
       true},
      {"copy, stopped during the copy", 80, 2, 0, 0, 1, 0, kEqual, {}, {}, {}, 1, 0, 0, 1, 0, 0, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    CopyRunState state;
    state.m_nOverwriteAll = r.overwriteAll;
    state.m_nCopyStop = r.stop;
    state.m_tmFtpEntry = 77;  // not an FTP source: cleared
    Pane pane;
    pane.state = &state;
    pane.answers.assign(r.answers.begin(), r.answers.end());
    pane.outcomes.assign(r.outcomes.begin(), r.outcomes.end());
    pane.removeOk = r.removeOk;
    pane.abortInCopy = r.abortInCopy;
    const int result = ResolveCopyConflict(InputOf(r), state, LoadText, pane);
    EXPECT_EQ(pane.asked, r.asked);
    EXPECT_EQ(pane.copies, r.copies);
    EXPECT_EQ(pane.removals, r.removals);
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(state.m_nOverwriteAll, r.overwriteAllAfter);
    EXPECT_EQ(state.m_nCopyStop, r.stopAfter);
    EXPECT_EQ(state.m_nProtectedSkipped, r.skippedAfter);
    EXPECT_EQ(state.m_tmFtpEntry, 0);
    EXPECT_TRUE(pane.answers.empty());
    for (CopyText c : pane.captions)
      EXPECT_EQ(c, r.isMove ? CopyText::kCaptionFileMove : CopyText::kCaptionFileCopy);
  }
}

TEST(CopyConflictPlan, TimeFlagKeepsTheThreeSecondRule) {
  ConflictInput in;
  in.sourceTimeKnown = in.destinationTimeKnown = true;
  in.sourceTime = 1000;
  for (const auto& [dst, flag] : std::vector<std::pair<std::int64_t, int>>{
           {1000, 2}, {999, 1}, {1001, 1}, {1002, 1}, {1003, 0}, {5000, 0}, {-5, 1}}) {
    in.destinationTime = dst;
    EXPECT_EQ(CompareCopyTimes(in, 0), flag) << dst;
  }
  // The FTP entry's time stands for the source's.
  in.sourceTimeKnown = false;
  in.destinationTime = 2000;
  EXPECT_EQ(CompareCopyTimes(in, 0), 0);
  EXPECT_EQ(CompareCopyTimes(in, 2000), 2);
  in.destinationTimeKnown = false;
  EXPECT_EQ(CompareCopyTimes(in, 2000), 0);
  // No overflow at the ends of the range.
  in.destinationTimeKnown = in.sourceTimeKnown = true;
  in.sourceTime = INT64_MAX;
  in.destinationTime = INT64_MIN;
  EXPECT_EQ(CompareCopyTimes(in, 0), 1);
  in.sourceTime = INT64_MIN;
  in.destinationTime = INT64_MAX;
  EXPECT_EQ(CompareCopyTimes(in, 0), 0);
}

TEST(CopyConflictPlan, FtpSourceKeepsItsEntryTime) {
  ConflictInput in;
  in.source = "Y:\\pub\\a.txt";
  in.destination = "C:\\a.txt";
  in.error = 80;
  in.count = 1;
  in.sourceOnFtp = true;
  in.destinationTimeKnown = true;
  in.destinationTime = 1000;
  CopyRunState state;
  state.m_tmFtpEntry = 1000;
  ConflictPlan plan(in, state, LoadText);
  ConflictStep s = plan.Start();
  EXPECT_EQ(plan.TimeFlag(), 2);
  EXPECT_EQ(state.m_tmFtpEntry, 1000);
  ASSERT_EQ(s.kind, ConflictStep::kAsk);
  EXPECT_EQ(s.message, "C:\\a.txt\r\n を書き換えますか？");
  EXPECT_EQ(s.buttons, CopyButtons::kYesNoCancel);
  s = plan.Answer(Y);
  EXPECT_EQ(s.kind, ConflictStep::kCopy);
  s = plan.Copied(true, 0);
  EXPECT_EQ(s.kind, ConflictStep::kDone);
  EXPECT_EQ(plan.Result(), kConflictCopied);
}

TEST(CopyConflictPlan, MessagesCarryPathsTimesAndCodes) {
  // TZ=Asia/Tokyo: 1600000000 is 2020-09-13 21:26:40 local.
  EXPECT_EQ(OlderFileTimeText(true, 1600000000, "?"), "\n 09/13 '20 21:26\n\n");
  EXPECT_EQ(OlderFileTimeText(true, INT64_MAX - 20, "?"), "\n ?\n\n");
  EXPECT_EQ(OlderFileTimeText(false, 1600000000, "日時不明"), "\n 日時不明\n\n");

  ConflictInput in;
  in.source = "C:\\s\\a.txt";
  in.destination = "C:\\d\\a.txt";
  in.error = 80;
  in.count = 1;
  in.destinationTimeKnown = true;
  in.destinationTime = 1600000000;
  CopyRunState state;
  ConflictPlan plan(in, state, LoadText);
  plan.Start();
  const ConflictStep older = plan.Answer(Y);
  ASSERT_EQ(older.kind, ConflictStep::kAsk);
  EXPECT_EQ(older.message,
            "C:\\d\\a.txt\n 09/13 '20 21:26\n\nC:\\s\\a.txt\n 日時不明\n\n"
            "\n古いファイルに置き換えようとしていますがよろしいですか？");
  plan.Answer(Y);
  const ConflictStep first = plan.Copied(false, 1450);
  EXPECT_EQ(first.kind, ConflictStep::kCopy);  // the second attempt
  const ConflictStep msg = plan.Copied(false, 1450);
  ASSERT_EQ(msg.kind, ConflictStep::kAsk);
  EXPECT_EQ(msg.message, "C:\\d\\a.txt に複写/移動出来ません (1450)");
  EXPECT_EQ(msg.buttons, CopyButtons::kOkCancel);
  // A "%" in a path is text, never a directive.
  ConflictInput pct = in;
  pct.destination = "C:\\%s%d\\a.txt";
  pct.error = 5;
  CopyRunState st2;
  ConflictPlan p2(pct, st2, LoadText);
  EXPECT_EQ(p2.Start().message, "C:\\%s%d\\a.txt\r\n を書き換えますか？");
}

TEST(ListTimeText, ReadsTheListFormWithTheTwoDigitYearRule) {
  std::int64_t t = 1;
  ASSERT_TRUE(ParseListTimeText(" 09/13'20 21:26", &t));
  EXPECT_EQ(t, 1600000000 - 40);
  ASSERT_TRUE(ParseListTimeText(" 01/01'49 00:00", &t));
  EXPECT_EQ(CTime(t).Format("%Y"), "2049");
  ASSERT_TRUE(ParseListTimeText(" 12/31'50 23:59", &t));
  EXPECT_EQ(CTime(t).Format("%Y/%m/%d %H:%M:%S"), "1950/12/31 23:59:00");
  ASSERT_TRUE(ParseListTimeText(" 02/29'24 10:00", &t));
  for (const char* bad : {"", " ", " 13/01'20 10:00", " 00/01'20 10:00", " 02/30'24 10:00", " 02/29'23 10:00",
                          " 01/01'2 10:00", " 01/01'2020 10:00", " 01/01'20 24:00", " 01/01'20 10:60",
                          " 01/01'20 10:00x", " 01/01 20 10:00", "<DIR>", " 01/01'20"}) {
    EXPECT_FALSE(ParseListTimeText(bad, &t)) << bad;
    EXPECT_EQ(t, 0) << bad;
  }
}

}  // namespace
}  // namespace flist
