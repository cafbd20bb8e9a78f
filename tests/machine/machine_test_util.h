#pragma once
// Shared pieces of the machine tests: a small assembler for code words with
// labels, and a machine wired to the in-process simulator over a real link.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "machine/code_image.h"
#include "machine/ins_set.h"
#include "machine/machine.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_server.h"
#include "tests/fakes/fault_transport.h"
#include "tests/fakes/test_clock.h"

namespace vorn::test {

// Builds code words. Labels are numbers handed out by NewLabel and placed
// by Mark at the current code position.
class Asm {
public:
    Asm& Ins(vorn::Op op, std::initializer_list<std::int32_t> operands = {}) {
        code.push_back(op);
        code.insert(code.end(), operands);
        return *this;
    }
    Asm& Word(std::int32_t w) {
        code.push_back(w);
        return *this;
    }
    int NewLabel() {
        labels.push_back(0);
        return static_cast<int>(labels.size()) - 1;
    }
    Asm& Mark(int label) {
        labels[label] = Here();
        return *this;
    }
    std::int32_t Here() const { return static_cast<std::int32_t>(code.size()); }

    std::vector<std::int32_t> code;
    std::vector<std::int32_t> labels;
};

// An image whose data segment holds `data` (n bytes, segment n + 4).
inline CodeImage MakeImage(const Asm& a, std::vector<std::uint8_t> data = {},
                           std::vector<CodeImage::KeyRoutine> keys = {}) {
    CodeImage img;
    img.dataEnd = kDataBase + static_cast<std::int32_t>(data.size()) + 4;
    img.keys = std::move(keys);
    img.labels = a.labels;
    img.code = a.code;
    img.data = std::move(data);
    return img;
}

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline std::vector<std::uint8_t> IntBytes(std::int32_t v) {
    std::vector<std::uint8_t> out(4);
    std::memcpy(out.data(), &v, 4);
    return out;
}

inline std::vector<std::uint8_t> DoubleBytes(double v) {
    std::vector<std::uint8_t> out(8);
    std::memcpy(out.data(), &v, 8);
    return out;
}

// A machine over an open link to a SimServer, collecting both sinks.
class MachineTest : public ::testing::Test {
protected:
    MachineTest() : transport(server, "FS98MAIN", clock), faults(transport), link(faults, clock) {
        IpcResult result = 0;
        if (!link.Open(0, result)) ADD_FAILURE() << "link did not open: " << result;
    }

    bool LoadImage(const CodeImage& img) {
        const std::vector<std::uint8_t> bytes = WriteCodeImage(img);
        return machine.Load(bytes, TraceSink(), OutputSink());
    }
    bool LoadCode(const Asm& a, std::vector<std::uint8_t> data = {}) { return LoadImage(MakeImage(a, std::move(data))); }

    LineSink OutputSink() {
        return [this](const std::string& line) { output.push_back(line); };
    }
    LineSink TraceSink() {
        return [this](const std::string& line) { trace.push_back(line); };
    }
    void Tick() { machine.Tick(OutputSink(), TraceSink()); }
    std::int32_t Run(std::int32_t pc, int slot = 0) { return machine.Run(pc, slot, OutputSink(), TraceSink()); }

    // Runs from PC 0 in `slot` until the process ends (or a tick limit).
    std::int32_t RunToEnd(int slot = 0, int ticks = 100) {
        std::int32_t pc = 0;
        for (int t = 0; t < ticks && pc >= 0; ++t) pc = Run(pc, slot);
        return pc;
    }

    std::int32_t DataInt(std::int32_t offset) const {
        std::int32_t v = 0;
        std::memcpy(&v, machine.DataSegment().data() + offset, 4);
        return v;
    }
    double DataDouble(std::int32_t offset) const {
        double v = 0;
        std::memcpy(&v, machine.DataSegment().data() + offset, 8);
        return v;
    }
    std::int32_t TopInt(int slot = 0) const { return machine.StackInt(slot, machine.StackPointer(slot) - 1); }
    double TopFloat(int slot = 0) const { return machine.StackFloat(slot, machine.StackPointer(slot) - 1); }
    int TopTag(int slot = 0) const { return machine.StackTag(slot, machine.StackPointer(slot) - 1); }

    void PokeInt(std::uint16_t offset, std::int32_t v) { server.Poke(offset, &v, 4); }
    std::int32_t PeekInt(std::uint16_t offset) const {
        std::int32_t v = 0;
        server.Peek(offset, &v, 4);
        return v;
    }

    RecordingClock clock;
    SimServer server;
    InProcessTransport transport;
    FaultTransport faults;
    IpcLink link;
    bool debug = false;
    Machine machine{link, debug};
    std::vector<std::string> output;
    std::vector<std::string> trace;
};

}  // namespace vorn::test
