// The text view's command set: every row of cmd/commands.def whose
// owner is the view, with its handler and update handler.
#include "cmd/command_set.h"
#include "view/dvkview.h"

#define TABRYE_SET_CLASS CDvkView
#undef TABRYE_SET_view
#define TABRYE_SET_view TABRYE_SET_ENTRIES

const fw::MsgEntry CDvkView::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};
