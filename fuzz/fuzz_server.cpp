// libFuzzer target: arbitrary bytes as an FSUIPC request block handed to the
// simulated server, once as a whole 32 KiB block and once at their own
// length. The answer is checked against the bounds: 0 leaves block and
// offsets untouched; 1 touches nothing past the records, and the values a
// client may not change stay as they were.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/sim_server.h"

namespace {

void Check(vorn::SimServer& server, std::vector<std::uint8_t> block) {
    const std::vector<std::uint8_t> before = block;
    std::vector<std::uint8_t> memoryBefore(vorn::SimServer::kOffsetSpace);
    server.Peek(0, memoryBefore.data(), memoryBefore.size());

    std::size_t used = 0;
    const std::uint32_t answer = server.ProcessBlock(block.data(), block.size(), &used);
    std::vector<std::uint8_t> memoryAfter(vorn::SimServer::kOffsetSpace);
    server.Peek(0, memoryAfter.data(), memoryAfter.size());

    if (answer == 0) {
        if (block != before || memoryAfter != memoryBefore) __builtin_trap();
        return;
    }
    if (answer != 1) __builtin_trap();
    if (used < vorn::kTerminatorSize || used > block.size()) __builtin_trap();
    if (std::memcmp(block.data() + used, before.data() + used, block.size() - used) != 0) __builtin_trap();
    if (vorn::LoadU32(block.data() + used - 4) != 0) __builtin_trap();  // ends at its terminator
    if (vorn::LoadU32(&memoryAfter[vorn::kOffsetFsuipcVersion]) != server.Options().fsuipcVersion) __builtin_trap();
    if (vorn::LoadU32(&memoryAfter[vorn::kOffsetHotKeyCount]) != vorn::kHotKeyEntries) __builtin_trap();
    if (vorn::LoadU32(&memoryAfter[vorn::kOffsetSimulatorVersion]) >> 16 != vorn::kSimulatorSignature) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorn::SimServer server;
    std::vector<std::uint8_t> whole(vorn::kBlockSize, 0);
    std::memcpy(whole.data(), data, size < whole.size() ? size : whole.size());
    Check(server, whole);
    Check(server, std::vector<std::uint8_t>(data, data + size));
    return 0;
}
