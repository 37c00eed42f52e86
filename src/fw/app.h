// CWinApp: the one application object. It owns the document template, the
// main window, the message loop and the program's registry key with the
// recent-file list.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "fw/cmdtarget.h"
#include "fw/cstring.h"

class CDocTemplate;
class CDocument;
class CWnd;

// What the command line asks for.
class CCommandLineInfo {
 public:
  enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing = -1 };

  virtual ~CCommandLineInfo() = default;
  // One argument; `flag` when it started with '-' or '/' (which is removed).
  virtual void ParseParam(const char* param, BOOL flag, BOOL last);

  BOOL m_bShowSplash = TRUE;
  BOOL m_bRunEmbedded = FALSE;    // /Embedding
  BOOL m_bRunAutomated = FALSE;   // /Automation
  ShellCommand m_nShellCommand = FileNew;
  CString m_strFileName;
  CString m_strPrinterName;
  CString m_strDriverName;
  CString m_strPortName;

 private:
  int m_printToArgs = 0;  // arguments still expected after /pt
};

// The most recently used files, newest first, kept in the registry as
// "File1".."FileN" under "<app key>\Recent File List".
class CRecentFileList {
 public:
  CRecentFileList(int size, const char* section = "Recent File List", const char* entry = "File%d");
  int GetSize() const { return m_size; }
  int GetCount() const { return static_cast<int>(m_files.size()); }
  const CString& operator[](int i) const;
  void Add(const char* path);  // moves an existing entry (compared without case) to the front
  void Remove(int i);
  // Puts the list into `menu` where the item `firstId` stands (ids firstId,
  // firstId + 1, ...; captions "&1 name"); an empty list leaves one greyed
  // item with `emptyText`. `index` is that item's place; returns the place of
  // the last item written.
  UINT UpdateMenu(HMENU menu, UINT index, UINT firstId, const char* emptyText) const;
  void ReadList(HKEY appKey);
  void WriteList(HKEY appKey) const;

 private:
  int m_size;
  CString m_section;
  CString m_entry;
  std::vector<CString> m_files;
};

class CWinApp : public CCmdTarget {
  FW_DECLARE_MESSAGE_MAP()

  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // The message loop: idle processing, then messages until WM_QUIT; returns
  // ExitInstance's result.
  virtual int Run();
  virtual BOOL OnIdle(LONG count);
  virtual BOOL PreTranslateMessage(MSG* msg);
  // One message: FALSE on WM_QUIT.
  BOOL PumpMessage();

  // Command line.
  void ParseCommandLine(CCommandLineInfo& info);  // from the process's arguments
  void ParseCommandLine(CCommandLineInfo& info, const std::vector<std::string>& args);
  BOOL ProcessShellCommand(CCommandLineInfo& info);

  // Registry: HKCU\Software\<key>\<profile name>.
  void SetRegistryKey(const char* key);
  const CString& GetRegistryKey() const { return m_strRegistryKey; }
  HKEY GetAppRegistryKey();  // caller closes; nullptr without a registry key
  UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
  BOOL WriteProfileInt(const char* section, const char* entry, int value);
  CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
  BOOL WriteProfileString(const char* section, const char* entry, const char* value);

  // Recent files (10 by default).
  void LoadStdProfileSettings(UINT maxMRU = 10);
  void SaveStdProfileSettings();
  virtual void AddToRecentFileList(const char* path);
  CRecentFileList* GetRecentFileList() { return m_pRecentFileList.get(); }

  // Documents.
  void AddDocTemplate(CDocTemplate* tmpl);  // the application deletes it
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  virtual CDocument* OpenDocumentFile(const char* path);
  // The file dialog of Open (`open`) and Save As through the file-dialog
  // hook: `path` holds the proposal in and the chosen file out; FALSE when
  // cancelled. `doc` is the document being saved (nullptr for Open).
  virtual BOOL DoPromptFileName(CString& path, BOOL open, CDocument* doc);
  // What the open dialog offers, in the file dialog's "text|pattern|...||"
  // form, and the folder it starts in ("" = the system's choice).
  virtual CString GetOpenFilter();
  virtual CString GetOpenFolder();

  // Standard commands of the File menu.
  void OnFileNew();
  void OnFileOpen();
  void OnOpenRecentFile(UINT id);
  void OnUpdateRecentFileMenu(CCmdUI* ui);

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  const char* m_pszAppName = nullptr;
  const char* m_pszProfileName = nullptr;
  const char* m_pszExeName = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;

 protected:
  CString m_appName;
  CString m_profileName;
  CString m_strRegistryKey;
  CDocTemplate* m_pDocTemplate = nullptr;
  std::unique_ptr<CRecentFileList> m_pRecentFileList;
};

// The program's entry after WinMain: InitInstance, then Run (or ExitInstance
// when InitInstance fails) of the one application object.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int show);

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
