// The list time text over random texts: no read outside the text; a text
// that is read gives a time whose local form prints back as the same list
// text (" %m/%d'%y %H:%M"), and a refused text leaves 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "filelist/flistcore/copyconflict.h"
#include "fw/datetime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::int64_t t = -7;
  if (!flist::ParseListTimeText(text, &t)) {
    if (t != 0) std::abort();
    return 0;
  }
  // Canonical texts (two digits each, one blank) print back exactly.
  const CString back = CTime(t).Format(" %m/%d'%y %H:%M");
  const char* form = " dd/dd'dd dd:dd";
  bool canonical = text.size() == 15;
  for (std::size_t i = 0; canonical && i < text.size(); ++i)
    canonical = form[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == form[i];
  // Only a local time skipped by a clock change may print another hour.
  if (canonical && back.Str() != text) {
    std::string a = back.Str(), b = text;
    if (a.size() != b.size()) std::abort();
    a.replace(10, 2, "hh");
    b.replace(10, 2, "hh");
    if (a != b) std::abort();
  }
  return 0;
}
