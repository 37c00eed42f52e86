// The renderer frame: how a file that is not plain text becomes text. It
// reads the file's head, works out the real format from the first bytes (the
// content overrides the kind the name gave), sets up the table readers'
// buffers and hands the head to one reader of the converter table, then
// finishes what that reader wrote (cut notice, bounds, line end).
//
// Portable: the file comes through an opener (disk, or memory in tests), the
// settings and switches are values of the job, and every byte goes through
// the job's LoadBuffer. Every buffer comes from fw::Alloc, so a test can make
// each allocation fail in turn (codes " 001" to " 005").
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "convert/convert_host.h"
#include "convert/load_buffer.h"
#include "convert/office_pictures.h"
#include "convert/source_file.h"
#include "fw/cstring.h"

namespace convert {

// The document's five renderer switches (settings "qload", "shortv",
// "binview", "rtfsrc", "markup").
struct RenderSwitches {
  int quickLoad = 0;    // 1: read at most 1,000,000 bytes of a workbook, 200,000 of others
  int shortView = 0;    // 1: the plain copy shows 2000 bytes
  int binaryView = 0;   // nonzero: no binary test
  int rtfAsSource = 0;  // 0: an RTF head is converted
  int markup = 0;       // 1: an HTML head sets the reader mode to 1
};

// How a run ended.
enum class RenderStatus {
  kText,        // the text in `out` is the result
  kCannotOpen,  // the file did not open (string 237 written unless the path ends in "\")
  kFileOver,    // a PDF over "indata" - 200: the size message written
  kNoMemory,    // a buffer was not had: string 152 and the code written
  kNotBuilt,    // the reader of this format is not in this build: `message` says so
};

using SourceOpener = std::function<std::unique_ptr<SourceFile>(const CString& path)>;

struct RenderJob {
  // --- given by the document
  CString path;
  int kind = 0;                  // GetFileKind of the path (or the open mode's kind)
  int readerMode = 0;            // passed on to the Word, Excel, HTML and XML readers
  int forceMarkup = 0;           // 1: render as HTML
  int openContext = 0;           // m_nOpenContext: 0 normal, 1 raw head only, 2 no converters
  int layoutMode = 0;            // m_nLayoutMode (2 and 12 show a short plain copy)
  std::int32_t indata = 204800;  // "indata": read limit
  std::int32_t outdata = 2000000;// "outdata": output bound
  std::int32_t nChar = 157;      // "n_char": line width (clamped to 510)
  std::int32_t tblMax = 5000;    // "n_tbl": table rows
  std::int32_t rtbl = 2000;      // "r_tbl": bytes per column buffer
  std::int32_t m_nRawPage = 0;   // page of the raw view (64 KB units); negative: the last
  RenderSwitches switches;
  SourceOpener open;             // empty: the file on disk

  // --- the run's state, left for the document
  LoadBuffer out;                // m_pLoadBuf / m_nWritePos
  int m_nFileKind = 0;           // the kind the sniff settled on for the document
  int m_nKind = 0;               // the frame's own kind (the reader's choice)
  std::int32_t m_nConvSize = 0;  // file length; lowered to the read size for the readers
  std::int32_t m_nConvPos = 0;   // the readers' cursor into the head
  std::int32_t m_bFileCut = 0;   // 1: less than the whole file was read
  std::int32_t readSize = 0;     // bytes of the head the readers use
  bool inputCut = false;         // the readers saw less than the file (cut notice)
  bool binary = false;           // the binary test found NULs
  RenderStatus status = RenderStatus::kText;
  int failCode = 0;              // 1-5 with kNoMemory
  CString message;               // kNotBuilt: the notice; other failures: what was written

  // The head buffer (m_pConvData) and the open file, while the run lasts.
  const std::uint8_t* Head() const { return m_pConvData; }
  SourceFile* File() const { return m_file.get(); }

  std::uint8_t* m_pConvData = nullptr;
  std::unique_ptr<SourceFile> m_file;

  // --- the binary Office readers' words (the document's fields of the same
  // names, through Request) and what they leave (back through Result)
  std::int32_t m_nConvStyle = 0;      // converter switches (RTF inspection decoding, reader forms)
  std::int32_t m_nDumpBreaks = 0;     // 1: the inspection dump breaks its lines
  std::int32_t m_nExtractNo = 0;      // embedded item to extract (0 none); the mail reader raises it by 100,000
  std::int32_t m_nExtractLetter = 0;  // letter of the item to extract
  CString m_strProgramDir;            // program folder (scratch files below it)
  CString m_strCurFile;               // the document's file; an extracted attachment's path after the run
  std::uint32_t m_bSizeHigh = 0;      // display-size switch; the mail reader sets 1
  CString m_strConvImage;             // path of the scratch picture the saver wrote
  ConvertHost* host = nullptr;        // the window side; nullptr: write scratch files, load nothing
  std::size_t headCapacity = 0;       // bytes the head buffer holds room for
  OfficePictureTable pictures;        // filled by the Office readers, read by the picture extraction

  // --- the workbook readers' words (through Request)
  std::int32_t m_nXlsMode = 0;         // below 10 a drawn grid, 10-13 a CSV table; 1, 2 fit widths
  std::int32_t m_nXlsDecimals = 0;     // 0 as formatted, n: n - 1 decimals
  std::int32_t m_nLanguageSetting = 0; // nonzero: a lone 0xD7 character stays as it is
  std::int32_t m_nFixedDecimals = 0;   // ".xlsx": nonzero n shows n - 1 decimals where a format has any
  std::int32_t m_nGroupSwitch = 0;     // ".xlsx": 10 or more: no thousands separators; nonzero: empty picture cells
  std::int32_t m_bUnzipBound = 0;      // the outside UnZip library is bound (large packages go through it)
  std::uint32_t m_bTableLayout = 0;    // "tbllay": ".pptx" grid units 900 / 2,200 EMU (else 1,000 / 4,000); ruled ".docx" tables
  // --- the PDF reader's words (through Request)
  std::uint32_t m_nTextBufSize = 41943040;  // "membuf"
  std::int32_t m_nPdfWidthAdjust = 5;       // "pdfwadj"
  std::int32_t m_nPdfTdAdjust = 85;         // "pdftadj"
  std::uint32_t m_bLatin1Text = 0;          // "latin1"
  std::int32_t m_nDocEditMode = 0;          // the view's editing mode
  // --- the markup renderers' switches (through Request)
  std::int32_t m_nTxtsiz = 5;          // "txtsiz"
  std::uint32_t m_bKeepLayout = 1;     // "keeplay"
  std::uint32_t m_bLinkList = 1;       // "linklst"
  std::int32_t m_nTextOnly = 0;        // "txtonly"
  std::int32_t m_nTextOnlyLines = 0;   // "txtonln"
  std::uint32_t m_bAsciiSymbols = 0;   // "asciisy"
  std::uint32_t m_bNoCharConv = 0;     // "nocconv"
};

// Runs the frame; the result is out.Size() (never negative).
std::int64_t RenderFileAsText(RenderJob& job);

// The extension tests of the frame: the path's last three characters.
CString LastThree(const CString& path);

// Frees what a run left (the head buffer, the file); the text stays.
void EndRender(RenderJob& job);

}  // namespace convert
