// The text view's command set: every row of app/shell/commands.def whose
// owner is the view, with its handler and update handler.
#include "app/command_set.h"
#include "view/dvkview.h"

#define TABRYE_SET_CLASS CDvkView
#undef TABRYE_SET_view
#define TABRYE_SET_view TABRYE_SET_ENTRIES

const fw::MsgEntry CDvkView::kCommandSet[] = {
#include "app/shell/commands.def"
    fw::MsgEntry{},
};
