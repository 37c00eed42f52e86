// Opening and saving the document: OpenFile by kind and mode, the renderer
// and image entries, the encoding choice, SaveFile with its backup.
//
// The rules that need no window live in core/docopen (kind and mode tables,
// the text loader, the texts); this file reads and writes files and moves the
// results into the document.
#include <windows.h>

#include <cstring>

#include "convert/convert_registry.h"
#include "core/docopen/openplan.h"
#include "core/docopen/opentexts.h"
#include "core/docopen/textload.h"
#include "core/docsvc/backup.h"
#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"
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
  const docopen::OpenModeEntry& how = docopen::OpenModeFor(mode);
  m_strOpenMessage.Empty();
  const textcodec::TextEncoding forced = m_nEncodingChoice;
  m_nEncodingChoice = textcodec::TextEncoding::kAuto;  // a choice serves one open

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
  int kind = how.kindOverride ? how.kindOverride : GetFileKind(readPath);
  docopen::Reader reader = docopen::ReaderFor(kind, readPath);

  Loaded got;
  // A CSV table made by the open itself, offered to the first view that
  // shows the text; whatever no view took goes when the open returns.
  csv::Table onePass;
  struct DropOffered {
    csv::OpenedTable& offered;
    ~DropOffered() { offered.Drop(); }
  } dropOffered{m_openedTable};
  std::int32_t fileCut = 0;  // the renderer read only part of the file
  CFileStatus status;
  const bool haveStatus = CFile::GetStatus(readPath, status) != FALSE;

  switch (reader) {
    case docopen::Reader::kText:
    case docopen::Reader::kCsv:
    case docopen::Reader::kRichText: {
      if (haveStatus && (status.m_attribute & CFile::directory)) return fail(CannotOpenText(path));
      fw::MappedFile file;
      if (!file.Open(readPath)) return fail(CannotOpenText(path));
      if (reader == docopen::Reader::kRichText) {
        // RTF is ASCII with \'xx escapes: taken byte for byte.
        std::uint64_t size = file.Size();
        if (size + 1 + kTextMargin > 0xFFFFFFFFull) return fail(GetOpenText(OpenText::kTooLarge));
        std::uint32_t cap = static_cast<std::uint32_t>(size + 1 + kTextMargin);
        char* p = static_cast<char*>(fw::Alloc(cap));
        if (!p) return fail(GetOpenText(OpenText::kOutOfMemory));
        if (size) std::memcpy(p, file.Data(), static_cast<std::size_t>(size));
        p[size] = '\0';
        got.text = p;
        got.length = static_cast<std::uint32_t>(size);
        got.capacity = cap;
      } else {
        docopen::TextLoad t;
        LoadPoll poll;
        docopen::LoadProgress progress;
        progress.poll = &LoadPoll::Poll;
        progress.context = &poll;
        auto stoppedByEsc = [&]() {
          // Esc: the previous document stays as it was, without a message box.
          m_strOpenMessage = GetOpenText(OpenText::kLoadStopped);
          if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, m_strOpenMessage);
          return -1;
        };
        // Clean Shift-JIS shown as a table: the table is made straight from
        // the mapped file, and the document's text comes back from it once
        // the file is unmapped (at most two buffers of the file's size).
        bool stopped = false;
        const bool onePassTaken =
            reader == docopen::Reader::kCsv && how.show && !how.textOnly &&
            viewload::ShownFormOf(kind) == viewload::ShownForm::kTable &&
            csv::LoadTableInOnePass(file.Data(), static_cast<std::size_t>(file.Size()), forced,
                                    csv::kShownTableMargin, &onePass, 0, &progress, &stopped);
        if (stopped) {
          poll.Done();
          return stoppedByEsc();
        }
        bool loaded;
        if (onePassTaken) {
          file.Close();
          loaded = csv::FinishOnePassOpen(&onePass, kTextMargin, &t);
        } else {
          // A CSV file is shown as a table, which writes each 0x06 back as ','.
          const textcodec::ReadBack readBack =
              reader == docopen::Reader::kCsv ? textcodec::ReadBack::kCommaForSix : textcodec::ReadBack::kAsRead;
          loaded = docopen::LoadTextToSjis(file.Data(), static_cast<std::size_t>(file.Size()), forced, kTextMargin,
                                           &t, docopen::kDecodePiece, &progress, readBack);
        }
        poll.Done();
        if (!loaded && t.stopped) return stoppedByEsc();
        if (!loaded) return fail(GetOpenText(t.tooLarge ? OpenText::kTooLarge : OpenText::kOutOfMemory));
        got.text = t.text;
        got.length = t.length;
        got.capacity = t.capacity;
        got.info = std::move(t.info);
        got.decoded = true;
      }
      break;
    }
    case docopen::Reader::kImage: {
      int r = LoadImageFile(readPath, 0);
      if (r < 0) return fail(m_strOpenMessage);
      // A loaded picture: the view takes it from the image loader.
      if (kind == docsvc::kKindWmf || kind == docsvc::kKindEmf) m_nPendingViewCmd = 33;
      got.text = static_cast<char*>(fw::Alloc(1 + kTextMargin));
      if (!got.text) return fail(GetOpenText(OpenText::kOutOfMemory));
      got.text[0] = '\0';
      got.capacity = 1 + kTextMargin;
      break;
    }
    case docopen::Reader::kArchive:
    case docopen::Reader::kRichTextPacked:
    case docopen::Reader::kMarkedSource:
    case docopen::Reader::kRenderer: {
      // The renderer's buffer, with the owner flag: freed here unless it
      // becomes the document text.
      const docopen::RenderPlan plan = docopen::PlanRender(m_nIndata, m_nOutdata);
      char* buf = static_cast<char*>(fw::Alloc(plan.bufferSize));
      if (!buf) return fail(GetOpenText(OpenText::kOutOfMemory));
      char* savedBuf = m_pLoadBuf;
      std::uint32_t savedCap = m_nLoadBufCapacity;
      int savedOwned = m_bLoadBufOwned;
      m_pLoadBuf = buf;
      m_nLoadBufCapacity = plan.bufferSize;
      m_bLoadBufOwned = 1;
      m_nWritePos = 0;
      const int n = RenderFileAsText(readPath, how.markupFlag, 0, kind);
      fileCut = m_bFileCut;
      char* out = m_pLoadBuf;
      std::uint32_t outCap = m_nLoadBufCapacity;
      m_pLoadBuf = savedBuf;
      m_nLoadBufCapacity = savedCap;
      m_bLoadBufOwned = savedOwned;
      const docopen::RenderTake take = docopen::TakeRendered(n, outCap);
      if (take.outcome != docopen::RenderOutcome::kText) {
        fw::Free(out);
        if (take.outcome == docopen::RenderOutcome::kNoBuffer) return fail(GetOpenText(OpenText::kOutOfMemory));
        return fail(m_strOpenMessage.IsEmpty() ? CannotOpenText(path) : m_strOpenMessage);
      }
      const std::uint32_t len = take.length;
      out[len] = '\0';
      got.text = out;
      got.length = len;
      got.capacity = outCap;
      break;
    }
  }

  // Step 4: the hand-over. Only now is the previous document replaced.
  if (m_pLoadBuf == m_pText) {
    // The loaders' buffer had become the text: it goes with it.
    m_pLoadBuf = nullptr;
    m_nLoadBufCapacity = 0;
    m_bLoadBufOwned = 0;
  }
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

  m_strDocPath = path;
  m_strCurFile = path;
  // A text a renderer made is never saved over the file it was made from.
  m_strRenderedFrom = docopen::ReadsFileAsText(reader) ? CString() : path;
  ActivePath() = path;
  m_strDocName = GetPathPart(path, 1);
  m_strDocBaseName = GetPathPart(path, 2);
  m_nFileKind = kind;
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
    if (after.setStatusPane) StatusText(after.noteInBox ? CString() : note);
    if (after.noteInBox) ShowDocMessage(this, note);
  }
  return 0;
}

int CDvkDoc::RenderFileAsText(CString path, int markupFlag, int option, int kind) {
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
  convert::Result r = convert::ConvertFile(request);
  m_nWritePos = 0;
  if (r.status != convert::Status::kOk) {
    m_strOpenMessage = r.message;
    return -1;
  }
  m_nRawPage = r.rawPage;
  m_nConvSize = r.convSize;
  m_bFileCut = r.fileCut;
  // Into the load buffer, cut at its capacity (a NUL after the text).
  if (!m_pLoadBuf || m_nLoadBufCapacity == 0) {
    m_strOpenMessage = GetOpenText(OpenText::kOutOfMemory);
    return -1;
  }
  std::size_t n = r.text.size();
  if (n > m_nLoadBufCapacity - 1) n = m_nLoadBufCapacity - 1;
  std::memcpy(m_pLoadBuf, r.text.data(), n);
  m_pLoadBuf[n] = '\0';
  m_nWritePos = static_cast<std::int32_t>(n);
  return static_cast<int>(n);
}

int CDvkDoc::LoadImageFile(CString path, int mode) {
  // The picture loaders come with the image subsystem: failure (-1) with the
  // reason; nothing of the document changes.
  CString ext = GetPathPart(path, 5);
  ext.MakeUpper();
  m_strOpenMessage.Format(GetOpenText(OpenText::kPictureNotYet), static_cast<const char*>(ext));
  m_strOpenMessage += "\nfile = " + path;
  return -1;
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

  const bool documentText = writeKind == kSaveDocumentText;
  int kind = documentText ? docsvc::kKindText : writeKind > 0 ? writeKind : GetFileKind(path);
  if (docopen::HasSourceMarker(path)) {
    // Marked (encrypted or packed) forms come with the source forms; a
    // marked picture name is no target at all.
    int plainKind = GetFileKind(GetPathPart(path, 4));
    if (plainKind >= docsvc::kKindBmp && plainKind <= docsvc::kKindEmf) {
      ShowDocMessage(this, GetOpenText(OpenText::kMarkedNotImage));
    } else {
      CString t;
      t.Format(GetOpenText(OpenText::kKindNotYet), static_cast<const char*>(GetPathPart(path, 5)));
      ShowDocMessage(this, t + "\nfile = " + path);
    }
    return -1;
  }
  if (kind == docsvc::kKindRichText && (EndsWithNoCase(path, ".rtz") || EndsWithNoCase(path, "rtzx"))) {
    CString t;
    t.Format(GetOpenText(OpenText::kKindNotYet), static_cast<const char*>(GetPathPart(path, 5)));
    ShowDocMessage(this, t + "\nfile = " + path);
    return -1;
  }

  viewcore::SafeWriteOptions options;
  options.programDir = m_strProgramDir;
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
  const textcodec::DecodeResult* origin =
      path.CompareNoCase(m_strCurFile) == 0 || m_bSaveInOpenEncoding ? &m_openEncoding : nullptr;

  auto write = [&]() -> viewcore::SaveResult {
    // The view writes a table (its working buffer) and edited rich text;
    // for a text it brings the document's text up to date first.
    CDvkView* v = source ? source : ActiveTextView(this);
    viewcore::SaveResult fromView;
    if (v && !documentText && v->WriteViewContent(path, kind, origin, options, &fromView)) return fromView;
    const char* text = m_pText ? m_pText : "";
    std::size_t len = m_pText ? m_nTextLen : 0;
    if (kind == docsvc::kKindRichText) return viewcore::SafeWriteFile(path, text, len, options);
    return viewcore::SaveSjisText(path, text, len, origin, options);
  };

  viewcore::SaveResult r = write();
  if (!r.ok && r.error == viewcore::SaveError::kReadOnly) {
    CString ask;
    ask.Format(GetOpenText(OpenText::kWriteProtectedAsk), static_cast<const char*>(path));
    if (AfxMessageBox(ask, MB_YESNO) != IDYES) return -1;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
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
  if (!r.warning.IsEmpty()) StatusText(r.warning);
  SetModifiedFlag(FALSE);
  return 0;
}
