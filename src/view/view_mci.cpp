#include "view/view_mci.h"

#include <windows.h>

#include <mmsystem.h>

namespace view {

unsigned long SystemMciSend(const char* command, char* reply, unsigned replySize) {
  return ::mciSendStringA(command, reply, replySize, nullptr);
}

}  // namespace view
