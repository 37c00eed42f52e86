#include "view/viewcore/report.h"

#include <cstring>
#include <limits>
#include <string>

#include "fw/alloc.h"
#include "fw/sjis.h"
#include "fw/strtable.h"

namespace viewcore {
namespace {

CString TableText(unsigned id) {
  std::string s;
  fw::LookupString(id, s);
  return CString(std::move(s));
}

bool IsQuestion(int code) { return code == 3 || code == 4; }
bool ShowsMemoryText(int code) { return code == 1 || code > 100; }
bool ShowsBox(int code) { return code == 1 || code == 2 || code > 100 || IsQuestion(code); }

// Bytes of `text` that fit in `room` without splitting a double-byte character.
std::uint32_t FittingBytes(const CString& text, std::uint32_t room) {
  const char* p = text.GetString();
  const int len = text.GetLength();
  std::uint32_t used = 0;
  int pos = 0;
  while (pos < len) {
    const int n = fw::SjisCharLength(p, len, pos);
    if (used + static_cast<std::uint32_t>(n) > room) break;
    used += static_cast<std::uint32_t>(n);
    pos += n;
  }
  return used;
}

}  // namespace

ReportDecision DecideReport(int code, const CString& text, const CString& messageMode, bool externalRun) {
  ReportDecision d;
  CString suffix;
  if (code > 100) suffix.Format(" %d", code);
  d.stored = ShowsMemoryText(code) ? TableText(kStrOutOfMemory) : text;

  // Exactly "nodisp": no case folding, no trimming.
  if (messageMode == "nodisp") {
    d.action = ReportAction::kCollect;
    d.result = kReportCollected;
    return d;
  }
  if (externalRun) {
    d.action = ReportAction::kExternalText;
    d.shown = TableText(code == 1 ? kStrExternalMemoryError : kStrExternalDataError);
    d.result = 0;
    return d;
  }
  if (!ShowsBox(code)) return d;  // nothing shown, -1
  d.action = ReportAction::kMessageBox;
  d.shown = d.stored + suffix;
  if (code == 3) {
    d.buttons = kButtonsOkCancel;
    d.resultFromAnswer = true;
  } else if (code == 4) {
    d.buttons = kButtonsYesNo;
    d.resultFromAnswer = true;
  }
  return d;
}

std::uint32_t PutViewText(csv::CsvWorkBuffer& buffer, const CString& text) {
  const std::size_t len = static_cast<std::size_t>(text.GetLength());
  if (len >= std::numeric_limits<std::uint32_t>::max()) return 0;  // cannot be described by the view
  const std::uint32_t need = static_cast<std::uint32_t>(len) + 1;
  if (buffer.m_pTextBuf == nullptr || buffer.m_nWorkSize < need) {
    void* grown = fw::Realloc(buffer.m_pTextBuf, need);
    if (grown != nullptr) {
      buffer.m_pTextBuf = static_cast<std::uint8_t*>(grown);
      buffer.m_nWorkSize = need;
    }
  }
  if (buffer.m_pTextBuf == nullptr || buffer.m_nWorkSize == 0) {
    buffer.m_nTextLen = 0;
    return 0;
  }
  const std::uint32_t n = FittingBytes(text, buffer.m_nWorkSize - 1);
  std::memcpy(buffer.m_pTextBuf, text.GetString(), n);
  buffer.m_pTextBuf[n] = 0;
  buffer.m_nTextLen = n;
  return n;
}

int ReportMessage(ReportState& state, int code, const CString& text, const ReportAskFn& ask,
                  const ReportUpdateFn& updateView) {
  const ReportDecision d = DecideReport(code, text, state.messageMode, state.externalRun);
  switch (d.action) {
    case ReportAction::kCollect:
      // The last report only: a looping macro would otherwise grow the slot
      // without limit, and a dialog answer in it would be buried.
      state.lastResult = d.stored;
      return d.result;
    case ReportAction::kExternalText:
      state.lastResult = d.stored;
      PutViewText(state.buffer, d.shown);
      if (updateView) updateView();
      return d.result;
    case ReportAction::kMessageBox: {
      state.lastResult = d.stored;
      int answer = -1;
      if (ask) {
        answer = ask(d.shown, d.buttons);
      } else if (d.resultFromAnswer) {
        answer = d.buttons == kButtonsYesNo ? kAnswerNo : kAnswerCancel;
      }
      return d.resultFromAnswer ? answer : d.result;
    }
    case ReportAction::kNone:
      break;
  }
  state.lastResult = d.stored;
  return d.result;
}

}  // namespace viewcore
