// The text view's command set: every row of cmd/commands.def whose
// owner is the view or its CSV table (owner csv: the column commands of the
// CSV context menu and the title button) or the macro interpreter (owner
// macro: starting, resuming and breaking a macro run) or the image view (owner
// image: the image menu's commands), with its handler and update
// handler, and the framework's rows carried out by CRichEditView (the Edit
// menu).
#include "cmd/command_set.h"
#include "view/dvkview.h"

#define TABRYE_SET_CLASS CDvkView
#undef TABRYE_SET_view
#define TABRYE_SET_view TABRYE_SET_ENTRIES
#undef TABRYE_SET_csv
#define TABRYE_SET_csv TABRYE_SET_ENTRIES
#undef TABRYE_SET_macro
#define TABRYE_SET_macro TABRYE_SET_ENTRIES
#undef TABRYE_SET_table
#define TABRYE_SET_table TABRYE_SET_ENTRIES
#undef TABRYE_SET_image
#define TABRYE_SET_image TABRYE_SET_ENTRIES
#undef TABRYE_SET_fw
#define TABRYE_SET_fw TABRYE_SET_INHERITED

const fw::MsgEntry CDvkView::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};
