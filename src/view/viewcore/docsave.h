// The portable half of the view's WriteDocument: the file text of a view's
// content by kind, written through SafeWriteFile.
//
//   CSV (kinds 33, 35)  the working buffer in comma form (csv/csv_fileform.h)
//   kind 9 / mode 3     the working buffer or document text in TAB form
//   text                Shift-JIS text in the file's own encoding
//                       (textcodec::EncodeForSave with what the open found)
//
// Rich text is serialised by the control; the window side writes its bytes
// with SafeWriteFile and then runs ConvertRtfPageMarksFile (pagemarks.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/textcodec/textcodec.h"
#include "core/safewrite/safewrite.h"

namespace viewcore {

// Whether a text edited in the control is written back with LF line ends:
// only a text that had line ends and all of them LF alone. Every other text
// (CR LF, none at all, a new document) is written with CR LF.
bool KeepsLfLineEnds(const char* text, std::size_t len);

// Writes the working buffer (`len` bytes, 0x06 separators) as the file text
// of `fileKind` (comma form for 33 and 35, TAB form otherwise). `origin`,
// when given, is how the file was read: the text is then encoded back into
// that encoding; nullptr writes the Shift-JIS bytes. In-cell break codes
// are written as line ends unless `codesAreData` (the table's flag).
SaveResult SaveCsvBuffer(const CString& path, const std::uint8_t* buf, std::size_t len, int fileKind,
                         const textcodec::DecodeResult* origin, const SafeWriteOptions& options,
                         bool codesAreData = false);

// Writes Shift-JIS text in the encoding the file was read in (`origin`;
// nullptr = Shift-JIS as it is): the file's own bytes where its text is
// unchanged (textcodec::EncodeForSave). A text that would lose characters
// asks options.confirmLoss first; No gives kNotConfirmed and writes nothing.
// A text that cannot be encoded at all (an edited BinHex file) fails with
// kEncodeFailed and writes nothing.
SaveResult SaveSjisText(const CString& path, const char* sjis, std::size_t len,
                        const textcodec::DecodeResult* origin, const SafeWriteOptions& options);

}  // namespace viewcore
