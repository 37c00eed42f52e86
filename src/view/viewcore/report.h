// The view's one message routine (ReportMessage) as a decision over the
// view's state, so the window side only supplies the message box and the
// redraw.
//
// Codes: 1 the memory text (string 152), OK box, -1; 2 the caller's text,
// OK box, -1; 3 OK/Cancel question, the answer (1/2); 4 Yes/No question,
// the answer (6/7); 101 and above the memory text and " <code>", OK box, -1;
// 0, 5-100 and negative codes show nothing and give -1.
// Every report stores its text (without the number) in slot 146. With slot
// 145 exactly "nodisp" nothing is shown, slot 146 holds the last report's text
// and the result is 9. In external-run mode no box is opened either: string
// 351 (code 1) or 352 (any other code) becomes the view's text and the result
// is 0.
#pragma once

#include <cstdint>
#include <functional>

#include "csv/csv_buffer.h"
#include "fw/cstring.h"

namespace viewcore {

// Button sets of the box (the values of MB_OK, MB_OKCANCEL, MB_YESNO).
enum ReportButtons : unsigned { kButtonsOk = 0x0, kButtonsOkCancel = 0x1, kButtonsYesNo = 0x4 };

// Box answers (IDOK, IDCANCEL, IDYES, IDNO).
enum ReportAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// Result in "nodisp" mode.
constexpr int kReportCollected = 9;

// Texts of the string table used here.
constexpr unsigned kStrOutOfMemory = 152;
constexpr unsigned kStrExternalMemoryError = 351;
constexpr unsigned kStrExternalDataError = 352;

enum class ReportAction {
  kNone,          // nothing shown
  kCollect,       // "nodisp": nothing shown, the text goes to slot 146
  kMessageBox,    // a box with `shown` and `buttons`
  kExternalText,  // `shown` becomes the view's text, the view is redrawn
};

struct ReportDecision {
  ReportAction action = ReportAction::kNone;
  CString stored;                 // the report's text (slot 146)
  CString shown;                  // box text, or the view's text
  unsigned buttons = kButtonsOk;
  bool resultFromAnswer = false;  // codes 3 and 4: the box's answer is the result
  int result = -1;                // the result otherwise
};

// What a report of `code` with `text` does, given slot 145 and the document's
// external-run flag. Pure: reads only the string table.
ReportDecision DecideReport(int code, const CString& text, const CString& messageMode, bool externalRun);

// The fields ReportMessage reads and writes. `buffer` is the view's working
// buffer (m_pTextBuf from fw::Alloc, m_nWorkSize its capacity, m_nTextLen).
struct ReportState {
  CString& messageMode;   // slot 145 (m_strMessageMode)
  CString& lastResult;    // slot 146 (m_strLastResult)
  bool externalRun;       // the document's m_bExternalRun
  csv::CsvWorkBuffer& buffer;
};

// Shows a box and returns the button pressed (the window side calls
// AfxMessageBox, which asks the test hooks first).
using ReportAskFn = std::function<int(const CString& text, unsigned buttons)>;
// Redraws the view from its buffer: load state 99, OnUpdate(NULL, 0, NULL),
// load state 1.
using ReportUpdateFn = std::function<void()>;

// Carries out DecideReport on the view's state and returns the result.
// Collecting: slot 146 holds the last report's text only. External text: written to the start of the
// buffer, grown when it does not fit, always NUL-terminated, m_nTextLen set
// to its length. Without `ask` a question counts as Cancel / No.
int ReportMessage(ReportState& state, int code, const CString& text, const ReportAskFn& ask,
                  const ReportUpdateFn& updateView);

// Puts `text` at the start of `buffer` (growing it through fw::Realloc when
// needed), NUL-terminated, and sets m_nTextLen. When the buffer cannot grow,
// as much as fits is kept, cut before a double-byte character that would be
// split. Returns the bytes written (without the NUL).
std::uint32_t PutViewText(csv::CsvWorkBuffer& buffer, const CString& text);

}  // namespace viewcore
