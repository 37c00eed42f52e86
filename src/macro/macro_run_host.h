// What a macro run needs of the window side beyond the value routines'
// host: the status bar, the Esc question between statements, the view's
// redisplay and menu texts, the frame's list layout, the main title, the
// rich edit's modified flag and the user name. The text
// view implements it with thin calls (view/macro_view_host); tests use a
// fake that records what the run asked.
#pragma once

#include "fw/cstring.h"
#include "macro/macro_host.h"

namespace macro {

class MacroRunHost : public MacroHost {
 public:
  // Pane 0 of the status bar, repainted at once.
  virtual void ShowStatus(const CString& text) { SetStatusText(0, text); }
  // True when the first message waiting is an Esc key-down; that message is
  // removed, nothing else is.
  virtual bool TakeEscapeKeyDown() = 0;
  // A Yes/No box with an empty caption; true for Yes.
  virtual bool AskYesNo(const CString& text) = 0;
  // A string of the string table ("" when it has none).
  virtual CString ResourceString(int id) = 0;

  // The view shows its table again (its OnUpdate with no sender, hint 0).
  virtual void RedisplayView() = 0;
  // The frame's menu texts for a view kind and form.
  virtual void UpdateMenuTexts(int kind, int form, int state) = 0;
  // The frame's list layout applied again, and every view updated.
  virtual void ApplyListLayout() = 0;
  virtual void UpdateAllViews() = 0;
  virtual void SetMainTitle(const CString& title) = 0;
  // The rich edit's modified flag cleared.
  virtual void ClearModified() = 0;

  virtual CString UserName() = 0;

  // The display, status, system-parameter and save-text statements. Where
  // there is no window they do nothing (the defaults).
  // The view's own split undone when it is split (OnSplitWindow).
  virtual void UndoViewSplit() {}
  // The hide-quotes command (33035): toggles the document's m_bHideQuotes
  // and shows the table again.
  virtual void ToggleHideQuotes() {}
  // The view's column-size digit ("csize").
  virtual void SetColumnSizeDigit(int digit) { (void)digit; }
  // The frame's toolbar word.
  virtual void SetToolbarWord(int word) { (void)word; }
  // The main window's menu removed.
  virtual void RemoveMainMenu() {}
  // The view's background applied again from m_nBackColorIndex.
  virtual void ApplyBackgroundColor() {}
  // The hand-over of "text n": the document's path pointed at the view's
  // for the update, every view updated (the document's update code names
  // the pane), text pane `pane` (1-4) activated, the path put back.
  virtual void ShowTextInPane(int pane) { (void)pane; }
  // The view's edits copied back (RebuildCsvBuffer with the view's kind
  // and 0): into the document's text for a text. 0 done, -1 no memory.
  virtual int RebuildCsvBuffer(int kind) {
    (void)kind;
    return 0;
  }
  // The document's text written to `path` as text (WriteDocument with 3
  // and 0). 0 written, -1 not (reported).
  virtual int WriteDocumentText(const CString& path) {
    (void)path;
    return -1;
  }
  // The page marks of a written rich-text file converted.
  virtual void ConvertPageMarksFile(const CString& path) { (void)path; }
  // A marked source form ("+", "-", "=" before the extension) restored to a
  // plain copy through the document (SaveEncryptedSource mode 0): its result
  // (-2 failure, after the document's message), the copy's path in *plain.
  // The document's own file is not changed by it.
  virtual int RestoreSourceForm(const CString& path, CString* plain) {
    (void)path, (void)plain;
    return -2;
  }
};

}  // namespace macro
