#include "convert/convert_registry.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "convert/archive_listing.h"
#include "convert/biff_row.h"
#include "convert/cfb_reader.h"
#include "convert/compound_readers.h"
#include "convert/convert_texts.h"
#include "convert/csv_preconvert.h"
#include "convert/docx_text.h"
#include "convert/load_buffer.h"
#include "convert/mail_item.h"
#include "convert/markup_engine.h"
#include "convert/media_info.h"
#include "convert/pdf_converter.h"
#include "convert/pptx_row.h"
#include "convert/rtf_text.h"
#include "convert/source_file.h"
#include "convert/word_row.h"
#include "convert/xlsx_row.h"
#include "core/docopen/openplan.h"
#include "core/docopen/opentexts.h"
#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"

namespace convert {
namespace {

bool Starts(const Detect& d, const void* bytes, std::size_t n) {
  return d.head && d.length >= n && std::memcmp(d.head, bytes, n) == 0;
}

bool IsCompound(const Detect& d) { return Starts(d, "\xD0\xCF\x11", 3); }

bool Ext(const Detect& d, const char* e) { return std::strcmp(d.extension, e) == 0; }

// --- what the rows detect ------------------------------------------------------

// A ZIP archive by its first header (or the spanned-archive marker before
// it); a workbook or a document package is listed only when opened without
// its converter.
bool DetectZip(const Detect& d) {
  if (!Starts(d, "PK\x03\x04", 4) && !Starts(d, "PK00PK", 6)) return false;
  return (d.kind != 36 && d.kind != 37) || d.openContext == 2;
}

bool DetectLzh(const Detect& d) { return d.head && LooksLikeLzh(d.head, d.length) && Ext(d, "lzh"); }

// The one-line titles: pictures by their head and extension, programs and
// binary files by their extension.
const char* TitleFor(const Detect& d) {
  if ((Starts(d, "\xFF\xD8\xFF", 3) || Starts(d, "\x00\x05\x66\x2E", 4)) && Ext(d, "jpg")) return "JPEG File\r\n\r\n";
  if (Starts(d, "BM", 2) && Ext(d, "bmp")) return "BMP File\r\n\r\n";
  if (Starts(d, "II", 2) && Ext(d, "tif")) return "TIFF File\r\n\r\n";
  if (Starts(d, "GIF", 3) && Ext(d, "gif")) return "GIF%1c%1c%1c File\r\n\r\n";
  if (Ext(d, "exe") || Ext(d, "com")) return "Program File\r\n\r\n";
  if (Ext(d, "bin")) return "Binary File\r\n\r\n";
  if (Ext(d, "dll")) return "Dynamic Link File\r\n\r\n";
  return nullptr;
}
bool DetectTitle(const Detect& d) { return TitleFor(d) != nullptr; }

bool DetectCompoundOffice(const Detect& d) {
  return IsCompound(d) && ((d.kind >= 1 && d.kind <= 4) || d.kind == 42 || d.kind == 99);
}

// Word files that are not compound documents.
bool DetectWordHead(const Detect& d) {
  return Starts(d, "\x94\xA6\x2E", 3) || (Starts(d, "\xFE\x37\x00", 3) && (d.kind == 2 || d.kind == 4));
}

bool DetectBiff(const Detect& d) { return Starts(d, "\x09\x04\x06", 3) || Starts(d, "\x09\x02\x06", 3); }

bool DetectPdf(const Detect& d) { return d.kind == docsvc::kKindPdf || Starts(d, "%PDF-", 5); }

bool DetectPlainCopy(const Detect& d) { return d.kind == 5 || (d.kind >= 7 && d.kind <= 10) || d.kind > 90; }

// --- the readers of this build ---------------------------------------------------

// The name a notice gives the file's format: the row's, else the kind's; an
// unknown kind by its extension.
CString FormatName(const Converter& c, const RenderJob& job) {
  if (job.m_nKind == docsvc::kKindUnknown) return GetPathPart(job.path, 5);
  if (c.name) return CString(c.name);
  return docopen::KindName(job.m_nKind);
}

CString NotYetText(const CString& format, const CString& path) {
  CString text;
  text.Format(docopen::GetOpenText(docopen::OpenText::kKindNotYet), static_cast<const char*>(format));
  return text + "\nfile = " + path;
}

// The readers not in this build yet: they say so, naming the format.
std::int64_t NotBuilt(const Converter& c, RenderJob& job) {
  job.status = RenderStatus::kNotBuilt;
  job.message = NotYetText(FormatName(c, job), job.path);
  return 0;
}

// A compound document: its streams copied by the compound reader, then read
// by the reader of its kind (a compound document of an RTF name is read as a
// Word file, kind 42). A kind with no reader in this build gives the notice;
// an unclassified file (99) no text.
std::int64_t ReadCompoundOffice(const Converter& c, RenderJob& job) {
  if (job.m_nKind == docsvc::kKindRichText) job.m_nKind = 42;
  CfbReader reader(job);
  CompoundStreamTable table;
  if (reader.LoadCompoundStreams(table) != CompoundLoad::kLoaded) return static_cast<std::int64_t>(job.out.Size());
  const int kind = reader.Kind();
  if (kind == 99) return 0;
  const CompoundReaderFn read = CompoundReaderFor(kind);
  if (!read) return NotBuilt(c, job);
  // Picture positions point into the copies: they end where the copies end,
  // and a PowerPoint picture counts from the "Pictures" copy.
  job.pictures.dataEnd = table.end;
  if (table.slot[kSlotPictures]) job.pictures.picturesStart = table.slot[kSlotPictures];
  const std::int64_t n = read(job, reader, table);
  if (n >= 0) reader.Damage().WriteTo(job.out);
  return n < 0 ? n : static_cast<std::int64_t>(job.out.Size());
}

// A bare BIFF stream (kind 3 with the head 09 04 06 or 09 02 06).
std::int64_t BareBiff(const Converter&, RenderJob& job) { return ReadBareBiff(job); }

// A presentation name over something that is not a compound document: the
// unsupported Office form line.
std::int64_t PresentationNotCompound(const Converter&, RenderJob& job) {
  job.out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedOffice)));
  return static_cast<std::int64_t>(job.out.Size());
}

// Word heads: 94 A6 2E is a Word file whatever its name; FE 37 00 under an
// RTF name is read as kind 42.
std::int64_t WordFile(const Converter&, RenderJob& job) {
  const std::uint8_t* h = job.Head();
  if (job.readSize >= 3 && h[0] == 0x94) job.m_nKind = docsvc::kKindWord;
  else if (job.m_nKind == docsvc::kKindRichText) job.m_nKind = 42;
  return WordHeadToText(job);
}

std::int64_t Outdata(const RenderJob& job) { return job.outdata > 0 ? job.outdata : INT64_MAX; }

std::int64_t ListZip(const Converter&, RenderJob& job) {
  ListZipArchive(*job.File(), Outdata(job), job.out);
  return static_cast<std::int64_t>(job.out.Size());
}

std::int64_t ListLzh(const Converter&, RenderJob& job) {
  ListLzhArchive(*job.File(), Outdata(job), job.out);
  return static_cast<std::int64_t>(job.out.Size());
}

std::int64_t WriteTitle(const Converter&, RenderJob& job) {
  Detect d;
  const std::size_t pos = static_cast<std::size_t>(job.m_nConvPos);
  d.head = job.Head() + pos;
  d.length = static_cast<std::size_t>(job.readSize) - pos;
  CString ext = LastThree(job.path);
  ext.MakeLower();
  d.extension = ext;
  const char* title = TitleFor(d);
  if (!title) return 0;
  if (std::strncmp(title, "GIF", 3) == 0) {
    // The version bytes of the head ("89a"); the head holds them (GIF + 3).
    const std::uint8_t* v = d.head + 3;
    const auto byteOr0 = [&](std::size_t i) { return d.length > 3 + i ? static_cast<char>(v[i]) : '\0'; };
    job.out.Printf(title, byteOr0(0), byteOr0(1), byteOr0(2));
  } else {
    job.out.Append(title);
  }
  return static_cast<std::int64_t>(job.out.Size());
}

// A mail file that is not a compound document: its bytes as text, NULs as
// blanks.
std::int64_t MailTextCopy(const Converter&, RenderJob& job) {
  const std::size_t n = static_cast<std::size_t>(job.readSize);
  std::vector<char> text(job.Head(), job.Head() + n);
  for (char& c : text)
    if (c == '\0') c = ' ';
  job.out.Append(text.data(), text.size());
  job.m_nKind = docsvc::kKindText;
  return static_cast<std::int64_t>(job.out.Size());
}

// The CSV pre-conversion: the read bytes in the table form, the same length,
// two NULs after them. A buffer that cannot grow ends the run as it is.
std::int64_t PreconvertCsvRow(const Converter&, RenderJob& job) {
  LoadBuffer& out = job.out;
  const std::size_t n = static_cast<std::size_t>(job.readSize);
  out.Clear();
  if (!out.Reserve(n + 100000)) return -1;
  char* at = out.Extend(n);
  if (!at) return -1;
  PreconvertCsv(job.Head(), n, reinterpret_cast<std::uint8_t*>(at));
  out.m_pLoadBuf[n + 1] = '\0';  // the second NUL (the room was reserved)
  return static_cast<std::int64_t>(n);
}

// Sound and video files (kinds 51-58): the media information of the head and,
// for MP3, the file's tail.
std::int64_t ShowMediaInfo(const Converter&, RenderJob& job) {
  MediaFile media;
  media.kind = job.m_nKind;
  media.extension = std::string(static_cast<const char*>(LastThree(job.path)));
  media.head = job.Head();
  media.headSize = static_cast<std::size_t>(job.readSize);
  media.file = job.File();
  WriteMediaInfo(media, job.out);
  return static_cast<std::int64_t>(job.out.Size());
}

// The plain copy of the frame is the text already.
std::int64_t PlainCopied(const Converter&, RenderJob& job) { return static_cast<std::int64_t>(job.out.Size()); }

// A mail item (kind 32 with a compound head): the directory in the file
// image, its captions, attachments and the extraction of one.
std::int64_t ReadMail(const Converter&, RenderJob& job) {
  CfbReader reader(job);
  CompoundStreamTable table;
  if (reader.LoadCompoundStreams(table) != CompoundLoad::kLoaded) return static_cast<std::int64_t>(job.out.Size());
  return ReadMailItem(job, reader, table);
}

// RTF (kind 4, by its name or its "{\rtf" head): from the cursor the sniff
// left to the end of the bytes read.
std::int64_t ReadRtf(const Converter&, RenderJob& job) {
  RtfWords words;
  words.m_nConvStyle = job.m_nConvStyle;
  words.m_nDumpBreaks = job.m_nDumpBreaks;
  words.m_nOpenContext = job.openContext;
  words.outdata = job.outdata;
  const std::int32_t held = job.readSize > 0 ? job.readSize : 0;
  const std::int32_t at = job.m_nConvPos < 0 ? 0 : job.m_nConvPos > held ? held : job.m_nConvPos;
  ConvertRtfToText(job.Head() + at, static_cast<std::size_t>(held - at), job.out, words);
  return static_cast<std::int64_t>(job.out.Size());
}

// A PDF converted to text, or its structure dump in context 2
// (pdf_converter.h).
std::int64_t ReadPdf(const Converter& row, RenderJob& job) { return ConvertPdf(row, job); }

// An ".xlsx" workbook, read from its package once the frame's buffers are
// set up (its file closed by then).
std::int64_t ReadXlsx(const Converter&, RenderJob& job) { return ConvertXlsxWorkbook(job); }

// A ".pptx" presentation, read from its package before the file is opened.
std::int64_t ReadPptx(const Converter&, RenderJob& job) { return ConvertPptxForJob(job); }
// A ".docx" document laid out as pages (run before the file is opened; a
// normal open only: context 2 lists the package).
std::int64_t ReadDocx(const Converter&, RenderJob& job) { return ConvertDocxToText(job); }

// An HTML (kind 6) or XML (kind 34) file through the markup engine, from the
// head's start; the bound leaves room for the cut notice before the finish
// cuts the text at "outdata" - 4.
std::int64_t ReadMarkup(const Converter&, RenderJob& job) {
  MarkupWords w;
  w.mode = job.readerMode;
  w.openContext = job.openContext;
  w.tblMax = job.tblMax;
  const std::int64_t room = static_cast<std::int64_t>(job.outdata) - 8 - static_cast<std::int64_t>(kMarkupNoticeRoom);
  w.outdata = job.outdata > 0 ? (room > 1 ? room : 1) : 0;
  w.m_nTxtsiz = job.m_nTxtsiz;
  w.m_bKeepLayout = job.m_bKeepLayout;
  w.m_bLinkList = job.m_bLinkList;
  w.m_nTextOnly = job.m_nTextOnly;
  w.m_nTextOnlyLines = job.m_nTextOnlyLines;
  w.m_bAsciiSymbols = job.m_bAsciiSymbols;
  w.m_bNoCharConv = job.m_bNoCharConv;
  const std::size_t n = job.readSize > 0 ? static_cast<std::size_t>(job.readSize) : 0;
  const MarkupResult r = job.m_nKind == docsvc::kKindXml ? RenderXmlAsText(job.Head(), n, w, job.out)
                                                         : RenderHtmlAsText(job.Head(), n, w, job.out);
  return r.size;
}

// PDF reads more of the file at the default "indata" (its streams are large).
const LimitRule kPdfLimits = {204800, 512000, 19000};

using docsvc::kKindMail;
using docsvc::kKindUnknown;

// In the order they are asked; within a stage the first row that takes the
// file wins. A row with kinds (first, last) takes only those kinds (0, 0:
// any kind); one with a detect function also needs it to hold.
const Converter kConverters[] = {
    // id, name, stage, kinds, detect, reader, limits, finish
    {"zip-listing", "ZIP", Stage::kSniff, 0, 0, DetectZip, ListZip, nullptr, false},
    {"lzh-listing", "LZH", Stage::kSniff, 0, 0, DetectLzh, ListLzh, nullptr, false},
    {"title", nullptr, Stage::kSniff, 0, 0, DetectTitle, WriteTitle, nullptr, false},
    {"mail", nullptr, Stage::kDispatch, kKindMail, kKindMail, IsCompound, ReadMail, nullptr, false},
    {"office97", nullptr, Stage::kDispatch, 0, 0, DetectCompoundOffice, ReadCompoundOffice, nullptr, true},
    {"mail-text", nullptr, Stage::kDispatch, kKindMail, kKindMail, nullptr, MailTextCopy, nullptr, true},
    {"ppt", "PowerPoint", Stage::kDispatch, docsvc::kKindPresentation, docsvc::kKindPresentation, nullptr,
     PresentationNotCompound, nullptr, true},
    {"word", "Word", Stage::kDispatch, 0, 0, DetectWordHead, WordFile, nullptr, true},
    {"biff", "Excel", Stage::kDispatch, docsvc::kKindExcel, docsvc::kKindExcel, DetectBiff, BareBiff, nullptr, true},
    {"csv", nullptr, Stage::kDispatch, docsvc::kKindCsv, docsvc::kKindCsv, nullptr, PreconvertCsvRow, nullptr, false},
    {"media", nullptr, Stage::kDispatch, docsvc::kKindMidi, docsvc::kKindMidi + 7, nullptr, ShowMediaInfo, nullptr,
     false},
    {"pdf", "PDF", Stage::kDispatch, 0, 0, DetectPdf, ReadPdf, &kPdfLimits, true},
    {"html", nullptr, Stage::kDispatch, docsvc::kKindHtml, docsvc::kKindHtml, nullptr, ReadMarkup, nullptr, true},
    {"xml", nullptr, Stage::kDispatch, docsvc::kKindXml, docsvc::kKindXml, nullptr, ReadMarkup, nullptr, true},
    {"xlsx", "Excel", Stage::kDispatch, docsvc::kKindXlsx, docsvc::kKindXlsx, nullptr, ReadXlsx, nullptr, true},
    {"docx", nullptr, Stage::kDispatch, docsvc::kKindDocx, docsvc::kKindDocx, nullptr, ReadDocx, nullptr, false},
    {"pptx", nullptr, Stage::kDispatch, docsvc::kKindPptx, docsvc::kKindPptx, nullptr, ReadPptx, nullptr, false},
    {"rtf", nullptr, Stage::kDispatch, docsvc::kKindRichText, docsvc::kKindRichText, nullptr, ReadRtf, nullptr,
     true},
    {"plain", nullptr, Stage::kDispatch, 0, 0, DetectPlainCopy, PlainCopied, nullptr, true},
    {"other", nullptr, Stage::kDispatch, 0, 0, nullptr, NotBuilt, nullptr, false},  // any other kind
};
constexpr int kConverterCount = static_cast<int>(sizeof kConverters / sizeof kConverters[0]);

// Stand-in readers of tests, by row.
ConvertFn g_standIn[kConverterCount] = {};

bool Takes(const Converter& c, const Detect& d) {
  if ((c.firstKind || c.lastKind) && (d.kind < c.firstKind || d.kind > c.lastKind)) return false;
  return !c.detect || c.detect(d);
}

bool IsPackedRichText(const CString& path) {
  CString tail = path.GetLength() >= 4 ? path.Right(4) : path;
  tail.MakeLower();
  return tail == ".rtz" || tail == "rtzx";
}

}  // namespace

const Converter* ConverterAt(Stage stage, const Detect& d) {
  for (const Converter& c : kConverters)
    if (c.stage == stage && Takes(c, d)) return &c;
  return stage == Stage::kDispatch ? &kConverters[kConverterCount - 1] : nullptr;
}

const Converter& ConverterFor(int kind, const std::uint8_t* head, std::size_t length) {
  Detect d;
  d.kind = kind;
  d.head = head;
  d.length = head ? length : 0;
  for (const Converter& c : kConverters)
    if (Takes(c, d)) return c;
  return kConverters[kConverterCount - 1];
}

Limits LimitsFor(const Converter& converter, const Limits& settings) {
  Limits out = settings;
  if (converter.limits && settings.indata == converter.limits->whenIndata) {
    out.indata = converter.limits->indata;
    out.tableRows = converter.limits->tableRows;
  }
  return out;
}

std::int64_t RunReader(const Converter& row, RenderJob& job) {
  const int index = static_cast<int>(&row - kConverters);
  ConvertFn fn = index >= 0 && index < kConverterCount && g_standIn[index] ? g_standIn[index] : row.convert;
  return fn(row, job);
}

ScopedReader::ScopedReader(const char* id, ConvertFn fn) {
  for (int i = 0; i < kConverterCount; ++i) {
    if (std::strcmp(kConverters[i].id, id) == 0) {
      m_row = i;
      m_saved = g_standIn[i];
      g_standIn[i] = fn;
      return;
    }
  }
}

ScopedReader::~ScopedReader() {
  if (m_row >= 0) g_standIn[m_row] = m_saved;
}

Result ConvertFile(Request request) {
  Result r;
  r.m_nExtractNo = request.m_nExtractNo;
  r.m_strCurFile = request.m_strCurFile;
  r.m_bSizeHigh = request.m_bSizeHigh;
  // The source forms (marked names, packed rich text) come with the archive
  // code: not the renderer's.
  if (docopen::HasSourceMarker(request.path) ||
      (request.kind == docsvc::kKindRichText && IsPackedRichText(request.path))) {
    r.status = Status::kNotBuilt;
    r.message = NotYetText(GetPathPart(request.path, 5), request.path);
    r.fileKind = request.kind;
    return r;
  }
  const Limits limits = LimitsFor(ConverterFor(request.kind, nullptr, 0), request.limits);
  RenderJob job;
  job.path = request.path;
  job.kind = request.kind;
  job.readerMode = request.markupFlag;
  job.forceMarkup = request.forceMarkup;
  job.openContext = request.openContext;
  job.layoutMode = request.layoutMode;
  const auto clamp32 = [](std::int64_t v) {
    return static_cast<std::int32_t>(v > INT32_MAX ? INT32_MAX : v < 0 ? 0 : v);
  };
  job.indata = clamp32(limits.indata);
  job.outdata = clamp32(limits.outdata);
  job.tblMax = limits.tableRows;
  job.nChar = request.nChar;
  job.rtbl = request.rtbl;
  job.m_nRawPage = request.rawPage;
  job.switches = request.switches;
  job.open = request.open;
  job.m_nConvStyle = request.m_nConvStyle;
  job.m_nDumpBreaks = request.m_nDumpBreaks;
  job.m_nExtractNo = request.m_nExtractNo;
  job.m_nExtractLetter = request.m_nExtractLetter;
  job.m_strProgramDir = request.m_strProgramDir;
  job.m_strCurFile = request.m_strCurFile;
  job.m_bSizeHigh = request.m_bSizeHigh;
  job.host = request.host;
  job.m_nXlsMode = request.m_nXlsMode;
  job.m_nXlsDecimals = request.m_nXlsDecimals;
  job.m_nLanguageSetting = request.m_nLanguageSetting;
  job.m_nFixedDecimals = request.m_nFixedDecimals;
  job.m_nGroupSwitch = request.m_nGroupSwitch;
  job.m_bUnzipBound = request.m_bUnzipBound;
  job.m_bTableLayout = request.m_bTableLayout;
  job.m_nTextBufSize = request.m_nTextBufSize;
  job.m_nPdfWidthAdjust = request.m_nPdfWidthAdjust;
  job.m_nPdfTdAdjust = request.m_nPdfTdAdjust;
  job.m_bLatin1Text = request.m_bLatin1Text;
  job.m_nDocEditMode = request.m_nDocEditMode;
  job.m_nTxtsiz = request.m_nTxtsiz;
  job.m_bKeepLayout = request.m_bKeepLayout;
  job.m_bLinkList = request.m_bLinkList;
  job.m_nTextOnly = request.m_nTextOnly;
  job.m_nTextOnlyLines = request.m_nTextOnlyLines;
  job.m_bAsciiSymbols = request.m_bAsciiSymbols;
  job.m_bNoCharConv = request.m_bNoCharConv;
  RenderFileAsText(job);

  r.m_nExtractNo = job.m_nExtractNo;
  r.m_strCurFile = job.m_strCurFile;
  r.m_bSizeHigh = job.m_bSizeHigh;
  r.m_strConvImage = job.m_strConvImage;

  r.fileKind = job.m_nFileKind;
  r.rawPage = job.m_nRawPage;
  r.fileCut = job.m_bFileCut;
  r.convSize = job.m_nConvSize;
  switch (job.status) {
    case RenderStatus::kText:
      if (job.out.Failed()) {
        r.message = docopen::GetOpenText(docopen::OpenText::kOutOfMemory);
        return r;
      }
      r.status = Status::kOk;
      r.text.assign(job.out.Data(), job.out.Size());
      return r;
    case RenderStatus::kNotBuilt:
      r.status = Status::kNotBuilt;
      r.message = job.message;
      return r;
    case RenderStatus::kCannotOpen:
    case RenderStatus::kFileOver:
    case RenderStatus::kNoMemory:
      r.message = job.message;
      return r;
  }
  return r;
}

const Converter* Converters(int* count) {
  if (count) *count = kConverterCount;
  return kConverters;
}

}  // namespace convert
