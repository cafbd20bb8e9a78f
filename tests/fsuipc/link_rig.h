#pragma once
// A link over the built-in simulator with a fault injector in between and a
// clock that only counts, so the retry cycle runs in microseconds.
#include <string>

#include "fsuipc/ipc_link.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_server.h"
#include "tests/fakes/fault_transport.h"
#include "tests/fakes/test_clock.h"

namespace vorn::testing {

struct LinkRig {
    explicit LinkRig(SimServerOptions options = {}, std::string className = "FS98MAIN")
        : server(options), inner(server, std::move(className), clock), fault(inner), link(fault, clock) {}

    bool Open() {
        IpcResult result = -1;
        return link.Open(0, result);
    }

    SimServer server;
    RecordingClock clock;
    InProcessTransport inner;
    FaultTransport fault;
    IpcLink link;
};

}  // namespace vorn::testing
