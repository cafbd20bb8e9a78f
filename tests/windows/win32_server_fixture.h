#pragma once
// A Win32 server under a class of its own, in the test's process, and
// client blocks made with the Win32 calls themselves, so a test can do to a
// block what a client (or its death) does.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <memory>
#include <string>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "fsuipc/win32_transport.h"
#include "sim/win32_server.h"

namespace vorn {

// Class: the server's window class, one per test program, so that two
// such programs may run at once.
template <const char* Class>
class Win32ServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(serving_.Listen(error)) << error;
        window_ = transport_->FindServer(Class);
        ASSERT_NE(window_, 0u);
        message_ = transport_->RegisterMessage(IpcName().c_str());
        ASSERT_NE(message_, 0u);
    }

    // A block of `size` bytes under `name` holding one 4-byte read of 0x3304.
    struct Block {
        std::uint16_t atom = 0;
        HANDLE mapping = nullptr;
        std::uint8_t* view = nullptr;
        ~Block() { Close(true); }
        // A client closing; without the atom, a client that dies (its
        // handles go, its atom stays).
        void Close(bool deleteAtom) {
            if (view) UnmapViewOfFile(view);
            if (mapping) CloseHandle(mapping);
            if (atom && deleteAtom) GlobalDeleteAtom(atom);
            view = nullptr;
            mapping = nullptr;
            atom = 0;
        }
        DWORD createError = 0;  // GetLastError after CreateFileMappingA
    };
    void MakeBlock(Block& b, const std::string& name, DWORD size) {
        SetLastError(0);
        b.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
        b.createError = GetLastError();
        ASSERT_NE(b.mapping, nullptr);
        b.view = static_cast<std::uint8_t*>(MapViewOfFile(b.mapping, FILE_MAP_WRITE, 0, 0, 0));
        ASSERT_NE(b.view, nullptr);
        StoreU32(b.view, kRecordRead);
        StoreU32(b.view + 4, kOffsetFsuipcVersion);
        StoreU32(b.view + 8, 4);
        StoreU32(b.view + 12, 0);
        StoreU32(b.view + 20, 0);  // terminator
        b.atom = GlobalAddAtomA(name.c_str());
        ASSERT_NE(b.atom, 0);
    }

    bool Send(WPARAM wParam, std::uint32_t message, std::uint32_t& answer, DWORD timeoutMs = 2000) {
        DWORD_PTR result = 0;
        const LRESULT ok = SendMessageTimeoutA(reinterpret_cast<HWND>(window_), message, wParam, 0, SMTO_BLOCK,
                                               timeoutMs, &result);
        answer = static_cast<std::uint32_t>(result);
        return ok != 0;
    }

    std::string Name(const char* tail = "1234:1") const { return IpcName() + ":" + tail; }

    SimServer server_;
    Win32Server serving_{server_, {Class}};
    std::unique_ptr<IpcTransport> transport_ = MakeWin32Transport();
    ServerHandle window_ = 0;
    std::uint32_t message_ = 0;
};

}  // namespace vorn
