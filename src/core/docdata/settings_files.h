// "Dorvik.inf" and "Dorvik.sys" of the program folder, read into and written
// from the document's fields through the key table. Reading never changes a
// file; a file is written only when asked to (saving the settings, or
// writing the defaults of a missing file).
#pragma once

#include "core/docsvc/settings_io.h"
#include "core/docdata/settings_table.h"

namespace app {

// Loads over what the fields hold (a new document holds the defaults);
// Missing / Unreadable leave the fields alone. What the file held beyond the
// fields goes to `rest` (cleared first).
docsvc::FileRead LoadInfFile(const CString& path, SettingsDoc& d, SettingsRest& rest);
docsvc::FileRead LoadSysFile(const CString& path, SettingsDoc& d, SettingsRest& rest);

// Writes the fields and the kept unknown keys; false with a message on
// failure, the old file as it was.
bool SaveInfFile(const CString& path, const SettingsDoc& d, const SettingsRest& rest, CString* error);
bool SaveSysFile(const CString& path, const SettingsDoc& d, const SettingsRest& rest, CString* error);

// The text of each file with every key at its default.
std::string DefaultInfText();
std::string DefaultSysText();

// Writes "Dorvik.inf" and "Dorvik.sys" with their defaults where they are
// missing; existing files are left alone. False with a message when one
// could not be written.
bool WriteMissingSettingsFiles(const CString& programDir, CString* error);

}  // namespace app
