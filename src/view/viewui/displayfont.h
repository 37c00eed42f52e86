// Rules of the text view's display font, without windows: which face the
// view shows for a stored setting, which face the font dialog preselects and
// which answer of the dialog becomes the setting.
#pragma once

#include <string>

namespace viewui {

// The face the view shows for the stored face: the stored one, or
// `fallback` (the setting's default) when it is empty or vertical.
std::string DisplayFace(const std::string& stored, const std::string& fallback);

// How the font dialog opens over a pane.
struct FontDialogPlan {
  std::string face;          // preselected face
  bool substituted = false;  // `face` is the face drawn in place of the pane's
  bool verticalFaces = false;  // vertical faces are offered (never for the text view)
};

// `paneFace` is the face the pane's text is set in; `paneFaceListed` whether
// the dialog lists it (an installed face: a name the system only maps to
// another font is not listed, and the dialog would fall back to the first
// entry of its list); `drawnFace` the face the system draws the pane with.
FontDialogPlan PlanFontDialog(const std::string& paneFace, bool paneFaceListed, const std::string& drawnFace);

// The face to store after the dialog's OK: the chosen face; the pane's own
// face when the user kept the substitute the dialog was opened with (so a
// setting that names a font of another machine is not replaced by this
// machine's stand-in); "" (keep the setting) for an empty or vertical answer.
std::string FaceToStore(const FontDialogPlan& plan, const std::string& paneFace, const std::string& chosen);

}  // namespace viewui
