// Page marks in a saved rich-text file turned into rich-text page breaks.
// Two converters, both rewriting in place at the same length:
//
// RtfConvertPageMarks (after the macro interpreter writes rich text):
//   "~~\par" becomes " \page"; "~~\pard" becomes " \page " (the 'd' a blank).
//
// ConvertRtfPageMarks (after the view writes rich text):
//   a page mark is a blank and "~~"; when "\par" or "\pard" begins no further
//   than 38 bytes after the blank, the mark's three bytes become "~`", the
//   bytes up to the backslash move left by one, "\par" becomes "\page" and a
//   'd' after it a blank ("x ~~ab\par" -> "x~`ab\page"); when "\page" is
//   there first, the mark only becomes " ~`"; otherwise it stays.
//
// Only the control words par, pard and page count: a longer word that starts
// with the same letters ("\pararsid", "\pagebb") is no match, so it is never
// cut. The scan ends at the length or at the first NUL byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/cstring.h"

namespace viewcore {

// Both return the number of marks changed.
int RtfConvertPageMarks(std::uint8_t* buf, std::size_t len);
int ConvertRtfPageMarks(std::uint8_t* buf, std::size_t len);

struct PageMarkFileResult {
  bool ok = false;
  bool notRichText = false;  // the path is no rich-text file: nothing done (ok)
  int converted = 0;
  CString message;           // on failure: string 237, "\nfile = " and the path
};

// The file forms: only for paths of kind 4; the file is read whole, converted
// and, when a mark changed, written back over the same length.
PageMarkFileResult RtfConvertPageMarksFile(const CString& path);
PageMarkFileResult ConvertRtfPageMarksFile(const CString& path);

}  // namespace viewcore
