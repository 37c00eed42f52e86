#include "fw/wnd.h"
