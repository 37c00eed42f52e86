#include "core/docdata/doc_fields.h"

#include "fw/alloc.h"

namespace app {

// The document's heap buffers all come from fw::Alloc/Realloc, so they go
// back through fw::Free here.
DocTextFields::~DocTextFields() {
  fw::Free(m_pText);
  fw::Free(m_pText2);
  if (m_bLoadBufOwned && m_pLoadBuf != m_pText) fw::Free(m_pLoadBuf);
  fw::Free(m_pConvData);
}

DocSystemFields::DocSystemFields() {
  // Fallback start folders of the two list sides.
  m_strSysValue[21] = "C:";
  m_strSysValue[22] = "C:";
}

}  // namespace app
