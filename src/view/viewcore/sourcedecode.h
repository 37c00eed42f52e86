// The undo's read of a table's source file: the file's bytes decoded the way
// its open decoded them, so the table comes back as the open gave it (a
// UTF-8 file as its Shift-JIS text, not as raw bytes).
#pragma once

#include <string>

namespace viewcore {

// The encoding a file was read in, as the textcodec::TextEncoding number the
// document keeps (DocOpenFields::m_openEncoding.encoding).
struct SourceEncoding {
  int encoding = 0;
};

// True when bytes read in `encoding` are not the table's text as they are
// (any encoding but Shift-JIS).
bool NeedsDecoding(int encoding);

// The decode step of ReadSelectSnapshot: `ctx` is a SourceEncoding. False
// when the bytes do not decode (a damaged container).
bool DecodeSourceFile(const std::string& bytes, std::string* text, void* ctx);

}  // namespace viewcore
