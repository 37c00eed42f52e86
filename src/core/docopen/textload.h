// Reading a text file's bytes (usually a memory-mapped view) into the
// document's Shift-JIS text buffer.
//
// Encodings whose line ends are plain LF bytes that no multi-byte sequence
// contains (Shift-JIS, UTF-8, EUC-JP) are decoded piece by piece, each piece
// ending after an LF, straight into the growing result buffer: the file is
// copied once, whatever its size. The others (UTF-16, ISO-2022-JP with its
// shift state, Base64, BinHex) are decoded whole by textcodec and copied.
// The result is byte for byte what textcodec::DecodeTextToSjis gives; in
// addition info.kept holds what a save needs to write the file's bytes again
// (textcodec/keepbytes.h), for the text as the document gives it back
// (`readBack`: kCommaForSix for a text shown as a CSV table).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/textcodec/keepbytes.h"
#include "core/textcodec/textcodec.h"

namespace docopen {

struct TextLoad {
  char* text = nullptr;           // fw::Alloc block, NUL after `length`; the caller owns it
  std::uint32_t length = 0;       // bytes of text
  std::uint32_t capacity = 0;     // bytes of the block (>= length + 1 + margin)
  textcodec::DecodeResult info;   // how the bytes were read (its `text` stays empty)
  bool outOfMemory = false;       // no buffer could be had (nothing returned)
  bool tooLarge = false;          // the text would not fit the 32-bit lengths
  bool stopped = false;           // the progress poll asked to stop (nothing returned)
};

// Called after each decoded piece with the bytes read so far; returning true
// stops the load (the caller keeps what it had: nothing is returned).
struct LoadProgress {
  bool (*poll)(void* context, std::size_t done, std::size_t total) = nullptr;
  void* context = nullptr;
};

// Pieces of this size (cut after the next LF) for the piecewise decoders.
constexpr std::size_t kDecodePiece = 1u << 20;

// Decodes `len` bytes with `hint` (kAuto: detect) into out->text with
// `margin` spare bytes after the NUL. Returns false when no text was made
// (out of memory, too large); a damaged container still returns true with
// out->info.error set and what could be decoded, as DecodeTextToSjis does.
bool LoadTextToSjis(const std::uint8_t* bytes, std::size_t len, textcodec::TextEncoding hint,
                    std::uint32_t margin, TextLoad* out, std::size_t piece = kDecodePiece,
                    const LoadProgress* progress = nullptr,
                    textcodec::ReadBack readBack = textcodec::ReadBack::kAsRead);

// True for the encodings decoded piece by piece.
bool DecodesInPieces(textcodec::TextEncoding e);

}  // namespace docopen
