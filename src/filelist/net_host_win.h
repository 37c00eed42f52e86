// The system's network for the list's network levels: flist::NetworkHost
// over mpr (the enumeration into a 32,000-byte buffer, connecting and
// cancelling a connection). Names cross as Shift-JIS; the calls take the
// system's wide forms, so names read the same whatever the system's code
// page is.
#pragma once

#include <memory>

#include "filelist/flistcore/netlevel.h"

namespace flist {

// A new host over the system's network. A resource that holds no others
// (ERROR_NOT_CONTAINER) and a system without a network (ERROR_NO_NETWORK)
// are reported as kNetNotContainer, the answer the level reading lists as a
// UNC folder.
std::unique_ptr<NetworkHost> MakeSystemNetworkHost();

}  // namespace flist
