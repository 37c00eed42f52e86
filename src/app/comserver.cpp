#include "app/comserver.h"

#include <string>
#include <vector>

namespace app {

// {6F3A2C1E-9B7D-4E21-A5C3-7D14B0E8F2A9}
const CLSID kDocumentClsid = {0x6f3a2c1e, 0x9b7d, 0x4e21, {0xa5, 0xc3, 0x7d, 0x14, 0xb0, 0xe8, 0xf2, 0xa9}};
const char kDocumentProgId[] = "Tabrye.Document";

namespace {

const char kClassesRoot[] = "Software\\Classes";

// One line of the registry script: key <TAB> value name <TAB> data; an empty
// value name is the key's default value. Lines starting with ';' are comments.
struct ScriptLine {
  std::string key, name, data;
};

std::vector<ScriptLine> LoadScript(HINSTANCE module, int id) {
  std::vector<ScriptLine> lines;
  HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), "REGISTRY");
  if (!res) return lines;
  HGLOBAL h = LoadResource(module, res);
  const char* text = static_cast<const char*>(LockResource(h));
  DWORD size = SizeofResource(module, res);
  if (!text) return lines;

  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string all(text, size);
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find('\n', pos);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    for (size_t m; (m = line.find("%MODULE%")) != std::string::npos;) line.replace(m, 8, path);
    size_t t1 = line.find('\t');
    if (t1 == std::string::npos) continue;
    size_t t2 = line.find('\t', t1 + 1);
    if (t2 == std::string::npos) continue;
    lines.push_back({line.substr(0, t1), line.substr(t1 + 1, t2 - t1 - 1), line.substr(t2 + 1)});
  }
  return lines;
}

// --- An automation object without members ------------------------------------

class EmptyDispatch final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  LONG m_refs = 1;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // A static object: reference counts do not own it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    EmptyDispatch* obj = new (std::nothrow) EmptyDispatch;
    if (!obj) return E_OUTOFMEMORY;
    HRESULT hr = obj->QueryInterface(riid, out);
    obj->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

IClassFactory* DocumentClassFactory() { return &g_factory; }

bool RegisterServer(HINSTANCE module, int scriptId) {
  std::vector<ScriptLine> lines = LoadScript(module, scriptId);
  if (lines.empty()) return false;
  bool ok = true;
  for (const ScriptLine& l : lines) {
    std::string key = std::string(kClassesRoot) + "\\" + l.key;
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS) {
      ok = false;
      continue;
    }
    if (RegSetValueExA(h, l.name.empty() ? nullptr : l.name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(l.data.c_str()),
                       static_cast<DWORD>(l.data.size() + 1)) != ERROR_SUCCESS)
      ok = false;
    RegCloseKey(h);
  }
  return ok;
}

bool UnregisterServer(HINSTANCE module, int scriptId) {
  std::vector<ScriptLine> lines = LoadScript(module, scriptId);
  if (lines.empty()) return false;
  // Deepest keys first; only the keys of the script's first level are removed
  // as whole trees ("CLSID\{...}" and the ProgID), never "CLSID" itself.
  for (const ScriptLine& l : lines) {
    size_t cut = l.key.find('\\');
    std::string top = l.key.substr(0, cut);
    std::string victim = top == "CLSID" && cut != std::string::npos
                             ? l.key.substr(0, l.key.find('\\', cut + 1))
                             : top;
    std::string key = std::string(kClassesRoot) + "\\" + victim;
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  }
  return true;
}

HRESULT ClassObjectRegistration::Register() {
  if (m_dwCookie) return S_OK;
  return CoRegisterClassObject(kDocumentClsid, DocumentClassFactory(), CLSCTX_LOCAL_SERVER,
                               REGCLS_MULTIPLEUSE, &m_dwCookie);
}

void ClassObjectRegistration::Revoke() {
  if (m_dwCookie) CoRevokeClassObject(m_dwCookie);
  m_dwCookie = 0;
}

}  // namespace app
