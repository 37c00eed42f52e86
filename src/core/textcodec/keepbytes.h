// Writing a file back byte for byte.
//
// A file does not always come back as it was when its Shift-JIS text is
// encoded again: broken sequences (a Shift-JIS lead byte without its second
// byte, stray UTF-8 bytes) and characters code page 932 lacks became "〓",
// and some encodings can say the same thing in more than one way (escape
// sequences, line widths of Base64). When the open finds such a difference it
// keeps what a save needs to write the file's bytes again:
//
//   line by line  the lines whose bytes an encode would not give back, each
//                 with its decoded text and line number, and a hash of every
//                 line of the text as read; a save aligns the text it writes
//                 with those lines (a line diff, linealign.h) and writes a kept
//                 line's bytes only on the line the diff pairs it with, so an
//                 edit elsewhere keeps them (the usual case) and no typed line
//                 or other line that reads the same ever takes them;
//   whole         the file's bytes and the decoded text's fingerprint, for
//                 encodings whose lines cannot be told apart (Base64, BinHex,
//                 a JIS text whose shift state runs across line ends): an
//                 unedited save writes the bytes read.
//
// What an edited line cannot give back is counted, so that the save can ask
// before losing it; so is a kept line the diff cannot place for certain (a
// line that reads the same inserted or deleted beside it, or lines that
// changed places), which is then written as its text encodes.
//
// The text a document gives back need not be the text the open decoded: a
// CSV table writes every 0x06 byte as a comma (0x06 is its field separator,
// csv/csv_fileform.h). Read as ReadBack::kCommaForSix, the open compares the
// file with that text, so a line holding a 0x06 is kept (its bytes as the
// file has them, its text as the table writes it back) and its 0x06 bytes
// count as lost once it is edited: an unedited save writes the file's bytes,
// an edited one asks first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/textcodec/textcodec.h"

namespace textcodec {

// How the document gives its text back to a save: as it was read, or with
// every 0x06 byte written as ',' (a CSV table's comma form).
enum class ReadBack { kAsRead, kCommaForSix };

struct KeptBytes {
  struct Line {
    std::size_t index;   // its line number in the text as read
    std::string text;    // the decoded line as read back (Shift-JIS, line end included)
    std::string bytes;   // the line as the file has it
    std::size_t lost;    // characters an encode of `text` would not give back (0x06 read back included)
    bool firstOnly;      // reads as `text` only at the start of a file (a UTF-8 mark the decode skips)
  };
  bool whole = false;
  // Whole: the file's bytes, the read-back text's length and fingerprint,
  // and the characters an edited save loses.
  std::string bytes;
  std::size_t textLength = 0;
  std::uint64_t textHash = 0;
  std::size_t wholeLost = 0;
  // Line by line: the kept lines in file order, and LineHash of every line
  // of the text as read back (8 bytes a line).
  std::vector<Line> lines;
  std::vector<std::uint64_t> lineHashes;
};

// Compares what an encode of `sjis` (the decoded text of `bytes`, read as
// `how` says), given back as `readBack` says, would write with the bytes;
// nullptr when they are the same, else what a save needs to write them
// again. With kCommaForSix a text without 0x06 costs one memchr more than
// kAsRead; one with 0x06 is copied once to read it back.
std::shared_ptr<const KeptBytes> KeepOriginalBytes(const void* bytes, std::size_t len, const DecodeResult& how,
                                                   const char* sjis, std::size_t sjisLen,
                                                   ReadBack readBack = ReadBack::kAsRead);

// Encodes `sjis` for a save over the file `origin` describes: the file's own
// bytes where its text is unchanged (origin.kept), the file's encoding
// elsewhere. *lost counts characters the written file does not hold: kept
// lines edited, deleted or not placed for certain, characters without a form
// in the encoding.
// Returns false with *error set when the text cannot be written in that
// encoding at all (BinHex).
bool EncodeForSave(const char* sjis, std::size_t len, const DecodeResult& origin, std::string* out,
                   std::size_t* lost, TextCodecError* error);

// The fingerprint KeptBytes::textHash holds (64-bit FNV-1a).
std::uint64_t TextFingerprint(const char* p, std::size_t n);

}  // namespace textcodec
