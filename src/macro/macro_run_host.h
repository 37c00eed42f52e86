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
};

}  // namespace macro
