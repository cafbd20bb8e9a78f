// Arithmetic, comparisons, the bitwise pair and the conversions on store,
// run as real code on the machine.
#include <cmath>
#include <limits>

#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

// An operand: an int pushed with PushC or a float loaded from the data segment.
struct Operand {
    bool isFloat;
    std::int32_t i;
    double f;
};
Operand I(std::int32_t v) { return {false, v, 0}; }
Operand F(double v) { return {true, 0, v}; }

struct Top {
    std::int32_t i;
    double f;
    std::uint8_t tag;
};

class Arithmetic : public MachineTest {
protected:
    // Pushes the operands, runs `op`, halts; returns the top slot.
    Top Apply(std::int32_t op, const std::vector<Operand>& operands) {
        Asm a;
        std::vector<std::uint8_t> data;
        for (const Operand& o : operands) {
            if (o.isFloat) {
                a.Ins(kOpPushV, {kDataBase + static_cast<std::int32_t>(data.size()), 8});
                const auto bytes = DoubleBytes(o.f);
                data.insert(data.end(), bytes.begin(), bytes.end());
            } else {
                a.Ins(kOpPushC, {o.i});
            }
        }
        a.Ins(static_cast<Op>(op)).Ins(kOpHLT);
        EXPECT_TRUE(LoadCode(a, data));
        EXPECT_EQ(RunToEnd(), -1);
        EXPECT_TRUE(output.empty()) << output.front();
        return Top{TopInt(), TopFloat(), static_cast<std::uint8_t>(TopTag())};
    }
};

struct IntCase {
    const char* name;
    std::int32_t op;
    std::vector<Operand> operands;
    std::int32_t expected;
};

TEST_F(Arithmetic, IntResults) {
    const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const IntCase cases[] = {
        {"add wraps", kOpADD, {I(2147483647), I(1)}, kMin},
        {"sub wraps", kOpSUB, {I(kMin), I(1)}, 2147483647},
        {"mul wraps", kOpMUL, {I(65536), I(65536)}, 0},
        {"div truncates toward zero", kOpDIV, {I(-7), I(2)}, -3},
        {"div positive", kOpDIV, {I(7), I(2)}, 3},
        {"mod has the sign of a", kOpMOD, {I(-7), I(2)}, -1},
        {"mod by negative", kOpMOD, {I(7), I(-2)}, 1},
        {"min div -1", kOpDIV, {I(kMin), I(-1)}, kMin},
        {"min mod -1", kOpMOD, {I(kMin), I(-1)}, 0},
        {"neg wraps", kOpNEG, {I(kMin)}, kMin},
        {"neg", kOpNEG, {I(5)}, -5},
        {"and needs exactly 1", kOpAND, {I(2), I(1)}, 0},
        {"and of ones", kOpAND, {I(1), I(1)}, 1},
        {"or of 2 and 0", kOpOR, {I(2), I(0)}, 1},
        {"or of zeros", kOpOR, {I(0), I(0)}, 0},
        {"opcode 36 is bitwise or", kOpBitOr, {I(12), I(10)}, 14},
        {"opcode 37 is bitwise and", kOpBitAnd, {I(12), I(10)}, 8},
        {"not 0", kOpNOT, {I(0)}, 1},
        {"not 5", kOpNOT, {I(5)}, 0},
        {"gt", kOpGT, {I(3), I(2)}, 1},
        {"gt equal", kOpGT, {I(2), I(2)}, 0},
        {"ge", kOpGE, {I(2), I(2)}, 1},
        {"lt signed", kOpLT, {I(-1), I(0)}, 1},
        {"le", kOpLE, {I(3), I(2)}, 0},
        {"eq", kOpEQ, {I(4), I(4)}, 1},
        {"ne", kOpNE, {I(4), I(4)}, 0},
        {"lt int with float", kOpLT, {I(2), F(2.5)}, 1},
        {"eq float with int", kOpEQ, {F(3.0), I(3)}, 1},
        {"gt floats", kOpGT, {F(-0.5), F(-1.5)}, 1},
        {"ne nan", kOpNE, {F(std::nan("")), F(std::nan(""))}, 1},
    };
    for (const IntCase& c : cases) {
        output.clear();
        const Top v = Apply(c.op, c.operands);
        EXPECT_EQ(v.tag, 1) << c.name;
        EXPECT_EQ(v.i, c.expected) << c.name;
    }
}

struct FloatCase {
    const char* name;
    std::int32_t op;
    std::vector<Operand> operands;
    double expected;
};

TEST_F(Arithmetic, FloatResults) {
    const FloatCase cases[] = {
        {"int plus float", kOpADD, {I(7), F(0.5)}, 7.5},
        {"float minus int", kOpSUB, {F(0.5), I(2)}, -1.5},
        {"mul", kOpMUL, {F(1.5), F(4)}, 6.0},
        {"div float by int", kOpDIV, {F(7), I(2)}, 3.5},
        {"div int by float", kOpDIV, {I(1), F(4)}, 0.25},
        {"neg float", kOpNEG, {F(2.5)}, -2.5},
        {"div by zero is infinite", kOpDIV, {F(1), I(0)}, std::numeric_limits<double>::infinity()},
    };
    for (const FloatCase& c : cases) {
        output.clear();
        const Top v = Apply(c.op, c.operands);
        EXPECT_EQ(v.tag, 0) << c.name;
        EXPECT_EQ(v.f, c.expected) << c.name;
    }
    const Top nan = Apply(kOpDIV, {F(0), F(0)});
    EXPECT_TRUE(std::isnan(nan.f));
}

TEST_F(Arithmetic, PopIntOfAFloatSlotTakesItsLeftOverIntField) {
    // PushC 42 leaves 42 in slot 0's int field; the float push keeps it.
    Asm a;
    a.Ins(kOpPushC, {42}).Ins(kOpTDY).Ins(kOpPushV, {kDataBase, 8}).Ins(kOpNOT).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, DoubleBytes(0.0)));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(TopInt(), 0) << "NOT saw 42, not the float 0.0";

    Asm b;
    b.Ins(kOpPushC, {0}).Ins(kOpTDY).Ins(kOpPushV, {kDataBase, 8}).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(b, DoubleBytes(9.0)));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(TopTag(), 0);
    EXPECT_EQ(TopInt(), 0);
    EXPECT_EQ(TopFloat(), 9.0);
}

struct StoreCase {
    const char* name;
    Operand value;
    std::int32_t size;
    std::vector<std::uint8_t> expected;  // data bytes 0..7 afterwards
};

TEST_F(Arithmetic, ConversionsOnStore) {
    const auto d3 = DoubleBytes(3.0);
    const auto d25 = DoubleBytes(2.5);
    const StoreCase cases[] = {
        {"float -2.7 as int", F(-2.7), 4, {0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
        {"int 3 as double", I(3), 8, d3},
        {"float 2.5 as byte", F(2.5), 1, {2, 0, 0, 0, 0, 0, 0, 0}},
        {"int 300 as byte", I(300), 1, {0x2C, 0, 0, 0, 0, 0, 0, 0}},
        {"int as short", I(0x12345678), 2, {0x78, 0x56, 0, 0, 0, 0, 0, 0}},
        {"float as double", F(2.5), 8, d25},
        {"huge float as int", F(1e30), 4, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"size 3 stores three bytes", I(0x01020304), 3, {4, 3, 2, 0, 0, 0, 0, 0}},
        {"size 6 stores no more than an int", I(-1), 6, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
        {"size 0 stores nothing", I(-1), 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const StoreCase& c : cases) {
        for (bool indirect : {false, true}) {
            Asm a;
            std::vector<std::uint8_t> data(8, 0);
            if (indirect) a.Ins(kOpPushC, {kDataBase});
            if (c.value.isFloat) {
                const auto bytes = DoubleBytes(c.value.f);
                data.insert(data.end(), bytes.begin(), bytes.end());
                a.Ins(kOpPushV, {kDataBase + 8, 8});
            } else {
                a.Ins(kOpPushC, {c.value.i});
            }
            if (indirect) {
                a.Ins(kOpSTI, {c.size});  // stores like WriteV
            } else {
                a.Ins(kOpWriteV, {kDataBase, c.size});
            }
            a.Ins(kOpHLT);
            ASSERT_TRUE(LoadCode(a, data));
            EXPECT_EQ(RunToEnd(), -1);
            const auto seg = machine.DataSegment();
            EXPECT_EQ(std::vector<std::uint8_t>(seg.begin(), seg.begin() + 8), c.expected)
                << c.name << (indirect ? " (STI)" : " (WriteV)");
        }
    }
}

struct LoadCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::int32_t size;
    std::int32_t expected;
};

TEST_F(Arithmetic, LoadsSignExtendSizesOneAndTwo) {
    const LoadCase cases[] = {
        {"byte 0xFF", {0xFF, 0x7F, 0, 0}, 1, -1},
        {"byte 200", {200, 0, 0, 0}, 1, -56},
        {"short 0x8000", {0x00, 0x80, 0x11, 0}, 2, -32768},
        {"int", {0x00, 0x80, 0x00, 0x80}, 4, static_cast<std::int32_t>(0x80008000u)},
        {"size 3 is not extended", {0xFF, 0xFF, 0xFF, 0xFF}, 3, 0xFFFFFF},
        {"size 7 reads no more than an int", {1, 0, 0, 0}, 7, 1},
        {"size 0 reads nothing", {1, 2, 3, 4}, 0, 0},
    };
    for (const LoadCase& c : cases) {
        for (bool indirect : {false, true}) {
            Asm a;
            if (indirect) {
                a.Ins(kOpPushC, {kDataBase}).Ins(kOpLDI, {c.size});
            } else {
                a.Ins(kOpPushV, {kDataBase, c.size});
            }
            a.Ins(kOpHLT);
            std::vector<std::uint8_t> data = c.bytes;
            data.resize(8, 0);
            ASSERT_TRUE(LoadCode(a, data));
            EXPECT_EQ(RunToEnd(), -1);
            EXPECT_EQ(TopTag(), 1) << c.name;
            EXPECT_EQ(TopInt(), c.expected) << c.name << (indirect ? " (LDI)" : " (PushV)");
        }
    }
}

TEST_F(Arithmetic, EncodingExampleAddsOneAndEndsAtNine) {
    Asm a;
    a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
    EXPECT_EQ(a.code, (std::vector<std::int32_t>{2, 16777216, 4, 3, 1, 13, 6, 16777216, 4}));
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, IntBytes(41)));
    debug = true;
    std::int32_t pc = 0;
    for (int i = 0; i < 4; ++i) pc = Run(pc);
    EXPECT_EQ(pc, 9);
    EXPECT_EQ(DataInt(0), 42);
}

}  // namespace
}  // namespace vorn::test
