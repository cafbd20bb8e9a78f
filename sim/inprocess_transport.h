#pragma once
// The built-in simulator's transport: calls a SimServer directly. Blocks are
// plain memory owned by the transport; names are unique per transport.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fsuipc/atom_table.h"
#include "fsuipc/transport.h"
#include "sim/sim_server.h"

namespace vorn {

class InProcessTransport : public IpcTransport {
public:
    // `className` is the server class it answers to ("FS98MAIN" or
    // "UIPCMAIN"). A server that never answers, or answers later than the
    // time-out, costs the time-out on `clock`.
    explicit InProcessTransport(SimServer& server, std::string className = "FS98MAIN",
                                IpcClock& clock = RealClock());

    ServerHandle FindServer(const char* className) override;
    std::uint32_t RegisterMessage(const char* name) override;
    std::uint32_t CurrentProcessId() override;
    std::uint16_t AddAtom(const char* name) override;
    void DeleteAtom(std::uint16_t atom) override;
    BlockHandle CreateBlock(const char* name, std::uint32_t size) override;
    std::uint32_t LastError() override { return lastError_; }
    std::uint8_t* MapBlock(BlockHandle block) override;
    void UnmapBlock(std::uint8_t* view) override;
    void CloseBlock(BlockHandle block) override;
    bool Send(ServerHandle server, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
              std::uint32_t& answer) override;

private:
    struct Block {
        std::string name;
        std::vector<std::uint8_t> bytes;
        int views = 0;
        bool closed = false;  // closed while still mapped
    };

    SimServer& server_;
    std::string className_;
    IpcClock& clock_;
    std::uint32_t lastError_ = 0;
    std::map<BlockHandle, std::unique_ptr<Block>> blocks_;
    BlockHandle nextBlock_ = 1;
    AtomTable atoms_;
};

}  // namespace vorn
