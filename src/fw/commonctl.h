// Initialisation of the common controls (toolbar, status bar, list view,
// progress, slider, spin, tab, date and calendar controls), once per process.
#pragma once

namespace fw {

void InitCommonControlsOnce();

}  // namespace fw
