// Failure convention of the archive codec: every check throws one
// ArchiveError carrying a three-digit code ("001" ... "069") that the entry
// points show unchanged. The codes and their texts live in one table
// (arc_error.cpp); ErrorText() looks a code up.
#pragma once

#include <exception>

namespace arc {

class ArchiveError : public std::exception {
 public:
  // code: a three-digit code from the table; unknown codes keep their digits
  // and get an empty text.
  explicit ArchiveError(const char* code) noexcept;
  const char* Code() const noexcept { return code_; }
  const char* Text() const noexcept { return text_; }
  const char* what() const noexcept override { return code_; }

 private:
  char code_[4];
  const char* text_;
};

// Throws ArchiveError(code).
[[noreturn]] void Fail(const char* code);

// The table's text of a code ("" when the code is not in the table).
const char* ErrorText(const char* code) noexcept;

// Number of entries in the code table and access by index (for tests and
// documentation generators).
int ErrorCount() noexcept;
const char* ErrorCodeAt(int i) noexcept;

}  // namespace arc
