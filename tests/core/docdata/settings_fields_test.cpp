// The settings key table against the settings field group (DocSettingsFields):
// every member of the group is reached by a row of the table or listed below
// as exempt with its reason, and every row reaches a member of the group (a
// "Dorvik.sys" row may also reach one of the few "Dorvik.sys" fields kept in
// other groups, listed below too). A new member without a row, a row pointed
// at a field of another group or at an exempt member, and a lost row fail.
//
// Where a row goes is measured, not read from its `field` text: a text row
// hands out its CString's address; a number row is set to another value and
// the document's bytes show which member changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/docdata/settings_table.h"

namespace {

using namespace app;

// --- the members of the group --------------------------------------------------------

struct Member {
  const char* name;
  std::size_t offset;    // in the struct that declares it (DocSettingsFields), or in DvkDocData
  std::size_t size;      // the whole member (an array with all its elements)
  std::size_t align;
  std::size_t elements;  // array length, or 1
  const char* exempt;    // why no row reaches it; nullptr: a row must
  // An array of which only some elements are settings: those elements (each
  // reached by a row); `exempt` gives the reason for the others.
  std::vector<std::size_t> rowed = {};

  // A row may (and must) reach element `e`.
  bool Rowed(std::size_t e) const {
    return rowed.empty() ? exempt == nullptr : std::find(rowed.begin(), rowed.end(), e) != rowed.end();
  }
};

template <class Owner, auto M>
Member Describe(const Owner& probe, const char* name, const char* exempt) {
  using T = std::remove_reference_t<decltype(probe.*M)>;
  const std::size_t offset =
      static_cast<std::size_t>(reinterpret_cast<const char*>(&(probe.*M)) - reinterpret_cast<const char*>(&probe));
  return {name, offset, sizeof(T), alignof(T), std::is_array_v<T> ? std::extent_v<T> : 1, exempt};
}

const DocSettingsFields& GroupProbe() {
  static const DocSettingsFields probe;
  return probe;
}

template <auto M>
Member DescribeSome(const char* name, const char* why, std::vector<std::size_t> rowed) {
  Member m = Describe<DocSettingsFields, M>(GroupProbe(), name, why);
  m.rowed = std::move(rowed);
  return m;
}

#define ROWED(m) Describe<DocSettingsFields, &DocSettingsFields::m>(GroupProbe(), #m, nullptr)
#define EXEMPT(m, why) Describe<DocSettingsFields, &DocSettingsFields::m>(GroupProbe(), #m, why)
#define ROWED_SOME(m, why, ...) DescribeSome<&DocSettingsFields::m>(#m, why, {__VA_ARGS__})

// Every member of DocSettingsFields, in declaration order. A member added to
// the group is added here: with ROWED when a row of the table reads and
// writes it, with EXEMPT and the reason when it is no setting of the files.
const std::vector<Member>& GroupMembers() {
  static const std::vector<Member> members = {
      ROWED(m_nIndata),
      ROWED(m_nOutdata),
      ROWED(m_nBmpfile),
      ROWED(m_nBmpdata),
      ROWED(m_nTblMax),
      ROWED(m_nRtbl),
      ROWED(m_nChar),
      ROWED(m_nTab),
      EXEMPT(m_nFlist, "the first list's clean-up sign, then the capacity the list took; \"flist\" is m_nListCapacity"),
      ROWED(m_nListCapacity),
      ROWED(m_nFhold),
      ROWED(m_nTblsiz),
      ROWED(m_nTxtsiz),
      ROWED(m_nPrspace),
      ROWED(m_nTextBufSize),
      ROWED(m_nTextBufSize2),
      ROWED(m_strPictExt),
      ROWED_SOME(m_aImageSettings,
                 "the size word, and the display, loader and command words the program keeps for itself",
                 1, 2, 11, 14, 15, 16, 17, 20, 21, 22, 33, 34, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48),
      ROWED(m_strProfnt),
      ROWED(m_strTblfnt),
      ROWED(m_clrTxchar),
      EXEMPT(m_clrTextBack, "the background last sent to the rich edit, derived from \"bkindex\""),
      ROWED(m_nBackColorIndex),
      ROWED(m_bHideQuotes),
      ROWED(m_nFshell),
      ROWED(m_nSclic),
      ROWED(m_nFdrag),
      ROWED(m_bUtf8Names),
      ROWED(m_bUpdateCopy),
      ROWED(m_bKeepFileDate),
      EXEMPT(m_tOpenedFileTime, "the opened file's time, taken at each open for \"keepdt\""),
      ROWED(m_bArcTmpRoot),
      ROWED(m_nXlsMode),
      ROWED(m_nConvStyle),
      ROWED(m_nXlsDecimals),
      ROWED(m_nFixedDecimals),
      ROWED(m_nGroupSwitch),
      ROWED(m_bTableLayout),
      ROWED(m_bLatin1Text),
      ROWED(m_nPdfWidthAdjust),
      ROWED(m_nPdfTdAdjust),
      ROWED(m_bQuickLoad),
      ROWED(m_bShortView),
      ROWED(m_bBinaryView),
      ROWED(m_bRtfAsSource),
      ROWED(m_bMarkupMode),
      ROWED(m_bKeepLayout),
      ROWED(m_bLinkList),
      ROWED(m_nTextOnly),
      ROWED(m_nTextOnlyLines),
      ROWED(m_bAsciiSymbols),
      ROWED(m_bNoCharConv),
      ROWED(m_bSpacesInWords),
      ROWED(m_bShortLinkSelect),
      ROWED(m_bExternalBrowser),
      ROWED(m_clrOnTitle),
      ROWED(m_clrOffTitle),
      ROWED(m_clrPass1),
      ROWED(m_clrPass2),
      ROWED(m_clrOnSelect),
      ROWED(m_clrOffSelect),
      ROWED(m_clrNormal),
      ROWED(m_clrFolder),
      ROWED(m_clrHidden),
      ROWED(m_clrSystem),
      ROWED(m_clrReadOnly),
      ROWED(m_clrExeFile),
      ROWED(m_clrListBack),
      ROWED(m_strBtitleFace),
      ROWED(m_nBtitleSize),
      ROWED(m_strStitleFace),
      ROWED(m_nStitleSize),
      ROWED(m_nBttlht),
      ROWED(m_nSttlht),
      ROWED(m_bSpacingAtLeast),
      ROWED(m_nCharHeightMode),
      ROWED(m_aclrCustom),
  };
  return members;
}

#undef ROWED
#undef EXEMPT
#undef ROWED_SOME

// How many values a brace list of DocSettingsFields takes (an array member
// takes one per element): the largest N for which T{v1, ..., vN} compiles.
// A member added to the group raises it, padding or not.
struct AnyValue {
  template <class T>
  operator T() const;  // never called: only asked whether it converts
};

template <class T, std::size_t... I>
constexpr auto TakesValues(std::index_sequence<I...>) -> decltype(T{((void)I, AnyValue{})...}, true) {
  return true;
}
template <class T>
constexpr bool TakesValues(...) {
  return false;
}

template <class T, std::size_t N = 1>
constexpr std::size_t BraceListLength() {
  if constexpr (TakesValues<T>(std::make_index_sequence<N>{}))
    return BraceListLength<T, N + 1>();
  else
    return N - 1;
}

TEST(SettingsFields, EveryMemberOfTheSettingsGroupIsListedHere) {
  static_assert(std::is_aggregate_v<DocSettingsFields>,
                "the member count below needs DocSettingsFields to stay a plain struct");
  const std::vector<Member>& members = GroupMembers();
  std::size_t values = 0;
  for (const Member& m : members) values += m.elements;
  EXPECT_EQ(BraceListLength<DocSettingsFields>(), values)
      << "DocSettingsFields has members this test does not list (or lost some): list each with ROWED or EXEMPT";

  // In memory the listed members leave no byte of the group unexplained:
  // each starts where the one before ends (past alignment padding only).
  std::vector<Member> byOffset = members;
  std::sort(byOffset.begin(), byOffset.end(), [](const Member& a, const Member& b) { return a.offset < b.offset; });
  std::size_t end = 0;
  const char* before = "the start";
  for (const Member& m : byOffset) {
    const std::size_t aligned = (end + m.align - 1) / m.align * m.align;
    EXPECT_EQ(m.offset, aligned) << "bytes between " << before << " and " << m.name << " belong to no listed member";
    end = m.offset + m.size;
    before = m.name;
  }
  const std::size_t align = alignof(DocSettingsFields);
  EXPECT_EQ((end + align - 1) / align * align, sizeof(DocSettingsFields))
      << "bytes after " << before << " belong to no listed member";
}

// --- where the rows go ---------------------------------------------------------------

struct Reach {
  const Member* member;  // offsets in DvkDocData
  std::size_t element;
};

// Fields of other groups that "Dorvik.sys" rows may reach (no "Dorvik.inf"
// row may): the window line and start words live with the window, the slots
// and the key code with the system fields.
template <auto M>
Member Outside(const DvkDocData& d, const char* name) {
  return Describe<DvkDocData, M>(d, name, nullptr);
}

class SettingsRows : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::size_t base = static_cast<std::size_t>(
        reinterpret_cast<const char*>(static_cast<const DocSettingsFields*>(doc_.get())) -
        reinterpret_cast<const char*>(doc_.get()));
    for (Member m : GroupMembers()) {
      m.offset += base;
      group_.push_back(m);
    }
    const DvkDocData& d = *doc_;
    groups_ = {
        Group<DocTextFields>("DocTextFields"),     Group<DocUpdateFields>("DocUpdateFields"),
        Group<DocPathFields>("DocPathFields"),     Group<DocSettingsFields>("DocSettingsFields"),
        Group<DocWindowFields>("DocWindowFields"), Group<DocKeyImageFields>("DocKeyImageFields"),
        Group<DocListFields>("DocListFields"),     Group<DocSystemFields>("DocSystemFields"),
    };
    sysOnly_ = {
        Outside<&DvkDocData::m_strSysValue>(d, "m_strSysValue"),
        Outside<&DvkDocData::m_strEncryptKeyCode>(d, "m_strEncryptKeyCode"),
        Outside<&DvkDocData::m_nPosi>(d, "m_nPosi"),
        Outside<&DvkDocData::m_nFlistD>(d, "m_nFlistD"),
        Outside<&DvkDocData::m_nDirSort>(d, "m_nDirSort"),
        Outside<&DvkDocData::m_nStartSort1>(d, "m_nStartSort1"),
        Outside<&DvkDocData::m_nStartSort2>(d, "m_nStartSort2"),
        Outside<&DvkDocData::m_nLayoutMode>(d, "m_nLayoutMode"),
        Outside<&DvkDocData::m_nSideDisplay>(d, "m_nSideDisplay"),
        Outside<&DvkDocData::m_nWindowMode>(d, "m_nWindowMode"),
        Outside<&DvkDocData::m_nLaunchFollowUp>(d, "m_nLaunchFollowUp"),
    };
  }

  // The member (and element) holding byte `offset` of the document, among
  // the group and, for a "Dorvik.sys" row, the fields above; nullptr member
  // when it is none of them.
  Reach Find(std::size_t offset, bool sysRow) const {
    auto in = [offset](const std::vector<Member>& list) -> Reach {
      for (const Member& m : list)
        if (offset >= m.offset && offset < m.offset + m.size)
          return {&m, (offset - m.offset) / (m.size / m.elements)};
      return {nullptr, 0};
    };
    Reach r = in(group_);
    if (!r.member && sysRow) r = in(sysOnly_);
    return r;
  }

  // The field group of DvkDocData that holds byte `offset`, for messages.
  template <class G>
  std::pair<std::string, std::pair<std::size_t, std::size_t>> Group(const char* name) const {
    return {name, {OffsetOf(static_cast<const G*>(doc_.get())), sizeof(G)}};
  }
  std::string GroupOf(std::size_t offset) const {
    for (const auto& g : groups_)
      if (offset >= g.second.first && offset < g.second.first + g.second.second) return g.first;
    return "no field group";
  }

  std::size_t OffsetOf(const void* p) const {
    return static_cast<std::size_t>(reinterpret_cast<const char*>(p) - reinterpret_cast<const char*>(doc_.get()));
  }

  // Where the text accessor of element i leads.
  std::size_t TextOffset(const SettingKey& k, int i) { return OffsetOf(k.ref.text(*doc_, k.index + i)); }

  // Where the number setter of element i writes: the first byte that changes
  // when the value's lowest bit flips. The getter must read the new value
  // (the same field), and setting the old value back restores every byte.
  bool NumberOffset(const SettingKey& k, int i, std::size_t* offset) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(doc_.get());
    const std::vector<unsigned char> before(bytes, bytes + sizeof(DvkDocData));
    const std::int64_t v = k.ref.getNumber(*doc_, k.index + i);
    k.ref.setNumber(*doc_, k.index + i, v ^ 1);
    const std::int64_t read = k.ref.getNumber(*doc_, k.index + i);
    std::size_t at = 0;
    while (at < before.size() && before[at] == bytes[at]) ++at;
    k.ref.setNumber(*doc_, k.index + i, v);
    EXPECT_EQ(read, v ^ 1) << k.key << ": the getter reads another field than the setter writes";
    EXPECT_EQ(0, std::memcmp(before.data(), bytes, before.size())) << k.key << ": setting the value back";
    *offset = at;
    return at < before.size();
  }

  // Every field element the row reaches, in order (a font: face, then size).
  std::vector<Reach> Reached(const SettingKey& k) {
    const bool sysRow = !*k.section;
    std::vector<Reach> out;
    auto add = [&](bool found, std::size_t offset, const char* what) {
      if (!found) {
        ADD_FAILURE() << k.key << ": its " << what << " reaches no field";
        return;
      }
      const Reach r = Find(offset, sysRow);
      if (!r.member)
        ADD_FAILURE() << k.key << ": its " << what << " reaches byte " << offset << " of the document, in "
                      << GroupOf(offset) << ", outside the settings fields"
                      << (sysRow ? "" : " (a \"Dorvik.inf\" row must reach DocSettingsFields)");
      else
        out.push_back(r);
    };
    const int count = k.type == KeyType::kIntList ? k.count : 1;
    if (k.ref.text) add(true, TextOffset(k, 0), "text");
    for (int i = 0; k.ref.getNumber && i < count; ++i) {
      std::size_t offset = 0;
      const bool found = NumberOffset(k, i, &offset);
      add(found, offset, "number");
    }
    return out;
  }

  std::unique_ptr<DvkDocData> doc_ = std::make_unique<DvkDocData>();
  std::vector<Member> group_;
  std::vector<Member> sysOnly_;
  std::vector<std::pair<std::string, std::pair<std::size_t, std::size_t>>> groups_;
};

// The names a row's `field` text gives, without their "[i]".
std::vector<std::string> NamedFields(const char* field) {
  std::vector<std::string> names;
  std::string part;
  for (const char* p = field;; ++p) {
    if (*p == ',' || !*p) {
      names.push_back(part.substr(0, part.find('[')));
      part.clear();
      if (!*p) break;
    } else {
      part += *p;
    }
  }
  return names;
}

TEST_F(SettingsRows, EveryRowReachesASettingsFieldAndEveryMemberWithoutExemptionIsReached) {
  std::map<const Member*, std::set<std::size_t>> reached;
  for (const std::vector<SettingKey>* table : {&InfKeyTable(), &SysKeyTable()}) {
    for (const SettingKey& k : *table) {
      SCOPED_TRACE(k.key);
      const std::vector<Reach> reach = Reached(k);
      std::vector<std::string> names;
      for (const Reach& r : reach) {
        EXPECT_TRUE(r.member->Rowed(r.element))
            << k.key << " reaches " << r.member->name << "[" << r.element << "], exempt as " << r.member->exempt;
        reached[r.member].insert(r.element);
        if (names.empty() || names.back() != r.member->name) names.push_back(r.member->name);
      }
      // The row's field text names what it reaches (tests and messages show it).
      if (!reach.empty()) {
        EXPECT_EQ(NamedFields(k.field), names) << k.key << ": field text \"" << k.field << "\"";
      }
    }
  }
  for (const Member& m : group_) {
    for (std::size_t e = 0; e < m.elements; ++e) {
      if (!m.Rowed(e)) continue;
      EXPECT_TRUE(reached[&m].count(e)) << m.name << (m.elements > 1 ? "[" + std::to_string(e) + "]" : "")
                                        << " is reached by no row of the settings table: add its row, or list"
                                           " it as EXEMPT with the reason";
    }
  }
  for (const Member& m : sysOnly_) EXPECT_FALSE(reached[&m].empty()) << m.name << " is reached by no \"Dorvik.sys\" row";
}

}  // namespace
