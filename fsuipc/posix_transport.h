#pragma once
// The POSIX transport: a server class is a Unix-domain socket in the user's
// runtime folder, a block is POSIX shared memory, and the synchronous call
// sends the block's name and waits for the server's answer.
#include <memory>

#include "fsuipc/transport.h"

namespace vorn {

std::unique_ptr<IpcTransport> MakePosixTransport();

}  // namespace vorn
