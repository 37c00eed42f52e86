// The file-to-text converters: one table that says which reader takes a
// file - by its head bytes, its kind, its extension and how it is opened -
// and the one entry that runs the renderer frame over it (render_frame.h).
//
// A reader gets the frame's job: the head buffer with its read size, the
// open file, the settings' values and the output buffer. It owns whatever
// scratch it uses and never reads or edits the document's settings.
//
// Adding a reader is one row in convert_registry.cpp: its name, the kinds it
// takes, what it detects, its function, its limit rule and whether the
// finish of the readers (cut notice, bound, line end) follows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/render_frame.h"
#include "fw/cstring.h"

namespace convert {

// How much a converter may read and write ("indata", "outdata", "n_tbl").
struct Limits {
  std::int64_t indata = 0;     // source bytes read at most
  std::int64_t outdata = 0;    // text bytes written at most
  std::int32_t tableRows = 0;  // table rows kept at most
};

enum class Status {
  kOk,        // text holds the result
  kNotBuilt,  // this kind has no reader in this build: message says so
  kFailed,    // the file could not be converted: message says why
};

struct Request {
  CString path;         // the file on disk
  int kind = 0;         // its kind (GetFileKind, or the open mode's kind)
  int markupFlag = 0;   // the reader mode: 1 for a page converted to text (macro load)
  Limits limits;        // the settings' "indata", "outdata", "n_tbl"
  std::int32_t nChar = 157;     // "n_char"
  std::int32_t rtbl = 2000;     // "r_tbl"
  int openContext = 0;          // m_nOpenContext
  int rawPage = 0;              // m_nRawPage
  int layoutMode = 0;           // m_nLayoutMode
  int forceMarkup = 0;          // 1: render as HTML
  RenderSwitches switches;
  SourceOpener open;            // empty: the file on disk

  // The binary Office readers' words: the document's fields of the same names.
  std::int32_t m_nConvStyle = 0;
  std::int32_t m_nDumpBreaks = 0;
  std::int32_t m_nExtractNo = 0;      // embedded item to extract; 0 none
  std::int32_t m_nExtractLetter = 0;
  CString m_strProgramDir;            // scratch files lie below it
  CString m_strCurFile;               // the document's current file
  std::uint32_t m_bSizeHigh = 0;
  ConvertHost* host = nullptr;        // nullptr: pictures are written, not loaded

  // The workbook readers' words (the document's fields of the same names).
  // "r_tbl" and the quick-load switch come as `rtbl` and
  // `switches.quickLoad` above.
  std::int32_t m_nXlsMode = 0;         // "xlsmode": below 10 a drawn grid, 10-13 a CSV table; 1, 2 fit widths
  std::int32_t m_nXlsDecimals = 0;     // "xlsdec": 0 as formatted, n: n - 1 decimals
  std::int32_t m_nLanguageSetting = 0; // nonzero: a lone 0xD7 character stays as it is
  std::int32_t m_nFixedDecimals = 0;   // "fixdec": ".xlsx" decimals, 0 as formatted
  std::int32_t m_nGroupSwitch = 0;     // "grpsw": 10 or more drops the thousands separators
  std::int32_t m_bUnzipBound = 0;      // m_pfnUnZip is bound
  std::uint32_t m_bTableLayout = 0;    // "tbllay": ".pptx" grid units, ruled ".docx" tables
  // The PDF reader's words: the document's settings of the same names.
  std::uint32_t m_nTextBufSize = 41943040;  // "membuf": bounds the reader's work buffer
  std::int32_t m_nPdfWidthAdjust = 5;       // "pdfwadj", 1-5
  std::int32_t m_nPdfTdAdjust = 85;         // "pdftadj", 40-115
  std::uint32_t m_bLatin1Text = 0;          // "latin1": single bytes transliterated
  std::int32_t m_nDocEditMode = 0;          // the view's editing mode (2: operator listing)
  // The markup renderers' switches: the document's settings of the same names.
  std::int32_t m_nTxtsiz = 5;          // "txtsiz"
  std::uint32_t m_bKeepLayout = 1;     // "keeplay"
  std::uint32_t m_bLinkList = 1;       // "linklst"
  std::int32_t m_nTextOnly = 0;        // "txtonly"
  std::int32_t m_nTextOnlyLines = 0;   // "txtonln"
  std::uint32_t m_bAsciiSymbols = 0;   // "asciisy"
  std::uint32_t m_bNoCharConv = 0;     // "nocconv"
};

struct Result {
  Status status = Status::kFailed;
  std::string text;     // the frame's text
  CString message;      // kNotBuilt / kFailed: what to tell the user
  int fileKind = 0;     // the kind the content settled on
  int rawPage = 0;      // the raw view's page after the run
  std::int32_t fileCut = 0;
  std::int32_t convSize = 0;

  // What the readers changed, for the document to store (each starts as the
  // request's value).
  std::int32_t m_nExtractNo = 0;
  CString m_strCurFile;
  std::uint32_t m_bSizeHigh = 0;
  CString m_strConvImage;             // a scratch picture written (fileKind is then its kind)
};

// What a row looks at.
struct Detect {
  int kind = 0;                        // the frame's kind after the sniff
  int openContext = 0;
  const std::uint8_t* head = nullptr;  // the head's bytes
  std::size_t length = 0;
  const char* extension = "";          // the path's last three characters, lower case
};

struct Converter;
// A reader: writes into job.out; its result is the bytes written or, below
// 0, a failure (the frame then keeps what the reader wrote, never a negative
// length).
using ConvertFn = std::int64_t (*)(const Converter& row, RenderJob& job);
using DetectFn = bool (*)(const Detect& d);

// Limits of a format that reads more than the settings' default: when
// "indata" is still `whenIndata`, `indata` and `tableRows` are used instead.
struct LimitRule {
  std::int64_t whenIndata;
  std::int64_t indata;
  std::int32_t tableRows;
};

// When a row is asked: during the content sniff (its output replaces
// everything and the run ends), or at the dispatch after the set-up.
enum class Stage { kSniff, kDispatch };

struct Converter {
  const char* id;          // the row's own name (tests, ScopedReader)
  const char* name;        // format name in messages; nullptr: the kind's name
  Stage stage;
  int firstKind;           // kinds taken, inclusive (0, 0: any kind)
  int lastKind;
  DetectFn detect;         // nullptr: the kind alone decides
  ConvertFn convert;
  const LimitRule* limits; // nullptr: the settings' limits as they are
  bool finish;             // the finish of the readers follows
};

// Bytes of a file's start the sniffs see at least.
constexpr std::size_t kSniffBytes = 16;

// The first row of `stage` that takes `d` (the last row takes any kind at
// the dispatch; nullptr when no sniff row does).
const Converter* ConverterAt(Stage stage, const Detect& d);

// The first row of either stage for a kind and head, with no extension and a
// normal open (for the limit rules and tests).
const Converter& ConverterFor(int kind, const std::uint8_t* head, std::size_t length);

// The limits `converter` works within, from the settings' values.
Limits LimitsFor(const Converter& converter, const Limits& settings);

// Applies the limit rule of the file's kind, runs the frame and turns its end
// into a result: the text, or the message of a failure or of a reader not in
// this build.
Result ConvertFile(Request request);

// The rows of the table, for tests.
const Converter* Converters(int* count);

// Runs a row's reader (or the stand-in a test put in its place).
std::int64_t RunReader(const Converter& row, RenderJob& job);

// Test hook: the reader of the row `id` replaced until the object goes.
class ScopedReader {
 public:
  ScopedReader(const char* id, ConvertFn fn);
  ~ScopedReader();
  ScopedReader(const ScopedReader&) = delete;
  ScopedReader& operator=(const ScopedReader&) = delete;

 private:
  int m_row = -1;
  ConvertFn m_saved = nullptr;
};

}  // namespace convert
