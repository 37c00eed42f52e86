// The document's command set: every row of cmd/commands.def whose
// owner is the document, with its handler and update handler.
#include "cmd/command_set.h"
#include "app/dvkdoc.h"

#define TABRYE_SET_CLASS CDvkDoc
#undef TABRYE_SET_doc
#define TABRYE_SET_doc TABRYE_SET_ENTRIES

const fw::MsgEntry CDvkDoc::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};
