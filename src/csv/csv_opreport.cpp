// The failure table of the table operations.
#include "csv/csv_opreport.h"

namespace csv {
namespace {

struct FailureText {
  int failure;
  const char* text;
};

constexpr FailureText kTexts[] = {
    {kRewriteTooLarge, "Too many row allocation"},
    {kInsertUnknownMode, "Row insertion: unknown mode"},
};

}  // namespace

const char* OpFailureText(int failure) {
  for (const FailureText& f : kTexts) {
    if (f.failure == failure) return f.text;
  }
  return nullptr;
}

int ReportOpFailure(OpHost* host, int failure) {
  if (failure == kOpOk || host == nullptr) return failure;
  const char* text = OpFailureText(failure);
  if (text) {
    host->ReportMessage(2, CString(text));
  } else {
    host->ReportMessage(failure, CString());
  }
  return failure;
}

}  // namespace csv
