#include "core/docdata/doc_fields.h"

#include <cstdint>

#include "core/docdata/settings_table.h"
#include "fw/alloc.h"

namespace app {

// The document's heap buffers all come from fw::Alloc/Realloc, so they go
// back through fw::Free here.
DocTextFields::~DocTextFields() {
  fw::Free(m_pText);
  fw::Free(m_pText2);
}

ImageClip::~ImageClip() { fw::Free(m_pImageClip); }

bool ImageClip::Reserve(std::uint64_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX) return false;
  void* grown = fw::Realloc(m_pImageClip, static_cast<std::size_t>(bytes));
  if (!grown) return false;
  m_pImageClip = static_cast<std::uint8_t*>(grown);
  m_nImageClipCapacity = bytes;
  return true;
}

DocListFields::~DocListFields() {
  FreeCompareNames();
  fw::Free(m_aCompareSize);
  fw::Free(m_aCompareTime);
  fw::Free(m_aCompareMine);
  fw::Free(m_aCompareOther);
}

void DocListFields::FreeCompareNames() {
  fw::Free(m_pCompareNames);
  m_pCompareNames = nullptr;
}

DvkDocData::DvkDocData() { ApplySettingsDefaults(*this); }

}  // namespace app
