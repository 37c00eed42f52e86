// The OLE data source: a block offered in a format reaches the clipboard and
// the drag hook as it was given (run alone: the clipboard is shared).
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <string>

#include "fw/clipboard.h"
#include "fw/oledata.h"
#include "fw/uihooks.h"

namespace {

HGLOBAL Block(const std::string& bytes) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, bytes.size());
  std::memcpy(GlobalLock(g), bytes.data(), bytes.size());
  GlobalUnlock(g);
  return g;
}

// A drop list: header (offset 20), "C:\表\a.txt", closing NUL.
const std::string kDrop = std::string("\x14\0\0\0", 4) + std::string(16, '\0') + "C:\\\x95\x5C\\a.txt" + std::string(2, '\0');

TEST(OleDataSource, ClipboardGivesTheBlockBack) {
  ASSERT_TRUE(fw::OleInit());
  {
    COleDataSource src;
    src.CacheGlobalData(CF_HDROP, Block(kDrop));
    ASSERT_TRUE(src.SetClipboard());
  }  // the clipboard keeps the data after the source goes
  IDataObject* data = nullptr;
  ASSERT_EQ(S_OK, OleGetClipboard(&data));
  FORMATETC f = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(S_OK, data->QueryGetData(&f));
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, data->GetData(&f, &m));
  ASSERT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), m.tymed);
  ASSERT_GE(GlobalSize(m.hGlobal), kDrop.size());
  EXPECT_EQ(0, std::memcmp(GlobalLock(m.hGlobal), kDrop.data(), kDrop.size()));
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
  FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_NE(S_OK, data->QueryGetData(&text));
  data->Release();
  OleFlushClipboard();
}

TEST(OleDataSource, DragHookSeesTheOfferAndAnswers) {
  fw::hooks::Reset();
  fw::hooks::SetTestMode(true);
  COleDataSource src;
  src.CacheGlobalData(CF_HDROP, Block(kDrop));
  fw::hooks::ExpectDragDrop(DROPEFFECT_COPY);
  EXPECT_EQ(static_cast<DROPEFFECT>(DROPEFFECT_COPY), src.DoDragDrop(DROPEFFECT_COPY));
  // Without an expectation the drag is refused, never entered.
  EXPECT_EQ(static_cast<DROPEFFECT>(DROPEFFECT_NONE), src.DoDragDrop(DROPEFFECT_COPY));
  const auto offers = fw::hooks::DragOffers();
  ASSERT_EQ(offers.size(), 2u);
  EXPECT_EQ(offers[0].allowedEffects, static_cast<unsigned>(DROPEFFECT_COPY));
  ASSERT_EQ(offers[0].items.size(), 1u);
  EXPECT_EQ(offers[0].items[0].format, static_cast<unsigned>(CF_HDROP));
  EXPECT_EQ(std::string(offers[0].items[0].bytes.begin(), offers[0].items[0].bytes.begin() + static_cast<long>(kDrop.size())), kDrop);
  EXPECT_EQ(fw::hooks::Unexpected().size(), 1u);
  fw::hooks::Reset();
  fw::hooks::SetTestMode(false);
}

}  // namespace
