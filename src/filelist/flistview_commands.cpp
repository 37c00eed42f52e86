// The file list's command set: every row of cmd/commands.def whose owner is
// the list, with its handler and update handler. A list command is reached
// while a list pane is the active view.
#include "cmd/command_set.h"
#include "filelist/flistview.h"

#define TABRYE_SET_CLASS CFlistView
#undef TABRYE_SET_list
#define TABRYE_SET_list TABRYE_SET_ENTRIES

const fw::MsgEntry CFlistView::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};
