// libFuzzer target: the simulated server's request handling, driven the way
// clients and the console drive it. The input is a run of operations, each
// led by one byte (its value modulo 4):
//   0  a raw block: two bytes of length n, then n bytes
//   1  a block of records built from the bytes that follow: a count, then per
//      record a kind, a 16-bit offset, a size, and a write's data; random
//      bytes rarely make a block the server accepts, these nearly always do
//   2  a console command line: the bytes up to the next LF ("log" excepted:
//      it would write files)
//   3  a hot-key press: key code and modifier
// Every block is handed over as a whole 32 KiB block and at its own length,
// and its answer checked against the bounds: 0 leaves block and offsets
// untouched; 1 touches nothing past the records, and the values a client may
// not change stay as they were, whatever the commands did before.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/sim_commands.h"
#include "sim/sim_server.h"

namespace {

void CheckFixedValues(vorn::SimServer& server) {
    std::uint8_t v[4];
    server.Peek(vorn::kOffsetFsuipcVersion, v, 4);
    if (vorn::LoadU32(v) != server.Options().fsuipcVersion) __builtin_trap();
    server.Peek(vorn::kOffsetHotKeyCount, v, 4);
    if (vorn::LoadU32(v) != vorn::kHotKeyEntries) __builtin_trap();
    server.Peek(vorn::kOffsetSimulatorVersion, v, 4);
    if (vorn::LoadU32(v) >> 16 != vorn::kSimulatorSignature) __builtin_trap();
}

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
    CheckFixedValues(server);
}

void Serve(vorn::SimServer& server, const std::vector<std::uint8_t>& block) {
    std::vector<std::uint8_t> whole(vorn::kBlockSize, 0);
    if (!block.empty()) std::memcpy(whole.data(), block.data(), block.size() < whole.size() ? block.size() : whole.size());
    Check(server, whole);
    Check(server, block);
}

// The input as it is consumed; reads past its end give zeros.
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    bool AtEnd() const { return at >= size; }
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    std::uint32_t Word16() {
        const std::uint32_t low = Byte();
        return low | std::uint32_t(Byte()) << 8;
    }
};

void Put(std::vector<std::uint8_t>& block, std::uint32_t value) {
    block.resize(block.size() + 4);
    vorn::StoreU32(block.data() + block.size() - 4, value);
}

// Sizes below 0xF0 as they are; the rest name the edges of the block and
// of the offset space.
std::uint32_t RecordSize(std::uint8_t code) {
    static const std::uint32_t kEdges[16] = {0x100,  0x400,  0x7EF0, 0x7EF4, 0x7F00, 0x7FF0, 0x7FFC,  0x8000,
                                             0xFFFF, 0x10000, 0x10001, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF0,
                                             0xFFFFFFFC, 0xFFFFFFFF};
    return code < 0xF0 ? code : kEdges[code - 0xF0];
}

std::vector<std::uint8_t> Records(Input& in) {
    std::vector<std::uint8_t> block;
    const int count = in.Byte() % 32;
    for (int r = 0; r < count && block.size() < vorn::kBlockSize; ++r) {
        const std::uint8_t kind = in.Byte();
        const std::uint32_t offset = in.Word16();
        const std::uint32_t size = RecordSize(in.Byte());
        switch (kind % 4) {
            case 0:  // read
                Put(block, vorn::kRecordRead);
                Put(block, offset);
                Put(block, size);
                Put(block, in.Byte());  // the client's destination: the server ignores it
                block.resize(block.size() + (size < vorn::kBlockSize ? size : 0), 0xEE);
                break;
            case 1:  // write
                Put(block, vorn::kRecordWrite);
                Put(block, offset);
                Put(block, size);
                for (std::uint32_t i = 0; i < size && i < vorn::kBlockSize; ++i) block.push_back(in.Byte());
                break;
            case 2:  // no record the server knows
                Put(block, kind);
                Put(block, offset);
                Put(block, size);
                break;
            default:  // an early terminator: what follows is left alone
                Put(block, 0);
                break;
        }
    }
    Put(block, 0);
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorn::SimServer server;
    Input in{data, size};
    while (!in.AtEnd()) {
        switch (in.Byte() % 4) {
            case 0: {
                const std::size_t n = in.Word16();
                const std::size_t take = n < size - in.at ? n : size - in.at;
                Serve(server, std::vector<std::uint8_t>(data + in.at, data + in.at + take));
                in.at += take;
                break;
            }
            case 1:
                Serve(server, Records(in));
                break;
            case 2: {
                const std::string_view rest(reinterpret_cast<const char*>(data + in.at), size - in.at);
                const std::size_t end = rest.find('\n');
                const std::string_view line = rest.substr(0, end);
                in.at += end == std::string_view::npos ? rest.size() : end + 1;
                if (line.substr(0, 3) == "log") break;
                bool quit = false;
                if (vorn::ExecuteSimCommand(server, line, quit).empty()) {
                    // Every command line that is not blank gets an answer; blank
                    // is white space as the command reader counts it (isspace).
                    const bool blank = std::all_of(line.begin(), line.end(),
                                                   [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
                    if (!blank) __builtin_trap();
                }
                CheckFixedValues(server);
                break;
            }
            default: {
                const std::uint8_t key = in.Byte();
                server.Press(key, in.Byte());
                break;
            }
        }
    }
    return 0;
}
