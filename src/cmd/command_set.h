// Builds the command set of one window class from the rows of
// cmd/commands.def that the class owns. A class's set file says which
// owner it serves and includes the rows:
//
//   #include "cmd/command_set.h"
//   #define TABRYE_SET_CLASS CDvkView
//   #undef TABRYE_SET_view
//   #define TABRYE_SET_view TABRYE_SET_ENTRIES
//   #undef TABRYE_SET_fw
//   #define TABRYE_SET_fw TABRYE_SET_INHERITED
//   const fw::MsgEntry CDvkView::kCommandSet[] = {
//   #include "cmd/commands.def"
//       fw::MsgEntry{}};
//
// Rows of other owners and rows not built yet add nothing.
#pragma once

// The framework's rows name members of these classes.
#include "fw/app.h"
#include "fw/cmdset.h"
#include "fw/docview.h"
#include "fw/richedit.h"
#include "res/resource.h"

#define TABRYE_SET_ENTRIES(sym, run, update) \
  fw::SetCommand<TABRYE_SET_CLASS, run>(sym), fw::SetUpdate<TABRYE_SET_CLASS, update>(sym),

// For the framework's rows (owner fw): the entries of the rows whose handler
// the class inherits (CWinApp's in the application's set, CDocument's in the
// document's, CRichEditView's in the text view's); other rows add nothing.
#define TABRYE_SET_INHERITED(sym, run, update)                            \
  fw::SetInheritedCommand<TABRYE_SET_CLASS, run>(sym),                   \
      fw::SetInheritedUpdate<TABRYE_SET_CLASS, run, update>(sym),

// Every owner adds nothing unless its set file says otherwise.
#define TABRYE_SET_fw(sym, run, update)
#define TABRYE_SET_frame(sym, run, update)
#define TABRYE_SET_doc(sym, run, update)
#define TABRYE_SET_view(sym, run, update)
#define TABRYE_SET_list(sym, run, update)
#define TABRYE_SET_csv(sym, run, update)
#define TABRYE_SET_table(sym, run, update)
#define TABRYE_SET_macro(sym, run, update)
#define TABRYE_SET_image(sym, run, update)
#define TABRYE_SET_convert(sym, run, update)

#define TABRYE_COMMAND(sym, id, owner, run, update, caption, prompt, keys, word) \
  TABRYE_SET_##owner(sym, run, update)
#define TABRYE_PLANNED(sym, id, owner, caption, prompt, keys, word)
