// The document's command set: every row of cmd/commands.def whose
// owner is the document or a converter, with its handler and update handler, and the
// framework's rows carried out by CDocument (Save, Save As).
#include "cmd/command_set.h"
#include "app/dvkdoc.h"

#define TABRYE_SET_CLASS CDvkDoc
#undef TABRYE_SET_doc
#define TABRYE_SET_doc TABRYE_SET_ENTRIES
// The converters' commands act on the shown file: the document carries them.
#undef TABRYE_SET_convert
#define TABRYE_SET_convert TABRYE_SET_ENTRIES
#undef TABRYE_SET_fw
#define TABRYE_SET_fw TABRYE_SET_INHERITED

const fw::MsgEntry CDvkDoc::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};
