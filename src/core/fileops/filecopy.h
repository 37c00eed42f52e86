// The one routine that places a copy of a file, and the path checks the
// copy and move commands make before they call it.
//
// PlaceFileCopy writes the data into a hidden temporary beside the
// destination ("." + name + ".~copy" in the destination's folder), gives it
// the source's last-write time and attributes (read-only, hidden, system,
// archive) as the system's own file copy does, and only then renames it
// over the destination. A failure or a stop removes the temporary, so the
// destination is either the old file, untouched, or absent; a temporary
// left by a killed process is removed by the next copy to the same
// destination. Every write, rename, attribute change and removal goes
// through the framework's file layer, so fw::filetest can fail any of them.
//
// The data goes through in pieces of kCopyPiece bytes: the source is never
// held in memory as a whole. Errors are the system's codes (Windows
// numbering on every platform; native errno values are translated).
#pragma once

#include <cstdint>
#include <climits>
#include <functional>
#include <string>

#include "fw/cstring.h"

namespace fileops {

// The system error codes the conflict questions read.
constexpr std::uint32_t kErrNone = 0;
constexpr std::uint32_t kErrNotFound = 2;        // the source is not there
constexpr std::uint32_t kErrPathNotFound = 3;    // a folder of the path is not there
constexpr std::uint32_t kErrAccessDenied = 5;    // read-only, busy or a folder in the way
constexpr std::uint32_t kErrSharing = 32;        // reported as kErrAccessDenied at the destination
constexpr std::uint32_t kErrDiskFull = 112;
constexpr std::uint32_t kErrFileExists = 80;     // fail-if-exists and the destination exists
constexpr std::uint32_t kErrSameFile = 87;       // source and destination are one file
constexpr std::uint32_t kErrInvalidName = 123;   // a name the system refuses (or a device)
constexpr std::uint32_t kErrPathTooLong = 206;
constexpr std::uint32_t kErrNetBroken = 59;      // a transfer ended short (an unexpected network error)

// Bytes per read and write.
constexpr std::uint32_t kCopyPiece = 8192;
// Progress is first reported once this many bytes are written...
constexpr std::uint64_t kProgressStart = 65536;
// ...and then every this many pieces.
constexpr int kProgressEvery = 101;
// The stop poll runs every this many pieces.
constexpr int kStopPollEvery = 100;

struct CopyFileOptions {
  // Fail with kErrFileExists when the destination exists.
  bool failIfExists = false;
  // Polled every kStopPollEvery pieces and after each progress report;
  // true stops the copy (the temporary is removed, nothing is placed).
  std::function<bool()> stop;
  // Bytes written so far and the source's length, reported once more than
  // kProgressStart bytes are written and then every kProgressEvery pieces
  // (the window shows " %d KB / %d KB  (Push ESC to Stop)   %s").
  std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

struct CopyFileResult {
  bool placed = false;             // the destination now holds the complete copy
  bool stopped = false;            // the stop poll ended it (placed is false)
  std::uint32_t error = kErrNone;  // the system's code when neither placed nor stopped
};

// Copies `source` to `destination` as above (program paths: Shift-JIS, "\"
// separators; network and "\\?\" paths alike). A destination that is a
// folder, read-only or busy gives kErrAccessDenied, a full disk
// kErrDiskFull; a destination name the system refuses kErrInvalidName; a
// destination that is the source itself (another spelling, the same file
// identity) kErrSameFile, before any other check, so no question follows.
CopyFileResult PlaceFileCopy(const CString& source, const CString& destination, const CopyFileOptions& options);

// The progress reports and stop polls of one copy, by piece: every
// kStopPollEvery pieces, and after each report (once more than
// kProgressStart bytes are done, every kProgressEvery pieces).
class CopyPacer {
 public:
  // `total` is the expected length (0 when unknown).
  CopyPacer(const CopyFileOptions& options, std::uint64_t total) : options_(options), total_(total) {}
  // Counts one piece of `count` bytes; false when the stop poll says stop,
  // or when the count would pass 64 bits (`*overflow` then true).
  bool Count(std::uint32_t count, bool* overflow = nullptr);
  std::uint64_t Done() const { return done_; }

 private:
  const CopyFileOptions& options_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  long chunks_ = 0;
  int sinceProgress_ = 0;
};

// The destination side of a copy whose data comes from elsewhere (an FTP
// download): the same checks, temporary, progress, stop and final rename as
// PlaceFileCopy. Open, Write the chunks, then Commit; anything else (a
// failed Write, a destruction before Commit) removes the temporary, so the
// destination is the old file or absent.
//
//   PlacedFileWriter w(destination, options, length);
//   if (w.Open()) { while (more) if (!w.Write(chunk, n)) break; ...; w.Commit(mtime, attributes); }
//   w.Result()
class PlacedFileWriter {
 public:
  // `total` is the expected length (progress; 0 when unknown).
  PlacedFileWriter(const CString& destination, const CopyFileOptions& options, std::uint64_t total);
  ~PlacedFileWriter();
  PlacedFileWriter(const PlacedFileWriter&) = delete;
  PlacedFileWriter& operator=(const PlacedFileWriter&) = delete;

  // The destination checks (a refused name, fail-if-exists, a folder or a
  // read-only file in the way) and the temporary; false with Result() set.
  // A caller that has just read the destination's attributes (0xFFFFFFFF:
  // none there) passes them, saving a second look-up.
  static constexpr std::uint32_t kLookUpDestination = 0xFFFFFFFEu;
  bool Open(std::uint32_t destinationAttributes = kLookUpDestination);
  // One chunk; false (temporary removed) after a write error or a stop.
  bool Write(const void* data, std::uint32_t count);
  // Gives the temporary the time (`mtime` seconds; kKeepWriteTime leaves
  // the time of writing) and attributes, and renames it over the destination.
  static constexpr std::int64_t kKeepWriteTime = INT64_MIN;
  bool Commit(std::int64_t mtime, std::uint32_t attributes);
  // Gives up: the temporary goes, Result() says `error`.
  void Fail(std::uint32_t error);
  std::uint64_t Written() const { return pacer_.Done(); }
  const CopyFileResult& Result() const { return result_; }

 private:
  struct Impl;
  void Abandon();
  CString destination_;
  CString temporary_;
  const CopyFileOptions& options_;
  CopyPacer pacer_;
  Impl* impl_ = nullptr;
  CopyFileResult result_;
};

// The temporary PlaceFileCopy uses for `destination`.
CString CopyTemporaryFor(const CString& destination);

// The system error code of a framework file exception (Windows numbering).
std::uint32_t SystemErrorOf(long osError);

// --- path checks ------------------------------------------------------------------

// The text after the last "\" or "/", whichever comes later (whole
// characters: a double-byte character ending in 0x5C is no separator); the
// whole path when there is neither.
CString GetPathLastName(const CString& path);

// True when `destination` is `source` itself or lies below it: ASCII case
// folded at character boundaries, and a "\" after the source, so "C:\Data"
// into "c:\data\x" is inside while "C:\a" into "C:\ab" is not.
bool IsSameOrInsideFolder(const CString& source, const CString& destination);

// True when the two paths spell the same text apart from ASCII case.
bool SamePathText(const CString& a, const CString& b);

// True when `a` and `b` name the same file or folder: the same text apart
// from ASCII case, or (both existing) the same file identity where the
// system gives one (volume and file index; device and inode natively).
bool SameFileOrFolder(const CString& a, const CString& b);

// True when a file of this name cannot be made as named: a character
// Windows refuses in a name (control characters, < > : " / \ | ? *), a
// trailing blank or dot, or a device name ("con", "con.txt", "lpt1.log",
// "nul", "conin$"...), "." and "..". `name` is one path component.
bool IsRefusedName(const CString& name);

// The parameters of the outside folder copier for a copy keeping folder
// dates: both paths quoted, then " /e /dcopy:t". A trailing "\" is dropped
// ("C:\" becomes "C:\."), so no "\" stands right before a closing quote.
CString RobocopyParameters(const CString& source, const CString& destination);

}  // namespace fileops
