// File kinds by extension (the document's m_nFileKind).
#pragma once

#include "fw/cstring.h"

namespace docsvc {

enum FileKindCode {
  kKindPresentation = 1,  // .ppt .obd .pot
  kKindWord = 2,          // .doc
  kKindExcel = 3,         // .xls
  kKindRichText = 4,      // .rtf .rtz rtzx
  kKindArchive = 5,       // .lzh .zip
  kKindHtml = 6,          // .htm html
  kKindProgram = 8,       // .exe .dll
  kKindText = 9,
  kKindTxf = 10,
  kKindPdf = 11,
  kKindBmp = 12,
  kKindJpeg = 13,
  kKindPng = 14,
  kKindGif = 15,
  kKindTiff = 16,
  kKindPictExt0 = 17,     // 17-21: the five picture extensions of the settings
  kKindBmz = 22,
  kKindWmf = 27,
  kKindEmf = 28,
  kKindMail = 32,
  kKindCsv = 33,
  kKindXml = 34,
  kKindCommaTable = 35,   // set by code only
  kKindXlsx = 36,
  kKindDocx = 37,
  kKindPptx = 38,
  kKindMidi = 51,
  kKindWave = 52,
  kKindVideo = 53,
  kKindMpeg = 54,
  kKindMp4 = 55,
  kKindAudio = 56,
  kKindMacro = 98,
  kKindUnknown = 99,
};

// Kinds shown as a CSV table: 33 and the web table 35.
constexpr bool IsCsvKind(int kind) { return kind == kKindCsv || kind == kKindCommaTable; }
// Picture kinds 12-28.
constexpr bool IsPictureKind(int kind) { return kind >= kKindBmp && kind <= kKindEmf; }

// One row of the extension table: the last characters of a path and its kind.
struct FileKindEntry {
  const char* suffix;
  int kind;
};

// The built-in table (every entry lower case).
const FileKindEntry* FileKindTable(int* count);

}  // namespace docsvc

// The kind of a path or ".ext" text by its last characters, ASCII case
// ignored; a suffix only counts when it starts on a character boundary (the
// trail byte of a double-byte character never begins one). The built-in
// table is looked at first, then the five picture extensions of the settings
// (`pictExt`, may be null; "pic" and ".pic" alike; empty ones never match)
// giving kinds 17-21. Anything else is 99. Never fails.
int GetFileKind(const CString& path, const CString* pictExt = nullptr);
