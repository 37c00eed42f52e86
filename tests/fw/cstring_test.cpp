#include <gtest/gtest.h>

#include <string>

#include "fw/collections.h"
#include "fw/cstring.h"
#include "fw/strtable.h"

namespace {

std::string Bytes(const CString& s) { return s.Str(); }

}  // namespace

TEST(CString, ConstructionKeepsBytesAndEmbeddedNul) {
  CString a("a\0b", 3);
  EXPECT_EQ(3, a.GetLength());
  EXPECT_EQ('b', a[2]);
  EXPECT_EQ(std::string("a\0b", 3), Bytes(a));
  CString copy = a + CString("\0c", 2);
  EXPECT_EQ(5, copy.GetLength());
  EXPECT_EQ(0, CString(static_cast<const char*>(nullptr)).GetLength());
  EXPECT_EQ("xxx", CString('x', 3));
  EXPECT_TRUE(CString('x', -2).IsEmpty());
  EXPECT_TRUE(CString("abc", -1).IsEmpty());
}

TEST(CString, SubstringsClampBadArguments) {
  CString s("abcdef");
  EXPECT_EQ("", s.Mid(6));
  EXPECT_EQ("", s.Mid(100));
  EXPECT_EQ("", s.Mid(100, 5));
  EXPECT_EQ("ef", s.Mid(4, 100));
  EXPECT_EQ("abc", s.Mid(-3, 3));
  EXPECT_EQ("", s.Mid(2, -1));
  EXPECT_EQ("abcdef", s.Left(99));
  EXPECT_EQ("", s.Left(-1));
  EXPECT_EQ("def", s.Right(3));
  EXPECT_EQ("abcdef", s.Right(99));
  EXPECT_EQ("", s.Right(-5));
  EXPECT_EQ(0, s.GetAt(6));
  EXPECT_EQ(0, s.GetAt(-1));
  s.SetAt(10, 'z');
  s.SetAt(-1, 'z');
  EXPECT_EQ("abcdef", s);
}

TEST(CString, FindStartBeyondLengthAndNegative) {
  CString s("abcabc");
  EXPECT_EQ(-1, s.Find('a', 6));
  EXPECT_EQ(-1, s.Find('a', 1000));
  EXPECT_EQ(-1, s.Find("bc", 7));
  EXPECT_EQ(6, s.Find("", 6));  // the empty text is found where the search starts
  EXPECT_EQ(-1, s.Find("", 7));
  EXPECT_EQ(0, s.Find('a', -5));
  EXPECT_EQ(3, s.Find('a', 1));
  EXPECT_EQ(4, s.Find("bc", 2));
  EXPECT_EQ(-1, s.Find("abcabcx"));
  EXPECT_EQ(3, s.ReverseFind('a'));
  EXPECT_EQ(2, s.FindOneOf("xc"));
}

TEST(CString, SearchesNeverMatchTrailBytes) {
  // "表" is 0x95 0x5C: its trail byte is a backslash. "ソ" is 0x83 0x5C.
  CString path("C:\\表\\ソフト");
  EXPECT_EQ(2, path.Find('\\'));
  EXPECT_EQ(5, path.Find('\\', 3));
  EXPECT_EQ(5, path.ReverseFind('\\'));
  EXPECT_EQ(2, path.FindOneOf("\\"));
  EXPECT_EQ(3, path.FindOneOf("表"));  // a double-byte character in the set
  CString name("表ソ");
  EXPECT_EQ(-1, name.Find('\\'));
  EXPECT_EQ(-1, name.ReverseFind('\\'));
  EXPECT_EQ(0, name.Replace('\\', '/'));
  EXPECT_EQ(0, name.Remove('\\'));
  EXPECT_EQ("表ソ", name);
  // A substring that would start on a trail byte: "\x5C\x83" inside "表ソ".
  EXPECT_EQ(-1, name.Find("\\\x83"));
  // Those bytes do occur in it, yet nothing is replaced: a match starts a character.
  EXPECT_EQ(0, name.Replace("\\\x83", "x"));
  EXPECT_EQ(4, name.GetLength());
  // "@" is the trail byte of the double-byte blank 0x81 0x40.
  CString blank("　@");
  EXPECT_EQ(2, blank.Find('@'));
  EXPECT_EQ(1, blank.Replace("@", "at"));
  EXPECT_EQ("　at", blank);
}

TEST(CString, ReplaceRemoveInsertDelete) {
  CString s("a,b,,c");
  EXPECT_EQ(3, s.Replace(",", ";;"));
  EXPECT_EQ("a;;b;;;;c", s);
  EXPECT_EQ(0, s.Replace("", "x"));
  EXPECT_EQ(1, s.Replace(";;;;", ""));
  EXPECT_EQ("a;;bc", s);
  EXPECT_EQ(2, s.Remove(';'));
  EXPECT_EQ("abc", s);
  CString self("ab");
  self.Replace("a", self);  // the new text may be the string itself
  EXPECT_EQ("abb", self);
  EXPECT_EQ(4, s.Insert(99, 'd'));
  EXPECT_EQ(6, s.Insert(-3, "xy"));
  EXPECT_EQ("xyabcd", s);
  EXPECT_EQ(3, s.Delete(1, 3));
  EXPECT_EQ("xcd", s);
  EXPECT_EQ(3, s.Delete(5, 2));
  EXPECT_EQ(1, s.Delete(1, 99));
  EXPECT_EQ("x", s);
  EXPECT_EQ(1, s.Delete(0, -1));
}

TEST(CString, MakeLowerLeavesTrailBytesAlone) {
  // "ア" is 0x83 0x41: the trail byte is 'A'. "Ｚ" 0x82 0x79 is full-width.
  CString s("ABCアＺxyz");
  s.MakeLower();
  EXPECT_EQ("abcアＺxyz", s);
  EXPECT_EQ(static_cast<char>(0x41), s[4]);
  s.MakeUpper();
  EXPECT_EQ("ABCアＺXYZ", s);
  // "ァ" is 0x83 0x40, "ィ" 0x83 0x42: changing a trail byte would turn one into another.
  CString k("ィa");
  k.MakeUpper();
  EXPECT_EQ("ィA", k);
  // A lone lead byte at the end is a single byte and never joins anything.
  CString lone("A\x83");
  lone.MakeLower();
  EXPECT_EQ("a\x83", lone);
}

TEST(CString, TrimWholeCharacters) {
  CString s(" \t ア　\r\n ");
  s.TrimRight();
  EXPECT_EQ(" \t ア　", s);  // the double-byte blank is a character and stays
  s.TrimLeft();
  EXPECT_EQ("ア　", s);
  s.TrimRight("　 ");
  EXPECT_EQ("ア", s);
  // A set holding the trail byte of the last character removes nothing of it.
  CString t("xア");
  t.TrimRight("A");
  EXPECT_EQ("xア", t);
  t.TrimRight('A');
  EXPECT_EQ("xア", t);
  CString u("**a**");
  u.TrimLeft('*');
  u.TrimRight('*');
  EXPECT_EQ("a", u);
  CString all("  ");
  all.TrimRight();
  EXPECT_TRUE(all.IsEmpty());
}

TEST(CString, FormatIsBoundedForAnyLength) {
  std::string big(100 * 1024, 'x');
  big[50000] = 'y';
  CString s;
  s.Format("[%s]%d", big.c_str(), 42);
  ASSERT_EQ(100 * 1024 + 4, s.GetLength());
  EXPECT_EQ('[', s[0]);
  EXPECT_EQ('y', s[50001]);
  EXPECT_EQ("]42", s.Right(3));
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
  s.Format("%c%c", 'a', 0);  // an embedded NUL from the format is kept
  EXPECT_EQ(2, s.GetLength());
  s.Format("%05.1f|%-4s|%X", 3.14159, "ab", 255u);
  EXPECT_EQ("003.1|ab  |FF", s);
  // Formatting a string into itself.
  s = "abc";
  s.Format("%s-%s", s.GetString(), s.GetString());
  EXPECT_EQ("abc-abc", s);
}

TEST(CString, FormatAndLoadFromStringTable) {
  fw::SetStringTableEntry(60001, "%d 件のファイル");
  CString s;
  s.Format(60001u, 12);
  EXPECT_EQ("12 件のファイル", s);
  EXPECT_TRUE(s.LoadString(60001));
  EXPECT_EQ("%d 件のファイル", s);
  fw::SetStringTableEntry(60001, nullptr);
  EXPECT_FALSE(s.LoadString(60001));
  EXPECT_TRUE(s.IsEmpty());
  s = "old";
  s.Format(60001u, 1);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, ComparisonsAreUnsignedBytes) {
  CString a("abc"), b("abd"), k("カ");  // 0x83 0x4A sorts after ASCII
  EXPECT_LT(a.Compare("abd"), 0);
  EXPECT_GT(k.Compare("z"), 0);
  EXPECT_TRUE(a < b);
  EXPECT_TRUE(k > "z");
  EXPECT_TRUE("abc" == a);
  EXPECT_TRUE(a != "ab");
  EXPECT_LT(CString("ab").Compare("abc"), 0);
  EXPECT_EQ(0, CString("AbC").CompareNoCase("aBc"));
  EXPECT_LT(CString("_").CompareNoCase("A"), 0);  // letters fold to lower case, after '_' 
  // "ア" (0x83 0x41) and "\x83a" differ only by the case of a trail byte.
  EXPECT_NE(0, CString("ア").CompareNoCase("\x83" "a"));
  EXPECT_NE(0, CString("a\0b", 3).Compare("a"));
}

TEST(CString, BufferAccess) {
  CString s("abc");
  char* p = s.GetBuffer(10);
  std::snprintf(p, 11, "%s", "0123456789");
  s.ReleaseBuffer();
  EXPECT_EQ("0123456789", s);
  p = s.GetBuffer(2);  // never shrinks
  p[1] = '\0';
  s.ReleaseBuffer();
  EXPECT_EQ("0", s);
  p = s.GetBufferSetLength(4);
  p[0] = 'w'; p[1] = 'x'; p[2] = 'y'; p[3] = 'z';
  s.ReleaseBuffer(3);
  EXPECT_EQ("wxy", s);
  s.GetBuffer(3);
  s.ReleaseBuffer(100);  // longer than the buffer: length stays
  EXPECT_EQ(3, s.GetLength());
}

TEST(CString, Concatenation) {
  CString s = CString("a") + "b" + 'c' + CString("d");
  s += s;
  s += 'e';
  s += "f";
  EXPECT_EQ("abcdabcdef", s);
  EXPECT_EQ("xabcdabcdef", 'x' + s);
  const char* inner = s.GetString() + 8;
  s += inner;  // appending a part of itself
  EXPECT_EQ("abcdabcdefef", s);
}

TEST(Collections, ArrayOperationsAndBadIndexes) {
  CStringArray a;
  EXPECT_EQ(0, a.Add("one"));
  EXPECT_EQ(1, a.Add("three"));
  a.InsertAt(1, "two");
  EXPECT_EQ(3, a.GetSize());
  EXPECT_EQ("two", a[1]);
  a.InsertAt(5, "six");  // past the end: grows with empty strings
  ASSERT_EQ(6, a.GetSize());
  EXPECT_EQ("", a.GetAt(4));
  EXPECT_EQ("six", a.GetAt(5));
  a.RemoveAt(3, 100);
  EXPECT_EQ(3, a.GetSize());
  a.SetAt(10, "ignored");
  EXPECT_EQ("", a.GetAt(10));
  EXPECT_EQ("", a.GetAt(-1));
  a.ElementAt(99) = "scratch";  // lands outside the array
  EXPECT_EQ(3, a.GetSize());
  EXPECT_EQ("", a.ElementAt(99));
  a.ElementAt(0) += "!";
  EXPECT_EQ("one!", a[0]);
  a.RemoveAt(-1);
  a.RemoveAt(3);
  EXPECT_EQ(3, a.GetSize());
  a.SetSize(-1);
  EXPECT_EQ(0, a.GetSize());

  CDWordArray d;
  d.SetSize(4);
  EXPECT_EQ(0u, d[3]);
  d[3] = 0xFFFFFFFFu;
  EXPECT_EQ(0xFFFFFFFFu, d.GetAt(3));
  CByteArray b;
  b.InsertAt(0, 7, 3);
  EXPECT_EQ(3, b.GetSize());
  EXPECT_EQ(7, b[2]);
  CPtrArray p;
  int x = 0;
  p.Add(&x);
  EXPECT_EQ(&x, p.GetAt(0));
  EXPECT_EQ(nullptr, p.GetAt(1));
}
