// The view's one way to the multimedia command interface: every MCI command
// string of the view goes through g_pfnMciSend (mciSendString), which tests
// replace to see the strings and to answer them.
#pragma once

#include <cstddef>

namespace view {

// Sends `command`; the reply (NUL-terminated, at most `replySize` bytes)
// goes to `reply`. 0 on success, else the interface's error code.
using MciSendFn = unsigned long (*)(const char* command, char* reply, unsigned replySize);

unsigned long SystemMciSend(const char* command, char* reply, unsigned replySize);

inline MciSendFn g_pfnMciSend = &SystemMciSend;

inline unsigned long MciSend(const char* command, char* reply, unsigned replySize) {
  if (reply && replySize) reply[0] = '\0';
  return g_pfnMciSend ? g_pfnMciSend(command, reply, replySize) : 0;
}

}  // namespace view
