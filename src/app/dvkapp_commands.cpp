// The application's command set: the framework's rows carried out by
// CWinApp (New, Open, the recent files). The application owns no command
// of its own.
//
// Also the check that every framework row is wired somewhere: its handler
// must be inherited by the application, the document or the text view,
// whose sets take the framework's rows (TABRYE_SET_INHERITED).
#include <type_traits>

#include "cmd/command_set.h"
#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "view/dvkview.h"

#define TABRYE_SET_CLASS CDvkApp
#undef TABRYE_SET_fw
#define TABRYE_SET_fw TABRYE_SET_INHERITED

const fw::MsgEntry CDvkApp::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};

#undef TABRYE_SET_CLASS
#undef TABRYE_SET_fw
#undef TABRYE_COMMAND
#undef TABRYE_PLANNED

namespace {

template <auto F>
constexpr bool kWiredByASet = std::is_base_of_v<fw::ClassOf<F>, CDvkApp> ||
                              std::is_base_of_v<fw::ClassOf<F>, CDvkDoc> ||
                              std::is_base_of_v<fw::ClassOf<F>, CDvkView>;

#define TABRYE_COMMAND(sym, id, owner, run, update, caption, prompt, keys, word) TABRYE_CHECK_##owner(#sym, run, update)
#define TABRYE_CHECK_fw(name, run, update) \
  static_assert(kWiredByASet<run>, name ": a framework row's handler must be a member of CWinApp, CDocument or CRichEditView");
#define TABRYE_CHECK_frame(name, run, update)
#define TABRYE_CHECK_doc(name, run, update)
#define TABRYE_CHECK_view(name, run, update)
#define TABRYE_CHECK_list(name, run, update)
#define TABRYE_CHECK_csv(name, run, update)
#define TABRYE_CHECK_table(name, run, update)
#define TABRYE_CHECK_macro(name, run, update)
#define TABRYE_CHECK_image(name, run, update)
#define TABRYE_CHECK_convert(name, run, update)
#define TABRYE_PLANNED(sym, id, owner, caption, prompt, keys, word)
#include "cmd/commands.def"

}  // namespace
