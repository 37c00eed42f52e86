// What a double-clicked word links to: the base it is resolved against
// (the newest visited address, or the shown file's folder), the word
// rewritten into an address or path, and the link type that decides how
// it is followed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image::textview {

enum LinkType : int {
  kLinkSearch = 0,     // search the text for the word
  kLinkAddress = 1,    // an address (http, ftp, www)
  kLinkUnresolved = 2, // still a search unless the last step gives it a type
  kLinkRelative = 4,   // an address relative to an address base
  kLinkPath = 5,       // a file path inside an address context
  kLinkFolder = 6,     // a folder reference ("%" prefix)
  kLinkFile = 7,       // a local file turned into a "file://" address
};

struct LinkContext {
  int linkMode = 0;                    // 0, 1 or 99
  std::vector<std::string> history;    // visited entries, oldest first
  std::string viewPath;                // the file the view shows
  std::string path1, path2;            // the sides' current paths
  int activeSide = 1;                  // 1 selects path1
  std::string programDir;              // no trailing "\"
};

struct ResolvedLink {
  std::string word;          // what is followed
  int linkType = kLinkUnresolved;
  std::string base;          // what relative words were resolved against
  bool baseIsAddress = false;
  // The text searched for in the view for link types 0 and 2: the word as
  // handed in, with an anchor "#name#" rewritten "<name>".
  std::string searchText;
  // Link mode 99 with an empty history: this entry is added first and the
  // current folder becomes "C:".
  std::string firstHistoryEntry;
  bool changeDirToC = false;
};

ResolvedLink ResolveLinkWord(const std::string& word, const LinkContext& ctx);

// The history entry of an in-text position: "adrs://%6d" of pos + 1000000.
std::string TextPositionEntry(std::int64_t pos);

// Whether an address is shown by the program's own views rather than the
// outside browser: ".m3u" or ".asx" after the first byte, a link mode
// other than 0, or reference mark '#'; mark '*' always goes to the browser.
bool ShowAddressInViews(const std::string& word, int linkMode, char mark);

// Whether a top-level window's title is an outside browser's: 13 or more
// characters, holding "Edge" (19 or more), "Internet Explorer" (22 or
// more) or "Google Chrome" (18 or more).
bool IsBrowserTitle(const std::string& title);

}  // namespace image::textview
