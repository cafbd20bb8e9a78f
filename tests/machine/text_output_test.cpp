// PRF formatting, PRS output and PLAY's report of a missing sound file.
#include <clocale>
#include <cstdlib>

#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using TextOutput = MachineTest;

// A data segment: 64 bytes of destination, then the given texts, each zero-terminated.
struct Layout {
    std::vector<std::uint8_t> data = std::vector<std::uint8_t>(64, 0);
    std::int32_t Add(const std::string& text) {
        const auto at = static_cast<std::int32_t>(data.size());
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
        return kDataBase + at;
    }
    std::int32_t AddDouble(double v) {
        const auto at = static_cast<std::int32_t>(data.size());
        const auto bytes = DoubleBytes(v);
        data.insert(data.end(), bytes.begin(), bytes.end());
        return kDataBase + at;
    }
};

class Sprintf : public TextOutput {
protected:
    // sprintf(dest, format, args...): STP; dest; format; args; PRF; RFP; TDY; then PRS dest.
    std::string Format(const std::string& format, const std::function<void(Asm&, Layout&)>& args) {
        Layout layout;
        const std::int32_t fmt = layout.Add(format);
        Asm a;
        a.Ins(kOpSTP).Ins(kOpPushC, {kDataBase}).Ins(kOpPushC, {fmt});
        args(a, layout);
        a.Ins(kOpPRF).Ins(kOpRFP).Ins(kOpTDY);
        a.Ins(kOpPushC, {kDataBase}).Ins(kOpPRS).Ins(kOpHLT);
        output.clear();
        EXPECT_TRUE(LoadCode(a, layout.data));
        EXPECT_EQ(RunToEnd(), -1);
        EXPECT_EQ(machine.StackPointer(0), 0);
        return output.empty() ? "<nothing>" : output.back();
    }
};

TEST_F(Sprintf, ExampleLine) {
    const std::string text = Format("v=%d h=%x f=%f %q", [](Asm& a, Layout& l) {
        a.Ins(kOpPushC, {42}).Ins(kOpPushC, {255}).Ins(kOpPushV, {l.AddDouble(3.14159), 8});
    });
    EXPECT_EQ(text, "v=42 h=000000FF f=3.14 X");
}

TEST_F(Sprintf, Conversions) {
    struct Row {
        const char* format;
        std::int32_t i;
        double f;
        const char* expected;
    };
    const Row rows[] = {
        {"%d", -17, 0, "-17"},
        {"%x", -1, 0, "FFFFFFFF"},
        {"[%x]", 0xABC, 0, "[00000ABC]"},
        {"%f", 0, 2.0 / 3.0, "0.67"},
        {"%f", 0, -1234567.891, "-1234568.00"},
        {"%f", 0, 123456.789, "123456.80"},
        {"%f", 0, 12345678.9, "1.234568E+07"},
        {"%f", 0, 0.0, "0.00"},
        // Both roundings on decimal digits, halves away from zero.
        {"%f", 0, 0.125, "0.13"},
        {"%f", 0, -4283.625, "-4283.63"},
        {"%f", 0, 2.675, "2.68"},
        {"%f", 0, 0.005, "0.01"},
        {"%f", 0, 0.0049999, "0.00"},
        {"%f", 0, -0.001, "0.00"},
        {"%f", 0, 9.995, "10.00"},
        {"%f", 0, 1234566.5, "1234567.00"},
        {"%f", 0, 9999999.5, "1.000000E+07"},
        {"%f", 0, 1e-300, "0.00"},
        {"%f", 0, -1.5e300, "-1.500000E+300"},
        {"%D", 5, 0, "X"},
        {"%%", 5, 0, "X"},
        {"ab%", 5, 0, "abX"},
        {"%", 5, 0, "X"},
        {"no args", 5, 0, "no args"},
    };
    for (const Row& row : rows) {
        const std::string text = Format(row.format, [&](Asm& a, Layout& l) {
            // Every argument slot gets both fields: an int push, then the same slot as float.
            a.Ins(kOpPushC, {row.i}).Ins(kOpTDY).Ins(kOpPushV, {l.AddDouble(row.f), 8});
        });
        EXPECT_EQ(text, row.expected) << row.format;
    }
}

TEST_F(Sprintf, StringsFromDataAndFromFsuipc) {
    server.Poke(0x3D00, "CESSNA", 7);
    const std::string text = Format("%s/%s", [](Asm& a, Layout& l) {
        a.Ins(kOpPushC, {l.Add("hello")}).Ins(kOpPushC, {0x3D00});
    });
    EXPECT_EQ(text, "hello/CESSNA");
}

TEST_F(Sprintf, FsuipcStringIsAtMost256Characters) {
    std::vector<char> long_(300, 'a');
    server.Poke(0x3D00, long_.data(), long_.size());
    Layout layout;
    const std::int32_t fmt = layout.Add("%s");
    layout.data.resize(400, 0);
    Asm a;
    a.Ins(kOpSTP).Ins(kOpPushC, {kDataBase + 100}).Ins(kOpPushC, {fmt}).Ins(kOpPushC, {0x3D00});
    a.Ins(kOpPRF).Ins(kOpRFP).Ins(kOpTDY).Ins(kOpPushC, {kDataBase + 100}).Ins(kOpPRS).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, layout.data));
    EXPECT_EQ(RunToEnd(), -1);
    ASSERT_EQ(output.size(), 1u);
    EXPECT_EQ(output[0], std::string(256, 'a'));
}

TEST_F(Sprintf, TextIsCutAtTheEndOfTheDataSegment) {
    // Destination 6 bytes before the end of a 12-byte segment.
    Layout layout;
    layout.data.clear();
    const std::int32_t fmt = layout.Add("abcdefghij");  // 11 bytes, segment 15
    Asm a;
    a.Ins(kOpSTP).Ins(kOpPushC, {kDataBase + 9}).Ins(kOpPushC, {fmt}).Ins(kOpPRF).Ins(kOpRFP).Ins(kOpTDY);
    a.Ins(kOpPushC, {kDataBase + 9}).Ins(kOpPRS).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, layout.data));
    ASSERT_EQ(machine.DataSegment().size(), 15u);
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(output, (std::vector<std::string>{"abcde"}));
    EXPECT_EQ(machine.DataSegment()[14], 0);
}

// Builds a German locale (decimal comma) into the build tree with localedef,
// so the test does not depend on the locales the machine happens to have.
const char* GermanLocale() {
    static std::string name;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::string dir = std::string(VORN_BINARY_DIR) + "/tests/machine/locales";
        const std::string command = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir +
                                    "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            setenv("LOCPATH", dir.c_str(), 1);
            name = "de_DE.UTF-8";
        }
    }
    return name.empty() ? nullptr : name.c_str();
}

TEST_F(Sprintf, DecimalSeparatorFollowsTheLocale) {
    const char* german = GermanLocale();
    if (german == nullptr) GTEST_SKIP() << "localedef could not build de_DE (Debian package locales)";
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, german), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const std::string text = Format("%f|%f", [](Asm& a, Layout& l) {
        a.Ins(kOpPushV, {l.AddDouble(1.5), 8}).Ins(kOpPushV, {l.AddDouble(-12345678.0), 8});
    });
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "1,50|-1,234568E+07");
}

TEST_F(TextOutput, PrsSendsTheTextAndTracesIt) {
    Layout layout;
    const std::int32_t hello = layout.Add("Hello, pilot");
    Asm a;
    a.Ins(kOpPushC, {hello}).Ins(kOpPRS).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, layout.data));
    debug = true;
    trace.clear();
    EXPECT_EQ(Run(0), 2);
    EXPECT_EQ(Run(2), 3);
    EXPECT_EQ(output, (std::vector<std::string>{"Hello, pilot"}));
    EXPECT_EQ(trace[1], "Process:000, PC 0002: PRS Hello, pilot");
}

class RecordingPlayer : public SoundPlayer {
public:
    bool Play(const std::string& file) override {
        files.push_back(file);
        return file != "missing.wav";
    }
    std::vector<std::string> files;
};

TEST_F(TextOutput, PlayHandsTheFileToThePlayer) {
    RecordingPlayer player;
    bool off = false;
    Machine m(link, off, &player);
    Layout layout;
    const std::int32_t ok = layout.Add("gear.wav");
    const std::int32_t missing = layout.Add("missing.wav");
    Asm a;
    a.Ins(kOpPushC, {ok}).Ins(kOpPLAY).Ins(kOpPushC, {missing}).Ins(kOpPLAY).Ins(kOpHLT);
    ASSERT_TRUE(m.Load(WriteCodeImage(MakeImage(a, layout.data)), nullptr));
    EXPECT_EQ(m.Run(0, 0, OutputSink(), TraceSink()), -1);
    EXPECT_EQ(player.files, (std::vector<std::string>{"gear.wav", "missing.wav"}));
    EXPECT_EQ(output, (std::vector<std::string>{"missing.wav not found"}));
}

TEST_F(TextOutput, DefaultPlayerReportsAFileThatCannotBeOpened) {
    Layout layout;
    const std::string here = std::string(VORN_SOURCE_DIR) + "/tests/machine/text_output_test.cpp";
    const std::int32_t exists = layout.Add(here);
    const std::int32_t absent = layout.Add("/nonexistent/vorn/alarm.wav");
    Asm a;
    a.Ins(kOpPushC, {exists}).Ins(kOpPLAY).Ins(kOpPushC, {absent}).Ins(kOpPLAY).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, layout.data));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(output, (std::vector<std::string>{"/nonexistent/vorn/alarm.wav not found"}));
}

}  // namespace
}  // namespace vorn::test
