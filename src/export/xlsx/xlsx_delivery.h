// The delivery of a zipped package: its bytes replace the target through the
// safe writer (a new file beside the target that then takes its name, no
// backup), so a failed delivery never leaves a half-written target. A target
// that cannot be replaced asks whether to make it writable (string 329);
// on Yes its read-only attribute is cleared and the write tried again, and a
// second failure shows string 179.
#pragma once

#include <string>

#include "fw/cstring.h"

namespace xlsx {

class XlsxRunHost;

enum class XlsxDelivery {
  kDone,
  kNoPackage,   // the package file could not be read
  kDeclined,    // No to the question
  kFailed,      // Yes, and the second write failed too
};

// Copies the file `package` to `target`.
XlsxDelivery XlsxDeliverPackage(const CString& package, const CString& target, XlsxRunHost& host);
// The same with the bytes in hand (pattern mode's filled template).
XlsxDelivery XlsxDeliverBytes(const std::string& bytes, const CString& target, XlsxRunHost& host);

}  // namespace xlsx
