// The macro's dialogs that stay open while a run goes on, held by one small
// object that the text view keeps (the processing dialog; the input and
// choice dialogs join it). The view reaches them only through its macro
// host adapter.
#pragma once

#include <memory>

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

 private:
  DialogOwner& owner_;
  std::unique_ptr<CProgressDlg> m_pProgressDlg;
};

}  // namespace macroui
