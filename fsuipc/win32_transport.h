#pragma once
// The Win32 transport: the real calls, for FSUIPC itself (and vorn-sim.exe).
// A server class is a window class, a block is a named file mapping, and the
// synchronous call is SendMessageTimeoutA with the block's atom.
#include <memory>

#include "fsuipc/transport.h"

namespace vorn {

std::unique_ptr<IpcTransport> MakeWin32Transport();

}  // namespace vorn
