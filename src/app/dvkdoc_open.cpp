// Opening and saving the document: OpenFile by kind and mode, the renderer
// and image entries, the encoding choice, SaveFile with its backup.
//
// The rules that need no window live in core/docopen (kind and mode tables,
// the text loader, the texts); this file reads and writes files and moves the
// results into the document.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "app/convert_doc_host.h"
#include "convert/convert_registry.h"
#include "core/docopen/openplan.h"
#include "core/docopen/opentexts.h"
#include "core/docopen/picture_suffix.h"
#include "core/docopen/textload.h"
#include "core/docsvc/backup.h"
#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"
#include "core/docsvc/sourceform.h"
#include "core/fileops/scratchclean.h"
#include "filelist/flistcore/entries.h"
#include "core/docopen/savename.h"
#include "core/crypto/encname.h"
#include "csv/csv_fileopen.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/alloc.h"
#include "fw/app.h"
#include "fw/datetime.h"
#include "fw/file.h"
#include "fw/mapped_file.h"
#include "fw/menu.h"
#include "fw/msgbox.h"
#include "fw/fwtext.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/viewcore/docsave.h"
#include "view/viewload/updateplan.h"
#include "core/safewrite/safewrite.h"

using docopen::GetOpenText;
using docopen::OpenText;

namespace {

// Spare bytes after a loaded text: writers of the document text (the table
// engine stops 19,000 bytes before the capacity) get room without a realloc.
constexpr std::uint32_t kTextMargin = 100000;

CDvkView* ActiveTextView(CDvkDoc* doc) { return doc->GetActiveTextView(); }

// A message of the open or save: through the active view's ReportMessage
// (which honours "nodisp" and the external-run mode), else a box.
void ShowDocMessage(CDvkDoc* doc, const CString& text) {
  if (CDvkView* v = ActiveTextView(doc)) {
    v->ReportMessage(2, text);
    return;
  }
  AfxMessageBox(text, MB_OK);
}

void StatusText(const CString& text) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, text);
}

CString CannotOpenText(const CString& path) { return GetOpenText(OpenText::kCannotOpen) + "\nfile = " + path; }

bool EndsWithNoCase(const CString& s, const char* suffix) {
  int n = static_cast<int>(std::strlen(suffix));
  if (s.GetLength() < n) return false;
  CString t = s.Right(n);
  t.MakeLower();
  return t == suffix;
}

// What a reader hands over: a fw::Alloc block with a NUL after `length`.
struct Loaded {
  char* text = nullptr;
  std::uint32_t length = 0;
  std::uint32_t capacity = 0;
  textcodec::DecodeResult info;
  bool decoded = false;  // info describes a decode
};

// While a big file is read, after each piece: a poll for Esc (which also lets
// the window answer messages sent to it), and every 100 ms the percentage in
// pane 0 (from 100 ms on, so small files never touch the status bar).
struct LoadPoll {
  DWORD last = GetTickCount();
  bool shown = false;

  static bool Poll(void* context, std::size_t done, std::size_t total) {
    LoadPoll* self = static_cast<LoadPoll*>(context);
    const DWORD now = GetTickCount();
    if (now - self->last >= kLoadPollMs && g_pStatusBar && g_pStatusBar->m_hWnd && total) {
      self->last = now;
      CString text;
      text.Format(GetOpenText(OpenText::kLoadProgress),
                  static_cast<int>(static_cast<unsigned long long>(done) * 100 / total));
      g_pStatusBar->SetPaneText(0, text);
      self->shown = true;
    }
    if (g_pMainFrame && g_pMainFrame->CheckEscapeAbort()) {
      if (g_pDvkDoc) g_pDvkDoc->m_bAbort = 0;
      return true;
    }
    return false;
  }
  void Done() {
    if (shown && g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, "");
  }
  static constexpr DWORD kLoadPollMs = 100;
};

// How a read of the file's own bytes ended.
enum class ReadEnd { kRead, kCannotOpen, kTooLarge, kNoMemory, kStopped };

// Reads the bytes of a text, CSV or rich-text file into `got` as `plan`
// says; `onePass` receives the table a one-pass CSV open made.
ReadEnd ReadFileText(const CString& readPath, const docopen::TextRead& plan, textcodec::TextEncoding forced,
                     Loaded* got, csv::Table* onePass) {
  fw::MappedFile file;
  if (!file.Open(readPath)) return ReadEnd::kCannotOpen;
  if (plan.bytesAsTheyAre) {
    // RTF is ASCII with \'xx escapes: taken byte for byte.
    std::uint64_t size = file.Size();
    if (size + 1 + kTextMargin > 0xFFFFFFFFull) return ReadEnd::kTooLarge;
    std::uint32_t cap = static_cast<std::uint32_t>(size + 1 + kTextMargin);
    char* p = static_cast<char*>(fw::Alloc(cap));
    if (!p) return ReadEnd::kNoMemory;
    if (size) std::memcpy(p, file.Data(), static_cast<std::size_t>(size));
    p[size] = '\0';
    got->text = p;
    got->length = static_cast<std::uint32_t>(size);
    got->capacity = cap;
    return ReadEnd::kRead;
  }
  docopen::TextLoad t;
  LoadPoll poll;
  docopen::LoadProgress progress;
  progress.poll = &LoadPoll::Poll;
  progress.context = &poll;
  // Clean Shift-JIS shown as a table: the table is made straight from the
  // mapped file, and the document's text comes back from it once the file
  // is unmapped (at most two buffers of the file's size).
  bool stopped = false;
  const bool onePassTaken =
      plan.tryOnePass && csv::LoadTableInOnePass(file.Data(), static_cast<std::size_t>(file.Size()), forced,
                                                 csv::kShownTableMargin, onePass, 0, &progress, &stopped);
  bool loaded = false;
  if (onePassTaken) {
    file.Close();
    loaded = csv::FinishOnePassOpen(onePass, kTextMargin, &t);
  } else if (!stopped) {
    loaded = docopen::LoadTextToSjis(file.Data(), static_cast<std::size_t>(file.Size()), forced, kTextMargin, &t,
                                     docopen::kDecodePiece, &progress, plan.readBack);
  }
  poll.Done();
  if (stopped || (!loaded && t.stopped)) return ReadEnd::kStopped;
  if (!loaded) return t.tooLarge ? ReadEnd::kTooLarge : ReadEnd::kNoMemory;
  got->text = t.text;
  got->length = t.length;
  got->capacity = t.capacity;
  got->info = std::move(t.info);
  got->decoded = true;
  return ReadEnd::kRead;
}

// A rendered text in a block of the renderer's buffer size (cut with room for
// the NUL, as the renderers always were); false when the block is not had.
bool TakeRenderedText(const std::string& text, const docopen::RenderPlan& plan, Loaded* got) {
  char* buf = static_cast<char*>(fw::Alloc(plan.bufferSize));
  if (!buf) return false;
  const std::uint32_t n = docopen::RenderedLength(text.size(), plan.bufferSize);
  if (n) std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  got->text = buf;
  got->length = n;
  got->capacity = plan.bufferSize;
  return true;
}

}  // namespace

BOOL CDvkDoc::OnOpenDocument(const char* path) {
  CString p(path);
  if (IsPseudoName(p) || p.IsEmpty()) return TRUE;
  // A quoted name from the shell and a schedule or macro request form: the
  // path is the text before the first TAB (the rest is the request, which
  // the schedule and macro runners read from the command line).
  p.TrimLeft();
  p.TrimRight();
  if (p.GetLength() >= 2 && p[0] == '"' && p[p.GetLength() - 1] == '"') p = p.Mid(1, p.GetLength() - 2);
  int tab = p.Find('\t');
  if (tab >= 0) p = p.Left(tab);
  if (p.IsEmpty() || IsPseudoName(p)) return TRUE;
  // A failed open has shown its message; the previous document, its path,
  // title and edit mark stay as they were.
  if (OpenFile(p, docopen::OpenMode::kPlain) != 0) return FALSE;
  SetModifiedFlag(FALSE);
  ClearViewsModified();
  return TRUE;
}

int CDvkDoc::OpenFile(CString path, docopen::OpenMode mode) {
  // The scratch folders are cleaned once per run, before anything is
  // unpacked into them: a file named on the command line opens before the
  // first list pane, which otherwise does it, would remove its work files.
  if (m_nFlist == app::kFlistAtConstruction && fileops::g_pDocFileOps) {
    m_nFlist = flist::kStartCapacity;
    fileops::CleanScratchAtStart(*fileops::g_pDocFileOps, m_strProgramDir, flist::kStartCapacity);
  }
  const docopen::OpenModeEntry& how = docopen::OpenModeFor(mode);
  m_strOpenMessage.Empty();
  const textcodec::TextEncoding forced = m_nEncodingChoice;
  m_nEncodingChoice = textcodec::TextEncoding::kAuto;  // a choice serves one open
  // A picture asked for turned or flipped ("a.bmp%R"): the file without the
  // suffix, the turn in word 8 for the loader and the view's take-over.
  // Another file opened without a suffix clears the turn; the shown file
  // opened again (a reload) keeps it. An open that does not replace the
  // shown document (a failure, a text-only read) leaves the word as it was.
  struct KeepTurn {
    std::uint32_t& word;
    const std::uint32_t before;
    bool replaced = false;
    ~KeepTurn() {
      if (!replaced) word = before;
    }
  } turn{m_imageLoad.m_aImageSettings[docopen::kPictureSuffixWord],
         m_imageLoad.m_aImageSettings[docopen::kPictureSuffixWord]};
  {
    std::string plain;
    turn.word = docopen::TransformCodeForOpen(path.GetString(), m_strDocPath.GetString(), turn.before, &plain);
    path = CString(plain.c_str());
  }

  auto fail = [&](const CString& message) -> int {
    m_strOpenMessage = message;
    if (how.textOnly) {
      // Mode 12 callers test m_nTextLen: 0 = no text.
      m_nTextLen = 0;
      if (m_pText && m_nTextCapacity) m_pText[0] = '\0';
    } else if (how.show) {
      ShowDocMessage(this, message);
    }
    return -1;
  };

  // Step 1: the name on disk (an enciphered name's display form) and the kind.
  CString readPath = path;
  if (path.Find(crypto::kDisplayNameMarker) >= 0) {
    readPath = CString(crypto::TranslateEncryptedName(static_cast<const char*>(path), 0,
                                                      static_cast<const char*>(m_strEncryptKeyCode))
                           .c_str());
  }
  // A compressed or enciphered source form is decoded into its plain work
  // file first; the document keeps the form's path. A failed open leaves no
  // work file behind.
  CString sourceFile;
  struct DropWork {
    CDvkDoc* doc;
    CString file;
    ~DropWork() {
      if (!file.IsEmpty()) doc->RemoveSourceWorkFiles(doc->m_strSourceWorkFile);
    }
  } dropWork{this, CString()};
  if (how.show) {
    CString plain;
    const int decoded = DecodeSourceForOpen(readPath, &plain, &sourceFile);
    if (decoded < 0) {
      m_strOpenMessage = GetOpenText(OpenText::kCannotOpen);
      return -1;
    }
    if (decoded > 0) {
      readPath = plain;
      dropWork.file = plain;
    }
  }
  int kind = how.kindOverride ? how.kindOverride : GetFileKind(readPath);
  int pictureKind = 0;  // the kind of a picture a renderer loaded
  docopen::Reader reader = docopen::ReaderFor(kind, readPath);

  // Step 2: the new text, read beside the document. A CSV table made by the
  // open itself is offered to the first view that shows the text; whatever
  // no view took goes when the open returns.
  Loaded got;
  csv::Table onePass;
  struct DropOffered {
    csv::OpenedTable& offered;
    ~DropOffered() { offered.Drop(); }
  } dropOffered{m_openedTable};
  std::int32_t fileCut = 0;  // the renderer read only part of the file
  CString extractedFile;     // an attachment a renderer wrote out
  CFileStatus status;
  const bool haveStatus = CFile::GetStatus(readPath, status) != FALSE;

  if (docopen::ReadsFileAsText(reader)) {
    const bool folder = haveStatus && (status.m_attribute & CFile::directory);
    const docopen::TextRead plan =
        docopen::PlanTextRead(reader, how, viewload::ShownFormOf(kind) == viewload::ShownForm::kTable);
    switch (folder ? ReadEnd::kCannotOpen : ReadFileText(readPath, plan, forced, &got, &onePass)) {
      case ReadEnd::kRead: break;
      case ReadEnd::kCannotOpen: return fail(CannotOpenText(path));
      case ReadEnd::kTooLarge: return fail(GetOpenText(OpenText::kTooLarge));
      case ReadEnd::kNoMemory: return fail(GetOpenText(OpenText::kOutOfMemory));
      case ReadEnd::kStopped:
        // Esc: the previous document stays as it was, without a message box.
        m_strOpenMessage = GetOpenText(OpenText::kLoadStopped);
        StatusText(m_strOpenMessage);
        return -1;
    }
  } else if (reader == docopen::Reader::kImage) {
    // The loader refuses while the record is marked (1 waiting, 2 taken
    // over or embedded): a new picture releases a block still held and
    // clears the mark, so that one picture after another opens.
    if (m_imageLoad.m_nLoadReady > 0) {
      ReleaseImageRecord();
      m_imageLoad.m_nLoadReady = 0;
    }
    if (LoadImageFile(readPath, 0) < 0) return fail(m_strOpenMessage);
    // The picture waits in the load record for the image view; the text
    // stays a notice that the picture cannot be shown, which the view shows
    // when it cannot take the record.
    CString ext = GetPathPart(path, 5);
    ext.MakeUpper();
    CString notice;
    notice.Format(GetOpenText(OpenText::kPictureNotYet), static_cast<const char*>(ext));
    if (!TakeRenderedText(std::string(notice.GetString()), docopen::RenderPlan{static_cast<std::uint32_t>(notice.GetLength()) + 1 + kTextMargin}, &got))
      return fail(GetOpenText(OpenText::kOutOfMemory));
  } else {
    // Archives, packed and marked sources and everything else: the renderers.
    const CString curBefore = m_strCurFile;
    const CString imageBefore = m_strConvImage;
    m_strConvImage.Empty();
    const std::optional<std::string> text = RenderFileAsText(readPath, how.markupFlag, 0, kind);
    // A reader that wrote out a picture and loaded it (a PDF or Office
    // picture asked for by its marker) left the picture's kind: the document
    // becomes that picture, so that the image view takes it.
    if (!m_strConvImage.IsEmpty() && docsvc::IsPictureKind(static_cast<int>(m_nFileKind)))
      pictureKind = static_cast<int>(m_nFileKind);
    else if (m_strConvImage.IsEmpty())
      m_strConvImage = imageBefore;
    // A reader that wrote out an attachment leaves its path as the current
    // file; the hand-over below keeps it.
    if (m_strCurFile != curBefore) extractedFile = m_strCurFile;
    if (!text) return fail(m_strOpenMessage.IsEmpty() ? CannotOpenText(path) : m_strOpenMessage);
    if (!TakeRenderedText(*text, docopen::PlanRender(m_nIndata, m_nOutdata), &got))
      return fail(GetOpenText(OpenText::kOutOfMemory));
    fileCut = m_bFileCut;
  }

  // Step 3: the hand-over. Only now is the previous document replaced.
  fw::Free(m_pText);
  m_pText = got.text;
  m_nTextLen = got.length;
  m_nTextCapacity = got.capacity;
  m_nReadPos = 0;
  m_nStreamLen = got.length;
  m_nReadEnd = got.length;
  m_bFileCut = fileCut;
  m_openEncoding = got.decoded ? std::move(got.info) : textcodec::DecodeResult();
  m_openEncoding.text.clear();
  m_nOpenReplaced = static_cast<std::uint32_t>(m_openEncoding.replaced);
  if (onePass.m_pTextBuf) m_openedTable.Offer(onePass, m_pText, m_nTextLen, csv::kShownTableMargin);

  const docopen::AfterLoad after =
      docopen::PlanAfterLoad(how, haveStatus, m_openEncoding.error != textcodec::TextCodecError::kNone,
                             m_openEncoding.replaced);
  if (after.textOnly) return 0;

  turn.replaced = true;
  m_strDocPath = path;
  m_strCurFile = !extractedFile.IsEmpty() ? extractedFile : sourceFile.IsEmpty() ? path : sourceFile;
  // Work files of an earlier source go; this one's stays while it is shown.
  SourceOpened(sourceFile.IsEmpty() ? CString() : path, sourceFile.IsEmpty() ? CString() : readPath, readPath);
  dropWork.file.Empty();
  // A text a renderer made is never saved over the file it was made from.
  m_strRenderedFrom = docopen::ReadsFileAsText(reader) ? CString() : path;
  ActivePath() = path;
  m_strDocName = GetPathPart(path, 1);
  m_strDocBaseName = GetPathPart(path, 2);
  m_nFileKind = pictureKind ? pictureKind : kind;
  m_nUpdateCode = app::UpdateCode::kContent;
  m_nLoadState = 1;
  if (after.recordTime) m_tOpenedFileTime = status.m_mtime.GetTime();

  // What the decode found: damage as a message, replacements on the status bar.
  CString note;
  if (after.note == docopen::AfterLoad::Note::kDecodeError)
    note.Format(GetOpenText(OpenText::kDecodeError), textcodec::TextCodecErrorText(m_openEncoding.error));
  else if (after.note == docopen::AfterLoad::Note::kReplaced)
    note.Format(GetOpenText(OpenText::kReplacedChars), static_cast<unsigned>(m_openEncoding.replaced));
  m_strOpenMessage = note;

  if (after.show) {
    UpdateAllViews(nullptr, 0, nullptr);
    // A shown picture keeps its caption in the pane.
    const bool pictureCaption = (reader == docopen::Reader::kImage || pictureKind) && note.IsEmpty();
    if (after.setStatusPane && !pictureCaption) StatusText(after.noteInBox ? CString() : note);
    if (after.noteInBox) ShowDocMessage(this, note);
  }
  return 0;
}

std::optional<std::string> CDvkDoc::RenderFileAsText(CString path, int markupFlag, int option, int kind) {
  // The renderer frame (convert/render_frame.h) over the document's settings
  // and renderer fields; a format that reads more gets its own limits there,
  // the settings stay as they are.
  convert::Request request;
  request.path = path;
  request.kind = kind ? kind : GetFileKind(path);
  request.markupFlag = markupFlag;
  request.limits.indata = m_nIndata;
  request.limits.outdata = m_nOutdata;
  request.limits.tableRows = m_nTblMax;
  request.nChar = m_nChar;
  request.rtbl = m_nRtbl;
  request.openContext = m_nOpenContext;
  request.rawPage = m_nRawPage;
  request.layoutMode = m_nLayoutMode;
  request.switches.quickLoad = m_bQuickLoad;
  request.switches.shortView = m_bShortView;
  request.switches.binaryView = m_bBinaryView;
  request.switches.rtfAsSource = m_bRtfAsSource;
  request.switches.markup = m_bMarkupMode;
  request.forceMarkup = option;
  request.m_nConvStyle = m_nConvStyle;
  request.m_nDumpBreaks = m_nDumpBreaks;
  request.m_nExtractNo = m_nExtractNo;
  request.m_nExtractLetter = m_nExtractLetter;
  request.m_strProgramDir = m_strProgramDir;
  request.m_strCurFile = m_strCurFile;
  request.m_bSizeHigh = m_bSizeHigh;
  request.m_nXlsMode = m_nXlsMode;
  request.m_nXlsDecimals = m_nXlsDecimals;
  request.m_nFixedDecimals = m_nFixedDecimals;
  request.m_nGroupSwitch = m_nGroupSwitch;
  request.m_bTableLayout = m_bTableLayout;
  request.m_bUnzipBound = m_pfnUnZip != nullptr ? 1 : 0;
  request.m_nTextBufSize = m_nTextBufSize;
  request.m_nPdfWidthAdjust = m_nPdfWidthAdjust;
  request.m_nPdfTdAdjust = m_nPdfTdAdjust;
  request.m_bLatin1Text = m_bLatin1Text;
  request.m_nTxtsiz = m_nTxtsiz;
  request.m_bKeepLayout = m_bKeepLayout;
  request.m_bLinkList = m_bLinkList;
  request.m_nTextOnly = m_nTextOnly;
  request.m_nTextOnlyLines = m_nTextOnlyLines;
  request.m_bAsciiSymbols = m_bAsciiSymbols;
  request.m_bNoCharConv = m_bNoCharConv;
  if (CDvkView* view = GetActiveTextView()) request.m_nDocEditMode = static_cast<std::int32_t>(view->m_nEditMode);
  app::ConvertDocHost host(*this);
  request.host = &host;
  convert::Result r = convert::ConvertFile(request);
  // What the readers changed stays whatever the outcome.
  m_nExtractNo = r.m_nExtractNo;
  m_strCurFile = r.m_strCurFile;
  m_bSizeHigh = r.m_bSizeHigh;
  if (!r.m_strConvImage.IsEmpty()) {
    m_strConvImage = r.m_strConvImage;
    m_nFileKind = r.fileKind;
  }
  if (r.status != convert::Status::kOk) {
    m_strOpenMessage = r.message;
    return std::nullopt;
  }
  m_nRawPage = r.rawPage;
  m_nConvSize = r.convSize;
  m_bFileCut = r.fileCut;
  return std::move(r.text);
}

int CDvkDoc::ReopenWithEncoding(textcodec::TextEncoding encoding) {
  if (m_strCurFile.IsEmpty()) return -1;
  int kind = GetFileKind(m_strCurFile);
  docopen::Reader r = docopen::ReaderFor(kind, m_strCurFile);
  if (r != docopen::Reader::kText && r != docopen::Reader::kCsv) return -1;
  m_nEncodingChoice = encoding;
  return OpenFile(m_strCurFile, docopen::OpenMode::kShowAgain);
}

void CDvkDoc::OnEncodingChoice() {
  CMenu menu;
  if (!menu.CreatePopupMenu()) return;
  for (int i = 0; i < textcodec::kTextEncodingCount; ++i) {
    auto e = static_cast<textcodec::TextEncoding>(i);
    CString text = textcodec::TextEncodingName(e);
    UINT flags = MF_STRING;
    if (i != 0 && e == m_openEncoding.encoding) flags |= MF_CHECKED;
    menu.AppendMenu(flags, static_cast<UINT_PTR>(i + 1), text);
  }
  POINT pt = {};
  GetCursorPos(&pt);
  CWnd* owner = AfxGetMainWnd();
  UINT chosen = static_cast<UINT>(
      menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN, pt.x, pt.y, owner));
  if (chosen < 1 || chosen > static_cast<UINT>(textcodec::kTextEncodingCount)) return;
  ReopenWithEncoding(static_cast<textcodec::TextEncoding>(chosen - 1));
}

int CDvkDoc::SaveFile(CString path, int mode, CDvkView* source, int writeKind) {
  if (path.IsEmpty()) return -1;
  // Backup only.
  if (mode == 99) return MakeBackupCopy(path) < 0 ? -1 : 0;

  // A save onto the work file of a decoded source form is a save of the form.
  if (!m_strSourceMarkedPath.IsEmpty() && !m_strSourceWorkFile.IsEmpty() &&
      docopen::SamePath(path.Str(), m_strSourceWorkFile.Str()) && !EndsWithNoCase(m_strSourceMarkedPath, "rtzx"))
    path = m_strSourceMarkedPath;
  const bool documentText = writeKind == kSaveDocumentText;
  int kind = documentText ? docsvc::kKindText : writeKind > 0 ? writeKind : GetFileKind(path);
  if (EndsWithNoCase(path, "rtzx")) {
    // The packed rich text with its pictures is written by its own command.
    ShowDocMessage(this, fw::LoadText(IDS_CANNOT_PACK_DIRECTLY));
    return -1;
  }
  // Source forms: the plain text goes to a work file, which is then packed
  // or enciphered into the form's path (no backup of the plain copy).
  CString writePath = path;
  const bool sourceForm = docopen::HasSourceMarker(path) || EndsWithNoCase(path, ".rtz");
  if (sourceForm) {
    const CString plainName = EndsWithNoCase(path, ".rtz") ? GetPathPart(path, 2) + ".rtf" : GetPathPart(path, 4);
    int plainKind = GetFileKind(plainName);
    if (plainKind >= docsvc::kKindBmp && plainKind <= docsvc::kKindEmf) {
      // A marked picture name is no target at all.
      ShowDocMessage(this, GetOpenText(OpenText::kMarkedNotImage));
      return -1;
    }
    writePath = SourceSaveWorkPath(path);
    if (!documentText && writeKind <= 0) kind = plainKind;
  }

  viewcore::SafeWriteOptions options;
  options.programDir = sourceForm ? CString() : m_strProgramDir;
  options.keepModTime = m_bKeepFileDate ? m_tOpenedFileTime : 0;
  // Losing characters is asked once per save (a retry after the write
  // protection question does not ask again); No is the default.
  bool lossAccepted = false;
  options.confirmLoss = [&lossAccepted](std::size_t lost) {
    if (!lossAccepted)
      lossAccepted =
          AfxMessageBox(viewcore::LossQuestionText(lost), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    return lossAccepted;
  };
  // Written back in the encoding the file was read in when it is the same file.
  const textcodec::DecodeResult* origin = path.CompareNoCase(m_strCurFile) == 0 || m_bSaveInOpenEncoding ||
                                                   (sourceForm && path.CompareNoCase(m_strSourceMarkedPath) == 0)
                                               ? &m_openEncoding
                                               : nullptr;

  auto write = [&]() -> viewcore::SaveResult {
    // The view writes a table (its working buffer) and edited rich text;
    // for a text it brings the document's text up to date first.
    CDvkView* v = source ? source : ActiveTextView(this);
    viewcore::SaveResult fromView;
    if (v && !documentText && v->WriteViewContent(writePath, kind, origin, options, &fromView)) return fromView;
    const char* text = m_pText ? m_pText : "";
    std::size_t len = m_pText ? m_nTextLen : 0;
    if (kind == docsvc::kKindRichText) return viewcore::SafeWriteFile(writePath, text, len, options);
    return viewcore::SaveSjisText(writePath, text, len, origin, options);
  };

  viewcore::SaveResult r = write();
  if (!r.ok && r.error == viewcore::SaveError::kReadOnly) {
    CString ask;
    ask.Format(GetOpenText(OpenText::kWriteProtectedAsk), static_cast<const char*>(path));
    if (AfxMessageBox(ask, MB_YESNO) != IDYES) return -1;
    SetFileAttributesA(writePath, FILE_ATTRIBUTE_NORMAL);
    r = write();
    if (!r.ok) {
      CString t;
      t.Format(GetOpenText(OpenText::kWriteProtected), static_cast<const char*>(path));
      ShowDocMessage(this, t);
      return -1;
    }
  }
  if (!r.ok) {
    if (r.error != viewcore::SaveError::kNotConfirmed) ShowDocMessage(this, r.message);
    return -1;
  }
  if (sourceForm) {
    // The form itself: a backup of the old one, then the new one written
    // under a scratch name and renamed over it.
    CFileStatus old;
    if (CFile::GetStatus(path, old) && MakeBackupCopy(path) < 0) return -1;
    const int formMode = EndsWithNoCase(path, ".rtz") ? docsvc::kSourceRtz
                                                      : docsvc::SourceModeForMarker(docsvc::SourceMarkerOf(path));
    if (SaveEncryptedSource(formMode, writePath, path) != 0) return -1;
    m_strSourceMarkedPath = path;
    m_strSourceWorkFile = writePath;
  }
  if (!r.warning.IsEmpty()) StatusText(r.warning);
  SetModifiedFlag(FALSE);
  return 0;
}
