#pragma once
// A transport that wraps another and injects the faults a real link meets:
// sends that are not delivered (time-outs or system errors), answers other
// than 1, servers that never answer, and failing platform calls. A test
// fake: it lives in the tests' own library, never in a program.
#include <cstdint>
#include <functional>

#include "fsuipc/transport.h"

namespace vorn {

class FaultTransport : public IpcTransport {
public:
    explicit FaultTransport(IpcTransport& inner) : inner_(inner) {}

    // Knobs. A count of -1 means "for ever".
    void FailSends(int count, std::uint32_t errorCode);  // not delivered; errorCode 0 = time-out
    void AnswerWith(int count, std::uint32_t answer);     // delivered, answer replaced, block untouched
    void HideServer(bool hidden) { hideServer_ = hidden; }
    void FailRegister(bool fail) { failRegister_ = fail; }
    void FailAtom(bool fail) { failAtom_ = fail; }
    // errorCode 183 acts as Windows does for an existing name: the block is
    // created (a handle returned) but LastError() reports 183.
    void FailCreate(bool fail, std::uint32_t errorCode = 0);
    void FailMap(bool fail) { failMap_ = fail; }
    // Runs after every delivered send with the block the server just
    // answered, to damage it the way a faulty server might.
    void DamageAfterSend(std::function<void(std::uint8_t* block)> damage) { damage_ = std::move(damage); }

    // Counters.
    int SendCalls() const { return sendCalls_; }
    int FindCalls() const { return findCalls_; }
    std::uint32_t LastTimeout() const { return lastTimeout_; }
    int OpenAtoms() const { return openAtoms_; }
    int OpenBlocks() const { return openBlocks_; }
    int MappedViews() const { return mappedViews_; }
    // The view most recently mapped and not yet unmapped (nullptr if none).
    std::uint8_t* LastView() const { return lastView_; }

    ServerHandle FindServer(const char* className) override;
    std::uint32_t RegisterMessage(const char* name) override;
    std::uint32_t CurrentProcessId() override;
    std::uint16_t AddAtom(const char* name) override;
    void DeleteAtom(std::uint16_t atom) override;
    BlockHandle CreateBlock(const char* name, std::uint32_t size) override;
    std::uint32_t LastError() override;
    std::uint8_t* MapBlock(BlockHandle block) override;
    void UnmapBlock(std::uint8_t* view) override;
    void CloseBlock(BlockHandle block) override;
    bool Send(ServerHandle server, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
              std::uint32_t& answer) override;
    void ReleaseServer(ServerHandle server) override { inner_.ReleaseServer(server); }
    void SetWaitHook(std::function<bool()> hook) override { inner_.SetWaitHook(std::move(hook)); }

private:
    IpcTransport& inner_;
    int failSends_ = 0;
    std::uint32_t failError_ = 0;
    int replaceAnswers_ = 0;
    std::uint32_t answer_ = 0;
    bool hideServer_ = false;
    bool failRegister_ = false;
    bool failAtom_ = false;
    bool failCreate_ = false;
    std::uint32_t createError_ = 0;
    bool failMap_ = false;
    std::function<void(std::uint8_t*)> damage_;
    std::uint8_t* lastView_ = nullptr;
    bool injected_ = false;
    std::uint32_t injectedError_ = 0;
    int sendCalls_ = 0;
    int findCalls_ = 0;
    std::uint32_t lastTimeout_ = 0;
    int openAtoms_ = 0;
    int openBlocks_ = 0;
    int mappedViews_ = 0;
};

}  // namespace vorn
