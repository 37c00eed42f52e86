#include "app/dvkdoc.h"

#include "app/dvkapp.h"
#include "fw/alloc.h"
#include "res/resource.h"

CDvkDoc* g_pDvkDoc = nullptr;

CDvkCntrItem::CDvkCntrItem(REOBJECT* reo, CDvkDoc* container) : CRichEditCntrItem(reo, container) {}

FW_BEGIN_MESSAGE_MAP(CDvkDoc, CRichEditDoc)
FW_END_MESSAGE_MAP()

namespace {

// The program folder without a trailing "\".
CString ProgramFolder() {
  char exe[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe - 1);
  CString path(CString(exe).Left(static_cast<int>(n)));
  int slash = path.ReverseFind('\\');
  return slash > 0 ? path.Left(slash) : path;
}

}  // namespace

static_assert(app::kImageSettingsWords == img::kImageWords, "one block of image settings words");

CDvkDoc::CDvkDoc() {
  g_pDvkDoc = this;
  // The load record reads and writes the document's settings words.
  m_imageLoad.m_aImageSettings.Bind(m_aImageSettings);
  m_strProgramDir = ProgramFolder();
  if (CDvkApp* a = DvkApp()) {
    m_nInstanceNo = a->InstanceNumber();
    if (!a->ProgramDirOverride().IsEmpty()) m_strProgramDir = a->ProgramDirOverride();
  }
  LoadSettingsFiles();
  // The outside unzip library, only from the program folder (never from the
  // current folder). Absent: the entry stays null.
  CString dll = m_strProgramDir + "\\unzip32.dll";
  if (HMODULE h = LoadLibraryExA(dll, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
    m_hUnzipModule = h;
    m_pfnUnZip = reinterpret_cast<app::UnZipFn>(reinterpret_cast<void*>(GetProcAddress(h, "UnZip")));
  }
}

CDvkDoc::~CDvkDoc() {
  RemoveSourceWorkFiles();
  ReleaseImageRecord();
  if (m_dlgVariableView.m_hWnd) m_dlgVariableView.DestroyWindow();
  if (m_hUnzipModule) FreeLibrary(static_cast<HMODULE>(m_hUnzipModule));
  m_hUnzipModule = nullptr;
  m_pfnUnZip = nullptr;
  if (g_pDvkDoc == this) g_pDvkDoc = nullptr;
}

bool CDvkDoc::IsPseudoName(const CString& name) {
  return name == "$$" || name == "##" || name == "#L" || name == "#R";
}

CRichEditCntrItem* CDvkDoc::CreateClientItem(REOBJECT* reo) { return new CDvkCntrItem(reo, this); }

void CDvkDoc::RedrawAllViews() {
  m_nUpdateCode = app::UpdateCode::kRedrawAll;
  UpdateAllViews(nullptr, 0, nullptr);
}

void CDvkDoc::BeginUpdateLock(CWnd* active) {
  if (m_nUpdateLockCount == 0 && active && active->m_hWnd) ::LockWindowUpdate(active->m_hWnd);
  ++m_nUpdateLockCount;
}

void CDvkDoc::EndUpdateLock() {
  if (m_nUpdateLockCount <= 0) return;
  if (--m_nUpdateLockCount == 0) ::LockWindowUpdate(nullptr);
}

void CDvkDoc::OnStartupTick(std::int64_t) {}
