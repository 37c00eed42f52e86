// The main menu's captions by what is shown: one table from the content kind
// (FileKind), display form (m_nOpenContext) and state to the captions of the
// items that change (Save and the table-edit item), and the toolbar set that
// some calls of UpdateMenuTexts select instead.
#pragma once

namespace app {

enum class ToolbarSet {
  Keep,       // the call changes captions only
  Standard,   // (199, 0, 0): the default buttons
  Full,       // (33, 0, 9) "full tbar": every button
  Selection,  // (33, 0, 98) "sel tbar": the table-selection buttons
  Hidden,     // (0, 0, 99) "no tbar"
};

struct MenuCaptions {
  const char* save = nullptr;       // caption of ID_FILE_SAVE
  const char* tableEdit = nullptr;  // caption of the table-edit command (33049)
  ToolbarSet toolbar = ToolbarSet::Keep;
};

// Captions and toolbar set for UpdateMenuTexts(kind, form, state). Calls that
// select a toolbar set leave the captions null (unchanged).
MenuCaptions MenuCaptionsFor(int kind, int form, int state);

}  // namespace app
