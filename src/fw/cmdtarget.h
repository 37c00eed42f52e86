// CObject, the root of the framework's classes, and CCmdTarget, the root of
// every class with a message map (windows, documents, the application).
#pragma once

#include <windows.h>

#include "fw/msgmap.h"

class CObject {
 public:
  virtual ~CObject() = default;
};

// Codes of CCmdTarget::OnCmdMsg besides control notification codes.
enum : int {
  CN_COMMAND = 0,              // menu, accelerator, toolbar (and BN_CLICKED)
  CN_UPDATE_COMMAND_UI = -1,   // extra: the CCmdUI*
  CN_NOTIFY = 0x4E000000,      // WM_NOTIFY; extra: the fw::MsgCall* (lp = NMHDR*)
};

// Filled instead of calling when a caller only asks whether a handler exists.
struct CmdHandlerInfo {
  CCmdTarget* target = nullptr;
  const fw::MsgEntry* entry = nullptr;
};

class CCmdTarget : public CObject {
 public:
  static const fw::MsgEntry kMsgEntries[];
  static const fw::MsgMap kMsgMap;
  virtual const fw::MsgMap* GetMessageMap() const { return &kMsgMap; }
  // The class's command set (fw/cmdset.h): command and update-UI entries
  // looked up before the message map; nullptr when the class has none.
  virtual const fw::MsgEntry* GetCommandSet() const { return nullptr; }

  // Looks `id` up in this object's own table chain and calls the handler.
  // Windows, views and frames override it to pass the command on along the
  // routing (view -> document -> frame -> application). Returns TRUE when
  // handled; with `info` it only reports the handler that would run.
  virtual BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info);
};
