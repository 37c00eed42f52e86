// The macro's dialogs that stay open while a run goes on, held by one small
// object that the text view keeps: the processing dialog, the view's own
// input box ("inputhold") and the choice dialog ("inputnopen"). The view
// reaches them only through its macro host adapter.
#pragma once

#include <memory>

#include "macroui/choice_dlg.h"
#include "macroui/inputdlg.h"

class CWnd;
class CProgressDlg;

namespace macroui {

// The view side that owns the modeless dialogs: their owner window, and
// where a button's answer goes (MacroDialogSetResult of the run).
class DialogOwner {
 public:
  virtual CWnd* OwnerWnd() = 0;
  virtual void MacroDialogSetResult(int kind) = 0;

 protected:
  ~DialogOwner() = default;
};

class MacroDialogs {
 public:
  explicit MacroDialogs(DialogOwner& owner);
  ~MacroDialogs();
  MacroDialogs(const MacroDialogs&) = delete;
  MacroDialogs& operator=(const MacroDialogs&) = delete;

  DialogOwner& Owner() { return owner_; }

  // The processing dialog (made on first use).
  CProgressDlg& Progress();
  // Its window closed (the object stays).
  void CloseProgress();

  CInputDlg& HoldInput() { return m_holdInput; }  // "inputhold"
  CChoiceDlg& Choice() { return m_choice; }       // "inputnopen" (and "inputnum" modally)

 private:
  DialogOwner& owner_;
  std::unique_ptr<CProgressDlg> m_pProgressDlg;
  CInputDlg m_holdInput;
  CChoiceDlg m_choice;
};

}  // namespace macroui
