// The file list's command set: every row of cmd/commands.def whose owner is
// the list, with its handler and update handler, and the list forms of
// other owners' commands. A list command is reached while a list pane is the
// active view; so is a list form, before the row's owner.
#include "cmd/command_set.h"
#include "filelist/flistview.h"

#define TABRYE_SET_CLASS CFlistView
#undef TABRYE_SET_list
#define TABRYE_SET_list TABRYE_SET_ENTRIES
#define TABRYE_LIST_FORM(sym, run, update) TABRYE_SET_ENTRIES(sym, run, update)

const fw::MsgEntry CFlistView::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};
#undef TABRYE_LIST_FORM
