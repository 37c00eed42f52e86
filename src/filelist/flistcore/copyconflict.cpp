#include "filelist/flistcore/copyconflict.h"

#include <cstdio>
#include <utility>

#include "fw/datetime.h"

namespace flist {

namespace {

bool IsConflictError(std::uint32_t e) { return e == 80 || e == 5; }

// The time the source is judged by: the FTP entry's when there is one.
bool SourceTime(const ConflictInput& in, std::int64_t ftp, std::int64_t* t) {
  if (ftp != 0) {
    *t = ftp;
    return true;
  }
  *t = in.sourceTime;
  return in.sourceTimeKnown;
}

// First "%s" of `text` replaced by `value` (no other directive is read).
std::string ReplacePercentS(const std::string& text, const std::string& value) {
  const std::size_t at = text.find("%s");
  if (at == std::string::npos) return text;
  return text.substr(0, at) + value + text.substr(at + 2);
}

}  // namespace

int CompareCopyTimes(const ConflictInput& in, std::int64_t ftpEntryTime) {
  std::int64_t src = 0;
  if (!SourceTime(in, ftpEntryTime, &src) || !in.destinationTimeKnown) return 0;
  const std::int64_t dst = in.destinationTime;
  if (src == dst) return 2;
  // src + 3 > dst, without overflowing at either end.
  if (src > dst) return 1;
  const std::uint64_t gap = static_cast<std::uint64_t>(dst) - static_cast<std::uint64_t>(src);
  return gap < 3 ? 1 : 0;
}

ConflictPlan::ConflictPlan(const ConflictInput& input, CopyRunState& state, CopyTextLoader texts)
    : in_(input), state_(state), texts_(std::move(texts)) {}

std::string ConflictPlan::Text(CopyText id) const { return texts_ ? texts_(id) : std::string(); }

std::string ConflictPlan::WithPath(CopyText id, const std::string& path) const {
  return ReplacePercentS(Text(id), path);
}

ConflictStep ConflictPlan::Ask(Stage stage, CopyText text, std::string message, CopyButtons buttons) {
  stage_ = stage;
  ConflictStep s;
  s.kind = ConflictStep::kAsk;
  s.text = text;
  s.message = std::move(message);
  s.caption = caption_;
  s.buttons = buttons;
  return s;
}

ConflictStep ConflictPlan::Finish(int result) {
  stage_ = Stage::kDone;
  result_ = result;
  return ConflictStep{};
}

ConflictStep ConflictPlan::Start() {
  if (stage_ != Stage::kIdle) return Finish(result_);
  result_ = kConflictNotPlaced;
  if (!in_.sourceOnFtp) state_.m_tmFtpEntry = 0;
  flag_ = CompareCopyTimes(in_, state_.m_tmFtpEntry);
  caption_ = in_.isMove ? CopyText::kCaptionFileMove : CopyText::kCaptionFileCopy;
  // Quiet update mode: a conflicting destination is replaced only by a
  // newer source, without a question.
  if (!in_.isMove && in_.updateCopy && IsConflictError(in_.error)) {
    if (flag_ == 1) return OlderCheck();
    return Finish(kConflictNotPlaced);
  }
  if (state_.m_nOverwriteAll == 0 && in_.count > 1 && IsConflictError(in_.error))
    return Ask(Stage::kOverwriteAll, CopyText::kOverwriteAll, Text(CopyText::kOverwriteAll),
               CopyButtons::kYesNoCancel);
  return AfterOverwriteAll();
}

ConflictStep ConflictPlan::AfterOverwriteAll() {
  const bool going = state_.m_nCopyStop == kCopyGoOn || state_.m_nCopyStop == kCopyNewerOnly;
  if (state_.m_nOverwriteAll != 1) {
    // After No to the older-file question only newer sources are copied:
    // the others are skipped without a question.
    if (state_.m_nCopyStop == kCopyNewerOnly && flag_ != 1 && IsConflictError(in_.error))
      return Finish(kConflictNotPlaced);
    if (going && IsConflictError(in_.error))
      return Ask(Stage::kOverwriteOne, CopyText::kOverwriteOne, WithPath(CopyText::kOverwriteOne, in_.destination),
                 CopyButtons::kYesNoCancel);
  } else if (going && in_.error == 80) {
    return OlderCheck();
  }
  return Ask(Stage::kCannotPlace, CopyText::kCannotPlace, WithPath(CopyText::kCannotPlace, in_.destination),
             CopyButtons::kOkCancel);
}

ConflictStep ConflictPlan::OlderCheck() {
  // Asked once: after its No (newer-only) an older source is not copied.
  if (state_.m_nCopyStop == kCopyGoOn && flag_ == 0) {
    const std::string unknown = Text(CopyText::kTimeUnknown);
    std::int64_t src = 0;
    const bool srcKnown = SourceTime(in_, state_.m_tmFtpEntry, &src);
    std::string message = in_.destination;
    message += OlderFileTimeText(in_.destinationTimeKnown, in_.destinationTime, unknown);
    message += in_.source;
    message += OlderFileTimeText(srcKnown, src, unknown);
    message += Text(CopyText::kOlderFile);
    return Ask(Stage::kOlder, CopyText::kOlderFile, std::move(message), CopyButtons::kYesNoCancel);
  }
  return CopyStep();
}

ConflictStep ConflictPlan::CopyStep() {
  if (state_.m_nCopyStop == kCopyGoOn || (state_.m_nCopyStop == kCopyNewerOnly && flag_ == 1)) {
    stage_ = Stage::kCopy;
    ConflictStep s;
    s.kind = ConflictStep::kCopy;
    s.caption = caption_;
    return s;
  }
  return Finish(kConflictNotPlaced);
}

ConflictStep ConflictPlan::Answer(int answer) {
  const Stage asked = stage_;
  switch (asked) {
    case Stage::kOverwriteAll:
      if (answer == kCopyAnswerYes) state_.m_nOverwriteAll = 1;
      else if (answer == kCopyAnswerNo) state_.m_nOverwriteAll = 2;
      else state_.m_nCopyStop = kCopyStopAll;
      return AfterOverwriteAll();
    case Stage::kOverwriteOne:
      if (answer == kCopyAnswerYes) return OlderCheck();
      if (answer != kCopyAnswerNo) state_.m_nCopyStop = kCopyStopAll;
      return Finish(kConflictNotPlaced);
    case Stage::kOlder:
      if (answer == kCopyAnswerYes) return CopyStep();
      state_.m_nCopyStop = answer == kCopyAnswerNo ? kCopyNewerOnly : kCopyStopAll;
      return Finish(kConflictNotPlaced);
    case Stage::kCannotPlace:
    case Stage::kFailMessage:
      if (answer == kCopyAnswerCancel) state_.m_nCopyStop = kCopyStopAll;
      return Finish(kConflictNotPlaced);
    case Stage::kRemoveMessage:
      return Finish(kConflictNotPlaced);
    default:
      return Finish(result_);
  }
}

ConflictStep ConflictPlan::FailureMessage(std::uint32_t error) {
  const bool quiet = !in_.isMove && in_.updateCopy;
  if (quiet) {
    ++state_.m_nProtectedSkipped;
    return Finish(kConflictNotPlaced);
  }
  CopyText text = CopyText::kCannotPlace;
  std::string message;
  if (error == 112) {
    text = CopyText::kDiskFull;
    message = Text(text);
  } else if (error == 5) {
    text = CopyText::kWriteProtected;
    message = WithPath(text, in_.destination);
  } else {
    char code[32];
    std::snprintf(code, sizeof code, " (%u)", static_cast<unsigned>(error));
    message = WithPath(text, in_.destination) + code;
  }
  return Ask(Stage::kFailMessage, text, std::move(message), CopyButtons::kOkCancel);
}

ConflictStep ConflictPlan::Copied(bool placed, std::uint32_t error) {
  if (stage_ != Stage::kCopy && stage_ != Stage::kCopyAgain) return Finish(result_);
  const bool second = stage_ == Stage::kCopyAgain;
  // A copy the user stopped placed nothing, whatever its result said.
  if (state_.m_bCopyAbort) return Finish(kConflictNotPlaced);
  if (placed) {
    if (second) return Finish(kConflictCopied);
    if (!in_.isMove) return Finish(kConflictCopied);
    stage_ = Stage::kRemove;
    ConflictStep s;
    s.kind = ConflictStep::kRemoveSource;
    s.caption = caption_;
    return s;
  }
  if (!second && error != 112 && error != 5) {
    stage_ = Stage::kCopyAgain;
    ConflictStep s;
    s.kind = ConflictStep::kCopy;
    s.caption = caption_;
    return s;
  }
  if (error == 0) return Finish(kConflictNotPlaced);
  return FailureMessage(error);
}

ConflictStep ConflictPlan::Removed(bool removed) {
  if (stage_ != Stage::kRemove) return Finish(result_);
  if (removed) return Finish(kConflictMoved);
  return Ask(Stage::kRemoveMessage, CopyText::kSourceNotRemoved, Text(CopyText::kSourceNotRemoved), CopyButtons::kOk);
}

int ResolveCopyConflict(const ConflictInput& input, CopyRunState& state, const CopyTextLoader& texts,
                        ConflictActions& actions) {
  ConflictPlan plan(input, state, texts);
  ConflictStep s = plan.Start();
  // Each step moves the plan forward; no plan takes more than a handful.
  for (int guard = 0; s.kind != ConflictStep::kDone && guard < 16; ++guard) {
    if (s.kind == ConflictStep::kAsk) {
      s = plan.Answer(actions.Ask(s));
    } else if (s.kind == ConflictStep::kCopy) {
      std::uint32_t error = 0;
      const bool placed = actions.Copy(&error);
      s = plan.Copied(placed, placed ? 0 : error);
    } else {
      s = plan.Removed(actions.RemoveSource());
    }
  }
  return plan.Result();
}

std::string OlderFileTimeText(bool known, std::int64_t seconds, const std::string& unknown) {
  // Beyond the year 9999 (either way) a time is no date the system keeps.
  constexpr std::int64_t kLatest = 253402300799;  // 9999-12-31 23:59:59 UTC
  if (!known || seconds > kLatest || seconds < -kLatest) return "\n " + unknown + "\n\n";
  const CString text = CTime(seconds).Format("\n %m/%d '%y %H:%M\n\n");
  return std::string(text.GetString(), static_cast<std::size_t>(text.GetLength()));
}

namespace {

// Reads 1-2 (or exactly `exact`) digits at `i`; -1 when there are none.
int Digits(const std::string& t, std::size_t& i, int maxDigits, bool exact) {
  int value = 0, n = 0;
  while (i < t.size() && n < maxDigits && t[i] >= '0' && t[i] <= '9') {
    value = value * 10 + (t[i] - '0');
    ++i;
    ++n;
  }
  if (n == 0 || (exact && n != maxDigits)) return -1;
  return value;
}

bool Expect(const std::string& t, std::size_t& i, char c) {
  if (i >= t.size() || t[i] != c) return false;
  ++i;
  return true;
}

int DaysIn(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

}  // namespace

bool ParseListTimeText(const std::string& text, std::int64_t* seconds) {
  *seconds = 0;
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const int month = Digits(text, i, 2, false);
  if (month < 0 || !Expect(text, i, '/')) return false;
  const int day = Digits(text, i, 2, false);
  if (day < 0 || !Expect(text, i, '\'')) return false;
  const int yy = Digits(text, i, 2, true);
  if (yy < 0 || !Expect(text, i, ' ')) return false;
  while (i < text.size() && text[i] == ' ') ++i;
  const int hour = Digits(text, i, 2, false);
  if (hour < 0 || !Expect(text, i, ':')) return false;
  const int minute = Digits(text, i, 2, false);
  if (minute < 0) return false;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size()) return false;
  const int year = yy < 50 ? 2000 + yy : 1900 + yy;
  if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, month) || hour > 23 || minute > 59) return false;
  const std::int64_t t = fw::MakeLocalTime(year, month, day, hour, minute, 0, -1);
  if (t == -1) return false;
  *seconds = t;
  return true;
}

}  // namespace flist
