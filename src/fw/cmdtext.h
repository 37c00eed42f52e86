// Texts of the standard commands that need no window: the two parts of a
// command's string ("prompt\ntooltip") and the numbered captions of the
// recent-file menu.
#pragma once

#include <cstddef>
#include <string>

namespace fw {

// "Opens a file\nOpen": the status-bar prompt is the part before the first
// "\n" (the whole text when there is none); the tooltip the part after it
// ("" when there is none).
std::string PromptPart(const std::string& text);
std::string TooltipPart(const std::string& text);

// Menu caption of recent file `index` (0-based): "&1 name" ... "1&0 name".
// A path longer than `maxBytes` keeps its root and as many trailing folders
// as fit behind "...\", never less than the file name; "&" is doubled so it
// shows as itself. Shift-JIS aware: a trail byte 0x5C is no separator.
std::string RecentFileCaption(int index, const std::string& path, std::size_t maxBytes = 48);

}  // namespace fw
