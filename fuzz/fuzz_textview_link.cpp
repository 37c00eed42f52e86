// A double-click in the text view on any line: the word cut at any caret
// (kept inside the line, 1-299 bytes when usable), its position suffix, the
// picture-marker plan, a reference looked up in the line, and the link the
// word resolves to under any history and view path. The line sits in a
// buffer of exactly its size so that any read past it is caught. Huge
// words are also resolved directly.
//
// Input: flags, caret (2 bytes), file kind, then length-prefixed history
// entries and view path, then the line (the rest).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz_reader.h"
#include "image/textview/link_reference.h"
#include "image/textview/link_resolve.h"
#include "image/textview/picture_marker.h"
#include "image/textview/word_cut.h"

namespace {

using namespace image::textview;

// Names the failed condition's line before stopping.
void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "check failed at line %d\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

std::string Piece(fuzz::ByteReader& in) {
  std::string s;
  for (std::size_t n = in.Byte(); n > 0 && in.n; --n) s.push_back(char(in.Byte()));
  return s;
}

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

void Resolve(const std::string& word, const LinkContext& ctx) {
  const ResolvedLink r = ResolveLinkWord(word, ctx);
  Check(r.searchText.size() == word.size());
  Check(r.linkType == kLinkSearch || r.linkType == kLinkAddress || r.linkType == kLinkRelative ||
        r.linkType == kLinkPath || r.linkType == kLinkFolder || r.linkType == kLinkFile);  // never left unresolved
  if (r.linkType == kLinkFile) Check(StartsWith(r.word, "file://"));
  const bool first = ctx.linkMode == 99 && ctx.history.empty();
  Check(r.changeDirToC == first);
  Check(!r.firstHistoryEntry.empty() == first);
  ShowAddressInViews(r.word, ctx.linkMode, 0);
  IsBrowserTitle(r.word);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ByteReader in{data, size};
  const std::uint8_t flags = in.Byte();
  const int caret = int(std::int16_t(std::uint16_t(in.Byte() | in.Byte() << 8)));
  const int fileKind = in.Byte() % 40;

  static const int kModes[] = {0, 1, 99, 7};
  LinkContext ctx;
  ctx.linkMode = kModes[(flags >> 1) & 3];
  ctx.activeSide = flags & 0x08 ? 2 : 1;
  ctx.programDir = "C:\\prog";
  ctx.path1 = "C:\\one\\";
  ctx.path2 = "D:\\two";
  for (int i = (flags >> 4) & 3; i > 0; --i) ctx.history.push_back(Piece(in));
  ctx.viewPath = Piece(in);
  if (flags & 0x40) ctx.viewPath = ctx.programDir + "\\TMP\\" + ctx.viewPath;
  if (flags & 0x80) ctx.viewPath += ".rtf";

  const std::size_t length = in.n;
  std::unique_ptr<char[]> line(new char[length]);
  for (std::size_t i = 0; i < length; ++i) line[i] = char(in.p[i]);
  const std::string text(line.get(), length);

  // Anything handed over whole.
  Resolve(text, ctx);
  FindReferenceTarget(text, text, text);

  const WordCut cut = CutWordAtCaret(line.get(), int(length), caret, flags & 1);
  if (!cut.Usable()) return 0;
  Check(cut.Length() >= 1 && cut.Length() <= kMaxWordBytes);
  Check(cut.start >= 0 && std::size_t(cut.end) <= length && cut.end <= kLineBytes);
  std::string word(line.get() + cut.start, std::size_t(cut.Length()));

  const PositionSuffix suffix = SplitPositionSuffix(word);
  if (suffix.applies) Check(suffix.word.size() < word.size());
  LinkSelectionChars(cut.Length(), cut.Length(), flags & 0x20);

  if (IsPictureMarker(word, cut.closing, flags & 0x10)) {
    const MarkerPlan plan = PlanPictureMarker(word, fileKind, ctx.programDir, ctx.viewPath);
    if (plan.source == MarkerPlan::kMediaFile) Check(StartsWith(plan.path, ctx.programDir.c_str()));
    if (plan.source == MarkerPlan::kShownFile) Check(plan.path == ctx.viewPath && plan.number != 0);
    return 0;
  }
  if (suffix.applies && suffix.numbersRead) word = suffix.word;

  char mark = 0;
  if (word.size() >= 3 && word[0] == '@') {
    const std::size_t from = caret < 0 ? 0 : std::size_t(caret) < length ? std::size_t(caret) : length;
    const ReferenceTarget ref = FindReferenceTarget(word, text.substr(from), text);
    Check(ref.target.size() <= std::size_t(kMaxReferenceTarget));
    Check(ref.mark == 0 || ref.mark == '#' || ref.mark == '*');
    if (!ref.found) Check(ref.target.empty());
    if (ref.found) word = ref.target;
    mark = ref.mark;
  }
  Resolve(word, ctx);
  ShowAddressInViews(word, ctx.linkMode, mark);
  Check(StartsWith(TextPositionEntry(cut.start), "adrs://"));
  return 0;
}
