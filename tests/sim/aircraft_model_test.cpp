// The aircraft model keeps its offsets moving in FSUIPC's units and follows
// what a program writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "sim/aircraft_model.h"
#include "sim/sim_server.h"

namespace vorn {
namespace {

std::int64_t Get(const SimServer& sim, std::uint16_t offset, int size) {
    std::uint8_t b[8] = {};
    sim.Peek(offset, b, static_cast<std::size_t>(size));
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | b[i];
    if (size < 8 && (v >> (8 * size - 1)) & 1) return static_cast<std::int64_t>(v) - (std::int64_t{1} << (8 * size));
    return static_cast<std::int64_t>(v);
}

void Set(SimServer& sim, std::uint16_t offset, int size, std::int64_t value) {
    std::uint8_t b[8];
    for (int i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    sim.Poke(offset, b, static_cast<std::size_t>(size));
}

double HeadingOf(const SimServer& sim) {
    return static_cast<double>(static_cast<std::uint32_t>(Get(sim, 0x0580, 4))) * 360.0 / 4294967296.0;
}

void Advance(AircraftModel& model, int steps) {
    for (int i = 0; i < steps; ++i) model.Advance();
}

TEST(AircraftModel, WritesItsStartingStateInFsuipcUnits) {
    SimServer sim;
    AircraftModel model(sim);
    EXPECT_EQ(Get(sim, 0x3324, 4), 1500);
    EXPECT_EQ(Get(sim, 0x0574, 4), 457) << "whole metres in the high half of 0x0570";
    EXPECT_EQ(Get(sim, 0x02BC, 4), 110 * 128);
    EXPECT_NEAR(HeadingOf(sim), 270.0, 1e-6);
    EXPECT_EQ(Get(sim, 0x02C8, 4), 0);
    EXPECT_EQ(Get(sim, 0x0366, 2), 0);
    EXPECT_EQ(Get(sim, 0x0264, 2), 0);
    EXPECT_EQ(Get(sim, 0x0238, 1), 12);
    EXPECT_EQ(Get(sim, 0x0239, 1), 0);
    EXPECT_EQ(Get(sim, 0x07D0, 4), 1);
    EXPECT_NEAR(Get(sim, 0x07D4, 4) / 65536.0 / 0.3048, 5000.0, 0.5);
}

TEST(AircraftModel, TenStepsAreOneSecondOfClock) {
    SimServer sim;
    AircraftModel model(sim);
    Advance(model, 10);
    EXPECT_EQ(Get(sim, 0x023A, 1), 1);
    Advance(model, 600);
    EXPECT_EQ(Get(sim, 0x0239, 1), 1);
    EXPECT_EQ(Get(sim, 0x023A, 1), 1);
}

TEST(AircraftModel, ClimbsAtTheSetRateAndLevelsOffAtTheSetAltitude) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07D4, 4, std::lround(1800 * 0.3048 * 65536));
    Advance(model, 100);  // 10 s: up to 700 ft/min within the first second
    EXPECT_NEAR(Get(sim, 0x02C8, 4) / 256.0 / 0.3048 * 60.0, 700.0, 5.0);
    EXPECT_NEAR(Get(sim, 0x3324, 4), 1500 + 700.0 / 6 - 6, 4.0);
    Advance(model, 600);  // a minute later it has reached 1800 ft and levelled off
    EXPECT_NEAR(Get(sim, 0x3324, 4), 1800, 2.0);
    EXPECT_NEAR(Get(sim, 0x02C8, 4), 0, 3.0);
}

struct TurnCase {
    int bugDegrees;
    double after10s;
};

class AircraftTurns : public ::testing::TestWithParam<TurnCase> {};

TEST_P(AircraftTurns, TheShortWayAtThreeDegreesASecond) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07CC, 2, GetParam().bugDegrees * 65536 / 360);
    Advance(model, 100);
    EXPECT_NEAR(HeadingOf(sim), GetParam().after10s, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Bugs, AircraftTurns,
                         ::testing::Values(TurnCase{0, 300.0}, TurnCase{180, 240.0}, TurnCase{275, 275.0},
                                           TurnCase{90, 300.0}));

TEST(AircraftModel, PauseStopsEverythingUntilResumed) {
    SimServer sim;
    AircraftModel model(sim);
    Advance(model, 20);
    Set(sim, 0x0262, 2, 1);
    model.Advance();
    const auto altitude = Get(sim, 0x0570, 8);
    const auto heading = Get(sim, 0x0580, 4);
    const auto second = Get(sim, 0x023A, 1);
    EXPECT_EQ(Get(sim, 0x0264, 2), 1);
    Advance(model, 50);
    EXPECT_EQ(Get(sim, 0x0570, 8), altitude);
    EXPECT_EQ(Get(sim, 0x0580, 4), heading);
    EXPECT_EQ(Get(sim, 0x023A, 1), second);
    Set(sim, 0x0262, 2, 0);
    Advance(model, 10);
    EXPECT_EQ(Get(sim, 0x0264, 2), 0);
    EXPECT_NE(Get(sim, 0x0570, 8), altitude);
}

TEST(AircraftModel, TakesOverWhatAProgramWritesDirectly) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07D0, 4, 0);  // no altitude hold, no set rate: level flight
    Set(sim, 0x07F2, 2, 0);
    Set(sim, 0x07C8, 4, 0);  // no heading hold
    Set(sim, 0x3324, 4, 8000);
    Set(sim, 0x0580, 4, 0x40000000);  // 90 degrees
    Advance(model, 10);
    EXPECT_NEAR(model.State().altitudeFt, 8000.0, 1.0);
    EXPECT_EQ(Get(sim, 0x3324, 4), 8000);
    EXPECT_EQ(Get(sim, 0x0574, 4), std::lround(8000 * 0.3048 - 0.5));
    EXPECT_NEAR(HeadingOf(sim), 90.0, 1e-6);
}

TEST(AircraftModel, HoldsTheSetAirspeed) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07E2, 2, 150);
    Advance(model, 100);
    EXPECT_NEAR(Get(sim, 0x02BC, 4) / 128.0, 130.0, 0.1) << "2 knots a second";
    Advance(model, 150);
    EXPECT_EQ(Get(sim, 0x02BC, 4), 150 * 128);
}

TEST(AircraftModel, OnTheGroundTheBrakeHoldsItAndThrottleTakesItUp) {
    SimServer sim;
    AircraftState parked;
    parked.altitudeFt = 0;
    parked.airspeedKt = 0;
    parked.onGround = true;
    AircraftModel model(sim, parked);
    Set(sim, 0x07DC, 4, 0);      // no speed hold: the throttle decides
    Set(sim, 0x0BC8, 2, 32767);  // parking brake
    Set(sim, 0x088C, 2, 16384);  // full throttle
    Advance(model, 100);
    EXPECT_EQ(Get(sim, 0x0366, 2), 1);
    EXPECT_EQ(Get(sim, 0x02BC, 4), 0);
    EXPECT_EQ(Get(sim, 0x3324, 4), 0);

    Set(sim, 0x0BC8, 2, 0);
    Advance(model, 300);  // 30 s: past lift-off speed and climbing toward 5000 ft
    EXPECT_EQ(Get(sim, 0x0366, 2), 0);
    EXPECT_GT(Get(sim, 0x3324, 4), 0);
    EXPECT_GT(Get(sim, 0x02C8, 4), 0);
}

}  // namespace
}  // namespace vorn
