#pragma once
// A simulator inside this process, with a link open to it and a clock that
// never waits: what benchmarks and fuzz targets run programs against, where
// the client's pauses would only measure sleeping.
#include <cstdint>

#include "fsuipc/ipc_link.h"
#include "fsuipc/transport.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_server.h"

namespace vorn {

class InstantClock : public IpcClock {
public:
    void Sleep(std::uint32_t) override {}
};

struct InstantSimulator {
    InstantClock clock;
    SimServer server;
    InProcessTransport transport{server, "FS98MAIN", clock};
    IpcLink link{transport, clock};

    // Opens the link; false (with the client's result code) when the
    // handshake failed, which for this server means a broken build.
    bool Open(IpcResult& result) { return link.Open(0, result); }
};

}  // namespace vorn
