// The document as the text views and the file list reach it: the groups of
// its fields they work on and the few services of the application's document
// class. The document (app/dvkdoc.h) implements this; the window libraries
// beneath the application include only this header and never see the
// document's class or its data as a whole.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/docdata/doc_fields.h"
#include "core/docopen/openplan.h"
#include "core/textcodec/textcodec.h"
#include "fw/cstring.h"

class CCmdUI;
class CDocument;
class CWnd;
class CDvkView;
class CVariableViewDlg;

namespace csv {
class Table;
}
namespace img {
struct LoadRecord;
}

namespace app {

// What the last open found and did (kept by the document, read by the views).
struct DocOpenFields {
  textcodec::TextEncoding m_nEncodingChoice = textcodec::TextEncoding::kAuto;  // decoder of the next open
  textcodec::DecodeResult m_openEncoding;  // how the open file was read (its text not kept)
  CString m_strOpenMessage;                // the last open's message (also when not shown)
  std::uint32_t m_nOpenReplaced = 0;       // characters that became the replacement character
  // The file a renderer or converter made the text from ("" when the open
  // read the text as text): the text is never saved over it
  // (docopen::PlanSaveName, CDvkDoc::SaveNamePlan).
  CString m_strRenderedFrom;
  // While set, a save to another path keeps the encoding the file was read
  // in (Save As writes the text in the document's encoding).
  bool m_bSaveInOpenEncoding = false;
};

class DocHost {
 public:
  // The field groups (core/docdata/doc_fields.h), each the document's own
  // storage: a view writes `doc->TextFields().m_nTextLen`.
  virtual DocTextFields& TextFields() = 0;
  virtual DocUpdateFields& UpdateFields() = 0;
  virtual DocPathFields& PathFields() = 0;
  virtual DocSettingsFields& SettingsFields() = 0;
  virtual DocWindowFields& WindowFields() = 0;
  virtual DocKeyImageFields& KeyImageFields() = 0;
  virtual DocListFields& ListFields() = 0;
  virtual DocSystemFields& SystemFields() = 0;
  virtual DocOpenFields& OpenFields() = 0;
  const DocTextFields& TextFields() const { return Self().TextFields(); }
  const DocUpdateFields& UpdateFields() const { return Self().UpdateFields(); }
  const DocPathFields& PathFields() const { return Self().PathFields(); }
  const DocSettingsFields& SettingsFields() const { return Self().SettingsFields(); }
  const DocWindowFields& WindowFields() const { return Self().WindowFields(); }
  const DocKeyImageFields& KeyImageFields() const { return Self().KeyImageFields(); }
  const DocListFields& ListFields() const { return Self().ListFields(); }
  const DocSystemFields& SystemFields() const { return Self().SystemFields(); }
  const DocOpenFields& OpenFields() const { return Self().OpenFields(); }

  // The document's modeless variable display of macro debugging (dialog
  // 192, no parent); its window exists while debug mode shows it.
  virtual CVariableViewDlg& VariableView() = 0;

  // The framework document behind this host (UpdateAllViews and the like).
  virtual CDocument* AsDocument() = 0;

  // Opens `path` in open mode `mode`: 0 = opened, -1 = not opened (reported).
  virtual int OpenFile(CString path, docopen::OpenMode mode) = 0;
  // Writes the document to `path` (see CDvkDoc::SaveFile); 0 = written.
  virtual int SaveFile(CString path, int mode = 0, CDvkView* source = nullptr, int writeKind = 0) = 0;
  // writeKind of SaveFile: the document's text as a plain text.
  static constexpr int kSaveDocumentText = -9;
  // The user's save of "Dorvik.inf"; false (after a message) when it fails.
  virtual bool SaveInfSettings() = 0;
  // Loads the timer and schedule files once and starts the frame's timer.
  virtual void LoadScheduleOnce(int mode) = 0;
  // Writes the short usage text of addresses (mode 0: first update of the first copy).
  virtual void ShowAddressHint(int mode) = 0;
  // The table the open of a CSV already made for text[0..len) (the one-pass
  // open, csv/csv_fileopen.h), given to the first view that shows that text
  // as a table with `margin` spare bytes: true when *into now holds it.
  virtual bool TakeOpenedTable(const char* text, std::size_t len, std::uint32_t margin, csv::Table* into) = 0;
  // The default of a "Dorvik.inf" key as the file writes it ("" for a key
  // the settings table does not know).
  virtual CString InfDefault(const char* key) const = 0;
  // A scratch folder below the program folder, made when missing, with its
  // trailing "\": 0 "\TMP\", 1 "\TMP\BACKUP\", 2 "\TMP1\".
  virtual CString ScratchFolder(int which) = 0;
  // Display form <-> stored form of an enciphered file name (mode 0 to the
  // stored form, 1 to the display form).
  virtual CString TranslateEncryptedFileName(const CString& path, int mode) = 0;
  // The window-update lock with nesting (m_nUpdateLockCount counts): the
  // first lock locks `active`, the last unlock releases it.
  virtual void BeginUpdateLock(CWnd* active) = 0;
  virtual void EndUpdateLock() = 0;
  // The compressed and enciphered source forms (mode 0: a marked file
  // decoded into a plain work file, its path left in m_strCurFile; results
  // in CDvkDoc::SaveEncryptedSource).
  virtual int SaveEncryptedSource(int mode, CString path, CString extra) = 0;

  // Update code 6 and an update of all views.
  virtual void RedrawAllViews() = 0;
  // "" -> 0; an existing file asks string 218 OK/Cancel (OK 1, Cancel 0);
  // no file -> 1.
  virtual int ConfirmOverwrite(const CString& path) = 0;
  // Kind by extension (the five picture extensions of the settings included).
  virtual int GetFileKind(const CString& path) const = 0;
  // Starts the file with the program registered for it: 0 started, -1 not
  // (m_nLaunchFollowUp -1 and a message).
  virtual int LaunchFile(CString path) = 0;
  // 1-3 when the path lies on FTP pseudo-drive 1-3, else 0.
  virtual int GetFtpDriveNo(const CString& path) const = 0;
  // Drops the edit marks of the document and of its text views: the edits
  // are given up (the caller replaces or empties the text next).
  virtual void DiscardEdits() = 0;
  // The view menu's zoom and display style, acting on the active text view.
  virtual void OnViewZoomIn() = 0;
  virtual void OnViewZoomOut() = 0;
  virtual void OnViewStyle() = 0;
  virtual void OnUpdateViewStyle(CCmdUI* ui) = 0;

  // --- The load statements' archives ("loadzip") ---
  // The archive creation entry over the current folder (the export's and
  // "filezip"'s ZIP); 0 written, -1 not (also after an error it caught, or
  // where there is no archive writer). packing: kQuick for packages of
  // generated parts (the workbook export), a shorter match search.
  // ZIP extraction and LZH extraction of the document's archive entries
  // (results as CDvkDoc gives them); -1 where there are none (the default).
  enum class ArchivePacking { kStandard, kQuick };
  virtual int CreateArchive(int kind, int argc, const char* const* argv, CString archiveName, int quiet,
                            ArchivePacking packing = ArchivePacking::kStandard) {
    (void)kind, (void)argc, (void)argv, (void)archiveName, (void)quiet, (void)packing;
    return -1;
  }
  virtual int UnzipArchive(int mode, CString zipName, CString destDir, int count, int outMax, unsigned char* buffer) {
    (void)mode, (void)zipName, (void)destDir, (void)count, (void)outMax, (void)buffer;
    return -1;
  }
  virtual int ArchiveLzh(CString archive, CString target, int operation) {
    (void)archive, (void)target, (void)operation;
    return -1;
  }
  // --- The web page and opener of the macro statements ---------------------
  // The page at `address` fetched into the scratch page file "\TMP\Dorviktmp.htm"
  // with the document only fetching (its fetch-only word set around the
  // open of the address, then put back): 0 fetched, -1 not.
  virtual int FetchAddress(const CString& address) {
    (void)address;
    return -1;
  }
  // The open command of a file type (".txt" or "txt") as the system
  // registers it; "" when the type or its command is missing.
  virtual CString DefaultOpener(const CString& ext) {
    (void)ext;
    return CString();
  }
  // The programs per file type back to their built-in defaults.
  virtual void SetDefaultAssociations() {}
  // Starts `file` through the shell (the document's ShellOpenElevated:
  // verb "runas" when runas is 1, else "open"; show 1 hidden, 2 minimised).
  // The shell's result as a number, above 32 = started; 0 where there is
  // no shell (the default).
  virtual std::intptr_t ShellOpen(const CString& file, const CString& parameters, const CString& folder, int runas,
                                  int show) {
    (void)file, (void)parameters, (void)folder, (void)runas, (void)show;
    return 0;
  }
  // --- Links followed from the text view ------------------------------------
  // Opens an address, a "%0"/"%1"/"%2" side path or a local path in the
  // program (CDvkDoc::OpenAddress): 0 opened, -1 not (reported).
  virtual int OpenAddress(const CString& address) {
    (void)address;
    return -1;
  }
  // Adds an entry to the document's history of visited places.
  virtual void AddToHistory(const CString& entry) { (void)entry; }
  // Makes a folder (or a file's folder) the current one.
  virtual bool ChangeDir(const CString& path, int mode) {
    (void)path, (void)mode;
    return false;
  }
  // The command of the program registered for http addresses ("" none).
  virtual CString AssociatedProgram() { return CString(); }
  // --- Pictures for the table editor and the file list ----------------------
  // Loads the picture `path` (packed "+", "-", "=" forms unpacked first) and
  // writes it as the BMP file `bmpPath`: 0 written, -1 not (no file left).
  virtual int LoadImageForDoc(CString path, CString bmpPath) {
    (void)path, (void)bmpPath;
    return -1;
  }
  // The zoom level of a shown picture: word 5 of the document's image
  // settings (1-9, 5 = 1:1).
  virtual int ImageZoomLevel() const { return 5; }
  // Results of WriteJpegPdf.
  enum class PdfWrite { kWritten, kRefused, kCancelled };
  // The one-page PDF of the JPEG file `jpegPath` (width x height pixels) at
  // `pdfPath` (a path not ending in "pdf" asks for one), then opened in the
  // document and made the active side's path. kRefused: nothing written
  // (no JPEG, sizes the file cannot hold, not creatable); kCancelled: the
  // dialog or the overwrite question was declined.
  virtual PdfWrite WriteJpegPdf(CString pdfPath, CString jpegPath, int width, int height) {
    (void)pdfPath, (void)jpegPath, (void)width, (void)height;
    return PdfWrite::kRefused;
  }

  // --- The picture the document loaded, for the image view -----------------
  // The load record (image/load/image_record.h); null where there is none.
  virtual img::LoadRecord* ImageLoadRecord() { return nullptr; }
  // Releases the record's pixels by their owner.
  virtual void ReleaseImageRecord() {}
  // Decodes JPEG bytes into `rec` (a record of the caller's, not the
  // document's) with the document's loader services; `info` is a 2000-byte
  // header area. False when the picture could not be decoded.
  virtual bool DecodeJpegInto(img::LoadRecord& rec, const std::uint8_t* data, std::uint32_t length,
                              std::uint8_t* info) {
    (void)rec, (void)data, (void)length, (void)info;
    return false;
  }
  // The writers of the shown picture (image/write/image_write.h): by file
  // (formats 9-11 among them) and by format code.
  virtual void WriteImageFile(unsigned char* pixels, unsigned char* header, CString path, int format) {
    (void)pixels, (void)header, (void)path, (void)format;
  }
  virtual void WriteImageByFormat(unsigned char* pixels, unsigned char* header, CString path, int format) {
    (void)pixels, (void)header, (void)path, (void)format;
  }

  // --- The file list's delete, new file and new folder -----------------------
  // The one-line input (dialog 135) with `prompt`, the edit preset to *text
  // and `title` as caption ("" keeps the dialog's own): true after OK with
  // the typed text in *text; false after Cancel (*text unchanged).
  virtual bool InputText(const CString& prompt, CString* text, const CString& title) = 0;
  // Mode 0 enciphers a base name under the key code ("" after a message when
  // it cannot); mode 1 deciphers (the text itself when it does not decipher).
  virtual CString CipherFileName(const CString& text, int mode) = 0;
  // Starts the active side's current file with the program registered for
  // it: 0 started, -1 not (after a message).
  virtual int LaunchCurrentFile() = 0;

 protected:
  DocHost() = default;
  virtual ~DocHost() = default;

 private:
  DocHost& Self() const { return const_cast<DocHost&>(*this); }
};

}  // namespace app
