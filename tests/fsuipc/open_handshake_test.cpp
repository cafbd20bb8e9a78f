// Opening the link: server lookup, resources, and the version handshake.
#include <gtest/gtest.h>

#include <vector>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "tests/fakes/test_clock.h"
#include "tests/fsuipc/link_rig.h"

namespace vorn {
namespace {

using testing::LinkRig;

void ExpectNothingAllocated(const LinkRig& rig) {
    EXPECT_FALSE(rig.link.IsOpen());
    EXPECT_EQ(rig.fault.OpenAtoms(), 0);
    EXPECT_EQ(rig.fault.OpenBlocks(), 0);
    EXPECT_EQ(rig.fault.MappedViews(), 0);
}

TEST(OpenHandshake, SucceedsAfterOnePassAndOnePause) {
    LinkRig rig;
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.Open(0, result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_TRUE(rig.link.IsOpen());
    EXPECT_EQ(rig.fault.SendCalls(), 1);
    EXPECT_EQ(rig.clock.Sleeps(), 1);
    EXPECT_EQ(rig.clock.TotalMs(), 100u);
    EXPECT_EQ(rig.link.FsuipcVersion(), kDefaultFsuipcVersion);
    EXPECT_EQ(rig.link.SimulatorVersion(), kDefaultSimulator) << "only the low 16 bits are kept";
    EXPECT_EQ(rig.server.ClientLibraryVersion(), 1004);
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);
}

TEST(OpenHandshake, LooksForUipcmainFirstThenFs98main) {
    LinkRig rig({}, "UIPCMAIN");
    EXPECT_TRUE(rig.Open());
    EXPECT_EQ(rig.fault.FindCalls(), 1);

    LinkRig fs98({}, "FS98MAIN");
    EXPECT_TRUE(fs98.Open());
    EXPECT_EQ(fs98.fault.FindCalls(), 2);
}

TEST(OpenHandshake, OpeningTwiceGivesOneAndKeepsTheFirstLink) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(result, kIpcAlreadyOpen);
    EXPECT_TRUE(rig.link.IsOpen());
    EXPECT_EQ(rig.link.ReadLong(kOffsetHotKeyCount), 56);
}

TEST(OpenHandshake, NoServerGivesTwoAndLeavesNothingAllocated) {
    LinkRig rig;
    rig.fault.HideServer(true);
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(result, kIpcNoServer);
    EXPECT_EQ(rig.fault.FindCalls(), 2);
    EXPECT_EQ(rig.fault.SendCalls(), 0);
    ExpectNothingAllocated(rig);
}

struct PlatformFailure {
    const char* name;
    void (*inject)(FaultTransport&);
    IpcResult expected;
};

const PlatformFailure kPlatformFailures[] = {
    {"register", [](FaultTransport& f) { f.FailRegister(true); }, kIpcRegisterFailed},
    {"atom", [](FaultTransport& f) { f.FailAtom(true); }, kIpcAtomFailed},
    {"create", [](FaultTransport& f) { f.FailCreate(true, 5); }, kIpcCreateFailed},
    {"create_existing", [](FaultTransport& f) { f.FailCreate(true, kErrorAlreadyExists); }, kIpcCreateFailed},
    {"map", [](FaultTransport& f) { f.FailMap(true); }, kIpcMapFailed},
};

class OpenPlatformFailure : public ::testing::TestWithParam<PlatformFailure> {};

TEST_P(OpenPlatformFailure, ReportsItsCodeAndReleasesEverything) {
    LinkRig rig;
    GetParam().inject(rig.fault);
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(rig.fault.SendCalls(), 0);
    ExpectNothingAllocated(rig);
}

INSTANTIATE_TEST_SUITE_P(Steps, OpenPlatformFailure, ::testing::ValuesIn(kPlatformFailures),
                         [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* name;
    std::uint32_t fsuipcVersion;
    const char* className;
    IpcResult expected;
    int passes;
};

const Refusal kRefusals[] = {
    {"zero_uipcmain", 0, "UIPCMAIN", kIpcRefused, 5},
    {"zero_fs98main", 0, "FS98MAIN", kIpcRefusedFs98, 5},
    {"old_uipcmain", 0x19980004, "UIPCMAIN", kIpcRefused, 1},
    {"old_fs98main", 0x19980004, "FS98MAIN", kIpcRefusedFs98, 1},
};

class HandshakeRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(HandshakeRefusal, AsksUpToFiveTimesThenRefuses) {
    SimServerOptions options;
    options.fsuipcVersion = GetParam().fsuipcVersion;
    LinkRig rig(options, GetParam().className);
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(rig.fault.SendCalls(), GetParam().passes);
    EXPECT_EQ(rig.clock.Sleeps(), GetParam().passes) << "100 ms after every pass";
    EXPECT_EQ(rig.clock.TotalMs(), 100u * GetParam().passes);
    ExpectNothingAllocated(rig);
}

INSTANTIATE_TEST_SUITE_P(Versions, HandshakeRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OpenHandshake, MinimumVersionIsAccepted) {
    SimServerOptions options;
    options.fsuipcVersion = kMinimumFsuipcVersion;
    LinkRig rig(options);
    EXPECT_TRUE(rig.Open());
    SimServerOptions high;
    high.fsuipcVersion = 0xFFFFFFFF;  // unsigned comparison
    LinkRig rigHigh(high);
    EXPECT_TRUE(rigHigh.Open());
}

TEST(OpenHandshake, SimulatorSignatureMustBeFade) {
    LinkRig rig;
    // The simulator version is the second read record; its data starts at byte 36.
    rig.fault.DamageAfterSend([](std::uint8_t* block) { StoreU32(block + 36, 0xFADF0008); });
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(result, kIpcRefusedFs98);
    EXPECT_EQ(rig.fault.SendCalls(), 1);
}

TEST(OpenHandshake, LibraryVersionIsWrittenInTheFirstPassOnly) {
    SimServerOptions options;
    options.fsuipcVersion = 0;
    LinkRig rig(options);
    std::vector<int> writes;
    rig.fault.DamageAfterSend([&writes](std::uint8_t* block) {
        int count = 0;
        for (std::uint32_t pos = 0; LoadU32(block + pos) != 0;) {
            const std::uint32_t id = LoadU32(block + pos);
            const std::uint32_t size = LoadU32(block + pos + 8);
            if (id == kRecordWrite) {
                ++count;
                EXPECT_EQ(LoadU32(block + pos + 4), kOffsetLibraryVersion);
                EXPECT_EQ(size, 2u);
                EXPECT_EQ(block[pos + 12] | block[pos + 13] << 8, 1004);
            }
            pos += (id == kRecordRead ? kReadHeaderSize : kWriteHeaderSize) + size;
        }
        writes.push_back(count);
    });
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(writes, (std::vector<int>{1, 0, 0, 0, 0}));
}

struct VersionRequest {
    std::uint32_t requested;
    bool ok;
};

class RequestedSimulator : public ::testing::TestWithParam<VersionRequest> {};

TEST_P(RequestedSimulator, ComparedWithTheLowSixteenBits) {
    SimServerOptions options;
    options.simulator = 8;
    LinkRig rig(options);
    IpcResult result = -1;
    EXPECT_EQ(rig.link.Open(GetParam().requested, result), GetParam().ok);
    EXPECT_EQ(result, GetParam().ok ? kIpcOk : kIpcWrongSimulator);
    if (!GetParam().ok) {
        ExpectNothingAllocated(rig);
        EXPECT_EQ(rig.link.SimulatorVersion(), 8u) << "versions stay readable after the failure";
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, RequestedSimulator,
                         ::testing::Values(VersionRequest{0, true}, VersionRequest{8, true},
                                           VersionRequest{7, false}, VersionRequest{0xFADE0008, false}));

TEST(OpenHandshake, ExchangeFailureDuringHandshakeClosesWithItsCode) {
    LinkRig rig;
    rig.fault.FailSends(-1, 0);
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Open(0, result));
    EXPECT_EQ(result, kIpcTimeout);
    EXPECT_EQ(rig.fault.SendCalls(), 10);
    ExpectNothingAllocated(rig);

    LinkRig answered;
    answered.fault.AnswerWith(-1, 0);
    EXPECT_FALSE(answered.link.Open(0, result));
    EXPECT_EQ(result, kIpcBadAnswer);
    ExpectNothingAllocated(answered);
}

TEST(OpenHandshake, CloseReleasesEverythingAndIsSafeTwice) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    EXPECT_EQ(rig.fault.OpenAtoms(), 1);
    EXPECT_EQ(rig.fault.OpenBlocks(), 1);
    EXPECT_EQ(rig.fault.MappedViews(), 1);
    rig.link.Close();
    ExpectNothingAllocated(rig);
    rig.link.Close();
    ExpectNothingAllocated(rig);
    EXPECT_EQ(rig.link.FsuipcVersion(), kDefaultFsuipcVersion) << "versions are left as they are";
    EXPECT_TRUE(rig.Open()) << "and it opens again";
}

TEST(OpenHandshake, DestructorCloses) {
    SimServer server;
    RecordingClock clock;
    InProcessTransport inner(server, "FS98MAIN", clock);
    FaultTransport fault(inner);
    {
        IpcLink link(fault, clock);
        IpcResult result;
        ASSERT_TRUE(link.Open(0, result));
    }
    EXPECT_EQ(fault.OpenAtoms(), 0);
    EXPECT_EQ(fault.OpenBlocks(), 0);
    EXPECT_EQ(fault.MappedViews(), 0);
}

}  // namespace
}  // namespace vorn
