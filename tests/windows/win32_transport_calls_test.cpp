// The Win32 transport's calls one by one, as the client relies on them.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <cstring>
#include <string>

#include "fsuipc/request_block.h"
#include "fsuipc/win32_transport.h"

namespace vorn {
namespace {

TEST(Win32TransportCalls, NoWindowOfAnUnknownClass) {
    auto t = MakeWin32Transport();
    EXPECT_EQ(t->FindServer("VORNTEST_NOBODY_HERE"), 0u);
}

TEST(Win32TransportCalls, SameMessageNameSameNumber) {
    auto t = MakeWin32Transport();
    const std::uint32_t a = t->RegisterMessage("VornTest:Message");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(t->RegisterMessage("VornTest:Message"), a);
    EXPECT_NE(t->RegisterMessage("VornTest:Other"), a);
}

TEST(Win32TransportCalls, ProcessIdIsOurs) {
    auto t = MakeWin32Transport();
    EXPECT_EQ(t->CurrentProcessId(), GetCurrentProcessId());
}

TEST(Win32TransportCalls, AtomHoldsTheNameUntilDeleted) {
    auto t = MakeWin32Transport();
    const std::uint16_t atom = t->AddAtom("VornTest:Atom:1");
    ASSERT_NE(atom, 0);
    char name[64] = {};
    EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), std::strlen("VornTest:Atom:1"));
    EXPECT_STREQ(name, "VornTest:Atom:1");
    t->DeleteAtom(atom);
    EXPECT_EQ(GlobalFindAtomA("VornTest:Atom:1"), 0);
}

TEST(Win32TransportCalls, BlockIsSharedByNameAndASecondCreateSaysItExists) {
    auto t = MakeWin32Transport();
    const BlockHandle first = t->CreateBlock("VornTest:Block:1", kBlockSize);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(t->LastError(), 0u);
    std::uint8_t* view = t->MapBlock(first);
    ASSERT_NE(view, nullptr);
    view[0] = 0x5A;
    view[kBlockSize - 1] = 0xA5;

    const BlockHandle second = t->CreateBlock("VornTest:Block:1", kBlockSize);
    EXPECT_EQ(t->LastError(), kErrorAlreadyExists);
    ASSERT_NE(second, 0u) << "Windows hands out the existing object";
    std::uint8_t* other = t->MapBlock(second);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[0], 0x5A);
    EXPECT_EQ(other[kBlockSize - 1], 0xA5);
    t->UnmapBlock(other);
    t->CloseBlock(second);

    t->UnmapBlock(view);
    t->CloseBlock(first);
    // Gone with its last handle: the name is free again.
    const BlockHandle again = t->CreateBlock("VornTest:Block:1", kBlockSize);
    EXPECT_EQ(t->LastError(), 0u);
    t->CloseBlock(again);
}

TEST(Win32TransportCalls, SendToAWindowThatIsGoneIsASystemError) {
    auto t = MakeWin32Transport();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VORNTEST_SHORTLIVED";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const ServerHandle server = t->FindServer("VORNTEST_SHORTLIVED");
    EXPECT_EQ(server, reinterpret_cast<ServerHandle>(window));
    std::uint32_t answer = 7;
    EXPECT_TRUE(t->Send(server, WM_NULL, 0, 100, answer)) << "delivered to a live window";
    EXPECT_EQ(answer, 0u);
    DestroyWindow(window);
    EXPECT_FALSE(t->Send(server, WM_NULL, 0, 100, answer));
    EXPECT_NE(t->LastError(), 0u);
}

}  // namespace
}  // namespace vorn
