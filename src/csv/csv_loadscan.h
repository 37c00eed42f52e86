// The one-pass load of a Shift-JIS CSV file: the Shift-JIS check and the
// working form (commas outside double quotes to 0x06, csv_fileform.h) done
// together, 64 bytes at a time, straight from the file's bytes into the
// table's buffer.
//
// The pass only takes files it gives exactly what the careful path gives
// (decode, then CommasToSeparators): clean Shift-JIS (every lead byte has
// its trail byte, so the decode copies every byte) without a 0x06 byte (the
// working form would turn one inside quotes into a comma, and the save of
// such a file keeps the bytes of its lines, which the careful path works
// out), without an ESC byte (0x1B: the open's detection then need not
// search the whole file for JIS escape sequences), without the in-cell
// break code bytes, and without a row that ends with a quote open (a line
// break inside a quoted cell, csv_cellbreaks.h). Anything else makes it
// give up, and the caller takes the careful path from the same bytes.
//
// Files of kThreadedBytes or more are cut after line ends into pieces of
// about kPieceBytes, handled on up to four threads: after a line end the
// quote state is "outside" and the next byte starts a character, so each
// piece is done on its own and the result is the one-thread result.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/docopen/textload.h"

namespace csv {

constexpr std::size_t kThreadedBytes = 4u << 20;
constexpr std::size_t kPieceBytes = 2u << 20;
constexpr int kMaxLoadThreads = 4;

// One piece that starts at a line start (or the file's start): `n` bytes of
// `src` to `dst` in working form. False when the bytes are not clean
// Shift-JIS, hold a 0x06, 0x1B or a code byte, or end a row with a quote
// open (dst then holds nothing of use).
bool SjisPieceToWorkingForm(const std::uint8_t* src, std::size_t n, std::uint8_t* dst);
// The same as a byte loop (the Shift-JIS check, a search for 0x06 and 0x1B, then
// CommasToSeparatorsBytewise): the reference the tests compare with.
bool SjisPieceToWorkingFormBytewise(const std::uint8_t* src, std::size_t n, std::uint8_t* dst);

// End of the piece that starts at `pos`: just after the first LF at or past
// pos + piece, or `n`.
std::size_t LoadPieceEnd(const std::uint8_t* src, std::size_t n, std::size_t pos, std::size_t piece);

// What a pass has finished, for a reader that follows it one piece behind
// (the index): the bytes from the start up to the first piece not yet done.
// Pieces end after a LF (or at the end of the file).
class PassWatch {
 public:
  // Reader: blocks until more than `need` bytes from the start are final,
  // or all are; *ready gets how many are. False when the pass gave up.
  bool Wait(std::uint64_t need, std::uint32_t* ready);

  // Pass: its pieces start at starts[0..k-1], the last ends at starts[k].
  void Begin(std::vector<std::size_t> starts);
  void Done(std::size_t piece);
  // The pass ended; `ok`: every piece was done.
  void Finish(bool ok);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::size_t> starts_;
  std::vector<bool> done_;
  std::size_t prefix_ = 0;  // pieces done from the start
  std::size_t ready_ = 0;   // bytes of those pieces
  bool ended_ = false, failed_ = false;
};

// The whole file in pieces of `piece` bytes (0: kPieceBytes) on up to
// `threads` threads (0: one thread below kThreadedBytes, else up to
// kMaxLoadThreads as the machine has cores). False as for one piece.
// When the file is cut, the calling thread calls `progress` after each piece
// it finished, with the bytes finished so far; when that asks to stop, the
// pass stops (false, *stopped set). With `watch`, the pass reports its
// pieces there as they are done, and always ends it.
bool SjisToWorkingForm(const std::uint8_t* src, std::size_t n, std::uint8_t* dst, int threads = 0,
                       std::size_t piece = 0, const docopen::LoadProgress* progress = nullptr,
                       bool* stopped = nullptr, PassWatch* watch = nullptr);

// The CSV file text of a working form made by the pass above (every 0x06
// back to a comma), `n` bytes of `src` to `dst` (may be `src`).
void WorkingFormToFileText(const std::uint8_t* src, std::size_t n, std::uint8_t* dst);

}  // namespace csv
