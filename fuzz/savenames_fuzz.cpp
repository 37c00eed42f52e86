// Names from the file dialogs and the recent-file list: any bytes give a
// save choice and a menu caption, and both keep their promises (the name is
// kept or only extended, the caption ends with the name's last element and
// every "&" of it is doubled).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/shell/save_forms.h"
#include "fw/cmdtext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int filterIndex = static_cast<int>(data[0] % 6) - 1;
  const std::size_t maxBytes = data[1];
  const std::string path(reinterpret_cast<const char*>(data) + 2, size - 2);

  app::SaveChoice c = app::ResolveSaveChoice(path, filterIndex);
  // The chosen name stays, at most without a trailing dot and with an extension added.
  std::string stem = path;
  if (!stem.empty() && stem.back() == '.' && c.path.compare(0, stem.size(), stem) != 0) stem.pop_back();
  if (c.path.compare(0, stem.size(), stem) != 0 || c.path.size() > path.size() + 4) std::abort();

  const std::string caption = fw::RecentFileCaption(data[0] % 12, path, maxBytes);
  if (caption.size() < 3 || caption[0] == ' ') std::abort();
  std::size_t amps = 0;
  for (char ch : path) amps += ch == '&';
  std::size_t shownAmps = 0;
  for (std::size_t i = caption.find(' ') + 1; i < caption.size(); ++i) shownAmps += caption[i] == '&';
  if (shownAmps % 2 != 0 || shownAmps > 2 * amps) std::abort();
  (void)fw::PromptPart(path);
  (void)fw::TooltipPart(path);
  return 0;
}
