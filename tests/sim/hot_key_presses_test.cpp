// Hot-key registration and presses on the simulated server.
#include <gtest/gtest.h>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/sim_server.h"

namespace vorn {
namespace {

void Register(SimServer& server, std::uint32_t index, std::uint8_t key, std::uint8_t modifier) {
    const std::uint8_t entry[4] = {key, modifier, 0, 0};
    server.Poke(std::uint16_t(kOffsetHotKeyTable + 4 * index), entry, 4);
}

std::uint8_t Flag(const SimServer& server, std::uint32_t index) {
    std::uint8_t flag = 0;
    server.Peek(std::uint16_t(kOffsetHotKeyTable + 4 * index + 3), &flag, 1);
    return flag;
}

TEST(HotKeyPresses, FlagsEveryEntryWithThatKeyAndModifierOnly) {
    SimServer server;
    Register(server, 0, 71, 2);   // Ctrl+G
    Register(server, 5, 71, 2);   // Ctrl+G again
    Register(server, 6, 71, 0);   // G alone
    Register(server, 55, 72, 2);  // Ctrl+H, the last entry

    EXPECT_EQ(server.Press(71, 2), 2);
    EXPECT_NE(Flag(server, 0), 0);
    EXPECT_NE(Flag(server, 5), 0);
    EXPECT_EQ(Flag(server, 6), 0);
    EXPECT_EQ(Flag(server, 55), 0);

    EXPECT_EQ(server.Press(72, 2), 1);
    EXPECT_NE(Flag(server, 55), 0);
}

TEST(HotKeyPresses, FreeEntriesAreNeverFlagged) {
    SimServer server;
    EXPECT_EQ(server.Press(0, 0), 0) << "a free entry reads as 0,0 but is not registered";
    EXPECT_EQ(Flag(server, 0), 0);
    EXPECT_TRUE(server.RegisteredKeys().empty());
}

TEST(HotKeyPresses, FlagStaysUntilTheClientClearsIt) {
    SimServer server;
    Register(server, 3, 65, 1);
    server.Press(65, 1);
    server.Press(65, 1);
    EXPECT_NE(Flag(server, 3), 0);
    const std::uint8_t zero = 0;
    server.Poke(std::uint16_t(kOffsetHotKeyTable + 4 * 3 + 3), &zero, 1);
    EXPECT_EQ(Flag(server, 3), 0);
    ASSERT_EQ(server.RegisteredKeys().size(), 1u) << "clearing the flag keeps the key registered";
}

TEST(HotKeyPresses, ReleasedEntryIsNoLongerListedOrFlagged) {
    SimServer server;
    Register(server, 2, 71, 2);
    const std::uint8_t zeros[4] = {};
    server.Poke(std::uint16_t(kOffsetHotKeyTable + 8), zeros, 4);
    EXPECT_EQ(server.Press(71, 2), 0);
    EXPECT_TRUE(server.RegisteredKeys().empty());
}

TEST(HotKeyPresses, RegisteredKeysListIndexKeyModifierAndFlag) {
    SimServer server;
    Register(server, 1, 71, 2);
    Register(server, 4, 49, 16);
    server.Press(49, 16);
    const auto keys = server.RegisteredKeys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].index, 1u);
    EXPECT_EQ(keys[0].key, 71);
    EXPECT_EQ(keys[0].modifier, 2);
    EXPECT_EQ(keys[0].flag, 0);
    EXPECT_EQ(keys[1].index, 4u);
    EXPECT_EQ(keys[1].key, 49);
    EXPECT_EQ(keys[1].modifier, 16);
    EXPECT_NE(keys[1].flag, 0);
}

}  // namespace
}  // namespace vorn
