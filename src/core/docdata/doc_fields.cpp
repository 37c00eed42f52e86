#include "core/docdata/doc_fields.h"

#include "core/docdata/settings_table.h"
#include "fw/alloc.h"

namespace app {

// The document's heap buffers all come from fw::Alloc/Realloc, so they go
// back through fw::Free here.
DocTextFields::~DocTextFields() {
  fw::Free(m_pText);
  fw::Free(m_pText2);
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
