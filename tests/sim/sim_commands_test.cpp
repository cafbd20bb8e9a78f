// The one-line command language of vorn-sim and the hot-key parser.
#include <gtest/gtest.h>

#include "fsuipc/request_block.h"
#include "sim/sim_commands.h"

namespace vorn {
namespace {

struct KeyCase {
    const char* text;
    bool ok;
    int key;
    int modifier;
};

const KeyCase kKeys[] = {
    {"Ctrl+G", true, 71, 2},
    {"ctrl+g", true, 71, 2},
    {"CTRL+g", true, 71, 2},
    {"Control+G", true, 71, 2},
    {"Shift+Ctrl+Alt+Tab+a", true, 65, 23},
    {"Alt+Shift+1", true, '1', 5},
    {"G", true, 71, 0},
    {"Ctrl++", true, '+', 2},
    {"+", true, '+', 0},
    {"Tab+112", true, 112, 16},
    {"71,2", true, 71, 2},
    {" 71 , 2 ", true, 71, 2},
    {"0x47,0x2", true, 71, 2},
    {"71,256", false, 0, 0},
    {"0,2", false, 0, 0},
    {"256,0", false, 0, 0},
    {"", false, 0, 0},
    {"Ctrl+", false, 0, 0},
    {"Meta+G", false, 0, 0},
    {"Ctrl+GH", false, 0, 0},
    {"Ctrl+300", false, 0, 0},
    {"71,", false, 0, 0},
};

class HotKeyText : public ::testing::TestWithParam<KeyCase> {};

TEST_P(HotKeyText, ParsesToKeyAndModifier) {
    const KeyCase& c = GetParam();
    std::uint8_t key = 0xEE, modifier = 0xEE;
    EXPECT_EQ(ParseHotKey(c.text, key, modifier), c.ok) << c.text;
    if (c.ok) {
        EXPECT_EQ(key, c.key) << c.text;
        EXPECT_EQ(modifier, c.modifier) << c.text;
    } else {
        EXPECT_EQ(key, 0xEE) << "outputs untouched on failure";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HotKeyText, ::testing::ValuesIn(kKeys),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(HotKeyName, NamesModifiersAndKey) {
    EXPECT_EQ(HotKeyName(71, 2), "Ctrl+G");
    EXPECT_EQ(HotKeyName(65, 23), "Shift+Ctrl+Alt+Tab+A");
    EXPECT_EQ(HotKeyName(112, 0), "p");
    EXPECT_EQ(HotKeyName(13, 1), "Shift+13");
}

struct CommandCase {
    const char* line;
    const char* answer;
};

// Run in order against one server: each line's answer depends on the ones before.
const CommandCase kSession[] = {
    {"get 0x0570:4", "0x0570:4=0 (0x00000000)"},
    {"set 0x0570:4=1000", "0x0570:4=1000 (0x000003E8)"},
    {"get 0x0570:4", "0x0570:4=1000 (0x000003E8)"},
    {"GET 1392:4", "0x0570:4=1000 (0x000003E8)"},
    {"set 0x0C48:1=255", "0x0C48:1=-1 (0xFF)"},
    {"set 0x0C48:1=-128", "0x0C48:1=-128 (0x80)"},
    {"set 0x0C48:1=256", "error: the value does not fit in 1 byte"},
    {"set 0x0C48:1=-129", "error: the value does not fit in 1 byte"},
    {"set 0x0C48:2=0xFFFF", "0x0C48:2=-1 (0xFFFF)"},
    {"set 0x3000:8=2.5", "0x3000:8=2.5 (0x4004000000000000)"},
    {"set 0x3000:4=2.5", "error: bad value '2.5'"},
    // Size 8 is a double however the number is written, and only a finite one.
    {"set 0x3000:8=1000", "0x3000:8=1000 (0x408F400000000000)"},
    {"set 0x3000:8=nan", "error: size 8 takes a number such as 1.5, not 'nan'"},
    {"set 0x3000:8=1e400", "error: size 8 takes a number such as 1.5, not '1e400'"},
    {"set 0xFFFE:4=1", "error: the range runs past offset 0xFFFF"},
    {"set 0x10000:1=1", "error: the offset must be 0 to 0xFFFF"},
    {"set 0x0100:3=1", "error: the size must be 1, 2, 4 or 8"},
    {"set 0x0100:4", "error: expected OFFSET:SIZE=VALUE, as in 0x0570:4=1000"},
    {"get 0x0100", "error: expected OFFSET:SIZE, as in 0x0570:4"},
    {"set 0x3304:4=0", "0x3304:4=1947598848 (0x74160000)"},
    {"keys", "no hot keys registered"},
    {"press Ctrl+G", "pressed Ctrl+G (71,2): 0 hot keys flagged"},
    {"set 0x3210:4=0x0247", "0x3210:4=583 (0x00000247)"},
    {"set 0x3218:4=0x0141", "0x3218:4=321 (0x00000141)"},
    {"keys", "2 hot keys: 0x3210 Ctrl+G (71,2) flag 0; 0x3218 Shift+A (65,1) flag 0"},
    {"press Ctrl+G", "pressed Ctrl+G (71,2): 1 hot key flagged"},
    {"press 65,1", "pressed Shift+A (65,1): 1 hot key flagged"},
    {"keys", "2 hot keys: 0x3210 Ctrl+G (71,2) flag 1; 0x3218 Shift+A (65,1) flag 1"},
    {"press Hyper+G", "error: bad key 'Hyper+G' (as in Ctrl+G or 71,2)"},
    {"   ", ""},
    {"fly", "error: unknown command 'fly' (try help)"},
    {"help", "commands: press Ctrl+G | press 71,2 | set 0x0570:4=1000 | set 0x0570:8i=1000 | get 0x0570:8i | "
             "set Lights=0x13 | get IndicatedAirspeed | keys | log on [FILE] | log off | quit"},
    // Typed values: the letter after the size, shown back in the same type.
    {"set 0x0600:8i=10363", "0x0600:8i=10363 (0x000000000000287B)"},
    {"get 0x0600:8i", "0x0600:8i=10363 (0x000000000000287B)"},
    {"get 0x0600:8", "0x0600:8=5.12e-320 (0x000000000000287B)"},
    {"set 0x0600:8i=-1", "0x0600:8i=-1 (0xFFFFFFFFFFFFFFFF)"},
    {"get 0x0600:8u", "0x0600:8u=18446744073709551615 (0xFFFFFFFFFFFFFFFF)"},
    {"set 0x0600:8s=9223372036854775807", "0x0600:8s=9223372036854775807 (0x7FFFFFFFFFFFFFFF)"},
    {"set 0x0600:8i=9223372036854775808", "error: the value does not fit in 8 bytes as type i"},
    {"set 0x0600:8i=-9223372036854775808", "0x0600:8i=-9223372036854775808 (0x8000000000000000)"},
    {"set 0x0600:8i=-9223372036854775809", "error: the value does not fit in 8 bytes as type i"},
    {"set 0x0600:8u=18446744073709551616", "error: the value does not fit in 8 bytes"},
    {"set 0x0600:8u=-1", "error: the value does not fit in 8 bytes as type u"},
    {"set 0x0600:8f=0.1", "0x0600:8f=0.1 (0x3FB999999999999A)"},
    {"set 0x0600:8F=x", "error: :8f takes a number such as 1.5, not 'x'"},
    {"set 0x0600:4u=4294967295", "0x0600:4u=4294967295 (0xFFFFFFFF)"},
    {"set 0x0600:4u=4294967296", "error: the value does not fit in 4 bytes as type u"},
    {"get 0x0600:4s", "0x0600:4s=-1 (0xFFFFFFFF)"},
    {"set 0x0600:4s=2147483648", "error: the value does not fit in 4 bytes as type s"},
    {"set 0x0600:4f=0.1", "0x0600:4f=0.1 (0x3DCCCCCD)"},
    {"set 0x0600:4f=3.5e38", "error: :4f takes a number such as 1.5, not '3.5e38'"},
    {"set 0x0600:2s=-32768", "0x0600:2s=-32768 (0x8000)"},
    {"set 0x0600:2s=-32769", "error: the value does not fit in 2 bytes as type s"},
    {"set 0x0600:2u=65535", "0x0600:2u=65535 (0xFFFF)"},
    {"set 0x0600:1u=255", "0x0600:1u=255 (0xFF)"},
    {"set 0x0600:1u=256", "error: the value does not fit in 1 byte as type u"},
    {"set 0x0600:1s=127", "0x0600:1s=127 (0x7F)"},
    {"set 0x0600:1s=128", "error: the value does not fit in 1 byte as type s"},
    {"set 0x0600:2f=1", "error: a float is 4 or 8 bytes"},
    {"get 0x0600:4x", "error: the type after the size must be i, s, u or f, not 'x'"},
    {"set 0xFFF8:8i=1", "0xFFF8:8i=1 (0x0000000000000001)"},
    {"set 0xFFF9:8i=1", "error: the range runs past offset 0xFFFF"},
    {"log on", "error: this server keeps no log"},
    {"log off", "log off"},
    {"log", "log off (no file; log on FILE starts one)"},
    {"log maybe", "error: log on [FILE] or log off"},
    // Catalogue names: the entry's size and type, answered as the Watch shows them.
    {"set Lights=0x13", "Lights=0x0013 (nav, beacon, strobe)"},
    {"get lights", "Lights=0x0013 (nav, beacon, strobe)"},
    {"get 0x0D0C:2", "0x0D0C:2=19 (0x0013)"},
    {"set IndicatedAirspeed=15360", "IndicatedAirspeed=15360 (120.0 kt)"},
    {"set Com1Active=0x2270", "Com1Active=0x2270 (122.700 MHz)"},
    {"set AltitudeMsl=6545530160104", "AltitudeMsl=6545530160104 (5000 ft)"},
    {"get 0x0574:4", "0x0574:4=1524 (0x000005F4)"},
    {"set ParkingBrake=32767", "ParkingBrake=32767 (on)"},
    {"set GrossWeight=2400.25", "GrossWeight=2400.25 (2400 lb)"},
    {"set AircraftType=\"Vorn\"", "AircraftType=\"Vorn\""},
    {"set AircraftType=abcdefghijklmnopqrstuvw", "AircraftType=\"abcdefghijklmnopqrstuvw\""},
    {"set AircraftType=abcdefghijklmnopqrstuvwx", "error: AircraftType holds at most 23 characters"},
    {"set Lights=0x10000", "error: the value does not fit in 2 bytes (Lights: bit mask)"},
    {"set HeadingTrue=-1", "error: the value does not fit in 4 bytes (HeadingTrue: unsigned int)"},
    {"set GrossWeight=heavy", "error: GrossWeight takes a number such as 1.5, not 'heavy'"},
    {"get Altitude", "error: unknown offset name 'Altitude' (vornc offsets lists them)"},
    {"get Lights:2", "error: a name takes its size from the catalogue: Lights, without :SIZE"},
};

TEST(SimCommands, SessionAnswersOneLineEach) {
    SimServer server;
    for (const CommandCase& c : kSession) {
        bool quit = true;
        EXPECT_EQ(ExecuteSimCommand(server, c.line, quit), c.answer) << c.line;
        EXPECT_FALSE(quit) << c.line;
    }
    std::uint8_t bytes[4];
    server.Peek(0x0570, bytes, 4);
    EXPECT_EQ(LoadU32(bytes), 1000u) << "set reached the server's offsets";
}

TEST(SimCommands, QuitAsksToStop) {
    SimServer server;
    bool quit = false;
    EXPECT_EQ(ExecuteSimCommand(server, "quit", quit), "bye");
    EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace vorn
