#include "view/viewui/displayfont.h"

namespace viewui {
namespace {

// An empty face, or a vertical one (named with a leading '@'), is never shown.
bool Usable(const std::string& face) { return !face.empty() && face[0] != '@'; }

}  // namespace

std::string DisplayFace(const std::string& stored, const std::string& fallback) {
  return Usable(stored) ? stored : fallback;
}

FontDialogPlan PlanFontDialog(const std::string& paneFace, bool paneFaceListed, const std::string& drawnFace) {
  FontDialogPlan plan;
  if (Usable(paneFace) && paneFaceListed) {
    plan.face = paneFace;
  } else if (Usable(drawnFace)) {
    plan.face = drawnFace;
    plan.substituted = drawnFace != paneFace;
  } else if (Usable(paneFace)) {
    plan.face = paneFace;  // nothing better known: the dialog picks its nearest
  }
  return plan;
}

std::string FaceToStore(const FontDialogPlan& plan, const std::string& paneFace, const std::string& chosen) {
  if (!Usable(chosen)) return std::string();
  if (plan.substituted && chosen == plan.face && Usable(paneFace)) return paneFace;
  return chosen;
}

}  // namespace viewui
