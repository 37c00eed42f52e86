#include "fw/oledata.h"

#include <cstring>

#include "fw/uihooks.h"

namespace {

// A copy of a global block (the data object hands out copies: the
// receiver frees what it gets).
HGLOBAL CopyGlobal(HGLOBAL src) {
  const SIZE_T n = ::GlobalSize(src);
  HGLOBAL dst = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, n ? n : 1);
  if (!dst) return nullptr;
  const void* from = ::GlobalLock(src);
  void* to = ::GlobalLock(dst);
  if (from && to && n) std::memcpy(to, from, n);
  if (to) ::GlobalUnlock(dst);
  if (from) ::GlobalUnlock(src);
  return dst;
}

struct Entry {
  CLIPFORMAT format;
  HGLOBAL global;
};

// The formats of the data object, one after the other.
class FormatEnum final : public IEnumFORMATETC {
 public:
  explicit FormatEnum(std::vector<FORMATETC> formats, ULONG pos = 0) : m_formats(std::move(formats)), m_pos(pos) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IEnumFORMATETC) {
      *out = static_cast<IEnumFORMATETC*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG r = --m_refs;
    if (r == 0) delete this;
    return r;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    while (n < count && m_pos < m_formats.size()) out[n++] = m_formats[m_pos++];
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    m_pos += count;
    if (m_pos > m_formats.size()) {
      m_pos = static_cast<ULONG>(m_formats.size());
      return S_FALSE;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_pos = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
    *out = new FormatEnum(m_formats, m_pos);
    return S_OK;
  }

 private:
  std::vector<FORMATETC> m_formats;
  ULONG m_pos;
  ULONG m_refs = 1;
};

}  // namespace

// The data object and the drop source in one reference-counted object.
class COleDataSource::Object final : public IDataObject, public IDropSource {
 public:
  std::vector<Entry> entries;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
    } else if (riid == IID_IDropSource) {
      *out = static_cast<IDropSource*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG r = --m_refs;
    if (r == 0) delete this;
    return r;
  }

  // IDataObject
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (!f || !m) return E_INVALIDARG;
    const Entry* e = Find(f);
    if (!e) return DV_E_FORMATETC;
    HGLOBAL copy = CopyGlobal(e->global);
    if (!copy) return E_OUTOFMEMORY;
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = copy;
    m->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { return f && Find(f) ? S_OK : DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const Entry& e : entries) formats.push_back(FORMATETC{e.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    *out = new FormatEnum(std::move(formats));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  // IDropSource: the drag ends when the left button is let go, Esc cancels it.
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ~Object() {
    for (Entry& e : entries) ::GlobalFree(e.global);
  }
  const Entry* Find(const FORMATETC* f) const {
    if (!(f->tymed & TYMED_HGLOBAL) || f->dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const Entry& e : entries)
      if (e.format == f->cfFormat) return &e;
    return nullptr;
  }
  ULONG m_refs = 1;
};

COleDataSource::COleDataSource() : m_pObject(new Object) {}

COleDataSource::~COleDataSource() { m_pObject->Release(); }

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL global) {
  if (!global) return;
  for (Entry& e : m_pObject->entries) {
    if (e.format != format) continue;
    ::GlobalFree(e.global);
    e.global = global;
    return;
  }
  m_pObject->entries.push_back(Entry{format, global});
}

bool COleDataSource::SetClipboard() {
  return SUCCEEDED(::OleSetClipboard(static_cast<IDataObject*>(m_pObject)));
}

DROPEFFECT COleDataSource::DoDragDrop(DWORD allowedEffects) {
  fw::hooks::DragOffer offer;
  offer.allowedEffects = allowedEffects;
  for (const Entry& e : m_pObject->entries) {
    fw::hooks::DragOffer::Item item;
    item.format = e.format;
    const SIZE_T n = ::GlobalSize(e.global);
    if (const auto* p = static_cast<const std::uint8_t*>(::GlobalLock(e.global))) {
      item.bytes.assign(p, p + n);
      ::GlobalUnlock(e.global);
    }
    offer.items.push_back(std::move(item));
  }
  unsigned hooked = 0;
  if (fw::hooks::TakeDragDrop(offer, &hooked)) return hooked;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = ::DoDragDrop(static_cast<IDataObject*>(m_pObject), static_cast<IDropSource*>(m_pObject),
                                  allowedEffects, &effect);
  return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}
