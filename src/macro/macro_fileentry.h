// The common entry of the load, save and join statements: the join
// operand's key text, the file dialog's filter, the reference time and the
// instance registration of a save whose operand ends in "@@". (The
// operand's backslashes are made single by MacroNormaliseBackslashes of
// macro_display_words.h.)
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/cstring.h"

namespace macro {

class MacroHost;
struct MacroState;

constexpr int kSlotDocPath = 115;      // F: the open document's path
constexpr int kSlotDocName = 126;      // the document name of the instance block
constexpr int kSlotInstanceMark = 127; // R: this instance's mark

// The offset of the first '|' outside brackets ("[...]", "(...)"), or -1.
// A join operand is the file before it and the key text after it.
int MacroFindJoinBar(const CString& operand);

// The open-file dialog's filter for the letter after the statement code:
// 'x' spreadsheets, 't' or 'b' text files, any other CSV files ('|' between
// the parts, as the framework's dialog takes them).
const char* MacroFileDialogFilter(char letter);

// True when the statement asks for its file: the operand is empty (unless
// `emptyAllowed`, the rich-text save) or holds "*.".
bool MacroWantsFileDialog(const CString& operand, bool emptyAllowed);

// The instance file in the macro folder and its layout: marks 1-99 in bytes
// 0-99 (the list ends at the first 0), the same list again from byte 128,
// and the path of mark m in the 256-byte block at m × 256.
constexpr const char* kInstanceFileName = "tabrymacro.tmp";
constexpr std::size_t kInstanceFileSize = 25600;
constexpr int kInstanceMarkMax = 99;

// Registers a new mark in `image` (kInstanceFileSize bytes): the smallest
// mark less one when the largest in use is above 99 and the smallest above
// 1, else the largest plus one. Writes it at the first free position and at
// 128 + that position, and `blockPath` (at most 255 bytes, the rest of the
// block zero) at mark × 256. Returns the mark, or 0 with the image
// unchanged when no mark 1-99 or no free position is left (the block of a
// mark of 100 would lie past the image).
int MacroRegisterInstance(std::uint8_t* image, std::size_t imageSize, const CString& blockPath);

// The file name part of `path` (after its last '\' or '/', or ':').
CString MacroFileNamePart(const CString& path);

// The statement's place in the family: its code ('L' load, 'S' save,
// 'J' join) and the letter after it ('\0' for none).
struct FileEntryRequest {
  char code = 'L';
  char letter = '\0';
  bool emptyAllowed = false;  // the rich-text save: no dialog for an empty operand
  bool noDialog = false;      // the file commands with 'k', 'l' or 'i'
  // The bytes a registering save writes into its instance macro file.
  const std::uint8_t* text = nullptr;
  std::uint32_t textLen = 0;
};

enum class FileEntryResult {
  kGo,          // *path (and *keyText of a join) ready for the statement
  kCancelled,   // the user cancelled the file dialog: F holds "@CANCEL"
  kRegistered,  // a save ending in "@@" registered this instance and wrote its file; the statement ends
  kWriteFailed, // the registering save could not write its file
};

// Steps of every load, save and join statement before its own work: the
// backslashes, the join operand's key text (after the first '|' outside
// brackets), the file dialog, the parameters, the reference time (every
// code but 'L': the file's modification time, nothing when it does not
// exist) and the instance registration of a "save" whose operand ends in
// "@@". Reads st.m_strStmtOperand.
FileEntryResult MacroFileEntry(MacroState& st, MacroHost& host, const FileEntryRequest& req, CString* path,
                               CString* keyText);

// Writes `n` bytes to `path`, created or cut to their length; false when
// the file cannot be written.
bool WriteWholeFile(const CString& path, const void* bytes, std::size_t n);

// The registration's file work: the instance file `instancePath` (made with
// kInstanceFileSize zero bytes when missing) gets a new mark for
// `docName` + "\" + the file name of `operand` + mark + ".rmc"; *macroPath
// is that name (in `macroDir` unless it is rooted, a network name or holds
// ':').
// Returns the mark, 0 when the file cannot be had or no mark is free (then
// *macroPath is `operand` as placed).
int MacroRegisterInstanceFile(const CString& instancePath, const CString& macroDir, const CString& docName,
                              const CString& operand, CString* macroPath);

}  // namespace macro
