// The document's command set: every row of app/shell/commands.def whose
// owner is the document, with its handler and update handler.
#include "app/command_set.h"
#include "app/dvkdoc.h"

#define TABRYE_SET_CLASS CDvkDoc
#undef TABRYE_SET_doc
#define TABRYE_SET_doc TABRYE_SET_ENTRIES

const fw::MsgEntry CDvkDoc::kCommandSet[] = {
#include "app/shell/commands.def"
    fw::MsgEntry{},
};
