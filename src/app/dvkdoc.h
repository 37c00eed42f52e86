// The one document: a rich-edit document that holds every field of
// app::DvkDocData (grouped by subsystem in core/docdata/doc_fields.h) and
// what the last open found (app::DocOpenFields), the window-update lock and
// the entry points of the frame's timers. The views and lists reach it
// through app::DocHost only: the field groups and the services.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/docdata/settings_files.h"
#include "core/docopen/openplan.h"
#include "core/docopen/savename.h"
#include "core/docsvc/schedule_runner.h"
#include "app/fileops_doc_host.h"
#include "app/shell/save_forms.h"
#include "archive/arc_state.h"
#include "image/load/image_record.h"
#include "core/textcodec/textcodec.h"
#include "csv/csv_fileopen.h"
#include "macroui/varview_dlg.h"
#include "fw/cmdset.h"
#include "fw/inet.h"
#include "fw/richedit.h"
#include "host/doc_host.h"

class CDvkDoc;
class CDvkView;

// The document, reached everywhere through this pointer (null before the
// first new/open and after exit).
extern CDvkDoc* g_pDvkDoc;

// The rich-edit container item of the document; no behaviour of its own.
class CDvkCntrItem : public CRichEditCntrItem {
 public:
  explicit CDvkCntrItem(REOBJECT* reo = nullptr, CDvkDoc* container = nullptr);
};

class CDvkDoc : public CRichEditDoc, public app::DocHost, public app::DvkDocData, public app::DocOpenFields {
  FW_DECLARE_MESSAGE_MAP()
  // Its commands: the rows of cmd/commands.def owned by the document
  // (dvkdoc_commands.cpp).
  FW_DECLARE_COMMAND_SET()

  CDvkDoc();
  ~CDvkDoc() override;

  // Pseudo names open nothing; anything else goes to OpenFile. FALSE when
  // the file could not be opened: the document stays as it was.
  BOOL OnOpenDocument(const char* path) override;

  // --- standard document commands (app/dvkdoc_stdcmds.cpp) ----------------
  // New: an empty plain text, untitled (at start-up nothing changes).
  BOOL OnNewDocument() override;
  // Save and Save As write through the active text view's WriteDocument,
  // which goes through SaveFile (backup, safe writer, the kind's writer).
  BOOL OnSaveDocument(const char* path) override;
  // Modified: the flag, or an edit in a text view's control.
  BOOL IsModified() override;
  // The save question; its Yes for a shown picture is the picture's save
  // dialog (app/dvkdoc_picture.cpp).
  BOOL SaveModified() override;
  // Quotes and a request after a TAB are no part of the path; pseudo names
  // are no path at all.
  void SetPathName(const char* path, BOOL addToMRU = TRUE) override;
  // The save-name rule (core/docopen/savename.h) for this document: its file
  // and the file a renderer made its text from.
  docopen::SaveNamePlan SaveNamePlan() const;
  // Save: to the plan's save name; without one, Save As.
  BOOL DoFileSave() override;
  // The save dialog with the forms text, CSV comma form and rich text,
  // proposing the plan's name, then ConfirmOverwrite for every existing file
  // but the save name; sets the form the next OnSaveDocument writes.
  BOOL PromptSaveName(CString& path) override;
  // Clears the edit mark of every text view's control.
  void ClearViewsModified();
  // The document's edit mark and its views' marks cleared.
  void DiscardEdits() override;
  // The folder the open dialog starts in: the document's, else the list
  // side's ("" when neither is known).
  CString OpenDialogFolder() const;
  // The form the next save writes (Save As chooses it; it serves one save).
  app::SaveForm m_nNextSaveForm = app::SaveForm::kText;
  bool m_bNextSaveFormChosen = false;
  CRichEditCntrItem* CreateClientItem(REOBJECT* reo = nullptr) override;

  // "$$", "##", "#L", "#R": command-line names that open no file.
  static bool IsPseudoName(const CString& name);

  // --- opening and saving (app/dvkdoc_open.cpp; modes and kinds in
  // docs/design.md "Opening files") ---------------------------------------
  // Opens `path` by its kind into m_pText / m_nTextLen and shows it (modes
  // and kinds: core/docopen/openplan.h). 0 = opened; -1 = not opened: the
  // message was shown (or, in the modes that show nothing, left in
  // m_strOpenMessage) and the previous document is as it was.
  int OpenFile(CString path, docopen::OpenMode mode) override;
  // Writes the document to `path` by its kind, after a backup copy of the
  // existing file; mode 99 makes only the backup. 0 = written; -1 = not
  // written (reported; the file and the document unchanged). The view
  // showing the document (`source`, else the active text view) gives the
  // bytes of a table or of rich text and brings the document's text up to
  // date (CDvkView::WriteViewContent); `writeKind` replaces the path's kind
  // (kSaveDocumentText: the document's text as a plain text).
  // (kSaveDocumentText: app::DocHost.)
  int SaveFile(CString path, int mode = 0, CDvkView* source = nullptr, int writeKind = 0) override;
  // The one entry of the file-to-text renderers (the converter registry,
  // src/convert): the text of `path` (m_bFileCut, m_nConvSize and m_nRawPage
  // taken back from the render), or nothing with the reason in
  // m_strOpenMessage. `kind` 0 takes the path's kind; an open mode that loads
  // a file as another kind passes it.
  std::optional<std::string> RenderFileAsText(CString path, int markupFlag, int option, int kind = 0);
  // --- pictures (app/dvkdoc_image.cpp; docs/image.md) ----------------------
  // Loads the picture into m_imageLoad: 0 = loaded (or a metafile handed on
  // by name: m_strCurFile, m_nPendingViewCmd 33); -1, -2, -3 = failure,
  // reason in m_strOpenMessage. `option` is the colour option word; above 0
  // it makes a JPEG go to the own decoder.
  int LoadImageFile(CString path, int option);
  // The raw-deflate inflater: deflate data at the start of `buffer` become
  // the inflated bytes there (in memory, or through the unzip library and
  // "\TMP\temp.zip" for more than 200000 bytes when mode is not 0). Result:
  // inflated bytes clamped to outLimit, -2, 0 or the extraction's failure.
  int ExtractZipMemberToTemp(unsigned char* buffer, int dataLength, int outLimit, int mode);
  // Writes the rows of `header` (40 bytes, room for 256 table entries after
  // them) by format code (image/write/image_write.h): the header then
  // describes the pixels written; "+"-marked names are refused (string 406).
  void WriteImageFile(unsigned char* pixels, unsigned char* header, CString path, int format) override;
  void WriteImageByFormat(unsigned char* pixels, unsigned char* header, CString path, int format) override;
  void WriteJpegFile(unsigned char* pixels, unsigned char* header, CString path, int quality);
  // The load record (pixels released by their owner in ReleaseImageRecord);
  // its settings words are the document's m_aImageSettings.
  img::LoadRecord m_imageLoad;
  img::LoadRecord* ImageLoadRecord() override { return &m_imageLoad; }
  bool DecodeJpegInto(img::LoadRecord& rec, const std::uint8_t* data, std::uint32_t length,
                      std::uint8_t* info) override;
  void ReleaseImageRecord() override;
  // Reopens the current file with a forced decoder (kAuto: detect again).
  int ReopenWithEncoding(textcodec::TextEncoding encoding);
  // The "encoding choice" command: a small menu of the encodings, then
  // ReopenWithEncoding with the one picked.
  void OnEncodingChoice();

  // The last open's result (m_openEncoding, m_strOpenMessage, ...) is kept in
  // app::DocHost, where the views read it.

  CDocument* AsDocument() override { return this; }
  // The field groups of app::DocHost: this document's own.
  app::DocTextFields& TextFields() override { return *this; }
  app::DocUpdateFields& UpdateFields() override { return *this; }
  app::DocPathFields& PathFields() override { return *this; }
  app::DocSettingsFields& SettingsFields() override { return *this; }
  app::DocWindowFields& WindowFields() override { return *this; }
  app::DocKeyImageFields& KeyImageFields() override { return *this; }
  app::DocListFields& ListFields() override { return *this; }
  app::DocSystemFields& SystemFields() override { return *this; }
  app::DocOpenFields& OpenFields() override { return *this; }
  CVariableViewDlg& VariableView() override { return m_dlgVariableView; }
  using app::DocHost::TextFields;
  using app::DocHost::UpdateFields;
  using app::DocHost::PathFields;
  using app::DocHost::SettingsFields;
  using app::DocHost::WindowFields;
  using app::DocHost::KeyImageFields;
  using app::DocHost::ListFields;
  using app::DocHost::SystemFields;
  using app::DocHost::OpenFields;

  // Update code 6 and an update of all views.
  void RedrawAllViews() override;

  // --- text-view commands (app/dvkdoc_viewcmds.cpp) -------------------------
  // The text view of the active text pane (the first text view when none is).
  CDvkView* GetActiveTextView();
  // Zoom, display style, wrap and font of the view menu (also forwarded by
  // the file list): they act on the active text view.
  void OnViewZoomIn() override;
  void OnViewZoomOut() override;
  void OnViewStyle() override;
  void OnUpdateViewStyle(CCmdUI* ui) override;
  void OnViewWrap();
  void OnUpdateViewWrap(CCmdUI* ui);
  void OnViewFont();
  // Screen capture (app/dvkdoc_capture.cpp): 32979 the desktop, 33150 a
  // clicked window, 33226 a series. The active text view takes the picture;
  // with a list pane active the next view update does (m_nPendingViewCmd),
  // and the list is read again so the new picture shows in it.
  void OnCaptureDesktop();
  void OnCaptureWindow();
  void OnCaptureSeries();
  void RunCaptureCommand(int mode);
  // --- the same commands on a shown picture (app/dvkdoc_picture.cpp) --------
  // The active text view shows a picture (kinds 12-28) in its normal form.
  bool ShowsPicture();
  // Word 5 of the image settings: the list's zoom guards read it.
  int ImageZoomLevel() const override;
  // Reopens the shown picture after a display word changed: the picture a
  // conversion loaded for the view, else the active side's file.
  void ReloadDocument();
  void ZoomPicture(int step);   // word 5 within 1-9
  void StylePicture();          // word 28 toggled
  void FitPictureWidth();       // m_bSizeHigh 0 -> 1 -> 2 -> 0
  // 32988: word 25 (the left-right flip) toggled; enabled on pictures only.
  void OnImageFlip();
  void OnUpdateImageFlip(CCmdUI* ui);
  // Save (画像保存 on a picture) is enabled on a shown picture even when
  // nothing was edited: the picture is written as it is shown.
  void OnUpdateFileSave(CCmdUI* ui) override;
  // The one-page PDF of a JPEG picture (app::DocHost).
  PdfWrite WriteJpegPdf(CString pdfPath, CString jpegPath, int width, int height) override;
  void OnXlsMode();
  void OnUpdateXlsMode(CCmdUI* ui);
  bool IsWorkbookShown() const;
  // Word spacing of a shown PDF (app/dvkdoc_pdfcmds.cpp): one step along the
  // scale of convert/pdf_wordgap.h, stored in the settings file, and the file
  // shown again. Enabled while a PDF is shown.
  void OnPdfNarrow();
  void OnPdfWiden();
  void OnUpdatePdfWordGap(CCmdUI* ui);
  void StepPdfWordGap(bool widen);

  // Window-update lock with nesting: the first lock locks `active`, the last
  // unlock releases it (m_nUpdateLockCount counts).
  void BeginUpdateLock(CWnd* active) override;
  void EndUpdateLock() override;

  // Entry points of the frame's timers (now = seconds since 1970, fw clock):
  // timer 1 every second (timers and schedules), timer 2 about every ten
  // seconds (re-read the timer and schedule files), timer 3 once after start.
  void OnScheduleTick(std::int64_t now);
  void OnScheduleReload(std::int64_t now);
  void OnStartupTick(std::int64_t now);

  CVariableViewDlg m_dlgVariableView;  // modeless, no parent

  // ===== archive entries (app/dvkdoc_archive.cpp) ==========================
  // Thin entries into src/archive: library binding (each library only from
  // the program folder), the main window's title, message boxes and the wait
  // cursor. Results and codes: docs/archive.md, "Archive entries".

  // ZIP extraction: mode 0 own codec, 3 "unzip32.dll" when bound else own,
  // any other value the library (own codec when it is not bound). count 0/1:
  // the archive file; 2 or more: `buffer` holds `count` bytes of archive and
  // outMax > 0 extracts into it (it must hold outMax + 1 bytes).
  int UnzipArchive(int mode, CString zipName, CString destDir, int count, int outMax, unsigned char* buffer) override;
  // LZH: operation 1 creates through "unlha32.dll"; anything else extracts
  // (own decoder when the library is missing). -1 after any failure.
  int ArchiveLzh(CString archive, CString target, int operation) override;
  // ZIP writer: kind 1 ZIP (".zip" added to a derived name), 2 ZIP under the
  // given name, 0 LZH (needs the library: string 357, -1). argv holds argc
  // texts (two when argc is 0: the archive name and the one item).
  int CreateArchive(int kind, int argc, const char* const* argv, CString archiveName, int quiet,
                    ArchivePacking packing = ArchivePacking::kStandard) override;
  // One file or pattern into a ZIP through "ZIP32.DLL" (own writer when
  // useOwn is set or the library or one of its entries is missing):
  // 0 done, 1 ZpInit failed, 2 ZpSetOptions failed, 3 ZpArchive failed.
  int ZipFilesWithZip32(const char* zipName, const char* files, int useOwn);
  // Packs the working file or folder (modes 0-5, 10); 1 packed, 0 not.
  int PackTempArchive(int mode);
  // 1-3 when the path's first two characters are those of FTP entry 1-3
  // and that entry is at least 24 characters long; else 0.
  int GetFtpDriveNo(const CString& path) const override;
  // The codec's words (m_nArcInSize, m_nArcOutMax, m_nArcOutLen, m_nArcAttr,
  // m_nArcProgress, m_pArcOutBuf).
  arc::ArcState m_arcState;
  // Tests: receives what "ZIP32.DLL" prints through the print callback.
  static void (*s_pfnZip32Print)(const char* text);

  // ===== document services (app/dvkdoc_services.cpp) ========================
  // Thin entries into the portable modules of core/docsvc and core/crypto.

  // Settings files of m_strProgramDir: "Dorvik.inf" and "Dorvik.sys" read into
  // the field groups; a missing one is written with its defaults, an existing
  // one (even a damaged one) is never touched here. Called by the constructor.
  void LoadSettingsFiles();
  // The user's save of the settings: the fields into "Dorvik.inf" (unknown
  // keys read are kept). False (and a message) when it cannot be written.
  bool SaveInfSettings() override;
  // "Dorvik.sys" from m_strSysKey/m_strSysValue, the "posi" lines and the
  // other system values, then "#end/".
  bool WriteSysFile();
  // At exit: "Dorvik.sys" as the file holds it with the start folders of
  // the sides given (null: left as it is) and the window's rectangle
  // (posi 1-4); the document's fields take the same values. False after
  // the message when the file cannot be written (the old file stays).
  bool WriteExitPlaces(const CString* dirX, const CString* dirY, const int posi[4]);
  // Lines of the settings files that were skipped at the last load.
  const std::vector<docsvc::LineIssue>& SettingsIssues() const { return m_aSettingsIssues; }

  // Kind by extension (the five picture extensions of the settings included).
  int GetFileKind(const CString& path) const override;
  // "" -> 0; an existing file asks string 218 OK/Cancel (OK 1, Cancel 0);
  // no file -> 1.
  int ConfirmOverwrite(const CString& path) override;
  // Makes the path (mode 1 and a file: its folder) current; false on failure.
  bool ChangeDir(const CString& path, int mode) override;
  static CString ParseFtpEntry(const CString& entry, int part);
  // Parts "name_part<n>.ext"; the count written, or -1 after a message.
  int SplitFileIntoParts(const CString& path, long long partBytes);
  // Display-size letter: "A" + index of the text size (m_nTxtsiz; m_nTblsiz
  // for a CSV table), + 12 with m_bSizeHigh, lower case with m_bSizeLower.
  CString GetSizeCode() const;
  bool SetSizeCode(char letter);
  CString MakeTextFileName(const CString& name) const;
  void AddToHistory(const CString& entry) override;
  // Programs per file type (sys slots 0-9) back to the built-in defaults;
  // nothing outside the settings (no registry) is changed.
  void SetDefaultAssociations() override;

  // Display form "name@Enc.ext" <-> stored form "#~$_<cipher>.ext" under
  // m_strEncryptKeyCode; anything that cannot be converted comes back
  // unchanged. Mode 0 with an unusable key code shows string 216.
  CString TranslateEncryptedFileName(const CString& path, int mode = 0) override;
  // Mode 0 enciphers a base name ("" after a message when it cannot: key code
  // unusable (string 216), name too long); mode 1 deciphers (the text itself
  // when it does not decipher under the key, no message).
  CString CipherFileName(const CString& text, int mode) override;

  // Scratch folders below the program folder, made on demand, with a
  // trailing "\": 0 "\TMP\", 1 "\TMP\BACKUP\", 2 "\TMP1\".
  CString ScratchFolder(int which) override;
  // Backup copy of `path` in "\TMP\BACKUP\" for today's local date (letters
  // A-Z per day). 1 done, 0 nothing to do (the file is a backup itself),
  // -1 failed (after a message).
  int MakeBackupCopy(const CString& path);
  CString LastBackupPath() const { return m_strLastBackup; }
  class ImageHost;
  class ImageWriteHost;
  CString CannotOpenImageText(const CString& path, int result);

  // Loads "Dorvik.tmr" and "Dorvik.sch" once and makes sure frame timer 1 runs.
  void LoadScheduleOnce(int mode) override;
  // Writes the short usage text of addresses into "\TMP\" (mode 0: the first
  // update of the first copy).
  void ShowAddressHint(int mode) override;
  bool TakeOpenedTable(const char* text, std::size_t len, std::uint32_t margin, csv::Table* into) override {
    return m_openedTable.TakeFor(text, len, margin, into);
  }
  CString InfDefault(const char* key) const override;
  const docsvc::ScheduleRunner* Scheduler() const { return m_pScheduleRunner.get(); }

  // The settings dialog (limits, fonts, colours); OK saves "Dorvik.inf".
  void OnSettings();
  // FTP sites, network drives and the key code (dialog 154, command 32919):
  // the rows from the entries, and on OK every entry rebuilt, the key code
  // stored and "Dorvik.sys" written. Cancel changes nothing but the R:-U:
  // defaults.
  void OnNetworkSettings();

  // How action "C" sets the clock (tests replace it; returns the system's
  // result and leaves GetLastError).
  using ClockSetter = BOOL (*)(const SYSTEMTIME*);
  static ClockSetter s_pfnSetClock;

 private:
  // Shows a schedule or timer text without blocking the timer: a modeless
  // box (through the message-box hook first).
  void ShowModelessMessage(const CString& text);
  void PlayScheduleSound(const CString& path);
  void SetScheduleClock(const docsvc::ScheduleEntry& entry);
  // One line in the status bar's message pane (no-op without a frame).
  void ShowStatusText(const CString& text);

  app::SettingsRest m_infRest;  // as read: unknown keys kept for the next save
  app::SettingsRest m_sysRest;
  std::vector<docsvc::LineIssue> m_aSettingsIssues;
  std::unique_ptr<docsvc::ScheduleRunner> m_pScheduleRunner;
  CString m_strLastBackup;
  // The table a CSV open made, until the open's update of the views.
  csv::OpenedTable m_openedTable;
  // ===== end of document services ===========================================

  // ===== FTP sites, the internet connection and addresses (app/dvkdoc_ftp.cpp,
  // app/dvkdoc_address.cpp; docs/design.md "FTP and HTTP") ===================
 public:
  // The three FTP site entries as an array: m_strFtpEntry[i] is the storage of
  // m_strSysValue[26 + i] (FtpEntry(i)), not a copy.
  struct FtpEntrySlots {
    app::DocSystemFields* fields;
    CString& operator[](int i) const { return fields->FtpEntry(i); }
  };
  FtpEntrySlots m_strFtpEntry{this};

  // Connects the FTP site of a pseudo-drive path: -1 no entry or no host;
  // 0 connected to that entry already; else the result of
  // OpenInternetSession. A connection to another entry (or to this entry
  // before it was edited) is closed first.
  int GetFtpDriveNo2(CString path);
  // The server path of a pseudo-drive path; moves the connection's current
  // folder (modes in core/docsvc/ftppath.h). A refused folder leaves "/"
  // current and sets m_bFtpCwdRefused (mode 2 then returns "").
  CString MapFtpDrivePath(CString path, int mode);
  // One session and one FTP connection per document, to `host` (":port"
  // allowed). 0 connected (m_bFtpConnected 1); -1 host not reached; -2 login
  // refused. Any earlier connection is closed first.
  int OpenInternetSession(CString host, CString user, CString password, BOOL passive);
  // Closes an open search, the connection and the session; m_bFtpConnected 0.
  void CloseInternetSession();
  // The FTP file of a pseudo-drive path copied into "\TMP\Dorvik_<name>" in
  // pieces of 4096 bytes (string 217 in status pane 0 meanwhile); its path,
  // or "" (nothing left behind) when it cannot.
  CString WriteTempFile(CString ftpPath);
  // HTTP GET of "http://" + host + path into "\TMP\Dorviktmp.htm"; the old
  // page is removed first. 0 done; nonzero failure (no page left). The texts
  // and the kind are not used: every call downloads the same way.
  int DownloadHttp(CString host, CString path, CString text1, CString text2, int kind);
  // Opens an address (docsvc::ClassifyAddress): web pages, ftp:// files,
  // file:// addresses, FTP pseudo-drive paths, "%0"/"%1"/"%2" side paths and
  // local paths. 0 done; -1 not (a message shown unless m_nAddressMode is 1).
  int OpenAddress(const CString& address) override;
  // 1: OpenAddress only fetches (the caller opens the page itself); 0 normal.
  std::int32_t m_nAddressMode = 0;
  // 1 after the server refused the folder of the last MapFtpDrivePath.
  std::uint32_t m_bFtpCwdRefused = 0;
  // The connection (null when none) and the document's one FTP search.
  CFtpConnection* FtpConnection() { return m_pFtpConnection.get(); }
  CFtpFileFind& FtpFileFind();
  // Entry 1-3 the connection serves (0: none or not from an entry).
  int FtpEntryServed() const { return m_nFtpEntryServed; }
  // Tests: called after every piece a transfer writes.
  static void (*s_pfnTransferPiece)();

 private:
  // Fetches an http (secure: https) page into "\TMP\Dorviktmp.htm".
  int FetchPage(bool secure, const CString& host, const CString& path);
  // An ftp:// file into "\TMP\Dorvik_<name>" through a short session of its
  // own (the document's connection stays); its path or "".
  CString FetchFtpFile(const CString& host, int port, const CString& user, const CString& password,
                       const CString& path);
  // Removes "\TMP\Dorviktmp.htm"; false when it still stands.
  bool RemovePage();
  // The side path change of OpenAddress: side 1 or 2 (0: the active one).
  void SetSidePath(int side, const CString& path);
  // Copies an open internet file into `local` (made new) in 4096-byte
  // pieces; on any failure, and when fewer than `expected` bytes came (a
  // connection cut short; kNoLength: not known), the partial copy is removed
  // and false returned.
  static constexpr ULONGLONG kNoLength = ~0ULL;
  static bool SaveInternetFile(CInternetFile& file, const CString& local, ULONGLONG expected = kNoLength);
  // The length the server lists for `name` in the connection's current
  // folder (kNoLength when it lists none).
  static ULONGLONG ListedLength(CFtpConnection& ftp, const CString& name);

  std::unique_ptr<CInternetSession> m_pInetSession;
  std::unique_ptr<CFtpConnection> m_pFtpConnection;
  std::unique_ptr<CFtpFileFind> m_pFtpFind;
  int m_nFtpEntryServed = 0;
  CString m_strFtpEntryServed;
  // ===== end of FTP sites and addresses =======================================
 public:
  // ===== compressed and enciphered source forms (app/dvkdoc_sourceform.cpp) ==
  // Modes (core/docsvc/sourceform.h): 0 decodes a marked file ("+", "-", "=",
  // ".rtz", ".bmz") into a plain work file left in m_strCurFile (>= 0 done,
  // -1 not a marked form: m_strCurFile = path, -2 failure after one message);
  // 6 is 0 for "+rmcx"/"+rmcz"; 1, 3, 4, 7, 8 write the form beside the file
  // (0 written, nonzero refused after a message; the source never changes).
  // `extra`, when not empty, names the output file.
  int SaveEncryptedSource(int mode, CString path, CString extra) override;
  // The web page and opener of the macro statements (app::DocHost).
  int FetchAddress(const CString& address) override;
  CString DefaultOpener(const CString& ext) override { return GetDefaultOpener(ext); }
  // Mode 0 of SaveEncryptedSource.
  int RenameSourceTemp(CString path);
  // Decodes a source form for OpenFile: 0 not one (nothing done), 1 decoded
  // (*readPath = the plain file to read, *curFile = the document's file),
  // -1 failed after a message.
  int DecodeSourceForOpen(const CString& path, CString* readPath, CString* curFile);
  // After an open that replaced the document: work files other than `keep`
  // removed; `marked`/`work` become the document's source form ("" none).
  void SourceOpened(const CString& marked, const CString& work, const CString& keep);
  // Removes every work file this document made (at exit).
  void RemoveSourceWorkFiles(const CString& keep = CString());
  // The path a save of `path` writes first ("" when `path` is no source
  // form), and whether it is a form that cannot be written (".rtzx").
  CString SourceSaveWorkPath(const CString& path);
  CString m_strSourceMarkedPath;  // the open document's marked (or packed) path
  CString m_strSourceWorkFile;    // its plain work file
  std::vector<CString> m_aSourceWorkFiles;  // work files made, removed at the next open and exit
  unsigned m_nSourceWorkCounter = 0;
  // ===== end of source forms =================================================
  // ===== launching and the registry (app/dvkdoc_launch.cpp) =================
 public:
  // Starts `file` through the shell with the verb "runas" when runas is 1,
  // else "open"; show 1 hidden, 2 minimised, any other value normal. The
  // shell's result as it returns it (above 32 = started).
  HINSTANCE ShellOpenElevated(CString file, CString parameters, CString folder, int runas, int show);
  std::intptr_t ShellOpen(const CString& file, const CString& parameters, const CString& folder, int runas,
                          int show) override {
    return reinterpret_cast<std::intptr_t>(ShellOpenElevated(file, parameters, folder, runas, show));
  }
  // Starts the file with the program registered for it, in the file's
  // folder, without ending this program; with m_nFshell 1 through "runas"
  // (a document's registered program elevated with the quoted document, a
  // program itself). 0 started; -1 not: m_nLaunchFollowUp -1 and a message
  // naming the file and the reason.
  int LaunchFile(CString path) override;
  // LaunchFile of the active side's current file (m_strPath1/m_strPath2).
  int LaunchCurrentFile() override;
  // The command of the program registered for http addresses: the user's
  // choice's ProgId, else the "http" type's own; "" when neither has one.
  void GetAssociatedProgram(CString& command);
  CString AssociatedProgram() override {
    CString command;
    GetAssociatedProgram(command);
    return command;
  }
  // The open command of an extension's type ("txt" or ".txt"), environment
  // references expanded; "" when a key is missing.
  CString GetDefaultOpener(CString ext);
  struct WindowsVersion {
    unsigned long major = 0;
    unsigned long minor = 0;
    unsigned long build = 0;
    CString productName;  // "" when the system's key has none
  };
  // The numbers as the system reports them (RtlGetVersion) and the product
  // name of HKEY_LOCAL_MACHINE's "Windows NT\CurrentVersion".
  WindowsVersion GetWindowsVersion();

 private:
  unsigned long m_nLastShellError = 0;  // system error of the last shell start
  // ===== end of launching and the registry ==================================
  // ===== pictures written as BMP files (app/dvkdoc_imagefordoc.cpp) =========
 public:
  // Loads `path` with LoadImageFile (option 0; m_nLoadReady kept) and writes
  // the picture as the BMP file `bmpPath` at its own depth: 0 written, -1
  // not, and then no file is left at `bmpPath`.
  int LoadImageForDoc(CString path, CString bmpPath) override;
  // ===== end of pictures written as BMP files ===============================
  // ===== the file list's delete, new file and new folder ====================
 public:
  // The one-line input dialog (135) for the list (app::DocHost).
  bool InputText(const CString& prompt, CString* text, const CString& title) override;
  // Exit and run (32780): the active side's current file is started with its
  // program, then the main window closes as after "終了" (with the save
  // question). A start that failed (after its message) leaves the program open.
  void OnExitAndRun();
  // ===== end of the file list's delete, new file and new folder =============
  // ===== file-system primitives (fsprim; app/fileops_doc_host.cpp) ===========
 public:
  // The document's host of the primitives of core/fileops (also in
  // fileops::g_pDocFileOps while the document exists).
  fileops::FileOpsHost& FileOps() { return m_fileOps; }
  // fileops::DeleteDirectoryTree with this document's host, for the
  // callers that name it a member of the document.
  int DeleteDirectoryTree(const CString& folder, int mode, int confirm, int quiet, int useFtp, int limit) {
    return fileops::DeleteDirectoryTree(m_fileOps, folder, mode, confirm, quiet, useFtp, limit);
  }

 private:
  app::DocFileOpsHost m_fileOps{*this};
  // ===== end of file-system primitives =======================================
};
