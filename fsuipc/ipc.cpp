#include "fsuipc/ipc.h"

#include "fsuipc/platform_transport.h"

namespace vorn {

namespace {

// Forwards to whichever transport the program uses now, so the one link can
// outlive a change of transport.
class ProgramTransport : public IpcTransport {
public:
    void Replace(std::unique_ptr<IpcTransport> transport) { current_ = std::move(transport); }

    ServerHandle FindServer(const char* className) override { return Get().FindServer(className); }
    std::uint32_t RegisterMessage(const char* name) override { return Get().RegisterMessage(name); }
    std::uint32_t CurrentProcessId() override { return Get().CurrentProcessId(); }
    std::uint16_t AddAtom(const char* name) override { return Get().AddAtom(name); }
    void DeleteAtom(std::uint16_t atom) override { Get().DeleteAtom(atom); }
    BlockHandle CreateBlock(const char* name, std::uint32_t size) override { return Get().CreateBlock(name, size); }
    std::uint32_t LastError() override { return Get().LastError(); }
    std::uint8_t* MapBlock(BlockHandle block) override { return Get().MapBlock(block); }
    void UnmapBlock(std::uint8_t* view) override { Get().UnmapBlock(view); }
    void CloseBlock(BlockHandle block) override { Get().CloseBlock(block); }
    bool Send(ServerHandle server, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
              std::uint32_t& answer) override {
        return Get().Send(server, message, atom, timeoutMs, answer);
    }
    void ReleaseServer(ServerHandle server) override { Get().ReleaseServer(server); }
    void SetWaitHook(std::function<bool()> hook) override { Get().SetWaitHook(std::move(hook)); }

private:
    IpcTransport& Get() {
        if (!current_) current_ = MakePlatformTransport();
        return *current_;
    }
    std::unique_ptr<IpcTransport> current_;
};

// Members are destroyed in reverse order: the link closes (at program end)
// while its transport still exists.
struct ProgramState {
    ProgramTransport transport;
    IpcLink link{transport};
};

ProgramState& State() {
    static ProgramState state;
    return state;
}

}  // namespace

IpcLink& ProgramLink() { return State().link; }

void SetProgramTransport(std::unique_ptr<IpcTransport> transport) {
    ProgramState& state = State();
    state.link.Close();
    state.transport.Replace(std::move(transport));
}

bool IpcOpen(std::uint32_t simVersion, IpcResult& result) { return ProgramLink().Open(simVersion, result); }
void IpcClose() { ProgramLink().Close(); }
bool IpcQueueRead(std::uint32_t offset, std::uint32_t size, void* destination, IpcResult& result) {
    return ProgramLink().QueueRead(offset, size, destination, result);
}
bool IpcQueueWrite(std::uint32_t offset, std::uint32_t size, const void* source, IpcResult& result) {
    return ProgramLink().QueueWrite(offset, size, source, result);
}
bool IpcExchange(IpcResult& result) { return ProgramLink().Exchange(result); }
std::int16_t IpcReadByte(std::uint16_t offset) { return ProgramLink().ReadByte(offset); }
std::int32_t IpcReadLong(std::uint16_t offset) { return ProgramLink().ReadLong(offset); }
bool IpcWriteByte(std::uint8_t value, std::uint16_t offset) { return ProgramLink().WriteByte(value, offset); }
bool IpcWriteLong(std::int32_t value, std::uint16_t offset) { return ProgramLink().WriteLong(value, offset); }
IpcResult IpcWriteBlock(const void* source, std::uint16_t offset, std::uint16_t size) {
    return ProgramLink().WriteBlock(source, offset, size);
}
IpcResult IpcReadBlock(void* destination, std::uint16_t offset, std::uint16_t size) {
    return ProgramLink().ReadBlock(destination, offset, size);
}

}  // namespace vorn
