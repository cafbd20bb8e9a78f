#include "tests/fakes/fault_transport.h"

#include "fsuipc/request_block.h"

namespace vorn {

namespace {

// Takes one from a fault count; -1 never runs out.
bool Consume(int& count) {
    if (count == 0) return false;
    if (count > 0) --count;
    return true;
}

}  // namespace

void FaultTransport::FailSends(int count, std::uint32_t errorCode) {
    failSends_ = count;
    failError_ = errorCode;
}

void FaultTransport::AnswerWith(int count, std::uint32_t answer) {
    replaceAnswers_ = count;
    answer_ = answer;
}

void FaultTransport::FailCreate(bool fail, std::uint32_t errorCode) {
    failCreate_ = fail;
    createError_ = errorCode;
}

ServerHandle FaultTransport::FindServer(const char* className) {
    ++findCalls_;
    injected_ = false;
    if (hideServer_) return 0;
    return inner_.FindServer(className);
}

std::uint32_t FaultTransport::RegisterMessage(const char* name) {
    injected_ = false;
    if (failRegister_) return 0;
    return inner_.RegisterMessage(name);
}

std::uint32_t FaultTransport::CurrentProcessId() { return inner_.CurrentProcessId(); }

std::uint16_t FaultTransport::AddAtom(const char* name) {
    injected_ = false;
    if (failAtom_) return 0;
    const std::uint16_t atom = inner_.AddAtom(name);
    if (atom != 0) ++openAtoms_;
    return atom;
}

void FaultTransport::DeleteAtom(std::uint16_t atom) {
    --openAtoms_;
    inner_.DeleteAtom(atom);
}

BlockHandle FaultTransport::CreateBlock(const char* name, std::uint32_t size) {
    injected_ = false;
    const bool existing = failCreate_ && createError_ == kErrorAlreadyExists;
    if (failCreate_ && !existing) {
        injected_ = true;
        injectedError_ = createError_;
        return 0;
    }
    const BlockHandle block = inner_.CreateBlock(name, size);
    if (block != 0) ++openBlocks_;
    if (existing) {
        injected_ = true;
        injectedError_ = kErrorAlreadyExists;
    }
    return block;
}

std::uint32_t FaultTransport::LastError() { return injected_ ? injectedError_ : inner_.LastError(); }

std::uint8_t* FaultTransport::MapBlock(BlockHandle block) {
    injected_ = false;
    if (failMap_) return nullptr;
    std::uint8_t* view = inner_.MapBlock(block);
    if (view != nullptr) {
        ++mappedViews_;
        lastView_ = view;
    }
    return view;
}

void FaultTransport::UnmapBlock(std::uint8_t* view) {
    --mappedViews_;
    if (view == lastView_) lastView_ = nullptr;
    inner_.UnmapBlock(view);
}

void FaultTransport::CloseBlock(BlockHandle block) {
    --openBlocks_;
    inner_.CloseBlock(block);
}

bool FaultTransport::Send(ServerHandle server, std::uint32_t message, std::uint16_t atom, std::uint32_t timeoutMs,
                          std::uint32_t& answer) {
    ++sendCalls_;
    lastTimeout_ = timeoutMs;
    injected_ = false;
    if (Consume(failSends_)) {
        injected_ = true;
        injectedError_ = failError_;
        return false;
    }
    if (Consume(replaceAnswers_)) {
        answer = answer_;
        return true;
    }
    const bool delivered = inner_.Send(server, message, atom, timeoutMs, answer);
    if (delivered && damage_ && lastView_ != nullptr) damage_(lastView_);
    return delivered;
}

}  // namespace vorn
