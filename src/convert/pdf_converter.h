// The PDF reader's run object: one conversion of a PDF file's bytes into
// Shift-JIS text. It owns every table of the run (object index, flags, font
// maps, resources, the reference stack, the graphics stack, the palette and
// the character grid), the input with its cursor and the run's settings, so
// nothing of a run survives it and two runs share nothing.
//
// The reader works on the bytes without an object model: it expands object
// streams behind the file's last byte, indexes where each object starts and
// what it says about fonts and images, then walks the page tree from the
// catalog and lays the shown text out on the grid.
//
// Every read stays inside the input (m_nConvSize bytes) or the buffer a
// reader is given; every write stays inside its table. Numbers from the file
// saturate instead of overflowing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "convert/convert_host.h"
#include "convert/convert_texts.h"
#include "convert/load_buffer.h"
#include "convert/picture_save.h"
#include "core/textcodec/cidmap.h"

namespace convert {

struct Converter;
struct RenderJob;

constexpr std::int32_t kPdfObjects = 49152;         // object tables; numbers 1-49,151 are indexed
constexpr std::int32_t kPdfResources = 18001;       // resource ids are below 18,001
constexpr std::int32_t kPdfRefStack = 2000;         // pending (position, object) pairs of the walk
constexpr std::int32_t kPdfGraphicsLevels = 10;     // q/Q levels
constexpr std::int32_t kPdfGridColumns = 512;       // cells of one grid line
constexpr std::int32_t kPdfBandLines = 302;         // grid lines of one page, separator included
constexpr std::int32_t kPdfNamePrefixSlots = 8;     // learned resource-name prefixes
constexpr std::int32_t kPdfCodeCopy = 3840;         // second copy of a one-byte code lies this far up
constexpr std::int32_t kPdfCodeMax = 32767;         // highest code of a font's code table
constexpr std::int32_t kPdfWorkSpare = 10005;       // bytes of the work buffer beyond cfmax
constexpr std::int32_t kPdfCmapInflateMax = 40000;  // inflated ToUnicode bytes at most
constexpr std::int32_t kPdfCmapCopyMax = 8000;      // stream bytes of a font map copied at most
constexpr std::int32_t kPdfFixedLimit = 1000000000; // a fixed-point value saturates here (of its unit)
constexpr std::uint8_t kPdfEmptyCell = 7;           // a grid cell nothing was written to

// Object flags of the index pass (16 bits per object).
enum PdfObjectFlag : std::uint16_t {
  kPdfFlagVertical = 0x0001,     // vertical writing (Identity-V, ...-V CMaps)
  kPdfFlagFilterMask = 0x000F,   // the filter of an image stream, as a number
  kPdfFlagType1 = 0x0010,
  kPdfFlagUniJis = 0x0020,       // Japanese Unicode CMap
  kPdfFlagType1ToUni = 0x0040,   // Type1 font with a ToUnicode map
  kPdfFlagLastChar = 0x0080,     // single-byte font with a character range
  kPdfFlagSimple = 0x008F,       // all of these: a simple (single-byte) encoding
  kPdfFlagWidthMask = 0x0F00,    // coarse image width (/128, bit 8 forced)
  kPdfFlagHeightMask = 0xF000,   // coarse image height (/128, bit 12 forced)
};

// Image filters as the index pass stores them in the low four flag bits (and
// as the picture markers name them).
enum PdfImageFilter : int {
  kPdfFilterDct = 2,
  kPdfFilterCcitt = 6,
  kPdfFilterLzw = 7,
  kPdfFilterJbig2 = 9,
  kPdfFilterJpx = 12,
};

// The filters of a stream that the reader decodes, as bits.
enum PdfStreamFilterBits : int {
  kPdfStreamAscii85 = 1,
  kPdfStreamLzw = 2,
  kPdfStreamFlate = 4,
};

// Failure codes of stream decoding; each is written as a grid line.
enum PdfDecodeFailure : std::int32_t {
  kPdfDecodeEncrypted = -2,   // string 147 and " 012"
  kPdfDecodeTooLarge = -3,    // " [%dMB]" with string 150 and " 012"
  kPdfDecodeNoMemory = -9,    // string 152; the walk stops
  kPdfDecodeFailed = -1,      // string 210 and " 012"
};

// What a run is given besides the bytes: the document's settings and words.
struct PdfRunWords {
  int openContext = 0;                   // 0 convert, 2 structure dump, other: nothing
  std::int32_t readSize = 0;             // bytes of the file read
  std::int32_t outdata = 2000000;        // "outdata": the text stops 2,000 bytes before it
  std::int32_t tblMax = 19000;           // "n_tbl": grid lines below tblMax - 3 are used
  std::uint32_t textBufSize = 41943040;  // "membuf": bounds the work buffer
  std::int32_t widthAdjust = 5;          // "pdfwadj", 1-5
  std::int32_t tdAdjust = 85;            // "pdftadj", 40-115
  std::uint32_t latin1 = 0;              // "latin1": single bytes transliterated
  std::int32_t docEditMode = 0;          // the view's editing mode (2: operator listing)
  std::int32_t extractNo = 0;            // picture asked for (0 none)
  std::int32_t extractLetter = 0;        // its marker letter
  std::uint32_t sizeHigh = 0;            // m_bSizeHigh: 1 the dump's compact form
  CString programDir;                    // scratch files of a shown picture lie below it
  PictureFileWriter writeFile;           // empty: the disk (tests and fuzzing: memory)
  PictureFileReader readFile;
};

// One level of the graphics-state stack.
struct PdfGraphicsLevel {
  std::int32_t matrix[6] = {100, 0, 0, 100, 0, 0};  // transformation matrix, hundredths
  std::uint16_t fontFlags = 0;
  std::int32_t fontKind = 0;
};

// A table by object number (or resource id) with room for `Bound` entries
// that is made only as far as the highest entry written: an entry never
// written reads 0, as it would in a table made in full, and a file of a few
// objects does not pay for clearing the whole bound on every run.
template <typename T, std::int32_t Bound>
class PdfLazyTable {
 public:
  // Entry i, 0 when it was never written (any i reads).
  T operator[](std::size_t i) const { return i < m_v.size() ? m_v[i] : T{}; }
  // Entry i for writing (i below Bound): the table grows to hold it, a
  // block of entries at a time; the reference holds until the next Slot.
  T& Slot(std::size_t i) {
    if (i >= m_v.size()) {
      const std::size_t block = (i / kBlock + 1) * kBlock;
      m_v.resize(block < static_cast<std::size_t>(Bound) ? block : std::max<std::size_t>(i + 1, Bound), T{});
    }
    return m_v[i];
  }
  // Every entry back to 0.
  void Clear() { m_v.clear(); }
  // Entries the table stands for.
  static constexpr std::size_t size() { return static_cast<std::size_t>(Bound); }

 private:
  static constexpr std::size_t kBlock = 1024;
  std::vector<T> m_v;
};

class PdfConverter {
 public:
  // `data` holds `size` bytes of the file and room for `capacity` bytes in
  // all (object streams are appended behind the file's last byte).
  PdfConverter(std::uint8_t* data, std::int32_t size, std::size_t capacity, const PdfRunWords& words,
               LoadBuffer& out, ConvertHost* host);
  ~PdfConverter();
  PdfConverter(const PdfConverter&) = delete;
  PdfConverter& operator=(const PdfConverter&) = delete;

  // The whole conversion: the text goes to the output buffer; the result is
  // the bytes written.
  std::int64_t Run();

  // The structure dump (open context 2): the file's bytes with every stream
  // shown decoded (pdf_dump.cpp).
  std::int64_t RunStructureDump();

  // ---------------------------------------------------------------------
  // Token readers. Those taking a buffer work on any buffer of `length`
  // bytes and never read outside it; the members read m_pConvData.

  // The code in angle brackets at or after *pos (a '<' within 10 bytes):
  // two digits set *oneByte, three digits give a three-digit code, else four
  // digits are taken. -1 (position kept) when no '<' is found.
  static std::int32_t PdfReadHexCode(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos,
                                     int* oneByte);
  // A decimal number in hundredths (precise: ten-thousandths), the first
  // dropped digit rounding half up; *pos is left on the ending byte.
  // Saturates at +-kPdfFixedLimit.
  static std::int32_t PdfReadFixed(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos, int precise);
  // A number of a box array in hundredths, from at most six bytes.
  static std::int32_t PdfReadHundredths(const std::uint8_t* buf, std::int32_t length, std::int32_t pos);
  // Up to 10 numbers before the operator at `opPos` (the first two precise
  // when `precise` is 1); 0 when fewer than 10 were read (the rest zeroed),
  // else the byte that ended the tenth.
  static std::int32_t PdfReadOperands(const std::uint8_t* buf, std::int32_t length, std::int32_t opPos,
                                      std::int32_t* values, int precise);
  // Display bytes of a single-byte font's byte: *byte is replaced, *lead is
  // the byte before it (blank when none).
  static void PdfMapSimpleFontByte(std::uint8_t* byte, std::uint8_t* lead);
  // Shift-JIS of a symbol code point that code page 932 lacks: 1 or 2 bytes.
  static int PdfMapUnicodeSymbol(std::uint32_t codePoint, std::uint8_t* first, std::uint8_t* second);

  // The object number of a reference near `pos` (modes 9, 8, 0/7, 1); 0 or
  // -1 when none, -9 at '[', -99 at "<<"; may move m_nConvPos.
  std::int32_t PdfReadObjectRef(std::int32_t pos, int mode);
  // A reference or a list of them at m_nConvPos: list[0] = count, list[1..]
  // the numbers (at most 1,999). The result is list[1].
  std::int32_t PdfReadObjectRefList(std::int32_t* list, int flag);
  // Pushes the references at m_nConvPos onto the reference stack and moves
  // m_nConvPos to the first of them (list kinds: 0 '<', 1 '[', 2 '[' but not
  // a dictionary). Objects already on the walk's path are not pushed. The
  // new stack height, or -1 at the end of the data or before a dictionary.
  std::int32_t PdfPushObjectRefs(std::int32_t height, std::int32_t current, int listKind);
  // The resource id of the name at *pos (kind in/out), 0 when none.
  std::int32_t PdfParseResourceName(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos,
                                    int* kind, int expectSlash);
  // PdfParseResourceName on the input at `pos`; modes 1 and 3 move
  // m_nConvPos behind the name. Ids are below kPdfResources, else 0.
  std::int32_t PdfReadResourceIdAt(std::int32_t pos, int mode);
  // Decodes ASCII85 data buf[0, length) over the start of buf, which holds
  // `capacity` bytes; the decoded length, or 0 on failure (too many bytes
  // skipped, or a result larger than `capacity`).
  std::int32_t Ascii85DecodeInPlace(std::uint8_t* buf, std::int32_t length, std::size_t capacity);
  // Fills `table` (kPdfObjects entries) from the Differences of an encoding
  // (mode with all of 0x8F) or from a ToUnicode stream at `pos`; 1 when a
  // mapping was read, else 0 (the table then as it was).
  int PdfReadFontEncoding(std::int32_t pos, std::uint16_t* table, int mode);
  // The code spaces, single codes and ranges of a decoded CMap into `table`;
  // 1 when a mapping was read.
  static int ReadCmap(const std::uint8_t* map, std::int32_t length, std::uint16_t* table);
  // Whether `object` is the walk's current object or waits on the
  // reference stack below `height` (entering it again would loop).
  bool OnWalkPath(std::int32_t object, std::int32_t height) const;

  // ---------------------------------------------------------------------
  // Passes 1 and 2 and stream decoding.

  // cfmax (the larger of 2,000,000 and the smaller of "membuf" and 64 times
  // the read size) and the work buffer of cfmax + kPdfWorkSpare bytes; false
  // when the memory is not had.
  bool AllocateWork();
  // Pass 1: every object stream is inflated and its objects appended behind
  // the data as "N 0 obj ... endobj"; m_nConvSize grows.
  void ExpandObjectStreams();
  // Pass 2: object offsets, flags, font references, the page size, the
  // catalog and the encryption mark.
  void IndexObjects();
  // The page size from the box array after "/MediaBox" at `pos`: its third
  // and fourth numbers (plus 100) when within 10,000-200,000 hundredths.
  void ReadMediaBox(std::int32_t pos);
  // The filters (PdfStreamFilterBits) named between `dictPos` and the
  // "stream" keyword at `streamPos`.
  int StreamFiltersBetween(std::int32_t dictPos, std::int32_t streamPos) const;
  // Decodes the stream data m_pConvData[dataPos, dataPos + dataLen) into the
  // work buffer. `image` says the stream is the image whose dictionary was
  // just read (m_nImageWidth, m_nImageHeight, m_nImageBits). The decoded
  // length, or a PdfDecodeFailure (a capacity too large sets
  // m_nFailCapacity).
  std::int32_t DecodeStream(std::int32_t dataPos, std::int32_t dataLen, int filters, bool image);
  // The failure's message on a grid line of its own (one line skipped).
  void WriteDecodeFailure(std::int32_t result);
  // The notice of an encrypted document: string 147, CR LF.
  void WriteEncryptedNotice();

  // ---------------------------------------------------------------------
  // Grid access. A line is kPdfGridColumns cells; nullptr outside the lines
  // the run may use (below m_nTblMax - 3). Lines are made on first use.
  std::uint8_t* GridLine(std::int32_t line);
  // Clears lines [first, last] to empty cells (column 0 = 0).
  void ClearGridLines(std::int32_t first, std::int32_t last);
  // Writes `text` into `line` from column 0 (the failure lines).
  void WriteGridText(std::int32_t line, const char* text, std::size_t length);

  // ---------------------------------------------------------------------
  // The run's state. Public so that the readers' tests and the page walk's
  // files reach it; nothing outside the PDF reader uses it.

  // Input and cursor.
  std::uint8_t* m_pConvData = nullptr;  // the file's bytes, then the expanded object streams
  std::int32_t m_nConvPos = 0;          // the cursor
  std::int32_t m_nConvSize = 0;         // end of the readable bytes
  std::size_t m_nConvCapacity = 0;      // bytes m_pConvData holds room for
  std::int32_t m_nFileSize = 0;         // the file's own bytes (before the expansion)

  PdfRunWords m_words;
  LoadBuffer& m_out;
  ConvertHost* m_pHost = nullptr;
  DamageNote m_damage;                  // where damaged input stopped the reading

  // Work buffer of each decoded stream: cfmax + kPdfWorkSpare bytes.
  std::int32_t m_nCfMax = 0;
  std::uint8_t* m_pWork = nullptr;      // fw::Alloc; freed with the run
  std::int32_t m_nWorkSize = 0;         // decoded bytes in the work buffer
  std::int32_t m_nFailCapacity = 0;     // the capacity of the last kPdfDecodeTooLarge
  // Scratch of the ASCII85 decoder (four output bytes per input byte) and of
  // the font maps' stream copies.
  std::vector<std::uint8_t> m_abA85Scratch;
  std::vector<std::uint8_t> m_abCmapBuf;

  // Object tables, indexed by object number.
  PdfLazyTable<std::int32_t, kPdfObjects> m_anObjOffset;  // the blank before "obj" (0: not seen)
  PdfLazyTable<std::uint16_t, kPdfObjects> m_anObjFlags;  // PdfObjectFlag bits
  PdfLazyTable<std::uint16_t, kPdfObjects> m_anFontRef;   // a font's /Encoding or /ToUnicode object
  // The current font's code table: kPdfObjects entries once a font's map was
  // read (empty before: a run without mapped fonts never makes it).
  std::vector<std::uint16_t> m_anFontCode;
  PdfLazyTable<std::int32_t, kPdfResources> m_anResource;  // resource id -> object number
  std::int32_t m_nFontCodeObj = 0;           // the map object m_anFontCode was loaded from

  // Reference stack of the page-tree walk.
  std::int32_t m_anRefPos[kPdfRefStack] = {};  // where to go on
  std::int32_t m_anRefObj[kPdfRefStack] = {};  // the object found there
  std::int32_t m_nRefHeight = 0;
  std::int32_t m_nCurObj = 0;                  // the object the walk is in
  std::int64_t m_nWalkBudget = 0;              // steps left; 0 ends the walk (damage line)

  // Graphics-state stack and the palette.
  PdfGraphicsLevel m_aGraphics[kPdfGraphicsLevels];
  std::int32_t m_nGraphicsLevel = 0;
  std::uint8_t m_abPalette[256 * 3] = {};

  // The character grid, row by row (kPdfGridColumns bytes each), with the
  // current page band and position.
  std::vector<std::uint8_t> m_abGrid;
  std::int32_t m_nGridLines = 0;    // lines made so far
  std::int32_t m_nBandBase = 0;     // first line of the current page's band
  std::int32_t m_nGridLine = 0;     // current line and column
  std::int32_t m_nGridCol = 0;
  std::int32_t m_nLastLine = 0;     // last line used

  // Resource-name prefixes learned in this run (an empty slot starts with 0).
  std::uint8_t m_abNamePrefix[kPdfNamePrefixSlots][4] = {};

  // CID to Shift-JIS tables of this run.
  textcodec::CidSjisTables m_cid = {};

  // What the index pass found.
  std::int32_t m_nPageWidth = 120000;   // hundredths of a point
  std::int32_t m_nPageHeight = 84500;
  std::int32_t m_nRootObj = 0;          // the catalog
  bool m_bEncrypted = false;
  std::int32_t m_nPageCount = 0;

  // The image whose dictionary the walk read last.
  std::int32_t m_nImageWidth = 0;
  std::int32_t m_nImageHeight = 0;
  std::int32_t m_nImageBits = 0;
  std::int32_t m_nImageColor = 0;
  std::int32_t m_nImageFilter = 0;

  // ---------------------------------------------------------------------
  // Pages and layout: the page walk, the content walk and the text grid's
  // output.

  // The text state of one content stream (positions in hundredths of a
  // point, matrices in hundredths, all saturated).
  struct TextState {
    std::int64_t ctm[6] = {100, 0, 0, 100, 0, 0};  // transformation matrix
    std::int64_t tm[6] = {100, 0, 0, 100, 0, 0};   // text matrix
    std::int64_t lineX = 0, lineY = 0;             // start of the text line (text space)
    std::int64_t advance = 0;                      // text x advanced since the line start
    std::int32_t width = 420;                      // S: half the font size, hundredths
    std::int32_t charSpace = 0;                    // c: half the Tc operand, hundredths
    std::int32_t wordSpace = 0;                    // W
    std::uint16_t fontFlags = 0;
    std::int32_t fontKind = 0;                     // kind flags 1, 2, 4; 9 for a UniJIS CMap
    bool vertical = false;
    bool placeFromPos = true;                      // the next string starts at the position
    bool overprint = false;
    std::int64_t prevX = -1, prevY = -1;           // device position of the last move
    std::int32_t pullBack = 0;                     // P
    std::int32_t shownSinceMove = 0;               // n
    bool afterHex = false;                         // the last string of a TJ was a hex string
    std::int32_t fontObj = 0;                      // the current font's object
    bool twoByte = false;                          // its codes are two bytes (a composite font)
  };
  // One character of a shown string in Shift-JIS.
  struct Glyph {
    std::uint8_t b[2] = {0, 0};
    int n = 1;
    bool literalBlank = false;  // a blank of a literal string: advances only
  };

  // Decoded content bytes walked that cost one step of the walk's budget.
  static constexpr std::int32_t kBudgetBytes = 512;

  // The entry after the context test: work buffer, passes, walk, output.
  std::int64_t RunConversion();
  // Pass 3 from the catalog (or the picture asked for).
  void WalkPages();
  // One page or page-tree node at `obj`: its dictionary's keys.
  void WalkNode(std::int32_t obj);
  // The fonts and pictures of a "/Resources" value at `pos` into the
  // resource table.
  void LoadResources(std::int32_t pos, std::int32_t depth);
  // Begins a page: counter, progress, band.
  void BeginPage();
  // Decodes content stream `obj` and walks it.
  void ShowContentStream(std::int32_t obj, std::int32_t depth);
  // The dictionary of object `obj`: its start and end (before "stream" or
  // "endobj"); false when the object is not indexed.
  bool ObjectDictionary(std::int32_t obj, std::int32_t* begin, std::int32_t* end) const;
  // The content walk over buf[0, length).
  void WalkContent(const std::uint8_t* buf, std::int32_t length, TextState& ts, std::int32_t depth);
  // The font named before the "Tf" at `opPos`.
  void SelectFont(const std::uint8_t* buf, std::int32_t length, std::int32_t opPos, TextState& ts);
  // Shows the bytes of one string (hex: from angle brackets).
  void ShowString(const std::uint8_t* bytes, std::int32_t count, bool hex, TextState& ts);
  // The device position of the text at the current advance.
  void DevicePosition(const TextState& ts, std::int64_t* x, std::int64_t* y) const;
  // The grid line and column of a device position.
  void GridPlace(std::int64_t x, std::int64_t y, std::int32_t* line, std::int32_t* col) const;
  // A picture marker for image `obj` drawn with `ts`'s matrix.
  void PlaceImageMarker(std::int32_t obj, const TextState& ts);
  // The separator line that closes a band, naming `nextPage`.
  void PrepareSeparator(std::int32_t line, std::int32_t nextPage);
  // Output steps 1-7.
  void WriteOutput();
  // Decodes content or form `obj` (or, with `image`, checks a picture's
  // samples) into the work buffer: its length, or a failure written as a
  // grid line.
  std::int32_t DecodeObjectStream(std::int32_t obj, bool image);
  // The object of the font or picture named at buf[namePos] ('/').
  std::int32_t ResourceObject(const std::uint8_t* buf, std::int32_t length, std::int32_t namePos);
  // D of the advance: 200, 400 / width adjust, or 100.
  std::int32_t AdvanceDivisor() const;
  void SetCharSpace(std::int64_t value, TextState& ts);
  void SetWordSpace(std::int64_t value, TextState& ts);
  // The pull-back count after a "Td"/"TD" of (tx, ty) ten-thousandths.
  void PullBackAfterMove(std::int64_t tx, std::int64_t ty, TextState& ts);
  // The strings and numbers of a "TJ" array at buf[pos, end).
  void ShowArray(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, TextState& ts);
  // A number of a "TJ" array, V in hundredths of its thousandths.
  void TjNumber(std::int64_t v, bool blankBefore, TextState& ts);
  // What font object `obj`'s dictionary says: kFontKnown, with
  // kFontTwoByte for a composite font and kFontVerticalCmap for a "-V" CMap.
  enum FontTrait { kFontKnown = 1, kFontTwoByte = 2, kFontVerticalCmap = 4 };
  int FontTraits(std::int32_t obj);
  // "Do": a picture's marker, or a form's content walked.
  void DrawObject(const std::uint8_t* buf, std::int32_t length, std::int32_t namePos, TextState& ts,
                  std::int32_t depth);
  // The operator listing's lines.
  void ListTStar(const std::uint8_t* buf, std::int32_t opPos, TextState& ts);
  void ListTd(const std::uint8_t* buf, std::int32_t length, std::int32_t after, TextState& ts);
  // A Unicode character in Shift-JIS (1 or 2 bytes into out).
  int UnicodeToSjis(std::uint32_t u, std::uint8_t* out);
  // The characters of a string by the font's kind.
  void DecodeString(const std::uint8_t* bytes, std::int32_t count, bool hex, const TextState& ts,
                    std::vector<Glyph>* glyphs);
  void PlaceGlyph(const Glyph& glyph, TextState& ts);
  // Whether the walk may go on (pass 3's conditions).
  bool WalkGoesOn();

  // One picture written out (pdf_picture.cpp): image object `obj` decoded
  // and saved, m_words.extractNo raised when a file was written. Nothing
  // happens for an object that is no image or does not decode.
  void ShowOnePicture(std::int32_t obj);
  // Where the stream data of object `obj` lies (by a "/Length" that ends at
  // "endstream", else up to "endstream"); false when it is no stream.
  bool StreamBytes(std::int32_t obj, std::int32_t* dataPos, std::int32_t* dataLen) const;
  // The value at `pos`, or the object a reference there names: [*vpos, *vend).
  bool ResolveValue(std::int32_t pos, std::int32_t end, std::int32_t* vpos, std::int32_t* vend) const;
  // Components of the colour space at `pos` (0 unknown); an "/Indexed"
  // space gives 1 and its lookup table as 256 RGB triples in `palette`.
  int ColourComponents(std::int32_t pos, std::int32_t end, std::uint8_t* palette, bool* hasPalette, int depth);
  int m_nPictureResult = 0;              // 1 written, -1 the saver wrote nothing, 0 not reached
  int m_nPictureKind = 0;                // the file kind of the picture written
  CString m_strConvImage;                // its path

  std::int32_t m_nPageRotate = 0;        // "/Rotate" of the page, 0-359
  std::int32_t m_nInheritRotate = 0;     // "/Rotate" of the page-tree node above
  bool m_bFontCodeLoaded = false;        // m_anFontCode holds m_nFontCodeObj's map
  std::int32_t m_nOriginX = 0;           // page origin, hundredths
  std::int32_t m_nOriginY = 0;
  std::int32_t m_nMaxLine = -1;          // highest grid line holding text
  bool m_bGridFull = false;              // the pages needed more grid lines than "n_tbl" gives
  PdfLazyTable<std::int8_t, kPdfObjects> m_abFontBytes;  // per font object: its FontTraits (0: not read yet)
  // Names of the page's fonts and pictures that the resource ids cannot
  // tell apart, by their exact bytes.
  std::vector<std::pair<std::string, std::int32_t>> m_aNamedResources;
  bool m_bStopWalk = false;              // Esc, memory or budget ended the walk
  bool m_bEscape = false;
  PdfLazyTable<std::uint8_t, kPdfObjects> m_abEntered;  // objects the walk entered (never again)
};

// The reader of the registry's PDF rows.
std::int64_t ConvertPdf(const Converter& row, RenderJob& job);

}  // namespace convert
