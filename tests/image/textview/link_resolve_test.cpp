// Double-clicked words turned into addresses and paths, the base they are
// resolved against, and the small rules of following a link.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "image/textview/link_resolve.h"

namespace {

using namespace image::textview;

LinkContext Folder(const std::string& viewPath = "C:\\docs\\a.txt", int mode = 0) {
  LinkContext c;
  c.linkMode = mode;
  c.viewPath = viewPath;
  c.programDir = "C:\\prog";
  return c;
}

LinkContext Address(std::vector<std::string> history) {
  LinkContext c = Folder("", 99);
  c.history = std::move(history);
  return c;
}

struct Case {
  const char* word;
  const char* result;
  int type;
};

void ExpectAll(const LinkContext& c, std::initializer_list<Case> cases) {
  for (const Case& k : cases) {
    const ResolvedLink r = ResolveLinkWord(k.word, c);
    EXPECT_EQ(r.word, k.result) << k.word;
    EXPECT_EQ(r.linkType, k.type) << k.word;
  }
}

std::string BaseOf(const LinkContext& c) { return ResolveLinkWord("abc", c).base; }

TEST(LinkResolve, WordsInAFileFolder) {
  EXPECT_EQ(BaseOf(Folder()), "C:\\docs\\");
  ExpectAll(Folder(), {
      {"https://a.jp/?u=https://b.jp", "http://a.jp/?u=http://b.jp", kLinkAddress},
      {"www.x.jp", "http://www.x.jp", kLinkAddress},
      {"12345678901234http://x.jp", "http://x.jp", kLinkAddress},
      {"123456789012345http://x.jp", "file://C:/docs/123456789012345http://x.jp", kLinkFile},
      {"http://r.jp/?Redirect=http://x.jp%2Fa%3Fq%3D1%26r%3D2", "http://x.jp/a?q=1&r=2", kLinkAddress},
      {"xRedirect=ab", "ab", kLinkSearch},
      {"xRedirect=", "xRedirect=", kLinkSearch},  // not longer than 10 bytes
      {"Redirect=a%2F.txt", "file://C:/docs/Redirect=a%2F.txt", kLinkFile},
      {"../b.txt", "file://C:/b.txt", kLinkFile},
      {"../../b.txt", "file://C:/b.txt", kLinkFile},
      {"./x.txt", "file://C:/docs/x.txt", kLinkFile},
      {"sub\\x.txt", "file://C:/docs/sub/x.txt", kLinkFile},
      {"file://C:/a.txt", "file://C:/a.txt", kLinkAddress},
      {"%D:\\data", "D:\\data", kLinkFolder},
      {"%sub.dir", "C:\\docs\\sub.dir", kLinkFolder},
      {"abcdef", "abcdef", kLinkSearch},
      {"#ch2#", "#ch2#", kLinkSearch},
  });
  ExpectAll(Folder("C:\\docs\\sub\\a.txt"), {{"/x.txt", "file://C:/docs/sub/x.txt", kLinkFile}});
  // 0x95 0x5C is one character: its second byte is no separator.
  EXPECT_EQ(BaseOf(Folder("C:\\\x95\x5C\\a.txt")), "C:\\\x95\x5C\\");
  ExpectAll(Folder("C:\\\x95\x5C\\a.txt"), {{"..\\b.txt", "file://C:/b.txt", kLinkFile}});
  // A shown rich text resolves against the active side's path.
  LinkContext c = Folder("C:\\docs\\r.rtf");
  c.path1 = "D:\\side\\";
  c.path2 = "E:\\other\\x.csv";
  EXPECT_EQ(BaseOf(c), "D:\\side\\");
  c.activeSide = 2;
  EXPECT_EQ(BaseOf(c), "E:\\other\\");
}

TEST(LinkResolve, SearchText) {
  EXPECT_EQ(ResolveLinkWord("#ch2#", Folder()).searchText, "<ch2>");
  EXPECT_EQ(ResolveLinkWord("%#ab", Folder()).searchText, "<#a>");  // the word as handed in
  EXPECT_EQ(ResolveLinkWord("abc", Folder()).searchText, "abc");
}

TEST(LinkResolve, WordsInAnAddress) {
  EXPECT_EQ(BaseOf(Address({"http://a.jp/1.html", "http://b.jp/x/", "adrs://1000010", "adrs://1000020"})), "http://b.jp/x/");
  EXPECT_EQ(BaseOf(Address({"adrs://1000001", "adrs://1000002"})), "adrs://1000001/");
  EXPECT_EQ(BaseOf(Address({"http://h.jp"})), "http://h.jp/");
  const LinkContext c = Address({"http://h.jp/dir/page.html"});
  EXPECT_EQ(BaseOf(c), "http://h.jp/dir/");
  ExpectAll(c, {
      {"../up.html", "http://h.jp/up.html", kLinkAddress},
      {"../../../up.html", "http://h.jp/up.html", kLinkAddress},
      {"sub/p.html", "http://h.jp/dir/sub/p.html", kLinkAddress},
      {"/top.html", "http://h.jp/top.html", kLinkAddress},
      {"file://C:/a.txt", "C:/a.txt", kLinkPath},
      {"C:\\x.txt", "file://C:/x.txt", kLinkFile},  // a drive makes the base a folder
  });
  ExpectAll(Address({"ftp://f.jp/pub/a.txt"}), {{"b.txt", "ftp://f.jp/pub/b.txt", kLinkRelative}});
  // Nothing visited yet: the side's folder is recorded first.
  LinkContext empty = Address({});
  empty.path2 = "E:\\w\\";
  empty.activeSide = 2;
  const ResolvedLink first = ResolveLinkWord("http://n.jp/a/b.html", empty);
  EXPECT_EQ(first.firstHistoryEntry, "%0E:\\w\\");
  EXPECT_TRUE(first.changeDirToC);
  EXPECT_EQ(first.base, "http://n.jp/a/");
}

TEST(LinkResolve, PageInTheScratchFolder) {
  LinkContext c = Folder("C:\\prog\\TMP\\page.htm");
  c.history = {"http://old.jp/", "http://h.jp/a/"};
  ExpectAll(c, {
      {"/x.html", "http://h.jp/a//x.html", kLinkAddress},
      {"dir/sub", "http://h.jp/a/dir/sub", kLinkAddress},
      {"dir/x.html", "file://C:/prog/TMP/dir/x.html", kLinkFile},
      {"./x.html", "file://C:/prog/TMP/x.html", kLinkFile},
  });
}

TEST(LinkFollow, PositionsViewsAndBrowsers) {
  EXPECT_EQ(TextPositionEntry(5), "adrs://1000005");
  EXPECT_EQ(TextPositionEntry(-1000000), "adrs://     0");
  EXPECT_TRUE(ShowAddressInViews("http://x/a.m3u", 0, 0));
  EXPECT_FALSE(ShowAddressInViews(".m3u", 0, 0));
  EXPECT_FALSE(ShowAddressInViews("http://x/", 0, 0));
  EXPECT_TRUE(ShowAddressInViews("http://x/", 1, 0));
  EXPECT_TRUE(ShowAddressInViews("http://x/", 0, '#'));
  EXPECT_FALSE(ShowAddressInViews("http://x/a.m3u", 99, '*'));
  for (const char* t : {"Test page - Google Chrome", "xx - Google Chrome", "xy - Microsoft Edge",
                        "ab - Internet Explorer"})
    EXPECT_TRUE(IsBrowserTitle(t)) << t;
  for (const char* t : {"x - Google Chrome", "x - Microsoft Edge", "a - Internet Explorer", "Edge", "Other title here"})
    EXPECT_FALSE(IsBrowserTitle(t)) << t;  // one character short of each limit
}

}  // namespace
