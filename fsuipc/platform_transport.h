#pragma once
#include <memory>

#include "fsuipc/transport.h"

namespace vorn {

// The transport of the platform this program was built for: Win32 on
// Windows, Unix-domain socket + POSIX shared memory elsewhere.
std::unique_ptr<IpcTransport> MakePlatformTransport();

}  // namespace vorn
