// How the simulated server carries out a request block.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/sim_server.h"

namespace vorn {
namespace {

// Builds request blocks record by record, the way the client lays them out.
class BlockBuilder {
public:
    BlockBuilder() : block_(kBlockSize, 0) {}
    BlockBuilder& Read(std::uint32_t offset, std::uint32_t size, std::uint32_t destination = 0) {
        Put(kRecordRead);
        Put(offset);
        Put(size);
        Put(destination);
        pos_ += size;
        return *this;
    }
    BlockBuilder& Write(std::uint32_t offset, std::vector<std::uint8_t> bytes) {
        Put(kRecordWrite);
        Put(offset);
        Put(std::uint32_t(bytes.size()));
        std::memcpy(&block_[pos_], bytes.data(), bytes.size());
        pos_ += bytes.size();
        return *this;
    }
    BlockBuilder& Raw(std::uint32_t value) {
        Put(value);
        return *this;
    }
    std::vector<std::uint8_t>& Block() { return block_; }
    std::uint8_t* At(std::size_t pos) { return &block_[pos]; }

private:
    void Put(std::uint32_t v) {
        StoreU32(&block_[pos_], v);
        pos_ += 4;
    }
    std::vector<std::uint8_t> block_;
    std::size_t pos_ = 0;
};

std::vector<std::uint8_t> Snapshot(const SimServer& server) {
    std::vector<std::uint8_t> bytes(SimServer::kOffsetSpace);
    server.Peek(0, bytes.data(), bytes.size());
    return bytes;
}

TEST(BlockProcessing, ReadsAreFilledInPlaceAndWritesApplied) {
    SimServer server;
    const std::uint8_t value[4] = {0xE8, 0x03, 0, 0};
    server.Poke(0x0570, value, 4);

    BlockBuilder b;
    b.Read(0x0570, 4, 7).Write(0x0574, {1, 2, 3}).Read(0x0574, 3).Raw(0);
    EXPECT_EQ(server.ProcessBlock(b.Block().data(), b.Block().size()), 1u);

    EXPECT_EQ(LoadU32(b.At(16)), 1000u);
    EXPECT_EQ(LoadU32(b.At(12)), 7u) << "the destination field is the client's and stays";
    const std::uint8_t* second = b.At(20 + 12 + 3 + 16);
    EXPECT_EQ(second[0], 1);
    EXPECT_EQ(second[1], 2);
    EXPECT_EQ(second[2], 3);
    std::uint8_t written[3];
    server.Peek(0x0574, written, 3);
    EXPECT_EQ(written[2], 3);
}

TEST(BlockProcessing, RecordsRunInOrder) {
    SimServer server;
    BlockBuilder b;
    b.Read(0x0100, 1).Write(0x0100, {9}).Read(0x0100, 1).Raw(0);
    ASSERT_EQ(server.ProcessBlock(b.Block().data(), b.Block().size()), 1u);
    EXPECT_EQ(*b.At(16), 0) << "read before the write sees the old byte";
    EXPECT_EQ(*b.At(17 + 13 + 16), 9) << "read after the write sees the new byte";
}

TEST(BlockProcessing, HandshakeValuesSatisfyTheClient) {
    SimServerOptions options;
    options.simulator = 12;
    SimServer server(options);
    BlockBuilder b;
    b.Read(kOffsetFsuipcVersion, 4).Read(kOffsetSimulatorVersion, 4).Write(kOffsetLibraryVersion, {0xEC, 0x03}).Raw(0);
    ASSERT_EQ(server.ProcessBlock(b.Block().data(), b.Block().size()), 1u);
    EXPECT_GE(LoadU32(b.At(16)), kMinimumFsuipcVersion);
    EXPECT_EQ(LoadU32(b.At(36)), 0xFADE000Cu);
    EXPECT_EQ(server.ClientLibraryVersion(), 1004);

    // The library version write does not disturb the signature a later pass reads.
    BlockBuilder again;
    again.Read(kOffsetSimulatorVersion, 4).Raw(0);
    ASSERT_EQ(server.ProcessBlock(again.Block().data(), again.Block().size()), 1u);
    EXPECT_EQ(LoadU32(again.At(16)), 0xFADE000Cu);
}

TEST(BlockProcessing, HotKeyTableAnnouncesFiftySixFreeEntries) {
    SimServer server;
    std::uint8_t count[4];
    server.Peek(kOffsetHotKeyCount, count, 4);
    EXPECT_EQ(LoadU32(count), 56u);
    for (std::uint32_t i = 0; i < kHotKeyEntries; ++i) {
        std::uint8_t entry[4];
        server.Peek(std::uint16_t(kOffsetHotKeyTable + 4 * i), entry, 4);
        EXPECT_EQ(LoadU32(entry), 0u) << "entry " << i;
    }
}

TEST(BlockProcessing, ConfiguredAnswerLeavesBlockAlone) {
    SimServerOptions options;
    options.answer = 5;
    SimServer server(options);
    BlockBuilder b;
    b.Write(0x0200, {1}).Raw(0);
    EXPECT_EQ(server.ProcessBlock(b.Block().data(), b.Block().size()), 5u);
    std::uint8_t byte = 0xAA;
    server.Peek(0x0200, &byte, 1);
    EXPECT_EQ(byte, 0);
}

struct MalformedCase {
    const char* name;
    void (*build)(BlockBuilder&);
};

const MalformedCase kMalformed[] = {
    {"unknown record id", [](BlockBuilder& b) { b.Write(0x0300, {1}).Raw(3).Raw(0); }},
    {"write past the offset space", [](BlockBuilder& b) { b.Write(0x0300, {1}).Write(0xFFFF, {1, 2}).Raw(0); }},
    {"read past the offset space", [](BlockBuilder& b) { b.Write(0x0300, {1}).Read(0xFFFE, 4).Raw(0); }},
    {"huge offset", [](BlockBuilder& b) { b.Write(0x0300, {1}).Read(0xFFFFFFF0u, 0x20).Raw(0); }},
    {"size that wraps", [](BlockBuilder& b) { b.Write(0x0300, {1}).Raw(kRecordRead).Raw(0x10).Raw(0xFFFFFFF0u).Raw(0); }},
    {"read data past the block", [](BlockBuilder& b) { b.Write(0x0300, {1}).Raw(kRecordRead).Raw(0).Raw(0x8000).Raw(0); }},
    {"no terminator", [](BlockBuilder& b) {
         // The second record's data ends exactly at the end of the block.
         b.Write(0x0300, {1}).Write(0x0400, std::vector<std::uint8_t>(kBlockSize - 13 - 12, 7));
     }},
};

class MalformedBlock : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedBlock, GetsAnswerZeroAndChangesNothing) {
    SimServer server;
    const auto before = Snapshot(server);
    BlockBuilder b;
    GetParam().build(b);
    const auto sent = b.Block();
    EXPECT_EQ(server.ProcessBlock(b.Block().data(), b.Block().size()), 0u);
    EXPECT_EQ(Snapshot(server), before);
    EXPECT_EQ(b.Block(), sent) << "no read was filled either";
    EXPECT_EQ(server.BlocksProcessed(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedBlock, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(BlockProcessing, ShortBufferIsMalformed) {
    SimServer server;
    std::uint8_t tiny[3] = {};
    EXPECT_EQ(server.ProcessBlock(tiny, sizeof tiny), 0u);
    EXPECT_EQ(server.ProcessBlock(nullptr, 0), 0u);
}

TEST(BlockProcessing, PeekAndPokeStopAtTheEndOfTheOffsetSpace) {
    SimServer server;
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    server.Poke(0xFFFE, bytes, 4);
    std::uint8_t back[4] = {9, 9, 9, 9};
    server.Peek(0xFFFE, back, 4);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[1], 2);
    EXPECT_EQ(back[2], 0) << "past the end reads as zero";
    EXPECT_EQ(back[3], 0);
}

}  // namespace
}  // namespace vorn
