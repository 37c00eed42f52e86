// Class 52 of the statement loop: the file statements "&F" (every letter but
// 'g'). They launch, close, create, copy, list, rename, delete and archive
// files and folders, make and change folders, connect a network resource,
// ask for a file name and read or set a file's status. None ends the run: a
// failure leaves "EROR" (or a message text) in slot 146, or nothing at all
// for "&Fx", "&Fq" and "&Fp".
#pragma once

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;
class MacroHost;
struct MacroState;

Outcome MacroExecFile(MacroRunContext& rc);

// The operations on the ':'-separated operand: "&Fr", "&Fc", "&Ft", "&Fk",
// "&Fw", "&Fe", "&Fz" (macro_exec_fileops.cpp). `letter` is the
// subcommand, `marker` the byte after it.
Outcome MacroExecFileOperation(MacroRunContext& rc, char letter, char marker);

// "&Fu": the resource probed and, where the probe calls for it, connected
// through the host. True when the resource is usable afterwards.
bool MacroConnectNetUser(MacroHost& host, const CString& operand);

}  // namespace macro
