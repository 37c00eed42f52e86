// Between the settings files as read (InfSettings, SysSettings) and the
// document's field groups (app::DvkDocData). The document copies the files
// into its fields at start and builds the files from its fields when it
// writes them; what the fields do not hold (unknown keys, values the
// document has no field for) stays in the file copy and is written back.
#pragma once

#include "core/docsvc/inf_settings.h"
#include "core/docsvc/sys_settings.h"
#include "core/docdata/doc_fields.h"

namespace docsvc {

// "flist" is not copied into m_nFlist: the document starts with 9001 there,
// which tells the first file list to clean the scratch folders; the file's
// value is kept in the InfSettings and written back unchanged.
void InfToDoc(const InfSettings& s, app::DocSettingsFields& d);
// Overwrites every field of `s` the document holds (the rest of `s` stays).
void DocToInf(const app::DocSettingsFields& d, InfSettings& s);

// Slot keys and values, the "posi" words the document holds (0-7), the start
// sorts, layout words, follow-up switch and the key code.
void SysToDoc(const SysSettings& s, app::DvkDocData& d);
void DocToSys(const app::DvkDocData& d, SysSettings& s);

}  // namespace docsvc
