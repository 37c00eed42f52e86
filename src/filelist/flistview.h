// The file-list pane: two of them stand in the frame's list splitter (side 1
// and side 2). The pane holds its entry table and list state (portable
// objects of filelist/flistcore), the fields of its window and its folder
// source; the decisions are portable functions, the members act on them:
// the listing builder (OnUpdate), the painters, the scroll bar, the drive
// list and the list commands of this pane.
#pragma once

#include <windows.h>
#include <winnetwk.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"
#include "core/fileops/ftpcopy.h"
#include "filelist/flistcore/copystate.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/entryopen.h"
#include "filelist/flistcore/keymacro.h"
#include "filelist/flistcore/keyplan.h"
#include "filelist/flistcore/liststate.h"
#include "filelist/flistcore/netlevel.h"
#include "filelist/flistcore/renameplan.h"
#include "filelist/flistcore/walk.h"
#include "fw/cmdset.h"
#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/docview.h"
#include "host/doc_host.h"

class CCmdUI;

class CFlistView : public CView {
  FW_DECLARE_MESSAGE_MAP()
  // Its commands: the rows of cmd/commands.def owned by the list
  // (flistview_commands.cpp).
  FW_DECLARE_COMMAND_SET()

 public:
  CFlistView();
  ~CFlistView() override;

  app::DocHost* GetDocument() const;

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnInitialUpdate() override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;
  // The listing builder: everything is driven by the document's fields.
  void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
  void OnDraw(CDC* dc) override;

  // Own virtual operations.
  // Back: up to the parent folder (the drive list from a drive root).
  virtual void GoToParentFolder();
  virtual void DrawPathBar(int active);
  virtual void ScrollToCursor();
  virtual void DrawEntryLines(int active);

  // Records this pane's side and folder in the document; with 1 also makes
  // the side the active one.
  void SetSide(int activate);
  // Zeroes the marks; with 1 also ends a folder comparison.
  void ClearMarks(int withCompare);
  // Rebuilds the pane's listing from its folder.
  void ReloadList();
  // List / select all (32829) and its update (enabled while a folder is listed).
  void SelectAll();
  void OnUpdateSelectAll(CCmdUI* ui);
  // Drive / drive list (32806).
  void ShowDriveList();
  // The UTF-8 names of a folder as Shift-JIS for display.
  CString Utf8PathToSjis(const CString& text) const;

  void OnKeyUp(UINT ch, UINT repeat, UINT flags);
  LRESULT OnVScrollMessage(WPARAM wp, LPARAM lp);
  void OnReturnNotify(NMHDR* nm, LRESULT* result);

  // Where folders are read from (the local file system unless a test or a
  // later source puts another host here).
  void SetFolderHost(std::unique_ptr<fileops::FolderHost> host) { m_pFolders = std::move(host); }
  fileops::FolderHost& Folders() { return *m_pFolders; }
  // Where the network levels are read from: the system's network (mpr)
  // unless a test puts a scripted one here.
  void SetNetworkHost(std::unique_ptr<flist::NetworkHost> host) { m_pNetwork = std::move(host); }
  flist::NetworkHost& Network();

  // --- the entry table and the list state ---
  flist::EntryTable m_table;
  flist::ListState m_state;
  // The state of the running copy or move (answers, stops, counters).
  flist::CopyState m_copy;

  // --- fields (widths and start values as the list code relies on them) ---
  std::int32_t m_aColumnX[3] = {445, 485, 585};
  std::int32_t m_nClientWidth = 0;
  std::int32_t m_nDividerDrag = 0;
  std::int32_t m_nSubdirColumnX = 250;
  std::int32_t m_nPlayWork = 0;
  std::int32_t m_nHiddenBars = 0;
  std::int32_t m_nPlayClock = 0;
  CString m_strFilter1, m_strFilter2, m_strFilter3;  // the three filter texts
  NETRESOURCEA m_netResCur = {};
  std::uint8_t m_netEnumBuf[32000] = {};
  const char* m_pszWork1 = "";
  const char* m_pszWork2 = "";
  CString m_strNetName[1000];
  CString m_strNetProvider[1000];
  HANDLE m_hNetEnum = nullptr;
  std::int32_t m_nNetCount = 0;
  std::int32_t m_nNetDepth = 0;
  CString m_strNetRemote, m_strNetProviderCur;
  CString m_strNetPathName[50];
  CString m_strNetPathProvider[50];
  std::uint32_t m_aNetPathUsage[50] = {};
  // The network levels descended below "NW:" (m_nNetDepth is their depth + 1
  // while the pane is in the network, 0 outside it), the resources of the
  // level listed (view entry i is resource i - 1), the record of the level
  // to read, with its two 250-byte name buffers, and the network-drive row
  // ("J:+name") whose login serves the levels from m_nNetLoginDepth on.
  flist::NetLevels m_netLevels;
  std::vector<flist::NetResource> m_netListed;
  flist::NetResource m_netCur;
  char m_szNetRemoteBuf[250] = {};
  char m_szNetProviderBuf[250] = {};
  CString m_strNetLoginPath;
  std::int32_t m_nNetLoginDepth = 0;
  std::int32_t m_nNetListedDepth = -1;  // the level the entry table shows, -1 none
  std::int32_t m_aPathBarX[20] = {};
  std::uint32_t m_bForceZip = 0;
  CString m_strResultBuf, m_strRtzxName;
  std::int32_t m_nListFlag = 0;
  // The list-macro table (the key-macro file at construction) and its player's words.
  CString m_aListMacroLines[flist::kListMacroSlots];
  std::int32_t m_nListMacroPc = -1;
  std::int32_t m_nKeyMacroWork1 = 0, m_nKeyMacroWork2 = 1, m_nKeyMacroWork3 = 0, m_nKeyMacroWork4 = 0;
  CString m_strHeader[5];
  std::uint32_t m_bSearchNamesOnly = 0, m_bSearchWithName = 0, m_bSearchAnyOrder = 0;
  std::int32_t m_bRelist = 0;
  CString m_strStartPath;
  CString m_strCursorName;
  CString m_strCurDir;
  CString m_strPrevDir;
  CString m_strSearchPattern, m_strSearchText;
  CString m_strTitle;
  CString m_strNameFilter, m_strNameExclude;
  std::int32_t m_nLineHeight = 18;
  std::uint32_t m_bHeaderSwitch = 1;
  std::int32_t m_bRelist2 = 0;
  std::int32_t m_nBuildCount = 0;
  std::int32_t m_nListSource = 0;
  std::int32_t m_nPatternLen = 0;
  std::int32_t m_nSearchWidth2 = 500, m_nSearchWidth3 = 500;
  std::int32_t m_nSearchFlag = 1;
  std::int32_t m_nResultNo = 0;
  std::int32_t m_nHitCount = 0;
  std::uint32_t m_bActivePane = 0;
  std::uint32_t m_bCtrlDown = 0;
  std::uint32_t m_bOverDivider = 0;
  std::uint32_t m_bAskNone = 0;
  std::uint32_t m_bFtpList = 0;
  // The build put a message in the title (a folder that cannot be listed):
  // its end leaves the title alone.
  bool m_bTitleSaid = false;
  std::uint32_t m_bSearchCase = 0, m_bSearchAcrossLines = 0, m_bSearchWords = 0;
  std::int32_t m_nSide = 0;         // 1 or 2, set by the frame when it makes the pane
  std::int32_t m_bNetworkList = 0;
  std::uint32_t m_bSearchNoConfirm = 0;

  // Navigation
  // Before the list replaces or empties the document's text: a document
  // with edits asks the save question. True when the text may go (no edits,
  // saved, or the edits given up with No); false when it stays with its
  // text pane (Cancel, or a save that failed: nothing is lost).
  bool ConfirmReplaceDocument();
  // Folder change: mode 0 up from the current folder (`path` is it), 1 to
  // `path`, 2 the drive list. An empty path does nothing but with mode 2.
  void GoToFolder(const CString& path, int mode);
  // Drive command with its text "A:", "C:" ... "H:".
  void OnDrive(const char* letter);
  // The common tail of the drive commands: list the drive in m_strCurDir.
  void SelectDrive();
  // List menu: Back (to the parent folder), Forward (opens the cursor entry
  // as a double click does), the four sort orders and their update (enabled
  // while a folder is listed).
  void OnBack();
  void OnForward();
  void OnSortSize();
  void OnSortDate();
  void OnSortName();
  void OnSortExt();
  void OnUpdateFolderListed(CCmdUI* ui);
  // Drive menu: one handler per drive command; D: to H: are enabled while
  // the drive exists (the process's current drive never changes).
  void OnDriveA();
  void OnDriveC();
  void OnDriveD();
  void OnDriveE();
  void OnDriveF();
  void OnDriveG();
  void OnDriveH();
  void OnUpdateDriveD(CCmdUI* ui);
  void OnUpdateDriveE(CCmdUI* ui);
  void OnUpdateDriveF(CCmdUI* ui);
  void OnUpdateDriveG(CCmdUI* ui);
  void OnUpdateDriveH(CCmdUI* ui);
  void OnUpdateDrive(CCmdUI* ui, char letter);
  // FTP 1-3: the site of entry n as the pane's folder (an open connection
  // closed first); enabled while that entry has at least 24 characters.
  void OnFtpSite(int n);
  void OnFtp1();
  void OnFtp2();
  void OnFtp3();
  void OnUpdateFtp1(CCmdUI* ui);
  void OnUpdateFtp2(CCmdUI* ui);
  void OnUpdateFtp3(CCmdUI* ui);
  // Network (32954): the network root "NW:" listed in the pane.
  void OnNetworkRoot();
  // The list's forms of the view commands (while a list pane is active):
  // zoom with the picture guards, display style with its Shift and Ctrl
  // forms, and binary or source view, which reloads the cursor entry.
  void OnListZoomIn();
  void OnListZoomOut();
  void OnListViewStyle();
  void OnUpdateListViewStyle(CCmdUI* ui);
  void OnBinaryView();
  void OnUpdateBinaryView(CCmdUI* ui);
  // Execute: the cursor file to its registered program, a macro file run.
  void OnExecute();
  // WM_TIMER: one table by timer id (flistview_timer.cpp).
  void OnTimer(UINT_PTR id);
  // Timer 1: the follow-up launch of Execute.
  void OnFollowUpLaunch();
  // WM_MOUSEWHEEL (always answers -1).
  LRESULT OnMouseWheelMessage(WPARAM wp, LPARAM lp);
  void OnMouseWheel(UINT flags, int delta, CPoint screenPt);
  // Steps of the listing builder: a wheel turn handed over from the other
  // pane (true: the update ends here), and the forwarded keys and click
  // (false: the code is for another pane and this update ends here).
  bool TakeForwardedWheel();
  bool TakeForwardedInput();

 private:
  void StartFolder();
  void FirstStart(bool firstCopy);
  void ReadKeyMacro();
  bool IsActiveForBuild() const;
  void PublishCompareList();
  // Reads the local folder into work entries and places them; false when
  // the build stopped (drive list shown, folder left as it was).
  bool BuildLocalListing();
  // The FTP folder source: the listing of m_strCurDir on site `entry` (1-3).
  bool BuildFtpListing(int entry);
  // Steps 20-28 over the entries a source read.
  bool PlaceAndShow(flist::WalkState& walk, int fhold);
  // New file on an FTP site: an empty file sent under the typed name, after
  // the overwrite question when the name is taken.
  void NewFileOnSite(const CString& name);
  // The network level source (flistview_network.cpp): the level on top of
  // m_netLevels read through the network host and listed; a level that
  // cannot be enumerated is listed as its UNC folder by the local steps.
  bool BuildNetworkListing();
  // The local steps' fall-backs into the network: true when a folder that
  // cannot be entered is the network's (inside the network walk, or a UNC
  // path); NetworkFallBack then lists "..", the level it came from, or the
  // network root.
  bool TakesNetworkFallBack() const;
  bool NetworkFallBack(bool driveStep);
  // The network state: the root afresh, out of the network, level `depth`
  // of the stack as the one to list, the record of the level to read.
  void ResetNetworkRoot();
  void LeaveNetwork();
  void SetNetLevel(int depth);
  void SetCurrentNetResource(const flist::NetResource* res);
  // A network resource listed as its UNC folder (not enumerable, or past
  // the deepest level).
  void ListNetworkFolder(const std::string& remote);
  // The state of a folder change into or inside the network.
  void EnterNetworkMove(const flist::NetMove& move);
  // The double click on a listed network resource, on a network-drive row
  // ("J:+name") and on an FTP row ("Y:>name") of the drive list.
  void OpenNetworkEntry(int index);
  void OpenNetworkDriveRow();
  void OpenFtpDriveRow();
  CString DisplayForm(const CString& path);
  void ShowStatus(const CString& text);
  void SetFrameTitle(const CString& title);

  std::unique_ptr<fileops::FolderHost> m_pFolders;
  std::unique_ptr<flist::NetworkHost> m_pNetwork;

 public:
  // Showing and opening
  // Shows entry `index` in the text pane of this side: a file is loaded, a
  // folder (or the drive list) empties the text. `mode` 2 leaves the views'
  // update out; a nonzero `noRepaint` leaves the status area as it is.
  void ShowEntry(int index, int mode, int noRepaint);
  // The double-click action: enters a folder, goes up through the path
  // line, opens a drive or special folder, extracts a ZIP or LZH archive
  // beside itself or runs Execute on any other file. nFlags 0 acts on the
  // cursor entry (Enter, the list macros, the single click into folders).
  void OpenEntryAt(UINT nFlags, CPoint point);
  // The same on entry `index`: it becomes the cursor, then is opened.
  void OpenEntryAt(int index);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  // The full path of entry `index` as listed: folder, sub-folder text in a
  // sub-folder list, name.
  CString EntryPath(int index) const;
  // Empties the document's text (update code 1, kind 9); mode 2 leaves the
  // views' update out.
  void EmptyDocumentText(int mode);

 private:
  // Update code 3, out of the drive list, rebuild; a shown comparison is
  // run again.
  void RebuildAfterOpen();
  // A special folder of the drive list ("\Documents\" ...) below the user's folder.
  void OpenSpecialFolder(const char* suffix);
  // The archive double-click on entry `index`.
  void OpenArchiveEntry(int index, bool lzh, bool marked);
  // While the target exists, asks to overwrite it; each No tries the name
  // numbered 2 to 9. 0 with *target to write, -1 after the ninth No.
  int ChooseMemberTarget(CString* target);
  // Writes the one member of `archive` to `target`; 0 done, -1 not.
  int ExtractSingleMember(const CString& archive, const flist::ZipHeadPlan& plan, const CString& target);

 public:
  // Keys and mouse
  // WM_KEYDOWN: the media keys, the cursor keys with their marks, the key
  // table (flistcore/keyplan.h).
  void OnKeyDown(UINT ch, UINT repeat, UINT flags);
  // WM_LBUTTONDOWN: the path line, the heading's dividers and sort buttons,
  // the marks of the entry lines, then the entry shown. nFlags 0 (Space,
  // the list macros) acts on the cursor entry.
  void OnLButtonDown(UINT nFlags, CPoint point);
  // WM_MOUSEMOVE: the dividers (drag and hover) and the drag of the marked
  // entries out of the pane.
  void OnMouseMove(UINT nFlags, CPoint point);
  // WM_LBUTTONUP: ends a divider drag and keeps the list's extent.
  void OnLButtonUp(UINT nFlags, CPoint point);

 private:
  bool TakeMediaKey(UINT ch);
  void MoveCursorByKey(flist::CursorKey key, int page);
  void RunListKey(const flist::ListKey& key);
  // A command through the routing, as if chosen from the menu.
  void SendListCommand(unsigned id);
  // False when the click is done; true to go on with the single-click tail.
  bool PathLineClick(CPoint pt);
  void HeadingClick(CPoint pt);
  // True when the click is done.
  bool EntryLineClick(int index);
  std::string EntryPathForDrag(int index);
  void DragMarkedOut();

 public:
  // Delete, new file and folder
  // Delete (32815): removes the marked files and folders after the
  // questions; each removed entry's line gets "<Deleted> : " (file) or
  // "[Deleted] : " (folder) before its name. The list is repainted, not
  // rebuilt, and the marks stay.
  void OnDelete();
  // Rename, attributes and times of the marked entries (32811).
  void OnRename();
  // New file (32813, and the new-document command while the list is
  // active): an empty file of the typed name in the shown folder, then the
  // rebuild with the cursor on it and its open.
  void OnNewFile();
  // New folder (32814): a folder of the typed name, the cursor on it.
  void OnNewFolder();

 private:
  // The guards and the name input of new file and new folder (prompt string
  // `promptId`); false when the command ends here.
  bool AskNewEntryName(unsigned promptId, CString* text);

  // Rename
  // The marked entries of the folder (entry 0, "..", never counts).
  std::vector<int> RenameMarkedEntries() const;
  // The folder of entry `index`: the pane's folder, with the entry's own
  // sub-folder in a flat listing.
  std::string RenameEntryFolder(int index) const;
  // Attributes and times of every marked file; false after a refused
  // write (reported), which ends the command.
  bool RenameWriteStatus(flist::RenameFields& f, const std::vector<int>& marked, flist::RenameNameForms& forms);
  // The names: a batch form over the marks, or the single rename of the
  // one marked entry (a drive's label in the drive list).
  void RenameNames(flist::RenameFields& f, const std::vector<int>& marked, flist::RenameNameForms& forms,
                   const std::string& work);
  // The end of the command: the list rebuilt with automatic playback held off.
  void RenameRebuild();

 public:
  // Copy and move (flistview_copy.cpp, flistview_copyfile.cpp)
  // Copy (32820) and move (32821) of the marked entries into the folder of
  // the other pane, with the questions; Ctrl held makes the copy of folders
  // keep their dates through the system's tree copier.
  void OnCopyMarked();
  void OnMoveMarked();
  // One entry of a copy or move: a folder with its tree, a file by copy or
  // by the system's move followed by the conflict questions.
  void CopyOrMoveEntry(const CString& src, const CString& dst, int isMove, int isFolder);
  // The questions and the second attempt after a file was not placed:
  // 0 nothing placed, 1 moved, 2 copied.
  int ResolveCopyConflict(const CString& src, const CString& dst, std::uint32_t error, int isMove, int count);
  // Places one file; nonzero only when the destination was placed. The
  // system error of a failure is in m_nCopyError.
  int CopyOneFile(const CString& src, const CString& dst, int failIfExists);
  // The tree below `src` into `dst`: mode 0 copy, 1 move, 2 the system's
  // tree copier started and not waited for. 0 done, -1 the folder could
  // not be read.
  int CopyFolder(const CString& src, const CString& dst, int mode);
  // Timer 10: the list shows what the tree copier has copied by now.
  void OnTreeCopyTimer();
  std::uint32_t m_nCopyError = 0;
  // Files placed by CopyOneFile since the pane was made (a walk compares it
  // before and after an entry).
  std::uint32_t m_nFilesPlaced = 0;
  // What the lookup before the last upload found of its target.
  fileops::FtpTargetInfo m_ftpTarget;

 private:
  // The Esc poll of a running copy; true (and m_bCopyAbort set) to stop.
  bool PollCopyAbort();
  // The pane's side of a copy result: nonzero when placed, else the error
  // kept in m_nCopyError (and the stop in m_bCopyAbort).
  int CopyOutcome(const fileops::CopyFileResult& r);
  // A path on the connected FTP site.
  bool IsFtpCopyPath(const CString& path) const;
  // The site of `path` reports local time as GMT (an odd flag digit).
  bool FtpSiteOddFlag(const CString& path) const;
  // The progress text and Esc poll of a long transfer of `src`.
  fileops::CopyFileOptions CopyProgressOptions(const CString& src);
  // One file with a side on the FTP site (flistview_copyfile.cpp).
  int CopyFtpFile(const CString& from, const CString& to, bool srcFtp, bool dstFtp, int failIfExists);
  // The tree of an FTP folder (flistview_copyftp.cpp).
  int CopyFtpFolder(const CString& src, const CString& dst, int mode);
  // The walk's report of a name the system refuses; true when reported.
  bool ReportRefusedName(const CString& dst);
  // Writes an FTP entry's time as a placed local file's last-write time
  // (nothing for a path on the site).
  void SetPlacedFileTime(const CString& path, std::int64_t seconds);
  int CopyMessage(const CString& text, const CString& title, UINT type);
  CString CopySourceFolder() const;
  CString CopyTargetFolder() const;
  // The source and destination paths of entry `index`.
  CString CopySourcePath(int index, const CString& folder) const;
  CString CopyTargetPath(int index, const CString& folder) const;
  bool IsFolderEntry(int index) const;
  std::vector<int> MarkedCopyEntries() const;
  // A destination name the system refuses (reported with its code), and
  // a destination that is the source itself (reported): true to skip it.
  bool RefusedTarget(const CString& dst);
  bool SameTarget(const CString& src, const CString& dst, unsigned titleId);
  // One file of a move: 1 moved by the system, 2 copied and its source
  // removed, 0 not moved.
  int MoveOneFile(const CString& src, const CString& dst, int count);
  // The source of a file moved by copying; false (after string 183) when
  // it could not be removed.
  bool RemoveMovedSource(const CString& src);
};
